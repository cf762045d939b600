#include "session/session_globals.h"

namespace zel {

std::unique_ptr<Tcg_thread_ES> Thread_ES;
std::atomic<bool> Thread_ES_Running{false};
std::unique_ptr<TEntreesSorties> EntreesSorties;
TextList F_Dump;
double Version_compteur = 1.3;

} // namespace zel
