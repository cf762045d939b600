#include "chart/nice_chart.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/datetime.h"
#include "base/numfmt.h"
#include "base/regional.h"
#include "base/text_util.h"
#include "chart/chart_util.h"

namespace zel {

// ---- Free helpers ------------------------------------------------------------------------

double GetMan10(double Value) {
    // The exponent of the 15-significant-digit scientific notation, so a value that rounds up
    // to a power of ten gets that power.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::scientific, 14);
    const char* e = std::find(buf, r.ptr, 'e');
    if (r.ec != std::errc() || e == r.ptr) return 1.0; // inf, nan
    const std::string s =
        "1e" + std::string(e + 1 + (e[1] == '+'), static_cast<const char*>(r.ptr));
    double m = 1.0;
    std::from_chars(s.data(), s.data() + s.size(), m);
    return m;
}

void CalculateAxis(double AMin, double AMax, int Count, double& Delta, double& Lowest) {
    int c = Count - 1;
    if (c < 2) c = 2;
    const double n = std::fabs(AMax - AMin) / c;
    if (!std::isfinite(n)) {
        // A range beyond the doubles (or NaN): nothing nice to find.
        Delta = 1;
        Lowest = AMin;
        return;
    }
    const double m = GetMan10(n);
    Delta = 0;
    while (n > Delta)
        Delta += m / 2;
    if (Delta == 0) {
        Delta = 1;
        Lowest = AMin - (Count / 2);
        return;
    }
    // Delta only grows by half a power of ten until the c steps cover the range; that takes a
    // handful of rounds, the bound only guards against pathological rounding.
    for (int guard = 0; guard < 100000; ++guard) {
        Lowest = std::trunc(AMin / Delta) * Delta;
        if (Lowest > AMin) Lowest -= Delta;
        if (AMax > Lowest + Delta * c)
            Delta += m / 2;
        else
            break;
    }
}

namespace {
bool InSet(const char* set, char c) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}
} // namespace

std::string FormatChartValue(const std::string& format, double value) {
    std::string out;
    bool used = false;
    const size_t n = format.size();
    for (size_t i = 0; i < n; ++i) {
        const char ch = format[i];
        if (ch != '%') {
            out += ch;
            continue;
        }
        if (i + 1 >= n) break; // a lone "%" at the end is dropped
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // %[flags][width][.precision][length]conversion
        size_t j = i + 1;
        std::string flags;
        while (j < n && InSet("-+ #0", format[j]))
            flags += format[j++];
        int width = -1, prec = -1;
        if (j < n && std::isdigit(static_cast<unsigned char>(format[j]))) {
            width = 0;
            while (j < n && std::isdigit(static_cast<unsigned char>(format[j])))
                width = std::min(width * 10 + (format[j++] - '0'), 200);
        }
        if (j < n && format[j] == '.') {
            ++j;
            prec = 0;
            while (j < n && std::isdigit(static_cast<unsigned char>(format[j])))
                prec = std::min(prec * 10 + (format[j++] - '0'), 100);
        }
        while (j < n && InSet("hlLqjzt", format[j]))
            ++j;
        if (j >= n || used) {
            // Incomplete, or a second conversion with no value left for it: shown as written.
            out.append(format, i, (j < n ? j + 1 : n) - i);
            i = (j < n ? j : n);
            continue;
        }
        const char conv = format[j];
        std::string directive = "%" + flags;
        if (width >= 0) directive += std::to_string(width);
        char buf[512];
        const ClassicNumbers point; // "." even where the process locale wants ","
        if (InSet("fFeEgG", conv)) {
            if (prec < 0 && (conv == 'f' || conv == 'F')) prec = 2; // the classic default
            if (prec >= 0) directive += "." + std::to_string(prec);
            directive += conv;
            std::snprintf(buf, sizeof buf, directive.c_str(), value);
            out += buf;
            used = true;
        } else if (InSet("diu", conv)) {
            // An integer conversion shows the value rounded.
            double r = std::nearbyint(value);
            long long v = 0;
            if (std::isfinite(r))
                v = r >= 9.2e18    ? std::numeric_limits<long long>::max()
                    : r <= -9.2e18 ? std::numeric_limits<long long>::min()
                                   : static_cast<long long>(r);
            if (prec >= 0) directive += "." + std::to_string(prec);
            directive += "lld";
            std::snprintf(buf, sizeof buf, directive.c_str(), v);
            out += buf;
            used = true;
        } else {
            // Not a numeric conversion: written as is, never handed to printf.
            out.append(format, i, j + 1 - i);
        }
        i = j;
    }
    return out;
}

