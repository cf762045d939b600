#pragma once
// The six windows of the program, created at start in a fixed order and released at the end.
#include <string>

#include "base/directories.h"
#include "model/model.h"

class QObject;

namespace zelui {

class Tprincipal;
class Tcg_a_propos;
class Tcg_connection;
class Tcg_preference;
class Tcg_param_vornx;
class Tcg_param_Gamma;

struct TWindows {
    Tprincipal* Principal = nullptr;
    Tcg_a_propos* cg_a_propos = nullptr;
    Tcg_connection* cg_Connection = nullptr;
    Tcg_preference* cg_preference = nullptr;
    Tcg_param_vornx* cg_param_vornx = nullptr;
    Tcg_param_Gamma* cg_param_gamma = nullptr;
};
TWindows& Windows();

// Routes every change of the model to the window that shows it (queued to the GUI thread when
// the change comes from another thread).
void InstallModelObserver();

// Program start: the main window first (its start-up builds the application state); false
// when that failed (the message has been shown; the caller exits with code 1). Then the
// dialogs, each applying its language texts as it is created.
bool CreateWindows(const zel::AppDirectories& dirs);
// The same with data/, son/ and langages/ beside exeDir.
bool CreateWindows(const std::string& exeDir);
// Releases the dialogs in the order of the close step, then the main window.
void ReleaseWindows();

// SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C in a terminal) close the main window as the
// Quit command does, dialogs and message boxes in front of it first, so that the configuration,
// the capture and the journal are saved. `owner` (the application) holds the notifier.
void CloseOnSignals(QObject* owner);

} // namespace zelui
