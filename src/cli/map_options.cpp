#include "cli/map_options.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

#include "base/numfmt.h"
#include "base/text_util.h"

namespace zelcli {

namespace {

constexpr int kMaxUploadSeconds = 86400;

// The first line of a file that holds a secret, without its line end and surrounding blanks.
bool ReadSecret(const std::string& option, const std::string& path, std::string& secret,
                std::string& why) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        why = "--" + option + ": cannot read " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::string line;
    std::getline(f, line);
    secret = zel::TrimControl(line);
    if (secret.empty()) {
        why = "--" + option + ": " + path + " is empty";
        return false;
    }
    return true;
}

bool ReadAddress(const std::string& option, const std::string& v, std::string& url,
                 std::string& why) {
    if (v.rfind("http://", 0) != 0 && v.rfind("https://", 0) != 0) {
        why = "--" + option + ": " + v + " is not an http:// or https:// address";
        return false;
    }
    url = v;
    return true;
}

bool ReadDegrees(const std::string& option, const std::string& v, double limit, double& out,
                 std::string& why) {
    if (!zel::ParseDecimal(v, out) || !(out >= -limit && out <= limit)) {
        why = "--" + option + ": " + v + " is not a number of degrees from -" +
              zel::FloatToStr(limit) + " to " + zel::FloatToStr(limit);
        return false;
    }
    return true;
}

bool ReadWhole(const std::string& v, int64_t low, int64_t high, int64_t& out) {
    const auto r = std::from_chars(v.data(), v.data() + v.size(), out);
    return r.ec == std::errc() && r.ptr == v.data() + v.size() && out >= low && out <= high;
}

} // namespace

std::vector<zel::OptionDef> MapOptionDefs() {
    return {{"radmon", true},
            {"radmon-password-file", true},
            {"gmcmap", true},
            {"safecast-key-file", true},
            {"lat", true},
            {"lon", true},
            {"safecast-device", true},
            {"upload-every", true},
            {"radmon-url", true},
            {"gmcmap-url", true},
            {"safecast-url", true}};
}

const char* MapOptionsUsage() {
    return "Radiation maps (each off unless given; the mean of the counts of each interval):\n"
           "  --radmon USER --radmon-password-file FILE   upload to radmon.org\n"
           "  --gmcmap ACCOUNT:COUNTER                    upload to GMCmap (account and counter "
           "ids)\n"
           "  --safecast-key-file FILE --lat X --lon Y [--safecast-device N]\n"
           "                                              upload to Safecast at latitude X,\n"
           "                                              longitude Y (decimal degrees)\n"
           "  --upload-every SECONDS  the interval (default 300, at least 60)\n"
           "  --radmon-url, --gmcmap-url, --safecast-url URL   another address for the service\n"
           "  A FILE holds the secret on its first line, so that it is not seen in the process\n"
           "  list; secrets never reach the journal.\n";
}

bool ReadMapOptions(const zel::ParsedArgs& args, zel::MapUploadSettings& s, std::string& why) {
    for (const zel::ParsedOption& a : args.options) {
        const std::string& v = a.value;
        const std::string& n = a.name;
        if (n == "radmon") {
            if (v.empty()) {
                why = "--radmon: the user name is empty";
                return false;
            }
            s.radmon.enabled = true;
            s.radmon.user = v;
        } else if (n == "radmon-password-file") {
            if (!ReadSecret(n, v, s.radmon.password, why)) return false;
        } else if (n == "gmcmap") {
            const size_t colon = v.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == v.size() ||
                v.find(':', colon + 1) != std::string::npos) {
                why = "--gmcmap: " + v + " is not ACCOUNT:COUNTER";
                return false;
            }
            s.gmcmap.enabled = true;
            s.gmcmap.account = v.substr(0, colon);
            s.gmcmap.counter = v.substr(colon + 1);
        } else if (n == "safecast-key-file") {
            if (!ReadSecret(n, v, s.safecast.apiKey, why)) return false;
            s.safecast.enabled = true;
        } else if (n == "lat") {
            if (!ReadDegrees(n, v, 90, s.safecast.latitude, why)) return false;
        } else if (n == "lon") {
            if (!ReadDegrees(n, v, 180, s.safecast.longitude, why)) return false;
        } else if (n == "safecast-device") {
            int64_t id = 0;
            if (!ReadWhole(v, 1, INT64_MAX, id)) {
                why = "--safecast-device: " + v + " is not a device number";
                return false;
            }
            s.safecast.deviceId = id;
        } else if (n == "upload-every") {
            int64_t sec = 0;
            if (!ReadWhole(v, zel::kMinUploadSeconds, kMaxUploadSeconds, sec)) {
                why = "--upload-every: " + v + " is not a whole number of seconds from " +
                      std::to_string(zel::kMinUploadSeconds) + " to " +
                      std::to_string(kMaxUploadSeconds);
                return false;
            }
            s.intervalSeconds = static_cast<int>(sec);
        } else if (n == "radmon-url") {
            if (!ReadAddress(n, v, s.radmon.url, why)) return false;
        } else if (n == "gmcmap-url") {
            if (!ReadAddress(n, v, s.gmcmap.url, why)) return false;
        } else if (n == "safecast-url") {
            if (!ReadAddress(n, v, s.safecast.url, why)) return false;
        }
    }
    // Options that only make sense with their service.
    struct Needs {
        const char* option;
        bool given;
        bool service;
        const char* what;
    };
    const Needs needs[] = {
        {"radmon", args.has("radmon"), args.has("radmon-password-file"), "--radmon-password-file"},
        {"radmon-password-file", args.has("radmon-password-file"), s.radmon.enabled, "--radmon"},
        {"radmon-url", args.has("radmon-url"), s.radmon.enabled, "--radmon"},
        {"gmcmap-url", args.has("gmcmap-url"), s.gmcmap.enabled, "--gmcmap"},
        {"safecast-key-file", args.has("safecast-key-file"), args.has("lat") && args.has("lon"),
         "--lat and --lon"},
        {"lat", args.has("lat"), s.safecast.enabled, "--safecast-key-file"},
        {"lon", args.has("lon"), s.safecast.enabled, "--safecast-key-file"},
        {"safecast-device", args.has("safecast-device"), s.safecast.enabled, "--safecast-key-file"},
        {"safecast-url", args.has("safecast-url"), s.safecast.enabled, "--safecast-key-file"},
    };
    for (const auto& n : needs)
        if (n.given && !n.service) {
            why = std::string("--") + n.option + " needs " + n.what;
            return false;
        }
    return true;
}

} // namespace zelcli