std::vector<size_t> FindTimeGaps(const std::vector<double>& xs, double span) {
    std::vector<size_t> gaps;
    if (!(span > 0)) return gaps;
    const double limit = kGapSpans * span;
    for (size_t i = 1; i < xs.size(); ++i)
        if (xs[i] - xs[i - 1] > limit) gaps.push_back(i);
    return gaps;
}

double RoundStep(double minStep) {
    if (!(minStep > 0) || !std::isfinite(minStep)) return 1;
    double p = GetMan10(minStep);
    for (;;) {
        for (double m : {1.0, 2.0, 5.0})
            if (m * p >= minStep * (1 - 1e-12)) return m * p;
        p *= 10;
    }
}

int32_t RoundToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::nearbyint(v));
}

std::vector<std::string> SplitCaptionLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    bool pending = false; // a line has started
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            lines.push_back(cur);
            cur.clear();
            pending = false;
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += ch;
            pending = true;
        }
    }
    if (pending) lines.push_back(cur);
    return lines;
}

// ---- Fixed metrics -----------------------------------------------------------------------

int FixedTextMeasurer::Scaled(const TFontInfo& font, int v) const {
    const int size = font.Size > 0 ? font.Size : 8;
    return std::max(1, (v * size + 4) / 8);
}

int FixedTextMeasurer::TextWidth(const TFontInfo& font, const std::string& text) {
    // Count characters, not bytes, so "µSv/h" is as wide as five letters.
    int chars = 0;
    for (unsigned char ch : text)
        if ((ch & 0xC0) != 0x80) ++chars;
    return chars * Scaled(font, char_width_);
}

int FixedTextMeasurer::TextHeight(const TFontInfo& font, const std::string&) {
    return Scaled(font, line_height_);
}

int FixedTextMeasurer::WrappedTextHeight(const TFontInfo& font, const std::string& text,
                                         int width) {
    // Greedy word wrap over the explicit lines.
    const int cw = Scaled(font, char_width_);
    const int per_line = std::max(1, width / cw);
    int lines = 0;
    for (const std::string& line : SplitCaptionLines(text)) {
        int used = 0, count = 1;
        size_t i = 0;
        while (i < line.size()) {
            size_t j = line.find(' ', i);
            if (j == std::string::npos) j = line.size();
            int word = static_cast<int>(j - i);
            if (used > 0 && used + 1 + word > per_line) {
                ++count;
                used = 0;
            }
            used += (used > 0 ? 1 : 0) + word;
            while (used > per_line) { // a word longer than the line breaks anywhere
                ++count;
                used -= per_line;
            }
            i = j + 1;
        }
        lines += count;
    }
    return std::max(lines, 1) * Scaled(font, line_height_);
}

// ---- Series ------------------------------------------------------------------------------

TNiceSeries::TNiceSeries(TNiceChart* AChart, TSeriesKind AKind) : Chart(AChart), FKind(AKind) {}

void TNiceSeries::SetCaption(const std::string& value) {
    if (value == FCaption) return;
    FCaption = value;
    Chart->Changed();
}

void TNiceSeries::SetKind(TSeriesKind value) {
    if (value == FKind) return;
    FKind = value;
    Chart->Changed();
}

TXYInfo& TNiceSeries::Append(double AX, double AY) {
    const bool bounds = YBoundsCurrent();
    TXYInfo& p = Values.emplace_back();
    p.X = AX;
    p.Y = AY;
    if (bounds) {
        // The same fold as over all points, one step further.
        y_min_ = std::min(y_min_, AY);
        y_max_ = std::max(y_max_, AY);
        y_count_ = Values.size();
        y_data_ = Values.data();
    }
    return p;
}

int TNiceSeries::AddXY(double AX, double AY) {
    Append(AX, AY);
    Chart->Changed();
    return static_cast<int>(Values.size()) - 1;
}

int TNiceSeries::AddXY(double AX, double AY, const std::string& AHint) {
    Append(AX, AY).Hint = AHint;
    Chart->Changed();
    return static_cast<int>(Values.size()) - 1;
}

