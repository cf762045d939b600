// A real mosquitto broker on a free loopback port with its own configuration file, and a
// subscriber that keeps every message it receives. For the tests of the MQTT publisher.
// The broker program is required: a machine without it fails these tests rather than skipping
// them (the test command installs it).
#pragma once

#include <mosquitto.h>

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

inline const char* const kMosquitto = "/usr/sbin/mosquitto";

// A loopback port nobody listens on right now.
inline int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    close(fd);
    return port;
}

inline bool AcceptsConnections(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// Runs a shell command; true when it exits with 0.
inline bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// A certificate authority and a server certificate for 127.0.0.1 signed by it, made with the
// openssl program in `dir`: ca.crt, server.crt, server.key.
inline bool MakeTestCertificates(const std::string& dir) {
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    std::ofstream(dir + "/san.ext") << "subjectAltName=IP:127.0.0.1\n";
    return Shell("cd '" + dir + "' && openssl req -x509" + ec +
                 " -keyout ca.key -out ca.crt -days 2 -subj '/CN=Zelvanor test CA' 2>/dev/null") &&
           Shell("cd '" + dir + "' && openssl req" + ec +
                 " -keyout server.key -out server.csr -subj '/CN=127.0.0.1' 2>/dev/null") &&
           Shell("cd '" + dir + "' && openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key" +
                 " -CAcreateserial -out server.crt -days 2 -extfile san.ext 2>/dev/null");
}

class MosquittoBroker {
  public:
    struct Options {
        std::string passwordFile; // users allowed (mosquitto_passwd); empty: anonymous
        std::string tlsDir;       // with MakeTestCertificates' files: a TLS listener as well
        bool persistent = false;  // keeps subscriptions and queued messages across a restart
    };
    // Writes the configuration in `dir` for a free loopback port; start() runs it.
    MosquittoBroker(const std::string& dir, Options o)
        : dir_(dir), port_(FreeLoopbackPort()),
          tlsPort_(o.tlsDir.empty() ? -1 : FreeLoopbackPort()) {
        std::ofstream c(dir + "/mosquitto.conf");
        c << "listener " << port_ << " 127.0.0.1\n";
        // Run as root (the test command is), it would switch to a user that cannot read here.
        c << "user root\n";
        c << "log_dest file " << dir << "/mosquitto.log\n";
        c << "log_type all\n";
        // A subscriber that falls more than 1000 messages behind would lose the rest at the
        // broker (its default): the tests check what the publisher sends, so nothing is dropped.
        c << "max_queued_messages 0\n";
        if (o.passwordFile.empty()) {
            c << "allow_anonymous true\n";
        } else {
            c << "allow_anonymous false\n";
            c << "password_file " << o.passwordFile << "\n";
        }
        if (!o.tlsDir.empty()) {
            // The settings after a listener line are that listener's.
            c << "listener " << tlsPort_ << " 127.0.0.1\n";
            c << "cafile " << o.tlsDir << "/ca.crt\n";
            c << "certfile " << o.tlsDir << "/server.crt\n";
            c << "keyfile " << o.tlsDir << "/server.key\n";
        }
        if (o.persistent) {
            c << "persistence true\n";
            c << "persistence_location " << dir << "/\n";
        }
    }
    MosquittoBroker(const std::string& dir) : MosquittoBroker(dir, Options{}) {}
    ~MosquittoBroker() { stop(); }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    int port() const { return port_; }
    int tlsPort() const { return tlsPort_; }

    // Starts the broker and waits until it takes connections. False when it did not.
    bool start() {
        if (access(kMosquitto, X_OK) != 0) return false;
        std::string conf = dir_ + "/mosquitto.conf";
        std::string prog = kMosquitto, c = "-c";
        char* argv[] = {prog.data(), c.data(), conf.data(), nullptr};
        if (posix_spawn(&pid_, kMosquitto, nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
            return false;
        }
        for (int i = 0; i < 200; ++i) {
            if (AcceptsConnections(port_)) return true;
            int status;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            usleep(25000);
        }
        return false;
    }
    // Stops it as a service manager does (it saves its persistent state).
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::string log() const {
        std::ifstream f(dir_ + "/mosquitto.log");
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

  private:
    std::string dir_;
    int port_;
    int tlsPort_;
    pid_t pid_ = -1;
};

// A client subscribed to every topic, keeping what it receives in order.
class MqttSubscriber {
  public:
    struct Message {
        std::string topic;
        std::string payload;
        bool retained;
    };
    // A persistent subscriber (`id` given) gets, when it reconnects, what was published
    // meanwhile on a persistent broker.
    explicit MqttSubscriber(int port, const std::string& id = "", const std::string& user = "",
                            const std::string& password = "") {
        mosquitto_lib_init();
        m_ = mosquitto_new(id.empty() ? nullptr : id.c_str(), id.empty(), this);
        if (!user.empty()) mosquitto_username_pw_set(m_, user.c_str(), password.c_str());
        mosquitto_connect_callback_set(m_, [](mosquitto* m, void*, int rc) {
            if (rc == 0) mosquitto_subscribe(m, nullptr, "#", 1);
        });
        mosquitto_subscribe_callback_set(m_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<MqttSubscriber*>(self)->subscribed_ = true;
        });
        mosquitto_message_callback_set(
            m_, [](mosquitto*, void* self, const mosquitto_message* msg) {
                auto* s = static_cast<MqttSubscriber*>(self);
                std::lock_guard lock(s->mutex_);
                s->messages_.push_back({msg->topic,
                                        std::string(static_cast<const char*>(msg->payload),
                                                    static_cast<size_t>(msg->payloadlen)),
                                        msg->retain});
            });
        mosquitto_reconnect_delay_set(m_, 1, 1, false);
        mosquitto_connect(m_, "127.0.0.1", port, 30);
        mosquitto_loop_start(m_);
    }
    ~MqttSubscriber() {
        mosquitto_disconnect(m_);
        mosquitto_loop_stop(m_, false);
        mosquitto_destroy(m_);
    }
    // Waits until the subscription is in place.
    bool ready(int ms = 5000) {
        return waitFor([this] { return subscribed_.load(); }, ms);
    }
    std::vector<Message> messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<Message> on(const std::string& topic) {
        std::vector<Message> r;
        for (const Message& m : messages())
            if (m.topic == topic) r.push_back(m);
        return r;
    }
    // Polls `done` until it holds or `ms` have passed.
    static bool waitFor(const std::function<bool()>& done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

  private:
    mosquitto* m_;
    std::atomic<bool> subscribed_{false};
    std::mutex mutex_;
    std::vector<Message> messages_;
};
