#pragma once
// The command-line options of every program: "--name value" or "--name=value" for an option
// that takes a value, "--name" alone for a switch, anything else an operand; "--" ends the
// options. "-h" is "--help".
#include <string>
#include <vector>

namespace zel {

struct OptionDef {
    const char* name; // without the leading "--"
    bool takes_value;
};

struct ParsedOption {
    std::string name; // without the leading "--"
    std::string value;
};

struct ParsedArgs {
    std::vector<ParsedOption> options; // in the order given
    std::vector<std::string> operands;
    // The value of the last occurrence of `name`, or nullptr.
    const std::string* last(const std::string& name) const;
    bool has(const std::string& name) const { return last(name) != nullptr; }
};

// False with a one-line reason in `error` (an unknown option, a missing value, a value given
// to a switch).
bool ParseOptions(const std::vector<std::string>& args, const std::vector<OptionDef>& defs,
                  ParsedArgs& out, std::string& error);

} // namespace zel
