#include "ui/windows.h"

#include <QCoreApplication>
#include <QThread>

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

} // namespace zelui
