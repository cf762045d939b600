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

} // namespace zel
