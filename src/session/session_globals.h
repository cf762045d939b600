#pragma once
// The session's share of the application state: created at start-up, released at shutdown
// (the thread before the serial line).
#include <atomic>
#include <memory>

#include "base/textfile.h"
#include "serial/entrees_sorties.h"
#include "session/thread_es.h"

namespace zel {

extern std::unique_ptr<Tcg_thread_ES> Thread_ES;
// True once the session is started; the thread sets it false when its loop ends.
extern std::atomic<bool> Thread_ES_Running;
// The serial line of the connected counter.
extern std::unique_ptr<TEntreesSorties> EntreesSorties;
// The raw lines of a Gamma Scout memory dump, filled by the download handlers on the main
// thread; when the counter falls silent the session takes them over on the main thread and
// decodes its copy. Main thread only.
extern TextList F_Dump;
// Firmware version of the connected counter.
extern double Version_compteur;

} // namespace zel
