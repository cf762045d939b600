#include "serial/port_list.h"

#include <algorithm>
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

} // namespace zel
