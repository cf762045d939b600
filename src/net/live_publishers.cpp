#include "net/live_publishers.h"

#include <algorithm>
#include <vector>

#include "records/counter.h"

namespace zel {

namespace {

std::vector<std::shared_ptr<LivePublisher>> g_publishers;
bool g_online = false;
LiveCounter g_counter;

bool SameCounter(const LiveCounter& a, const LiveCounter& b) {
    return a.id == b.id;
}

} // namespace

std::string LiveCounterId(TTypeCompteur model, uint32_t serial) {
    if (model < CVORN2 || model > GAMMA_SCOUT2) return "unknown";
    std::string id = RacineCompteur(DonnePrefixe(model), serial);
    for (char& c : id)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return id;
}

void AttachPublisher(std::shared_ptr<LivePublisher> p) {
    if (!p) return;
    if (g_online) p->counterOnline(g_counter);
    g_publishers.push_back(std::move(p));
}

void DetachPublisher(const LivePublisher* p) {
    auto it = std::find_if(g_publishers.begin(), g_publishers.end(),
                           [p](const auto& q) { return q.get() == p; });
    if (it == g_publishers.end()) return;
    std::shared_ptr<LivePublisher> gone = *it;
    g_publishers.erase(it);
    if (g_online) gone->counterOffline(g_counter);
    gone->stop();
    gone->tick();
}

void DetachAllPublishers() {
    while (!g_publishers.empty())
        DetachPublisher(g_publishers.back().get());
    g_online = false;
    g_counter = LiveCounter{};
}

size_t PublisherCount() {
    return g_publishers.size();
}

void FeedLiveCount(const LiveCount& c) {
    for (const auto& p : g_publishers)
        p->count(c);
}

void FeedCounterPresence(const LiveCounter* online) {
    if (online && g_online && SameCounter(*online, g_counter)) return;
    if (!online && !g_online) return;
    if (g_online)
        for (const auto& p : g_publishers)
            p->counterOffline(g_counter);
    g_online = online != nullptr;
    g_counter = online ? *online : LiveCounter{};
    if (g_online)
        for (const auto& p : g_publishers)
            p->counterOnline(g_counter);
}

void FeedTick() {
    for (const auto& p : g_publishers)
        p->tick();
}

} // namespace zel
