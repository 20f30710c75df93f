// Canvas rasterisation. Lines of width 1 and styled lines use Bresenham's algorithm on the
// image's pixels; rectangles and ellipses are filled span by span; only polygon fills, wide
// lines and text go through QPainter (without antialiasing). Every pixel write goes through
// Plot or Span, which apply the clip rectangle and the pen mode.
#include "platform/canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <deque>

#include "platform/colors.h"

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

// True when position `pos` of the repeating pattern is a painted pixel.
bool PatternOn(const DashPattern& p, int pos)
{
    pos %= PatternLength(p);
    for (int i = 0; i < p.count; ++i) {
        if (pos < p.runs[i]) return i % 2 == 0;
        pos -= p.runs[i];
    }
    return false;
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

// Horizontal extent, pixels xa..xb, of an ellipse row. The ellipse has centre (cx, cy) and
// semi-axes a, b in continuous coordinates where pixel i covers [i, i + 1); a pixel belongs to
// it when its centre lies inside. kEdgeSlack keeps centres that lie exactly on the curve inside
// despite rounding in the square root.
constexpr double kEdgeSlack = 1e-9;

bool EllipseRow(double cx, double cy, double a, double b, int y, int& xa, int& xb)
{
    if (a <= 0.0 || b <= 0.0) return false;
    const double dy = (y + 0.5 - cy) / b;
    const double rest = 1.0 - dy * dy;
    if (rest < -kEdgeSlack) return false;
    const double half = a * std::sqrt(std::max(rest, 0.0)) + kEdgeSlack;
    xa = int(std::ceil(cx - half - 0.5));
    xb = int(std::floor(cx + half - 0.5));
    return xa <= xb;
}

}  // namespace

struct TCanvas::FontCache {
    TFont font;
    QFont qfont;
    QFontMetrics metrics{QFont()};
};

TCanvas::TCanvas(QImage* image) : m_image(image) {}

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

void TCanvas::Span(int y, int xa, int xb, QRgb rgb, TPenMode mode)
{
    const TRect b = Bounds();
    if (y < b.Top || y >= b.Bottom) return;
    xa = std::max(xa, b.Left);
    xb = std::min(xb, b.Right - 1);
    if (xa > xb) return;
    QRgb* line = reinterpret_cast<QRgb*>(m_image->scanLine(y));
    for (int x = xa; x <= xb; ++x) line[x] = Combine(line[x], rgb, mode);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    EnsureImage();
    Plot(x, y, ToQRgb(color), pmCopy);
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_image->width() || y >= m_image->height()) return clInvalidPixel;
    return FromQRgb(m_image->pixel(x, y));
}

// Bresenham's line from (x1, y1) towards (x2, y2); the end pixel is not painted. Styled pens
// advance their pattern by one per pixel stepped, continuing across the segments of a path.
void TCanvas::RasterLine(int x1, int y1, int x2, int y2)
{
    const DashPattern* pattern = PatternOf(m_pen.Style());
    const QRgb rgb = ToQRgb(m_pen.Color());
    const TPenMode mode = m_pen.Mode();
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        if (!pattern || PatternOn(*pattern, m_patternPos)) Plot(x, y, rgb, mode);
        ++m_patternPos;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

// A solid line wider than one pixel, centred on the pixel centres, with round ends.
void TCanvas::WideLine(int x1, int y1, int x2, int y2)
{
    QPainter painter(m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const TRect b = Bounds();
    painter.setClipRect(QRect(b.Left, b.Top, b.Width(), b.Height()));
    if (m_pen.Mode() == pmXor) painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (m_pen.Mode() == pmNotXor) painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setPen(QPen(ToQColor(m_pen.Color()), m_pen.Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
}

void TCanvas::Line(int x1, int y1, int x2, int y2)
{
    if (m_pen.Style() == psClear) return;
    EnsureImage();
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
// every covered pixel is combined exactly once.
void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.empty()) return;
    EnsureImage();
    int left = points[0].X, right = left, top = points[0].Y, bottom = top;
    for (const TPoint& p : points) {
        left = std::min(left, p.X); right = std::max(right, p.X);
        top = std::min(top, p.Y); bottom = std::max(bottom, p.Y);
    }
    const int margin = m_pen.Width();
    left -= margin; top -= margin; right += margin; bottom += margin;
    QImage mask(right - left + 1, bottom - top + 1, QImage::Format_Grayscale8);
    mask.fill(0);
    constexpr int kFill = 1, kOutline = 2;
    QPolygonF poly;
    for (const TPoint& p : points) poly << QPointF(p.X - left + 0.5, p.Y - top + 0.5);
    const bool outlined = m_pen.Style() != psClear;
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        if (m_brush.Style() == bsSolid) {
            painter.setBrush(QColor(kFill, kFill, kFill));
            painter.drawPolygon(poly, Qt::OddEvenFill);
        }
        if (outlined && m_pen.Width() > 1) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(kOutline, kOutline, kOutline), m_pen.Width(), Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolygon(poly);
        }
    }
    if (outlined && m_pen.Width() == 1) {
        const DashPattern* pattern = PatternOf(m_pen.Style());
        int pos = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TPoint a = points[i], b = points[(i + 1) % points.size()];
            const int dx = std::abs(b.X - a.X), sx = a.X < b.X ? 1 : -1;
            const int dy = -std::abs(b.Y - a.Y), sy = a.Y < b.Y ? 1 : -1;
            int err = dx + dy, x = a.X, y = a.Y;
            while (x != b.X || y != b.Y) {  // the next edge paints b
                if (!pattern || PatternOn(*pattern, pos)) mask.scanLine(y - top)[x - left] = kOutline;
                ++pos;
                const int e2 = 2 * err;
                if (e2 >= dy) { err += dy; x += sx; }
                if (e2 <= dx) { err += dx; y += sy; }
            }
            if (points.size() == 1 && (!pattern || PatternOn(*pattern, 0)))
                mask.scanLine(y - top)[x - left] = kOutline;
        }
    }
    const QRgb penRgb = ToQRgb(m_pen.Color()), brushRgb = ToQRgb(m_brush.Color());
    for (int row = 0; row < mask.height(); ++row) {
        const uchar* m = mask.constScanLine(row);
        for (int col = 0; col < mask.width(); ++col) {
            if (m[col] == kOutline) Plot(col + left, row + top, penRgb, m_pen.Mode());
            else if (m[col] == kFill) Plot(col + left, row + top, brushRgb, m_pen.Mode());
        }
    }
}

