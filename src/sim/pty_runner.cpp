#include "sim/pty_runner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zel::sim {
namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnStop(int) {
    g_stop = 1;
}

// A reader at the wrong speed sees framing noise, never a line.
std::string AsNoise(const std::string& s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return out;
}

// Linux keeps 8 bits without parity on a pseudo-terminal, and glibc fails with EINVAL a
// 7-bit request that changes nothing else - which is what a host reconnecting at the same
// setting asks. Output processing on the device side (which a raw-mode host clears, and which
// a host writing no line feeds never notices) makes every such request change something.
void KeepOutputProcessing(termios& t) {
    t.c_oflag |= OPOST | ONLCR;
}

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Too much waiting output means nobody reads the line: drop it, as a counter talks into a
// cable that nobody listens to.
constexpr size_t kMaxPending = 1 << 20;

} // namespace

unsigned SpeedConstant(int speed) {
    switch (speed) {
    case 2400:
        return B2400;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 460800:
        return B460800;
    default:
        return B0;
    }
}

int RunOnPty(FaultyCounter& counter, const RunOptions& options, std::FILE* out) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "zelvanor-sim: openpty: %s\n", std::strerror(errno));
        return 2;
    }
    // The counter's line: raw bytes at its speed (a pseudo-terminal keeps only the speed).
    const LineSetting line = counter.Line();
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, SpeedConstant(line.speed));
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= (line.data_bits == 7 ? CS7 : CS8) | (line.parity == 'E' ? PARENB : 0) |
                 (line.stop_bits == 2 ? CSTOPB : 0) | CLOCAL | CREAD;
    KeepOutputProcessing(t);
    ioctl(slave, TCSETS, &t);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // Our own descriptor of the device stays open, so that a host closing and reopening it
    // does not hang up the terminal.

    if (!options.link.empty()) {
        struct stat st {};
        if (lstat(options.link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                std::fprintf(stderr, "zelvanor-sim: %s exists and is not a link\n",
                             options.link.c_str());
                return 2;
            }
            unlink(options.link.c_str());
        }
        if (symlink(name, options.link.c_str()) != 0) {
            std::fprintf(stderr, "zelvanor-sim: link %s: %s\n", options.link.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }
    // Whoever reads the path may stop us at once: be ready for it first.
    struct sigaction sa {};
    sa.sa_handler = OnStop;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    std::fprintf(out, "%s\n", name);
    std::fflush(out);

    const unsigned own_speed = SpeedConstant(line.speed);
    const int bits = 1 + line.data_bits + (line.parity == 'N' ? 0 : 1) + line.stop_bits;
    const double chars_per_ms = line.speed / static_cast<double>(bits) / 1000.0;
    std::string pending;
    bool mismatch_told = false;
    const int64_t start_ms = SteadyMs();
    double paced_sent = 0;
    char buf[4096];

    while (!g_stop) {
        pollfd p{master, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
        poll(&p, 1, 20);
        const Moment now{SteadyMs(), Now()};

        termios host{};
        const bool have_setting = tcgetattr(master, &host) == 0;
        if (have_setting && !(host.c_oflag & OPOST)) {
            KeepOutputProcessing(host);
            ioctl(master, TCSETS, &host);
        }
        const bool same_line =
            !options.check_line || !have_setting || cfgetospeed(&host) == own_speed;
        if (!same_line && !mismatch_told)
            std::fprintf(stderr, "zelvanor-sim: the host set another line speed; not understood\n");
        mismatch_told = !same_line;

        std::string reply;
        if (p.revents & POLLIN) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0 && same_line) reply = counter.Receive(std::string_view(buf, n), now);
        }
        reply += counter.Tick(now);
        pending += same_line ? reply : AsNoise(reply);
        if (pending.size() > kMaxPending) pending.clear();

        if (!pending.empty()) {
            size_t allowed = pending.size();
            if (options.pace) {
                const double budget = (now.ms - start_ms) * chars_per_ms - paced_sent;
                allowed = budget < 1 ? 0 : std::min(allowed, static_cast<size_t>(budget));
            }
            if (allowed > 0) {
                const ssize_t n = write(master, pending.data(), allowed);
                if (n > 0) {
                    pending.erase(0, static_cast<size_t>(n));
                    paced_sent += static_cast<double>(n);
                }
            }
        }
        if (options.pace && pending.empty()) paced_sent = (now.ms - start_ms) * chars_per_ms;

        if (counter.Unplugged() && pending.empty()) {
            // Let the host read what was sent before the cable "comes out": a hang-up drops
            // what it has not read yet.
            usleep(100 * 1000);
            for (int waited = 0; waited < 3000; waited += 20) {
                int unread = 0;
                if (ioctl(slave, TIOCINQ, &unread) != 0 || unread == 0) break;
                usleep(20 * 1000);
            }
            usleep(100 * 1000);
            std::fprintf(stderr, "zelvanor-sim: line dropped\n");
            break;
        }
    }
    close(master);
    close(slave);
    if (!options.link.empty()) unlink(options.link.c_str());
    return 0;
}

} // namespace zel::sim
