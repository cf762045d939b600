#pragma once
// What the MQTT publisher sends, as pure functions of its settings and of the counter: the
// broker address in a URL, the topics, the state and Home Assistant discovery payloads.
#include <cstdint>
#include <string>

#include "base/datetime.h"
#include "net/live_publishers.h"

namespace zel {

struct MqttSettings {
    bool enabled = false;
    bool tls = false; // mqtts://
    std::string host;
    int port = 1883; // 8883 with TLS unless given
    std::string user;
    std::string password;
    std::string caFile; // a private CA for TLS; empty: the system's store
    std::string prefix = "zelvanor";
    std::string haPrefix = "homeassistant";
    bool discovery = true;
    std::string swVersion; // the program's version, announced in the device block
};

// Reads mqtt://[user[:password]@]host[:port] or mqtts://... into s (scheme, user, password,
// host, port); other fields untouched. A user name and password may be percent-encoded
// ("%40" for "@"). False with the problem in words in `why`.
bool ParseMqttUrl(const std::string& url, MqttSettings& s, std::string& why);
// The broker as a URL, without the password (for the journal and the window).
std::string MqttUrl(const MqttSettings& s);
// The broker as a URL with user and password, percent-encoded where needed: ParseMqttUrl
// reads it back to the same settings.
std::string MqttFullUrl(const MqttSettings& s);

// A local date-time in ISO 8601 with this computer's offset from UTC at that time:
// "2026-01-05T10:31:00+01:00" (whole seconds).
std::string IsoLocalTime(TDateTime t);

std::string MqttStateTopic(const MqttSettings& s, const std::string& id);
std::string MqttStatusTopic(const MqttSettings& s, const std::string& id);
// The discovery topic of one of the two sensors, "cpm" or "usvh".
std::string MqttDiscoveryTopic(const MqttSettings& s, const std::string& id,
                               const std::string& sensor);
// The topic on which Home Assistant says it (re)started.
std::string MqttHaStatusTopic(const MqttSettings& s);

// {"cpm": 21, "usvh": 0.171, "time": "2026-01-05T10:31:00+01:00"}
std::string MqttStatePayload(const LiveCount& c);
// The discovery configuration of sensor "cpm" or "usvh" of a counter.
std::string MqttDiscoveryPayload(const MqttSettings& s, const LiveCounter& c,
                                 const std::string& sensor);

} // namespace zel
