#pragma once
// TNiceChart: the program's own small chart control. It holds series of points, chooses "nice"
// graduations, lays out title, legend, axes and plot area, and paints the result on a Canvas.
// The window that shows it (a QWidget in the desktop program, nothing headless) plugs in as a
// ChartHost; without one the chart still keeps its points and lays itself out at its own size.
//
// A change lays out the frame at once (title, legend, Y axis, plot area: a few texts whatever the
// number of points) and asks the host to repaint. The X axis and the position of every point,
// whose cost grows with the points, are placed when something first needs them: painting,
// ChartToClient, ClientToChart, XCaption, EnsureLayout. A chart nobody looks at (headless, or on
// a page not shown) thus never places its points, however often they change.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart/bspline.h"
#include "chart/canvas.h"

namespace zel {

enum TSeriesKind : uint8_t { skLine = 0, skSmooth = 1, skBar = 2 };
enum TSerieTypeAxis : uint8_t { sPerCent = 0, sDate = 1, sinteger = 2, sfloat = 3 };

// A value equal to this is labelled "~".
constexpr double UndefinedValueChart = 1.7976931348623157e308;

constexpr int OUTER_MARGIN = 20;
constexpr int INNER_MARGIN = 10;
constexpr int SMALL_MARGIN = 2;
constexpr int LEGEND_ITEM = 20;
constexpr int AXIS_DEFSIZE = 50;

// The text given with a point. Almost every point has none, and a live chart gets a point a
// minute for as long as the program runs: an empty hint costs one pointer, not a string.
class TPointHint {
  public:
    TPointHint() = default;
    TPointHint(const std::string& s) { *this = s; }
    TPointHint(const TPointHint& o) { *this = o; }
    TPointHint(TPointHint&&) noexcept = default;
    TPointHint& operator=(const TPointHint& o) {
        if (this != &o) *this = o.str();
        return *this;
    }
    TPointHint& operator=(TPointHint&&) noexcept = default;
    TPointHint& operator=(const std::string& s) {
        text_ = s.empty() ? nullptr : std::make_unique<std::string>(s);
        return *this;
    }
    const std::string& str() const {
        static const std::string none;
        return text_ ? *text_ : none;
    }
    operator const std::string&() const { return str(); }
    bool empty() const { return !text_; }
    friend bool operator==(const TPointHint& a, std::string_view b) { return a.str() == b; }

  private:
    std::unique_ptr<std::string> text_;
};

// One data point. Px, Py and Rc are the layout's (the bar, or the marker's box).
struct TXYInfo {
    int32_t Px = 0, Py = 0;
    TRect Rc;
    TPointHint Hint; // kept with the point, never drawn
    double X = 0, Y = 0;
    double& TX() { return X; }
    double& TY() { return Y; }
};

// One graduation of an axis.
struct TAxisInfo {
    double Value = 0;
    int32_t Px = 0, Py = 0;
    std::string Caption;
};

// Linear mapping of one axis: pixel = Base + (value - MinValue) * Scale (y grows downward).
struct TValueTranslator {
    double MinValue = 0;
    double Scale = 1;
    int32_t Base = 0;
};

class TNiceChart;

class TNiceSeries {
  public:
    int32_t Top = 0; // offset of this series' entry in the legend box
    // Read freely; change the points through the methods below, which keep the extremes of Y
    // that every layout needs.
    std::vector<TXYInfo> Values;
    TNiceChart* Chart = nullptr;
    TBSpline Spline; // used by skSmooth only
    // What painting draws of a bar series, made by the layout: the bars in point order, where
    // consecutive bars in the same pixel column are one rectangle (their union: the same
    // picture in one brush) and a bar narrower than a pixel is one pixel wide. A long history
    // thus paints in as many rectangles as the plot has columns.
    std::vector<TRect> BarRuns;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    TSeriesKind Kind() const { return FKind; }
    void SetKind(TSeriesKind value);

    int AddXY(double AX, double AY);
    int AddXY(double AX, double AY, const std::string& AHint);
    // Room for n points, so that a refill of a known size allocates once.
    void Reserve(size_t n);
    void Remove(int Index);
    void Clear();
    double GetMinXValue() const;
    double GetMaxXValue() const;
    double GetMinYValue() const;
    double GetMaxYValue() const;
    void MulYValue(double V);
    void DivYValue(double V);

