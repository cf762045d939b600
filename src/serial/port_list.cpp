#include "serial/port_list.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace zel {
namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The 8250 driver registers ttyS0..N whether or not a UART sits behind them; such a slot
// reports the port type 0 (unknown).
bool EmptySerialSlot(const std::string& ttyDir) {
    std::ifstream in(ttyDir + "/type");
    int type = -1;
    return in && (in >> type) && type == 0;
}

} // namespace

std::vector<std::string> SerialPortPaths(const std::string& sysClassTty) {
    std::vector<std::string> out;
    DIR* dir = opendir(sysClassTty.c_str());
    if (!dir) return out;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string ttyDir = sysClassTty + "/" + name;
        if (!Exists(ttyDir + "/device")) continue; // virtual consoles, ptys
        if (EmptySerialSlot(ttyDir)) continue;
        out.push_back("/dev/" + name);
    }
    closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}

std::string JoinPortNames(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) {
        if (!out.empty()) out += ',';
        if (n.find_first_of(" ,\"") == std::string::npos) {
            out += n;
            continue;
        }
        out += '"';
        for (char c : n) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::string PortsDisponibles() {
    return JoinPortNames(SerialPortPaths());
}

namespace {

std::string RealPath(const std::string& path) {
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

} // namespace

std::string StablePortName(const std::string& port, const std::string& byIdDir) {
    if (port.empty()) return port;
    const std::string path = port.find('/') == std::string::npos ? "/dev/" + port : port;
    const std::string real = RealPath(path);
    if (real.empty()) return port;
    // Already a name of that directory: keep it.
    if (path.rfind(byIdDir + "/", 0) == 0) return port;
    DIR* d = opendir(byIdDir.c_str());
    if (!d) return port;
    std::vector<std::string> names;
    while (const dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
    std::sort(names.begin(), names.end()); // the same choice every time
    for (const auto& n : names) {
        const std::string candidate = byIdDir + "/" + n;
        if (RealPath(candidate) == real) return candidate;
    }
    return port;
}

} // namespace zel
