// Painting on a recording canvas: order of the steps, label thinning, grids, legend samples,
// colours and fills; the pointer mapping, the selection rectangle and the vector export.
#include <cmath>
#include <gtest/gtest.h>

#include "chart/nice_chart.h"
#include "recording_canvas.h"

using namespace zel;
using test::RecordingCanvas;
using test::RecordingHost;

namespace {

void Plain(TNiceChart& c) {
    c.SetShowTitle(false);
    c.SetShowLegend(false);
}

RecordingCanvas Paint(TNiceChart& c) {
    RecordingCanvas canvas;
    c.InternalPaint(canvas);
    return canvas;
}

std::string Str(const char* name, int a, int b) {
    return std::string(name) + " " + std::to_string(a) + " " + std::to_string(b);
}

} // namespace

TEST(ChartPaint, BackgroundLegendTitleAxesThenBarsBeforeLines) {
    TNiceChart c;
    c.AddSeries(skLine)->AddXY(1, 5);
    c.AddSeries(skBar)->AddXY(1, 3);
    c.Calculate(400, 300);
    const RecordingCanvas p = Paint(c);

    EXPECT_EQ(p.ops[p.Find("FillRect")], "FillRect 0 0 400 300");
    EXPECT_EQ(p.ops[p.Find("FillRect") - 2], "Brush FFFFFF solid 0");
    const int shadow = p.Find("FillRect", p.Find("FillRect") + 1);
    const int title = p.Find("WrappedText");
    const int x_axis = p.Find("Pen 000000 3 solid");
    const int bars = p.Find("FrameRect");
    const int line_marker = p.Find("Rectangle", bars); // the line series' marker, index 0
    ASSERT_GT(shadow, 0);
    EXPECT_LT(shadow, title);
    EXPECT_LT(title, x_axis);
    EXPECT_LT(x_axis, bars);
    EXPECT_LT(bars, line_marker);
    EXPECT_EQ(p.ops[title], "WrappedText " + std::to_string(c.RcTitle.Left) + " 20 " +
                                std::to_string(c.RcTitle.Right) + " " +
                                std::to_string(c.RcTitle.Bottom) + " Chart Title");
    // Bars are framed and filled in the brush of their colour.
    EXPECT_EQ(p.ops[p.Find("FillRect", bars)].substr(0, 8), "FillRect");
    EXPECT_NE(p.Find("Brush 0000FF solid 0"), -1); // the second series' colour
}

TEST(ChartPaint, XLabelsThatWouldTouchThePreviousOneAreSkipped) {
    for (bool rotated : {false, true}) {
        SCOPED_TRACE(rotated ? "rotated" : "level");
        TNiceChart c;
        Plain(c);
        c.SetRotateX45(rotated);
        c.AddSeries(skLine)->AddXY(0, 1);
        c.Calculate(397, 300);
        const int bottom = c.RcChart.Bottom;
        c.XAxis.clear();
        for (auto [px, caption] : {std::pair{2, "AAAA"}, {40, "BB"}, {50, "CC"}, {100, "DD"}})
            c.XAxis.push_back(TAxisInfo{0, px, bottom, caption});
        const RecordingCanvas p = Paint(c);

        const int y0 = bottom + 4;
        if (!rotated) {
            // "AAAA" would start left of 0; "CC" (at 44) not beyond "BB"'s end (46).
            EXPECT_EQ(p.Count("Text 34 " + std::to_string(y0)) +
                          p.Count("Text 94 " + std::to_string(y0)),
                      2);
            int labels = 0;
            for (const std::string& op : p.ops)
                if (op.rfind("Text ", 0) == 0 &&
                    op.find(" " + std::to_string(y0) + " ") != std::string::npos)
                    ++labels;
            EXPECT_EQ(labels, 2);
            EXPECT_NE(p.Find("Text 34 " + std::to_string(y0) + " BB"), -1);
            EXPECT_NE(p.Find("Text 94 " + std::to_string(y0) + " DD"), -1);
        } else {
            // Rotated labels end at their graduation and are thinned by the width of "000"
            // only: "BB" starts at 32, so "CC" (at 42) is skipped, "DD" (at 92) drawn.
            EXPECT_EQ(p.Count("RotText"), 2 + 1); // and the Y axis title
            EXPECT_NE(p.Find("RotText 32 " + std::to_string(y0 + 8) + " 45 BB"), -1);
            EXPECT_NE(p.Find("RotText 92 " + std::to_string(y0 + 8) + " 45 DD"), -1);
        }
        // Every graduation has its tick; the grid skips the first and the last.
        for (int px : {2, 40, 50, 100})
            EXPECT_NE(p.Find(Str("LineTo", px, bottom + 2)), -1) << px;
        EXPECT_NE(p.Find(Str("LineTo", 40, c.RcChart.Top)), -1);
        EXPECT_NE(p.Find(Str("LineTo", 50, c.RcChart.Top)), -1);
        EXPECT_EQ(p.Find(Str("LineTo", 2, c.RcChart.Top)), -1);
        EXPECT_EQ(p.Find(Str("LineTo", 100, c.RcChart.Top)), -1);
    }
}