  private:
    friend class TNiceChart;
    TNiceSeries(TNiceChart* AChart, TSeriesKind AKind);
    // The extremes of Y over the first y_count_ points of the storage at y_data_: kept up to date
    // by AddXY, worked out again when the points changed otherwise.
    bool YBoundsCurrent() const { return y_count_ == Values.size() && y_data_ == Values.data(); }
    void UpdateYBounds() const;
    TXYInfo& Append(double AX, double AY);
    std::string FCaption = "Series";
    TSeriesKind FKind;
    mutable double y_min_ = std::numeric_limits<double>::max();
    mutable double y_max_ = -std::numeric_limits<double>::max();
    mutable size_t y_count_ = 0; // SIZE_MAX: to be worked out
    mutable const TXYInfo* y_data_ = nullptr;
};

// The window a chart lives in.
class ChartHost {
  public:
    virtual ~ChartHost() = default;
    // Fonts are measured with the window's own font engine.
    virtual TextMeasurer& Measurer() = 0;
    // Paint the chart at once from its last layout (InternalPaint on the window's canvas).
    virtual void PaintNow(TNiceChart& chart) = 0;
    // Invert a dotted outline over what is shown; twice restores the picture.
    virtual void DrawFocusRect(const TRect& r) = 0;
    // The chart is being released while still attached: forget it.
    virtual void ChartDestroyed(TNiceChart& /*chart*/) {}
};

// Receives the vector picture made by CreateMetafile.
class MetafileSink {
  public:
    virtual ~MetafileSink() = default;
    // A canvas for a picture of that size, valid until End.
    virtual Canvas& Begin(int width, int height) = 0;
    virtual void End() = 0;
};

class TNiceChart {
  public:
    explicit TNiceChart(ChartHost* host = nullptr);
    ~TNiceChart();
    TNiceChart(const TNiceChart&) = delete;
    TNiceChart& operator=(const TNiceChart&) = delete;

    // The window: attaching or detaching neither lays out nor paints.
    void SetHost(ChartHost* host) { host_ = host; }
    ChartHost* Host() const { return host_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The window was resized: store the client size, then Changed.
    void SetClientSize(int width, int height);
    TColor BackgroundColor() const { return color_; }
    void SetBackgroundColor(TColor c);

    // ---- Series
    TNiceSeries* AddSeries(TSeriesKind AKind);
    void RemoveSeries(TNiceSeries* ASeries);
    void Clear();
    TNiceSeries* Series(int i) const { return List[i].get(); }
    int SeriesCount() const { return static_cast<int>(List.size()); }

    // ---- Updates
    void BeginUpdate() { FUpdating = true; }
    void EndUpdate();
    bool Updating() const { return FUpdating; }
    void Changed();

    // ---- Properties (setters re-lay out and repaint through Changed unless the grid ones)
    bool ShowLegend() const { return FShowLegend; }
    void SetShowLegend(bool v);
    bool ShowTitle() const { return FShowTitle; }
    void SetShowTitle(bool v);
    bool ShowAxisTitle() const { return FShowAxisTitle; }
    void SetShowAxisTitle(bool v);
    bool ShowXGrid() const { return FShowXGrid; }
    void SetShowXGrid(bool v);
    bool ShowYGrid() const { return FShowYGrid; }
    void SetShowYGrid(bool v);
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& v);
    const TFontInfo& TitleFont() const { return FTitleFont; }
    void SetTitleFont(const TFontInfo& f);
    const TFontInfo& NormalFont() const { return FNormalFont; }
    const std::string& AxisXTitle() const { return FAxisXTitle; }
    void SetAxisXTitle(const std::string& v);
    const std::string& AxisYTitle() const { return FAxisYTitle; }
    void SetAxisYTitle(const std::string& v);
    bool AxisXOnePerValue() const { return FAxisXOnePerValue; }
    void SetAxisXOnePerValue(bool v);
    float AxisXScale() const { return FAxisXScale; }
    void SetAxisXScale(float v);
    float AxisYScale() const { return FAxisYScale; }
    void SetAxisYScale(float v);
    bool Monochrome() const { return FMonochrome; }
    void SetMonochrome(bool v);
    bool SoftColors() const { return FSoftColors; }
    void SetSoftColors(bool v);
    TSerieTypeAxis AxisTypeX() const { return FAxisTypeX; }
    void SetAxisTypeX(TSerieTypeAxis v);
    TSerieTypeAxis AxisTypeY() const { return FAxisTypeY; }
    void SetAxisTypeY(TSerieTypeAxis v);
    bool RotateX45() const { return FRotateX45; }
    void SetRotateX45(bool v);
    const std::string& FormatX() const { return FFormatX; }
    void SetFormatX(const std::string& v);
    const std::string& FormatY() const { return FFormatY; }
    void SetFormatY(const std::string& v);
    // Time charts in one-per-value mode: a pause of more than kGapSpans spans (days) between
    // two neighbouring X values is a gap, drawn as an empty slot with a break mark. 0: none.
    double XGapSpan() const { return FXGapSpan; }
    void SetXGapSpan(double days);
    // Numbers in one-per-value mode (a distribution): graduations placed in proportion to their
    // values, so missing classes leave room, and labels only at round values of that scale.
    bool AxisXProportional() const { return FAxisXProportional; }
    void SetAxisXProportional(bool v);
    double MinX() const { return FMinX; }
    bool MinXSet() const { return FSetMinX; }
    void SetMinX(double V);
    void ResetMinX();