void TNiceSeries::Remove(int Index) {
    if (Index < 0 || Index >= static_cast<int>(Values.size())) return;
    Values.erase(Values.begin() + Index);
    y_count_ = SIZE_MAX;
    Chart->Changed();
}

void TNiceSeries::Reserve(size_t n) {
    const bool bounds = YBoundsCurrent();
    Values.reserve(n);
    if (bounds) y_data_ = Values.data();
}

void TNiceSeries::Clear() {
    Values.clear();
    y_min_ = std::numeric_limits<double>::max();
    y_max_ = -std::numeric_limits<double>::max();
    y_count_ = 0;
    y_data_ = Values.data();
    Chart->Changed();
}

double TNiceSeries::GetMinXValue() const {
    double r = std::numeric_limits<double>::max();
    for (const TXYInfo& p : Values)
        r = std::min(r, p.X);
    return r;
}
double TNiceSeries::GetMaxXValue() const {
    double r = -std::numeric_limits<double>::max();
    for (const TXYInfo& p : Values)
        r = std::max(r, p.X);
    return r;
}
void TNiceSeries::UpdateYBounds() const {
    double lo = std::numeric_limits<double>::max(), hi = -std::numeric_limits<double>::max();
    for (const TXYInfo& p : Values) {
        lo = std::min(lo, p.Y);
        hi = std::max(hi, p.Y);
    }
    y_min_ = lo;
    y_max_ = hi;
    y_count_ = Values.size();
    y_data_ = Values.data();
}
double TNiceSeries::GetMinYValue() const {
    if (!YBoundsCurrent()) UpdateYBounds();
    return y_min_;
}
double TNiceSeries::GetMaxYValue() const {
    if (!YBoundsCurrent()) UpdateYBounds();
    return y_max_;
}

void TNiceSeries::MulYValue(double V) {
    for (TXYInfo& p : Values)
        p.Y *= V;
    y_count_ = SIZE_MAX;
    Chart->Changed();
}

void TNiceSeries::DivYValue(double V) {
    if (V == 0) return;
    for (TXYInfo& p : Values)
        p.Y /= V;
    y_count_ = SIZE_MAX;
    Chart->Changed();
}

// ---- Chart: construction, series, updates ------------------------------------------------

const TColor TNiceChart::Colors1[14] = {0xFF0000, 0x0000FF, 0x008000, 0xFF00FF, 0x000080,
                                        0x800000, 0x000000, 0x808000, 0x800080, 0x008080,
                                        0x808080, 0x00FF00, 0xFFFF00, 0x00FFFF};
const TColor TNiceChart::Colors2[14] = {0xFFC266, 0xDAFA5A, 0x4DC8F4, 0xF44DB5, 0xFF9F66,
                                        0x5A4DF4, 0xFFE066, 0xFFFF66, 0xAE4DF4, 0xFE6368,
                                        0x74F44D, 0x4D93F4, 0xC0C0C0, 0x808080};

TNiceChart::TNiceChart(ChartHost* host) : host_(host) {}

TNiceChart::~TNiceChart() {
    if (host_) host_->ChartDestroyed(*this);
}

TextMeasurer& TNiceChart::Measure() {
    return host_ ? host_->Measurer() : fixed_measurer_;
}

void TNiceChart::SetClientSize(int width, int height) {
    width_ = width;
    height_ = height;
    Changed();
}

void TNiceChart::SetBackgroundColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

TNiceSeries* TNiceChart::AddSeries(TSeriesKind AKind) {
    List.push_back(std::unique_ptr<TNiceSeries>(new TNiceSeries(this, AKind)));
    return List.back().get();
}

void TNiceChart::RemoveSeries(TNiceSeries* ASeries) {
    if (!ASeries) return;
    auto it = std::find_if(List.begin(), List.end(), [&](const std::unique_ptr<TNiceSeries>& s) {
        return s.get() == ASeries;
    });
    if (it == List.end()) return;
    List.erase(it);
    Changed();
}

void TNiceChart::Clear() {
    List.clear();
    ClearAxis();
    Changed();
}

void TNiceChart::EndUpdate() {
    FUpdating = false;
    Relayout();
    Paint();
}

void TNiceChart::Changed() {
    if (FUpdating) return;
    Relayout();
    Paint();
}

