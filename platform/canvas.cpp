// Canvas rasterisation. Lines of width 1 and styled lines use Bresenham's algorithm on the
// image's pixels; rectangles and ellipses are filled span by span; only polygon fills, wide
// lines and text go through QPainter (without antialiasing). Every pixel write goes through
// Plot or Span, which apply the clip rectangle and the pen mode.
#include "platform/canvas.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <climits>
#include <cstdint>
#include <deque>

#include "platform/colors.h"
#include "platform/cpu.h"

namespace {

// Run lengths of the styled pens, starting with a painted run: dashes of 6, dots of 1, gaps of
// 2 (dotted lines alternate pixel by pixel).
struct DashPattern {
    std::array<int, 6> runs;
    int count;
};
constexpr DashPattern kDash = {{6, 2, 0, 0, 0, 0}, 2};
constexpr DashPattern kDot = {{1, 1, 0, 0, 0, 0}, 2};
constexpr DashPattern kDashDot = {{6, 2, 1, 2, 0, 0}, 4};
constexpr DashPattern kDashDotDot = {{6, 2, 1, 2, 1, 2}, 6};

const DashPattern* PatternOf(TPenStyle style)
{
    switch (style) {
    case psDash: return &kDash;
    case psDot: return &kDot;
    case psDashDot: return &kDashDot;
    case psDashDotDot: return &kDashDotDot;
    default: return nullptr;
    }
}

int PatternLength(const DashPattern& p)
{
    int n = 0;
    for (int i = 0; i < p.count; ++i) n += p.runs[i];
    return n;
}

// A common multiple of every pattern's length: positions are kept below it, so they never
// overflow however long a path runs, and every pattern keeps its phase.
constexpr std::int64_t kPatternPeriod = 616;

// True when position `pos` (0 or more) of the repeating pattern is a painted pixel.
bool PatternOn(const DashPattern& p, std::int64_t pos)
{
    int rest = int(pos % PatternLength(p));
    for (int i = 0; i < p.count; ++i) {
        if (rest < p.runs[i]) return i % 2 == 0;
        rest -= p.runs[i];
    }
    return false;
}

using i64 = std::int64_t;
using i128 = __int128;

// floor(a / b) and ceil(a / b) for b > 0.
i128 FloorDiv(i128 a, i128 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
i128 CeilDiv(i128 a, i128 b) { return -FloorDiv(-a, b); }

// Steps the line from (x1, y1) towards (x2, y2), end pixel excluded, exactly as Bresenham's
// algorithm does from the start, but visits only the steps whose pixel lies inside `clip`
// (half-open), so the cost follows the visible pixels however far the line reaches. Step k of
// the line moves the major axis k pixels and the minor axis round(k * dMinor / dMajor) pixels,
// halves rounding away from the start. plot(x, y, k) receives each visible pixel with its step
// number. Returns the number of steps of the whole line.
template <class Plot>
i64 StepLine(i64 x1, i64 y1, i64 x2, i64 y2, const TRect& clip, Plot plot)
{
    const i64 dx = x2 > x1 ? x2 - x1 : x1 - x2, dy = y2 > y1 ? y2 - y1 : y1 - y2;
    const bool xMajor = dx >= dy;
    const i64 dMaj = xMajor ? dx : dy, dMin = xMajor ? dy : dx;
    if (dMaj == 0 || clip.IsEmpty()) return dMaj;
    const i64 p1 = xMajor ? x1 : y1, q1 = xMajor ? y1 : x1;
    const i64 sp = (xMajor ? x2 > x1 : y2 > y1) ? 1 : -1;
    const i64 sq = (xMajor ? y2 > y1 : x2 > x1) ? 1 : -1;
    const i64 majLo = xMajor ? clip.Left : clip.Top, majHi = (xMajor ? clip.Right : clip.Bottom) - 1;
    const i64 minLo = xMajor ? clip.Top : clip.Left, minHi = (xMajor ? clip.Bottom : clip.Right) - 1;
    // steps whose major coordinate is visible
    i64 k0 = sp > 0 ? majLo - p1 : p1 - majHi, k1 = sp > 0 ? majHi - p1 : p1 - majLo;
    k0 = std::max<i64>(k0, 0);
    k1 = std::min<i64>(k1, dMaj - 1);
    // minor offsets m that are visible, then the steps that have them (m grows with k)
    i64 m0 = sq > 0 ? minLo - q1 : q1 - minHi, m1 = sq > 0 ? minHi - q1 : q1 - minLo;
    m0 = std::max<i64>(m0, 0);
    m1 = std::min<i64>(m1, dMin);
    if (m0 > m1) return dMaj;
    if (dMin > 0) {
        // the first step with an offset of at least m is ceil((2 m dMaj - dMaj) / (2 dMin))
        auto firstStep = [&](i64 m) -> i128 {
            return m <= 0 ? 0 : CeilDiv(i128(2 * m - 1) * dMaj, i128(2) * dMin);
        };
        k0 = i64(std::max<i128>(k0, firstStep(m0)));
        if (m1 < dMin) k1 = i64(std::min<i128>(k1, firstStep(m1 + 1) - 1));
    }
    if (k0 > k1) return dMaj;
    // offset and remainder at the first visible step, then Bresenham's increments
    const i128 num = i128(2) * dMin * k0 + dMaj;
    i64 m = i64(num / (2 * i128(dMaj)));
    i64 r = i64(num % (2 * i128(dMaj)));
    const i64 twoMaj = 2 * dMaj, twoMin = 2 * dMin;
    for (i64 k = k0; k <= k1; ++k) {
        const i64 p = p1 + sp * k, q = q1 + sq * m;
        if (xMajor) plot(int(p), int(q), k);
        else plot(int(q), int(p), k);
        r += twoMin;
        if (r >= twoMaj) { r -= twoMaj; ++m; }
    }
    return dMaj;
}

constexpr QRgb kRgbMask = 0x00FFFFFFu;
constexpr QRgb kOpaque = 0xFF000000u;

inline QRgb Combine(QRgb dst, QRgb src, TPenMode mode)
{
    switch (mode) {
    case pmXor: return ((dst ^ src) & kRgbMask) | kOpaque;
    case pmNotXor: return (~(dst ^ src) & kRgbMask) | kOpaque;
    default: return (src & kRgbMask) | kOpaque;
    }
}

TRect Normalised(int x1, int y1, int x2, int y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

constexpr double kEdgeSlack = 1e-9;

// Pixels ua..ub of row v of the ellipse with centre (cx, cy) and semi-axes a, b whose centres lie
// inside it, in coordinates where pixel i covers [i, i + 1). kEdgeSlack keeps centres that lie
// exactly on the curve inside despite rounding in the square root.
bool CentreRow(double cx, double cy, double a, double b, i64 v, i64& ua, i64& ub)
{
    if (a <= 0.0 || b <= 0.0) return false;
    const double dy = (double(v) + 0.5 - cy) / b;
    const double rest = 1.0 - dy * dy;
    if (rest < -kEdgeSlack) return false;
    const double half = a * std::sqrt(std::max(rest, 0.0)) + kEdgeSlack;
    const double lo = std::ceil(cx - half - 0.5), hi = std::floor(cx + half - 0.5);
    if (lo > hi) return false;
    ua = i64(lo);
    ub = i64(hi);
    return true;
}

// The pixels of an ellipse inscribed in a box of W x H pixels, in box coordinates (0..W-1,
// 0..H-1): those whose centre lies inside the ellipse, plus the middle row(s) across the whole
// width and the middle column(s) down the whole height. Without the middle lines the tips of a
// long thin ellipse would stop short of its box; with them every ellipse touches all four sides
// and each row is one run, symmetric about the centre.
struct EllipseShape {
    i64 W, H;
    double cx, cy, a, b;
    EllipseShape(i64 w, i64 h) : W(w), H(h), cx(double(w) / 2), cy(double(h) / 2), a(cx), b(cy) {}
    bool Row(i64 v, i64& ua, i64& ub) const
    {
        if (v < 0 || v >= H) return false;
        if (v == (H - 1) / 2 || v == H / 2) {
            ua = 0;
            ub = W - 1;
            return true;
        }
        i64 lo = W, hi = -1;
        if (CentreRow(cx, cy, a, b, v, lo, hi) && lo <= hi) {
            ua = std::min(lo, (W - 1) / 2);
            ub = std::max(hi, W / 2);
        } else {
            ua = (W - 1) / 2;
            ub = W / 2;
        }
        return true;
    }
    // The part of row v inside the pen's band of width w: pixels inside the ellipse shrunk by w
    // whose four neighbours all belong to the shape, so a width-1 outline is closed.
    bool Inner(i64 w, i64 v, i64& ia, i64& ib) const
    {
        if (!CentreRow(cx, cy, a - double(w), b - double(w), v, ia, ib)) return false;
        i64 oa, ob;
        if (!Row(v, oa, ob)) return false;
        ia = std::max(ia, oa + 1);
        ib = std::min(ib, ob - 1);
        for (i64 dv : {i64(-1), i64(1)}) {
            if (!Row(v + dv, oa, ob)) return false;
            ia = std::max(ia, oa);
            ib = std::min(ib, ob);
        }
        return ia <= ib;
    }
};

// Sutherland-Hodgman: the polygon cut to the rectangle [x0, x1] x [y0, y1]. Inside the
// rectangle the fill is unchanged (the cut parts run along its edges).
QPolygonF ClipPolygon(QPolygonF poly, double x0, double y0, double x1, double y1)
{
    for (int edge = 0; edge < 4 && !poly.isEmpty(); ++edge) {
        auto inside = [&](const QPointF& p) {
            switch (edge) {
            case 0: return p.x() >= x0;
            case 1: return p.x() <= x1;
            case 2: return p.y() >= y0;
            default: return p.y() <= y1;
            }
        };
        auto cut = [&](const QPointF& p, const QPointF& q) {
            const bool vertical = edge < 2;
            const double c = edge == 0 ? x0 : edge == 1 ? x1 : edge == 2 ? y0 : y1;
            const double t = vertical ? (c - p.x()) / (q.x() - p.x()) : (c - p.y()) / (q.y() - p.y());
            return vertical ? QPointF(c, p.y() + t * (q.y() - p.y())) : QPointF(p.x() + t * (q.x() - p.x()), c);
        };
        QPolygonF out;
        for (int i = 0; i < poly.size(); ++i) {
            const QPointF& cur = poly[i];
            const QPointF& prev = poly[(i + poly.size() - 1) % poly.size()];
            if (inside(cur)) {
                if (!inside(prev)) out << cut(prev, cur);
                out << cur;
            } else if (inside(prev)) {
                out << cut(prev, cur);
            }
        }
        poly = out;
    }
    return poly;
}

// Liang-Barsky: cuts the segment a-b to the rectangle; false when nothing of it lies inside.
bool ClipSegment(QPointF& a, QPointF& b, double x0, double y0, double x1, double y1)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - x0, x1 - a.x(), a.y() - y0, y1 - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
    const QPointF start = a;
    a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

// Writes n pixels from d on by the pen mode.
void FillRow(QRgb* d, i64 n, QRgb rgb, TPenMode mode)
{
    switch (mode) {
    case pmXor: {
        const QRgb s = rgb & kRgbMask;
        for (i64 i = 0; i < n; ++i) d[i] = ((d[i] ^ s) & kRgbMask) | kOpaque;
        break;
    }
    case pmNotXor: {
        const QRgb s = rgb & kRgbMask;
        for (i64 i = 0; i < n; ++i) d[i] = (~(d[i] ^ s) & kRgbMask) | kOpaque;
        break;
    }
    default: {
        // Four pixels a store: a plain fill loop is left scalar at -O2, and its speed then
        // hangs on where the loop happens to lie in the code.
        const QRgb v = (rgb & kRgbMask) | kOpaque;
        const cpu::TPixels4 four = cpu::Splat4(v);
        i64 i = 0;
        for (; i + 4 <= n; i += 4) cpu::Store4(d + i, four);
        for (; i < n; ++i) d[i] = v;
    }
    }
}

}  // namespace

struct TCanvas::FontCache {
    TFont font;
    QFont qfont;
    QFontMetrics metrics{QFont()};
};

TCanvas::TCanvas(QImage* image) : m_image(image) {}

void TCanvas::SetMirror(QPainter* painter, int dx, int dy, bool hairlines)
{
    m_mirror = painter;
    m_mirrorDx = dx;
    m_mirrorDy = dy;
    m_mirrorHairlines = hairlines;
}

// Opens the copy of one figure on the mirror: the painter moved and clipped as the canvas, with
// the canvas's pen and brush. Active() is false without a mirror, for exclusive-or drawing and
// inside another figure's copy (a dotted rectangle draws its outline with LineTo).
class TCanvas::MirrorScope {
public:
    explicit MirrorScope(TCanvas& c) : m_canvas(c)
    {
        if (!c.m_mirror || c.m_mirrorOpen || c.m_pen.Mode() != pmCopy) return;
        c.EnsureImage();
        m_painter = c.m_mirror;
        c.m_mirrorOpen = true;
        m_painter->save();
        m_painter->translate(c.m_mirrorDx, c.m_mirrorDy);
        const TRect b = c.Bounds();
        m_clip = QRectF(b.Left, b.Top, b.Width(), b.Height());
        m_painter->setClipRect(m_clip);
        // Qt's SVG writer leaves the clip out of the file; for it each figure is cut to the clip
        // here, so a saved picture shows what the canvas shows.
        const QPaintEngine* engine = m_painter->paintEngine();
        m_cut = engine && engine->type() == QPaintEngine::SVG;
        QPen pen(Qt::NoPen);
        if (c.m_pen.Style() != psClear) {
            const int w = c.m_pen.Width();
            pen = QPen(ToQColor(c.m_pen.Color()), w, PenStyleOf(c.m_pen.Style()), w > 1 ? Qt::SquareCap : Qt::FlatCap,
                       Qt::MiterJoin);
            pen.setCosmetic(w == 1 && c.m_mirrorHairlines);
        }
        m_painter->setPen(pen);
        m_painter->setBrush(c.m_brush.Style() == bsSolid ? QBrush(ToQColor(c.m_brush.Color())) : QBrush(Qt::NoBrush));
    }
    ~MirrorScope()
    {
        if (!m_painter) return;
        m_painter->restore();
        m_canvas.m_mirrorOpen = false;
    }
    bool Active() const { return m_painter != nullptr; }
    QPainter& Painter() { return *m_painter; }

    // The figures, cut to the clip where the painter does not clip.
    void SetClip(const QRectF& clip)
    {
        m_clip = clip;
        m_painter->setClipRect(clip);
    }
    void DrawLine(QPointF a, QPointF b)
    {
        if (m_cut) {
            const QPointF a0 = a, b0 = b;
            if (!ClipSegment(a, b, m_clip.left(), m_clip.top(), m_clip.right(), m_clip.bottom())) return;
            if (a != a0 || b != b0) {
                // A cut end stops at the clip; a square cap would reach past it.
                QPen pen = m_painter->pen();
                pen.setCapStyle(Qt::FlatCap);
                m_painter->setPen(pen);
            }
        }
        m_painter->drawLine(a, b);
    }
    // Outlined with the pen, filled with the brush; outside the clip the fill is cut to it and
    // the outline drawn edge by edge.
    void DrawPolygon(const QPolygonF& polygon)
    {
        if (!m_cut || m_clip.contains(polygon.boundingRect())) {
            m_painter->drawPolygon(polygon);
            return;
        }
        const QPen pen = m_painter->pen();
        if (m_painter->brush().style() != Qt::NoBrush) {
            m_painter->setPen(Qt::NoPen);
            m_painter->drawPolygon(polygon.intersected(QPolygonF(m_clip)));
            m_painter->setPen(pen);
        }
        if (pen.style() == Qt::NoPen) return;
        const qsizetype n = polygon.size() - (polygon.isClosed() ? 1 : 0);
        for (qsizetype i = 0; i < n; ++i) DrawLine(polygon[i], polygon[(i + 1) % polygon.size()]);
    }
    void DrawRect(const QRectF& outline) { DrawPolygon(QPolygonF(outline)); }
    void DrawEllipse(const QRectF& outline)
    {
        if (!m_cut || m_clip.contains(outline)) {
            m_painter->drawEllipse(outline);
            return;
        }
        QPainterPath path;
        path.addEllipse(outline);
        DrawPolygon(path.toFillPolygon());
    }
    void FillRect(QRectF rect, const QBrush& brush)
    {
        if (m_cut) rect = rect.intersected(m_clip);
        if (!rect.isEmpty()) m_painter->fillRect(rect, brush);
    }
    // `image` stretched over `target`; where the target leaves the clip, only the part inside.
    void DrawImage(const QRectF& target, const QImage& image)
    {
        const QRectF part = m_cut ? target.intersected(m_clip) : target;
        if (part.isEmpty()) return;
        if (part == target) {
            m_painter->drawImage(target, image);
            return;
        }
        const double sx = image.width() / target.width(), sy = image.height() / target.height();
        const QRect source = QRectF((part.left() - target.left()) * sx, (part.top() - target.top()) * sy,
                                    part.width() * sx, part.height() * sy)
                                 .toAlignedRect()
                                 .intersected(image.rect());
        m_painter->drawImage(part, image.copy(source));
    }
    // Text with its baseline's start at `origin`, in `box` (its advance and height); text that
    // leaves the clip is cut as the outline of its glyphs.
    void DrawText(QPointF origin, const QRectF& box, const QString& text, const QFont& font, const QColor& color)
    {
        m_painter->setFont(font);
        m_painter->setPen(color);
        if (!m_cut || m_clip.contains(box)) {
            m_painter->drawText(origin, text);
            return;
        }
        if (!m_clip.intersects(box)) return;
        QPainterPath glyphs;
        glyphs.addText(origin, font, text);
        QPainterPath inside;
        inside.addRect(m_clip);
        m_painter->fillPath(glyphs.intersected(inside), color);
    }
    // The centre of pixel (x, y): one-pixel lines and outlines run through pixel centres.
    static QPointF Centre(int x, int y) { return QPointF(x + 0.5, y + 0.5); }
    // The outline rectangle through the centres of the pixels x1..x2-1, y1..y2-1.
    static QRectF Outline(const TRect& n) { return QRectF(n.Left + 0.5, n.Top + 0.5, n.Width() - 1.0, n.Height() - 1.0); }

private:
    static Qt::PenStyle PenStyleOf(TPenStyle s)
    {
        switch (s) {
            case psDash: return Qt::DashLine;
            case psDot: return Qt::DotLine;
            case psDashDot: return Qt::DashDotLine;
            case psDashDotDot: return Qt::DashDotDotLine;
            case psClear: return Qt::NoPen;
            default: return Qt::SolidLine;
        }
    }
    TCanvas& m_canvas;
    QPainter* m_painter = nullptr;
    QRectF m_clip;
    bool m_cut = false;
};

TCanvas::~TCanvas() = default;

void TCanvas::EnsureImage()
{
    if (m_image->format() != QImage::Format_RGB32 && !m_image->isNull())
        *m_image = m_image->convertToFormat(QImage::Format_RGB32);
}

int TCanvas::Width() const { return m_image->width(); }
int TCanvas::Height() const { return m_image->height(); }

void TCanvas::SetClipRect(const TRect& rect)
{
    m_clip = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    m_hasClip = true;
}

void TCanvas::ClearClipRect() { m_hasClip = false; }

TRect TCanvas::ClipRect() const { return Bounds(); }

TRect TCanvas::Bounds() const
{
    TRect r{0, 0, m_image->width(), m_image->height()};
    if (m_hasClip) {
        r.Left = std::max(r.Left, m_clip.Left);
        r.Top = std::max(r.Top, m_clip.Top);
        r.Right = std::min(r.Right, m_clip.Right);
        r.Bottom = std::min(r.Bottom, m_clip.Bottom);
        if (r.Right < r.Left) r.Right = r.Left;
        if (r.Bottom < r.Top) r.Bottom = r.Top;
    }
    return r;
}

void TCanvas::Plot(int x, int y, QRgb rgb, TPenMode mode)
{
    const TRect b = Bounds();
    if (x < b.Left || x >= b.Right || y < b.Top || y >= b.Bottom) return;
    QRgb* line = reinterpret_cast<QRgb*>(m_image->scanLine(y));
    line[x] = Combine(line[x], rgb, mode);
}

void TCanvas::Span(std::int64_t y, std::int64_t xa, std::int64_t xb, QRgb rgb, TPenMode mode)
{
    const TRect b = Bounds();
    if (y < b.Top || y >= b.Bottom) return;
    xa = std::max<i64>(xa, b.Left);
    xb = std::min<i64>(xb, b.Right - 1);
    if (xa > xb) return;
    FillRow(reinterpret_cast<QRgb*>(m_image->scanLine(int(y))) + xa, xb - xa + 1, rgb, mode);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    EnsureImage();
    if (MirrorScope mirror(*this); mirror.Active()) mirror.FillRect(QRectF(x, y, 1, 1), ToQColor(color));
    Plot(x, y, ToQRgb(color), pmCopy);
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_image->width() || y >= m_image->height()) return clInvalidPixel;
    return FromQRgb(m_image->pixel(x, y));
}

// Bresenham's line from (x1, y1) towards (x2, y2); the end pixel is not painted. Only the steps
// inside the clip rectangle are visited. Styled pens advance their pattern by one per pixel
// stepped, visible or not, continuing across the segments of a path.
void TCanvas::RasterLine(int x1, int y1, int x2, int y2)
{
    const DashPattern* pattern = PatternOf(m_pen.Style());
    const QRgb rgb = ToQRgb(m_pen.Color());
    const TPenMode mode = m_pen.Mode();
    const TRect b = Bounds();
    uchar* bits = b.IsEmpty() ? nullptr : m_image->bits();
    const qsizetype bpl = m_image->bytesPerLine();
    const i64 start = m_patternPos;
    const i64 steps = StepLine(x1, y1, x2, y2, b, [&](int x, int y, i64 k) {
        if (pattern && !PatternOn(*pattern, start + k)) return;
        QRgb* px = reinterpret_cast<QRgb*>(bits + y * bpl) + x;
        *px = Combine(*px, rgb, mode);
    });
    m_patternPos = (start + steps % kPatternPeriod) % kPatternPeriod;
}

// A solid line wider than one pixel, centred on the pixel centres, with round ends. A line that
// reaches far outside the clip rectangle is first cut to the rectangle grown by the pen width, so
// the painter only sees moderate coordinates (the cut ends lie where nothing is visible).
void TCanvas::WideLine(int x1, int y1, int x2, int y2)
{
    const TRect b = Bounds();
    if (b.IsEmpty()) return;
    QPointF p(x1 + 0.5, y1 + 0.5), q(x2 + 0.5, y2 + 0.5);
    const double reach = m_pen.Width() + 2.0, far = reach + 4096.0;
    auto outside = [&](const QPointF& v) {
        return v.x() < b.Left - far || v.x() > b.Right + far || v.y() < b.Top - far || v.y() > b.Bottom + far;
    };
    if ((outside(p) || outside(q)) &&
        !ClipSegment(p, q, b.Left - reach, b.Top - reach, b.Right + reach, b.Bottom + reach))
        return;
    QPainter painter(m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(QRect(b.Left, b.Top, b.Width(), b.Height()));
    if (m_pen.Mode() == pmXor) painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (m_pen.Mode() == pmNotXor) painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setPen(QPen(ToQColor(m_pen.Color()), m_pen.Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(p, q);
}

void TCanvas::Line(int x1, int y1, int x2, int y2)
{
    if (m_pen.Style() == psClear) return;
    EnsureImage();
    if (MirrorScope mirror(*this); mirror.Active())
        mirror.DrawLine(MirrorScope::Centre(x1, y1), MirrorScope::Centre(x2, y2));
    if (m_pen.Width() > 1)
        WideLine(x1, y1, x2, y2);
    else
        RasterLine(x1, y1, x2, y2);
}

void TCanvas::MoveTo(int x, int y)
{
    m_penPos = {x, y};
    m_patternPos = 0;
}

void TCanvas::LineTo(int x, int y)
{
    Line(m_penPos.X, m_penPos.Y, x, y);
    m_penPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.empty()) return;
    MoveTo(points.front().X, points.front().Y);
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

// The polygon is rendered into a mask first (fill 1, outline 2) so that in an exclusive-or mode
// every covered pixel is combined exactly once. The mask covers only the visible part of the
// figure; a polygon reaching far beyond it is cut to the mask grown by the pen width first.
void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.empty()) return;
    EnsureImage();
    MirrorScope mirror(*this);
    if (mirror.Active()) {
        QPolygonF poly;
        for (const TPoint& p : points) poly << MirrorScope::Centre(p.X, p.Y);
        mirror.DrawPolygon(poly);
    }
    const TRect vis = Bounds();
    if (vis.IsEmpty()) return;
    i64 left = points[0].X, right = left, top = points[0].Y, bottom = top;
    for (const TPoint& p : points) {
        left = std::min<i64>(left, p.X); right = std::max<i64>(right, p.X);
        top = std::min<i64>(top, p.Y); bottom = std::max<i64>(bottom, p.Y);
    }
    const int margin = m_pen.Width();
    left -= margin; top -= margin; right += margin; bottom += margin;
    const i64 ml = std::max<i64>(left, vis.Left), mt = std::max<i64>(top, vis.Top);
    const i64 mr = std::min<i64>(right, vis.Right - 1), mb = std::min<i64>(bottom, vis.Bottom - 1);
    if (ml > mr || mt > mb) return;
    QImage mask(int(mr - ml + 1), int(mb - mt + 1), QImage::Format_Grayscale8);
    mask.fill(0);
    constexpr int kFill = 1, kOutline = 2;
    QPolygonF poly;
    for (const TPoint& p : points) poly << QPointF(double(p.X - ml) + 0.5, double(p.Y - mt) + 0.5);
    const double reach = margin + 2.0;
    const double x0 = -reach, y0 = -reach, x1 = mask.width() + reach, y1 = mask.height() + reach;
    for (const QPointF& p : poly)
        if (p.x() < x0 || p.x() > x1 || p.y() < y0 || p.y() > y1) {
            poly = ClipPolygon(poly, x0, y0, x1, y1);
            break;
        }
    const bool outlined = m_pen.Style() != psClear;
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        if (m_brush.Style() == bsSolid && !poly.isEmpty()) {
            painter.setBrush(QColor(kFill, kFill, kFill));
            painter.drawPolygon(poly, Qt::OddEvenFill);
        }
        if (outlined && m_pen.Width() > 1 && !poly.isEmpty()) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(kOutline, kOutline, kOutline), m_pen.Width(), Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolygon(poly);
        }
    }
    if (outlined && m_pen.Width() == 1) {
        const DashPattern* pattern = PatternOf(m_pen.Style());
        const TRect maskRect{int(ml), int(mt), int(mr + 1), int(mb + 1)};
        i64 pos = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TPoint a = points[i], b = points[(i + 1) % points.size()];
            // the next edge paints b
            pos += StepLine(a.X, a.Y, b.X, b.Y, maskRect, [&](int x, int y, i64 k) {
                if (!pattern || PatternOn(*pattern, pos + k)) mask.scanLine(int(y - mt))[x - ml] = kOutline;
            });
            pos %= kPatternPeriod;
        }
        const TPoint p = points[0];
        if (points.size() == 1 && p.X >= ml && p.X <= mr && p.Y >= mt && p.Y <= mb)
            mask.scanLine(int(p.Y - mt))[p.X - ml] = kOutline;
    }
    const QRgb penRgb = ToQRgb(m_pen.Color()), brushRgb = ToQRgb(m_brush.Color());
    const TPenMode mode = m_pen.Mode();
    for (int row = 0; row < mask.height(); ++row) {
        const uchar* m = mask.constScanLine(row);
        QRgb* d = reinterpret_cast<QRgb*>(m_image->scanLine(int(row + mt))) + ml;
        for (int col = 0; col < mask.width(); ++col) {
            if (m[col] == kOutline) d[col] = Combine(d[col], penRgb, mode);
            else if (m[col] == kFill) d[col] = Combine(d[col], brushRgb, mode);
        }
    }
}

