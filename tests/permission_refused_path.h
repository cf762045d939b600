// A path that opening for reading and writing refuses for lack of permission, whether or not
// the tests run as root.
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Not root: a file in `dir` that nobody may read or write. Root passes over file modes, but a
// read-only sysfs attribute is refused to root too. Empty when there is no such path.
inline std::string PermissionRefusedPath(const std::string& dir) {
    if (geteuid() != 0) {
        const std::string path = dir + "/refused";
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0600);
        if (fd < 0) return "";
        close(fd);
        chmod(path.c_str(), 0);
        return path;
    }
    const char* sysfs = "/sys/kernel/notes";
    const int fd = open(sysfs, O_RDWR);
    if (fd >= 0) {
        close(fd);
        return "";
    }
    return errno == EACCES ? sysfs : "";
}
