// The chart on the Qt canvas: the four charts of the main window rendered with data to PNG
// files a person can look at, the selection rectangle, the vector export.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QXmlStreamReader>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>

#include "base/datetime.h"
#include "chart/nice_chart.h"
#include "ui/chart_canvas.h"
#include "ui/chart_widget.h"

using namespace zel;

namespace {

enum class Which { ComptageMn, ComptageSV, Histo, Gauss };

// The main window's configuration of each chart, property by property in its order.
void Configure(TNiceChart& c, Which w) {
    c.SetShowXGrid(false);
    c.SetAxisYScale(1.0f);
    c.SetShowTitle(false);
    c.SetShowLegend(false);
    if (w != Which::Gauss) {
        c.SetAxisXTitle("");
        c.SetAxisYTitle("");
    }
    c.SetShowAxisTitle(w != Which::Gauss);
    c.SetAxisXOnePerValue(false);
    if (w == Which::Gauss) {
        c.SetAxisTypeX(sfloat);
        c.SetAxisTypeY(sPerCent);
        c.SetFormatX("%5.3f");
        c.SetFormatY("%5.1f%%");
    } else {
        c.SetAxisTypeX(sDate);
        c.SetRotateX45(true);
        c.SetFormatX("dd/mm/yy hh:nn");
        c.SetFormatY(w == Which::ComptageSV ? "%5.3f" : "%.0f");
    }
    if (w == Which::Histo || w == Which::Gauss) c.SetSoftColors(true);
    c.BeginUpdate();
    c.AddSeries(skBar)->SetCaption("");
    c.EndUpdate();
}

// Minute counts around 20 from a fixed seed, like a counter on a desk.
std::vector<int> Counts(int n) {
    std::mt19937 gen(42);
    std::poisson_distribution<int> d(20);
    std::vector<int> v(n);
    for (int& x : v)
        x = d(gen);
    return v;
}

void FillTimeSeries(TNiceChart& c, int n, double factor) {
    const TDateTime t0 = EncodeDateTime(2024, 3, 15, 8, 0, 0);
    const std::vector<int> counts = Counts(n);
    c.BeginUpdate();
    for (int i = 0; i < n; ++i)
        c.Series(0)->AddXY(t0 + i / 1440.0, counts[i] * factor);
    c.EndUpdate();
}

void FillDistribution(TNiceChart& c, int n) {
    c.SetFormatX("%5.0f%");
    std::vector<int> classes(100, 0);
    for (int v : Counts(n))
        ++classes[v];
    c.BeginUpdate();
    for (int k = 0; k < 100; ++k)
        if (classes[k]) c.Series(0)->AddXY(k, static_cast<double>(classes[k]) / n);
    c.EndUpdate();
}

QString ScreenshotDir() {
    const QString dir = QStringLiteral(ZEL_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    return dir;
}

// Pixels of the series colour inside the plot area.
int CountColour(const QImage& img, const TRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
    return n;
}

} // namespace

TEST(ChartRender, FourChartsOfTheMainWindowToPng) {
    struct Case {
        const char* file;
        Which which;
        int width, height, points;
        QRgb colour;
    };
    const Case cases[] = {
        {"chart_comptage_mn.png", Which::ComptageMn, 740, 330, 60, qRgb(0xFF, 0, 0)},
        {"chart_comptage_sv.png", Which::ComptageSV, 740, 330, 60, qRgb(0xFF, 0, 0)},
        {"chart_histo.png", Which::Histo, 740, 462, 300, qRgb(0xFF, 0xC2, 0x66)},
        {"chart_histo_day.png", Which::Histo, 740, 462, 1440, qRgb(0xFF, 0xC2, 0x66)},
        {"chart_gauss.png", Which::Gauss, 740, 462, 1440, qRgb(0xFF, 0xC2, 0x66)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TNiceChart chart;
        Configure(chart, c.which);
        if (c.which == Which::Gauss)
            FillDistribution(chart, c.points);
        else
            FillTimeSeries(chart, c.points, c.which == Which::ComptageSV ? 0.0057 : 1.0);
        const QImage img = zelui::RenderChart(chart, c.width, c.height);
        ASSERT_EQ(img.size(), QSize(c.width, c.height));
        EXPECT_TRUE(img.save(ScreenshotDir() + "/" + c.file));
        // The bars show, in the series colour, even when there are more bars than columns.
        chart.Calculate(c.width, c.height); // near enough the plot area of the picture
        EXPECT_GT(CountColour(img, chart.RcChart, c.colour), 50);
    }
}

TEST(ChartWidget, SelectionRectangleDrawnTwiceRestoresThePicture) {
    TNiceChart chart;
    Configure(chart, Which::Histo);
    zelui::ChartWidget w(&chart);
    w.resize(500, 300);
    w.show();
    chart.SetClientSize(500, 300);
    FillTimeSeries(chart, 40, 1.0);
    const QImage before = w.picture();
    ASSERT_FALSE(before.isNull());

    chart.SelectDessine(100, 80, 200, 150);
    EXPECT_NE(w.picture(), before);
    EXPECT_EQ(chart.CRect, (TRect{100, 80, 200, 150}));
    // Moving the rectangle erases the old one first.
    chart.SelectDessine(200, 150, 120, 90);
    EXPECT_EQ(chart.CRect, (TRect{120, 90, 200, 150}));
    chart.SelectRaz();
    EXPECT_EQ(w.picture(), before);
    EXPECT_EQ(chart.CRect, TRect{});
    // Nothing shown: nothing to erase.
    chart.SelectRaz();
    EXPECT_EQ(w.picture(), before);
}

TEST(ChartWidget, ResizeLaysOutForTheNewSizeAndMouseIsReported) {
    TNiceChart chart;
    Configure(chart, Which::ComptageMn);
    FillTimeSeries(chart, 30, 1.0);
    zelui::ChartWidget w(&chart);
    w.resize(640, 400);
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(chart.DestWidth, 640);
    EXPECT_EQ(chart.DestHeight, 400);
    EXPECT_EQ(w.picture().deviceIndependentSize().toSize(), QSize(640, 400));

    int button = 0, x = 0, y = 0, moves = 0;
    w.onMouseDown = [&](int b, int px, int py) { button = b, x = px, y = py; };
    w.onMouseMove = [&](int, int) { ++moves; };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(120, 80), QPointF(120, 80), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    EXPECT_EQ(button, static_cast<int>(Qt::LeftButton));
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 80);
    QMouseEvent move(QEvent::MouseMove, QPointF(130, 90), QPointF(130, 90), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    EXPECT_EQ(moves, 1);
}

TEST(ChartWidget, VectorExportIsAnSvgOfThePictureSize) {
    TNiceChart chart;
    Configure(chart, Which::Histo);
    FillTimeSeries(chart, 100, 1.0);
    zelui::ChartWidget w(&chart);
    w.resize(500, 300);
    chart.SetClientSize(500, 300);
    const QByteArray svg = w.createSvg();
    QXmlStreamReader xml(svg);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    EXPECT_TRUE(xml.attributes().value("viewBox").toString().contains("800 600"));
    // The window's own layout is back afterwards.
    EXPECT_EQ(chart.DestWidth, 500);

    w.copyToClipboard();
    const QMimeData* md = QApplication::clipboard()->mimeData();
    ASSERT_NE(md, nullptr);
    EXPECT_TRUE(md->data("image/svg+xml").startsWith("<?xml"));
    EXPECT_TRUE(md->hasImage());

    // A legend taller than the picture makes it taller. (Level labels: with turned ones every
    // series adds the height of its last label below the plot.)
    chart.SetRotateX45(false);
    chart.SetShowLegend(true);
    for (int i = 0; i < 30; ++i)
        chart.AddSeries(skLine)->SetCaption("Series " + std::to_string(i));
    const QImage img = w.createImage();
    EXPECT_EQ(img.width(), 800);
    EXPECT_GT(img.height(), 600);
    img.save(ScreenshotDir() + "/chart_export_tall_legend.png");
}

TEST(ChartWidget, AChartReleasedFirstLeavesTheWidgetBlank) {
    auto chart = std::make_unique<TNiceChart>();
    zelui::ChartWidget w(chart.get());
    w.resize(200, 100);
    chart->SetClientSize(200, 100);
    chart.reset();
    EXPECT_EQ(w.chart(), nullptr);
    w.setChart(nullptr);
}

TEST(ChartCanvas, MonochromeBarsUseSixteenDistinctPatterns) {
    QImage seen[16];
    for (int i = 1; i <= 16; ++i) {
        seen[i - 1] = zelui::QPainterCanvas::PatternBrush(i).textureImage();
        for (int j = 1; j < i; ++j)
            EXPECT_NE(seen[i - 1], seen[j - 1]) << i << " " << j;
    }
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
