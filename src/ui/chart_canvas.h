#pragma once
// The chart's canvas on a QPainter (a widget's backing image, a PNG, an SVG generator), and its
// text measures with Qt's font metrics.
#include <QFont>
#include <QPainter>
#include <QPoint>

#include "chart/canvas.h"

namespace zelui {

// A chart font as Qt sees it: points at 96 pixels per inch, so pictures do not depend on the
// screen.
QFont ToQFont(const zel::TFontInfo& f);

class QtTextMeasurer : public zel::TextMeasurer {
  public:
    int TextWidth(const zel::TFontInfo& font, const std::string& text) override;
    int TextHeight(const zel::TFontInfo& font, const std::string& text) override;
    int WrappedTextHeight(const zel::TFontInfo& font, const std::string& text, int width) override;
};

class QPainterCanvas : public zel::Canvas {
  public:
    // The painter must be active for the life of the canvas.
    explicit QPainterCanvas(QPainter& painter);

    void SetPen(const zel::TPen& pen) override;
    void SetBrush(const zel::TBrush& brush) override;
    void SetFont(const zel::TFontInfo& font) override;
    void FillRect(const zel::TRect& r) override;
    void FrameRect(const zel::TRect& r) override;
    void Rectangle(const zel::TRect& r) override;
    void Ellipse(const zel::TRect& r) override;
    void Polygon(const zel::TPoint* points, int count) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void DrawWrappedText(const zel::TRect& r, const std::string& text) override;
    void RotatedTextOut(int x, int y, int angle, const std::string& text) override;
    // Inverts the pixels of a dotted outline; only raster devices can do that.
    void DrawFocusRect(const zel::TRect& r) override;

    // The monochrome bar fills brush01 .. brush16 (8 x 8, black on white).
    static const QBrush& PatternBrush(int number);

  private:
    QPainter& p_;
    QPen pen_;
    QBrush brush_;
    zel::TBrush zbrush_;
    QFont font_;
    QPoint pos_;
};

} // namespace zelui
