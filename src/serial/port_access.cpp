#include "serial/port_access.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

namespace zel {

std::string PortPermissionHint(const std::string& UART, int32_t status) {
    if (status != EACCES && status != EPERM) return "";
    const std::string path = UART.find('/') == std::string::npos ? "/dev/" + UART : UART;
    std::string group = "dialout";
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        if (const struct group* g = getgrgid(st.st_gid)) group = g->gr_name;
    return "Add your user to the group " + group + " (sudo usermod -aG " + group +
           " $USER), then log in again.";
}

} // namespace zel
