#include "cli/mqtt_options.h"

#include "base/textfile.h"

namespace zelcli {

namespace {

// A prefix the broker accepts in a topic we publish to: no wildcard, no empty level at either
// end, not empty.
bool TopicPrefixOk(const std::string& p) {
    return !p.empty() && p.find_first_of("+#") == std::string::npos && p.front() != '/' &&
           p.back() != '/' && p.find('\0') == std::string::npos;
}

} // namespace

const std::vector<zel::OptionDef>& MqttOptionDefs() {
    static const std::vector<zel::OptionDef> defs = {
        {"mqtt", true},      {"mqtt-ca", true},          {"mqtt-prefix", true},
        {"ha-prefix", true}, {"no-ha-discovery", false}, {"mqtt-password-file", true},
    };
    return defs;
}

const char* MqttUsage() {
    return "  --mqtt URL  also publish every count to an MQTT broker:\n"
           "              mqtt://[user[:password]@]host[:port] (port 1883), or mqtts://...\n"
           "              (TLS, port 8883, checked against the system's certificates).\n"
           "              A broker out of reach is tried again; logging goes on meanwhile.\n"
           "  --mqtt-ca FILE       the certificate (PEM) of a private authority for mqtts://\n"
           "  --mqtt-password-file FILE  the password, on the first line of FILE (keeps it\n"
           "              out of the process list)\n"
           "  --mqtt-prefix P      topics P/<counter>/state and P/<counter>/status\n"
           "              (default zelvanor)\n"
           "  --ha-prefix P        Home Assistant discovery prefix (default homeassistant)\n"
           "  --no-ha-discovery    do not announce the sensors to Home Assistant\n";
}

bool ReadMqttOptions(const zel::ParsedArgs& args, zel::MqttSettings& s, std::string& why) {
    const std::string* url = args.last("mqtt");
    if (!url) {
        for (const auto& d : MqttOptionDefs())
            if (args.has(d.name)) {
                why = std::string("--") + d.name + " needs --mqtt";
                return false;
            }
        return true;
    }
    std::string problem;
    if (!zel::ParseMqttUrl(*url, s, problem)) {
        why = "--mqtt: " + problem;
        return false;
    }
    s.enabled = true;
    if (const std::string* ca = args.last("mqtt-ca")) {
        std::string bytes;
        if (!zel::ReadFileBytes(*ca, bytes)) {
            why = "--mqtt-ca: cannot read " + *ca;
            return false;
        }
        if (!s.tls) {
            why = "--mqtt-ca: the broker URL must start with mqtts:// for TLS";
            return false;
        }
        s.caFile = *ca;
    }
    if (const std::string* file = args.last("mqtt-password-file")) {
        std::string bytes;
        if (!zel::ReadFileBytes(*file, bytes)) {
            why = "--mqtt-password-file: cannot read " + *file;
            return false;
        }
        const size_t end = bytes.find_first_of("\r\n");
        s.password = bytes.substr(0, end);
        if (s.user.empty()) {
            why = "--mqtt-password-file: the broker URL names no user (mqtt://user@host)";
            return false;
        }
    }
    for (const auto& [name, field] :
         {std::pair{"mqtt-prefix", &s.prefix}, std::pair{"ha-prefix", &s.haPrefix}}) {
        if (const std::string* p = args.last(name)) {
            if (!TopicPrefixOk(*p)) {
                why = std::string("--") + name + ": " + *p +
                      " is no topic prefix (not empty, no + or #, no / at either end)";
                return false;
            }
            *field = *p;
        }
    }
    s.discovery = !args.has("no-ha-discovery");
    return true;
}

} // namespace zelcli