TEST(ChartPaint, YGridIsDottedButSolidAtZeroAndSkipsBothEnds) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skBar);
    s->AddXY(1, 10);
    s->AddXY(2, -10);
    c.Calculate(397, 300); // graduations -10 .. 10 at rows 240, 185, 130, 75, 20
    const RecordingCanvas p = Paint(c);

    const int g1 = p.Find("MoveTo 77 185");
    ASSERT_NE(g1, -1);
    EXPECT_EQ(p.ops[g1 - 1], "Pen 808080 1 dot");
    EXPECT_EQ(p.ops[g1 + 1], "LineTo 377 185");
    const int g0 = p.Find("MoveTo 77 130");
    EXPECT_EQ(p.ops[g0 - 1], "Pen 000000 1 solid");
    EXPECT_EQ(p.ops[g0 + 1], "LineTo 377 130");
    const int g2 = p.Find("MoveTo 77 75");
    EXPECT_EQ(p.ops[g2 - 1], "Pen 808080 1 dot");
    // Only the X axis and the frame reach the bottom corner, only the frame the top one.
    EXPECT_EQ(p.Count("LineTo 377 240"), 2);
    EXPECT_EQ(p.Count("LineTo 377 20"), 1);

    // Y labels are right-aligned 4 pixels left of the axis and never skipped.
    for (auto [py, label] :
         {std::pair{240, "-10.0"}, {185, " -5.0"}, {130, "  0.0"}, {75, "  5.0"}, {20, " 10.0"}})
        EXPECT_NE(p.Find("Text 43 " + std::to_string(py - 6) + " " + label), -1) << label;

    c.SetShowXGrid(false);
    c.SetShowYGrid(false);
    EXPECT_EQ(Paint(c).Find("Pen 808080"), -1);
}

TEST(ChartPaint, LegendShowsABarSampleAndALineWithItsMarker) {
    TNiceChart c;
    c.SetShowTitle(false);
    TNiceSeries* bar = c.AddSeries(skBar);
    TNiceSeries* line = c.AddSeries(skLine);
    bar->SetCaption("Bars");
    line->SetCaption("One\nTwo");
    bar->AddXY(1, 1);
    line->AddXY(1, 2);
    c.Calculate(400, 300);
    const RecordingCanvas p = Paint(c);
    const TRect& r = c.RcLegend;
    const int l = r.Left, t0 = r.Top + bar->Top, t1 = r.Top + line->Top;
    const int s = c.MarkSize;

    // Shadow 3 pixels right and below, then the black outline.
    EXPECT_NE(p.Find("FillRect " + std::to_string(r.Right) + " " + std::to_string(r.Top + 3) + " " +
                     std::to_string(r.Right + 3) + " " + std::to_string(r.Bottom + 3)),
              -1);
    EXPECT_NE(p.Find("Rectangle " + std::to_string(l) + " " + std::to_string(r.Top)), -1);
    // Captions line by line, (20 - 13) / 2 below the entry's top.
    EXPECT_NE(p.Find("Text " + std::to_string(l + 32) + " " + std::to_string(t0 + 3) + " Bars"),
              -1);
    EXPECT_NE(p.Find("Text " + std::to_string(l + 32) + " " + std::to_string(t1 + 3) + " One"), -1);
    EXPECT_NE(p.Find("Text " + std::to_string(l + 32) + " " + std::to_string(t1 + 16) + " Two"),
              -1);
    // Samples.
    EXPECT_NE(p.Find("Rectangle " + std::to_string(l + 12) + " " + std::to_string(t0 + 2) + " " +
                     std::to_string(l + 28) + " " + std::to_string(t0 + 18)),
              -1);
    const int m = p.Find(Str("MoveTo", l + 10, t1 + 10));
    ASSERT_NE(m, -1);
    EXPECT_EQ(p.ops[m + 1], Str("LineTo", l + 30, t1 + 10));
    EXPECT_EQ(p.ops[m + 2], "Ellipse " + std::to_string(l + 20 - s) + " " +
                                std::to_string(t1 + 10 - s) + " " + std::to_string(l + 20 + s) +
                                " " + std::to_string(t1 + 10 + s));
}

