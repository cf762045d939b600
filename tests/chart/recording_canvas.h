#pragma once
// A canvas that writes down every operation as a line of text, with fixed text metrics equal to
// the chart's headless ones, and a host that counts the paints it is asked for.
#include <sstream>
#include <string>
#include <vector>

#include "chart/nice_chart.h"

namespace zel::test {

class RecordingCanvas : public Canvas {
  public:
    std::vector<std::string> ops;

    void SetPen(const TPen& p) override {
        Add("Pen", Hex(p.Color), p.Width, p.Style == TPenStyle::Dot ? "dot" : "solid");
    }
    void SetBrush(const TBrush& b) override {
        const char* style = b.Style == TBrushStyle::Solid   ? "solid"
                            : b.Style == TBrushStyle::Clear ? "clear"
                                                            : "pattern";
        Add("Brush", Hex(b.Color), style, b.Pattern);
    }
    void SetFont(const TFontInfo& f) override {
        font_ = f;
        Add("Font", f.Name, f.Size, f.Bold ? "bold" : "normal");
    }
    void FillRect(const TRect& r) override { Add("FillRect", r.Left, r.Top, r.Right, r.Bottom); }
    void FrameRect(const TRect& r) override { Add("FrameRect", r.Left, r.Top, r.Right, r.Bottom); }
    void Rectangle(const TRect& r) override { Add("Rectangle", r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(const TRect& r) override { Add("Ellipse", r.Left, r.Top, r.Right, r.Bottom); }
    void Polygon(const TPoint* p, int n) override {
        std::ostringstream s;
        s << "Polygon";
        for (int i = 0; i < n; ++i)
            s << " " << p[i].X << "," << p[i].Y;
        ops.push_back(s.str());
    }
    void MoveTo(int x, int y) override { Add("MoveTo", x, y); }
    void LineTo(int x, int y) override { Add("LineTo", x, y); }
    void TextOut(int x, int y, const std::string& t) override { Add("Text", x, y, t); }
    int TextWidth(const std::string& t) override { return metrics_.TextWidth(font_, t); }
    int TextHeight(const std::string& t) override { return metrics_.TextHeight(font_, t); }
    void DrawWrappedText(const TRect& r, const std::string& t) override {
        Add("WrappedText", r.Left, r.Top, r.Right, r.Bottom, t);
    }
    void RotatedTextOut(int x, int y, int angle, const std::string& t) override {
        Add("RotText", x, y, angle, t);
    }
    void DrawFocusRect(const TRect& r) override { Add("Focus", r.Left, r.Top, r.Right, r.Bottom); }

    // Index of the first operation starting with `prefix` at or after `from`, or -1.
    int Find(const std::string& prefix, size_t from = 0) const {
        for (size_t i = from; i < ops.size(); ++i)
            if (ops[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
        return -1;
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& o : ops)
            if (o.rfind(prefix, 0) == 0) ++n;
        return n;
    }

  private:
    template <typename... A> void Add(const char* name, const A&... a) {
        std::ostringstream s;
        s << name;
        ((s << " " << a), ...);
        ops.push_back(s.str());
    }
    static std::string Hex(TColor c) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%06X", c);
        return buf;
    }
    FixedTextMeasurer metrics_;
    TFontInfo font_;
};

// A window that lays out with the fixed metrics and paints on a recording canvas.
class RecordingHost : public ChartHost {
  public:
    int paints = 0;
    RecordingCanvas canvas;
    std::vector<TRect> focus;

    TextMeasurer& Measurer() override { return metrics_; }
    void PaintNow(TNiceChart& chart) override {
        ++paints;
        canvas.ops.clear();
        chart.InternalPaint(canvas);
    }
    void DrawFocusRect(const TRect& r) override { focus.push_back(r); }

  private:
    FixedTextMeasurer metrics_;
};

} // namespace zel::test
