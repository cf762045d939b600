#pragma once
// A plain software canvas on a 32-bit pixel buffer, enough to measure what painting a chart
// costs without a window system: rectangles and lines are drawn pixel by pixel, texts as a
// light box of their measured size.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "chart/canvas.h"
#include "chart/nice_chart.h"

namespace zel::bench {

class RasterCanvas : public Canvas {
  public:
    RasterCanvas(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, clWhite) {}

    void SetPen(const TPen& p) override { pen_ = p; }
    void SetBrush(const TBrush& b) override { brush_ = b; }
    void SetFont(const TFontInfo& f) override { font_ = f; }
    void FillRect(const TRect& r) override {
        if (brush_.Style == TBrushStyle::Clear) return;
        Fill(r, brush_.Style == TBrushStyle::Pattern ? clBlack : brush_.Color);
    }
    void FrameRect(const TRect& r) override {
        if (brush_.Style == TBrushStyle::Clear || r.Right <= r.Left || r.Bottom <= r.Top) return;
        const TColor c = brush_.Color;
        Fill({r.Left, r.Top, r.Right, r.Top + 1}, c);
        Fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
        Fill({r.Left, r.Top, r.Left + 1, r.Bottom}, c);
        Fill({r.Right - 1, r.Top, r.Right, r.Bottom}, c);
    }
    void Rectangle(const TRect& r) override {
        FillRect(r);
        MoveTo(r.Left, r.Top);
        LineTo(r.Right - 1, r.Top);
        LineTo(r.Right - 1, r.Bottom - 1);
        LineTo(r.Left, r.Bottom - 1);
        LineTo(r.Left, r.Top);
    }
    void Ellipse(const TRect& r) override { Rectangle(r); }
    void Polygon(const TPoint* p, int n) override {
        if (n == 0) return;
        MoveTo(p[0].X, p[0].Y);
        for (int i = 1; i <= n; ++i)
            LineTo(p[i % n].X, p[i % n].Y);
    }
    void MoveTo(int x, int y) override {
        x_ = x;
        y_ = y;
    }
    void LineTo(int x, int y) override {
        // Bresenham, clipped per pixel.
        int x0 = x_, y0 = y_;
        const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
        const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            Set(x0, y0, pen_.Color);
            if (x0 == x && y0 == y) break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        x_ = x;
        y_ = y;
    }
    void TextOut(int x, int y, const std::string& t) override {
        const int w = TextWidth(t), h = TextHeight(t);
        for (int j = 0; j < h; j += 2)
            for (int i = 0; i < w; i += 2)
                Set(x + i, y + j, clBlack);
    }
    int TextWidth(const std::string& t) override { return m_.TextWidth(font_, t); }
    int TextHeight(const std::string& t) override { return m_.TextHeight(font_, t); }
    void DrawWrappedText(const TRect& r, const std::string& t) override {
        TextOut(r.Left, r.Top, t);
    }
    void RotatedTextOut(int x, int y, int, const std::string& t) override {
        const int w = TextWidth(t) * 7 / 10;
        MoveTo(x, y);
        LineTo(x + w, y - w);
    }
    void DrawFocusRect(const TRect&) override {}

    const std::vector<TColor>& pixels() const { return px_; }

  private:
    void Set(int x, int y, TColor c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<size_t>(y) * w_ + x] = c;
    }
    void Fill(const TRect& r, TColor c) {
        const int l = std::max(r.Left, 0), t = std::max(r.Top, 0);
        const int rr = std::min(r.Right, w_), b = std::min(r.Bottom, h_);
        for (int y = t; y < b; ++y)
            std::fill(px_.begin() + static_cast<size_t>(y) * w_ + l,
                      px_.begin() + static_cast<size_t>(y) * w_ + rr, c);
    }

    int w_, h_;
    std::vector<TColor> px_;
    TPen pen_;
    TBrush brush_;
    TFontInfo font_;
    int x_ = 0, y_ = 0;
    FixedTextMeasurer m_;
};

// The history chart as the main window configures it, with its one bar series.
inline TNiceSeries* ConfigureHistory(TNiceChart& c) {
    c.SetShowXGrid(false);
    c.SetAxisYScale(1.0f);
    c.SetShowTitle(false);
    c.SetShowLegend(false);
    c.SetAxisXTitle("");
    c.SetAxisYTitle("");
    c.SetShowAxisTitle(true);
    c.SetAxisXOnePerValue(false);
    c.SetAxisTypeX(sDate);
    c.SetRotateX45(true);
    c.SetFormatX("dd/mm/yy hh:nn");
    c.SetFormatY("%.0f");
    c.SetSoftColors(true);
    c.BeginUpdate();
    TNiceSeries* s = c.AddSeries(skBar);
    s->SetCaption("");
    c.EndUpdate();
    return s;
}

} // namespace zel::bench
