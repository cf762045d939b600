// zelvanor-cli: the core without windows.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"

namespace {

void usage(FILE* out) {
    std::fputs("Usage: zelvanor-cli COMMAND [OPTIONS]\n"
               "\n"
               "Commands:\n"
               "  --help                      this text\n",
               out);
    zelcli::ListCommands(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        usage(stdout);
        return 0;
    }
    if (const auto* c = zelcli::FindCommand(cmd)) return c->run(argc - 1, argv + 1);
    std::fprintf(stderr, "zelvanor-cli: unknown command '%s'\n", cmd.c_str());
    usage(stderr);
    return 2;
}
