#include "net/map_services.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/json.h"
#include "base/numfmt.h"
#include "base/text_util.h"

namespace zel {

const char* const kRadmonUrl = "https://radmon.org/radmon.php";
const char* const kGmcmapUrl = "http://www.gmcmap.com/log2.asp";
const char* const kSafecastUrl = "https://api.safecast.org/measurements.json";

const char* MapServiceName(MapService s) {
    switch (s) {
    case MapService::Radmon:
        return "radmon.org";
    case MapService::Gmcmap:
        return "GMCmap";
    case MapService::Safecast:
        return "Safecast";
    }
    return "";
}

namespace {

// Counts per minute with at most two decimals: a mean of whole counts needs no more.
std::string Cpm(double cpm) {
    return FormatFloat("0.##", cpm);
}

bool Contains(const std::string& s, const char* what) {
    return s.find(what) != std::string::npos;
}

// The outcome of a transfer that brought no answer, or None when one came.
UploadOutcome TransferOutcome(const HttpResult& r) {
    switch (r.failure) {
    case HttpFailure::None:
        return {};
    case HttpFailure::NoAnswer:
        return {UploadProblem::NoAnswer, ""};
    case HttpFailure::CannotConnect:
        return {UploadProblem::CannotConnect, r.error};
    case HttpFailure::Aborted:
        return {UploadProblem::Aborted, ""};
    case HttpFailure::Network:
        break;
    }
    return {UploadProblem::Network, r.error};
}

// A refusal in the server's words, or its status when it said nothing.
UploadOutcome Refusal(const HttpResult& r) {
    const std::string words = AnswerWords(r.body);
    if (!words.empty()) return {UploadProblem::Refused, words};
    return {UploadProblem::HttpStatus, std::to_string(r.status)};
}

bool Success(long status) {
    return status >= 200 && status < 300;
}

} // namespace

std::string UtcText(int64_t unixSeconds, char separator) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char out[64];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d%c%02d:%02d:%02d%s", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, separator, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  separator == 'T' ? "Z" : "");
    return out;
}

HttpRequest RadmonRequest(const RadmonSettings& s, const MapReading& r) {
    HttpRequest q;
    // The date's blank is written %20 and its colons as they are, as radmon.org documents it.
    std::string when = UtcText(r.utcSeconds, ' ');
    when.replace(when.find(' '), 1, "%20");
    q.url = s.url + "?function=submit&user=" + PercentEncode(s.user) +
            "&password=" + PercentEncode(s.password) + "&value=" + Cpm(r.meanCpm) +
            "&unit=CPM&datetime=" + when;
    return q;
}

HttpRequest GmcmapRequest(const GmcmapSettings& s, const MapReading& r) {
    HttpRequest q;
    q.url = s.url + "?AID=" + PercentEncode(s.account) + "&GID=" + PercentEncode(s.counter) +
            "&CPM=" + std::to_string(std::lround(r.meanCpm)) +
            "&ACPM=" + Cpm(r.meanCpmSinceUpload) +
            "&uSV=" + FormatFloat("0.####", r.meanCpm * r.usvPerCpm);
    return q;
}

HttpRequest SafecastRequest(const SafecastSettings& s, const MapReading& r) {
    HttpRequest q;
    q.method = "POST";
    q.contentType = "application/json";
    q.url = s.url + "?api_key=" + PercentEncode(s.apiKey);
    std::string b = "{\"latitude\":" + FloatToStr(s.latitude) +
                    ",\"longitude\":" + FloatToStr(s.longitude) + ",\"value\":" + Cpm(r.meanCpm) +
                    ",\"unit\":\"cpm\",\"captured_at\":" + JsonString(UtcText(r.utcSeconds, 'T'));
    if (s.deviceId) b += ",\"device_id\":" + std::to_string(*s.deviceId);
    if (s.height) b += ",\"height\":" + FloatToStr(*s.height);
    if (!s.locationName.empty()) b += ",\"location_name\":" + JsonString(s.locationName);
    q.body = b + "}";
    return q;
}

UploadOutcome RadmonOutcome(const HttpResult& r) {
    if (r.failure != HttpFailure::None) return TransferOutcome(r);
    if (Success(r.status) && Contains(r.body, "Incorrect login"))
        return {UploadProblem::LoginRefused, ""};
    if (Success(r.status) && Contains(r.body, "OK")) return {};
    return Refusal(r);
}

UploadOutcome GmcmapOutcome(const HttpResult& r) {
    if (r.failure != HttpFailure::None) return TransferOutcome(r);
    if (Success(r.status)) {
        if (Contains(r.body, "OK.ERR0")) return {};
        if (Contains(r.body, "ERR1")) return {UploadProblem::UnknownAccount, ""};
        if (Contains(r.body, "ERR2")) return {UploadProblem::UnknownCounter, ""};
        if (Contains(r.body, "ERR3")) return {UploadProblem::BadRequest, ""};
    }
    return Refusal(r);
}

UploadOutcome SafecastOutcome(const HttpResult& r) {
    if (r.failure != HttpFailure::None) return TransferOutcome(r);
    if (r.status == 201) return {};
    if (r.status == 401 || r.status == 403) return {UploadProblem::KeyRefused, ""};
    return Refusal(r);
}

std::string AnswerWords(const std::string& body, size_t max) {
    std::string out;
    bool inTag = false, blank = false;
    for (const char c : body) {
        if (c == '<') {
            inTag = true;
            blank = true;
            continue;
        }
        if (inTag) {
            if (c == '>') inTag = false;
            continue;
        }
        if (static_cast<unsigned char>(c) <= 32) {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        out += c;
    }
    if (out.size() <= max) return out;
    // Cut before a UTF-8 continuation byte never splits a character.
    size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
        --cut;
    while (cut > 0 && out[cut - 1] == ' ')
        --cut;
    return out.substr(0, cut) + "…";
}

} // namespace zel