// The outline is a band of pen pixels: with psInsideFrame or width 1 inside the rectangle,
// otherwise centred on its edge pixels. The brush fills what lies inside the band. Only the
// visible rows are visited.
void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    EnsureImage();
    const TRect n = Normalised(x1, y1, x2, y2);
    if (n.IsEmpty()) return;
    MirrorScope mirror(*this);
    if (mirror.Active()) {
        if (m_pen.Style() == psClear)
            mirror.FillRect(QRectF(n.Left, n.Top, n.Width(), n.Height()), mirror.Painter().brush());
        else
            mirror.DrawRect(MirrorScope::Outline(n));
    }
    i64 L = n.Left, T = n.Top, R = n.Right, B = n.Bottom;
    const bool outlined = m_pen.Style() != psClear;
    const int w = outlined ? m_pen.Width() : 0;
    if (w > 1 && m_pen.Style() != psInsideFrame) {
        L -= (w - 1) / 2; T -= (w - 1) / 2;
        R += w / 2; B += w / 2;
    }
    const i64 iL = L + w, iT = T + w, iR = R - w, iB = B - w;
    const bool innerEmpty = iR <= iL || iB <= iT;
    const QRgb penRgb = ToQRgb(m_pen.Color()), brushRgb = ToQRgb(m_brush.Color());
    const TPenMode mode = m_pen.Mode();
    const TRect vis = Bounds();
    const i64 rowLo = std::max<i64>(T, vis.Top), rowHi = std::min<i64>(B, vis.Bottom);
    const DashPattern* pattern = w == 1 ? PatternOf(m_pen.Style()) : nullptr;
    if (pattern) {
        // A styled outline runs clockwise from the top-left corner, one pattern along the ring.
        if (m_brush.Style() == bsSolid)
            for (i64 y = std::max(iT, rowLo); y < std::min(iB, rowHi); ++y) Span(y, iL, iR - 1, brushRgb, mode);
        const TPoint pos = m_penPos;
        MoveTo(n.Left, n.Top);
        if (R - L == 1 || B - T == 1) {
            // a single row or column: the pattern position is the distance from the corner
            const bool column = R - L == 1;
            const i64 lo = column ? rowLo : std::max<i64>(L, vis.Left);
            const i64 hi = column ? rowHi : std::min<i64>(R, vis.Right);
            for (i64 t = lo; t < hi; ++t)
                if (PatternOn(*pattern, t - (column ? T : L)))
                    Plot(int(column ? L : t), int(column ? t : T), penRgb, mode);
            m_patternPos = ((R - L) * (B - T)) % kPatternPeriod;
        } else {
            LineTo(n.Right - 1, n.Top);
            LineTo(n.Right - 1, n.Bottom - 1);
            LineTo(n.Left, n.Bottom - 1);
            LineTo(n.Left, n.Top);
        }
        m_penPos = pos;
        return;
    }
    for (i64 y = rowLo; y < rowHi; ++y) {
        const bool bandRow = y < iT || y >= iB || innerEmpty;
        if (bandRow) {
            if (outlined) Span(y, L, R - 1, penRgb, mode);
            else if (m_brush.Style() == bsSolid) Span(y, L, R - 1, brushRgb, mode);
            continue;
        }
        if (w > 0) {
            Span(y, L, iL - 1, penRgb, mode);
            Span(y, iR, R - 1, penRgb, mode);
        }
        if (m_brush.Style() == bsSolid) Span(y, iL, iR - 1, brushRgb, mode);
    }
}

