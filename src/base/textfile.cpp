#include "base/textfile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {
namespace {

void append_utf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16_to_utf8(std::string_view b, bool big_endian) {
    std::string out;
    out.reserve(b.size());
    auto unit = [&](size_t i) -> unsigned {
        const unsigned char lo = static_cast<unsigned char>(b[i + (big_endian ? 1 : 0)]);
        const unsigned char hi = static_cast<unsigned char>(b[i + (big_endian ? 0 : 1)]);
        return static_cast<unsigned>(hi) << 8 | lo;
    };
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < b.size()) {
            const unsigned lo = unit(i + 2);
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        append_utf8(out, cp);
    }
    return out;
}

} // namespace

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(len) > n) return false;
        for (int k = 1; k < len; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = cp << 6 | (cc & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
            return false;
        i += static_cast<size_t>(len);
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view s) {
    // 0x80..0x9F of Windows-1252; 0 where the code page leaves the byte undefined.
    static const unsigned short high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0)
            append_utf8(out, high[c - 0x80] ? high[c - 0x80] : c);
        else
            append_utf8(out, c);
    }
    return out;
}

std::string DecodeText(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF") {
        std::string_view rest = b.substr(3);
        return IsValidUtf8(rest) ? std::string(rest) : Cp1252ToUtf8(rest);
    }
    if (b.size() >= 2 && b.substr(0, 2) == "\xFF\xFE") return utf16_to_utf8(b.substr(2), false);
    if (b.size() >= 2 && b.substr(0, 2) == "\xFE\xFF") return utf16_to_utf8(b.substr(2), true);
    return IsValidUtf8(b) ? std::string(b) : Cp1252ToUtf8(b);
}

void SplitLines(std::string_view text, TextList& lines) {
    lines.clear();
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines.emplace_back(text.substr(start));
}

std::string JoinLines(const TextList& lines) {
    size_t total = 0;
    for (const auto& l : lines)
        total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, int* err) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (err) *err = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (err) *err = EISDIR;
        return false;
    }
    if (st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0) {
            if (errno == EINTR) continue;
            if (err) *err = errno;
            ::close(fd);
            return false;
        }
        if (r == 0) break;
        bytes.append(buf, static_cast<size_t>(r));
    }
    ::close(fd);
    return true;
}

bool LoadTextFile(const std::string& path, TextList& lines, int* err) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes, err)) return false;
    SplitLines(DecodeText(bytes), lines);
    return true;
}

bool AtomicWriteFile(const std::string& path, std::string_view bytes, int* err, unsigned mode) {
    static std::atomic<unsigned> serial{0};
    const std::string tmp =
        path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(serial++);
    auto fail = [&](int e, int fd) {
        if (fd >= 0) ::close(fd);
        ::unlink(tmp.c_str());
        if (err) *err = e;
        return false;
    };
    const int fd =
        ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) {
        if (err) *err = errno;
        return false;
    }
    // A private file stays private even over a stale temporary of the same name.
    if ((mode & 077) == 0 && ::fchmod(fd, mode) != 0) return fail(errno, fd);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return fail(errno, fd);
        }
        done += static_cast<size_t>(w);
    }
    if (::fsync(fd) != 0) return fail(errno, fd);
    if (::close(fd) != 0) return fail(errno, -1);
    if (::rename(tmp.c_str(), path.c_str()) != 0) return fail(errno, -1);
    // Make the rename itself durable.
    const auto slash = path.find_last_of('/');
    const std::string dir =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

namespace {

// The process id in the name of a temporary made by AtomicWriteFile, or 0.
pid_t TemporaryOwner(std::string_view name) {
    const size_t at = name.rfind(".tmp");
    if (at == 0 || at == std::string_view::npos) return 0;
    const std::string_view tail = name.substr(at + 4);
    const size_t sep = tail.find('_');
    if (sep == 0 || sep == std::string_view::npos || sep + 1 == tail.size()) return 0;
    const auto digits = [](std::string_view d) {
        return std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(tail.substr(0, sep)) || !digits(tail.substr(sep + 1)) || sep > 9) return 0;
    return static_cast<pid_t>(std::stol(std::string(tail.substr(0, sep))));
}

} // namespace

int RemoveStaleTemporaries(const std::string& dir) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return 0;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const pid_t owner = TemporaryOwner(e->d_name);
        if (owner <= 0 || owner == ::getpid()) continue;
        // EPERM: a live process of another user.
        if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
        stale.emplace_back(e->d_name);
    }
    ::closedir(d);
    int removed = 0;
    const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    for (const std::string& name : stale) {
        struct stat st {};
        const std::string path = prefix + name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

bool SaveTextFile(const std::string& path, const TextList& lines, int* err) {
    return AtomicWriteFile(path, JoinLines(lines), err);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
    if (DirectoryExists(path)) return true;
    return ::mkdir(path.c_str(), 0755) == 0 || DirectoryExists(path);
}

std::string ExecutableDir() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string p(buf, static_cast<size_t>(n));
    const auto slash = p.find_last_of('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : p.substr(0, slash);
}

} // namespace zel
