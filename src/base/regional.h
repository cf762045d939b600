#pragma once
// The user's regional settings, read once from the system locale (LC_ALL / LC_TIME / LC_NUMERIC /
// LANG) without changing the process locale, so printf and friends keep using ".".
#include <string>

namespace zel {

struct RegionalSettings {
    char date_sep = '/';
    char time_sep = ':';
    char decimal_sep = '.';
    std::string language = "en"; // ISO 639 code in lower case, e.g. "fr"
    std::string country = "";    // ISO 3166 code in upper case, e.g. "FR"; empty when unknown
};

// The settings in force: the system's, unless a test or the program has set others.
const RegionalSettings& Regional();
void SetRegional(const RegionalSettings& r);
// Back to what the system locale gives.
void ResetRegional();
// What the system locale gives ("/" ":" "." where it gives none).
RegionalSettings SystemRegional();

// The application's fixed format: "." decimal, "/" date, ":" time, never regional.
inline RegionalSettings FixedFormat() {
    return RegionalSettings{'/', ':', '.', "en", ""};
}

} // namespace zel
