#pragma once
// Small text helpers shared by the readers: ASCII-only case folding (the files and replies we
// read are ASCII where it matters; other bytes stay as they are) and trimming of blanks and
// control characters.
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

} // namespace zel
