// Programs run as child processes by the end-to-end tests: started with their standard output
// redirected, waited for with a time limit, and the simulator whose first line is its device.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

// Milliseconds on the steady clock, for time limits.
inline int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Starts `program` with `args` and its standard output on `stdout_fd`; the child closes
// `close_fd` (when not -1). Returns the child's pid, or -1.
inline pid_t Spawn(const char* program, std::vector<std::string> args, int stdout_fd,
                   int close_fd = -1) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, stdout_fd, 1);
    if (close_fd >= 0) posix_spawn_file_actions_addclose(&fa, close_fd);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program, &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

// Starts `program` with its standard output on a pipe whose read end goes to `out` (-1 when no
// pipe could be made). Returns the child's pid, or -1.
inline pid_t SpawnPiped(const char* program, std::vector<std::string> args, int& out) {
    out = -1;
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = Spawn(program, std::move(args), fds[1], fds[0]);
    close(fds[1]);
    out = fds[0];
    return pid;
}

// Exit status of `pid`, -2 when it did not exit normally, or -1 (and the child killed) when it
// runs past `ms`.
inline int WaitExit(pid_t pid, int ms) {
    for (int64_t end = NowMs() + ms; NowMs() < end; usleep(50000)) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// The text up to the first line feed on `fd`; gives up after 5 s without a character.
inline std::string ReadFirstLine(int fd) {
    std::string line;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// Starts zelvanor-sim with `args` (its pid in `pid`) and returns the port to open, or "" when
// it printed no device. The port is a link of this test's own, which the simulator removes when
// it ends: a program still trying to reconnect to a counter that went away must not reach the
// pseudo-terminal of a test running beside it, which may get the same /dev/pts number.
inline std::string StartSim(std::vector<std::string> args, pid_t& pid) {
    std::string link;
    bool linked = false;
    for (const auto& a : args)
        linked = linked || a == "--link";
    if (!linked) {
        static int made = 0;
        const std::string dir = std::string(ZEL_BINARY_DIR) + "/sim_links";
        mkdir(dir.c_str(), 0755);
        link = dir + "/tty" + std::to_string(getpid()) + "_" + std::to_string(++made);
        args.insert(args.end(), {"--link", link});
    }
    int out = -1;
    pid = SpawnPiped(ZEL_SIM, std::move(args), out);
    if (out < 0) return {};
    std::string path = ReadFirstLine(out);
    close(out);
    return path.empty() || link.empty() ? path : link;
}

// The simulators a test starts. Each is ended with SIGTERM, so that it removes its link.
class Simulators {
  public:
    ~Simulators() { StopAll(); }
    // Starts one; returns the port to open, or "".
    std::string Start(const std::vector<std::string>& args) {
        pid_t pid = -1;
        std::string port = StartSim(args, pid);
        if (pid > 0) pids_.push_back(pid);
        return port;
    }
    // Ends the `i`-th still running, in the order they were started.
    void Stop(size_t i) {
        kill(pids_[i], SIGTERM);
        waitpid(pids_[i], nullptr, 0);
        pids_.erase(pids_.begin() + static_cast<long>(i));
    }
    void StopAll() {
        while (!pids_.empty())
            Stop(0);
    }

  private:
    std::vector<pid_t> pids_;
};

// A child program whose standard output is read line by line.
class Child {
  public:
    Child(const char* program, std::vector<std::string> args) {
        pid_ = SpawnPiped(program, std::move(args), out_);
    }
    ~Child() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    bool started() const { return pid_ > 0; }

    // Reads output until a line satisfies `done` or `ms` have passed; every line is kept.
    template <class Pred> bool WaitFor(Pred done, int ms) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (done(lines[i])) return true;
        const int64_t end = NowMs() + ms;
        while (NowMs() < end) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buf[4096];
            const ssize_t n = read(out_, buf, sizeof buf);
            if (n <= 0) return false;
            partial_.append(buf, static_cast<size_t>(n));
            bool found = false;
            for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
                lines.push_back(partial_.substr(0, nl));
                partial_.erase(0, nl + 1);
                found = found || done(lines.back());
            }
            if (found) return true;
        }
        return false;
    }
    bool Saw(const std::string& line) const {
        for (const auto& l : lines)
            if (l == line) return true;
        return false;
    }
    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const auto& l : lines)
            n += l.rfind(prefix, 0) == 0;
        return n;
    }
    // Sends a signal and returns the exit status (-1 when it did not end normally in time).
    int Stop(int sig, int ms) {
        kill(pid_, sig);
        for (const int64_t end = NowMs() + ms; NowMs() < end; usleep(20000)) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                WaitFor([](const std::string&) { return false; }, 100); // the last lines
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

    std::vector<std::string> lines;

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool ended_ = false;
    std::string partial_;
};