void TNiceChart::Relayout() {
    LayoutFrame(width_, height_);
    points_stale_ = true;
}

void TNiceChart::EnsureLayout() {
    // Inside an update the last layout stands until EndUpdate.
    if (!points_stale_ || FUpdating) return;
    LayoutPoints();
}

void TNiceChart::Paint() {
    if (host_) host_->PaintNow(*this);
}

// ---- Properties --------------------------------------------------------------------------

#define ZEL_CHART_SETTER(Name, Field, Type)                                                        \
    void TNiceChart::Set##Name(Type v) {                                                           \
        if (Field == v) return;                                                                    \
        Field = v;                                                                                 \
        Changed();                                                                                 \
    }

ZEL_CHART_SETTER(ShowLegend, FShowLegend, bool)
ZEL_CHART_SETTER(ShowTitle, FShowTitle, bool)
ZEL_CHART_SETTER(ShowAxisTitle, FShowAxisTitle, bool)
ZEL_CHART_SETTER(Title, FTitle, const std::string&)
ZEL_CHART_SETTER(AxisXOnePerValue, FAxisXOnePerValue, bool)
ZEL_CHART_SETTER(Monochrome, FMonochrome, bool)
ZEL_CHART_SETTER(SoftColors, FSoftColors, bool)
ZEL_CHART_SETTER(RotateX45, FRotateX45, bool)
ZEL_CHART_SETTER(FormatX, FFormatX, const std::string&)
ZEL_CHART_SETTER(FormatY, FFormatY, const std::string&)
#undef ZEL_CHART_SETTER

// The grids change no layout: a repaint is enough.
void TNiceChart::SetShowXGrid(bool v) {
    if (FShowXGrid == v) return;
    FShowXGrid = v;
    if (!FUpdating) Paint();
}
void TNiceChart::SetShowYGrid(bool v) {
    if (FShowYGrid == v) return;
    FShowYGrid = v;
    if (!FUpdating) Paint();
}

void TNiceChart::SetTitleFont(const TFontInfo& f) {
    FTitleFont = f;
    Changed();
}

void TNiceChart::SetAxisXTitle(const std::string& v) {
    if (!FShowAxisTitle || FAxisXTitle == v) return;
    FAxisXTitle = v;
    Changed();
}
void TNiceChart::SetAxisYTitle(const std::string& v) {
    if (!FShowAxisTitle || FAxisYTitle == v) return;
    FAxisYTitle = v;
    Changed();
}

void TNiceChart::SetAxisXScale(float v) {
    if (v == 0) v = 1.0f;
    if (FAxisXScale == v) return;
    FAxisXScale = v;
    Changed();
}
void TNiceChart::SetAxisYScale(float v) {
    if (v == 0) v = 1.0f;
    if (FAxisYScale == v) return;
    FAxisYScale = v;
    Changed();
}

namespace {
std::string FormatForType(TSerieTypeAxis t, bool x) {
    switch (t) {
    case sPerCent:
        return "%d%%";
    case sDate:
        return "dd/mm/yy hh:nn";
    case sinteger:
        return x ? "%5.0f" : "%1.0f";
    case sfloat:
        return x ? "%5.3f" : "%5.1f";
    }
    return x ? "%5.3f" : "%5.1f";
}
} // namespace

void TNiceChart::SetAxisTypeX(TSerieTypeAxis v) {
    if (FAxisTypeX == v) return;
    FAxisTypeX = v;
    FFormatX = FormatForType(v, true);
    if (v == sDate) FAxisXScale = 1.0f;
    Changed();
}
void TNiceChart::SetAxisTypeY(TSerieTypeAxis v) {
    if (FAxisTypeY == v) return;
    FAxisTypeY = v;
    FFormatY = FormatForType(v, false);
    if (v == sDate) FAxisYScale = 1.0f;
    Changed();
}

void TNiceChart::SetXGapSpan(double days) {
    if (!(days > 0)) days = 0;
    if (FXGapSpan == days) return;
    FXGapSpan = days;
    Changed();
}

void TNiceChart::SetAxisXProportional(bool v) {
    if (FAxisXProportional == v) return;
    FAxisXProportional = v;
    Changed();
}

void TNiceChart::SetMinX(double V) {
    if (FMinX == V) return;
    FMinX = V;
    FSetMinX = true;
    Changed();
}

