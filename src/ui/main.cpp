// zelvanor: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <unistd.h>

#include "app/connection_state.h"
#include "app/mqtt_settings.h"
#include "base/directories.h"
#include "base/textfile.h"
#include "ui/main_window.h"
#include "ui/qt_ports.h"
#include "ui/windows.h"
#include "zel_version.h"

namespace {

// A termination signal (logout, kill, Ctrl+C in a terminal) closes the main window like the Quit
// command, so the configuration, the capture and the journal are saved. The handler only writes
// a byte; the window is closed from the event loop.
int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(g_signal_pipe[1], &c, 1);
}

void CloseOnSignals(QObject* owner) {
    if (pipe(g_signal_pipe) != 0) return;
    auto* n = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, owner);
    QObject::connect(n, &QSocketNotifier::activated, owner, [] {
        char c;
        [[maybe_unused]] ssize_t r = read(g_signal_pipe[0], &c, 1);
        if (zelui::Tprincipal* w = zelui::Windows().Principal) w->close();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

} // namespace

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

    CloseOnSignals(&app);

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
