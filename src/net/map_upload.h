#pragma once
// Uploads to the public radiation maps: the mean of the counts the counter sent during each
// interval goes to every configured service from a thread of its own, so that a slow or silent
// server never holds up the counter session. An interval without counts uploads nothing; a
// failed upload is not repeated before the next interval, and each kind of failure reaches the
// journal once.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/http_client.h"
#include "net/map_services.h"
#include "net/map_texts.h"

namespace zel {

constexpr int kDefaultUploadSeconds = 300;
constexpr int kMinUploadSeconds = 60;

struct MapUploadSettings {
    RadmonSettings radmon;
    GmcmapSettings gmcmap;
    SafecastSettings safecast;
    int intervalSeconds = kDefaultUploadSeconds;
    bool any() const { return radmon.enabled || gmcmap.enabled || safecast.enabled; }
};

// What a journal line goes through; callable from any thread (Trt_log in the program).
using MapJournal = std::function<void(const std::string&)>;

// The uploads without their thread: counts come in from any thread, EndInterval() is called by
// whoever keeps the time (the upload thread below, or a test).
class MapUploader {
  public:
    // `intervalMs`: the time between two EndInterval() calls, which the failures name.
    MapUploader(MapUploadSettings settings, MapTexts texts, MapJournal journal, int64_t intervalMs,
                HttpLimits limits = {});

    // Any thread; never waits for a transfer. A negative count (the counter's invalid mark)
    // is not a count and is left out.
    void AddCount(int32_t cpm, double usvPerCpm, int64_t utcSeconds);

    // Ends the interval: its mean goes to each service, unless no count came during it.
    void EndInterval();

    // Drops the counts of the interval under way. Any thread.
    void ForgetCounts();

    // Ends a transfer in progress, and any later one at once. Any thread.
    void RequestStop() { stop_ = true; }

    // One upload of `r` to `s`, outside the intervals (the preferences' test button); not
    // journalled.
    UploadOutcome Send(MapService s, const MapReading& r);

    // The journal's words for an outcome (without the service's name); no secret in them.
    std::string Describe(MapService s, UploadOutcome o) const;

    const MapUploadSettings& settings() const { return settings_; }

  private:
    struct Sums {
        double sum = 0;
        int64_t n = 0;
        double mean() const { return n ? sum / static_cast<double>(n) : 0; }
    };
    struct ServiceState {
        std::string lastFailure; // the kind last journalled; empty after a success
        bool accepted = false;   // at least one upload went through
    };
    void Report(MapService s, const UploadOutcome& o, double cpm);
    bool Enabled(MapService s) const;

    MapUploadSettings settings_;
    MapTexts texts_;
    MapJournal journal_;
    int64_t intervalMs_;
    HttpLimits limits_;
    std::atomic<bool> stop_{false};

    std::mutex mutex_; // guards the four fields below, held for a few instructions only
    Sums interval_;
    double usvPerCpm_ = 0;
    int64_t lastUtc_ = 0;

    // Upload thread only.
    Sums gmcmapSinceUpload_; // GMCmap's ACPM: the mean since its last accepted upload
    ServiceState state_[kMapServiceCount];
};

// A MapUploader on a thread of its own that ends an interval every `intervalMs`.
class MapUploadThread {
  public:
    MapUploadThread(MapUploadSettings settings, MapTexts texts, MapJournal journal,
                    int64_t intervalMs, HttpLimits limits = {});
    // Stops the thread; a transfer in progress is abandoned (within about a second).
    ~MapUploadThread();
    MapUploadThread(const MapUploadThread&) = delete;
    MapUploadThread& operator=(const MapUploadThread&) = delete;

    void AddCount(int32_t cpm, double usvPerCpm, int64_t utcSeconds) {
        uploader_.AddCount(cpm, usvPerCpm, utcSeconds);
    }
    void ForgetCounts() { uploader_.ForgetCounts(); }

  private:
    void Run();

    MapUploader uploader_;
    const int64_t intervalMs_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

// The interval of the upload thread: the settings' seconds, unless the environment variable
// ZELVANOR_UPLOAD_INTERVAL_MS gives milliseconds (end-to-end tests, which cannot wait minutes).
int64_t UploadIntervalMs(const MapUploadSettings& settings);

} // namespace zel
