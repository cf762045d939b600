#pragma once
// The serial ports present on this machine.
#include <string>
#include <vector>

namespace zel {

// The device paths ("/dev/ttyUSB0", ...) of the serial ttys that sysfs lists under
// `sysClassTty` (each with a "device" link), sorted. Legacy 8250 slots that hold no UART are
// left out.
std::vector<std::string> SerialPortPaths(const std::string& sysClassTty = "/sys/class/tty");

// The same names joined by "," (a name holding a blank, a comma or a double quote is quoted
// with inner quotes doubled); "" when there is none.
std::string PortsDisponibles();
std::string JoinPortNames(const std::vector<std::string>& names);

// The name under `byIdDir` that leads to the same device as `port` (a USB adapter keeps it when
// it comes back as another ttyUSBn), or `port` itself when there is none. A name without "/"
// gets "/dev/" in front, as when a port is opened.
std::string StablePortName(const std::string& port,
                           const std::string& byIdDir = "/dev/serial/by-id");

} // namespace zel
