#include "cli/commands.h"

#include <vector>

namespace zelcli {
namespace {
std::vector<Command>& table() {
    static std::vector<Command> t;
    return t;
}
} // namespace

Register::Register(const char* name, const char* summary, int (*run)(int, char**)) {
    table().push_back(Command{name, summary, run});
}

const Command* FindCommand(const std::string& name) {
    for (const auto& c : table())
        if (name == c.name) return &c;
    return nullptr;
}

void ListCommands(std::FILE* out) {
    for (const auto& c : table())
        std::fprintf(out, "  %-28s%s\n", c.name, c.summary);
}

bool ParseCommandArgs(int argc, char** argv, const std::vector<zel::OptionDef>& defs,
                      zel::ParsedArgs& out, std::string& error) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zel::ParseOptions(args, defs, out, error);
}

int UsageError(const std::string& command, const std::string& why, const std::string& usage) {
    std::fprintf(stderr, "zelvanor-cli %s: %s\n", command.c_str(), why.c_str());
    std::fputs(usage.c_str(), stderr);
    return 2;
}

} // namespace zelcli
