#include "net/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace zel {

namespace {

// Servers that answer with a whole web page are cut here: only the start is ever journalled.
constexpr size_t kMaxBody = 8192;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t OnBody(char* data, size_t size, size_t n, void* user) {
    auto* body = static_cast<std::string*>(user);
    const size_t bytes = size * n;
    if (body->size() < kMaxBody) body->append(data, std::min(bytes, kMaxBody - body->size()));
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* stop = static_cast<const std::atomic<bool>*>(user);
    return stop && stop->load() ? 1 : 0;
}

HttpFailure FailureOf(CURLcode c) {
    switch (c) {
    case CURLE_OK:
        return HttpFailure::None;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::NoAnswer;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpFailure::CannotConnect;
    case CURLE_ABORTED_BY_CALLBACK:
        return HttpFailure::Aborted;
    default:
        return HttpFailure::Network;
    }
}

} // namespace

HttpResult HttpSend(const HttpRequest& request, const HttpLimits& limits,
                    const std::atomic<bool>* stop) {
    GlobalInit();
    HttpResult r;
    CURL* curl = curl_easy_init();
    if (!curl) {
        r.failure = HttpFailure::Network;
        r.error = "libcurl could not start";
        return r;
    }
    curl_slist* headers = nullptr;
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Zelvanor");
    // No signals: this runs on a worker thread beside the session.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.totalMs);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &r.body);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(stop));
    if (request.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
        if (!request.contentType.empty())
            headers = curl_slist_append(headers, ("Content-Type: " + request.contentType).c_str());
        // No "Expect: 100-continue" round trip for a small body.
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    }
    const CURLcode c = curl_easy_perform(curl);
    r.failure = FailureOf(c);
    if (c == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.status);
    else
        r.error = curl_easy_strerror(c);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return r;
}

std::string UrlHost(const std::string& url) {
    size_t b = url.find("://");
    b = b == std::string::npos ? 0 : b + 3;
    size_t e = url.find_first_of("/?#", b);
    if (e == std::string::npos) e = url.size();
    std::string host = url.substr(b, e - b);
    const size_t at = host.rfind('@');
    if (at != std::string::npos) host.erase(0, at + 1);
    return host;
}

} // namespace zel
