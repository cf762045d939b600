#pragma once
// One HTTP exchange through libcurl, with time limits and a way to give up early, for the
// publishers' worker threads. Never called on the main or the session thread.
#include <atomic>
#include <string>

namespace zel {

struct HttpRequest {
    std::string method = "GET"; // GET or POST
    std::string url;            // with its query
    std::string body;           // POST only
    std::string contentType;    // POST only
};

enum class HttpFailure {
    None,          // an answer came (any status)
    NoAnswer,      // the time limit passed
    CannotConnect, // refused, or the host name did not resolve
    Network,       // any other transfer failure (TLS, reset connection, ...)
    Aborted,       // the caller asked to stop
};

struct HttpResult {
    HttpFailure failure = HttpFailure::None;
    long status = 0;   // the HTTP status when an answer came
    std::string body;  // at most a few kilobytes are kept
    std::string error; // libcurl's words for a failure
};

struct HttpLimits {
    long connectMs = 10000;
    long totalMs = 20000;
};

// `stop`, when given, is polled during the transfer; setting it ends the exchange within about
// a second with HttpFailure::Aborted.
HttpResult HttpSend(const HttpRequest& request, const HttpLimits& limits,
                    const std::atomic<bool>* stop = nullptr);

// The host (and port) of an address, without any user or password part: what a journal line
// may name ("radmon.org", "127.0.0.1:8080").
std::string UrlHost(const std::string& url);

} // namespace zel
