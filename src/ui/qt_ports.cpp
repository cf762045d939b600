#include "ui/qt_ports.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace zelui {

QString ToQt(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}
std::string FromQt(const QString& s) {
    return s.toUtf8().toStdString();
}

// ---- Main thread --------------------------------------------------------------------------------

QtMainThread::QtMainThread() : target_(new QObject) {
    // The object must belong to the GUI thread so that queued calls run there.
    if (QCoreApplication::instance()) target_->moveToThread(QCoreApplication::instance()->thread());
}

QtMainThread::~QtMainThread() {
    delete target_;
}

bool QtMainThread::isMainThread() const {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

void QtMainThread::runOnMainAndWait(std::function<void()> f) {
    if (isMainThread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(target_, std::move(f), Qt::BlockingQueuedConnection);
}

void QtMainThread::postToMain(std::function<void()> f) {
    QMetaObject::invokeMethod(target_, std::move(f), Qt::QueuedConnection);
}

void QtMainThread::processEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMainThread::waitMs(uint32_t ms) {
    if (!isMainThread()) {
        QThread::msleep(ms);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(ms));
    loop.exec();
    // Once the application is quitting no event loop runs any more: still wait, or a polling
    // caller would spin.
    if (timer.isActive()) QThread::msleep(static_cast<unsigned long>(timer.remainingTime()));
}

// ---- Sound --------------------------------------------------------------------------------------

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

bool QtSound::play(const std::string& path, bool loop) {
    if (!QFile::exists(ToQt(path))) return false;
    if (!effect_) effect_ = std::make_unique<QSoundEffect>();
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(ToQt(path)));
    effect_->setLoopCount(loop ? QSoundEffect::Infinite : 1);
    effect_->play();
    return true;
}

void QtSound::stop() {
    if (effect_) effect_->stop();
}

// ---- Dialogs ------------------------------------------------------------------------------------

namespace {
QWidget* Parent() {
    return QApplication::activeWindow();
}
const char* const kTitle = "Zelvanor";
} // namespace

void QtDialogs::information(const std::string& text) {
    QMessageBox::information(Parent(), kTitle, ToQt(text), QMessageBox::Ok);
}

bool QtDialogs::okCancel(const std::string& text) {
    return QMessageBox::information(Parent(), kTitle, ToQt(text),
                                    QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Ok) == QMessageBox::Ok;
}

int QtDialogs::yesNoCancel(const std::string& text) {
    const auto r = QMessageBox::question(Parent(), kTitle, ToQt(text),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Cancel);
    return r == QMessageBox::Yes ? 1 : r == QMessageBox::No ? 0 : -1;
}

bool QtDialogs::yesNo(const std::string& text) {
    return QMessageBox::warning(Parent(), kTitle, ToQt(text), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::openFile(const std::string& title, const std::string& dir,
                         const std::string& filter, std::string& path) {
    const QString f = QFileDialog::getOpenFileName(Parent(), ToQt(title), ToQt(dir), ToQt(filter));
    if (f.isEmpty()) return false;
    path = FromQt(f);
    return true;
}

namespace {
// The extension of a filter's first pattern: "PNG picture (*.png)" -> "png"; "txt" without one.
QString SuffixOf(const QString& filter) {
    const qsizetype i = filter.indexOf("*.");
    if (i < 0) return QStringLiteral("txt");
    qsizetype e = i + 2;
    while (e < filter.size() && filter[e].isLetterOrNumber())
        ++e;
    return e > i + 2 ? filter.mid(i + 2, e - i - 2) : QStringLiteral("txt");
}
} // namespace

bool QtDialogs::save(const std::string& title, const std::string& dir, const std::string& filter,
                     std::string& path, bool confirm) {
    QFileDialog d(Parent(), ToQt(title), ToQt(dir), ToQt(filter));
    d.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without extension takes the one of the filter picked.
    d.setDefaultSuffix(SuffixOf(ToQt(filter)));
    QObject::connect(&d, &QFileDialog::filterSelected, &d,
                     [&d](const QString& f) { d.setDefaultSuffix(SuffixOf(f)); });
    if (!confirm) d.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!path.empty()) d.selectFile(ToQt(path));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
    path = FromQt(d.selectedFiles().first());
    return true;
}

bool QtDialogs::saveFile(const std::string& title, const std::string& dir,
                         const std::string& filter, std::string& path) {
    return save(title, dir, filter, path, true);
}

bool QtDialogs::saveFileNoConfirm(const std::string& title, const std::string& dir,
                                  const std::string& filter, std::string& path) {
    return save(title, dir, filter, path, false);
}

void QtDialogs::busy(bool on) {
    // Balanced: the pointer comes back when every busy(true) has had its busy(false).
    if (on) {
        ++busy_depth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_depth_ > 0) {
        --busy_depth_;
        QApplication::restoreOverrideCursor();
    }
}

// ---- Links --------------------------------------------------------------------------------------

bool QtLinks::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(ToQt(url)));
}

// ---- Installation -------------------------------------------------------------------------------

QtPorts::QtPorts() : previous_(zel::GetPorts()) {
    zel::Ports& p = zel::GetPorts();
    p.main = &main;
    p.clock = &clock;
    p.sound = &sound;
    p.dialogs = &dialogs;
    p.links = &links;
}

QtPorts::~QtPorts() {
    // Never leave the core pointing at destroyed ports.
    zel::GetPorts() = previous_;
}

} // namespace zelui
