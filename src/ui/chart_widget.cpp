#include "ui/chart_widget.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgGenerator>
#include <memory>

namespace zelui {

namespace {

// The vector picture of CreateMetafile, as SVG.
class SvgSink : public zel::MetafileSink {
  public:
    zel::Canvas& Begin(int width, int height) override {
        buffer_.open(QIODevice::WriteOnly);
        generator_.setOutputDevice(&buffer_);
        generator_.setSize(QSize(width, height));
        generator_.setViewBox(QRect(0, 0, width, height));
        generator_.setResolution(96);
        generator_.setTitle(QStringLiteral("Zelvanor"));
        painter_ = std::make_unique<QPainter>(&generator_);
        canvas_ = std::make_unique<QPainterCanvas>(*painter_);
        return *canvas_;
    }
    void End() override {
        canvas_.reset();
        painter_->end();
        painter_.reset();
        buffer_.close();
    }
    QByteArray data() const { return buffer_.data(); }

  private:
    QBuffer buffer_;
    QSvgGenerator generator_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QPainterCanvas> canvas_;
};

// The same picture on an image.
class ImageSink : public zel::MetafileSink {
  public:
    zel::Canvas& Begin(int width, int height) override {
        image_ = QImage(width, height, QImage::Format_RGB32);
        image_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&image_);
        canvas_ = std::make_unique<QPainterCanvas>(*painter_);
        return *canvas_;
    }
    void End() override {
        canvas_.reset();
        painter_->end();
        painter_.reset();
    }
    QImage image() const { return image_; }

  private:
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QPainterCanvas> canvas_;
};

// A window stand-in for rendering without a widget: Qt's metrics, no screen.
class OffscreenHost : public zel::ChartHost {
  public:
    zel::TextMeasurer& Measurer() override { return measurer_; }
    void PaintNow(zel::TNiceChart&) override {}
    void DrawFocusRect(const zel::TRect&) override {}

  private:
    QtTextMeasurer measurer_;
};

} // namespace

ChartWidget::ChartWidget(zel::TNiceChart* chart, QWidget* parent) : QWidget(parent) {
    // The chart covers every pixel: no background erase before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setChart(chart);
}

ChartWidget::~ChartWidget() {
    if (chart_ && chart_->Host() == this) chart_->SetHost(nullptr);
}

void ChartWidget::setChart(zel::TNiceChart* chart) {
    if (chart_ && chart_->Host() == this) chart_->SetHost(nullptr);
    chart_ = chart;
    if (chart_) {
        chart_->SetHost(this);
        chart_->SetClientSize(width(), height());
    }
}

void ChartWidget::render() {
    stale_ = false;
    const qreal dpr = devicePixelRatioF();
    image_ = QImage(size() * dpr, QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr);
    image_.fill(Qt::white);
    if (!chart_) return;
    QPainter p(&image_);
    QPainterCanvas canvas(p);
    chart_->InternalPaint(canvas);
}

void ChartWidget::PaintNow(zel::TNiceChart&) {
    // Painted (and laid out) when shown; a hidden page receives no paint event.
    stale_ = true;
    update();
}

QImage ChartWidget::picture() {
    if (stale_) render();
    return image_;
}

void ChartWidget::DrawFocusRect(const zel::TRect& r) {
    if (stale_) render();
    if (image_.isNull()) return;
    QPainter p(&image_);
    QPainterCanvas canvas(p);
    canvas.DrawFocusRect(r);
    p.end();
    update();
}

void ChartWidget::ChartDestroyed(zel::TNiceChart& chart) {
    if (chart_ != &chart) return;
    chart_ = nullptr;
    render();
    update();
}

void ChartWidget::paintEvent(QPaintEvent*) {
    if (stale_ || image_.isNull() || image_.deviceIndependentSize().toSize() != size()) render();
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void ChartWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (chart_) chart_->SetClientSize(width(), height());
}

void ChartWidget::mousePressEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (onMouseDown) onMouseDown(static_cast<int>(e->button()), pt.x(), pt.y());
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (onMouseUp) onMouseUp(static_cast<int>(e->button()), pt.x(), pt.y());
}

void ChartWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (onMouseMove) onMouseMove(pt.x(), pt.y());
}

QByteArray ChartWidget::createSvg() {
    if (!chart_) return {};
    SvgSink sink;
    chart_->CreateMetafile(sink);
    return sink.data();
}

QImage ChartWidget::createImage() {
    if (!chart_) return {};
    ImageSink sink;
    chart_->CreateMetafile(sink);
    return sink.image();
}

QByteArray ChartWidget::createSvg(QSize size) {
    if (!chart_ || size.isEmpty()) return {};
    SvgSink sink;
    chart_->PaintPicture(sink, size.width(), size.height());
    return sink.data();
}

QImage ChartWidget::createImage(QSize size) {
    if (!chart_ || size.isEmpty()) return {};
    ImageSink sink;
    chart_->PaintPicture(sink, size.width(), size.height());
    return sink.image();
}

void ChartWidget::copyToClipboard() {
    if (!chart_) return;
    auto* md = new QMimeData;
    md->setData(QStringLiteral("image/svg+xml"), createSvg());
    md->setImageData(createImage());
    QApplication::clipboard()->setMimeData(md);
}

QImage RenderChart(zel::TNiceChart& chart, int width, int height) {
    OffscreenHost host;
    zel::ChartHost* previous = chart.Host();
    chart.SetHost(&host);
    chart.Calculate(width, height);
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        QPainterCanvas canvas(p);
        chart.InternalPaint(canvas);
    }
    chart.SetHost(previous);
    chart.Calculate(chart.Width(), chart.Height());
    return img;
}

} // namespace zelui
