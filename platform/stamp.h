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
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/cpu.h"

// How a run of stamps treats places it meets again (see TPixelStamp::TStampRun).
enum TStampRepeats : std::uint8_t { rpEvery, rpSkip, rpCollect };

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
    // A canvas with a mirror draws figure by figure, so its mirror receives every figure.
    static bool CanvasTakes(TCanvas& canvas) { return ImageTakes(canvas) && !canvas.Mirror(); }
    // True when stamps may draw on the canvas's own image: a pen they reproduce and RGB32.
    static bool ImageTakes(TCanvas& canvas)
    {
        return PenAllows(canvas.Pen()) && canvas.Image().format() == QImage::Format_RGB32;
    }

    // Draws the figure at (x, y) in the canvas's pen colour, inside its clip, as the recorded
    // drawing would; the canvas must take stamps.
    void Draw(TCanvas& canvas, int x, int y) const;
    // Draws the figure at `count` centres in order, as Draw at each of them.
    void DrawMany(TCanvas& canvas, const TPoint* centres, std::size_t count) const;
    // Draws the figure at centre after centre, handed over one at a time by the caller's own loop
    // (see TStampRun below).
    class TStampRun;

    const std::vector<TRun>& Runs() const { return m_runs; }
    // True when every pixel is simply set to the pen colour.
    bool CopyOnly() const { return m_copyOnly; }
    // Extent of the pixels around the centre, inclusive.
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }
    int Bottom() const { return m_bottom; }

