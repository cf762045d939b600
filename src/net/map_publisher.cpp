#include "net/map_publisher.h"

#include <ctime>

#include "base/numfmt.h"
#include "settings/journal.h"

namespace zel {

MapPublisher::MapPublisher(MapUploadSettings settings, Journal journal, int64_t intervalMs,
                           HttpLimits limits)
    : journal_(std::move(journal)) {
    if (!journal_) journal_ = [](const std::string& m) { Trt_log(m, true); };
    if (intervalMs <= 0) intervalMs = UploadIntervalMs(settings);
    const MapTexts texts = MapTexts::Current();
    std::string names;
    for (const auto& [on, s] : {std::pair{settings.radmon.enabled, MapService::Radmon},
                                std::pair{settings.gmcmap.enabled, MapService::Gmcmap},
                                std::pair{settings.safecast.enabled, MapService::Safecast}})
        if (on) names += std::string(names.empty() ? "" : ", ") + MapServiceName(s);
    journal_(FillIn(texts[MapText::UploadingEvery],
                    FloatToStr(static_cast<double>(intervalMs) / 1000.0)) +
             names);
    thread_ = std::make_unique<MapUploadThread>(
        std::move(settings), texts, [this](const std::string& l) { Queue(l); }, intervalMs, limits);
}

MapPublisher::~MapPublisher() {
    stop();
}

void MapPublisher::Queue(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
}

void MapPublisher::count(const LiveCount& c) {
    if (!thread_) return;
    // The maps take UTC; the count has just come in, so now is its time.
    thread_->AddCount(c.cpm, c.factor, static_cast<int64_t>(std::time(nullptr)));
}

void MapPublisher::counterOnline(const LiveCounter& c) {
    // Another counter's counts never share a mean with the previous one's.
    if (thread_ && !counter_.empty() && c.id != counter_) thread_->ForgetCounts();
    counter_ = c.id;
}

void MapPublisher::tick() {
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines.swap(lines_);
    }
    if (journal_)
        for (const auto& l : lines)
            journal_(l);
}

void MapPublisher::stop() {
    // An upload under way is abandoned; the interval's counts are not sent early.
    thread_.reset();
}

} // namespace zel
