#pragma once
// The canvas every component draws through, over a QImage of Format_RGB32.
//
// Drawing rules (pixels, x to the right and y downwards, integer positions):
// - A line from a to b paints a but not b. Lines of width 1 and all dotted and dashed lines are
//   rasterised here (Bresenham), so every pixel is predictable; wider solid lines go through
//   QPainter with square caps. Nothing is antialiased.
// - Rectangle and Ellipse with corners (x1, y1)-(x2, y2) cover x1..x2-1 and y1..y2-1: the outline
//   in the pen, the inside in the brush (nothing inside with a clear brush; no outline with a
//   psClear pen). An ellipse touches all four sides of its box: besides the pixels whose centre
//   lies inside the inscribed ellipse it has its middle row(s) and column(s) end to end, so thin
//   ellipses keep their tips; its outline is closed. Polygon is closed, outlined by the pen and
//   filled by the brush.
// - Text is placed by the top-left corner of its box; a solid brush fills the box first. Text is
//   drawn in the font colour whatever the pen mode.
// - Pen mode pmXor combines every pen and brush pixel with the target by exclusive or, so
//   drawing the same figure twice restores the picture.
// - The clip rectangle limits every operation, pixels and image copies included. Every int
//   coordinate is accepted; the cost of a figure follows its visible pixels, however far
//   outside the image it reaches.
#include <QImage>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/font.h"

struct TPoint {
    int X = 0;
    int Y = 0;
};
inline bool operator==(const TPoint& a, const TPoint& b) { return a.X == b.X && a.Y == b.Y; }

// A rectangle that covers Left..Right-1 and Top..Bottom-1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    // Differences beyond int's range saturate.
    int Width() const { return Saturate(std::int64_t(Right) - Left); }
    int Height() const { return Saturate(std::int64_t(Bottom) - Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }

private:
    static int Saturate(std::int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v); }
};
inline bool operator==(const TRect& a, const TRect& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

enum TPenMode { pmCopy, pmXor, pmNotXor };
enum TBrushStyle { bsSolid, bsClear };
// How Draw and StretchDraw combine the source image with the target.
enum TCopyMode { cmSrcCopy, cmSrcAnd };

// Colour returned by Pixel() for a position outside the image.
constexpr TColor clInvalidPixel = 0xFFFFFFFF;

class TPen {
public:
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle value) { m_style = value; }
    int Width() const { return m_width; }
    // 1..kMaxPenWidth; values outside are clamped
    void SetWidth(int value) { m_width = value < 1 ? 1 : value > kMaxPenWidth ? kMaxPenWidth : value; }
    static constexpr int kMaxPenWidth = 10000;
    TPenMode Mode() const { return m_mode; }
    void SetMode(TPenMode value) { m_mode = value; }
    void Assign(const TPen& other) { *this = other; }

private:
    TColor m_color = clBlack;
    TPenStyle m_style = psSolid;
    int m_width = 1;
    TPenMode m_mode = pmCopy;
};

class TBrush {
public:
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }  // keeps the style: callers that want a solid brush set it
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle value) { m_style = value; }
    void Assign(const TBrush& other) { *this = other; }

private:
    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
};

class TBitmap;
class QPainter;

class TCanvas {
public:
    // Draws on `image` (not owned; it must outlive the canvas). A null image or one of another
    // format is converted to Format_RGB32 on first use.
    explicit TCanvas(QImage* image);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    ~TCanvas();

    // properties
    TPen& Pen() { return m_pen; }
    TBrush& Brush() { return m_brush; }
    TFont& Font() { return m_font; }
    const TPen& Pen() const { return m_pen; }
    const TBrush& Brush() const { return m_brush; }
    const TFont& Font() const { return m_font; }
    TCopyMode CopyMode() const { return m_copyMode; }
    void SetCopyMode(TCopyMode value) { m_copyMode = value; }
    TPoint PenPos() const { return m_penPos; }
    void SetPenPos(TPoint value) { m_penPos = value; }
    QImage& Image() { return *m_image; }
    const QImage& Image() const { return *m_image; }
    int Width() const;
    int Height() const;
    // There is no printer in this program: no canvas is a printer's page.
    bool IsPrinter() const { return false; }
    int PixelsPerInch() const { return kScreenPixelsPerInch; }

