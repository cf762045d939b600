// What keeps a chart's X axis readable: labels that never overlap (rotated too), a date written
// once per day, gaps in time shown as breaks, and a distribution scale with round labels.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "base/datetime.h"
#include "chart/nice_chart.h"
#include "recording_canvas.h"

using namespace zel;
using test::RecordingCanvas;

namespace {

void Plain(TNiceChart& c) {
    c.SetShowTitle(false);
    c.SetShowLegend(false);
    c.SetShowAxisTitle(false);
}

RecordingCanvas Paint(TNiceChart& c) {
    RecordingCanvas canvas;
    c.InternalPaint(canvas);
    return canvas;
}

// The X labels drawn, in order (level or rotated), without their positions.
std::vector<std::string> XLabels(const RecordingCanvas& p, int y0) {
    std::vector<std::string> out;
    for (const std::string& op : p.ops) {
        std::istringstream s(op);
        std::string kind;
        int x = 0, y = 0;
        s >> kind >> x >> y;
        if ((kind == "Text" && y == y0) ||
            (kind == "RotText" && op.find(" 45 ") != std::string::npos)) {
            std::string rest;
            std::getline(s, rest);
            if (kind == "RotText")
                rest = rest.substr(rest.find(" 45 ") + 4);
            else
                rest = rest.substr(1);
            out.push_back(rest);
        }
    }
    return out;
}

const TDateTime kDay = EncodeDateTime(2026, 10, 16);

} // namespace

TEST(ReadableAxes, RotatedLabelsKeepTheirHeightApartNotOnlyTheWidthOf000) {
    // Metrics: 6 pixels a character, 13 a line: "000" is 18 wide, while two rotated strips of
    // 13 pixels (and 2 to spare) need their graduations 22 pixels apart.
    TNiceChart c;
    Plain(c);
    c.SetRotateX45(true);
    c.AddSeries(skLine)->AddXY(0, 1);
    c.Calculate(397, 300);
    const int bottom = c.RcChart.Bottom;
    c.XAxis.clear();
    for (auto [px, caption] :
         {std::pair{40, "A"}, {60, "B"}, {62, "C"}, {83, "D"}, {84, "E"}, {200, "F"}})
        c.XAxis.push_back(TAxisInfo{0, px, bottom, caption});
    const RecordingCanvas p = Paint(c);
    EXPECT_EQ(XLabels(p, bottom + 4), (std::vector<std::string>{"A", "C", "E", "F"}));
}

TEST(ReadableAxes, LevelLabelsKeepAGapAndTheSameTextIsNotRepeated) {
    TNiceChart c;
    Plain(c);
    c.AddSeries(skLine)->AddXY(0, 1);
    c.Calculate(397, 300);
    const int bottom = c.RcChart.Bottom;
    c.XAxis.clear();
    // "BB" ends at 46: "XX" starting at 48 is too close, "CC" at 51 far enough; the second
    // "CC" says what the first said.
    for (auto [px, caption] :
         {std::pair{40, "BB"}, {54, "XX"}, {57, "CC"}, {120, "CC"}, {200, "DD"}})
        c.XAxis.push_back(TAxisInfo{0, px, bottom, caption});
    const RecordingCanvas p = Paint(c);
    EXPECT_EQ(XLabels(p, bottom + 4), (std::vector<std::string>{"BB", "CC", "DD"}));
}

TEST(ReadableAxes, ADateAxisNamesEachDayOnceThenTheTimeOnly) {
    TNiceChart c;
    Plain(c);
    c.SetAxisTypeX(sDate);
    c.SetFormatX("dd/mm/yyyy hh:nn");
    TNiceSeries* s = c.AddSeries(skBar);
    // Three hours, then the next morning.
    for (int m : {0, 60, 120, 180, 24 * 60 + 60, 24 * 60 + 120})
        s->AddXY(IncSecond(kDay, 60.0 * 8 * 60 + 60.0 * m), 5);
    c.Calculate(700, 300);
    const RecordingCanvas p = Paint(c);
    EXPECT_EQ(XLabels(p, c.RcChart.Bottom + 4),
              (std::vector<std::string>{"16/10/2026 08:00", "09:00", "10:00", "11:00",
                                        "17/10/2026 09:00", "10:00"}));
}