private:
    // Stores the pixels into `bits` (an RGB32 image with `stride` pixels per row), only those
    // inside `bounds`. `rgb` is the pen colour as a pixel value.
    void Stamp(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const;
    void StampClipped(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const;
    // The canvas state the drawing leaves behind a figure at (x, y): pen position and brush style.
    void FinishState(TCanvas& canvas, int x, int y) const;
    static void Apply(QRgb* row, int x0, int x1, TOp op, QRgb rgb);
    // Sets `width` pixels from `row` on: runs of 4 and more by 4-pixel stores, shorter ones by
    // 2-pixel stores, overlapping where the width is not a multiple.
    static void FillRun(QRgb* row, int width, const cpu::TPixels4& fill4, std::uint64_t fill2, QRgb pixel)
    {
        if (width >= 4) {
            int k = 0;
            for (; k + 4 < width; k += 4) cpu::Store4(row + k, fill4);
            cpu::Store4(row + width - 4, fill4);
        } else if (width >= 2) {
            std::memcpy(row, &fill2, sizeof fill2);
            std::memcpy(row + width - 2, &fill2, sizeof fill2);
        } else {
            *row = pixel;
        }
    }
    // The 5 x 5 disc, unrolled: rows of 3, 5, 5, 5 and 3 pixels around the centre `c`.
    static void StoreDisc5(QRgb* c, std::ptrdiff_t stride, const cpu::TPixels4& fill4, std::uint64_t fill2, QRgb pixel)
    {
        QRgb* r = c - 2 * stride;
        std::memcpy(r - 1, &fill2, sizeof fill2);
        r[1] = pixel;
        for (int k = 0; k < 3; ++k) {
            r += stride;
            cpu::Store4(r - 2, fill4);
            r[2] = pixel;
        }
        r += stride;
        std::memcpy(r - 1, &fill2, sizeof fill2);
        r[1] = pixel;
    }
    // The runs as offsets from the centre in an image of `stride` pixels per row, with widths.
    struct TRowRun {
        std::ptrdiff_t Offset;
        int Width;
    };
    static constexpr std::size_t kMaxRowRuns = 512;

    std::vector<TRun> m_runs;
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;   // extent of the runs around the centre
    bool m_movesPen = false;
    int m_penDx = 0, m_penDy = 0;
    bool m_touchesBrush = false;
    bool m_copyOnly = true;
    bool m_disc5 = false;   // the 5 x 5 disc: rows of 3, 5, 5, 5 and 3 pixels set to the pen
};

// A stamp drawing on one canvas, centre after centre: Put draws the figure at a centre as Draw
// would, Finish leaves the canvas state of the last one. The canvas must take stamps and keep
// its image, clip and pen while the run lasts. Put is inline, so the caller's loop that finds the
// centres and the stores stay one loop.
class TPixelStamp::TStampRun {
public:
    // How a run treats figures wholly inside the clip (figures of plain pen-colour pixels leave the
    // same pixels whatever their order and however often one place is drawn):
    //  - rpEvery: each is stamped;
    //  - rpSkip: a centre the run has stamped already is not stamped again (one bit per pixel);
    //  - rpCollect: the centres are only collected, one bit per pixel, and Finish stamps each
    //    place once (no test per figure; the caller may collect places itself, see Collect).
    TStampRun(const TPixelStamp& stamp, TCanvas& canvas, TStampRepeats repeats = rpEvery)
        : m_stamp(stamp), m_canvas(canvas), m_collect(repeats == rpCollect)
    {
        constexpr QRgb kOpaque = 0xFF000000u;
        QImage& image = canvas.Image();
        m_bits = image.isNull() ? nullptr : reinterpret_cast<QRgb*>(image.bits());
        m_stride = int(image.bytesPerLine() / sizeof(QRgb));
        m_bounds = canvas.ClipRect();
        m_rgb = ToQRgb(canvas.Pen().Color());
        m_quick = m_bits && stamp.m_copyOnly && stamp.m_runs.size() <= kMaxRowRuns;
        // centres whose figure lies wholly inside the clip take the quick stores
        m_xLo = m_bounds.Left - stamp.m_left;
        m_xHi = m_bounds.Right - 1 - stamp.m_right;
        m_yLo = m_bounds.Top - stamp.m_top;
        m_yHi = m_bounds.Bottom - 1 - stamp.m_bottom;
        m_pixel = m_rgb | kOpaque;
        m_fill4 = cpu::Splat4(m_pixel);
        m_fill2 = std::uint64_t(m_pixel) << 32 | m_pixel;
        if (m_quick && repeats != rpEvery) m_seen = SeenPixels(std::size_t(m_stride) * std::size_t(image.height()));
        if (m_quick && !stamp.m_disc5) {
            m_runCount = stamp.m_runs.size();
            for (std::size_t k = 0; k < m_runCount; ++k) {
                const TRun& r = stamp.m_runs[k];
                m_runs[k] = {std::ptrdiff_t(r.Dy) * m_stride + r.Dx0, r.Dx1 - r.Dx0 + 1};
            }
        }
    }
    // A run left without Finish leaves the shared map cleared all the same.
    ~TStampRun()
    {
        if (m_seen) std::memset(m_seen, 0, (Places() + 63) / 64 * sizeof *m_seen);
    }
    TStampRun(const TStampRun&) = delete;
    TStampRun& operator=(const TStampRun&) = delete;

    KALMIRA_INLINE void Put(TPoint p)
    {
        m_last = p;
        m_any = true;
        if (!m_bits) return;
        if (!m_quick) {
            m_stamp.Stamp(m_bits, m_stride, m_bounds, m_rgb, p.X, p.Y);
            return;
        }
        if (!(p.X >= m_xLo && p.X <= m_xHi && p.Y >= m_yLo && p.Y <= m_yHi)) {
            m_stamp.StampClipped(m_bits, m_stride, m_bounds, m_rgb, p.X, p.Y);
            return;
        }
        const std::ptrdiff_t at = std::ptrdiff_t(p.Y) * m_stride + p.X;
        if (m_collect) {
            Collect(at);
            return;
        }
        if (m_seen) {
            std::uint64_t& word = m_seen[at >> 6];
            const std::uint64_t bit = std::uint64_t(1) << (at & 63);
            if (word & bit) return;
            word |= bit;
        }
        StampAt(at);
    }

    // Whether Put only collects centres (see the constructor).
    bool Collects() const { return m_collect && m_seen; }
    // For a caller whose pixels, carried by the offsets, are its own only within `reach` of the
    // offsets: the centres Collect may take straight away (the figure wholly inside the clip)
    // and, outside the outer rectangle, those whose figure misses the clip.
    cpu::TPlaceArea CollectArea(int offsetX, int offsetY, int reach) const
    {
        return {offsetX,
                offsetY,
                std::max(m_xLo, offsetX - reach),
                std::min(m_xHi, offsetX + reach),
                std::max(m_yLo, offsetY - reach),
                std::min(m_yHi, offsetY + reach),
                m_stride,
                m_bounds.Left - m_stamp.m_right,
                m_bounds.Right - 1 - m_stamp.m_left,
                m_bounds.Top - m_stamp.m_bottom,
                m_bounds.Bottom - 1 - m_stamp.m_top,
                offsetX - reach,
                offsetX + reach,
                offsetY - reach,
                offsetY + reach};
    }
    // Collects the centre at place `at` (y * stride + x) inside CollectArea.
    KALMIRA_INLINE void Collect(std::ptrdiff_t at) { m_seen[at >> 6] |= std::uint64_t(1) << (at & 63); }
    // The centre the last figure stands at, when the figures were handed over by Collect.
    void SetLast(TPoint p)
    {
        m_last = p;
        m_any = true;
    }

    // Stamps the collected centres and leaves the canvas state of the last figure (pen position,
    // brush style).
    void Finish()
    {
        if (m_seen) {
            // A word of 64 places at a time; the map is left cleared for the next run.
            const std::size_t words = (Places() + 63) / 64;
            for (std::size_t w = 0; w < words; ++w) {
                if (m_collect)
                    for (std::uint64_t bits = m_seen[w]; bits != 0; bits &= bits - 1)
                        StampAt(std::ptrdiff_t(w * 64 + std::size_t(std::countr_zero(bits))));
                m_seen[w] = 0;
            }
            m_seen = nullptr;
        }
        if (m_any) m_stamp.FinishState(m_canvas, m_last.X, m_last.Y);
    }

private:
    const TPixelStamp& m_stamp;
    TCanvas& m_canvas;
    QRgb* m_bits;
    int m_stride;
    TRect m_bounds;
    QRgb m_rgb;
    bool m_quick;
    int m_xLo, m_xHi, m_yLo, m_yHi;
    QRgb m_pixel;
    cpu::TPixels4 m_fill4;
    std::uint64_t m_fill2;
    std::size_t m_runCount = 0;
    TRowRun m_runs[kMaxRowRuns];
    TPoint m_last;
    bool m_any = false;
    bool m_collect;
    std::uint64_t* m_seen = nullptr;   // a bit per pixel: a centre stamped there (rpSkip) or to stamp

    // A cleared bit per pixel of `pixels` pixels, shared by the runs of the thread (the map of a
    // chart's area stays in the processor's nearest caches).
    static std::uint64_t* SeenPixels(std::size_t pixels);

    std::size_t Places() const { return std::size_t(m_stride) * std::size_t(m_canvas.Image().height()); }
    // The figure at pixel `at` of the image, wholly inside the clip.
    KALMIRA_INLINE void StampAt(std::ptrdiff_t at)
    {
        QRgb* c = m_bits + at;
        if (m_stamp.m_disc5) {
            StoreDisc5(c, m_stride, m_fill4, m_fill2, m_pixel);
        } else {
            for (std::size_t k = 0; k < m_runCount; ++k) FillRun(c + m_runs[k].Offset, m_runs[k].Width, m_fill4, m_fill2, m_pixel);
        }
    }
};
