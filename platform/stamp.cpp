// Recording: the drawing is made twice on a small probe image, on two backgrounds, and every
// pixel is classified by what the drawing did to it (left alone, set to the pen colour, combined
// with it by exclusive or, or set to black by a set followed by an exclusive or). The classified
// pixels, merged into runs along the rows, reproduce the drawing exactly for any pen colour,
// because the canvas combines each pixel either by copy or by exclusive or.
#include "platform/stamp.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/colors.h"
#include "platform/cpu.h"

namespace {

constexpr int kProbeSize = 32;
constexpr int kProbeCentre = 16;
constexpr QRgb kProbePen = 0xFF2D6A93u;    // any colour whose bytes differ from the backgrounds
constexpr QRgb kProbeBrush = 0xFF51C407u;  // a stray brush pixel would show in this colour
constexpr QRgb kProbeBackA = 0xFF000000u;
constexpr QRgb kProbeBackB = 0xFFB4E81Cu;
constexpr TPoint kProbePenStart{-1000, -1000};
constexpr QRgb kOpaque = 0xFF000000u;

// Draws at the probe's centre on a plain background; reports the pen position and whether the
// brush ended solid (it starts clear).
QImage ProbeDraw(const TPixelStamp::TDrawing& draw, TPenMode mode, QRgb back, TPoint* penAfter, bool* brushSolid)
{
    QImage image(kProbeSize, kProbeSize, QImage::Format_RGB32);
    image.fill(back);
    TCanvas canvas(&image);
    canvas.Pen().SetColor(FromQRgb(kProbePen));
    canvas.Pen().SetMode(mode);
    canvas.Brush().SetColor(FromQRgb(kProbeBrush));
    canvas.Brush().SetStyle(bsClear);
    canvas.SetPenPos(kProbePenStart);
    draw(canvas, kProbeCentre, kProbeCentre);
    *penAfter = canvas.PenPos();
    *brushSolid = canvas.Brush().Style() == bsSolid;
    return image;
}

bool IsDisc5(const std::vector<TPixelStamp::TRun>& runs)
{
    static const TPixelStamp::TRun kDisc[] = {
        {-2, -1, 1, TPixelStamp::opSetPen}, {-1, -2, 2, TPixelStamp::opSetPen}, {0, -2, 2, TPixelStamp::opSetPen},
        {1, -2, 2, TPixelStamp::opSetPen},  {2, -1, 1, TPixelStamp::opSetPen},
    };
    if (runs.size() != std::size(kDisc)) return false;
    for (std::size_t k = 0; k < runs.size(); ++k)
        if (runs[k].Dy != kDisc[k].Dy || runs[k].Dx0 != kDisc[k].Dx0 || runs[k].Dx1 != kDisc[k].Dx1 ||
            runs[k].Op != kDisc[k].Op)
            return false;
    return true;
}

}  // namespace

void TPixelStamp::Apply(QRgb* row, int x0, int x1, TOp op, QRgb rgb)
{
    switch (op) {
    case opSetPen: for (int i = x0; i <= x1; ++i) row[i] = rgb | kOpaque; break;
    case opXorPen: for (int i = x0; i <= x1; ++i) row[i] = (row[i] ^ rgb) | kOpaque; break;
    case opSetBlack: for (int i = x0; i <= x1; ++i) row[i] = kOpaque; break;
    }
}