void TCanvas::FillRect(const TRect& rect)
{
    if (m_brush.Style() != bsSolid) return;
    EnsureImage();
    const TRect r = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    if (MirrorScope mirror(*this); mirror.Active())
        mirror.FillRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), ToQColor(m_brush.Color()));
    const TRect b = Bounds();
    const int xa = std::max(r.Left, b.Left), xb = std::min(r.Right, b.Right);
    if (xa >= xb) return;
    const QRgb rgb = ToQRgb(m_brush.Color());
    for (int y = std::max(r.Top, b.Top); y < std::min(r.Bottom, b.Bottom); ++y)
        FillRow(reinterpret_cast<QRgb*>(m_image->scanLine(y)) + xa, xb - xa, rgb, pmCopy);
}

void TCanvas::FrameRect(const TRect& rect)
{
    EnsureImage();
    const TRect r = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    if (r.IsEmpty()) return;
    if (MirrorScope mirror(*this); mirror.Active()) {
        QPen pen(ToQColor(m_brush.Color()), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(m_mirrorHairlines);
        mirror.Painter().setPen(pen);
        mirror.Painter().setBrush(Qt::NoBrush);
        mirror.DrawRect(MirrorScope::Outline(r));
    }
    const QRgb rgb = ToQRgb(m_brush.Color());
    const i64 L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    Span(T, L, R - 1, rgb, pmCopy);
    if (B - T > 1) Span(B - 1, L, R - 1, rgb, pmCopy);
    const TRect b = Bounds();
    for (i64 y = std::max<i64>(T + 1, b.Top); y < std::min<i64>(B - 1, b.Bottom); ++y) {
        Span(y, L, L, rgb, pmCopy);
        if (R - L > 1) Span(y, R - 1, R - 1, rgb, pmCopy);
    }
}

// The ellipse's pixels are those of EllipseShape; the pen's band is what lies inside that but
// outside the ellipse shrunk by the pen width (a centred wide pen first grows the box by half
// its width). Only the visible rows are visited.
void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    EnsureImage();
    const TRect n = Normalised(x1, y1, x2, y2);
    if (n.IsEmpty()) return;
    if (MirrorScope mirror(*this); mirror.Active()) mirror.DrawEllipse(MirrorScope::Outline(n));
    i64 L = n.Left, T = n.Top, R = n.Right, B = n.Bottom;
    const bool outlined = m_pen.Style() != psClear;
    const int w = outlined ? m_pen.Width() : 0;
    if (w > 1 && m_pen.Style() != psInsideFrame) {
        L -= (w - 1) / 2; T -= (w - 1) / 2;
        R += w / 2; B += w / 2;
    }
    const EllipseShape shape(R - L, B - T);
    const QRgb penRgb = ToQRgb(m_pen.Color()), brushRgb = ToQRgb(m_brush.Color());
    const TPenMode mode = m_pen.Mode();
    const bool solid = m_brush.Style() == bsSolid;
    const DashPattern* pattern = w == 1 ? PatternOf(m_pen.Style()) : nullptr;
    const TRect vis = Bounds();
    auto band = [&](i64 y, i64 xa, i64 xb) {
        if (!pattern) {
            Span(y, xa, xb, penRgb, mode);
            return;
        }
        for (i64 x = std::max<i64>(xa, vis.Left); x <= std::min<i64>(xb, vis.Right - 1); ++x)
            if (PatternOn(*pattern, x + y)) Plot(int(x), int(y), penRgb, mode);
    };
    for (i64 y = std::max<i64>(T, vis.Top); y < std::min<i64>(B, vis.Bottom); ++y) {
        i64 oa, ob;
        if (!shape.Row(y - T, oa, ob)) continue;
        if (w == 0) {
            if (solid) Span(y, L + oa, L + ob, brushRgb, mode);
            continue;
        }
        i64 ia, ib;
        const bool inner = shape.Inner(w, y - T, ia, ib);
        if (solid && inner) Span(y, L + ia, L + ib, brushRgb, mode);
        band(y, L + oa, L + (inner ? ia - 1 : ob));
        if (inner) band(y, L + ib + 1, L + ob);
    }
}

