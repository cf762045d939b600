#pragma once
// Number texts for files and fields. None of these follow the process locale: the point is "."
// unless a separator is given.
#include <locale.h>
#include <string>
#include <string_view>

namespace zel {

// The whole text as a decimal number with "." ("6.90", "0.0065", "-2", "1e3"); false for an empty
// text, anything after the number, or a value out of the double range.
bool ParseDecimal(std::string_view text, double& value);

// printf's "%.*G" with "." whatever the locale (4 significant digits: 0.0567, 1.235E+05).
std::string FormatGeneral(double value, int precision);

// For printf calls whose format comes from elsewhere (chart label formats): this thread formats in
// the C locale while the guard lives, so the point stays "." even after Qt has set the locale.
class ClassicNumbers {
  public:
    ClassicNumbers();
    ~ClassicNumbers();
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

  private:
    locale_t previous_;
};

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