// The outline is a band of pen pixels: with psInsideFrame or width 1 inside the rectangle,
// otherwise centred on its edge pixels. The brush fills what lies inside the band.
void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    EnsureImage();
    TRect outer = Normalised(x1, y1, x2, y2);
    if (outer.IsEmpty()) return;
    const bool outlined = m_pen.Style() != psClear;
    const int w = outlined ? m_pen.Width() : 0;
    if (w > 1 && m_pen.Style() != psInsideFrame) {
        outer.Left -= (w - 1) / 2; outer.Top -= (w - 1) / 2;
        outer.Right += w / 2; outer.Bottom += w / 2;
    }
    const TRect inner{outer.Left + w, outer.Top + w, outer.Right - w, outer.Bottom - w};
    const QRgb penRgb = ToQRgb(m_pen.Color()), brushRgb = ToQRgb(m_brush.Color());
    const TPenMode mode = m_pen.Mode();
    const DashPattern* pattern = w == 1 ? PatternOf(m_pen.Style()) : nullptr;
    if (pattern) {
        // A styled outline runs clockwise from the top-left corner, one pattern along the ring.
        if (m_brush.Style() == bsSolid)
            for (int y = inner.Top; y < inner.Bottom; ++y) Span(y, inner.Left, inner.Right - 1, brushRgb, mode);
        std::vector<TPoint> ring{{outer.Left, outer.Top}, {outer.Right - 1, outer.Top},
                                 {outer.Right - 1, outer.Bottom - 1}, {outer.Left, outer.Bottom - 1}};
        const TPoint pos = m_penPos;
        MoveTo(ring[0].X, ring[0].Y);
        if (outer.Width() == 1 || outer.Height() == 1) {
            for (int y = outer.Top; y < outer.Bottom; ++y)
                for (int x = outer.Left; x < outer.Right; ++x, ++m_patternPos)
                    if (PatternOn(*pattern, m_patternPos)) Plot(x, y, penRgb, mode);
        } else {
            for (int i = 1; i <= 4; ++i) LineTo(ring[i % 4].X, ring[i % 4].Y);
        }
        m_penPos = pos;
        return;
    }
    for (int y = outer.Top; y < outer.Bottom; ++y) {
        const bool bandRow = y < inner.Top || y >= inner.Bottom || inner.IsEmpty();
        if (bandRow) {
            if (outlined) Span(y, outer.Left, outer.Right - 1, penRgb, mode);
            else if (m_brush.Style() == bsSolid) Span(y, outer.Left, outer.Right - 1, brushRgb, mode);
            continue;
        }
        if (w > 0) {
            Span(y, outer.Left, inner.Left - 1, penRgb, mode);
            Span(y, inner.Right, outer.Right - 1, penRgb, mode);
        }
        if (m_brush.Style() == bsSolid) Span(y, inner.Left, inner.Right - 1, brushRgb, mode);
    }
}

void TCanvas::FillRect(const TRect& rect)
{
    if (m_brush.Style() != bsSolid) return;
    EnsureImage();
    const TRect r = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    const QRgb rgb = ToQRgb(m_brush.Color());
    for (int y = r.Top; y < r.Bottom; ++y) Span(y, r.Left, r.Right - 1, rgb, pmCopy);
}

void TCanvas::FrameRect(const TRect& rect)
{
    EnsureImage();
    const TRect r = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    if (r.IsEmpty()) return;
    const QRgb rgb = ToQRgb(m_brush.Color());
    Span(r.Top, r.Left, r.Right - 1, rgb, pmCopy);
    if (r.Height() > 1) Span(r.Bottom - 1, r.Left, r.Right - 1, rgb, pmCopy);
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        Plot(r.Left, y, rgb, pmCopy);
        if (r.Width() > 1) Plot(r.Right - 1, y, rgb, pmCopy);
    }
}

