// zelvanor-cli ports: the serial ports of this machine, one per line.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "serial/port_access.h"
#include "serial/port_list.h"

namespace {

const char kUsage[] = "Usage: zelvanor-cli ports\n"
                      "  Lists the serial ports of this machine, one per line. A port you may not\n"
                      "  open is also named on the error stream, with the group to join.\n";

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
    std::vector<std::string> groups;
    for (const auto& p : zel::SerialPortPaths()) {
        std::printf("%s\n", p.c_str());
        if (!zel::PortRefusedToUser(p)) continue;
        // Debian gives serial devices to the group dialout; a user joins it once.
        const std::string group = zel::PortGroupToJoin(p);
        if (group.empty()) {
            std::fprintf(stderr, "zelvanor-cli ports: you may not open %s (no group may)\n",
                         p.c_str());
            continue;
        }
        std::fprintf(stderr, "zelvanor-cli ports: you may not open %s (group %s)\n", p.c_str(),
                     group.c_str());
        if (std::find(groups.begin(), groups.end(), group) == groups.end()) groups.push_back(group);
    }
    for (const auto& g : groups)
        std::fprintf(stderr,
                     "To open the ports of the group %s, join it (sudo usermod -aG %s $USER),\n"
                     "then log out and back in.\n",
                     g.c_str(), g.c_str());
    return 0;
}

const zelcli::Register reg("ports", "list the serial ports present, one per line", RunPorts);

} // namespace
