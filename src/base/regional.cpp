#include "base/regional.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <mutex>
#include <optional>

namespace zel {
namespace {

std::mutex g_mutex;
std::optional<RegionalSettings> g_override;
std::optional<RegionalSettings> g_system;

// The first character of a strftime pattern that is neither a conversion nor a letter or digit.
char separator_of(const char* fmt, char fallback) {
    if (!fmt) return fallback;
    for (const char* p = fmt; *p; ++p) {
        if (*p == '%') {
            if (p[1]) ++p;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 128 && !std::isalnum(c) && c != ' ') return *p;
    }
    return fallback;
}

std::string locale_name_from_env() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    return {};
}

} // namespace

RegionalSettings SystemRegional() {
    RegionalSettings r;
    locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (loc != static_cast<locale_t>(0)) {
        r.date_sep = separator_of(nl_langinfo_l(D_FMT, loc), '/');
        r.time_sep = separator_of(nl_langinfo_l(T_FMT, loc), ':');
        const char* radix = nl_langinfo_l(RADIXCHAR, loc);
        if (radix && radix[0] && !radix[1] && static_cast<unsigned char>(radix[0]) < 128)
            r.decimal_sep = radix[0];
        freelocale(loc);
    }
    // "fr_FR.UTF-8@euro" -> fr, FR. "C" and "POSIX" name no language.
    const std::string name = locale_name_from_env();
    if (!name.empty() && name != "C" && name != "POSIX" && name.rfind("C.", 0) != 0) {
        size_t i = 0;
        std::string lang, country;
        while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i])))
            lang += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i++])));
        if (i < name.size() && name[i] == '_') {
            ++i;
            while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i])))
                country += static_cast<char>(std::toupper(static_cast<unsigned char>(name[i++])));
        }
        if (!lang.empty()) {
            r.language = lang;
            r.country = country;
        }
    }
    return r;
}

const RegionalSettings& Regional() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_override) return *g_override;
    if (!g_system) g_system = SystemRegional();
    return *g_system;
}

void SetRegional(const RegionalSettings& r) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = r;
}

void ResetRegional() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override.reset();
}

} // namespace zel
