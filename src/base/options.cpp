#include "base/options.h"

namespace zel {

const std::string* ParsedArgs::last(const std::string& name) const {
    for (auto it = options.rbegin(); it != options.rend(); ++it)
        if (it->name == name) return &it->value;
    return nullptr;
}

bool ParseOptions(const std::vector<std::string>& args, const std::vector<OptionDef>& defs,
                  ParsedArgs& out, std::string& error) {
    out = ParsedArgs{};
    bool only_operands = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        if (only_operands || a == "-" || a.empty() || a[0] != '-') {
            out.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            only_operands = true;
            continue;
        }
        if (a == "-h") a = "--help";
        if (a.rfind("--", 0) != 0) {
            error = "unknown option " + a;
            return false;
        }
        std::string name = a.substr(2), value;
        const size_t eq = name.find('=');
        const bool inline_value = eq != std::string::npos;
        if (inline_value) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionDef* def = nullptr;
        for (const OptionDef& s : defs)
            if (name == s.name) def = &s;
        if (!def) {
            error = "unknown option --" + name;
            return false;
        }
        if (!def->takes_value && inline_value) {
            error = "--" + name + " takes no value";
            return false;
        }
        if (def->takes_value && !inline_value) {
            if (i + 1 >= args.size()) {
                error = "--" + name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        out.options.push_back(ParsedOption{name, value});
    }
    return true;
}

} // namespace zel
