#pragma once
// Number texts for files and fields.
#include <string>

namespace zel {

// Decimal patterns of "0" (a required digit), "#" (an optional digit) and one ".":
// "0.000", "###0.#", "###0.####", "######". Rounded half away from zero; trailing optional
// decimals dropped; "######" writes 0 as an empty text. `decimal_sep` replaces the point.
std::string FormatFloat(const std::string& pattern, double value, char decimal_sep = '.');

// Fixed-point with at most `precision` significant digits and exactly `digits` decimals
// (for 50 x 0.0057 with 7 and 5: "0.28500").
std::string FloatToStrFixed(double value, int precision, int digits, char decimal_sep = '.');

// Shortest text that reads back as the same double, up to 15 significant digits, "." or the
// separator given; no exponent for ordinary magnitudes (0.0057 -> "0.0057", 2 -> "2").
std::string FloatToStr(double value, char decimal_sep = '.');

} // namespace zel
