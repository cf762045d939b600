#include <gtest/gtest.h>

#include <locale.h>

#include <cstdlib>
#include <string>

#include "base/regional.h"

using namespace zel;

namespace {

bool Installed(const char* name) {
    const locale_t l = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) return false;
    freelocale(l);
    return true;
}

} // namespace

// The window fields take their separators from here: a decimal comma on French and German
// desktops, the German date with dots.
TEST(Regional, SystemSettingsFollowTheEnvironment) {
    const char* before = std::getenv("LC_ALL");
    const std::string saved = before ? before : "";
    struct Case {
        const char* locale;
        char date_sep, time_sep, decimal_sep;
        const char* language;
        const char* country;
        const char* short_date;
    } cases[] = {
        {"C", '/', ':', '.', "en", "", "MM/DD/YYYY"},
        {"fr_FR.UTF-8", '/', ':', ',', "fr", "FR", "DD/MM/YYYY"},
        {"de_DE.UTF-8", '.', ':', ',', "de", "DE", "DD/MM/YYYY"},
    };
    for (const auto& c : cases)
        if (!Installed(c.locale)) GTEST_SKIP() << c.locale << " not generated (locale-gen)";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        setenv("LC_ALL", c.locale, 1);
        const RegionalSettings r = SystemRegional();
        EXPECT_EQ(r.date_sep, c.date_sep);
        EXPECT_EQ(r.time_sep, c.time_sep);
        EXPECT_EQ(r.decimal_sep, c.decimal_sep);
        EXPECT_EQ(r.language, c.language);
        EXPECT_EQ(r.country, c.country);
        EXPECT_EQ(r.short_date, c.short_date);
    }
    if (before)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

// Every window writes dates in the region's order with four-digit years.
TEST(Regional, ShortDateTakesTheRegionsOrderWithFourDigitYears) {
    const std::pair<const char*, const char*> cases[] = {
        {"%d/%m/%Y", "DD/MM/YYYY"},  {"%m/%d/%y", "MM/DD/YYYY"},     {"%d.%m.%y", "DD/MM/YYYY"},
        {"%Y-%m-%d", "YYYY/MM/DD"},  {"%F", "YYYY/MM/DD"},           {"%D", "MM/DD/YYYY"},
        {"%e/%m/%Ey", "DD/MM/YYYY"}, {"%y年%m月%d日", "YYYY/MM/DD"}, {"", "YYYY/MM/DD"},
        {"%H:%M", "YYYY/MM/DD"},
    };
    for (auto [fmt, pattern] : cases)
        EXPECT_EQ(ShortDatePattern(fmt), pattern) << fmt;

    SetRegional(RegionalSettings{'.', ':', ',', "de", "DE", "DD/MM/YYYY"});
    const TDateTime t = EncodeDateTime(2026, 3, 5, 7, 9, 30);
    EXPECT_EQ(RegionalDate(t), "05.03.2026");
    EXPECT_EQ(RegionalDateTime(t), "05.03.2026 07:09");
    ResetRegional();
}
