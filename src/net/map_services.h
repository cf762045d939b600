#pragma once
// The three public radiation maps: the request each one takes for a reading, and what its
// answer means. Pure functions of their arguments; the uploader (map_upload.h) sends them.
#include <cstdint>
#include <optional>
#include <string>

#include "net/http_client.h"

namespace zel {

enum class MapService { Radmon, Gmcmap, Safecast };
constexpr int kMapServiceCount = 3;

// The service's own name, as its web site writes it ("radmon.org", "GMCmap", "Safecast").
const char* MapServiceName(MapService s);

// The services' addresses, each replaced by a setting for mirrors and tests.
extern const char* const kRadmonUrl;   // "https://radmon.org/radmon.php"
extern const char* const kGmcmapUrl;   // "http://www.gmcmap.com/log2.asp"
extern const char* const kSafecastUrl; // "https://api.safecast.org/measurements.json"

struct RadmonSettings {
    bool enabled = false;
    std::string user;
    std::string password;
    std::string url = kRadmonUrl;
};

struct GmcmapSettings {
    bool enabled = false;
    std::string account; // the GMCmap user account id
    std::string counter; // the counter's id on that account
    std::string url = kGmcmapUrl;
};

struct SafecastSettings {
    bool enabled = false;
    std::string apiKey;
    double latitude = 0;
    double longitude = 0;
    std::optional<int64_t> deviceId;
    std::optional<double> height; // metres
    std::string locationName;
    std::string url = kSafecastUrl;
};

// One upload: the counts the counter sent during an interval.
struct MapReading {
    double meanCpm = 0;            // mean over the interval
    double meanCpmSinceUpload = 0; // mean since the last upload a service accepted
    double usvPerCpm = 0;          // the counter's conversion factor
    int64_t utcSeconds = 0;        // when the interval's last count came, Unix time
};

HttpRequest RadmonRequest(const RadmonSettings& s, const MapReading& r);
HttpRequest GmcmapRequest(const GmcmapSettings& s, const MapReading& r);
HttpRequest SafecastRequest(const SafecastSettings& s, const MapReading& r);

// What an answer (or its absence) means for the user.
enum class UploadProblem {
    None,           // accepted
    LoginRefused,   // radmon.org: "Incorrect login"
    UnknownAccount, // GMCmap ERR1
    UnknownCounter, // GMCmap ERR2
    BadRequest,     // GMCmap ERR3
    KeyRefused,     // Safecast 401 / 403
    Refused,        // any other refusal; the server's words in `detail`
    HttpStatus,     // an unexpected status without words; the status in `detail`
    NoAnswer,
    CannotConnect,
    Network, // libcurl's words in `detail`
    Aborted, // the program is stopping
};

struct UploadOutcome {
    UploadProblem problem = UploadProblem::None;
    std::string detail;
    bool operator==(const UploadOutcome&) const = default;
};

UploadOutcome RadmonOutcome(const HttpResult& r);
UploadOutcome GmcmapOutcome(const HttpResult& r);
UploadOutcome SafecastOutcome(const HttpResult& r);

// A server's answer as a short line of words: markup removed, blanks collapsed, at most
// `max` bytes (cut on a character boundary, "…" added).
std::string AnswerWords(const std::string& body, size_t max = 120);

// "YYYY-MM-DD HH:MM:SS" (separator ' ') or "YYYY-MM-DDTHH:MM:SSZ" (separator 'T') in UTC.
std::string UtcText(int64_t unixSeconds, char separator);

} // namespace zel