void TNiceChart::ResetMinX() {
    if (!FSetMinX) return;
    FSetMinX = false;
    Changed();
}

// ---- Labels ------------------------------------------------------------------------------

std::string TNiceChart::FormatLabel(double Value, TSerieTypeAxis type,
                                    const std::string& format) const {
    if (Value == UndefinedValueChart) return "~";
    switch (type) {
    case sPerCent:
        return FormatChartValue(format, Value * 100);
    case sDate: {
        // Years 1 to 9999 only; anything else is no date anyone can read.
        if (!(Value > -693594.0 && Value < 2958466.0)) return "~";
        const RegionalSettings& r = Regional();
        return FormatDateTime(format, Value, r.date_sep, r.time_sep);
    }
    case sinteger:
    case sfloat:
        break;
    }
    return FormatChartValue(format, Value);
}

std::string TNiceChart::GetLabelX(double Value) const {
    return FormatLabel(Value, FAxisTypeX, FFormatX);
}
std::string TNiceChart::GetLabelY(double Value) const {
    return FormatLabel(Value, FAxisTypeY, FFormatY);
}

const std::string& TNiceChart::XCaption(size_t i) const {
    EnsureLayoutConst();
    if (i < x_caption_made_.size() && !x_caption_made_[i]) {
        XAxis[i].Caption = GetLabelX(XAxis[i].Value / FAxisXScale);
        x_caption_made_[i] = true;
    }
    return XAxis[i].Caption;
}

// ---- Layout ------------------------------------------------------------------------------

void TNiceChart::ClearAxis() {
    XAxis.clear();
    YAxis.clear();
    XGaps.clear();
    XRoundLabels.clear();
    x_caption_made_.clear();
    x_columns_.clear();
    x_columns_n_ = 0;
}

void TNiceChart::MakeXColumns() {
    x_columns_.clear();
    x_columns_n_ = XAxis.size();
    if (!x_px_sorted_) return;
    for (size_t i = 0; i < XAxis.size(); ++i)
        if (i == 0 || XAxis[i].Px != XAxis[i - 1].Px)
            x_columns_.push_back(static_cast<uint32_t>(i));
}

void TNiceChart::Calculate(int AWidth, int AHeight) {
    LayoutFrame(AWidth, AHeight);
    LayoutPoints();
}

void TNiceChart::LayoutPoints() {
    points_stale_ = false;
    BuildXAxis();
    CalculateSeries();
}

void TNiceChart::LayoutFrame(int AWidth, int AHeight) {
    TextMeasurer& m = Measure();
    ClearAxis();
    DestWidth = AWidth;
    DestHeight = AHeight;
    RcChart = TRect{0, 0, AWidth, AHeight};
    MarkSize = std::max(1, RoundToInt(AWidth * 0.004));
    RcChart.Left += OUTER_MARGIN;
    RcChart.Top += OUTER_MARGIN;
    RcChart.Right -= OUTER_MARGIN;
    RcChart.Bottom -= OUTER_MARGIN;

    const bool has_title = FShowTitle && !FTitle.empty();
    if (has_title) {
        RcTitle = TRect{RcChart.Left, RcChart.Top, RcChart.Right, RcChart.Top};
        RcTitle.Bottom += m.WrappedTextHeight(FTitleFont, FTitle, RcTitle.Width());
        RcChart.Top = RcTitle.Bottom + INNER_MARGIN;
    } else {
        RcTitle = TRect{};
    }

    int th = m.TextHeight(FNormalFont, "Ag");
    if (FRotateX45) {
        int w = 0;
        for (const auto& s : List) {
            if (!s->Values.empty())
                w = m.TextWidth(FNormalFont, GetLabelX(s->Values.back().X / FAxisXScale));
            if (w != 0) th += RoundToInt(w * std::sin(M_PI / 4)) / 2;
        }
    }
    RcChart.Bottom -= 2 * th + 14;

    BuildYAxis();

    int widest = 0;
    for (const TAxisInfo& a : YAxis)
        widest = std::max(widest, m.TextWidth(FNormalFont, a.Caption));
    RcChart.Left += th + INNER_MARGIN + widest + 4;
    RcTitle.Left = RcChart.Left;

    AdjustYAxis();

    if (FShowLegend && !List.empty()) {
        int lw = 0, lh = INNER_MARGIN;
        const int th2 = m.TextHeight(FNormalFont, "Ag");
        for (size_t i = 0; i < List.size(); ++i) {
            TNiceSeries& s = *List[i];
            s.Top = lh;
            const std::vector<std::string> lines = SplitCaptionLines(TrimControl(s.Caption()));
            for (const std::string& line : lines)
                lw = std::max(lw, m.TextWidth(FNormalFont, TrimControl(line)));
            lh += std::max(static_cast<int>(lines.size()) * th2, LEGEND_ITEM);
            if (i + 1 < List.size()) lh += SMALL_MARGIN;
        }
        lw += 42;
        lh += INNER_MARGIN;
        RcLegend = TRect{RcChart.Right - lw, RcChart.Top, RcChart.Right, RcChart.Top + lh};
        RcChart.Right = RcLegend.Left - OUTER_MARGIN;
        if (has_title) RcTitle.Right = RcChart.Right;
    } else {
        RcLegend = TRect{};
    }

    // The bar series' effect on the X axis mode belongs to every layout, placed or not.
    CountBars();
}