    // ---- Layout
    void Calculate(int AWidth, int AHeight);
    std::string GetLabelX(double Value) const;
    std::string GetLabelY(double Value) const;
    // Pixel of a data point; in one-per-value mode X is left as it was when AX has no graduation.
    void ChartToClient(double AX, double AY, int32_t& X, int32_t& Y) const;
    // Places the X axis and the points when a change left them to be placed (outside an update).
    // After a change the frame fields below are current; XAxis, BarWidth and the points' Px, Py,
    // Rc and BarRuns are only after this, Calculate or a paint.
    void EnsureLayout();
    // The caption of X graduation i. One-per-value captions are made when first asked for, so a
    // layout of many points does not format a label for every one of them.
    const std::string& XCaption(size_t i) const;

    // ---- Painting and interaction
    void Paint(); // the window asks for a paint
    void InternalPaint(Canvas& ACanvas);
    bool ClientToChart(int X, int Y, double& AX, double& AY) const;
    void SelectDessine(int X1, int Y1, int X2, int Y2);
    void SelectRaz();
    // Lays out for the picture's size, paints into the sink, lays out again for the window.
    void CreateMetafile(MetafileSink& sink);
    // The same at a size of the caller's (the size the chart is shown at).
    void PaintPicture(MetafileSink& sink, int width, int height);

    // ---- Layout results, read by the painting and the tests
    int32_t MarkSize = 1;
    int32_t BarCount = 0;
    int32_t BarWidth = 0;
    int32_t DestWidth = 0, DestHeight = 0;
    int32_t YZero = 0;
    bool ChartEmpty = true;
    std::vector<std::unique_ptr<TNiceSeries>> List;
    mutable std::vector<TAxisInfo> XAxis;
    std::vector<TAxisInfo> YAxis;
    TRect RcChart, RcLegend, RcTitle;
    TValueTranslator FXTranslate, FYTranslate;
    TRect CRect; // the selection rectangle shown; all zero: none
    // Placed with the X axis: the pixel column of each break mark, and in proportional mode the
    // labels at round values (Value, Px, Py, Caption), which replace the graduations' labels.
    std::vector<int32_t> XGaps;
    std::vector<TAxisInfo> XRoundLabels;

    static const TColor Colors1[14];
    static const TColor Colors2[14];