// A pixel belongs to the ellipse when its centre lies inside the ellipse inscribed in the
// rectangle; the pen's band is what lies inside that but outside the ellipse shrunk by the pen
// width (a centred wide pen first grows the outer ellipse by half its width).
void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    EnsureImage();
    TRect box = Normalised(x1, y1, x2, y2);
    if (box.IsEmpty()) return;
    const bool outlined = m_pen.Style() != psClear;
    const int w = outlined ? m_pen.Width() : 0;
    if (w > 1 && m_pen.Style() != psInsideFrame) {
        box.Left -= (w - 1) / 2; box.Top -= (w - 1) / 2;
        box.Right += w / 2; box.Bottom += w / 2;
    }
    const double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
    const double a = box.Width() / 2.0, b = box.Height() / 2.0;
    const QRgb penRgb = ToQRgb(m_pen.Color()), brushRgb = ToQRgb(m_brush.Color());
    const TPenMode mode = m_pen.Mode();
    const DashPattern* pattern = w == 1 ? PatternOf(m_pen.Style()) : nullptr;
    for (int y = box.Top; y < box.Bottom; ++y) {
        int oa, ob;
        if (!EllipseRow(cx, cy, a, b, y, oa, ob)) continue;
        int ia = ob + 1, ib = ob;  // empty inner span
        if (!EllipseRow(cx, cy, a - w, b - w, y, ia, ib)) { ia = ob + 1; ib = ob; }
        if (m_brush.Style() == bsSolid && ia <= ib) Span(y, ia, ib, brushRgb, mode);
        if (w == 0) {
            if (m_brush.Style() == bsSolid) {
                Span(y, oa, ia - 1, brushRgb, mode);
                if (ia <= ib) Span(y, ib + 1, ob, brushRgb, mode);
            }
            continue;
        }
        const int leftEnd = ia <= ib ? ia - 1 : ob;
        for (int x = oa; x <= leftEnd; ++x)
            if (!pattern || PatternOn(*pattern, x + y)) Plot(x, y, penRgb, mode);
        if (ia <= ib)
            for (int x = ib + 1; x <= ob; ++x)
                if (!pattern || PatternOn(*pattern, x + y)) Plot(x, y, penRgb, mode);
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
    m_penPos = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& clip, int x, int y, const std::string& text)
{
    DrawText(clip, x, y, text, true);
}

// Text clipped to `clip`, in the font colour whatever the pen mode. A solid brush first fills the
// clip rectangle (fillClip) or the text's box.
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
    if (m_brush.Style() == bsSolid) {
        const TRect box = fillClip ? r
                                   : TRect{x, y, x + fonts.metrics.horizontalAdvance(s),
                                           y + fonts.metrics.ascent() + fonts.metrics.descent()};
        const QRgb rgb = ToQRgb(m_brush.Color());
        for (int row = std::max(box.Top, r.Top); row < std::min(box.Bottom, r.Bottom); ++row)
            Span(row, std::max(box.Left, r.Left), std::min(box.Right, r.Right) - 1, rgb, pmCopy);
    }
    if (s.isEmpty()) return;
    QPainter painter(m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()));
    painter.setFont(fonts.qfont);
    painter.setPen(ToQColor(m_font.Color()));
    painter.drawText(QPoint(x, y + fonts.metrics.ascent()), s);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) { Draw(x, y, bitmap.Image()); }

void TCanvas::Draw(int x, int y, const QImage& image)
{
    if (image.isNull()) return;
    EnsureImage();
    const QImage src = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    const TRect b = Bounds();
    const int xa = std::max(x, b.Left), xb = std::min(x + src.width(), b.Right);
    const int ya = std::max(y, b.Top), yb = std::min(y + src.height(), b.Bottom);
    if (xa >= xb) return;
    for (int row = ya; row < yb; ++row) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(row - y)) + (xa - x);
        QRgb* d = reinterpret_cast<QRgb*>(m_image->scanLine(row)) + xa;
        if (m_copyMode == cmSrcAnd) {
            for (int i = 0; i < xb - xa; ++i) d[i] = (d[i] & s[i]) | kOpaque;
        } else {
            for (int i = 0; i < xb - xa; ++i) d[i] = s[i] | kOpaque;
        }
    }
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) { StretchDraw(rect, bitmap.Image()); }

void TCanvas::StretchDraw(const TRect& rect, const QImage& image)
{
    const TRect r = Normalised(rect.Left, rect.Top, rect.Right, rect.Bottom);
    if (image.isNull() || r.IsEmpty()) return;
    if (r.Width() == image.width() && r.Height() == image.height()) {
        Draw(r.Left, r.Top, image);
        return;
    }
    Draw(r.Left, r.Top, image.scaled(r.Width(), r.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
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
