#include <gtest/gtest.h>

#include <cstdio>

#include "base/numfmt.h"
#include "process_locale.h"

using namespace zel;

TEST(NumFmt, FormatFloatPatterns) {
    struct Case {
        const char* pattern;
        double value;
        char sep;
        const char* expected;
    } cases[] = {
        {"0.000", 0.2109, '.', "0.211"}, {"0.000", 0.2109, ',', "0,211"},
        {"0.000", 0.0005, '.', "0.001"}, {"0.000", 0, '.', "0.000"},
        {"###0.#", 15, '.', "15"},       {"###0.#", 15.04, '.', "15"},
        {"###0.#", 15.25, ',', "15,3"},  {"###0.####", 0.08549999, '.', "0.0855"},
        {"######", 0, '.', ""},          {"######", 1440, '.', "1440"},
        {"0.000", -1.5, '.', "-1.500"},  {"0.000", -0.0001, '.', "0.000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.pattern, c.value, c.sep), c.expected)
            << c.pattern << " " << c.value;
}

TEST(NumFmt, FixedAndShortest) {
    EXPECT_EQ(FloatToStrFixed(50 * 0.0057, 7, 5), "0.28500");
    EXPECT_EQ(FloatToStrFixed(0.0057, 7, 5), "0.00570");
    EXPECT_EQ(FloatToStrFixed(0.0081208, 7, 6), "0.008121");
    EXPECT_EQ(FloatToStr(0.0057), "0.0057");
    EXPECT_EQ(FloatToStr(2), "2");
    EXPECT_EQ(FloatToStr(6.9), "6.9");
    EXPECT_EQ(FloatToStr(1.5, ','), "1,5");
}

TEST(NumFmt, ParseDecimal) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"6.90", true, 6.9}, {"0.0065", true, 0.0065}, {"-2", true, -2},
        {"1e3", true, 1000}, {"", false, 0},           {"6,90", false, 0},
        {"6.9x", false, 0},  {" 6.9", false, 0},       {"1e999", false, 0},
    };
    for (const auto& c : cases) {
        double v = 0;
        EXPECT_EQ(ParseDecimal(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(NumFmt, GeneralFormatLikePrintf) {
    EXPECT_EQ(FormatGeneral(0.056789, 4), "0.05679");
    EXPECT_EQ(FormatGeneral(123456, 4), "1.235E+05");
    EXPECT_EQ(FormatGeneral(15, 4), "15");
    EXPECT_EQ(FormatGeneral(0, 4), "0");
}

// The desktop program runs under the locale of its environment; files and counters still get
// and give ".".
TEST(NumFmt, PointUnderADecimalCommaLocale) {
    for (const char* name : kCommaLocales) {
        SCOPED_TRACE(name);
        ProcessLocale locale(name);
        if (!locale.ok()) GTEST_SKIP() << name << " not generated (locale-gen)";
        EXPECT_EQ(FloatToStrFixed(0.0065, 7, 5), "0.00650");
        EXPECT_EQ(FloatToStrFixed(50 * 0.0057, 7, 5), "0.28500");
        EXPECT_EQ(FloatToStr(0.0057), "0.0057");
        EXPECT_EQ(FloatToStr(6.9), "6.9");
        EXPECT_EQ(FormatFloat("###0.#", 25.25), "25.3");
        EXPECT_EQ(FormatFloat("0.000", 0.2109, ','), "0,211");
        EXPECT_EQ(FormatGeneral(0.056789, 4), "0.05679");
        double v = 0;
        EXPECT_TRUE(ParseDecimal("6.90", v));
        EXPECT_EQ(v, 6.9);
        char buf[32];
        {
            const ClassicNumbers point;
            std::snprintf(buf, sizeof buf, "%.1f", 2.5);
            EXPECT_STREQ(buf, "2.5");
        }
        std::snprintf(buf, sizeof buf, "%.1f", 2.5);
        EXPECT_STREQ(buf, "2,5"); // the guard put the locale back
    }
}
