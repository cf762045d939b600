#include "serial/port_access.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/serial_line.h"

namespace zel {
namespace {

std::string DevicePath(const std::string& UART) {
    return UART.find('/') == std::string::npos ? "/dev/" + UART : UART;
}

} // namespace

PortFault ClassifyOpenStatus(int32_t status) {
    switch (status) {
    case 0:
        return PortFault::None;
    case ENOENT:
    case ENOTDIR: // a path through something that is not a directory: no such device either
    case ENODEV:  // the driver's device is gone (a USB adapter pulled out)
    case ENXIO:   // a serial slot without its hardware
        return PortFault::Missing;
    case EBUSY:
    case ErrAlreadyOwned:
    case ErrAlreadyInUse:
        return PortFault::InUse;
    case EACCES:
    case EPERM:
        return PortFault::Permission;
    case ENOTTY:
    case EISDIR:
        return PortFault::NotSerial;
    case EINVAL:
        return PortFault::SettingRefused;
    default:
        return PortFault::Other;
    }
}

std::string PortOwnerGroup(const std::string& UART) {
    struct stat st {};
    if (stat(DevicePath(UART).c_str(), &st) == 0)
        if (const struct group* g = getgrgid(st.st_gid)) return g->gr_name;
    return "dialout";
}

bool PortExists(const std::string& UART) {
    struct stat st {};
    return !UART.empty() && stat(DevicePath(UART).c_str(), &st) == 0;
}

bool OwnershipAllowsReadWrite(const DeviceOwnership& device, unsigned uid,
                              const std::vector<unsigned>& groups) {
    if (uid == 0) return true;
    // The class that applies is the first that matches, as the kernel checks them.
    unsigned rw = S_IROTH | S_IWOTH;
    unsigned bits = device.mode & rw;
    if (device.uid == uid) {
        rw = S_IRUSR | S_IWUSR;
        bits = device.mode & rw;
    } else if (std::find(groups.begin(), groups.end(), device.gid) != groups.end()) {
        rw = S_IRGRP | S_IWGRP;
        bits = device.mode & rw;
    }
    return bits == rw;
}

namespace {

std::vector<unsigned> ProcessGroups() {
    std::vector<unsigned> groups;
    const int n = getgroups(0, nullptr);
    if (n > 0) {
        std::vector<gid_t> g(static_cast<size_t>(n));
        const int got = getgroups(n, g.data());
        for (int i = 0; i < got; ++i)
            groups.push_back(g[static_cast<size_t>(i)]);
    }
    groups.push_back(getegid());
    return groups;
}

} // namespace

bool PortRefusedToUser(const std::string& UART) {
    struct stat st {};
    if (UART.empty() || stat(DevicePath(UART).c_str(), &st) != 0) return false;
    return !OwnershipAllowsReadWrite({st.st_mode, st.st_uid, st.st_gid}, geteuid(),
                                     ProcessGroups());
}

std::string PortGroupToJoin(const std::string& UART) {
    struct stat st {};
    if (UART.empty() || stat(DevicePath(UART).c_str(), &st) != 0 || st.st_gid == 0) return {};
    std::vector<unsigned> groups = ProcessGroups();
    groups.push_back(st.st_gid);
    if (!OwnershipAllowsReadWrite({st.st_mode, st.st_uid, st.st_gid}, geteuid(), groups)) return {};
    const struct group* g = getgrgid(st.st_gid);
    return g ? g->gr_name : std::to_string(st.st_gid);
}

} // namespace zel
