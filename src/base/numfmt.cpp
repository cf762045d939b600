#include "base/numfmt.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <locale.h>

namespace zel {
namespace {

// printf and strtod follow the process locale, which Qt sets from the environment ("0,0057" under
// fr_FR); to_chars and from_chars always use ".".
std::string to_text(double v, std::chars_format f, int precision) {
    char buf[400]; // "%.15f" of 1e300 needs 317
    const auto r = std::to_chars(buf, buf + sizeof buf, v, f, precision);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
}

double from_text(const std::string& s) {
    double v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

std::string with_sep(std::string s, char sep) {
    if (sep != '.')
        for (auto& c : s)
            if (c == '.') c = sep;
    return s;
}

// Rounds half away from zero at `decimals`, working on the shortest exact decimal text so that
// 0.285 (stored as 0.28499999...) rounds as a person expects.
std::string fixed(double v, int decimals) {
    const double shortest = from_text(to_text(v, std::chars_format::general, 15));
    const double scale = std::pow(10.0, decimals);
    double r = std::round(shortest * scale) / scale;
    if (r == 0) r = 0; // no "-0"
    return to_text(r, std::chars_format::fixed, decimals);
}

} // namespace

bool ParseDecimal(std::string_view text, double& value) {
    if (text.empty()) return false;
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
    value = v;
    return true;
}

std::string FormatGeneral(double value, int precision) {
    std::string s = to_text(value, std::chars_format::general, precision);
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A'); // "E", "INF", "NAN"
    return s;
}

ClassicNumbers::ClassicNumbers() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    previous_ = c != static_cast<locale_t>(0) ? uselocale(c) : static_cast<locale_t>(0);
}

ClassicNumbers::~ClassicNumbers() {
    if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
}

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
    const double v =
        from_text(to_text(value, std::chars_format::scientific, precision > 0 ? precision - 1 : 0));
    return with_sep(fixed(v, digits), decimal_sep);
}

std::string FloatToStr(double value, char decimal_sep) {
    if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    std::string s;
    for (int prec = 1; prec <= 15; ++prec) {
        s = to_text(value, std::chars_format::general, prec);
        if (from_text(s) == value) break;
    }
    // Expand an exponent form for ordinary magnitudes.
    if (s.find('e') != std::string::npos && std::fabs(value) >= 1e-5 && std::fabs(value) < 1e15) {
        s = to_text(value, std::chars_format::fixed, 15);
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return with_sep(s, decimal_sep);
}

} // namespace zel
