#include "app/live_feed.h"

#include "app/connection_state.h"
#include "session/thread_es.h"
#include "settings/config.h"

namespace zel {

namespace {

LiveCounter Counter(TTypeCompteur model, uint32_t serial) {
    LiveCounter c;
    c.model = model;
    c.serial = serial;
    c.id = LiveCounterId(model, serial);
    return c;
}

} // namespace

void FeedCountFromSession(const Tcg_thread_ES& T) {
    if (!T.Live.HasLast || T.Live.Last < 0 || PublisherCount() == 0) return;
    // The counter is online from its first count, should the state not say so yet.
    FeedPresenceFromConnection();
    LiveCount c;
    c.counter = Counter(Fichier_conf.type_compteur_Capture, Fichier_conf.Serial_Compteur);
    c.time = T.BufR.TSynt;
    c.cpm = T.Live.Last;
    c.factor = Fichier_conf.conversion_sievert_capture;
    FeedLiveCount(c);
}

void FeedPresenceFromConnection() {
    const ConnectionStatus& s = Connection();
    const bool online =
        (s.state == ConnectionState::Identified || s.state == ConnectionState::Silent) &&
        s.model != Unknown && s.model != NotInitialized;
    if (!online) {
        FeedCounterPresence(nullptr);
        return;
    }
    const LiveCounter c = Counter(s.model, s.serial);
    FeedCounterPresence(&c);
}

} // namespace zel
