#pragma once
// Why a port did not open, in the terms a user can act on.
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

enum class PortFault {
    None,           // opened
    Missing,        // no such device, or it went away (unplugged adapter)
    InUse,          // another program holds it
    Permission,     // the user may not open it
    NotSerial,      // a file, a directory or a device that is no tty
    SettingRefused, // the line setting was not taken
    Other,
};

// The kind of an open status of TEntreesSorties::OuvrirCom (0, errno or a line status).
PortFault ClassifyOpenStatus(int32_t status);

// The group that owns the device UART ("ttyUSB0" stands for "/dev/ttyUSB0"); "dialout", the
// group serial devices usually belong to, when the device cannot be looked at.
std::string PortOwnerGroup(const std::string& UART);

// True when the device UART exists.
bool PortExists(const std::string& UART);

// Whether a device's owner, group and mode let a process of user `uid`, member of `groups`,
// open it for reading and writing (root always may).
struct DeviceOwnership {
    unsigned mode; // st_mode
    unsigned uid;
    unsigned gid;
};
bool OwnershipAllowsReadWrite(const DeviceOwnership& device, unsigned uid,
                              const std::vector<unsigned>& groups);
// True when the device UART exists and this process may not open it for reading and writing,
// judged from its permissions alone (nothing is opened: opening a port can reset a counter).
// A group added to the user since they logged in does not count yet, as it will not for any
// of their programs.
bool PortRefusedToUser(const std::string& UART);
// The group of the device UART when joining it would let this process open the device
// (dialout, usually); "" when it would not (a device closed to all but root).
std::string PortGroupToJoin(const std::string& UART);

} // namespace zel
