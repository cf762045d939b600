#pragma once
// Small text helpers shared by the readers: ASCII-only case folding (the files and replies we
// read are ASCII where it matters; other bytes stay as they are), trimming of blanks and
// control characters, and the percent-encoding of addresses.
#include <string>
#include <string_view>

namespace zel {

inline char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline std::string UpperAscii(std::string s) {
    for (auto& c : s)
        c = UpperAscii(c);
    return s;
}

// Removes characters of code 32 or less at both ends.
inline std::string TrimControl(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return std::string(s.substr(b, e - b));
}

// A "1" or "0" of our settings files; anything else leaves `otherwise`.
inline bool ReadFlag(std::string_view v, bool otherwise) {
    if (v == "1") return true;
    if (v == "0") return false;
    return otherwise;
}

// "%XX" for every byte but the unreserved ones of an address (letters, digits, "-._~") and
// those in `keep`.
inline std::string PercentEncode(std::string_view s, std::string_view keep = {}) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : s) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           keep.find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

} // namespace zel
