// The chart's layout with fixed text metrics (6 pixels a character, 13 a line at 8 points;
// 11 and 23 in the 14-point title font), checked against positions worked out by hand.
#include <cmath>
#include <gtest/gtest.h>

#include "chart/nice_chart.h"
#include "recording_canvas.h"

using namespace zel;

namespace {

void Plain(TNiceChart& c) {
    c.SetShowTitle(false);
    c.SetShowLegend(false);
}

std::vector<int> Pys(const std::vector<TAxisInfo>& axis) {
    std::vector<int> v;
    for (const TAxisInfo& a : axis)
        v.push_back(a.Py);
    return v;
}
std::vector<int> Pxs(const std::vector<TAxisInfo>& axis) {
    std::vector<int> v;
    for (const TAxisInfo& a : axis)
        v.push_back(a.Px);
    return v;
}

} // namespace

TEST(ChartLayout, ContinuousAxesAndPointPositions) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skLine);
    s->AddXY(0, 10);
    s->AddXY(50, 20);
    s->AddXY(100, 15);
    c.Calculate(397, 300);

    EXPECT_EQ(c.MarkSize, 2);
    // Bottom: 300 - 20 - (2 x 13 + 14); left: 20 + 13 + 10 + widest Y label (5 x 6) + 4.
    EXPECT_EQ(c.RcChart, (TRect{77, 20, 377, 240}));
    ASSERT_EQ(c.YAxis.size(), 5u); // 220 / 50 + 1
    EXPECT_EQ(Pys(c.YAxis), (std::vector<int>{240, 185, 130, 75, 20}));
    EXPECT_EQ(c.YAxis[0].Px, 77);
    EXPECT_EQ(c.YAxis[0].Caption, "  0.0"); // positive values start at 0 by default
    EXPECT_EQ(c.YAxis[4].Caption, " 20.0");
    EXPECT_EQ(c.YZero, 240);

    ASSERT_EQ(c.XAxis.size(), 7u); // 300 / 50 + 1, steps of 20 from 0
    EXPECT_EQ(Pxs(c.XAxis), (std::vector<int>{77, 127, 177, 227, 277, 327, 377}));
    EXPECT_EQ(c.XCaption(1), "20.000");
    EXPECT_EQ(c.XAxis[6].Value, 120);

    EXPECT_EQ(s->Values[0].Px, 77);
    EXPECT_EQ(s->Values[0].Py, 130);
    EXPECT_EQ(s->Values[1].Px, 202);
    EXPECT_EQ(s->Values[1].Py, 20);
    EXPECT_EQ(s->Values[1].Rc, (TRect{200, 18, 204, 22}));
    EXPECT_EQ(s->Values[2].Px, 327);
    EXPECT_EQ(s->Values[2].Py, 75);
}

TEST(ChartLayout, SeriesWithoutPointsLayOutOnlyFrameTitleAndLegend) {
    TNiceChart c;
    c.AddSeries(skLine)->SetCaption(" Counts ");
    c.AddSeries(skBar)->SetCaption("Line one\r\nLine two");
    c.Calculate(400, 300);

    EXPECT_TRUE(c.ChartEmpty);
    EXPECT_TRUE(c.YAxis.empty());
    EXPECT_TRUE(c.XAxis.empty());
    EXPECT_EQ(c.RcTitle, (TRect{47, 20, 270, 43}));
    // Entries: 20 (one line, at least 20), 2 between, 26 (two lines of 13); 10 above and below.
    EXPECT_EQ(c.Series(0)->Top, 10);
    EXPECT_EQ(c.Series(1)->Top, 32);
    // Width: the longest trimmed line (8 x 6) + 42.
    EXPECT_EQ(c.RcLegend, (TRect{290, 53, 380, 121}));
    EXPECT_EQ(c.RcChart, (TRect{47, 53, 270, 240}));
    // The bar series does not force one-per-value while nothing is drawn.
    EXPECT_FALSE(c.AxisXOnePerValue());
}