// Qt fonts and their metrics are costly to set up, so one process-wide table keeps them for the
// fonts in use (the program has a handful); the oldest entry goes when the table is full.
const TCanvas::FontCache& TCanvas::Fonts() const
{
    constexpr std::size_t kMaxFonts = 64;
    static std::deque<FontCache> table;
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (it->font.SameAs(m_font)) return *it;
    if (table.size() == kMaxFonts) table.pop_front();
    FontCache& entry = table.emplace_back();
    entry.font.Assign(m_font);
    entry.qfont = m_font.ToQFont();
    entry.metrics = QFontMetrics(entry.qfont);
    return entry;
}

int TCanvas::TextWidth(const std::string& text) const
{
    return Fonts().metrics.horizontalAdvance(QString::fromUtf8(text.data(), int(text.size())));
}

int TCanvas::TextHeight(const std::string&) const
{
    const QFontMetrics& m = Fonts().metrics;
    return m.ascent() + m.descent();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    DrawText(Bounds(), x, y, text, false);
    m_penPos = {int(std::clamp<i64>(i64(x) + TextWidth(text), INT_MIN, INT_MAX)), y};
}

void TCanvas::TextRect(const TRect& clip, int x, int y, const std::string& text)
{
    DrawText(clip, x, y, text, true);
}

