#pragma once
// Puts a counter on a pseudo-terminal and runs it until it is stopped or hangs up.
#include "sim/faults.h"

#include <cstdio>
#include <string>

namespace zel::sim {

struct RunOptions {
    std::string link;       // symbolic link to the device, made and removed here
    bool check_line = true; // a host at another speed gets noise, and is not understood
    bool pace = false;      // limit the output to the characters per second of the line
};

// Prints the device path on `out` as its first line. Returns the process exit status:
// 0 after SIGINT/SIGTERM or a hang-up on demand, 2 when the terminal cannot be made.
int RunOnPty(FaultyCounter& counter, const RunOptions& options, std::FILE* out);

// Termios speed constant for a speed in bit/s (B0 when there is none).
unsigned SpeedConstant(int speed);

} // namespace zel::sim
