#include "serial/port_access.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

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

} // namespace zel