// Text clipped to `clip`, in the font colour whatever the pen mode. A solid brush first fills the
// clip rectangle (fillClip) or the text's box. Text whose box lies well outside the clip is not
// handed to the painter at all.
void TCanvas::DrawText(const TRect& clip, int x, int y, const std::string& text, bool fillClip)
{
    EnsureImage();
    const FontCache& fonts = Fonts();
    const QString s = QString::fromUtf8(text.data(), int(text.size()));
    TRect r = Normalised(clip.Left, clip.Top, clip.Right, clip.Bottom);
    const TRect b = Bounds();
    r.Left = std::max(r.Left, b.Left); r.Top = std::max(r.Top, b.Top);
    r.Right = std::min(r.Right, b.Right); r.Bottom = std::min(r.Bottom, b.Bottom);
    if (r.IsEmpty()) return;
    const i64 advance = fonts.metrics.horizontalAdvance(s);
    const i64 height = fonts.metrics.ascent() + fonts.metrics.descent();
    if (MirrorScope mirror(*this); mirror.Active()) {
        mirror.SetClip(QRectF(r.Left, r.Top, r.Width(), r.Height()));
        const QRectF box(x, y, double(advance), double(height));
        if (m_brush.Style() == bsSolid)
            mirror.FillRect(fillClip ? QRectF(r.Left, r.Top, r.Width(), r.Height()) : box, ToQColor(m_brush.Color()));
        mirror.DrawText(QPointF(x, y + fonts.metrics.ascent()), box, s, fonts.qfont, ToQColor(m_font.Color()));
    }
    if (m_brush.Style() == bsSolid) {
        const i64 bl = fillClip ? r.Left : x, bt = fillClip ? r.Top : y;
        const i64 br = fillClip ? r.Right : x + advance, bb = fillClip ? r.Bottom : y + height;
        const QRgb rgb = ToQRgb(m_brush.Color());
        for (i64 row = std::max<i64>(bt, r.Top); row < std::min<i64>(bb, r.Bottom); ++row)
            Span(row, std::max<i64>(bl, r.Left), std::min<i64>(br, r.Right) - 1, rgb, pmCopy);
    }
    if (s.isEmpty()) return;
    // glyphs may overhang their box a little (italics, accents)
    const i64 slack = height + 8;
    if (i64(x) + advance + slack <= r.Left || i64(x) - slack >= r.Right || i64(y) + height + slack <= r.Top ||
        i64(y) - slack >= r.Bottom)
        return;
    QPainter painter(m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()));
    painter.setFont(fonts.qfont);
    painter.setPen(ToQColor(m_font.Color()));
    painter.drawText(QPoint(x, y + fonts.metrics.ascent()), s);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) { Draw(x, y, bitmap.Image()); }