void TNiceChart::BuildYAxis() {
    ChartEmpty = true;
    if (List.empty()) return;
    const int h = RcChart.Bottom - RcChart.Top;
    const int Count = h / AXIS_DEFSIZE + 1;
    double mi = std::numeric_limits<double>::max(), ma = -std::numeric_limits<double>::max();
    for (const auto& s : List) {
        if (s->Values.empty()) continue;
        ChartEmpty = false;
        mi = std::min(mi, s->GetMinYValue());
        ma = std::max(ma, s->GetMaxYValue());
    }
    if (ChartEmpty) return;
    if (FSetMinX && mi > FMinX) mi = FMinX;
    double Delta, Lowest;
    CalculateAxis(mi, ma, Count, Delta, Lowest);
    const int n = std::max(Count - 1, 1);
    const double Scale = h / (Delta * n);
    for (int i = 0; i < Count; ++i) {
        TAxisInfo a;
        a.Value = Lowest + i * Delta;
        a.Py = RoundToInt(i * Delta * Scale);
        a.Caption = GetLabelY(a.Value / FAxisYScale);
        YAxis.push_back(std::move(a));
    }
    FYTranslate.MinValue = Lowest;
    FYTranslate.Scale = Scale;
}

void TNiceChart::AdjustYAxis() {
    YZero = RcChart.Bottom;
    bool zero_found = false;
    for (TAxisInfo& a : YAxis) {
        a.Px = RcChart.Left;
        a.Py = RcChart.Bottom - a.Py;
        if (!zero_found && a.Value == 0) {
            YZero = a.Py;
            zero_found = true;
        }
    }
    FYTranslate.Base = RcChart.Bottom;
}

void TNiceChart::CountBars() {
    if (List.empty() || ChartEmpty) return;
    BarCount = 0;
    for (const auto& s : List)
        if (s->Kind() == skBar) ++BarCount;
    if (BarCount > 0) FAxisXOnePerValue = true;
}

