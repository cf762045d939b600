// zelvanor: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <exception>

#include "base/textfile.h"
#include "ui/main_window.h"
#include "ui/qt_ports.h"
#include "ui/windows.h"

int main(int argc, char** argv) {
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
    // No command-line argument is read: only the program's own location counts.
    if (!zelui::CreateWindows(zel::ExecutableDir())) return 1;

    int rc = 0;
    try {
        zelui::Tprincipal* w = zelui::Windows().Principal;
        // Centred on the screen at start.
        w->adjustSize();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            w->move(screen->availableGeometry().center() - w->rect().center());
        w->show();
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