TEST(ChartPaint, MarkersByIndexOutlinedInColourFilledWhite) {
    TNiceChart c;
    Plain(c);
    for (int i = 0; i < 5; ++i)
        c.AddSeries(skLine)->AddXY(i, i + 1);
    c.Calculate(400, 300);
    const RecordingCanvas p = Paint(c);
    const int s = c.MarkSize;
    auto at = [&](int i) { return c.Series(i)->Values[0]; };
    auto xy = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
    const TXYInfo a = at(0), b = at(1), d = at(2), e = at(3), f = at(4);
    EXPECT_NE(p.Find("Rectangle " + std::to_string(a.Px - s) + " " + std::to_string(a.Py - s)), -1);
    EXPECT_NE(p.Find("Ellipse " + std::to_string(b.Px - s) + " " + std::to_string(b.Py - s)), -1);
    EXPECT_NE(p.Find("Polygon " + xy(d.Px, d.Py - s) + " " + xy(d.Px + s, d.Py + s) + " " +
                     xy(d.Px - s, d.Py + s)),
              -1);
    EXPECT_NE(p.Find("Polygon " + xy(e.Px + s, e.Py - s) + " " + xy(e.Px - s, e.Py - s) + " " +
                     xy(e.Px, e.Py + s)),
              -1);
    EXPECT_NE(p.Find("Polygon " + xy(f.Px, f.Py - s) + " " + xy(f.Px + s, f.Py) + " " +
                     xy(f.Px, f.Py + s) + " " + xy(f.Px - s, f.Py)),
              -1);
    EXPECT_NE(p.Find("Pen 0000FF"), -1);
    EXPECT_NE(p.Find("Brush FFFFFF solid 0"), -1);
}

TEST(ChartPaint, ColoursSoftOrMonochromeWithPatterns) {
    const struct {
        bool soft, mono;
        int index;
        const char* brush;
    } cases[] = {
        {false, false, 0, "Brush FF0000 solid 0"},  {true, false, 0, "Brush FFC266 solid 0"},
        {false, false, 14, "Brush FF0000 solid 0"}, {true, false, 13, "Brush 808080 solid 0"},
        {false, true, 0, "Brush 000000 pattern 1"}, {true, true, 17, "Brush 000000 pattern 2"},
    };
    for (const auto& k : cases) {
        TNiceChart c;
        Plain(c);
        c.SetSoftColors(k.soft);
        c.SetMonochrome(k.mono);
        for (int i = 0; i <= k.index; ++i)
            c.AddSeries(skBar);
        c.Series(k.index)->AddXY(1, 1);
        c.Calculate(400, 300);
        EXPECT_NE(Paint(c).Find(k.brush), -1) << k.brush;
    }
}

TEST(ChartPaint, BarsNarrowerThanAPixelShowOnePixelWidePerColumn) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skBar);
    for (int i = 0; i < 3000; ++i)
        s->AddXY(i, 1 + i % 7);
    s->AddXY(3000, 0); // a bar of no height draws nothing
    c.Calculate(397, 300);
    EXPECT_EQ(c.BarWidth, 0);
    EXPECT_EQ(s->Values[10].Rc.Width(), 0); // the layout keeps the rectangle it computes

    const RecordingCanvas p = Paint(c);
    const int fills = p.Count("FrameRect");
    EXPECT_GT(fills, 250);
    EXPECT_LE(fills, c.RcChart.Width() + 1);
    // Each column is drawn once, as tall as its tallest bar.
    const int first = p.Find("FrameRect");
    int left, top, right, bottom;
    ASSERT_EQ(
        std::sscanf(p.ops[first].c_str(), "FrameRect %d %d %d %d", &left, &top, &right, &bottom),
        4);
    EXPECT_EQ(right - left, 1);
    EXPECT_EQ(bottom, c.YZero);
    int tallest = bottom;
    for (const TXYInfo& v : s->Values)
        if (v.Rc.Left == left) tallest = std::min(tallest, v.Rc.Top);
    EXPECT_EQ(top, tallest);
}

TEST(ChartPaint, SmoothSeriesDrawsItsCurveOrOnlyMarkersWhenTooLong) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skSmooth);
    for (int i = 0; i < 3; ++i)
        s->AddXY(i, i * i);
    c.Calculate(400, 300);
    EXPECT_EQ(s->Spline.NumberOfPoints(), 3);
    EXPECT_TRUE(s->Spline.Interpolated());
    EXPECT_EQ(s->Spline.Fragments(), 60);
    RecordingCanvas p = Paint(c);
    // The curve: one polyline of 60 segments.
    int run = 0, longest = 0;
    for (const std::string& op : p.ops) {
        run = op.rfind("LineTo", 0) == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 60);

    for (int i = 3; i < 300; ++i)
        s->AddXY(i, i % 5);
    c.Calculate(400, 300);
    p = Paint(c);
    EXPECT_EQ(p.Count("Rectangle"), 300); // the markers are drawn, the curve could not be
}

