#pragma once
// Pixel stamps: a small figure drawn once onto a probe canvas and recorded as runs of pixel
// operations, then stored straight into canvas images, so a figure drawn many times (a data mark)
// costs a few stores instead of a round of canvas calls. The stores into image memory, the run
// fills and their processor-specific forms live here, behind the canvas; the components compute
// positions and hand them over.
//
// A stamp reproduces the recorded drawing pixel for pixel for a pen of width 1 in style psSolid,
// in the pen mode it was recorded in and with any pen colour, and leaves the canvas in the same
// state (pen position, brush style).
#include <QRgb>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/canvas.h"

class TPixelStamp {
public:
    enum TOp : std::uint8_t { opSetPen, opXorPen, opSetBlack };
    struct TRun {
        int Dy, Dx0, Dx1;   // pixels (x + Dx0 .. x + Dx1, y + Dy)
        TOp Op;
    };
    using TDrawing = std::function<void(TCanvas& canvas, int x, int y)>;

    // Records what `draw` paints around a centre in pen mode `mode` (pmCopy or pmXor). Figures
    // stay within 14 pixels of the centre; nullptr when the drawing reaches the edge of the probe
    // (15 pixels out) or paints a pixel the three operations cannot express.
    static std::unique_ptr<TPixelStamp> Record(TPenMode mode, const TDrawing& draw);

    // True when a pen of this kind can use a stamp instead of the drawing.
    static bool PenAllows(const TPen& pen) { return pen.Width() == 1 && pen.Style() == psSolid; }
    // True when stamps may draw on `canvas`: a pen they reproduce and an RGB32 image.
    static bool CanvasTakes(TCanvas& canvas)
    {
        return PenAllows(canvas.Pen()) && canvas.Image().format() == QImage::Format_RGB32;
    }

    // Draws the figure at (x, y) in the canvas's pen colour, inside its clip, as the recorded
    // drawing would; the canvas must take stamps.
    void Draw(TCanvas& canvas, int x, int y) const;
    // Draws the figure at `count` centres in order, as Draw at each of them.
    void DrawMany(TCanvas& canvas, const TPoint* centres, std::size_t count) const;

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
    // Stores the pixels into `bits` (an RGB32 image with `stride` pixels per row), only those
    // inside `bounds`. `rgb` is the pen colour as a pixel value.
    void Stamp(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const;
    void StampClipped(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const;
    // The canvas state the drawing leaves behind a figure at (x, y): pen position and brush style.
    void FinishState(TCanvas& canvas, int x, int y) const;

    std::vector<TRun> m_runs;
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;   // extent of the runs around the centre
    bool m_movesPen = false;
    int m_penDx = 0, m_penDy = 0;
    bool m_touchesBrush = false;
    bool m_copyOnly = true;
    bool m_disc5 = false;   // the 5 x 5 disc: rows of 3, 5, 5, 5 and 3 pixels set to the pen
};
