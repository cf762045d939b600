#pragma once
// The few drawing operations a chart needs, so that any 2-D toolkit (QPainter, an SVG writer, a
// recording fake in the tests) can stand behind it. Pixel coordinates, origin top left, y down.
#include <cstdint>
#include <string>

namespace zel {

// 0xRRGGBB
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0xFF0000;

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TRect&) const = default;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
};

struct TPoint {
    int32_t X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TFontInfo {
    std::string Name = "Arial";
    int Size = 8; // points, at 96 pixels per inch
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    bool operator==(const TFontInfo&) const = default;
};

enum class TPenStyle : uint8_t { Solid, Dot };
struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::Solid;
    bool operator==(const TPen&) const = default;
};

enum class TBrushStyle : uint8_t { Solid, Clear, Pattern };
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::Solid;
    int Pattern = 0; // 1..16 with TBrushStyle::Pattern: the monochrome bar fills brush01..brush16
    bool operator==(const TBrush&) const = default;
};

// Text sizes in a given font; the layout needs nothing more, so it can be tested with fixed
// metrics and run without any window system.
class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    virtual int TextWidth(const TFontInfo& font, const std::string& text) = 0;
    virtual int TextHeight(const TFontInfo& font, const std::string& text) = 0;
    // Height of the text word-wrapped to `width` pixels.
    virtual int WrappedTextHeight(const TFontInfo& font, const std::string& text, int width) = 0;
};

// Metrics without a font engine: every character is `char_width` pixels wide per 8 points and a
// line is `line_height` pixels high per 8 points. Used headless and by the layout tests.
class FixedTextMeasurer : public TextMeasurer {
  public:
    explicit FixedTextMeasurer(int char_width = 6, int line_height = 13)
        : char_width_(char_width), line_height_(line_height) {}
    int TextWidth(const TFontInfo& font, const std::string& text) override;
    int TextHeight(const TFontInfo& font, const std::string& text) override;
    int WrappedTextHeight(const TFontInfo& font, const std::string& text, int width) override;

  private:
    int Scaled(const TFontInfo& font, int v) const;
    int char_width_, line_height_;
};

// The canvas: current pen, brush and font, then shapes and texts in them.
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void SetPen(const TPen& pen) = 0;
    virtual void SetBrush(const TBrush& brush) = 0;
    virtual void SetFont(const TFontInfo& font) = 0;

    // Fills with the brush (right and bottom edges outside).
    virtual void FillRect(const TRect& r) = 0;
    // A one-pixel border in the brush.
    virtual void FrameRect(const TRect& r) = 0;
    // Pen outline, brush fill unless the brush is clear.
    virtual void Rectangle(const TRect& r) = 0;
    virtual void Ellipse(const TRect& r) = 0;
    virtual void Polygon(const TPoint* points, int count) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;

    // Text with its top-left corner at (x, y); transparent where the brush is clear.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    // Word-wrapped, centred horizontally and vertically in r.
    virtual void DrawWrappedText(const TRect& r, const std::string& text) = 0;
    // Rotated counter-clockwise by `angle` degrees about (x, y), transparent background, in the
    // current font.
    virtual void RotatedTextOut(int x, int y, int angle, const std::string& text) = 0;
    // A dotted outline drawn by inverting pixels: drawing the same rectangle twice restores the
    // picture.
    virtual void DrawFocusRect(const TRect& r) = 0;
};

} // namespace zel
