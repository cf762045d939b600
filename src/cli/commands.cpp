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
    for (const auto& c : table()) std::fprintf(out, "  %-28s%s\n", c.name, c.summary);
}

} // namespace zelcli
