#include "base/ports.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <time.h>

namespace zel {
namespace {

class InlineMainThread : public MainThreadPort {
  public:
    void runOnMainAndWait(std::function<void()> f) override { f(); }
    void postToMain(std::function<void()> f) override { f(); }
    void processEvents() override {}
    bool isMainThread() const override { return true; }
};

class NoSound : public SoundPort {
  public:
    bool play(const std::string&, bool) override { return false; }
    void stop() override {}
};

class CancelDialogs : public DialogPort {
  public:
    void information(const std::string&) override {}
    bool okCancel(const std::string&) override { return false; }
    int yesNoCancel(const std::string&) override { return -1; }
    bool openFile(const std::string&, const std::string&, const std::string&,
                  std::string&) override {
        return false;
    }
    bool saveFile(const std::string&, const std::string&, const std::string&,
                  std::string&) override {
        return false;
    }
    void busy(bool) override {}
};

class NoLinks : public LinkPort {
  public:
    bool openUrl(const std::string&) override { return false; }
};

} // namespace

Ports& GetPorts() {
    static Ports p;
    return p;
}

MainThreadPort& MainThread() {
    static InlineMainThread def;
    auto* p = GetPorts().main;
    return p ? *p : def;
}
ClockPort& Clock() {
    static SystemClock def;
    auto* p = GetPorts().clock;
    return p ? *p : def;
}
SoundPort& Sound() {
    static NoSound def;
    auto* p = GetPorts().sound;
    return p ? *p : def;
}
DialogPort& Dialogs() {
    static CancelDialogs def;
    auto* p = GetPorts().dialogs;
    return p ? *p : def;
}
LinkPort& Links() {
    static NoLinks def;
    auto* p = GetPorts().links;
    return p ? *p : def;
}

void MainThreadPort::waitMs(uint32_t ms) {
    processEvents();
    Clock().sleepMs(ms);
}

TDateTime SystemClock::now() {
    return Now();
}

uint32_t SystemClock::tickMs() {
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void SystemClock::sleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct QueueMainThread::Impl {
    std::thread::id owner = std::this_thread::get_id();
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::function<void()>> q;
    bool stopping = false;
};

QueueMainThread::QueueMainThread() : d(new Impl) {}
QueueMainThread::~QueueMainThread() {
    delete d;
}

bool QueueMainThread::isMainThread() const {
    return std::this_thread::get_id() == d->owner;
}

void QueueMainThread::postToMain(std::function<void()> f) {
    {
        std::lock_guard<std::mutex> lock(d->m);
        d->q.push_back(std::move(f));
    }
    d->cv.notify_all();
}

void QueueMainThread::runOnMainAndWait(std::function<void()> f) {
    if (isMainThread()) {
        f();
        return;
    }
    std::promise<void> done;
    auto fut = done.get_future();
    postToMain([&f, &done] {
        f();
        done.set_value();
    });
    fut.wait();
}

void QueueMainThread::processEvents() {
    for (;;) {
        std::function<void()> f;
        {
            std::lock_guard<std::mutex> lock(d->m);
            if (d->q.empty()) return;
            f = std::move(d->q.front());
            d->q.pop_front();
        }
        f();
    }
}

void QueueMainThread::waitMs(uint32_t ms) {
    runFor(ms);
}

void QueueMainThread::runFor(uint32_t ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    {
        std::lock_guard<std::mutex> lock(d->m);
        d->stopping = false;
    }
    for (;;) {
        processEvents();
        std::unique_lock<std::mutex> lock(d->m);
        if (d->stopping) return;
        if (d->q.empty() && d->cv.wait_until(lock, end) == std::cv_status::timeout && d->q.empty())
            return;
    }
}

void QueueMainThread::stop() {
    {
        std::lock_guard<std::mutex> lock(d->m);
        d->stopping = true;
    }
    d->cv.notify_all();
}

} // namespace zel
