#pragma once
// Why a port did not open, in the terms a user can act on.
#include <cstdint>
#include <string>

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

} // namespace zel
