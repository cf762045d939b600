#include "base/numfmt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zel {
namespace {

std::string with_sep(std::string s, char sep) {
    if (sep != '.')
        for (auto& c : s)
            if (c == '.') c = sep;
    return s;
}

// Rounds half away from zero at `decimals`, working on the shortest exact decimal text so that
// 0.285 (stored as 0.28499999...) rounds as a person expects.
std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    const double shortest = std::strtod(buf, nullptr);
    const double scale = std::pow(10.0, decimals);
    double r = std::round(shortest * scale) / scale;
    if (r == 0) r = 0; // no "-0"
    std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
    return buf;
}

} // namespace

std::string FormatFloat(const std::string& pattern, double value, char decimal_sep) {
    const auto dot = pattern.find('.');
    const std::string ip = pattern.substr(0, dot);
    const std::string fp = dot == std::string::npos ? "" : pattern.substr(dot + 1);
    int min_int = 0;
    for (char c : ip)
        if (c == '0') ++min_int;
    int max_dec = 0, min_dec = 0;
    for (char c : fp) {
        if (c == '0' || c == '#') ++max_dec;
        if (c == '0') min_dec = max_dec;
    }
    std::string s = fixed(value, max_dec);
    bool neg = false;
    if (!s.empty() && s[0] == '-') {
        neg = true;
        s.erase(0, 1);
    }
    std::string ipart = s, fpart;
    const auto p = s.find('.');
    if (p != std::string::npos) {
        ipart = s.substr(0, p);
        fpart = s.substr(p + 1);
    }
    while (static_cast<int>(fpart.size()) > min_dec && !fpart.empty() && fpart.back() == '0')
        fpart.pop_back();
    if (ipart == "0" && min_int == 0) ipart.clear();
    while (static_cast<int>(ipart.size()) < min_int)
        ipart.insert(0, "0");
    std::string out = ipart;
    if (!fpart.empty()) out += decimal_sep + fpart;
    if (neg && out.find_first_not_of("0.,") != std::string::npos) out.insert(0, "-");
    return out;
}

std::string FloatToStrFixed(double value, int precision, int digits, char decimal_sep) {
    if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    // Keep at most `precision` significant digits before fixing the decimals.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision > 0 ? precision - 1 : 0, value);
    const double v = std::strtod(buf, nullptr);
    return with_sep(fixed(v, digits), decimal_sep);
}

std::string FloatToStr(double value, char decimal_sep) {
    if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    char buf[64];
    for (int prec = 1; prec <= 15; ++prec) {
        std::snprintf(buf, sizeof buf, "%.*g", prec, value);
        if (std::strtod(buf, nullptr) == value) break;
    }
    std::string s = buf;
    // Expand an exponent form for ordinary magnitudes.
    if (s.find('e') != std::string::npos && std::fabs(value) >= 1e-5 && std::fabs(value) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.15f", value);
        s = buf;
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return with_sep(s, decimal_sep);
}

} // namespace zel
