#pragma once
// Each command of zelvanor-cli registers itself from its own file (cmd_*.cpp).
#include <cstdio>
#include <string>

namespace zelcli {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(int argc, char** argv); // argv[0] is the command name
};

const Command* FindCommand(const std::string& name);
void ListCommands(std::FILE* out);

// Registers a command at static initialisation.
struct Register {
    Register(const char* name, const char* summary, int (*run)(int, char**));
};

} // namespace zelcli