    // clipping; the clip rectangle is intersected with the image
    void SetClipRect(const TRect& rect);
    void ClearClipRect();
    bool HasClipRect() const { return m_hasClip; }
    TRect ClipRect() const;                    // the whole image when no clip is set

    // lines and shapes
    void MoveTo(int x, int y);
    void LineTo(int x, int y);                 // paints from PenPos up to, not including, (x, y)
    void Polyline(const std::vector<TPoint>& points);  // MoveTo the first, LineTo the rest
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void FillRect(const TRect& rect);          // brush colour, no outline; nothing for a clear brush
    void FrameRect(const TRect& rect);         // one-pixel outline in the brush colour
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void SetPixel(int x, int y, TColor color); // respects the clip, ignores the pen mode
    TColor Pixel(int x, int y) const;          // RGB TColor, clInvalidPixel outside the image

    // text in the current font and font colour
    void TextOut(int x, int y, const std::string& text);
    // Text clipped to `clip`; a solid brush fills all of `clip` first.
    void TextRect(const TRect& clip, int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;  // the font's line height (ascent + descent)

    // A vector copy of the drawing, for pictures saved at any resolution or as SVG: with a mirror
    // set, every line, figure, text and image drawn also goes to `painter` as a line, figure,
    // text or image, moved by (dx, dy) and clipped as on the canvas. Exclusive-or drawing is not
    // copied. The painter must stay alive until the mirror is removed (nullptr). With `hairlines`
    // a width-1 pen goes to the painter as a cosmetic pen, one device pixel wide whatever the
    // painter's scale, as thin as a width-1 line on a screen of that resolution.
    void SetMirror(QPainter* painter, int dx = 0, int dy = 0, bool hairlines = false);
    QPainter* Mirror() const { return m_mirror; }
    // Draws `image` at (x, y) on the mirror alone, as Draw copies an image there; the canvas's
    // own pixels stay as they are. Nothing without a mirror.
    void MirrorOnly(int x, int y, const QImage& image);

    // images, combined by CopyMode
    void Draw(int x, int y, const TBitmap& bitmap);
    void Draw(int x, int y, const QImage& image);
    void StretchDraw(const TRect& rect, const TBitmap& bitmap);
    void StretchDraw(const TRect& rect, const QImage& image);

private:
    struct FontCache;
    void EnsureImage();
    TRect Bounds() const;                      // clip rectangle within the image
    void Plot(int x, int y, QRgb rgb, TPenMode mode);
    // pixels xa..xb inclusive of row y, clipped
    void Span(std::int64_t y, std::int64_t xa, std::int64_t xb, QRgb rgb, TPenMode mode);
    void RasterLine(int x1, int y1, int x2, int y2);
    void WideLine(int x1, int y1, int x2, int y2);
    void Line(int x1, int y1, int x2, int y2);
    const FontCache& Fonts() const;
    void DrawText(const TRect& clip, int x, int y, const std::string& text, bool fillClip);

    // the mirror: one figure's copy is open at a time; figures a figure draws with are not copied
    class MirrorScope;
    QPainter* m_mirror = nullptr;
    int m_mirrorDx = 0;
    int m_mirrorDy = 0;
    bool m_mirrorHairlines = false;
    bool m_mirrorOpen = false;

    QImage* m_image;
    TPen m_pen;
    TBrush m_brush;
    TFont m_font;
    TCopyMode m_copyMode = cmSrcCopy;
    TPoint m_penPos;
    bool m_hasClip = false;
    TRect m_clip;
    std::int64_t m_patternPos = 0;             // position in the dash pattern along a polyline
};

// An off-screen image of Format_RGB32 with its own canvas. New and resized bitmaps are white.
class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height);
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    void SetSize(int width, int height);       // negative sizes count as 0; a new size starts white
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }
    bool Empty() const { return m_image.isNull(); }
    TCanvas& Canvas() { return *m_canvas; }
    QImage& Image() { return m_image; }
    const QImage& Image() const { return m_image; }

    // Loads a bitmap file (BMP, PNG); false leaves the bitmap unchanged.
    bool LoadFromFile(const std::string& path);
    // Releases the image (size 0 x 0).
    void Clear() { SetSize(0, 0); }

private:
    QImage m_image;
    std::unique_ptr<TCanvas> m_canvas;
};
