// zelvanor-cli: the core without windows.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "zel_version.h"

namespace {

void usage(FILE* out) {
    std::fputs("Usage: zelvanor-cli COMMAND [OPTIONS]\n"
               "       zelvanor-cli --version | --help\n"
               "Options take their value as \"--name value\" or \"--name=value\".\n"
               "\n"
               "Commands:\n",
               out);
    zelcli::ListCommands(out);
}

} // namespace

int main(int argc, char** argv) {
    // The locale of the environment, as the desktop program runs under it (system error texts
    // in the user's language); numbers for files, counters and output stay with ".".
    std::setlocale(LC_ALL, "");
    if (argc < 2) {
        std::fputs("zelvanor-cli: no command given\n", stderr);
        usage(stderr);
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        usage(stdout);
        return 0;
    }
    if (cmd == "--version") {
        std::printf("zelvanor-cli %s\n", ZEL_VERSION);
        return 0;
    }
    if (const auto* c = zelcli::FindCommand(cmd)) return c->run(argc - 1, argv + 1);
    std::fprintf(stderr, "zelvanor-cli: unknown command '%s'\n", cmd.c_str());
    usage(stderr);
    return 2;
}
