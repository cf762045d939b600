#pragma once
// Publishes the live counts to an MQTT broker (libmosquitto, on a thread of its own) and
// announces the counter's two sensors to Home Assistant.
//
// Never in the way of the counter: a count is put in a bounded queue and the call returns; the
// publisher's thread sends the queue in order while the broker is reachable, and tries again
// after 1 s, 2 s, 4 s ... at most every 60 s while it is not. When the queue is full the oldest
// counts go, and how many went is journalled once. The journal hears once that the broker is
// lost and once that it is back.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/live_publishers.h"
#include "net/mqtt_messages.h"

struct mosquitto;
struct mosquitto_message;

namespace zel {

constexpr size_t kMqttQueueCapacity = 10000;

// Why the broker could not be used.
struct MqttProblem {
    enum Kind : uint8_t {
        None,
        System,   // code: errno (connection refused, no route ...)
        HostName, // the host name did not resolve
        Refused,  // code: the broker's CONNACK code (3 unavailable, 4 bad credentials, 5 not
                  // authorised)
        Tls,      // the TLS handshake failed (an untrusted certificate, most often)
        NoAnswer, // no answer to the connection within the time allowed
        Lost,     // an established connection ended
        Other,    // code: a libmosquitto status
    };
    Kind kind = None;
    int code = 0;
};
// The problem in words, in the program's language. Main thread.
std::string MqttProblemText(const MqttProblem& p);

enum class MqttLinkState : uint8_t {
    Off,         // no publisher
    Connecting,  // first attempt under way
    Connected,   // connected to the broker
    Unreachable, // not connected; trying again
};

class MqttPublisher : public LivePublisher {
  public:
    // Starts the thread; the first connection is tried at once.
    explicit MqttPublisher(MqttSettings s, size_t capacity = kMqttQueueCapacity);
    ~MqttPublisher() override;

    void count(const LiveCount& c) override;
    void counterOnline(const LiveCounter& c) override;
    void counterOffline(const LiveCounter& c) override;
    void tick() override;
    void stop() override;

    // The journal; by default the program's (Trt_log). Called from tick() only.
    void setJournal(std::function<void(const std::string&)> j) { journal_ = std::move(j); }

    const MqttSettings& settings() const { return s_; }
    MqttLinkState state() const { return state_.load(); }
    // Counts waiting to be sent or acknowledged, and counts dropped since the start.
    size_t pending() const;
    uint64_t dropped() const;
    // Counts acknowledged by the broker since the start.
    uint64_t delivered() const;

  private:
    struct Outgoing {
        uint64_t seq;
        std::string topic;
        std::string payload;
        int mid = -1; // sent and waiting for its acknowledgement; -1 not sent yet
    };
    struct Event {
        enum Kind : uint8_t { Connected, Lost, Back, Dropped, UnsentAtStop } kind;
        MqttProblem problem;
        uint64_t n = 0;
    };

    void Run();
    bool Connect(mosquitto*& m, MqttProblem& why);
    void Serve(mosquitto* m);
    void SendDue(mosquitto* m);
    void Publish(mosquitto* m, const std::string& topic, const std::string& payload, bool retain,
                 int* mid);
    void Failed(const MqttProblem& why);
    void PushEvent(Event e);

    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* msg);

    const MqttSettings s_;
    const size_t capacity_;
    std::function<void(const std::string&)> journal_;
    std::atomic<MqttLinkState> state_{MqttLinkState::Connecting};

    mutable std::mutex m_;
    std::condition_variable cv_;
    bool stopping_ = false;
    std::deque<Outgoing> queue_; // state messages, oldest first
    uint64_t nextSeq_ = 0;
    uint64_t dropped_ = 0;
    uint64_t droppedUntold_ = 0;
    uint64_t delivered_ = 0;
    // Retained messages still to send (availability of counters gone), by topic.
    std::map<std::string, std::string> retained_;
    bool online_ = false;
    LiveCounter counter_;
    bool announce_ = false;  // the counter's discovery and availability are due
    bool reconnect_ = false; // the last will must name another counter
    std::vector<Event> events_;

    // The publisher's thread only.
    int connack_ = -1;       // CONNACK code of the attempt under way; -1 none yet
    bool connected_ = false; // CONNACK 0 received, not disconnected since
    bool toldLost_ = false;
    bool everConnected_ = false;
    std::string willId_; // the counter the connection's last will is for
    std::vector<int> retainedMids_;

    std::thread thread_;
};

// Connects once with these settings and disconnects: None when the broker accepted the
// connection. Waits at most timeoutMs. Any thread.
MqttProblem MqttTryConnect(const MqttSettings& s, int timeoutMs);

} // namespace zel
