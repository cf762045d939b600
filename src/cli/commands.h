#pragma once
// Each command of zelvanor-cli registers itself from its own file (cmd_*.cpp).
#include <cstdio>
#include <string>
#include <vector>

#include "base/options.h"

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

// The command's arguments after its name, through the options every program shares.
bool ParseCommandArgs(int argc, char** argv, const std::vector<zel::OptionDef>& defs,
                      zel::ParsedArgs& out, std::string& error);

// A usage error: "zelvanor-cli COMMAND: why", then the usage, on the error stream. Returns 2,
// the exit status of every usage error.
int UsageError(const std::string& command, const std::string& why, const std::string& usage);

} // namespace zelcli
