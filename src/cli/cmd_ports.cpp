// zelvanor-cli ports: the serial ports of this machine, one per line.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "serial/port_list.h"

namespace {

const char kUsage[] = "Usage: zelvanor-cli ports\n"
                      "  Lists the serial ports of this machine, one per line.\n";

int RunPorts(int argc, char** argv) {
    zel::ParsedArgs args;
    std::string error;
    if (!zelcli::ParseCommandArgs(argc, argv, {{"help", false}}, args, error))
        return zelcli::UsageError("ports", error, kUsage);
    if (args.has("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!args.operands.empty()) return zelcli::UsageError("ports", "takes no arguments", kUsage);
    for (const auto& p : zel::SerialPortPaths())
        std::printf("%s\n", p.c_str());
    return 0;
}

const zelcli::Register reg("ports", "list the serial ports present, one per line", RunPorts);

} // namespace