void TNiceChart::BuildXAxis() {
    if (List.empty() || ChartEmpty) return;
    const int w = RcChart.Right - RcChart.Left;
    x_px_sorted_ = w >= 0;

    if (!FAxisXOnePerValue) {
        const int Count = w / AXIS_DEFSIZE + 1;
        double mi = std::numeric_limits<double>::max(), ma = -std::numeric_limits<double>::max();
        for (const auto& s : List) {
            mi = std::min(mi, s->GetMinXValue());
            ma = std::max(ma, s->GetMaxXValue());
        }
        double Delta, Lowest;
        CalculateAxis(mi, ma, Count, Delta, Lowest);
        const int n = std::max(Count - 1, 1);
        const double Scale = w / (Delta * n);
        for (int i = 0; i < Count; ++i) {
            TAxisInfo a;
            a.Value = Lowest + i * Delta;
            a.Px = RoundToInt(i * Delta * Scale) + RcChart.Left;
            a.Py = RcChart.Bottom;
            a.Caption = GetLabelX(a.Value / FAxisXScale);
            XAxis.push_back(std::move(a));
        }
        x_caption_made_.assign(XAxis.size(), true);
        MakeXColumns();
        FXTranslate = TValueTranslator{Lowest, Scale, RcChart.Left};
        return;
    }

    // One graduation per distinct X. A single series in date order (the usual case) is already
    // sorted, which spares the sort.
    std::vector<double> xs;
    size_t total = 0;
    for (const auto& s : List)
        total += s->Values.size();
    xs.reserve(total);
    for (const auto& s : List)
        for (const TXYInfo& p : s->Values)
            if (!std::isnan(p.X)) xs.push_back(p.X);
    if (!std::is_sorted(xs.begin(), xs.end())) std::sort(xs.begin(), xs.end());
    size_t k = 0;
    for (size_t i = 0; i < xs.size(); ++i)
        if (i == 0 || xs[i] != xs[k - 1]) xs[k++] = xs[i];
    xs.resize(k);
    if (k == 0) return;

    // Slots: one per value, one more per gap in time; in proportional mode one per step of the
    // smallest difference between values (the class width) from the first value to the last.
    const std::vector<size_t> gaps = FindTimeGaps(xs, FXGapSpan);
    double slots = static_cast<double>(k + gaps.size());
    double unit = 0;
    if (FAxisXProportional && k > 1) {
        for (size_t i = 1; i < k; ++i) {
            const double d = xs[i] - xs[i - 1];
            if (d > 0 && (unit == 0 || d < unit)) unit = d;
        }
        const double span = std::round((xs[k - 1] - xs[0]) / unit) + 1;
        // Beyond a slot per pixel column the values themselves place the bars well enough.
        if (std::isfinite(span) && span <= std::max<double>(w, static_cast<double>(k)) * 4)
            slots = span;
        else
            unit = 0;
    }
    double Scale;
    int dx;
    if (BarCount > 0) {
        Scale = w / slots;
        dx = RoundToInt(Scale / 2);
        BarWidth = 2 * RoundToInt(Scale);
    } else {
        // A single distinct value has no spacing; it sits at the left edge.
        Scale = slots > 1 ? w / (slots - 1) : w;
        dx = 0;
    }
    XAxis.resize(k);
    size_t g = 0;
    for (size_t i = 0; i < k; ++i) {
        while (g < gaps.size() && gaps[g] <= i)
            ++g;
        TAxisInfo& a = XAxis[i];
        a.Value = xs[i];
        const double slot = unit > 0 ? (xs[i] - xs[0]) / unit : static_cast<double>(i + g);
        a.Px = RoundToInt(slot * Scale) + RcChart.Left + dx;
        a.Py = RcChart.Bottom;
    }
    // The empty slot of gap j lies just before its value, which moved right by j + 1 slots.
    for (size_t j = 0; j < gaps.size(); ++j)
        XGaps.push_back(RoundToInt((gaps[j] + j) * Scale) + RcChart.Left + dx);
    x_caption_made_.assign(k, false);
    MakeXColumns();
    if (unit > 0 && FAxisTypeX != sDate) BuildRoundLabels(xs.front(), xs.back(), unit, Scale, dx);
}

void TNiceChart::BuildRoundLabels(double first, double last, double unit, double Scale, int dx) {
    TextMeasurer& m = Measure();
    // Room for the widest of the labels at either end, and a little more.
    const int wide = std::max(m.TextWidth(FNormalFont, GetLabelX(first / FAxisXScale)),
                              m.TextWidth(FNormalFont, GetLabelX(last / FAxisXScale))) +
                     2 * kLabelGap;
    const double px_per_value = Scale / unit;
    const double step = RoundStep(std::max(unit, wide / px_per_value));
    const double lo = first - unit / 2, hi = last + unit / 2;
    for (double n = std::ceil(lo / step - 1e-9); n * step <= hi + step * 1e-9; n += 1) {
        TAxisInfo a;
        a.Value = n * step;
        if (std::fabs(a.Value) < step * 1e-9) a.Value = 0;
        a.Px = RoundToInt((a.Value - first) / unit * Scale) + RcChart.Left + dx;
        a.Py = RcChart.Bottom;
        a.Caption = GetLabelX(a.Value / FAxisXScale);
        XRoundLabels.push_back(std::move(a));
    }
}

size_t TNiceChart::FindXGraduation(double AX) const {
    auto it = std::lower_bound(XAxis.begin(), XAxis.end(), AX,
                               [](const TAxisInfo& a, double v) { return a.Value < v; });
    if (it != XAxis.end() && it->Value == AX) return static_cast<size_t>(it - XAxis.begin());
    return XAxis.size();
}

