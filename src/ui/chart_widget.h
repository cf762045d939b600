#pragma once
// A widget that shows a TNiceChart: it keeps the chart's picture in a backing image, paints the
// chart again when the chart has asked and the picture is next shown (a chart on a page not
// shown is never laid out nor painted), passes resizes to the chart and reports the mouse.
#include <QByteArray>
#include <QImage>
#include <QWidget>
#include <functional>

#include "chart/nice_chart.h"
#include "ui/chart_canvas.h"

namespace zelui {

class ChartWidget : public QWidget, public zel::ChartHost {
    Q_OBJECT
  public:
    // The chart is not owned; it must outlive the widget or be detached with setChart(nullptr).
    explicit ChartWidget(zel::TNiceChart* chart, QWidget* parent = nullptr);
    ~ChartWidget() override;

    zel::TNiceChart* chart() const { return chart_; }
    void setChart(zel::TNiceChart* chart);

    // The picture as shown: the chart painted again first when it asked since the last paint.
    QImage picture();
    // The chart's vector picture (laid out for 800 x 600 or larger) as an SVG document.
    QByteArray createSvg();
    // The same picture rendered to an image.
    QImage createImage();
    // Puts the SVG and a PNG of the vector picture on the clipboard.
    void copyToClipboard();
    // The picture at a given size (the size shown: size()), as SVG or as an image.
    QByteArray createSvg(QSize size);
    QImage createImage(QSize size);

    // Mouse reports in widget pixels (button: Qt::MouseButton value).
    std::function<void(int button, int x, int y)> onMouseDown;
    std::function<void(int button, int x, int y)> onMouseUp;
    std::function<void(int x, int y)> onMouseMove;

    // ChartHost
    zel::TextMeasurer& Measurer() override { return measurer_; }
    void PaintNow(zel::TNiceChart& chart) override;
    void DrawFocusRect(const zel::TRect& r) override;
    void ChartDestroyed(zel::TNiceChart& chart) override;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

  private:
    void render();

    zel::TNiceChart* chart_ = nullptr;
    QtTextMeasurer measurer_;
    QImage image_;
    bool stale_ = true; // the chart asked for a paint since image_ was made
};

// Renders a chart laid out at width x height into an image (screenshots, tests).
QImage RenderChart(zel::TNiceChart& chart, int width, int height);

} // namespace zelui
