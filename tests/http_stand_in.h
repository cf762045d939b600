// A small HTTP/1.1 server on a loopback port, standing in for the radiation maps in tests: it
// records every request as it came over the wire and answers what the test says, or nothing
// at all (a server that does not answer).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class HttpStandIn {
  public:
    struct Request {
        std::string method;
        std::string target; // path and query as sent
        std::string path;
        std::string query;                          // after "?", as sent
        std::map<std::string, std::string> headers; // names in lower case
        std::string body;
        // The query's parameters, decoded, in their order.
        std::vector<std::pair<std::string, std::string>> params() const {
            std::vector<std::pair<std::string, std::string>> out;
            size_t b = 0;
            while (b < query.size()) {
                size_t e = query.find('&', b);
                if (e == std::string::npos) e = query.size();
                const std::string p = query.substr(b, e - b);
                const size_t eq = p.find('=');
                out.emplace_back(Decode(p.substr(0, eq)),
                                 eq == std::string::npos ? "" : Decode(p.substr(eq + 1)));
                b = e + 1;
            }
            return out;
        }
        std::string param(const std::string& name) const {
            for (const auto& [k, v] : params())
                if (k == name) return v;
            return "";
        }
    };
    struct Reply {
        int status = 200;
        std::string body;
        bool silent = false; // keep the connection open and never answer
    };
    using Handler = std::function<Reply(const Request&)>;

    explicit HttpStandIn(Handler handler) : handler_(std::move(handler)) {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        socklen_t len = sizeof a;
        if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            listen(listen_, 16) != 0 ||
            getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0 || pipe(wake_) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~HttpStandIn() {
        if (thread_.joinable()) {
            const char c = 0;
            (void)!write(wake_[1], &c, 1);
            thread_.join();
        }
        for (int fd : held_)
            close(fd);
        for (int fd : {listen_, wake_[0], wake_[1]})
            if (fd >= 0) close(fd);
    }
    HttpStandIn(const HttpStandIn&) = delete;
    HttpStandIn& operator=(const HttpStandIn&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path.
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::vector<Request> requests() const {
        std::lock_guard<std::mutex> l(mutex_);
        return requests_;
    }
    // Requests whose path is `path`.
    std::vector<Request> requestsTo(const std::string& path) const {
        std::vector<Request> out;
        for (const auto& r : requests())
            if (r.path == path) out.push_back(r);
        return out;
    }
    // True once `n` requests have come, false after `ms` without them.
    bool waitForRequests(size_t n, int ms) const {
        std::unique_lock<std::mutex> l(mutex_);
        return came_.wait_for(l, std::chrono::milliseconds(ms),
                              [&] { return requests_.size() >= n; });
    }

    static std::string Decode(const std::string& s) {
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '%' && i + 2 < s.size()) {
                out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
                i += 2;
            } else {
                out += s[i] == '+' ? ' ' : s[i];
            }
        }
        return out;
    }

  private:
    void Serve() {
        for (;;) {
            pollfd p[2] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            if (poll(p, 2, -1) < 0) continue;
            if (p[1].revents) return;
            if (!(p[0].revents & POLLIN)) continue;
            const int fd = accept(listen_, nullptr, nullptr);
            if (fd < 0) continue;
            Request r;
            if (!Read(fd, r)) {
                close(fd);
                continue;
            }
            const Reply reply = handler_(r);
            {
                std::lock_guard<std::mutex> l(mutex_);
                requests_.push_back(r);
            }
            came_.notify_all();
            if (reply.silent) {
                held_.push_back(fd);
                continue;
            }
            const std::string out = "HTTP/1.1 " + std::to_string(reply.status) +
                                    " Stand-in\r\nContent-Type: text/html\r\nContent-Length: " +
                                    std::to_string(reply.body.size()) +
                                    "\r\nConnection: close\r\n\r\n" + reply.body;
            (void)!send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            close(fd);
        }
    }
    // One request: its head, then as many body bytes as Content-Length says.
    bool Read(int fd, Request& r) {
        std::string in;
        size_t headEnd = std::string::npos;
        size_t want = 0;
        char buf[4096];
        for (;;) {
            if (headEnd != std::string::npos && in.size() >= headEnd + 4 + want) break;
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) return false;
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) return false;
            in.append(buf, static_cast<size_t>(n));
            if (headEnd == std::string::npos &&
                (headEnd = in.find("\r\n\r\n")) != std::string::npos)
                want = ParseHead(in.substr(0, headEnd), r);
        }
        r.body = in.substr(headEnd + 4, want);
        return true;
    }
    static size_t ParseHead(const std::string& head, Request& r) {
        size_t e = head.find("\r\n");
        const std::string line = head.substr(0, e);
        const size_t s1 = line.find(' '), s2 = line.rfind(' ');
        r.method = line.substr(0, s1);
        r.target = line.substr(s1 + 1, s2 - s1 - 1);
        const size_t q = r.target.find('?');
        r.path = r.target.substr(0, q);
        r.query = q == std::string::npos ? "" : r.target.substr(q + 1);
        while (e != std::string::npos) {
            const size_t b = e + 2;
            e = head.find("\r\n", b);
            const std::string h = head.substr(b, e == std::string::npos ? e : e - b);
            const size_t c = h.find(':');
            if (c == std::string::npos) continue;
            std::string name = h.substr(0, c);
            for (auto& ch : name)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            size_t v = c + 1;
            while (v < h.size() && h[v] == ' ')
                ++v;
            r.headers[name] = h.substr(v);
        }
        const auto cl = r.headers.find("content-length");
        return cl == r.headers.end() ? 0 : std::strtoul(cl->second.c_str(), nullptr, 10);
    }

    Handler handler_;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::thread thread_;
    std::vector<int> held_; // silent connections, closed at the end
    mutable std::mutex mutex_;
    mutable std::condition_variable came_;
    std::vector<Request> requests_;
};