void TNiceChart::ChartToClient(double AX, double AY, int32_t& X, int32_t& Y) const {
    EnsureLayoutConst();
    if (FAxisXOnePerValue) {
        const size_t i = FindXGraduation(AX);
        if (i < XAxis.size()) X = XAxis[i].Px;
    } else {
        X = RoundToInt((AX - FXTranslate.MinValue) * FXTranslate.Scale) + FXTranslate.Base;
    }
    Y = FYTranslate.Base - RoundToInt((AY - FYTranslate.MinValue) * FYTranslate.Scale);
}

namespace {
// Merges consecutive bars that share a column (see TNiceSeries::BarRuns).
void MakeBarRuns(TNiceSeries& s) {
    s.BarRuns.clear();
    bool open = false;
    TRect run;
    for (const TXYInfo& p : s.Values) {
        TRect r = p.Rc;
        if (r.Right == r.Left) r.Right = r.Left + 1;
        if (r.Right < r.Left || r.Bottom <= r.Top) continue; // an empty bar draws nothing
        if (open && r.Left == run.Left && r.Right == run.Right) {
            run.Top = std::min(run.Top, r.Top);
            run.Bottom = std::max(run.Bottom, r.Bottom);
            continue;
        }
        if (open) s.BarRuns.push_back(run);
        run = r;
        open = true;
    }
    if (open) s.BarRuns.push_back(run);
}
} // namespace

void TNiceChart::CalculateSeries() {
    for (const auto& s : List)
        s->BarRuns.clear();
    if (List.empty() || ChartEmpty) return;
    int bw = 0, bi = 0;
    if (BarCount > 0) bw = RoundToInt(static_cast<double>(BarWidth) / (BarCount + 1));
    const bool one_per_value = FAxisXOnePerValue;
    for (const auto& sp : List) {
        TNiceSeries& s = *sp;
        s.Spline.Clear();
        // Points usually come in X order: try the graduation of the previous point and the next
        // one before searching.
        size_t hint = 0;
        bool spline_failed = false;
        auto place = [&](TXYInfo& p) {
            if (one_per_value) {
                if (hint < XAxis.size() && XAxis[hint].Value == p.X) {
                    p.Px = XAxis[hint].Px;
                } else if (hint + 1 < XAxis.size() && XAxis[hint + 1].Value == p.X) {
                    p.Px = XAxis[++hint].Px;
                } else {
                    const size_t i = FindXGraduation(p.X);
                    if (i < XAxis.size()) {
                        p.Px = XAxis[i].Px;
                        hint = i;
                    }
                }
                p.Py =
                    FYTranslate.Base - RoundToInt((p.Y - FYTranslate.MinValue) * FYTranslate.Scale);
            } else {
                ChartToClient(p.X, p.Y, p.Px, p.Py);
            }
        };
        switch (s.Kind()) {
        case skLine:
        case skSmooth:
            for (TXYInfo& p : s.Values) {
                place(p);
                p.Rc = TRect{p.Px - MarkSize, p.Py - MarkSize, p.Px + MarkSize, p.Py + MarkSize};
                if (s.Kind() == skSmooth && !spline_failed) {
                    try {
                        s.Spline.AddPoint(
                            TVertex{static_cast<float>(p.Px), static_cast<float>(p.Py)});
                    } catch (const ESplineError&) {
                        // More points than a curve can hold: the series shows its markers only.
                        s.Spline.Clear();
                        spline_failed = true;
                    }
                }
            }
            if (s.Kind() == skSmooth && !spline_failed) {
                s.Spline.SetInterpolated(true);
                s.Spline.SetFragments(20 * static_cast<int>(s.Values.size()));
            }
            break;
        case skBar: {
            const int dx = RoundToInt(bw / 2.0 - BarWidth / 2.0 + bi * bw + 0.1 * bw);
            const int rw = RoundToInt(0.8 * bw);
            for (TXYInfo& p : s.Values) {
                place(p);
                const int l = p.Px + dx;
                if (p.Y < 0)
                    p.Rc = TRect{l, YZero, l + rw, p.Py};
                else
                    p.Rc = TRect{l, p.Py, l + rw, YZero};
            }
            MakeBarRuns(s);
            ++bi;
            break;
        }
        }
    }
}

} // namespace zel
