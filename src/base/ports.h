#pragma once
// The small interfaces through which the core reaches whatever front end shows it (the Qt
// windows, the headless command line, or a test). Each is implemented once per front end.
#include <cstdint>
#include <functional>
#include <string>

#include "base/datetime.h"

namespace zel {

// Work handed to the thread that owns the windows and the application state.
class MainThreadPort {
  public:
    virtual ~MainThreadPort() = default;
    // Runs f on the main thread and returns when it has run (inline when called on it).
    virtual void runOnMainAndWait(std::function<void()> f) = 0;
    // Queues f to the main thread; never waits. Calls keep their order.
    virtual void postToMain(std::function<void()> f) = 0;
    // On the main thread: handles pending events and queued calls, then returns.
    virtual void processEvents() = 0;
    // On the main thread: waits `ms` while handling events and queued calls, so that a wait
    // never freezes the windows. This one handles them once, then sleeps on the clock (the
    // command line and the tests, where nothing is to be painted meanwhile).
    virtual void waitMs(uint32_t ms);
    virtual bool isMainThread() const = 0;
};

// Time, so that watchdogs can run in virtual time under test.
class ClockPort {
  public:
    virtual ~ClockPort() = default;
    virtual TDateTime now() = 0;   // local date-time
    virtual uint32_t tickMs() = 0; // 32-bit millisecond tick, wrapping
    virtual void sleepMs(uint32_t ms) = 0;
};

class SoundPort {
  public:
    virtual ~SoundPort() = default;
    // Plays a wave file asynchronously, once or looping; no fallback sound. False when it
    // cannot be played (missing file).
    virtual bool play(const std::string& path, bool loop) = 0;
    virtual void stop() = 0;
};

class DialogPort {
  public:
    virtual ~DialogPort() = default;
    virtual void information(const std::string& text) = 0; // single OK button
    virtual bool okCancel(const std::string& text) = 0;    // true on OK
    virtual int yesNoCancel(const std::string& text) = 0;  // 1 yes, 0 no, -1 cancel
    // File dialogs: false when cancelled. `filter` like "Capture (*.txt)".
    virtual bool openFile(const std::string& title, const std::string& dir,
                          const std::string& filter, std::string& path) = 0;
    virtual bool saveFile(const std::string& title, const std::string& dir,
                          const std::string& filter, std::string& path) = 0;
    // A save dialog that does not ask about an existing file itself (the caller asks its own
    // question). Front ends whose saveFile asks should override this.
    virtual bool saveFileNoConfirm(const std::string& title, const std::string& dir,
                                   const std::string& filter, std::string& path) {
        return saveFile(title, dir, filter, path);
    }
    // A warning with Yes and No, No being the default; true on Yes.
    virtual bool yesNo(const std::string& text) { return yesNoCancel(text) == 1; }
    virtual void busy(bool on) = 0;
};

class LinkPort {
  public:
    virtual ~LinkPort() = default;
    // False when no handler could be started for it.
    virtual bool openUrl(const std::string& url) = 0;
};

// The ports in force. Defaults: the calling thread is the main thread and calls run inline,
// the system clock, no sound, dialogs that answer "cancel", links ignored.
struct Ports {
    MainThreadPort* main = nullptr;
    ClockPort* clock = nullptr;
    SoundPort* sound = nullptr;
    DialogPort* dialogs = nullptr;
    LinkPort* links = nullptr;
};
Ports& GetPorts();
MainThreadPort& MainThread();
ClockPort& Clock();
SoundPort& Sound();
DialogPort& Dialogs();
LinkPort& Links();

// The system clock (CLOCK_MONOTONIC tick, local time, nanosleep).
class SystemClock : public ClockPort {
  public:
    TDateTime now() override;
    uint32_t tickMs() override;
    void sleepMs(uint32_t ms) override;
};

// A main thread without a window system: the thread that created it is the main thread;
// calls from others are queued and run by processEvents() / runFor().
class QueueMainThread : public MainThreadPort {
  public:
    QueueMainThread();
    ~QueueMainThread() override;
    void runOnMainAndWait(std::function<void()> f) override;
    void postToMain(std::function<void()> f) override;
    void processEvents() override;
    bool isMainThread() const override;
    // Serves queued calls as they come for `ms`.
    void waitMs(uint32_t ms) override;
    // Serves queued calls until `ms` have passed or stop() is called (from any thread).
    void runFor(uint32_t ms);
    void stop();

  private:
    struct Impl;
    Impl* d;
};

} // namespace zel