TEST(ReadableAxes, TimeGapsAreFoundBeyondTwoAndAHalfSpans) {
    const double m = 1.0 / 1440;
    struct Case {
        const char* what;
        std::vector<double> xs;
        double span;
        std::vector<size_t> gaps;
    } cases[] = {
        {"a count a minute", {0, m, 2 * m, 3 * m}, m, {}},
        {"one count missing or empty is no gap", {0, m, 3 * m, 4 * m}, m, {}},
        {"two missing are", {0, m, 4 * m, 5 * m}, m, {2}},
        {"each pause its own", {0, 10 * m, 11 * m, 30 * m}, m, {1, 3}},
        {"no span: nothing looked for", {0, 10 * m}, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindTimeGaps(c.xs, c.span), c.gaps) << c.what;
}

TEST(ReadableAxes, AGapInTimeIsAnEmptySlotWithABreakMark) {
    TNiceChart c;
    Plain(c);
    c.SetAxisTypeX(sDate);
    c.SetXGapSpan(1.0 / 1440);
    TNiceSeries* s = c.AddSeries(skBar);
    for (int m : {0, 1, 2, 3, 60, 61, 62, 63})
        s->AddXY(IncSecond(kDay, 60.0 * m), 10);
    c.Calculate(500, 300);
    ASSERT_EQ(c.XAxis.size(), 8u);
    ASSERT_EQ(c.XGaps.size(), 1u);
    const int slot = c.XAxis[1].Px - c.XAxis[0].Px;
    // Bars 3 and 4 lie two slots apart, the break mark between them.
    EXPECT_NEAR(c.XAxis[4].Px - c.XAxis[3].Px, 2 * slot, 1);
    EXPECT_GT(c.XGaps[0], c.XAxis[3].Px);
    EXPECT_LT(c.XGaps[0], c.XAxis[4].Px);
    const RecordingCanvas p = Paint(c);
    const int x = c.XGaps[0], b = c.RcChart.Bottom;
    EXPECT_NE(p.Find("MoveTo " + std::to_string(x - 5) + " " + std::to_string(b + 4)), -1);
    EXPECT_NE(p.Find("LineTo " + std::to_string(x + 5) + " " + std::to_string(b - 4)), -1);
    // Without a span the same points lie side by side.
    c.SetXGapSpan(0);
    c.EnsureLayout();
    EXPECT_TRUE(c.XGaps.empty());
    EXPECT_NEAR(c.XAxis[4].Px - c.XAxis[3].Px, c.XAxis[1].Px - c.XAxis[0].Px, 1);
}

TEST(ReadableAxes, RoundStepsAreOneTwoOrFiveTimesAPowerOfTen) {
    const std::pair<double, double> cases[] = {{0.3, 0.5},    {1, 1},     {1.1, 2},
                                               {2.5, 5},      {7, 10},    {0.0057, 0.01},
                                               {0.012, 0.02}, {130, 200}, {0, 1}};
    for (auto [min_step, step] : cases)
        EXPECT_DOUBLE_EQ(RoundStep(min_step), step) << min_step;
}

TEST(ReadableAxes, AProportionalScaleLeavesRoomForMissingClassesAndLabelsRoundValues) {
    struct Case {
        const char* what;
        std::vector<double> classes;
        const char* format;
    } cases[] = {
        {"counts per minute", {10, 12, 13, 15, 20, 31}, "%5.0f"},
        {"dose rate: classes of 0.0057",
         {10 * 0.0057, 12 * 0.0057, 15 * 0.0057, 40 * 0.0057},
         "%5.3f"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TNiceChart c;
        Plain(c);
        c.SetAxisXProportional(true);
        c.SetFormatX(k.format);
        TNiceSeries* s = c.AddSeries(skBar);
        for (double v : k.classes)
            s->AddXY(v, 0.1);
        c.Calculate(600, 300);
        // Pixels per value are the same between any two graduations.
        const double first = k.classes.front();
        const double ppv = (c.XAxis.back().Px - c.XAxis.front().Px) / (k.classes.back() - first);
        for (const TAxisInfo& a : c.XAxis)
            EXPECT_NEAR(a.Px - c.XAxis.front().Px, (a.Value - first) * ppv, 1.0) << a.Value;
        // Labels at multiples of one round step, placed on the same scale, none overlapping.
        ASSERT_GE(c.XRoundLabels.size(), 2u);
        const double step = c.XRoundLabels[1].Value - c.XRoundLabels[0].Value;
        EXPECT_DOUBLE_EQ(RoundStep(step), step);
        for (const TAxisInfo& a : c.XRoundLabels) {
            EXPECT_NEAR(a.Value / step, std::round(a.Value / step), 1e-9) << a.Value;
            EXPECT_NEAR(a.Px - c.XAxis.front().Px, (a.Value - first) * ppv, 1.0) << a.Value;
            EXPECT_EQ(a.Caption, FormatChartValue(k.format, a.Value));
        }
        const RecordingCanvas p = Paint(c);
        const std::vector<std::string> drawn = XLabels(p, c.RcChart.Bottom + 4);
        EXPECT_EQ(drawn.size(), c.XRoundLabels.size());
    }
}
