#include "net/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "settings/journal.h"
#include "settings/messages.h"
#include "settings/texts.h"

namespace zel {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kKeepAliveS = 30;
constexpr int kFirstRetryMs = 1000;
constexpr int kLongestRetryMs = 60000;
// A broker that takes the TCP connection but never answers is given up after this long.
constexpr milliseconds kConnectTimeout{10000};
// At a stop, what is still queued gets this long to reach a reachable broker.
constexpr milliseconds kStopDrain{3000};
// Messages sent and not yet acknowledged; the rest wait in our queue, where the bound holds.
constexpr size_t kMaxInFlight = 20;

void LibInit() {
    static const int once = [] { return mosquitto_lib_init(); }();
    (void)once;
}

// A problem from a libmosquitto status (errno read at once, before anything else runs).
MqttProblem FromStatus(int rc) {
    switch (rc) {
    case MOSQ_ERR_ERRNO:
        return {MqttProblem::System, errno};
    case MOSQ_ERR_EAI:
        return {MqttProblem::HostName, 0};
    case MOSQ_ERR_TLS:
    case MOSQ_ERR_TLS_HANDSHAKE:
        return {MqttProblem::Tls, 0};
    case MOSQ_ERR_CONN_LOST:
    case MOSQ_ERR_NO_CONN:
        return {MqttProblem::Lost, 0};
    default:
        return {MqttProblem::Other, rc};
    }
}

// A new client with the connection's options; nullptr with the reason.
mosquitto* NewClient(const MqttSettings& s, const std::string& willTopic, void* self,
                     MqttProblem& why) {
    LibInit();
    mosquitto* m = mosquitto_new(nullptr, true, self);
    if (!m) {
        why = {MqttProblem::System, errno};
        return nullptr;
    }
    mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    int rc = MOSQ_ERR_SUCCESS;
    if (!s.user.empty())
        rc = mosquitto_username_pw_set(m, s.user.c_str(),
                                       s.password.empty() ? nullptr : s.password.c_str());
    if (rc == MOSQ_ERR_SUCCESS && s.tls) {
        if (s.caFile.empty()) {
            mosquitto_int_option(m, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
            rc = mosquitto_tls_set(m, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
        } else {
            rc = mosquitto_tls_set(m, s.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        }
        if (rc != MOSQ_ERR_SUCCESS) rc = MOSQ_ERR_TLS;
    }
    if (rc == MOSQ_ERR_SUCCESS && !willTopic.empty())
        rc = mosquitto_will_set(m, willTopic.c_str(), 7, "offline", 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        why = FromStatus(rc);
        mosquitto_destroy(m);
        return nullptr;
    }
    return m;
}

} // namespace

std::string MqttProblemText(const MqttProblem& p) {
    switch (p.kind) {
    case MqttProblem::None:
        return "";
    case MqttProblem::System:
        return GetIOError(p.code);
    case MqttProblem::HostName:
        return GetProgramText(ProgramText::MqttHostUnknown);
    case MqttProblem::Refused:
        if (p.code == 4) return GetProgramText(ProgramText::MqttBadCredentials);
        if (p.code == 5) return GetProgramText(ProgramText::MqttNotAuthorised);
        return GetProgramText(ProgramText::MqttRefusedCode) + std::to_string(p.code);
    case MqttProblem::Tls:
        return GetProgramText(ProgramText::MqttTlsFailed);
    case MqttProblem::NoAnswer:
        return GetProgramText(ProgramText::MqttNoAnswer);
    case MqttProblem::Lost:
        return GetProgramText(ProgramText::MqttConnectionLost);
    case MqttProblem::Other:
        return mosquitto_strerror(p.code);
    }
    return "";
}

MqttPublisher::MqttPublisher(MqttSettings s, size_t capacity)
    : s_(std::move(s)), capacity_(std::max<size_t>(capacity, 1)),
      journal_([](const std::string& m) { Trt_log(m, true); }) {
    thread_ = std::thread([this] { Run(); });
}

MqttPublisher::~MqttPublisher() {
    stop();
}

void MqttPublisher::count(const LiveCount& c) {
    Outgoing o{0, MqttStateTopic(s_, c.counter.id), MqttStatePayload(c)};
    std::lock_guard lock(m_);
    o.seq = nextSeq_++;
    if (queue_.size() >= capacity_) {
        queue_.pop_front();
        ++dropped_;
        ++droppedUntold_;
    }
    queue_.push_back(std::move(o));
    cv_.notify_one();
}

void MqttPublisher::counterOnline(const LiveCounter& c) {
    std::lock_guard lock(m_);
    // The connection's last will names the counter: another counter needs another connection.
    if (c.id != willId_) reconnect_ = true;
    online_ = true;
    counter_ = c;
    retained_.erase(MqttStatusTopic(s_, c.id));
    announce_ = true;
    cv_.notify_one();
}

void MqttPublisher::counterOffline(const LiveCounter& c) {
    std::lock_guard lock(m_);
    if (online_ && counter_.id == c.id) online_ = false;
    retained_[MqttStatusTopic(s_, c.id)] = "offline";
    cv_.notify_one();
}

void MqttPublisher::tick() {
    std::vector<Event> events;
    {
        std::lock_guard lock(m_);
        events.swap(events_);
    }
    const std::string url = MqttUrl(s_);
    for (const Event& e : events) {
        switch (e.kind) {
        case Event::Connected:
            journal_(GetProgramText(ProgramText::MqttConnectedTo) + url);
            break;
        case Event::Lost:
            journal_(GetProgramText(ProgramText::MqttBrokerLost) + url + " - " +
                     MqttProblemText(e.problem));
            break;
        case Event::Back:
            journal_(GetProgramText(ProgramText::MqttBrokerBack) + url);
            break;
        case Event::Dropped:
            journal_(GetProgramText(ProgramText::MqttCountsDropped) + std::to_string(e.n));
            break;
        case Event::UnsentAtStop:
            journal_(GetProgramText(ProgramText::MqttCountsUnsent) + std::to_string(e.n));
            break;
        }
    }
}

void MqttPublisher::stop() {
    {
        std::lock_guard lock(m_);
        if (stopping_ && !thread_.joinable()) return;
        stopping_ = true;
        cv_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
    state_ = MqttLinkState::Off;
}

size_t MqttPublisher::pending() const {
    std::lock_guard lock(m_);
    return queue_.size();
}

uint64_t MqttPublisher::dropped() const {
    std::lock_guard lock(m_);
    return dropped_;
}

uint64_t MqttPublisher::delivered() const {
    std::lock_guard lock(m_);
    return delivered_;
}

void MqttPublisher::PushEvent(Event e) {
    std::lock_guard lock(m_);
    events_.push_back(e);
}

void MqttPublisher::Failed(const MqttProblem& why) {
    state_ = MqttLinkState::Unreachable;
    if (toldLost_) return;
    toldLost_ = true;
    PushEvent({Event::Lost, why, 0});
}

void MqttPublisher::Run() {
    int delay = kFirstRetryMs;
    for (;;) {
        {
            std::lock_guard lock(m_);
            if (stopping_) break;
        }
        mosquitto* m = nullptr;
        MqttProblem why;
        const bool connected = Connect(m, why);
        if (connected) {
            delay = kFirstRetryMs;
            Serve(m);
        }
        if (m) mosquitto_destroy(m);
        {
            std::lock_guard lock(m_);
            // Sent but not acknowledged: sent again on the next connection.
            for (Outgoing& o : queue_)
                o.mid = -1;
            if (stopping_) break;
            if (connected && reconnect_) continue; // only the last will changes: no wait
        }
        if (!connected) Failed(why);
        std::unique_lock lock(m_);
        if (cv_.wait_for(lock, milliseconds(delay), [this] { return stopping_ || reconnect_; }))
            if (stopping_) break;
        delay = std::min(delay * 2, kLongestRetryMs);
    }
    std::lock_guard lock(m_);
    if (droppedUntold_ > 0) events_.push_back({Event::Dropped, {}, droppedUntold_});
    droppedUntold_ = 0;
    if (!queue_.empty()) events_.push_back({Event::UnsentAtStop, {}, queue_.size()});
}

bool MqttPublisher::Connect(mosquitto*& m, MqttProblem& why) {
    std::string willTopic;
    {
        std::lock_guard lock(m_);
        willId_ = online_ ? counter_.id : "";
        reconnect_ = false;
        if (!willId_.empty()) willTopic = MqttStatusTopic(s_, willId_);
    }
    m = NewClient(s_, willTopic, this, why);
    if (!m) return false;
    mosquitto_connect_callback_set(m, OnConnect);
    mosquitto_disconnect_callback_set(m, OnDisconnect);
    mosquitto_publish_callback_set(m, OnPublish);
    mosquitto_message_callback_set(m, OnMessage);
    connack_ = -1;
    connected_ = false;
    retainedMids_.clear();
    int rc = mosquitto_connect_async(m, s_.host.c_str(), s_.port, kKeepAliveS);
    if (rc != MOSQ_ERR_SUCCESS) {
        why = FromStatus(rc);
        return false;
    }
    const auto deadline = Clock::now() + kConnectTimeout;
    while (connack_ < 0) {
        rc = mosquitto_loop(m, 100, 1);
        // A refusal comes as a CONNACK code, then the connection ends: the code says why.
        if (rc != MOSQ_ERR_SUCCESS && connack_ < 0) {
            why = FromStatus(rc);
            return false;
        }
        std::lock_guard lock(m_);
        if (stopping_) {
            why = {MqttProblem::Lost, 0};
            return false;
        }
        if (Clock::now() > deadline) {
            why = {MqttProblem::NoAnswer, 0};
            return false;
        }
    }
    if (connack_ != 0) {
        why = {MqttProblem::Refused, connack_};
        return false;
    }
    connected_ = true;
    state_ = MqttLinkState::Connected;
    if (toldLost_)
        PushEvent({Event::Back, {}, 0});
    else if (!everConnected_)
        PushEvent({Event::Connected, {}, 0});
    everConnected_ = true;
    toldLost_ = false;
    {
        std::lock_guard lock(m_);
        if (droppedUntold_ > 0) events_.push_back({Event::Dropped, {}, droppedUntold_});
        droppedUntold_ = 0;
        // A broker that restarted without persistence forgot the retained messages.
        announce_ = online_;
    }
    if (s_.discovery) mosquitto_subscribe(m, nullptr, MqttHaStatusTopic(s_).c_str(), 1);
    return true;
}

void MqttPublisher::Publish(mosquitto* m, const std::string& topic, const std::string& payload,
                            bool retain, int* mid) {
    mosquitto_publish(m, mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1,
                      retain);
}

// What is due, in order: the counter's announcement, the availability of counters gone, then
// the queued counts up to the in-flight limit.
void MqttPublisher::SendDue(mosquitto* m) {
    bool announce;
    LiveCounter c;
    std::map<std::string, std::string> retained;
    {
        std::lock_guard lock(m_);
        announce = announce_ && online_;
        announce_ = false;
        c = counter_;
        retained.swap(retained_);
    }
    if (announce) {
        if (s_.discovery)
            for (const char* sensor : {"cpm", "usvh"}) {
                int mid = 0;
                Publish(m, MqttDiscoveryTopic(s_, c.id, sensor),
                        MqttDiscoveryPayload(s_, c, sensor), true, &mid);
                retainedMids_.push_back(mid);
            }
        int mid = 0;
        Publish(m, MqttStatusTopic(s_, c.id), "online", true, &mid);
        retainedMids_.push_back(mid);
    }
    for (const auto& [topic, payload] : retained) {
        int mid = 0;
        Publish(m, topic, payload, true, &mid);
        retainedMids_.push_back(mid);
    }
    for (;;) {
        Outgoing o{0, "", ""};
        {
            std::lock_guard lock(m_);
            size_t inFlight = 0;
            const Outgoing* next = nullptr;
            for (const Outgoing& q : queue_) {
                if (q.mid >= 0) {
                    ++inFlight;
                } else {
                    next = &q;
                    break;
                }
            }
            if (!next || inFlight >= kMaxInFlight) return;
            o = *next;
        }
        int mid = -1;
        Publish(m, o.topic, o.payload, false, &mid);
        std::lock_guard lock(m_);
        // The count may have been dropped meanwhile (queue full): nothing to mark then.
        for (Outgoing& q : queue_)
            if (q.seq == o.seq) {
                q.mid = mid;
                break;
            }
    }
}

void MqttPublisher::Serve(mosquitto* m) {
    Clock::time_point drainUntil{};
    for (;;) {
        bool stopping, reconnect;
        {
            std::lock_guard lock(m_);
            stopping = stopping_;
            reconnect = reconnect_;
        }
        if (reconnect) {
            mosquitto_disconnect(m);
            break;
        }
        SendDue(m);
        if (stopping) {
            bool idle;
            {
                std::lock_guard lock(m_);
                idle = queue_.empty() && retained_.empty() && !announce_;
            }
            // The counter's "offline" and the last counts go out first, if the broker takes them.
            if (drainUntil == Clock::time_point{}) drainUntil = Clock::now() + kStopDrain;
            if ((idle && retainedMids_.empty()) || Clock::now() > drainUntil) {
                mosquitto_disconnect(m);
                mosquitto_loop(m, 100, 1);
                break;
            }
        }
        const int rc = mosquitto_loop(m, stopping ? 20 : 100, 1);
        if (rc != MOSQ_ERR_SUCCESS || !connected_) {
            Failed(rc == MOSQ_ERR_SUCCESS ? MqttProblem{MqttProblem::Lost, 0} : FromStatus(rc));
            break;
        }
    }
    connected_ = false;
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
    static_cast<MqttPublisher*>(self)->connack_ = rc;
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int) {
    static_cast<MqttPublisher*>(self)->connected_ = false;
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int mid) {
    auto* p = static_cast<MqttPublisher*>(self);
    auto r = std::find(p->retainedMids_.begin(), p->retainedMids_.end(), mid);
    if (r != p->retainedMids_.end()) {
        p->retainedMids_.erase(r);
        return;
    }
    std::lock_guard lock(p->m_);
    for (auto it = p->queue_.begin(); it != p->queue_.end(); ++it)
        if (it->mid == mid) {
            p->queue_.erase(it);
            ++p->delivered_;
            return;
        }
}

void MqttPublisher::OnMessage(mosquitto*, void* self, const mosquitto_message* msg) {
    auto* p = static_cast<MqttPublisher*>(self);
    const std::string payload(static_cast<const char*>(msg->payload),
                              static_cast<size_t>(std::max(msg->payloadlen, 0)));
    // Home Assistant (re)started: it asks for the discovery configurations again.
    if (payload == "online" && p->s_.discovery && msg->topic == MqttHaStatusTopic(p->s_)) {
        std::lock_guard lock(p->m_);
        p->announce_ = p->online_;
    }
}

MqttProblem MqttTryConnect(const MqttSettings& s, int timeoutMs) {
    struct Probe {
        int connack = -1;
    } probe;
    MqttProblem why;
    mosquitto* m = NewClient(s, "", &probe, why);
    if (!m) return why;
    mosquitto_connect_callback_set(
        m, [](mosquitto*, void* self, int rc) { static_cast<Probe*>(self)->connack = rc; });
    int rc = mosquitto_connect_async(m, s.host.c_str(), s.port, kKeepAliveS);
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (rc == MOSQ_ERR_SUCCESS && probe.connack < 0 && Clock::now() < deadline)
        rc = mosquitto_loop(m, 100, 1);
    if (probe.connack > 0)
        why = {MqttProblem::Refused, probe.connack};
    else if (rc != MOSQ_ERR_SUCCESS)
        why = FromStatus(rc);
    else if (probe.connack < 0)
        why = {MqttProblem::NoAnswer, 0};
    else if (probe.connack != 0)
        why = {MqttProblem::Refused, probe.connack};
    else
        mosquitto_disconnect(m);
    mosquitto_destroy(m);
    return why;
}

} // namespace zel