TEST(ChartLayout, OnePerValueGivesEachDistinctXOneGraduation) {
    TNiceChart c;
    Plain(c);
    c.SetAxisXOnePerValue(true);
    TNiceSeries* a = c.AddSeries(skLine);
    TNiceSeries* b = c.AddSeries(skLine);
    a->AddXY(3, 10);
    a->AddXY(1, 20);
    a->AddXY(2, 15);
    b->AddXY(2, 10);
    b->AddXY(5, 10);
    b->AddXY(std::nan(""), 10); // no graduation can hold it
    b->Values[2].Px = 123;
    c.Calculate(397, 300);

    ASSERT_EQ(c.XAxis.size(), 4u);
    EXPECT_EQ(c.XAxis[0].Value, 1);
    EXPECT_EQ(c.XAxis[3].Value, 5);
    // Without bars the first and last values sit on the ends of the axis.
    EXPECT_EQ(Pxs(c.XAxis), (std::vector<int>{77, 177, 277, 377}));
    EXPECT_EQ(c.XCaption(2), "3.000");
    EXPECT_EQ(a->Values[0].Px, 277);
    EXPECT_EQ(a->Values[1].Px, 77);
    EXPECT_EQ(a->Values[2].Px, 177);
    EXPECT_EQ(b->Values[0].Px, 177);
    EXPECT_EQ(b->Values[1].Px, 377);
    EXPECT_EQ(b->Values[2].Px, 123); // keeps its previous position

    int32_t x = 999, y = 0;
    c.ChartToClient(4, 0, x, y);
    EXPECT_EQ(x, 999);
    EXPECT_EQ(y, 240);
}

TEST(ChartLayout, BarsGrowFromTheZeroRow) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skBar);
    s->AddXY(1, 10);
    s->AddXY(2, -10);
    s->AddXY(3, 5);
    c.Calculate(397, 300);

    EXPECT_TRUE(c.AxisXOnePerValue());
    EXPECT_EQ(c.BarCount, 1);
    // Graduations -10 .. 10 by 5 over 220 pixels: 0 is 110 above the bottom.
    EXPECT_EQ(c.YZero, 130);
    // Three slots of 100 pixels, graduations in their middle, bars 80 % of a slot.
    EXPECT_EQ(Pxs(c.XAxis), (std::vector<int>{127, 227, 327}));
    EXPECT_EQ(c.BarWidth, 200);
    EXPECT_EQ(s->Values[0].Rc, (TRect{87, 20, 167, 130}));
    EXPECT_EQ(s->Values[1].Rc, (TRect{187, 130, 267, 240}));
    EXPECT_EQ(s->Values[2].Rc, (TRect{287, 75, 367, 130}));
}

TEST(ChartLayout, TwoBarSeriesSitEitherSideOfTheGraduation) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* a = c.AddSeries(skBar);
    TNiceSeries* b = c.AddSeries(skBar);
    for (int x = 1; x <= 3; ++x) {
        a->AddXY(x, x);
        b->AddXY(x, 2 * x);
    }
    c.Calculate(397, 300);
    for (int i = 0; i < 3; ++i) {
        EXPECT_LE(a->Values[i].Rc.Right, a->Values[i].Px);
        EXPECT_GE(b->Values[i].Rc.Left, b->Values[i].Px);
        EXPECT_EQ(a->Values[i].Rc.Width(), b->Values[i].Rc.Width());
    }
}

TEST(ChartLayout, OnePerValueStaysOnAfterTheBarSeriesIsRemoved) {
    TNiceChart c;
    TNiceSeries* bar = c.AddSeries(skBar);
    c.AddSeries(skLine)->AddXY(1, 1);
    bar->AddXY(1, 2);
    EXPECT_TRUE(c.AxisXOnePerValue());
    c.RemoveSeries(bar);
    EXPECT_EQ(c.SeriesCount(), 1);
    EXPECT_TRUE(c.AxisXOnePerValue());
    c.RemoveSeries(nullptr); // nothing
    EXPECT_EQ(c.SeriesCount(), 1);
}

TEST(ChartLayout, LowerBoundOfTheYAxis) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skLine);
    s->AddXY(1, 100);
    s->AddXY(2, 120);
    c.Calculate(400, 300);
    EXPECT_LE(c.YAxis.front().Value, 0);

    c.ResetMinX();
    EXPECT_FALSE(c.MinXSet());
    EXPECT_EQ(c.YAxis.front().Value, 100);
    // The stored bound is 0 already: setting it again changes nothing, it stays off.
    c.SetMinX(0);
    EXPECT_FALSE(c.MinXSet());
    EXPECT_EQ(c.YAxis.front().Value, 100);
    c.SetMinX(50);
    EXPECT_TRUE(c.MinXSet());
    EXPECT_LE(c.YAxis.front().Value, 50);
}

TEST(ChartLayout, RotatedLabelsMakeRoomBelowThePlot) {
    TNiceChart c;
    Plain(c);
    c.SetRotateX45(true);
    c.AddSeries(skLine)->AddXY(100, 1); // its label "100.000": 42 pixels, 30 high at 45 degrees
    c.Calculate(400, 300);
    EXPECT_EQ(c.RcChart.Bottom, 280 - (2 * (13 + 15) + 14));
}

TEST(ChartLayout, MarkersAreAtLeastOnePixel) {
    TNiceChart c;
    c.Calculate(100, 100);
    EXPECT_EQ(c.MarkSize, 1);
    c.Calculate(1000, 100);
    EXPECT_EQ(c.MarkSize, 4);
}

