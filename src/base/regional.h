#pragma once
// The user's regional settings, read once from the system locale (LC_ALL / LC_TIME / LC_NUMERIC /
// LANG) without changing the process locale, so printf and friends keep using ".".
#include <string>

#include "base/datetime.h"

namespace zel {

struct RegionalSettings {
    char date_sep = '/';
    char time_sep = ':';
    char decimal_sep = '.';
    std::string language = "en"; // ISO 639 code in lower case, e.g. "fr"
    std::string country = "";    // ISO 3166 code in upper case, e.g. "FR"; empty when unknown
    // The short date in the region's order with a four-digit year, as a FormatDateTime pattern
    // ("DD/MM/YYYY"; "/" stands for date_sep).
    std::string short_date = "YYYY/MM/DD";
};

// The settings in force: the system's, unless a test or the program has set others.
const RegionalSettings& Regional();
void SetRegional(const RegionalSettings& r);
// Back to what the system locale gives.
void ResetRegional();
// What the system locale gives ("/" ":" "." where it gives none).
RegionalSettings SystemRegional();

// The short date pattern of a strftime date format ("%d.%m.%y" -> "DD/MM/YYYY"): the order of
// its day, month and year, the year always with four digits; "YYYY/MM/DD" when it names no order.
std::string ShortDatePattern(const char* d_fmt);
// How every window shows a date: the regional short date, with the time to the minute.
std::string RegionalDate(TDateTime t);
std::string RegionalDateTime(TDateTime t);

// The application's fixed format: "." decimal, "/" date, ":" time, never regional.
inline RegionalSettings FixedFormat() {
    return RegionalSettings{'/', ':', '.', "en", ""};
}

} // namespace zel
