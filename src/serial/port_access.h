#pragma once
// Advice for a port that cannot be opened for lack of permission.
#include <cstdint>
#include <string>

namespace zel {

// For an open status of EACCES or EPERM: how to get access to the port UART (the group that
// owns the device, usually "dialout"); "" for any other status.
std::string PortPermissionHint(const std::string& UART, int32_t status);

} // namespace zel
