#include <gtest/gtest.h>

#include "base/numfmt.h"

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