void TCanvas::MirrorOnly(int x, int y, const QImage& image)
{
    if (image.isNull()) return;
    if (MirrorScope mirror(*this); mirror.Active()) mirror.DrawImage(QRectF(x, y, image.width(), image.height()), image);
}

// Copies row by row; only the visible part of the image is touched.
void TCanvas::Draw(int x, int y, const QImage& image)
{
    if (image.isNull()) return;
    EnsureImage();
    if (MirrorScope mirror(*this); mirror.Active()) mirror.DrawImage(QRectF(x, y, image.width(), image.height()), image);
    const QImage src = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    const TRect b = Bounds();
    const i64 xa = std::max<i64>(x, b.Left), xb = std::min<i64>(i64(x) + src.width(), b.Right);
    const i64 ya = std::max<i64>(y, b.Top), yb = std::min<i64>(i64(y) + src.height(), b.Bottom);
    if (xa >= xb) return;
    const i64 n = xb - xa;
    for (i64 row = ya; row < yb; ++row) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(int(row - y))) + (xa - x);
        QRgb* d = reinterpret_cast<QRgb*>(m_image->scanLine(int(row))) + xa;
        cpu::CopyPixels(d, s, n, kOpaque, m_copyMode == cmSrcAnd);
    }
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) { StretchDraw(rect, bitmap.Image()); }