TEST(ChartUpdates, EveryChangeLaysOutAndPaintsUnlessAnUpdateIsOpen) {
    test::RecordingHost host;
    TNiceChart c(&host);
    TNiceSeries* s = c.AddSeries(skBar);
    EXPECT_EQ(host.paints, 0); // adding a series does not notify
    s->AddXY(1, 2);
    EXPECT_EQ(host.paints, 1);

    c.BeginUpdate();
    c.BeginUpdate(); // calls do not nest
    for (int i = 2; i < 50; ++i)
        s->AddXY(i, i);
    c.SetTitle("T");
    EXPECT_EQ(host.paints, 1);
    c.EndUpdate();
    EXPECT_EQ(host.paints, 2);
    EXPECT_FALSE(c.Updating());
    EXPECT_EQ(c.XAxis.size(), 49u);

    c.EndUpdate(); // nothing changed: still one layout and one paint
    EXPECT_EQ(host.paints, 3);

    s->DivYValue(0);
    EXPECT_EQ(s->Values[1].Y, 2);
    EXPECT_EQ(host.paints, 3);
    s->DivYValue(2);
    EXPECT_EQ(s->Values[1].Y, 1);
    s->MulYValue(4);
    EXPECT_EQ(s->Values[1].Y, 4);
    EXPECT_EQ(host.paints, 5);

    // Setting a value it already has does nothing.
    c.SetTitle("T");
    c.SetShowLegend(true);
    s->SetCaption("Series");
    s->SetKind(skBar);
    s->Remove(-1);
    s->Remove(1000);
    EXPECT_EQ(host.paints, 5);

    // A resize lays out for the new size.
    c.SetClientSize(640, 480);
    EXPECT_EQ(host.paints, 6);
    EXPECT_EQ(c.DestWidth, 640);
}

TEST(ChartProperties, DefaultsAndSetterRules) {
    TNiceChart c;
    EXPECT_TRUE(c.ShowLegend());
    EXPECT_TRUE(c.ShowTitle());
    EXPECT_TRUE(c.ShowAxisTitle());
    EXPECT_TRUE(c.ShowXGrid());
    EXPECT_TRUE(c.ShowYGrid());
    EXPECT_EQ(c.Title(), "Chart Title");
    EXPECT_EQ(c.TitleFont(), (TFontInfo{"Arial", 14}));
    EXPECT_EQ(c.AxisXTitle(), "X Axis");
    EXPECT_EQ(c.AxisYTitle(), "Y Axis");
    EXPECT_FALSE(c.AxisXOnePerValue());
    EXPECT_EQ(c.AxisTypeX(), sfloat);
    EXPECT_EQ(c.AxisTypeY(), sfloat);
    EXPECT_EQ(c.MinX(), 0);
    EXPECT_TRUE(c.MinXSet());
    EXPECT_EQ(c.Width(), 300);
    EXPECT_EQ(c.Height(), 200);
    EXPECT_EQ(c.AddSeries(skLine)->Caption(), "Series");

    // The axis titles change only while they are shown.
    c.SetShowAxisTitle(false);
    c.SetAxisXTitle("");
    c.SetAxisYTitle("");
    EXPECT_EQ(c.AxisXTitle(), "X Axis");
    c.SetShowAxisTitle(true);
    c.SetAxisXTitle("");
    EXPECT_EQ(c.AxisXTitle(), "");
}

TEST(ChartSeries, ExtremesOfAnEmptySeries) {
    TNiceChart c;
    TNiceSeries* s = c.AddSeries(skLine);
    EXPECT_EQ(s->GetMinXValue(), 1.7976931348623157e308);
    EXPECT_EQ(s->GetMaxYValue(), -1.7976931348623157e308);
    EXPECT_EQ(s->AddXY(3, -1, "hint"), 0);
    EXPECT_EQ(s->AddXY(-2, 5), 1);
    EXPECT_EQ(s->GetMinXValue(), -2);
    EXPECT_EQ(s->GetMaxXValue(), 3);
    EXPECT_EQ(s->GetMinYValue(), -1);
    EXPECT_EQ(s->Values[0].Hint, "hint");
    // Hints stay with their points when the storage grows, and a copied point has its own.
    for (int i = 0; i < 1000; ++i)
        s->AddXY(i, i);
    EXPECT_EQ(s->Values[0].Hint, "hint");
    EXPECT_TRUE(s->Values[1].Hint.empty());
    TXYInfo copy = s->Values[0];
    s->Values[0].Hint = std::string("other");
    EXPECT_EQ(copy.Hint, "hint");
    s->Clear();
    EXPECT_TRUE(s->Values.empty());
    c.Clear();
    EXPECT_EQ(c.SeriesCount(), 0);
}
