#pragma once
// The radiation maps as a publisher of live counts: every count of the connected counter goes
// to the upload thread, and what that thread has to tell reaches the journal on the main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/live_publishers.h"
#include "net/map_upload.h"

namespace zel {

class MapPublisher : public LivePublisher {
  public:
    using Journal = std::function<void(const std::string&)>;
    // Main thread (the journal texts are taken from the language loaded now). The journal is
    // Trt_log unless given; the interval UploadIntervalMs(settings) unless given.
    explicit MapPublisher(MapUploadSettings settings, Journal journal = {}, int64_t intervalMs = 0,
                          HttpLimits limits = {});
    ~MapPublisher() override;

    void count(const LiveCount& c) override;
    void counterOnline(const LiveCounter& c) override;
    void counterOffline(const LiveCounter&) override {}
    void tick() override;
    void stop() override;

  private:
    void Queue(const std::string& line);

    Journal journal_;
    std::mutex mutex_;
    std::vector<std::string> lines_; // from the upload thread, journalled by tick()
    std::string counter_;            // the counter whose counts the interval holds
    std::unique_ptr<MapUploadThread> thread_;
};

} // namespace zel
