// Painting a TNiceChart from its last layout, pointer mapping, selection and vector export.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/text_util.h"
#include "chart/chart_util.h"
#include "chart/nice_chart.h"

namespace zel {

namespace {
const double kSin45 = std::sin(M_PI / 4);
constexpr TColor kGridColor = clGray;
} // namespace

void TNiceChart::SetPen(Canvas& c, const TPen& p) {
    if (p == pen_) return;
    pen_ = p;
    c.SetPen(p);
}
void TNiceChart::SetBrush(Canvas& c, const TBrush& b) {
    if (b == brush_) return;
    brush_ = b;
    c.SetBrush(b);
}
void TNiceChart::SetFont(Canvas& c, const TFontInfo& f) {
    if (f == font_) return;
    font_ = f;
    c.SetFont(f);
}

void TNiceChart::InternalPaint(Canvas& ACanvas) {
    EnsureLayout();
    Canvas& c = ACanvas;
    // The canvas' state is unknown: set all three once.
    pen_ = TPen{clBlack, 1, TPenStyle::Solid};
    brush_ = TBrush{color_, TBrushStyle::Solid, 0};
    font_ = FNormalFont;
    c.SetPen(pen_);
    c.SetBrush(brush_);
    c.SetFont(font_);
    c.FillRect(TRect{0, 0, DestWidth, DestHeight});
    if (FShowLegend && !List.empty()) DrawLegend(c);
    if (FShowTitle && !FTitle.empty()) DrawTitle(c);
    DrawXAxis(c);
    DrawYAxis(c);
    DrawChart(c);
}

void TNiceChart::DrawTitle(Canvas& c) {
    SetBrush(c, TBrush{brush_.Color, TBrushStyle::Clear, 0});
    SetFont(c, FTitleFont);
    c.DrawWrappedText(RcTitle, FTitle);
}

void TNiceChart::DrawLegend(Canvas& c) {
    SetPen(c, TPen{pen_.Color, 1, TPenStyle::Solid});
    SetFont(c, FNormalFont);
    const int th = c.TextHeight("Ag");
    const int dy = (LEGEND_ITEM - th) / 2;
    const TRect& r = RcLegend;
    SetBrush(c, TBrush{clBlack, TBrushStyle::Solid, 0});
    c.FillRect(TRect{r.Right, r.Top + 3, r.Right + 3, r.Bottom + 3});
    c.FillRect(TRect{r.Left + 3, r.Bottom, r.Right + 3, r.Bottom + 3});
    SetBrush(c, TBrush{clBlack, TBrushStyle::Clear, 0});
    SetPen(c, TPen{clBlack, 1, TPenStyle::Solid});
    c.Rectangle(r);
    const int x = r.Left + 32;
    for (const auto& s : List) {
        int y = r.Top + s->Top;
        for (const std::string& line : SplitCaptionLines(TrimControl(s->Caption()))) {
            c.TextOut(x, y + dy, TrimControl(line));
            y += th;
        }
    }
}

void TNiceChart::DrawXAxis(Canvas& c) {
    SetPen(c, TPen{pen_.Color, 3, TPenStyle::Solid});
    c.MoveTo(RcChart.Left, RcChart.Bottom);
    c.LineTo(RcChart.Right, RcChart.Bottom);
    if (FShowAxisTitle) {
        TFontInfo bold = FNormalFont;
        bold.Bold = true;
        SetFont(c, bold);
        const int w = RcChart.Right - RcChart.Left;
        c.TextOut(RcChart.Left + (w - c.TextWidth(FAxisXTitle)) / 2,
                  RcChart.Bottom + 14 + c.TextHeight("Ag"), FAxisXTitle);
    }
    SetFont(c, FNormalFont);
    SetPen(c, TPen{clBlack, 1, TPenStyle::Solid});

    const size_t n = XAxis.size();
    const int y0 = RcChart.Bottom + 4;
    // Labels are drawn left to right; one that would start at or left of Last is skipped.
    // Horizontal labels keep kLabelGap pixels apart. Rotated labels are parallel strips as high
    // as the text: their graduations must lie (that height + a margin) / sin 45 degrees apart,
    // or the strips touch whatever the texts' lengths.
    int Last = 0;
    const int w000 = FRotateX45 ? c.TextWidth("000") : 0;
    const int rotated_step =
        FRotateX45 ? RoundToInt(std::ceil((c.TextHeight("Ag") + kLabelGap / 2) / kSin45)) : 0;
    int last_px = 0;
    bool drawn = false;
    // A date axis names the day once: a label on the same day as the previous one drawn shows
    // the time only, and one that says the same as the previous one is not drawn again.
    const bool dates = FAxisTypeX == sDate;
    const size_t blank = dates ? FFormatX.find_last_of(' ') : std::string::npos;
    const std::string time_format = blank != std::string::npos ? FFormatX.substr(blank + 1) : "";
    double last_day = 0;
    std::string last_text;
    auto draw_label = [&](int px, const std::string& caption) {
        if (caption.empty() || caption == last_text) return false;
        if (!FRotateX45) {
            const int tw = c.TextWidth(caption);
            const int x = px - tw / 2;
            if (Last >= x) return false;
            c.TextOut(x, y0, caption);
            Last = x + tw + kLabelGap;
        } else {
            const int d = RoundToInt(c.TextWidth(caption) * kSin45);
            const int x = px - d;
            if (Last >= x || (drawn && px - last_px < rotated_step)) return false;
            RotTextOut(c, x, y0 + d, 45, caption);
            Last = x + w000;
        }
        last_px = px;
        last_text = caption;
        drawn = true;
        return true;
    };
    // The label (if it fits) and the tick of graduation i.
    auto label_and_tick = [&](size_t i) {
        const TAxisInfo& a = XAxis[i];
        // Every label starts at or left of its graduation, so one at or left of Last is skipped
        // without being formatted or measured.
        if (XRoundLabels.empty() && Last < a.Px &&
            (!FRotateX45 || !drawn || a.Px - last_px >= rotated_step)) {
            const double v = a.Value / FAxisXScale;
            const double day = std::floor(v);
            if (!time_format.empty() && drawn && day == last_day) {
                draw_label(a.Px, FormatLabel(v, sDate, time_format));
            } else if (draw_label(a.Px, XCaption(i))) {
                last_day = day;
            }
        }
        if (XRoundLabels.empty()) {
            c.MoveTo(a.Px, a.Py);
            c.LineTo(a.Px, a.Py + 2);
        }
    };
    for (const TAxisInfo& a : XRoundLabels) {
        draw_label(a.Px, a.Caption);
        c.MoveTo(a.Px, a.Py);
        c.LineTo(a.Px, a.Py + 2);
    }
    DrawGapMarks(c);
    // Graduations closer than a pixel share a column: the first of a column stands for it (the
    // others would be drawn at the same place), so the work follows the pixels, not the points.
    // The layout lists the columns; graduations changed since are grouped here.
    std::vector<uint32_t> scratch;
    const std::vector<uint32_t>* columns = &x_columns_;
    if (x_columns_n_ != n || (x_columns_.empty() && n > 0)) {
        for (size_t i = 0; i < n; ++i)
            if (i == 0 || !x_px_sorted_ || XAxis[i].Px != XAxis[i - 1].Px)
                scratch.push_back(static_cast<uint32_t>(i));
        columns = &scratch;
    }
    for (uint32_t i : *columns)
        label_and_tick(i);

    if (FShowXGrid && n > 2) {
        SetPen(c, TPen{kGridColor, pen_.Width, TPenStyle::Dot});
        for (size_t k = 0; k < columns->size(); ++k) {
            const size_t i = (*columns)[k];
            const size_t e = k + 1 < columns->size() ? (*columns)[k + 1] : n;
            // A column holding any graduation but the first and the last gets its line.
            if (e - 1 >= 1 && i <= n - 2) {
                c.MoveTo(XAxis[i].Px, XAxis[i].Py);
                c.LineTo(XAxis[i].Px, RcChart.Top);
            }
        }
        SetPen(c, TPen{clBlack, pen_.Width, pen_.Style});
    }
}

// A break in the X axis where time is missing: the axis cut by two slanted strokes, and a dotted
// line up the plot so the pause shows among many bars too.
void TNiceChart::DrawGapMarks(Canvas& c) {
    if (XGaps.empty()) return;
    const TPen pen = pen_;
    const TBrush brush = brush_;
    const int b = RcChart.Bottom;
    for (const int x : XGaps) {
        SetPen(c, TPen{kGridColor, 1, TPenStyle::Dot});
        c.MoveTo(x, RcChart.Top);
        c.LineTo(x, b - 3);
        SetBrush(c, TBrush{color_, TBrushStyle::Solid, 0});
        c.FillRect(TRect{x - 3, b - 2, x + 4, b + 3});
        SetPen(c, TPen{clBlack, 1, TPenStyle::Solid});
        c.MoveTo(x - 5, b + 4);
        c.LineTo(x - 1, b - 4);
        c.MoveTo(x + 1, b + 4);
        c.LineTo(x + 5, b - 4);
    }
    SetPen(c, pen);
    SetBrush(c, brush);
}

void TNiceChart::DrawYAxis(Canvas& c) {
    SetPen(c, TPen{pen_.Color, 3, TPenStyle::Solid});
    c.MoveTo(RcChart.Left, RcChart.Top);
    c.LineTo(RcChart.Left, RcChart.Bottom);
    if (FShowAxisTitle) {
        const int h = RcChart.Bottom - RcChart.Top;
        TFontInfo bold = FNormalFont;
        bold.Bold = true;
        SetFont(c, bold);
        RotTextOut(c, 20, RcChart.Bottom - (h - c.TextWidth(FAxisYTitle)) / 2, 90, FAxisYTitle);
    }
    SetFont(c, FNormalFont);
    SetPen(c, TPen{clBlack, 1, TPenStyle::Solid});
    for (const TAxisInfo& a : YAxis) {
        c.TextOut(RcChart.Left - 4 - c.TextWidth(a.Caption), a.Py - c.TextHeight(a.Caption) / 2,
                  a.Caption);
        c.MoveTo(a.Px - 2, a.Py);
        c.LineTo(a.Px, a.Py);
    }
    if (FShowYGrid && YAxis.size() > 2) {
        for (size_t i = 1; i + 1 < YAxis.size(); ++i) {
            const TAxisInfo& a = YAxis[i];
            if (a.Value != 0)
                SetPen(c, TPen{kGridColor, pen_.Width, TPenStyle::Dot});
            else
                SetPen(c, TPen{clBlack, pen_.Width, TPenStyle::Solid});
            c.MoveTo(a.Px, a.Py);
            c.LineTo(RcChart.Right, a.Py);
        }
        SetPen(c, TPen{clBlack, pen_.Width, pen_.Style});
    }
}

void TNiceChart::DrawChart(Canvas& c) {
    SetBrush(c, TBrush{brush_.Color, TBrushStyle::Clear, 0});
    SetPen(c, TPen{pen_.Color, 1, TPenStyle::Solid});
    c.MoveTo(RcChart.Left, RcChart.Top);
    c.LineTo(RcChart.Right, RcChart.Top);
    c.LineTo(RcChart.Right, RcChart.Bottom);
    for (int i = 0; i < SeriesCount(); ++i)
        if (List[i]->Kind() == skBar && !List[i]->Values.empty()) DrawSeries(c, i);
    for (int i = 0; i < SeriesCount(); ++i)
        if (List[i]->Kind() != skBar && !List[i]->Values.empty()) DrawSeries(c, i);
}

void TNiceChart::AutoColors(Canvas& c, int Index, bool IsBar) {
    TColor color = clBlack;
    if (!FMonochrome) color = FSoftColors ? Colors2[Index % 14] : Colors1[Index % 14];
    marker_ = Index % 5;
    SetPen(c, TPen{color, pen_.Width, pen_.Style});
    TBrush b{IsBar ? color : clWhite, TBrushStyle::Solid, 0};
    if (IsBar && FMonochrome) {
        b.Style = TBrushStyle::Pattern;
        b.Pattern = Index % 16 + 1;
    }
    SetBrush(c, b);
}

void TNiceChart::DrawMarker(Canvas& c, int x, int y) {
    const int s = MarkSize;
    switch (marker_) {
    case 0:
        c.Rectangle(TRect{x - s, y - s, x + s, y + s});
        break;
    case 1:
        c.Ellipse(TRect{x - s, y - s, x + s, y + s});
        break;
    case 2: {
        const TPoint p[3] = {{x, y - s}, {x + s, y + s}, {x - s, y + s}};
        c.Polygon(p, 3);
        break;
    }
    case 3: {
        const TPoint p[3] = {{x + s, y - s}, {x - s, y - s}, {x, y + s}};
        c.Polygon(p, 3);
        break;
    }
    default: {
        const TPoint p[4] = {{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}};
        c.Polygon(p, 4);
        break;
    }
    }
}

void TNiceChart::DrawSeries(Canvas& c, int Index) {
    TNiceSeries& s = *List[Index];
    const bool bar = s.Kind() == skBar;
    AutoColors(c, Index, bar);
    if (bar) {
        for (const TRect& r : s.BarRuns) {
            c.FrameRect(r);
            c.FillRect(r);
        }
    } else {
        if (s.Kind() == skLine) {
            c.MoveTo(s.Values[0].Px, s.Values[0].Py);
            for (size_t i = 1; i < s.Values.size(); ++i)
                c.LineTo(s.Values[i].Px, s.Values[i].Py);
        } else {
            try {
                s.Spline.Draw(c);
            } catch (const ESplineError&) {
                // A curve of more points than an interpolation can take: markers only.
            }
        }
        for (const TXYInfo& p : s.Values)
            DrawMarker(c, p.Px, p.Py);
    }
    if (FShowLegend) {
        const int l = RcLegend.Left;
        const int t = RcLegend.Top + s.Top;
        if (bar) {
            c.Rectangle(TRect{l + 12, t + 2, l + 28, t + 18});
        } else {
            c.MoveTo(l + 10, t + 10);
            c.LineTo(l + 30, t + 10);
            DrawMarker(c, l + 20, t + 10);
        }
    }
}

void TNiceChart::RotTextOut(Canvas& c, int x, int y, int Angle, const std::string& Txt) {
    if (Txt.empty()) return;
    c.RotatedTextOut(x, y, Angle, Txt);
}

// ---- Pointer and selection -----------------------------------------------------------------

bool TNiceChart::ClientToChart(int X, int Y, double& AX, double& AY) const {
    EnsureLayoutConst();
    AX = 0;
    AY = 0;
    if (X < RcChart.Left || X >= RcChart.Right || Y < RcChart.Top || Y >= RcChart.Bottom)
        return false;
    if (XAxis.empty()) return false;
    if (FAxisXOnePerValue) {
        // The nearest graduation, the leftmost first at equal distance.
        size_t best = 0;
        if (x_px_sorted_) {
            auto it = std::lower_bound(XAxis.begin(), XAxis.end(), X,
                                       [](const TAxisInfo& a, int v) { return a.Px < v; });
            size_t hi = static_cast<size_t>(it - XAxis.begin());
            if (hi >= XAxis.size()) {
                // Every graduation is left of X: the first of the last column.
                best = XAxis.size() - 1;
                const int px = XAxis[best].Px;
                best = static_cast<size_t>(
                    std::lower_bound(XAxis.begin(), XAxis.end(), px,
                                     [](const TAxisInfo& a, int v) { return a.Px < v; }) -
                    XAxis.begin());
            } else if (hi == 0) {
                best = 0;
            } else {
                const int dl = X - XAxis[hi - 1].Px;
                const int dr = XAxis[hi].Px - X;
                if (dl <= dr) {
                    const int px = XAxis[hi - 1].Px;
                    best = static_cast<size_t>(
                        std::lower_bound(XAxis.begin(), XAxis.end(), px,
                                         [](const TAxisInfo& a, int v) { return a.Px < v; }) -
                        XAxis.begin());
                } else {
                    best = hi;
                }
            }
        } else {
            int dmin = 0;
            for (size_t i = 0; i < XAxis.size(); ++i) {
                const int d = std::abs(XAxis[i].Px - X);
                if (i == 0 || d < dmin) {
                    dmin = d;
                    best = i;
                }
            }
        }
        AX = XAxis[best].Value;
    } else {
        AX = FXTranslate.Scale != 0
                 ? FXTranslate.MinValue + (X - FXTranslate.Base) / FXTranslate.Scale
                 : 0;
    }
    AY = FYTranslate.Scale != 0 ? FYTranslate.MinValue + (FYTranslate.Base - Y) / FYTranslate.Scale
                                : 0;
    return true;
}

void TNiceChart::SelectDessine(int X1, int Y1, int X2, int Y2) {
    const bool shown = CRect.Left != 0 && CRect.Top != 0 && CRect.Right != 0 && CRect.Bottom != 0;
    if (shown && host_) host_->DrawFocusRect(CRect);
    CRect = TRect{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
    if (host_) host_->DrawFocusRect(CRect);
}

void TNiceChart::SelectRaz() {
    const bool shown = CRect.Left != 0 && CRect.Top != 0 && CRect.Right != 0 && CRect.Bottom != 0;
    if (shown && host_) host_->DrawFocusRect(CRect);
    CRect = TRect{};
}

void TNiceChart::CreateMetafile(MetafileSink& sink) {
    Calculate(800, 600);
    const int height = RcLegend.Bottom <= 580 ? 600 : RcLegend.Bottom + 20;
    const int ph = RcChart.Bottom - RcChart.Top, pw = RcChart.Right - RcChart.Left;
    const int width = 800 + (ph > pw ? ph - pw : 0);
    if (width != 800 || height != 600) Calculate(width, height);
    Canvas& c = sink.Begin(width, height);
    InternalPaint(c);
    sink.End();
    // Back to the window's layout; its points are placed when next needed.
    Relayout();
}

void TNiceChart::PaintPicture(MetafileSink& sink, int width, int height) {
    Calculate(width, height);
    Canvas& c = sink.Begin(width, height);
    InternalPaint(c);
    sink.End();
    Relayout();
}

} // namespace zel
