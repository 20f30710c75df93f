#pragma once
// Data-point marks: kinds 0 to 51 are small glyphs of at most 9 x 9 pixels drawn with the
// canvas's current pen; kinds 52 to 255 draw one character in the canvas's current font.
#include <QRgb>
#include <cstdint>
#include <vector>

#include "platform/canvas.h"

// Draws mark `markKind` centred on pixel (x, y) with the canvas's current pen (colour, width,
// style and mode), brush and font. Glyph kinds keep the brush colour the canvas had; the brush
// style ends solid when the glyph uses the brush; the pen ends where the glyph's last line ended.
void DrawMarkGlyph(TCanvas& canvas, std::uint8_t markKind, int x, int y);

// The character a character mark (kind 52 and above) shows, as UTF-8: the code of the kind in the
// Windows-1252 code page, except kinds 200 to 209, which are the digits "0" to "9".
std::string MarkCharacter(std::uint8_t markKind);

// A glyph kind rendered once into a list of pixel operations, so a mark costs a few stores
// instead of a round of canvas calls. A stamp reproduces DrawMarkGlyph pixel for pixel for a pen
// of width 1 in style psSolid, in the pen mode it was made for, and leaves the canvas in the same
// state. Stamps exist for the glyph kinds in modes pmCopy and pmXor.
class TGlyphStamp {
public:
    enum TOp : std::uint8_t { opSetPen, opXorPen, opSetBlack };
    struct TRun {
        int Dy, Dx0, Dx1;   // pixels (x + Dx0 .. x + Dx1, y + Dy)
        TOp Op;
    };

    // The stamp of `markKind` for pen mode `mode`, or nullptr when the kind or mode has none.
    // Stamps are made on first use and live as long as the program.
    static const TGlyphStamp* For(std::uint8_t markKind, TPenMode mode);

    // True when a pen of this kind can use a stamp instead of DrawMarkGlyph.
    static bool PenAllows(const TPen& pen) { return pen.Width() == 1 && pen.Style() == psSolid; }

    // Stores the pixels into `bits` (an RGB32 image with `stride` pixels per row), only those
    // inside `bounds`. `rgb` is the pen colour as a pixel value.
    void Stamp(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const
    {
        if (x + m_left >= bounds.Left && x + m_right < bounds.Right && y + m_top >= bounds.Top &&
            y + m_bottom < bounds.Bottom) {
            for (const TRun& r : m_runs) {
                QRgb* row = bits + std::ptrdiff_t(y + r.Dy) * stride + x;
                Apply(row, r.Dx0, r.Dx1, r.Op, rgb);
            }
            return;
        }
        StampClipped(bits, stride, bounds, rgb, x, y);
    }

    // The canvas state DrawMarkGlyph leaves behind a mark at (x, y): pen position and brush style.
    void FinishState(TCanvas& canvas, int x, int y) const
    {
        if (m_movesPen) canvas.MoveTo(x + m_penDx, y + m_penDy);
        if (m_touchesBrush) canvas.Brush().SetStyle(bsSolid);
    }

    // Draws the mark on `canvas` as DrawMarkGlyph would; the canvas must hold an RGB32 image.
    void Draw(TCanvas& canvas, int x, int y) const;

    const std::vector<TRun>& Runs() const { return m_runs; }
    // True when every pixel is simply set to the pen colour.
    bool CopyOnly() const { return m_copyOnly; }
    // Extent of the pixels around the centre, inclusive.
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }
    int Bottom() const { return m_bottom; }
    // The pixels as offsets from the centre in an image of `stride` pixels per row.
    std::vector<std::ptrdiff_t> PixelOffsets(int stride) const;

private:
    static void Apply(QRgb* row, int x0, int x1, TOp op, QRgb rgb)
    {
        constexpr QRgb kOpaque = 0xFF000000u;
        switch (op) {
        case opSetPen: for (int i = x0; i <= x1; ++i) row[i] = rgb | kOpaque; break;
        case opXorPen: for (int i = x0; i <= x1; ++i) row[i] = (row[i] ^ rgb) | kOpaque; break;
        case opSetBlack: for (int i = x0; i <= x1; ++i) row[i] = kOpaque; break;
        }
    }
    void StampClipped(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const;
    static TGlyphStamp* Make(std::uint8_t markKind, TPenMode mode);

    std::vector<TRun> m_runs;
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;   // extent of the runs around the centre
    bool m_movesPen = false;
    int m_penDx = 0, m_penDy = 0;
    bool m_touchesBrush = false;
    bool m_copyOnly = true;
};

// DrawMarkGlyph through a stamp where one applies, otherwise the general drawing.
void DrawMarkGlyphFast(TCanvas& canvas, std::uint8_t markKind, int x, int y);
