#include "scan/scanner.h"

#include <charconv>
#include <cmath>

namespace zel {
namespace {

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_word_char(char c) {
    return is_letter(c) || is_digit(c);
}
int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Inside the line (positions from 1).
bool within(const TAnalSynt& V) {
    return V.ISynt >= 1 && static_cast<size_t>(V.ISynt) <= V.SSynt.size();
}
char at(const TAnalSynt& V) {
    return V.SSynt[static_cast<size_t>(V.ISynt - 1)];
}

} // namespace

void SyntInit(TAnalSynt& V) {
    V.ISynt = 1;
    V.Occupe = true;
    size_t b = 0, e = V.SSynt.size();
    while (b < e && static_cast<unsigned char>(V.SSynt[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(V.SSynt[e - 1]) <= 32)
        --e;
    if (b != 0 || e != V.SSynt.size()) V.SSynt = V.SSynt.substr(b, e - b);
}

void SyntSkipBlank(TAnalSynt& V) {
    while (within(V) && at(V) == ' ')
        ++V.ISynt;
}

bool SyntIsBlank(const TAnalSynt& V) {
    return V.SSynt.empty();
}

bool SyntEnd(TAnalSynt& V) {
    SyntSkipBlank(V);
    return !within(V);
}

char SyntChar(TAnalSynt& V) {
    SyntSkipBlank(V);
    return within(V) ? at(V) : ' ';
}

char SyntInc(TAnalSynt& V) {
    if (within(V)) ++V.ISynt;
    return SyntChar(V);
}

bool SyntSep(TAnalSynt& V, char C) {
    if (SyntChar(V) == C && !SyntEnd(V)) {
        SyntInc(V);
        return true;
    }
    return false;
}

bool SyntIdent(TAnalSynt& V, const std::string& ID) {
    SyntSkipBlank(V);
    const size_t pos = static_cast<size_t>(V.ISynt - 1);
    if (pos > V.SSynt.size() || V.SSynt.size() - pos < ID.size()) return false;
    for (size_t k = 0; k < ID.size(); ++k)
        if (upper(ID[k]) != upper(V.SSynt[pos + k])) return false;
    const size_t after = pos + ID.size();
    if (after < V.SSynt.size() && is_word_char(V.SSynt[after])) return false;
    V.ISynt += static_cast<int32_t>(ID.size());
    return true;
}

bool SyntDonneIdent(TAnalSynt& V, std::string& ID) {
    SyntSkipBlank(V);
    ID.clear();
    if (!within(V) || !is_letter(at(V))) return false;
    while (within(V) && is_word_char(at(V))) {
        ID += at(V);
        ++V.ISynt;
    }
    return true;
}

bool SyntText(TAnalSynt& V, std::string& S) {
    S.clear();
    SyntSkipBlank(V);
    if (!within(V) || at(V) != '\'') return false;
    ++V.ISynt;
    while (within(V)) {
        const char c = at(V);
        ++V.ISynt;
        if (c == '\'') {
            if (within(V) && at(V) == '\'') {
                S += '\'';
                ++V.ISynt;
                continue;
            }
            return true;
        }
        S += c;
    }
    return false;
}

bool SyntWord(TAnalSynt& V, uint32_t& N) {
    N = 0;
    if (!is_digit(SyntChar(V))) return false;
    const int32_t start = V.ISynt;
    uint64_t acc = 0;
    while (within(V) && is_digit(at(V))) {
        acc = acc * 10u + static_cast<uint64_t>(at(V) - '0');
        ++V.ISynt;
        // Beyond 32 bits the run is no number of ours: failing beats taking a wrapped value.
        if (acc > 0xFFFFFFFFu) {
            V.ISynt = start;
            return false;
        }
    }
    N = static_cast<uint32_t>(acc);
    return true;
}

bool SyntInt(TAnalSynt& V, int32_t& N) {
    bool neg = false;
    const char c = SyntChar(V);
    if (c == '+') {
        SyntInc(V);
    } else if (c == '-') {
        SyntInc(V);
        neg = true;
    }
    uint32_t w;
    if (!SyntWord(V, w)) return false;
    const int32_t mag = static_cast<int32_t>(w & 0x07FFFFFFu);
    N = neg ? -mag : mag;
    return true;
}

bool SyntHex(TAnalSynt& V, int32_t& N) {
    N = 0;
    if (SyntEnd(V)) return false;
    const int32_t start = V.ISynt;
    uint32_t acc = 0;
    bool any = false;
    while (within(V) && hex_value(at(V)) >= 0) {
        acc = acc * 16u + static_cast<uint32_t>(hex_value(at(V)));
        any = true;
        ++V.ISynt;
        // Above 31 bits the value has no int32 to go to: fail rather than saturate.
        if (acc > 0x7FFFFFFu && within(V) && hex_value(at(V)) >= 0) {
            V.ISynt = start;
            return false;
        }
    }
    N = static_cast<int32_t>(acc);
    return any;
}

bool SyntReal(TAnalSynt& V, double& N) {
    SyntSkipBlank(V);
    std::string digits;
    bool point = false;
    while (within(V) && (is_digit(at(V)) || at(V) == '.')) {
        if (at(V) == '.') {
            if (point) return false;
            point = true;
            if (digits.empty()) digits.push_back('0');
        }
        digits += at(V);
        ++V.ISynt;
    }
    if (digits.empty()) return false;
    // from_chars, not strtod: the process locale may want a comma (Qt sets it from LANG).
    double d = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
        // Hundreds of digits: too large when a non-zero digit stands before the point, else
        // too small, as strtod gives them.
        const std::string whole = digits.substr(0, digits.find('.'));
        d = whole.find_first_not_of('0') != std::string::npos ? HUGE_VAL : 0.0;
    }
    N = d;
    return true;
}

bool SyntDateTime(TAnalSynt& V, TDateTime& T, int32_t FormatDT) {
    SyntSkipBlank(V);
    const int32_t start = V.ISynt;
    auto fail = [&] {
        V.ISynt = start;
        return false;
    };
    auto date_sep = [&] { return SyntSep(V, '/') || SyntSep(V, '.') || SyntSep(V, '-'); };
    int32_t a, b, c, hh, nn, ss = 0;
    if (!(SyntInt(V, a) && date_sep() && SyntInt(V, b) && date_sep() && SyntInt(V, c) &&
          SyntInt(V, hh) && SyntSep(V, ':') && SyntInt(V, nn)))
        return fail();
    if (SyntSep(V, ':')) {
        int32_t s;
        if (SyntInt(V, s)) ss = s;
    }
    int32_t year, month, day;
    if (FormatDT == 2) {
        day = a;
        month = b;
        year = c;
    } else {
        year = a;
        month = b;
        day = c;
    }
    if (year < 100) year += DecodeDateTime(Now()).year / 100 * 100;
    TDateTime t;
    if (!TryEncodeDateTime(year, month, day, hh, nn, ss, 0, t)) return fail();
    T = t;
    return true;
}

std::string SyntRest(const TAnalSynt& V) {
    const size_t pos = static_cast<size_t>(V.ISynt - 1);
    return pos < V.SSynt.size() ? V.SSynt.substr(pos) : std::string();
}

} // namespace zel