TEST(ChartPointer, ClientToChartInsideThePlotOnly) {
    TNiceChart c;
    Plain(c);
    TNiceSeries* s = c.AddSeries(skLine);
    s->AddXY(0, 10);
    s->AddXY(50, 20);
    s->AddXY(100, 15);
    c.Calculate(397, 300); // plot (77, 20, 377, 240); 2.5 pixels per X unit, 11 per Y unit
    double ax = -1, ay = -1;
    EXPECT_TRUE(c.ClientToChart(77, 20, ax, ay));
    EXPECT_DOUBLE_EQ(ax, 0);
    EXPECT_DOUBLE_EQ(ay, 20);
    EXPECT_TRUE(c.ClientToChart(202, 130, ax, ay));
    EXPECT_DOUBLE_EQ(ax, 50);
    EXPECT_DOUBLE_EQ(ay, 10);
    for (auto [x, y] : {std::pair{377, 100}, {200, 240}, {76, 100}, {200, 19}, {-5, -5}}) {
        ax = ay = -1;
        EXPECT_FALSE(c.ClientToChart(x, y, ax, ay)) << x << "," << y;
        EXPECT_EQ(ax, 0);
        EXPECT_EQ(ay, 0);
    }
}

TEST(ChartPointer, OnePerValueGivesTheNearestGraduationLeftOnTies) {
    TNiceChart c;
    Plain(c);
    c.SetAxisXOnePerValue(true);
    TNiceSeries* s = c.AddSeries(skLine);
    for (double x : {1.0, 2.0, 3.0, 5.0})
        s->AddXY(x, 10);
    c.Calculate(397, 300); // graduations at 77, 177, 277, 377
    const struct {
        int x;
        double value;
    } cases[] = {{77, 1}, {126, 1}, {127, 1}, {128, 2}, {226, 2}, {227, 2}, {228, 3}, {376, 5}};
    for (const auto& k : cases) {
        double ax = 0, ay = 0;
        ASSERT_TRUE(c.ClientToChart(k.x, 100, ax, ay));
        EXPECT_EQ(ax, k.value) << k.x;
    }

    TNiceChart empty;
    empty.AddSeries(skLine);
    empty.Calculate(400, 300);
    double ax = 0, ay = 0;
    EXPECT_FALSE(empty.ClientToChart(100, 100, ax, ay));
}

TEST(ChartSelection, FocusRectangleIsErasedByDrawingItAgain) {
    RecordingHost host;
    TNiceChart c(&host);
    c.SelectRaz(); // nothing shown: nothing drawn
    EXPECT_TRUE(host.focus.empty());
    c.SelectDessine(10, 20, 5, 8);
    EXPECT_EQ(c.CRect, (TRect{5, 8, 10, 20}));
    c.SelectDessine(1, 2, 3, 4);
    c.SelectRaz();
    EXPECT_EQ(c.CRect, TRect{});
    const std::vector<TRect> expected = {
        {5, 8, 10, 20}, {5, 8, 10, 20}, {1, 2, 3, 4}, {1, 2, 3, 4}};
    EXPECT_EQ(host.focus, expected);
    c.SelectRaz();
    EXPECT_EQ(host.focus.size(), 4u);
}

namespace {
struct SizeSink : MetafileSink {
    RecordingCanvas canvas;
    int width = 0, height = 0;
    Canvas& Begin(int w, int h) override {
        width = w;
        height = h;
        return canvas;
    }
    void End() override {}
};
} // namespace

TEST(ChartExport, PictureSizeFollowsLegendAndPlotShape) {
    TNiceChart c;
    c.SetClientSize(500, 300);
    c.AddSeries(skBar)->AddXY(1, 1);
    SizeSink small;
    c.CreateMetafile(small);
    EXPECT_EQ(small.width, 800);
    EXPECT_EQ(small.height, 600);
    EXPECT_EQ(small.canvas.ops[small.canvas.Find("FillRect")], "FillRect 0 0 800 600");
    EXPECT_EQ(c.DestWidth, 500); // laid out again for the window

    // A legend longer than the picture: taller, 20 pixels below the legend.
    for (int i = 0; i < 30; ++i)
        c.AddSeries(skLine);
    SizeSink tall;
    c.CreateMetafile(tall);
    EXPECT_EQ(tall.width, 800);
    EXPECT_GT(tall.height, 600);

    // A plot higher than wide (a very wide legend): wider by the difference.
    TNiceChart w;
    w.AddSeries(skLine)->SetCaption(std::string(100, 'W'));
    SizeSink wide;
    w.CreateMetafile(wide);
    EXPECT_GT(wide.width, 800);
}
