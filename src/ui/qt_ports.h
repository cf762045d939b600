#pragma once
// The Qt side of the core's ports: the main thread is the GUI thread, sounds are wave files
// played by Qt Multimedia, questions are message boxes and file dialogs, web addresses go to
// the desktop's browser.
#include <QObject>
#include <QPointer>
#include <memory>

#include "base/ports.h"

class QSoundEffect;
class QWidget;

namespace zelui {

class QtMainThread : public zel::MainThreadPort {
  public:
    QtMainThread();
    ~QtMainThread() override;
    void runOnMainAndWait(std::function<void()> f) override;
    void postToMain(std::function<void()> f) override;
    void processEvents() override;
    // A local event loop that a timer ends: the windows repaint, timers fire and the session's
    // calls are served all through the wait.
    void waitMs(uint32_t ms) override;
    bool isMainThread() const override;

  private:
    QObject* target_; // lives on the GUI thread; queued calls are run in its context
};

class QtSound : public zel::SoundPort {
  public:
    QtSound();
    ~QtSound() override;
    bool play(const std::string& path, bool loop) override;
    void stop() override;

  private:
    std::unique_ptr<QSoundEffect> effect_;
};

class QtDialogs : public zel::DialogPort {
  public:
    void information(const std::string& text) override;
    bool okCancel(const std::string& text) override;
    int yesNoCancel(const std::string& text) override;
    bool yesNo(const std::string& text) override;
    bool openFile(const std::string& title, const std::string& dir, const std::string& filter,
                  std::string& path) override;
    bool saveFile(const std::string& title, const std::string& dir, const std::string& filter,
                  std::string& path) override;
    bool saveFileNoConfirm(const std::string& title, const std::string& dir,
                           const std::string& filter, std::string& path) override;
    void busy(bool on) override;

  private:
    bool save(const std::string& title, const std::string& dir, const std::string& filter,
              std::string& path, bool confirm);
    int busy_depth_ = 0;
};

class QtLinks : public zel::LinkPort {
  public:
    bool openUrl(const std::string& url) override;
};

// The Qt ports and the system clock, installed in GetPorts() for the life of this object.
class QtPorts {
  public:
    QtPorts();
    ~QtPorts();
    QtMainThread main;
    zel::SystemClock clock;
    QtSound sound;
    QtDialogs dialogs;
    QtLinks links;

  private:
    zel::Ports previous_;
};

QString ToQt(const std::string& s);
std::string FromQt(const QString& s);

} // namespace zelui
