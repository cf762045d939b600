#include "serial/entrees_sorties.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zel {
namespace {

bool SpeedCode(uint32_t baud, speed_t& code) {
    static const struct {
        uint32_t baud;
        speed_t code;
    } table[] = {
        {50, B50},         {75, B75},         {110, B110},         {134, B134},
        {150, B150},       {200, B200},       {300, B300},         {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    };
    for (const auto& e : table)
        if (e.baud == baud) {
            code = e.code;
            return true;
        }
    return false;
}

// Raw mode plus the four fields of the line setting; false for a value the line cannot take.
bool ApplyLineSetting(struct termios& t, uint32_t BaudRate, uint8_t ByteSize, uint8_t Parity,
                      uint8_t StopBits) {
    speed_t speed;
    if (!SpeedCode(BaudRate, speed)) return false;
    tcflag_t size;
    switch (ByteSize) {
    case 5:
        size = CS5;
        break;
    case 6:
        size = CS6;
        break;
    case 7:
        size = CS7;
        break;
    case 8:
        size = CS8;
        break;
    default:
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag = (t.c_cflag & ~CSIZE) | size;
    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (Parity) {
    case UART_None:
        break;
    case UART_impaire:
        t.c_cflag |= PARENB | PARODD;
        break;
    case UART_Paire:
        t.c_cflag |= PARENB;
        break;
    case 3:
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break; // mark
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break; // space
    default:
        return false;
    }
    switch (StopBits) {
    case UART_1stop:
        t.c_cflag &= ~CSTOPB;
        break;
    case 1: // one and a half: the nearest a tty offers
    case UART_2stops:
        t.c_cflag |= CSTOPB;
        break;
    default:
        return false;
    }
    // Reads are driven by poll, so a read returns whatever is there.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return cfsetispeed(&t, speed) == 0 && cfsetospeed(&t, speed) == 0;
}

std::string DevicePath(const std::string& name) {
    return name.find('/') == std::string::npos ? "/dev/" + name : name;
}

// Text to wire bytes: UTF-8 characters up to U+00FF become one byte each (Latin-1), others
// '?'; bytes that are not UTF-8 go out as they are.
std::string ToWire(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        bool ok = len > 0 && i + len <= s.size();
        uint32_t cp = ok ? (c & (0xFF >> (len + 1))) : 0;
        for (int k = 1; ok && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            ok = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
        i += len;
    }
    return out;
}

int64_t MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

TEntreesSorties::TEntreesSorties() {
    FWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TEntreesSorties::~TEntreesSorties() {
    int32_t st;
    FermerCom(st);
    if (FWake != -1) close(FWake);
}

int TEntreesSorties::Acquire() {
    std::lock_guard<std::mutex> lock(FGuard);
    const int fd = HandleUart.load();
    if (fd == -1 || FClosing) return -1;
    ++FUsers;
    return fd;
}

void TEntreesSorties::Release() {
    std::lock_guard<std::mutex> lock(FGuard);
    if (--FUsers == 0) FIdle.notify_all();
}

void TEntreesSorties::OuvrirCom(const std::string& UART, uint32_t BaudRate, uint8_t ByteSize,
                                uint8_t Parity, uint8_t StopBits, int32_t& STATUS) {
    FermerCom(STATUS);
    if (STATUS != 0) return;
    if (UART.empty()) {
        STATUS = ErrFileNotFound;
        return;
    }
    // Non-blocking: the open must not wait for a modem carrier, and reads and writes are
    // driven by poll so that closing the port can wake them.
    const int fd = open(DevicePath(UART).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1) {
        STATUS = errno;
        return;
    }
    STATUS = 0;
    struct termios t {};
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        STATUS = errno == EWOULDBLOCK ? EBUSY : errno;
    } else if (tcgetattr(fd, &t) != 0) {
        STATUS = errno;
    } else if (!ApplyLineSetting(t, BaudRate, ByteSize, Parity, StopBits)) {
        STATUS = ErrParameter;
    } else if (tcsetattr(fd, TCSANOW, &t) != 0) {
        STATUS = errno;
    } else if (tcflush(fd, TCIOFLUSH) != 0) {
        STATUS = errno;
    }
    if (STATUS != 0) {
        close(fd);
        return;
    }
    // Keep other programs off the line. Some ttys (pseudo-terminals of some kernels) refuse
    // it; the lock above still keeps our own kind away.
    ioctl(fd, TIOCEXCL);
    // What the driver really took (a pseudo-terminal keeps 8 bits without parity).
    if (tcgetattr(fd, &DCB) != 0) DCB = t;
    std::lock_guard<std::mutex> lock(FGuard);
    HandleUart = fd;
}

void TEntreesSorties::FermerCom(int32_t& STATUS) {
    STATUS = 0;
    std::unique_lock<std::mutex> lock(FGuard);
    const int fd = HandleUart.load();
    if (fd == -1) return;
    FClosing = true;
    const uint64_t one = 1;
    if (FWake != -1 && write(FWake, &one, sizeof one) < 0) {
        // The counter only grows; a failed write means it is already signalled.
    }
    FIdle.wait(lock, [this] { return FUsers == 0; });
    // The exclusive mark outlives our descriptor while another holds the tty open (the other
    // end of a pseudo-terminal): clear it, or we could not open the port again.
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    if (close(fd) != 0 && errno != EINTR) STATUS = errno;
    HandleUart = -1;
    uint64_t drained;
    if (FWake != -1 && read(FWake, &drained, sizeof drained) < 0) {
        // Nothing was pending.
    }
    FClosing = false;
}

void TEntreesSorties::SEND(const std::string& PDU, int32_t& STATUS) {
    const int fd = Acquire();
    if (fd == -1) {
        STATUS = ErrPortNotOpen;
        return;
    }
    STATUS = 0;
    const std::string bytes = ToWire(PDU);
    {
        std::lock_guard<std::mutex> lock(FWrite);
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                STATUS = errno;
                break;
            }
            // Output queue full: wait for room, or for the port to be closed.
            struct pollfd p[2] = {{fd, POLLOUT, 0}, {FWake, POLLIN, 0}};
            if (poll(p, 2, -1) < 0 && errno != EINTR) {
                STATUS = errno;
                break;
            }
            if (p[1].revents & POLLIN) {
                STATUS = ErrPortNotOpen;
                break;
            }
            if (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                STATUS = EIO;
                break;
            }
        }
    }
    Release();
}

int TEntreesSorties::ReadByte(int fd, int ms, unsigned char& b) {
    const int64_t end = MonotonicMs() + ms;
    bool broken = false; // the device reports an error: wait out the second, as a silent read
    for (;;) {
        const int64_t left = end - MonotonicMs();
        if (left <= 0) return 0;
        struct pollfd p[2] = {{fd, POLLIN, 0}, {FWake, POLLIN, 0}};
        const int n = poll(broken ? p + 1 : p, broken ? 1 : 2, static_cast<int>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            FFault = errno;
            broken = true;
            continue;
        }
        if (n == 0) return 0;
        if (p[1].revents & POLLIN) return -1;
        if (broken) continue;
        if (p[0].revents & POLLIN) {
            const ssize_t r = read(fd, &b, 1);
            if (r == 1) {
                FFault = 0;
                return 1;
            }
            if (r < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            FFault = r < 0 ? errno : EIO;
            broken = true; // end of file or EIO: the other end is gone
        } else if (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            FFault = EIO;
            broken = true;
        }
    }
}

void TEntreesSorties::RECEIVE(int32_t L, int32_t CAR_FIN, int32_t TIMEOUT, std::string& PDU,
                              int32_t& STATUS) {
    const int fd = Acquire();
    if (fd == -1) {
        STATUS = ErrPortNotOpen;
        return;
    }
    FFault = 0;
    const int64_t limit = static_cast<int64_t>(TIMEOUT > 0 ? TIMEOUT : 0) * 1000;
    std::string buf;
    int32_t count = 0;
    int64_t silence = 0;
    for (;;) {
        unsigned char b = 0;
        const int r = ReadByte(fd, Temps_Attente, b);
        if (r < 0) {
            STATUS = ErrPortNotOpen;
            break;
        }
        if (r == 0) {
            silence += Temps_Attente;
            if (silence >= limit) {
                STATUS = ErrTimeout;
                break;
            }
            continue;
        }
        silence = 0;
        buf += static_cast<char>(b);
        ++count;
        if ((CAR_FIN != -1 && b == static_cast<unsigned char>(CAR_FIN)) || count >= L) {
            STATUS = 0;
            break;
        }
    }
    PDU = std::move(buf);
    Release();
}

} // namespace zel
