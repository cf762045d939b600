#include "app/live_feed.h"

#include <vector>

#include "app/connection_state.h"
#include "session/thread_es.h"
#include "settings/config.h"

namespace zel {

namespace {

// Counts received while the counter is being identified: a VORN's first count can come before
// its factor is read, and would go out with another counter's factor and no name.
std::vector<LiveCount> g_held;
// A set-up that never ends (a counter that answers nothing but counts) keeps only the newest.
constexpr size_t kHeldMax = 10000;

LiveCounter Counter(TTypeCompteur model, uint32_t serial) {
    LiveCounter c;
    c.model = model;
    c.serial = serial;
    c.id = LiveCounterId(model, serial);
    return c;
}

bool Online(const ConnectionStatus& s) {
    return (s.state == ConnectionState::Identified || s.state == ConnectionState::Silent) &&
           s.model != Unknown && s.model != NotInitialized;
}

} // namespace

void FeedCountFromSession(const Tcg_thread_ES& T) {
    if (!T.Live.HasLast || T.Live.Last < 0 || PublisherCount() == 0) return;
    LiveCount c;
    c.counter = Counter(Fichier_conf.type_compteur_Capture, Fichier_conf.Serial_Compteur);
    c.time = T.BufR.TSynt;
    c.cpm = T.Live.Last;
    c.factor = Fichier_conf.conversion_sievert_capture;
    if (Connection().state == ConnectionState::Connecting) {
        if (g_held.size() >= kHeldMax) g_held.erase(g_held.begin());
        g_held.push_back(c);
        return;
    }
    FeedPresenceFromConnection();
    FeedLiveCount(c);
}

void FeedPresenceFromConnection() {
    const ConnectionStatus& s = Connection();
    if (s.state == ConnectionState::Connecting) return;
    if (!Online(s)) {
        FeedCounterPresence(nullptr);
    } else {
        const LiveCounter c = Counter(s.model, s.serial);
        FeedCounterPresence(&c);
    }
    // The set-up is over: the held counts go with what is known now.
    std::vector<LiveCount> held;
    held.swap(g_held);
    for (LiveCount& c : held) {
        if (Online(s)) {
            c.counter = Counter(s.model, s.serial);
            c.factor = Fichier_conf.conversion_sievert_capture;
        }
        FeedLiveCount(c);
    }
}

} // namespace zel