  private:
    friend class TNiceSeries;
    TextMeasurer& Measure();
    void ClearAxis();
    // Calculate in two steps: the frame (everything but the X axis and the points), then those.
    void LayoutFrame(int AWidth, int AHeight);
    void LayoutPoints();
    // What a change does: the frame at once, the points when needed.
    void Relayout();
    void EnsureLayoutConst() const { const_cast<TNiceChart*>(this)->EnsureLayout(); }
    void CountBars();
    void BuildYAxis();
    void AdjustYAxis();
    void BuildXAxis();
    void BuildRoundLabels(double first, double last, double unit, double Scale, int dx);
    void CalculateSeries();
    void MakeXColumns();
    std::string FormatLabel(double Value, TSerieTypeAxis type, const std::string& format) const;
    size_t FindXGraduation(double AX) const; // index, or XAxis.size()

    void DrawTitle(Canvas& c);
    void DrawLegend(Canvas& c);
    void DrawXAxis(Canvas& c);
    void DrawGapMarks(Canvas& c);
    void DrawYAxis(Canvas& c);
    void DrawChart(Canvas& c);
    void DrawSeries(Canvas& c, int Index);
    void AutoColors(Canvas& c, int Index, bool IsBar);
    void DrawMarker(Canvas& c, int x, int y);
    void RotTextOut(Canvas& c, int x, int y, int Angle, const std::string& Txt);
    void SetPen(Canvas& c, const TPen& p);
    void SetBrush(Canvas& c, const TBrush& b);
    void SetFont(Canvas& c, const TFontInfo& f);

    ChartHost* host_ = nullptr;
    FixedTextMeasurer fixed_measurer_;
    bool points_stale_ = false; // the frame was laid out, the X axis and points not yet
    int width_ = 300, height_ = 200;
    TColor color_ = clWhite;
    int marker_ = 0; // index into the marker shapes, chosen by AutoColors
    mutable std::vector<bool> x_caption_made_;
    bool x_px_sorted_ = true; // X graduations in increasing pixel order (a plot not inverted)
    // First X graduation of each pixel column, from the layout of x_columns_n_ graduations.
    std::vector<uint32_t> x_columns_;
    size_t x_columns_n_ = 0;
    // Current canvas state while painting (so each change is one canvas call).
    TPen pen_;
    TBrush brush_;
    TFontInfo font_;

    bool FShowLegend = true, FShowTitle = true, FShowAxisTitle = true;
    std::string FTitle = "Chart Title";
    TFontInfo FTitleFont{"Arial", 14};
    TFontInfo FNormalFont{"Arial", 8};
    bool FUpdating = false;
    bool FAxisXOnePerValue = false;
    std::string FAxisYTitle = "Y Axis", FAxisXTitle = "X Axis";
    bool FShowYGrid = true, FShowXGrid = true;
    float FAxisYScale = 1.0f, FAxisXScale = 1.0f;
    bool FMonochrome = false, FSoftColors = false;
    TSerieTypeAxis FAxisTypeX = sfloat, FAxisTypeY = sfloat;
    bool FRotateX45 = false;
    double FMinX = 0;
    bool FSetMinX = true;
    double FXGapSpan = 0;
    bool FAxisXProportional = false;
    std::string FFormatX = "%5.3f", FFormatY = "%5.1f";
};

// 10 to the power of Value's decimal exponent, after rounding Value to 15 significant digits.
double GetMan10(double Value);
// Nice graduations: Lowest + i * Delta, i = 0 .. Count - 1, cover AMin .. AMax.
void CalculateAxis(double AMin, double AMax, int Count, double& Delta, double& Lowest);
// A gap in time is a pause longer than this many spans: a single missing or empty record is none.
constexpr double kGapSpans = 2.5;
// Indices i (from 1) of the sorted distinct values xs where xs[i] - xs[i - 1] > kGapSpans * span;
// none when span is not positive.
std::vector<size_t> FindTimeGaps(const std::vector<double>& xs, double span);
// The round step of a scale: the smallest 1, 2 or 5 times a power of ten not below minStep.
double RoundStep(double minStep);
// Room kept between two horizontal X labels, in pixels.
constexpr int kLabelGap = 4;

// A printf-like label format with one numeric conversion applied to a double; "%%" is a percent
// sign and a lone "%" at the end is dropped. Integer conversions show the value rounded.
std::string FormatChartValue(const std::string& format, double value);

} // namespace zel
