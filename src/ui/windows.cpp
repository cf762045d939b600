#include "ui/windows.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <csignal>
#include <unistd.h>

#include "app/app.h"
#include "app/map_prefs.h"
#include "ui/about_box.h"
#include "ui/connection_dialog.h"
#include "ui/main_window.h"
#include "ui/param_gamma_dialog.h"
#include "ui/param_vorn_dialog.h"
#include "ui/preferences_dialog.h"

namespace zelui {

TWindows& Windows() {
    static TWindows w;
    return w;
}

namespace {

void Refresh(zel::ModelWindow which) {
    TWindows& w = Windows();
    switch (which) {
    case zel::ModelWindow::Main:
        if (w.Principal) w.Principal->UpdateFromModel();
        // A command under way disables the parameter dialogs' buttons too.
        if (w.cg_param_vornx && w.cg_param_vornx->isVisible()) w.cg_param_vornx->UpdateFromModel();
        if (w.cg_param_gamma && w.cg_param_gamma->isVisible()) w.cg_param_gamma->UpdateFromModel();
        break;
    case zel::ModelWindow::Connection:
        if (w.cg_Connection) w.cg_Connection->UpdateFromModel();
        break;
    case zel::ModelWindow::Preferences:
        if (w.cg_preference) w.cg_preference->UpdateFromModel();
        break;
    case zel::ModelWindow::ParamVorn:
        if (w.cg_param_vornx) w.cg_param_vornx->UpdateFromModel();
        break;
    case zel::ModelWindow::ParamGamma:
        if (w.cg_param_gamma) w.cg_param_gamma->UpdateFromModel();
        break;
    case zel::ModelWindow::About:
        if (w.cg_a_propos) w.cg_a_propos->UpdateFromModel();
        break;
    }
}

} // namespace

void InstallModelObserver() {
    zel::SetModelObserver([](zel::ModelWindow which) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        if (QThread::currentThread() == app->thread())
            Refresh(which);
        else
            QMetaObject::invokeMethod(
                app, [which] { Refresh(which); }, Qt::QueuedConnection);
    });
}

bool CreateWindows(const std::string& exeDir) {
    return CreateWindows(zel::BuildTreeDirectories(exeDir));
}

bool CreateWindows(const zel::AppDirectories& dirs) {
    TWindows& w = Windows();
    w.Principal = new Tprincipal;
    if (zel::AppStart(dirs) != zel::PasErreur) {
        w.Principal->shutdown_done = true;
        delete w.Principal;
        w.Principal = nullptr;
        return false;
    }
    // The desktop's own map settings (zelvanor-cli takes its own from its command line).
    zel::StartMapUploads();
    w.Principal->ApplyTexts();
    w.Principal->UpdateFromModel();
    w.cg_a_propos = new Tcg_a_propos(w.Principal);
    w.cg_Connection = new Tcg_connection(w.Principal);
    w.cg_preference = new Tcg_preference(w.Principal);
    w.cg_param_vornx = new Tcg_param_vornx(w.Principal);
    w.cg_param_gamma = new Tcg_param_Gamma(w.Principal);
    return true;
}

void ReleaseWindows() {
    TWindows& w = Windows();
    delete w.cg_a_propos;
    w.cg_a_propos = nullptr;
    delete w.cg_Connection;
    w.cg_Connection = nullptr;
    delete w.cg_preference;
    w.cg_preference = nullptr;
    delete w.cg_param_vornx;
    w.cg_param_vornx = nullptr;
    delete w.cg_param_gamma;
    w.cg_param_gamma = nullptr;
    delete w.Principal;
    w.Principal = nullptr;
}

namespace {

// The handler only writes a byte; the window is closed from the event loop.
int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(g_signal_pipe[1], &c, 1);
}

} // namespace

void CloseOnSignals(QObject* owner) {
    if (g_signal_pipe[0] < 0 && pipe(g_signal_pipe) != 0) return;
    auto* n = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, owner);
    QObject::connect(n, &QSocketNotifier::activated, owner, [] {
        char c;
        [[maybe_unused]] ssize_t r = read(g_signal_pipe[0], &c, 1);
        Tprincipal* w = Windows().Principal;
        if (!w) return;
        // A dialog or a message box in front would keep the program alive after the main
        // window has gone: they go first.
        for (int i = 0; i < 8; ++i) {
            QWidget* m = QApplication::activeModalWidget();
            if (!m || m == w) break;
            m->close();
        }
        w->close();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

} // namespace zelui
