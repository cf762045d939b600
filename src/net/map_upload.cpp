#include "net/map_upload.h"

#include <chrono>
#include <cstdlib>

#include "base/numfmt.h"
#include "base/text_util.h"

namespace zel {

namespace {

constexpr MapService kServices[] = {MapService::Radmon, MapService::Gmcmap, MapService::Safecast};

std::string Seconds(int64_t ms) {
    return FloatToStr(static_cast<double>(ms) / 1000.0);
}

// A failure's kind: the problem and its details, so that the same refusal is told once and a
// different one again.
std::string KindOf(const UploadOutcome& o) {
    return std::to_string(static_cast<int>(o.problem)) + ":" + o.detail;
}

} // namespace

MapUploader::MapUploader(MapUploadSettings settings, MapTexts texts, MapJournal journal,
                         int64_t intervalMs, HttpLimits limits)
    : settings_(std::move(settings)), texts_(std::move(texts)), journal_(std::move(journal)),
      intervalMs_(intervalMs), limits_(limits) {}

bool MapUploader::Enabled(MapService s) const {
    switch (s) {
    case MapService::Radmon:
        return settings_.radmon.enabled;
    case MapService::Gmcmap:
        return settings_.gmcmap.enabled;
    case MapService::Safecast:
        return settings_.safecast.enabled;
    }
    return false;
}

void MapUploader::AddCount(int32_t cpm, double usvPerCpm, int64_t utcSeconds) {
    if (cpm < 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    interval_.sum += cpm;
    ++interval_.n;
    usvPerCpm_ = usvPerCpm;
    lastUtc_ = utcSeconds;
}

void MapUploader::ForgetCounts() {
    std::lock_guard<std::mutex> lock(mutex_);
    interval_ = Sums{};
}

UploadOutcome MapUploader::Send(MapService s, const MapReading& r) {
    if (stop_) return {UploadProblem::Aborted, ""};
    switch (s) {
    case MapService::Radmon:
        return RadmonOutcome(HttpSend(RadmonRequest(settings_.radmon, r), limits_, &stop_));
    case MapService::Gmcmap:
        return GmcmapOutcome(HttpSend(GmcmapRequest(settings_.gmcmap, r), limits_, &stop_));
    case MapService::Safecast:
        return SafecastOutcome(HttpSend(SafecastRequest(settings_.safecast, r), limits_, &stop_));
    }
    return {UploadProblem::Aborted, ""};
}

void MapUploader::EndInterval() {
    Sums sums;
    MapReading r;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sums = interval_;
        interval_ = Sums{};
        r.usvPerCpm = usvPerCpm_;
        r.utcSeconds = lastUtc_;
    }
    // A gap: the counter sent nothing, so there is nothing to tell the maps.
    if (sums.n == 0) return;
    r.meanCpm = sums.mean();
    gmcmapSinceUpload_.sum += sums.sum;
    gmcmapSinceUpload_.n += sums.n;
    r.meanCpmSinceUpload = gmcmapSinceUpload_.mean();
    for (MapService s : kServices) {
        if (!Enabled(s) || stop_) continue;
        const UploadOutcome o = Send(s, r);
        if (o.problem == UploadProblem::None && s == MapService::Gmcmap)
            gmcmapSinceUpload_ = Sums{};
        Report(s, o, r.meanCpm);
    }
}

std::string MapUploader::Describe(MapService s, UploadOutcome o) const {
    // The server's words may repeat what was sent, as it was sent or URL-encoded: no secret
    // is shown or journalled.
    for (const std::string* secret : {&settings_.radmon.password, &settings_.safecast.apiKey}) {
        if (secret->empty()) continue;
        for (const std::string& form : {*secret, PercentEncode(*secret)})
            for (size_t p = o.detail.find(form); p != std::string::npos;
                 p = o.detail.find(form, p + 3))
                o.detail.replace(p, form.size(), "***");
    }
    const std::string host = UrlHost(s == MapService::Radmon   ? settings_.radmon.url
                                     : s == MapService::Gmcmap ? settings_.gmcmap.url
                                                               : settings_.safecast.url);
    switch (o.problem) {
    case UploadProblem::None:
    case UploadProblem::Aborted:
        return "";
    case UploadProblem::LoginRefused:
        return texts_[MapText::LoginRefused];
    case UploadProblem::UnknownAccount:
        return texts_[MapText::UnknownAccount];
    case UploadProblem::UnknownCounter:
        return texts_[MapText::UnknownCounter];
    case UploadProblem::BadRequest:
        return texts_[MapText::BadRequest];
    case UploadProblem::KeyRefused:
        return texts_[MapText::KeyRefused];
    case UploadProblem::Refused:
        return texts_[MapText::Refused] + o.detail;
    case UploadProblem::HttpStatus:
        return texts_[MapText::HttpStatus] + o.detail;
    case UploadProblem::NoAnswer:
        return FillIn(texts_[MapText::NoAnswer], host, Seconds(limits_.totalMs));
    case UploadProblem::CannotConnect:
        return FillIn(texts_[MapText::CannotConnect], host) + o.detail;
    case UploadProblem::Network:
        return FillIn(texts_[MapText::NetworkError], host) + o.detail;
    }
    return "";
}

void MapUploader::Report(MapService s, const UploadOutcome& o, double cpm) {
    if (o.problem == UploadProblem::Aborted || !journal_) return;
    ServiceState& st = state_[static_cast<int>(s)];
    std::string line;
    if (o.problem == UploadProblem::None) {
        if (!st.accepted)
            line = FillIn(texts_[MapText::FirstAccepted], FormatFloat("0.##", cpm));
        else if (!st.lastFailure.empty())
            line = texts_[MapText::WorksAgain];
        st.accepted = true;
        st.lastFailure.clear();
    } else {
        const std::string kind = KindOf(o);
        if (kind != st.lastFailure)
            line = Describe(s, o) + FillIn(texts_[MapText::NextTry], Seconds(intervalMs_));
        st.lastFailure = kind;
    }
    if (!line.empty()) journal_(std::string(MapServiceName(s)) + ": " + line);
}

MapUploadThread::MapUploadThread(MapUploadSettings settings, MapTexts texts, MapJournal journal,
                                 int64_t intervalMs, HttpLimits limits)
    : uploader_(std::move(settings), std::move(texts), std::move(journal), intervalMs, limits),
      intervalMs_(intervalMs) {
    thread_ = std::thread([this] { Run(); });
}

MapUploadThread::~MapUploadThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    uploader_.RequestStop();
    wake_.notify_all();
    thread_.join();
}

void MapUploadThread::Run() {
    using clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(intervalMs_);
    auto next = clock::now() + interval;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_until(lock, next, [this] { return stopping_; })) {
        lock.unlock();
        uploader_.EndInterval();
        lock.lock();
        // Uploads that took longer than an interval are not caught up: the next interval
        // starts now, so a slow server never causes a burst.
        next += interval;
        if (next <= clock::now()) next = clock::now() + interval;
    }
}

int64_t UploadIntervalMs(const MapUploadSettings& settings) {
    if (const char* e = std::getenv("ZELVANOR_UPLOAD_INTERVAL_MS")) {
        double ms = 0;
        if (ParseDecimal(e, ms) && ms >= 1) return static_cast<int64_t>(ms);
    }
    return static_cast<int64_t>(settings.intervalSeconds) * 1000;
}

} // namespace zel