// Nearest-neighbour scaling. A rectangle of more than kMaxScaledPixels is sampled only where it
// is visible, so a huge rectangle never builds a huge image.
void TCanvas::StretchDraw(const TRect& rect, const QImage& image)
{
    constexpr i64 kMaxScaledPixels = i64(1) << 22;
    const TRect r = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    if (image.isNull() || r.IsEmpty()) return;
    if (MirrorScope mirror(*this); mirror.Active())
        mirror.DrawImage(QRectF(r.Left, r.Top, r.Width(), r.Height()), image);
    const i64 rw = i64(r.Right) - r.Left, rh = i64(r.Bottom) - r.Top;
    if (rw == image.width() && rh == image.height()) {
        Draw(r.Left, r.Top, image);
        return;
    }
    if (rw <= kMaxScaledPixels && rh <= kMaxScaledPixels && rw * rh <= kMaxScaledPixels) {
        Draw(r.Left, r.Top, image.scaled(int(rw), int(rh), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        return;
    }
    EnsureImage();
    const TRect b = Bounds();
    const i64 xa = std::max<i64>(r.Left, b.Left), xb = std::min<i64>(r.Right, b.Right);
    const i64 ya = std::max<i64>(r.Top, b.Top), yb = std::min<i64>(r.Bottom, b.Bottom);
    if (xa >= xb || ya >= yb) return;
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    QImage part(int(xb - xa), int(yb - ya), QImage::Format_RGB32);
    for (i64 row = ya; row < yb; ++row) {
        const i64 sy = ((row - r.Top) * 2 + 1) * src.height() / (2 * rh);
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(int(sy)));
        QRgb* d = reinterpret_cast<QRgb*>(part.scanLine(int(row - ya)));
        for (i64 col = xa; col < xb; ++col) d[col - xa] = s[((col - r.Left) * 2 + 1) * src.width() / (2 * rw)];
    }
    Draw(int(xa), int(ya), part);
}

TBitmap::TBitmap() : m_canvas(std::make_unique<TCanvas>(&m_image)) {}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == 0 || height == 0) {
        m_image = QImage();
        return;
    }
    if (width == m_image.width() && height == m_image.height()) return;
    m_image = QImage(width, height, QImage::Format_RGB32);
    m_image.fill(0xFFFFFFFFu);
}

bool TBitmap::LoadFromFile(const std::string& path)
{
    QImage loaded(QString::fromStdString(path));
    if (loaded.isNull()) return false;
    m_image = loaded.convertToFormat(QImage::Format_RGB32);
    return true;
}
