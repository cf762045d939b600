// zelvanor-cli ports: the serial ports of this machine, one per line.
#include <cstdio>

#include "cli/commands.h"
#include "serial/port_list.h"

namespace {

int RunPorts(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "Usage: zelvanor-cli ports\n");
        return 2;
    }
    (void)argv;
    for (const auto& p : zel::SerialPortPaths())
        std::printf("%s\n", p.c_str());
    return 0;
}

const zelcli::Register reg("ports", "list the serial ports present, one per line", RunPorts);

} // namespace
