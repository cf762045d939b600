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
        r.short_date = ShortDatePattern(nl_langinfo_l(D_FMT, loc));
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

std::string ShortDatePattern(const char* d_fmt) {
    std::string order;
    for (const char* p = d_fmt ? d_fmt : ""; *p; ++p) {
        if (*p != '%' || !p[1]) continue;
        ++p;
        while (*p == 'E' || *p == 'O' || *p == '-' || *p == '_' || *p == '0' || *p == '^')
            ++p;
        char part = 0;
        if (*p == 'd' || *p == 'e')
            part = 'D';
        else if (*p == 'm' || *p == 'b' || *p == 'h' || *p == 'B')
            part = 'M';
        else if (*p == 'y' || *p == 'Y' || *p == 'C' || *p == 'G')
            part = 'Y';
        else if (*p == 'D') // %m/%d/%y
            order += "MDY";
        else if (*p == 'F') // %Y-%m-%d
            order += "YMD";
        if (part && order.find(part) == std::string::npos) order += part;
        if (!*p) break;
    }
    if (order.size() != 3) return "YYYY/MM/DD";
    std::string out;
    for (const char part : order) {
        if (!out.empty()) out += '/';
        out += part == 'D' ? "DD" : part == 'M' ? "MM" : "YYYY";
    }
    return out;
}

std::string RegionalDate(TDateTime t) {
    const RegionalSettings& r = Regional();
    return FormatDateTime(r.short_date, t, r.date_sep, r.time_sep);
}

std::string RegionalDateTime(TDateTime t) {
    const RegionalSettings& r = Regional();
    return FormatDateTime(r.short_date + " HH:NN", t, r.date_sep, r.time_sep);
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
