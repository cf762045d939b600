// Nice graduations, powers of ten and the label texts of both axes.
#include <cmath>
#include <gtest/gtest.h>

#include "base/datetime.h"
#include "base/regional.h"
#include "chart/nice_chart.h"

using namespace zel;

TEST(GetMan10, PowerOfTenOfTheExponent) {
    const struct {
        double value, expected;
    } cases[] = {
        {0, 1},
        {0.05, 0.01},
        {-250, 100},
        {123.4, 100},
        {-123.4, 100},
        {1, 1},
        {9.5, 1},
        {13.57, 10},
        {1e-300, 1e-300},
        // Rounded to 15 significant digits first: just below ten counts as ten.
        {9.9999999999999999, 10},
        {0.0999999999999999999, 0.1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(GetMan10(c.value), c.expected) << c.value;
}

TEST(CalculateAxis, NiceStepAndLowestGraduation) {
    const struct {
        double mi, ma;
        int count;
        double delta, lowest;
    } cases[] =
        {
            {0, 95, 8, 15, 0},
            {0.12, 0.31, 5, 0.055, 0.11}, // 0.05 from 0.1 does not reach 0.31 in 4 steps
            {7, 7, 5, 1, 5},              // no range: unit steps around the value
            {7, 7, 4, 1, 5},
            {10, 23, 9, 2, 10},
            {-10, 10, 5, 5, -10},
            {-7, -3, 5, 1, -7},
            {0, 20, 5, 5, 0},
            {0, 100, 7, 20, 0},
            {3, 5, 1, 1, 3}, // fewer than three graduations still divides by 2
        };
    for (const auto& c : cases) {
        double delta = 0, lowest = 0;
        CalculateAxis(c.mi, c.ma, c.count, delta, lowest);
        EXPECT_NEAR(delta, c.delta, 1e-12) << c.mi << ".." << c.ma << " / " << c.count;
        EXPECT_NEAR(lowest, c.lowest, 1e-12) << c.mi << ".." << c.ma << " / " << c.count;
        // Whatever the case, the graduations cover the range.
        const int steps = std::max(c.count - 1, 2);
        EXPECT_LE(lowest, c.mi);
        EXPECT_GE(lowest + delta * steps, c.ma);
    }
}

TEST(CalculateAxis, RangesBeyondTheDoublesEndWithoutLooping) {
    double delta = 0, lowest = 0;
    CalculateAxis(-1.7976931348623157e308, 1.7976931348623157e308, 5, delta, lowest);
    EXPECT_EQ(delta, 1);
    CalculateAxis(0, std::nan(""), 5, delta, lowest);
    SUCCEED();
}

TEST(FormatChartValue, PrintfLikeWithOneConversion) {
    const struct {
        const char* format;
        double value;
        const char* expected;
    } cases[] = {
        {"%5.3f", 1.5, "1.500"},
        {"%5.1f", 2, "  2.0"},
        {"%.0f", 12.4, "12"},
        {"%5.0f%", 12, "   12"},     // a lone "%" at the end is dropped
        {"%5.1f%%", 12.5, " 12.5%"}, // "%%" is a percent sign
        {"%d%%", 49.6, "50%"},       // an integer conversion shows the value rounded
        {"%1.0f", -3, "-3"},
        {"%f", 1, "1.00"},   // two decimals when none is given
        {"x%sy", 1, "x%sy"}, // not a numeric conversion: written as is
        {"%n", 1, "%n"},
        {"%5.1f %5.1f", 1, "  1.0 %5.1f"}, // no value for a second conversion
        {"abc", 1, "abc"},
        {"", 1, ""},
        {"%", 1, ""},
        {"%5.", 1, "%5."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatChartValue(c.format, c.value), c.expected) << c.format;
}

TEST(ChartLabels, ByAxisType) {
    SetRegional(RegionalSettings{'.', 'h', ',', "fr", "FR"});
    TNiceChart chart;
    chart.SetAxisTypeX(sDate);
    EXPECT_EQ(chart.FormatX(), "dd/mm/yy hh:nn");
    EXPECT_EQ(chart.GetLabelX(EncodeDateTime(2024, 3, 15, 8, 5, 0)), "15.03.24 08h05");
    EXPECT_EQ(chart.GetLabelX(UndefinedValueChart), "~");

    chart.SetAxisTypeY(sPerCent);
    EXPECT_EQ(chart.FormatY(), "%d%%");
    chart.SetFormatY("%5.1f%%");
    EXPECT_EQ(chart.GetLabelY(0.125), " 12.5%");
    EXPECT_EQ(chart.GetLabelY(UndefinedValueChart), "~");

    chart.SetAxisTypeX(sinteger);
    EXPECT_EQ(chart.FormatX(), "%5.0f");
    chart.SetAxisTypeY(sinteger);
    EXPECT_EQ(chart.FormatY(), "%1.0f");
    chart.SetAxisTypeX(sfloat);
    EXPECT_EQ(chart.GetLabelX(2.5), "2.500");
    ResetRegional();
}

TEST(ChartLabels, SettingTheSameTypeKeepsTheFormat) {
    TNiceChart chart;
    chart.SetAxisTypeX(sDate);
    chart.SetFormatX("hh:nn");
    chart.SetAxisTypeX(sDate);
    EXPECT_EQ(chart.FormatX(), "hh:nn");
    // The date type resets the scale divisor of its axis.
    chart.SetAxisTypeY(sfloat);
    chart.SetAxisYScale(60);
    chart.SetAxisTypeY(sDate);
    EXPECT_EQ(chart.AxisYScale(), 1.0f);
    chart.SetAxisXScale(0);
    EXPECT_EQ(chart.AxisXScale(), 1.0f);
}
