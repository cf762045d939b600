#include "ui/chart_canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPolygon>
#include <array>
#include <cmath>
#include <vector>

namespace zelui {

namespace {

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QColor ToQColor(zel::TColor c) {
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

QRect ToQRect(const zel::TRect& r) {
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// Our sixteen bar fills, one byte per row, the high bit on the left, a set bit black.
constexpr std::array<std::array<uint8_t, 8>, 16> kPatterns = {{
    {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, // horizontal lines
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}, // vertical lines
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88}, // grid
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // falling diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // rising diagonal
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // diagonal cross
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, // checker
    {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00}, // sparse dots
    {0x77, 0xFF, 0xDD, 0xFF, 0x77, 0xFF, 0xDD, 0xFF}, // dense
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, // thick horizontal lines
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}, // thick vertical lines
    {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08}, // bricks
    {0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00}, // dots, a quarter
    {0x81, 0x42, 0x24, 0x18, 0x00, 0x00, 0x00, 0x00}, // chevrons
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88}, // close diagonals
    {0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF}, // squares
}};

} // namespace

QFont ToQFont(const zel::TFontInfo& f) {
    QFont q(Q(f.Name));
    q.setPixelSize(std::max(1, static_cast<int>(std::lround(f.Size * 96.0 / 72.0))));
    q.setBold(f.Bold);
    q.setItalic(f.Italic);
    q.setUnderline(f.Underline);
    q.setStrikeOut(f.StrikeOut);
    return q;
}

int QtTextMeasurer::TextWidth(const zel::TFontInfo& font, const std::string& text) {
    return QFontMetrics(ToQFont(font)).horizontalAdvance(Q(text));
}

int QtTextMeasurer::TextHeight(const zel::TFontInfo& font, const std::string&) {
    return QFontMetrics(ToQFont(font)).height();
}

int QtTextMeasurer::WrappedTextHeight(const zel::TFontInfo& font, const std::string& text,
                                      int width) {
    const QRect r = QFontMetrics(ToQFont(font))
                        .boundingRect(QRect(0, 0, std::max(width, 1), 100000),
                                      Qt::AlignHCenter | Qt::TextWordWrap, Q(text));
    return r.height();
}

const QBrush& QPainterCanvas::PatternBrush(int number) {
    static const std::vector<QBrush> brushes = [] {
        std::vector<QBrush> v;
        for (const auto& rows : kPatterns) {
            QImage img(8, 8, QImage::Format_RGB32);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    img.setPixel(x, y,
                                 (rows[y] & (0x80 >> x)) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            v.emplace_back(img);
        }
        return v;
    }();
    const int i = std::clamp(number, 1, 16) - 1;
    return brushes[i];
}

QPainterCanvas::QPainterCanvas(QPainter& painter) : p_(painter) {
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    pen_ = QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    brush_ = QBrush(Qt::white);
    font_ = ToQFont(zel::TFontInfo{});
    p_.setPen(pen_);
    p_.setBrush(brush_);
    p_.setFont(font_);
}

void QPainterCanvas::SetPen(const zel::TPen& pen) {
    pen_ = QPen(ToQColor(pen.Color), std::max(pen.Width, 1),
                pen.Style == zel::TPenStyle::Dot ? Qt::DotLine : Qt::SolidLine, Qt::SquareCap,
                Qt::MiterJoin);
    if (pen.Width <= 1) pen_.setCosmetic(true);
    p_.setPen(pen_);
}

void QPainterCanvas::SetBrush(const zel::TBrush& brush) {
    zbrush_ = brush;
    switch (brush.Style) {
    case zel::TBrushStyle::Solid:
        brush_ = QBrush(ToQColor(brush.Color));
        break;
    case zel::TBrushStyle::Clear:
        brush_ = QBrush(Qt::NoBrush);
        break;
    case zel::TBrushStyle::Pattern:
        brush_ = PatternBrush(brush.Pattern);
        break;
    }
    p_.setBrush(brush_);
}

void QPainterCanvas::SetFont(const zel::TFontInfo& font) {
    font_ = ToQFont(font);
    p_.setFont(font_);
}

void QPainterCanvas::FillRect(const zel::TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top || brush_.style() == Qt::NoBrush) return;
    p_.fillRect(ToQRect(r), brush_);
}

void QPainterCanvas::FrameRect(const zel::TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top || brush_.style() == Qt::NoBrush) return;
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    p_.fillRect(QRect(r.Left, r.Top, w, 1), brush_);
    p_.fillRect(QRect(r.Left, r.Bottom - 1, w, 1), brush_);
    p_.fillRect(QRect(r.Left, r.Top, 1, h), brush_);
    p_.fillRect(QRect(r.Right - 1, r.Top, 1, h), brush_);
}

void QPainterCanvas::Rectangle(const zel::TRect& r) {
    // The outline lies inside the rectangle; right and bottom edges outside, as FillRect.
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    p_.drawRect(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
}

void QPainterCanvas::Ellipse(const zel::TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    p_.drawEllipse(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
}

void QPainterCanvas::Polygon(const zel::TPoint* points, int count) {
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].X, points[i].Y);
    p_.drawPolygon(poly);
}

void QPainterCanvas::MoveTo(int x, int y) {
    pos_ = QPoint(x, y);
}

void QPainterCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    p_.drawLine(pos_, to);
    pos_ = to;
}

void QPainterCanvas::TextOut(int x, int y, const std::string& text) {
    const QString s = Q(text);
    const QFontMetrics fm(font_);
    const QRect box(x, y, fm.horizontalAdvance(s), fm.height());
    if (zbrush_.Style == zel::TBrushStyle::Solid) p_.fillRect(box, brush_);
    p_.save();
    p_.setPen(Qt::black);
    p_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, s);
    p_.restore();
}

int QPainterCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(font_).horizontalAdvance(Q(text));
}

int QPainterCanvas::TextHeight(const std::string&) {
    return QFontMetrics(font_).height();
}

void QPainterCanvas::DrawWrappedText(const zel::TRect& r, const std::string& text) {
    p_.save();
    p_.setPen(Qt::black);
    p_.drawText(ToQRect(r), Qt::AlignCenter | Qt::TextWordWrap, Q(text));
    p_.restore();
}

void QPainterCanvas::RotatedTextOut(int x, int y, int angle, const std::string& text) {
    if (text.empty()) return;
    const QString s = Q(text);
    const QFontMetrics fm(font_);
    p_.save();
    p_.translate(x, y);
    p_.rotate(-angle);
    p_.setPen(Qt::black);
    p_.drawText(QRect(0, 0, fm.horizontalAdvance(s), fm.height()),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, s);
    p_.restore();
}

void QPainterCanvas::DrawFocusRect(const zel::TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    p_.save();
    p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // One pixel in two along each edge, each pixel once, so a second call undoes the first.
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    std::vector<QPoint> pts;
    for (int i = 0; i < w; i += 2) {
        pts.emplace_back(r.Left + i, r.Top);
        if (h > 1) pts.emplace_back(r.Left + i, r.Bottom - 1);
    }
    for (int j = 2; j < h - 1; j += 2) {
        pts.emplace_back(r.Left, r.Top + j);
        if (w > 1) pts.emplace_back(r.Right - 1, r.Top + j);
    }
    p_.setPen(QPen(Qt::white, 1));
    p_.drawPoints(pts.data(), static_cast<int>(pts.size()));
    p_.restore();
}

} // namespace zelui
