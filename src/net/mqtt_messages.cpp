#include "net/mqtt_messages.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/json.h"
#include "base/numfmt.h"
#include "base/text_util.h"
#include "records/counter.h"

namespace zel {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// False on a "%" not followed by two hexadecimal digits.
bool PercentDecode(const std::string& in, std::string& out) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            out += in[i];
            continue;
        }
        if (i + 2 >= in.size() || HexDigit(in[i + 1]) < 0 || HexDigit(in[i + 2]) < 0) return false;
        out += static_cast<char>(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
        i += 2;
    }
    return true;
}

// The model as people write it: "VORN8", "GS2".
std::string ModelName(TTypeCompteur m) {
    if (m < CVORN2 || m > GAMMA_SCOUT2) return "unknown";
    std::string p = DonnePrefixe(m);
    if (!p.empty() && p.back() == '_') p.pop_back();
    return p;
}

} // namespace

bool ParseMqttUrl(const std::string& url, MqttSettings& s, std::string& why) {
    std::string rest;
    bool tls;
    if (url.rfind("mqtt://", 0) == 0) {
        tls = false;
        rest = url.substr(7);
    } else if (url.rfind("mqtts://", 0) == 0) {
        tls = true;
        rest = url.substr(8);
    } else {
        why = url + " does not start with mqtt:// or mqtts://";
        return false;
    }
    // Nothing after the address: a path or a query would be silently ignored otherwise.
    if (rest.find_first_of("/?#") != std::string::npos) {
        why = url + ": nothing may follow host:port (no path)";
        return false;
    }
    std::string user, password;
    const size_t at = rest.rfind('@');
    if (at != std::string::npos) {
        const std::string cred = rest.substr(0, at);
        rest = rest.substr(at + 1);
        const size_t colon = cred.find(':');
        const bool hasPassword = colon != std::string::npos;
        if (!PercentDecode(cred.substr(0, colon), user) ||
            (hasPassword && !PercentDecode(cred.substr(colon + 1), password))) {
            why = url + ": a % in the user name or password must be followed by two hex digits";
            return false;
        }
        if (user.empty()) {
            why = url + ": the user name before @ is empty";
            return false;
        }
    }
    std::string host = rest;
    int port = tls ? 8883 : 1883;
    std::string portText;
    if (!rest.empty() && rest[0] == '[') {
        // An IPv6 address in brackets.
        const size_t close = rest.find(']');
        if (close == std::string::npos) {
            why = url + ": the IPv6 address has no closing ]";
            return false;
        }
        host = rest.substr(1, close - 1);
        const std::string after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') {
                why = url + ": only :port may follow the IPv6 address";
                return false;
            }
            portText = after.substr(1);
            if (portText.empty()) {
                why = url + ": the port after : is empty";
                return false;
            }
        }
    } else {
        const size_t colon = rest.find(':');
        if (colon != std::string::npos) {
            host = rest.substr(0, colon);
            portText = rest.substr(colon + 1);
            if (portText.empty()) {
                why = url + ": the port after : is empty";
                return false;
            }
        }
    }
    if (host.empty()) {
        why = url + ": no host name";
        return false;
    }
    if (!portText.empty()) {
        const auto r = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (r.ec != std::errc() || r.ptr != portText.data() + portText.size() || port < 1 ||
            port > 65535) {
            why = url + ": the port " + portText + " is not a number from 1 to 65535";
            return false;
        }
    }
    s.tls = tls;
    s.host = host;
    s.port = port;
    s.user = user;
    s.password = password;
    return true;
}

namespace {

std::string HostPort(const MqttSettings& s) {
    const bool v6 = s.host.find(':') != std::string::npos;
    return (v6 ? "[" + s.host + "]" : s.host) + ":" + std::to_string(s.port);
}

} // namespace

std::string MqttUrl(const MqttSettings& s) {
    std::string u = s.tls ? "mqtts://" : "mqtt://";
    if (!s.user.empty()) u += PercentEncode(s.user) + "@";
    return u + HostPort(s);
}

std::string MqttFullUrl(const MqttSettings& s) {
    std::string u = s.tls ? "mqtts://" : "mqtt://";
    if (!s.user.empty()) {
        u += PercentEncode(s.user);
        if (!s.password.empty()) u += ":" + PercentEncode(s.password);
        u += "@";
    }
    return u + HostPort(s);
}

std::string IsoLocalTime(TDateTime t) {
    const DateTimeParts p = DecodeDateTime(t);
    std::tm tm{};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    tm.tm_isdst = -1; // the offset in force at that time, summer or winter
    long offset = 0;
    if (std::mktime(&tm) != static_cast<std::time_t>(-1)) offset = tm.tm_gmtoff;
    const char sign = offset < 0 ? '-' : '+';
    const long a = std::labs(offset) / 60;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", p.year, p.month,
                  p.day, p.hour, p.minute, p.second, sign, a / 60, a % 60);
    return buf;
}

std::string MqttStateTopic(const MqttSettings& s, const std::string& id) {
    return s.prefix + "/" + id + "/state";
}

std::string MqttStatusTopic(const MqttSettings& s, const std::string& id) {
    return s.prefix + "/" + id + "/status";
}

std::string MqttDiscoveryTopic(const MqttSettings& s, const std::string& id,
                               const std::string& sensor) {
    return s.haPrefix + "/sensor/zelvanor_" + id + "/" + sensor + "/config";
}

std::string MqttHaStatusTopic(const MqttSettings& s) {
    return s.haPrefix + "/status";
}

std::string MqttStatePayload(const LiveCount& c) {
    // Three decimals, as the window shows the dose rate; always a point, whatever the region.
    return "{\"cpm\": " + std::to_string(c.cpm) +
           ", \"usvh\": " + zel::FormatFloat("0.000", c.cpm * c.factor) +
           ", \"time\": " + JsonString(IsoLocalTime(c.time)) + "}";
}

std::string MqttDiscoveryPayload(const MqttSettings& s, const LiveCounter& c,
                                 const std::string& sensor) {
    const bool cpm = sensor == "cpm";
    const std::string model = ModelName(c.model);
    const std::string device = "zelvanor_" + c.id;
    std::string j = "{";
    j += "\"name\": " + JsonString(cpm ? "Count rate" : "Dose rate");
    j += ", \"unique_id\": " + JsonString(device + "_" + sensor);
    j += ", \"object_id\": " + JsonString(device + "_" + sensor);
    j += ", \"state_topic\": " + JsonString(MqttStateTopic(s, c.id));
    j += ", \"value_template\": " +
         JsonString(cpm ? "{{ value_json.cpm }}" : "{{ value_json.usvh }}");
    j += ", \"unit_of_measurement\": " + JsonString(cpm ? "CPM" : "µSv/h");
    j += ", \"state_class\": \"measurement\"";
    j += ", \"icon\": \"mdi:radioactive\"";
    j += ", \"availability_topic\": " + JsonString(MqttStatusTopic(s, c.id));
    j += ", \"payload_available\": \"online\", \"payload_not_available\": \"offline\"";
    j += ", \"device\": {\"identifiers\": [" + JsonString(device) + "]";
    const size_t underscore = c.id.find('_');
    const std::string serial = underscore == std::string::npos ? "" : c.id.substr(underscore + 1);
    j += ", \"name\": " +
         JsonString("Geiger counter " + model + (serial.empty() ? "" : " " + serial));
    j += ", \"model\": " + JsonString(model);
    j += ", \"sw_version\": " + JsonString(s.swVersion.empty() ? "zelvanor" : s.swVersion);
    j += "}}";
    return j;
}

} // namespace zel
