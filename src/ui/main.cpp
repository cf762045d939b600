// zelvanor: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <exception>

#include "app/connection_state.h"
#include "app/mqtt_settings.h"
#include "base/directories.h"
#include "base/textfile.h"
#include "ui/main_window.h"
#include "ui/qt_ports.h"
#include "ui/windows.h"
#include "zel_version.h"

int main(int argc, char** argv) {
    // Answered before any window or display is needed.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zelvanor %s\n", ZEL_VERSION);
            return 0;
        }
    QApplication app(argc, argv);
    app.setApplicationName("Zelvanor");
    app.setDesktopFileName("zelvanor");
    // Our own look: Fusion with a soft violet accent; the platform look stays if it is missing.
    if (QStyle* s = QStyleFactory::create("Fusion")) {
        QApplication::setStyle(s);
        QPalette pal = QApplication::palette();
        pal.setColor(QPalette::Highlight, QColor(0x7b, 0x5c, 0xa8));
        QApplication::setPalette(pal);
    }

    zelui::QtPorts ports;
    zelui::InstallModelObserver();
    // The desktop remembers its connection, so that a station comes back after a power cut.
    zel::ConnectionPrefs().remember = true;
    // No other argument is read: the program's own location (a build tree or an installation)
    // and the user's XDG directories say where its files are.
    if (!zelui::CreateWindows(
            zel::ResolveDirectories(zel::ExecutableDir(), zel::CurrentDirectoryEnvironment())))
        return 1;
    // The counts are published as the network preferences say (the command line has its own).
    zel::ApplyMqttSettings();

    zelui::CloseOnSignals(&app);

    int rc = 0;
    try {
        zelui::Tprincipal* w = zelui::Windows().Principal;
        // Centred on the screen at start.
        w->adjustSize();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            w->move(screen->availableGeometry().center() - w->rect().center());
        w->show();
        // Once the window is up: the connection the program was closed with, if any.
        QTimer::singleShot(0, w, [] { zel::AppResumeConnection(); });
        rc = app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Zelvanor",
                              QString("Erreur : ") + QString::fromUtf8(e.what()));
        rc = 0;
    } catch (...) {
        QMessageBox::critical(nullptr, "Zelvanor", "Erreur : ?");
        rc = 0;
    }
    zelui::ReleaseWindows();
    zel::SetModelObserver(nullptr);
    return rc;
}