std::unique_ptr<TPixelStamp> TPixelStamp::Record(TPenMode mode, const TDrawing& draw)
{
    if (mode != pmCopy && mode != pmXor) return nullptr;
    TPoint penA, penB;
    bool solidA, solidB;
    const QImage a = ProbeDraw(draw, mode, kProbeBackA, &penA, &solidA);
    const QImage b = ProbeDraw(draw, mode, kProbeBackB, &penB, &solidB);
    auto stamp = std::make_unique<TPixelStamp>();
    constexpr QRgb kRgb = 0x00FFFFFFu;
    bool first = true;
    for (int py = 0; py < kProbeSize; ++py) {
        const QRgb* ra = reinterpret_cast<const QRgb*>(a.constScanLine(py));
        const QRgb* rb = reinterpret_cast<const QRgb*>(b.constScanLine(py));
        for (int px = 0; px < kProbeSize; ++px) {
            const QRgb va = ra[px] & kRgb, vb = rb[px] & kRgb;
            const QRgb pen = kProbePen & kRgb, ba = kProbeBackA & kRgb, bb = kProbeBackB & kRgb;
            TOp op;
            if (va == ba && vb == bb) continue;
            if (va == pen && vb == pen) op = opSetPen;
            else if (va == (ba ^ pen) && vb == (bb ^ pen)) op = opXorPen;
            else if (va == 0 && vb == 0) op = opSetBlack;
            else return nullptr;  // a pixel the operations cannot express: no stamp
            const int dx = px - kProbeCentre, dy = py - kProbeCentre;
            if (px == 0 || py == 0 || px == kProbeSize - 1 || py == kProbeSize - 1) return nullptr;
            TRun* last = stamp->m_runs.empty() ? nullptr : &stamp->m_runs.back();
            if (last && last->Dy == dy && last->Dx1 == dx - 1 && last->Op == op) last->Dx1 = dx;
            else stamp->m_runs.push_back({dy, dx, dx, op});
            if (first) {
                stamp->m_left = stamp->m_right = dx;
                stamp->m_top = stamp->m_bottom = dy;
                first = false;
            }
            stamp->m_left = std::min(stamp->m_left, dx);
            stamp->m_right = std::max(stamp->m_right, dx);
            stamp->m_top = std::min(stamp->m_top, dy);
            stamp->m_bottom = std::max(stamp->m_bottom, dy);
        }
    }
    for (const TRun& r : stamp->m_runs) stamp->m_copyOnly = stamp->m_copyOnly && r.Op == opSetPen;
    stamp->m_disc5 = IsDisc5(stamp->m_runs);
    stamp->m_movesPen = !(penA == kProbePenStart);
    stamp->m_penDx = penA.X - kProbeCentre;
    stamp->m_penDy = penA.Y - kProbeCentre;
    stamp->m_touchesBrush = solidA;
    return stamp;
}

void TPixelStamp::Stamp(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const
{
    if (x + m_left >= bounds.Left && x + m_right < bounds.Right && y + m_top >= bounds.Top &&
        y + m_bottom < bounds.Bottom) {
        for (const TRun& r : m_runs) Apply(bits + std::ptrdiff_t(y + r.Dy) * stride + x, r.Dx0, r.Dx1, r.Op, rgb);
        return;
    }
    StampClipped(bits, stride, bounds, rgb, x, y);
}

void TPixelStamp::StampClipped(QRgb* bits, int stride, const TRect& bounds, QRgb rgb, int x, int y) const
{
    for (const TRun& r : m_runs) {
        const int py = y + r.Dy;
        if (py < bounds.Top || py >= bounds.Bottom) continue;
        const int x0 = std::max(x + r.Dx0, bounds.Left), x1 = std::min(x + r.Dx1, bounds.Right - 1);
        if (x0 > x1) continue;
        Apply(bits + std::ptrdiff_t(py) * stride, x0, x1, r.Op, rgb);
    }
}

void TPixelStamp::FinishState(TCanvas& canvas, int x, int y) const
{
    if (m_movesPen) canvas.MoveTo(x + m_penDx, y + m_penDy);
    if (m_touchesBrush) canvas.Brush().SetStyle(bsSolid);
}

void TPixelStamp::Draw(TCanvas& canvas, int x, int y) const
{
    QImage& image = canvas.Image();
    if (!image.isNull()) {
        QRgb* bits = reinterpret_cast<QRgb*>(image.bits());
        const int stride = int(image.bytesPerLine() / sizeof(QRgb));
        Stamp(bits, stride, canvas.ClipRect(), ToQRgb(canvas.Pen().Color()), x, y);
    }
    FinishState(canvas, x, y);
}

void TPixelStamp::DrawMany(TCanvas& canvas, const TPoint* centres, std::size_t count) const
{
    TStampRun run(*this, canvas);
    for (std::size_t i = 0; i < count; ++i) run.Put(centres[i]);
    run.Finish();
}

std::uint64_t* TPixelStamp::TStampRun::SeenPixels(std::size_t pixels)
{
    // Finish clears what a run marked; a new map starts cleared.
    thread_local std::vector<std::uint64_t> seen;
    const std::size_t words = (pixels + 63) / 64;
    if (seen.size() < words) seen.resize(words, 0);
    return seen.data();
}
