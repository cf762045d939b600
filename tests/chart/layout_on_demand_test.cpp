// A change lays out the frame at once and leaves the X axis and the points to whoever needs them:
// every reader must see the same layout as an explicit Calculate, and the Y extremes the frame
// uses must follow every way the points change.
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

#include "chart/nice_chart.h"
#include "recording_canvas.h"

using namespace zel;

namespace {

constexpr int kW = 397, kH = 300;

void Fill(TNiceSeries* s, int from, int to) {
    for (int x = from; x < to; ++x)
        s->AddXY(x, 1 + x % 7);
}

// Everything the layout placed, in one comparable list.
std::vector<int> Placed(TNiceChart& c) {
    std::vector<int> v;
    for (const TAxisInfo& a : c.XAxis)
        v.insert(v.end(), {a.Px, a.Py});
    v.push_back(c.BarWidth);
    for (int i = 0; i < c.SeriesCount(); ++i) {
        for (const TXYInfo& p : c.Series(i)->Values)
            v.insert(v.end(), {p.Px, p.Py, p.Rc.Left, p.Rc.Top, p.Rc.Right, p.Rc.Bottom});
        for (const TRect& r : c.Series(i)->BarRuns)
            v.insert(v.end(), {r.Left, r.Top, r.Right, r.Bottom});
    }
    return v;
}

} // namespace

TEST(ChartLayoutOnDemand, EveryReaderPlacesThePointsOfTheLatestChange) {
    const struct {
        const char* reader;
        std::function<void(TNiceChart&)> read;
    } cases[] = {
        {"paint",
         [](TNiceChart& c) {
             test::RecordingCanvas k;
             c.InternalPaint(k);
         }},
        {"ClientToChart",
         [](TNiceChart& c) {
             double ax, ay;
             c.ClientToChart(100, 100, ax, ay);
         }},
        {"ChartToClient",
         [](TNiceChart& c) {
             int32_t x, y;
             c.ChartToClient(1, 1, x, y);
         }},
        {"XCaption", [](TNiceChart& c) { c.XCaption(0); }},
        {"EnsureLayout", [](TNiceChart& c) { c.EnsureLayout(); }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.reader);
        TNiceChart c;
        c.SetClientSize(kW, kH);
        TNiceSeries* s = c.AddSeries(skBar);
        Fill(s, 0, 20);
        c.EnsureLayout();
        // More points, one change each, then a batch: the old layout must not survive.
        Fill(s, 20, 30);
        c.BeginUpdate();
        Fill(s, 30, 600);
        c.EndUpdate();
        // Nobody has looked yet: the new points are not placed.
        EXPECT_EQ(s->Values.back().Px, 0);
        EXPECT_EQ(s->Values.back().Rc, TRect{});
        k.read(c);

        TNiceChart twin;
        Fill(twin.AddSeries(skBar), 0, 600);
        twin.Calculate(kW, kH);
        EXPECT_EQ(c.RcChart, twin.RcChart);
        EXPECT_EQ(Placed(c), Placed(twin));
    }
}

TEST(ChartLayoutOnDemand, ExportLeavesThePointsToBePlacedAtTheWindowSize) {
    struct Sink : MetafileSink {
        test::RecordingCanvas canvas;
        Canvas& Begin(int, int) override { return canvas; }
        void End() override {}
    } sink;
    TNiceChart c;
    c.SetClientSize(kW, kH);
    TNiceSeries* s = c.AddSeries(skLine);
    Fill(s, 0, 50);
    c.CreateMetafile(sink);
    int32_t x = 0, y = 0;
    c.ChartToClient(49, 1 + 49 % 7, x, y);

    TNiceChart twin;
    Fill(twin.AddSeries(skLine), 0, 50);
    twin.Calculate(kW, kH);
    EXPECT_EQ(Placed(c), Placed(twin));
    EXPECT_EQ(x, twin.Series(0)->Values.back().Px);
    EXPECT_EQ(y, twin.Series(0)->Values.back().Py);
}

// The Y axis is built on every change from extremes the series keeps as points come; each other
// way of changing the points must give the extremes of the points as they are.
TEST(ChartLayoutOnDemand, YExtremesFollowEveryChangeOfThePoints) {
    TNiceChart c;
    c.SetShowTitle(false);
    c.SetShowLegend(false);
    c.SetClientSize(kW, kH);
    TNiceSeries* s = c.AddSeries(skBar);
    const struct {
        const char* step;
        std::function<void()> apply;
    } steps[] = {
        {"add", [&] { Fill(s, 0, 10); }},
        {"add below zero", [&] { s->AddXY(10, -40); }},
        {"remove the lowest", [&] { s->Remove(10); }},
        {"remove the highest", [&] { s->Remove(6); }},
        {"multiply by a negative", [&] { s->MulYValue(-3); }},
        {"divide", [&] { s->DivYValue(0.5); }},
        {"reserve, then add",
         [&] {
             s->Reserve(1000);
             s->AddXY(11, 500);
         }},
        {"clear", [&] { s->Clear(); }},
        {"add after clear", [&] { s->AddXY(1, 3); }},
        {"batch",
         [&] {
             c.BeginUpdate();
             s->Clear();
             s->Reserve(5000);
             Fill(s, 0, 3000);
             s->AddXY(3000, 250);
             c.EndUpdate();
         }},
    };
    for (const auto& k : steps) {
        SCOPED_TRACE(k.step);
        k.apply();
        double lo = std::numeric_limits<double>::max(), hi = -lo;
        for (const TXYInfo& p : s->Values) {
            lo = std::min(lo, p.Y);
            hi = std::max(hi, p.Y);
        }
        EXPECT_EQ(s->GetMinYValue(), lo);
        EXPECT_EQ(s->GetMaxYValue(), hi);

        // The frame laid out by the change is the one of the points as they are.
        TNiceChart twin;
        twin.SetShowTitle(false);
        twin.SetShowLegend(false);
        TNiceSeries* t = twin.AddSeries(skBar);
        for (const TXYInfo& p : s->Values)
            t->AddXY(p.X, p.Y);
        twin.Calculate(kW, kH);
        ASSERT_EQ(c.YAxis.size(), twin.YAxis.size());
        for (size_t i = 0; i < c.YAxis.size(); ++i) {
            EXPECT_EQ(c.YAxis[i].Value, twin.YAxis[i].Value);
            EXPECT_EQ(c.YAxis[i].Py, twin.YAxis[i].Py);
        }
        EXPECT_EQ(c.YZero, twin.YZero);
        EXPECT_EQ(c.RcChart, twin.RcChart);
    }
}
