// Rasterisation against reference rules: clipped lines step exactly like the whole line, row-wise
// fills and copies match pixel-by-pixel ones, ellipses of every box size keep their shape
// properties, and figures reaching to the ends of the int range cost only their visible pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <climits>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "platform/canvas.h"
#include "platform/colors.h"
#include "testsupport/testsupport.h"

using testsupport::CountPixels;
using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000;

void FillPattern(QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb((x * 37 + y) & 255, (y * 53 + x * 3) & 255, (x * y) & 255));
}

QRgb Combined(QRgb dst, QRgb src, TPenMode mode)
{
    switch (mode) {
    case pmXor: return ((dst ^ src) & 0xFFFFFF) | 0xFF000000;
    case pmNotXor: return (~(dst ^ src) & 0xFFFFFF) | 0xFF000000;
    default: return src | 0xFF000000;
    }
}

// The run lengths of the styled pens, painted runs first.
std::vector<int> Runs(TPenStyle style)
{
    switch (style) {
    case psDash: return {6, 2};
    case psDot: return {1, 1};
    case psDashDot: return {6, 2, 1, 2};
    case psDashDotDot: return {6, 2, 1, 2, 1, 2};
    default: return {};
    }
}

bool RunsOn(const std::vector<int>& runs, long long pos)
{
    if (runs.empty()) return true;
    int period = 0;
    for (int r : runs) period += r;
    int rest = int(pos % period);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (rest < runs[i]) return i % 2 == 0;
        rest -= runs[i];
    }
    return false;
}

// The plain Bresenham path, stepping every pixel of the whole line, with a per-pixel clip test.
void ReferencePath(QImage& img, const QRect& clip, const std::vector<QPoint>& path, TPenStyle style, QRgb rgb,
                   TPenMode mode)
{
    const std::vector<int> runs = Runs(style);
    long long pos = 0;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const int x1 = path[i - 1].x(), y1 = path[i - 1].y(), x2 = path[i].x(), y2 = path[i].y();
        const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
        const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
        int err = dx + dy, x = x1, y = y1;
        while (x != x2 || y != y2) {
            if (RunsOn(runs, pos) && clip.contains(x, y)) img.setPixel(x, y, Combined(img.pixel(x, y), rgb, mode));
            ++pos;
            const int e2 = 2 * err;
            if (e2 >= dy) { err += dy; x += sx; }
            if (e2 <= dx) { err += dx; y += sy; }
        }
    }
}

}  // namespace

TEST(CanvasRaster, ClippedLinesSetTheSamePixelsAsTheWholeLine)
{
    std::mt19937 rng(8);
    const TPenStyle styles[] = {psSolid, psDot, psDash, psDashDot, psDashDotDot};
    const TPenMode modes[] = {pmCopy, pmXor, pmNotXor};
    for (int trial = 0; trial < 600; ++trial) {
        // mostly near the image, some reaching half a million pixels away
        const int reach = trial % 10 == 0 ? 500000 : 120;
        std::uniform_int_distribution<int> coord(-reach, reach + 40);
        std::vector<QPoint> path;
        const int n = 2 + trial % 3;
        for (int i = 0; i < n; ++i) path.emplace_back(coord(rng), coord(rng));
        const TPenStyle style = styles[trial % 5];
        const TPenMode mode = modes[trial % 3];
        const bool clipped = trial % 2 == 1;
        const QRect clip = clipped ? QRect(5, 7, 23, 19) : QRect(0, 0, 40, 36);
        SCOPED_TRACE(testing::Message() << "trial " << trial);

        TBitmap bmp(40, 36);
        FillPattern(bmp.Image());
        QImage expected = bmp.Image().copy();
        TCanvas& c = bmp.Canvas();
        if (clipped) c.SetClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        c.Pen().SetStyle(style);
        c.Pen().SetMode(mode);
        c.Pen().SetColor(RGBColor(200, 30, 90));
        std::vector<TPoint> points;
        for (const QPoint& p : path) points.push_back({p.x(), p.y()});
        c.Polyline(points);
        ReferencePath(expected, clip, path, style, ToQRgb(RGBColor(200, 30, 90)), mode);
        ASSERT_EQ(bmp.Image(), expected);
    }
}

TEST(CanvasRaster, LinesAcrossTheWholeIntRangeKeepTheirPixelsAndPhase)
{
    struct Case {
        int x1, y1, x2, y2;
        std::function<bool(int x, int y)> painted;  // dotted pen, 20 x 20 image
    };
    const std::vector<Case> cases = {
        {INT_MIN, 5, INT_MAX, 5, [](int x, int y) { return y == 5 && x % 2 == 0; }},
        {INT_MAX, 5, INT_MIN, 5, [](int x, int y) { return y == 5 && x % 2 == 1; }},
        {3, INT_MIN, 3, INT_MAX, [](int x, int y) { return x == 3 && y % 2 == 0; }},
        {-1000000000, -1000000000, 1000000000, 1000000000, [](int x, int y) { return x == y && x % 2 == 0; }},
        {-2000000000, 2000000010, 2000000000, -1999999990, [](int x, int y) { return x + y == 10 && x % 2 == 0; }},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(testing::Message() << tc.x1 << "," << tc.y1 << " " << tc.x2 << "," << tc.y2);
        TBitmap bmp(20, 20);
        TCanvas& c = bmp.Canvas();
        c.Pen().SetStyle(psDot);
        c.MoveTo(tc.x1, tc.y1);
        c.LineTo(tc.x2, tc.y2);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(PixelRgb(bmp.Image(), x, y), tc.painted(x, y) ? kBlack : kWhite) << x << "," << y;
    }
    // wide lines and polygons that far out cost no more than their visible part
    TBitmap bmp(20, 20);
    TCanvas& c = bmp.Canvas();
    c.Pen().SetWidth(3);
    c.MoveTo(INT_MIN, 10);
    c.LineTo(INT_MAX, 10);
    EXPECT_EQ(CountPixels(bmp.Image(), kBlack, 0, 9, 20, 12), 60);
    EXPECT_EQ(CountPixels(bmp.Image(), kBlack, 0, 0, 20, 20), 60);
    TBitmap poly(20, 20);
    poly.Canvas().Brush().SetColor(clRed);
    poly.Canvas().Polygon({{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}});
    EXPECT_EQ(CountPixels(poly.Image(), kRed, 0, 0, 20, 20), 400);
    poly.Canvas().Pen().SetWidth(4);
    poly.Canvas().Brush().SetColor(clWhite);
    poly.Canvas().Polygon({{-1000000000, 10}, {1000000000, -900000000}, {1000000000, 900000000}});
    EXPECT_EQ(CountPixels(poly.Image(), kRed, 0, 0, 20, 20), 0);
    EXPECT_EQ(CountPixels(poly.Image(), kBlack, 0, 0, 20, 20), 0);
}

// Fills and copies against the pixel-by-pixel rule: every pixel of the rectangle inside the clip
// gets the colour, combined by the mode; nothing else changes.
TEST(CanvasRaster, RowWiseFillsAndCopiesMatchPixelByPixel)
{
    std::mt19937 rng(81);
    std::uniform_int_distribution<int> coord(-15, 45);
    TBitmap src(9, 7);
    FillPattern(src.Image());
    for (int y = 0; y < 7; ++y) src.Image().setPixel(0, y, qRgb(255, 255, 255));
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        const bool clipped = trial % 3 != 0;
        const QRect clip = clipped ? QRect(4, 2, 19, 21) : QRect(0, 0, 32, 28);
        TBitmap bmp(32, 28);
        FillPattern(bmp.Image());
        QImage expected = bmp.Image().copy();
        TCanvas& c = bmp.Canvas();
        if (clipped) c.SetClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        const QRect r = QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
        const QRgb brush = ToQRgb(RGBColor(10, 200, 40)), pen = ToQRgb(RGBColor(250, 5, 60));
        c.Brush().SetColor(RGBColor(10, 200, 40));
        c.Pen().SetColor(RGBColor(250, 5, 60));
        auto each = [&](const QRect& area, const std::function<void(int, int)>& f) {
            for (int y = 0; y < 28; ++y)
                for (int x = 0; x < 32; ++x)
                    if (area.contains(x, y) && clip.contains(x, y)) f(x, y);
        };
        switch (trial % 5) {
        case 0:
            c.FillRect({x1, y1, x2, y2});
            each(r, [&](int x, int y) { expected.setPixel(x, y, brush); });
            break;
        case 1: {  // outline of width w (inside the rectangle for width 1), brush inside
            const int w = 1 + trial / 5 % 3;
            const TPenMode mode = trial / 5 % 2 ? pmXor : pmCopy;
            c.Pen().SetWidth(w);
            c.Pen().SetMode(mode);
            c.Rectangle(x1, y1, x2, y2);
            const QRect outer = w == 1 ? r : r.adjusted(-(w - 1) / 2, -(w - 1) / 2, w / 2, w / 2);
            const QRect inner = outer.adjusted(w, w, -w, -w);
            if (!r.isEmpty())
                each(outer, [&](int x, int y) {
                    expected.setPixel(x, y, Combined(expected.pixel(x, y), inner.isValid() && inner.contains(x, y) ? brush : pen, mode));
                });
            break;
        }
        case 2:
            c.FrameRect({x1, y1, x2, y2});
            each(r, [&](int x, int y) {
                if (x == r.left() || x == r.right() || y == r.top() || y == r.bottom()) expected.setPixel(x, y, brush);
            });
            break;
        case 3:
        case 4: {
            const TCopyMode mode = trial % 5 == 3 ? cmSrcCopy : cmSrcAnd;
            c.SetCopyMode(mode);
            c.Draw(x1, y1, src);
            each(QRect(x1, y1, 9, 7), [&](int x, int y) {
                const QRgb s = src.Image().pixel(x - x1, y - y1);
                expected.setPixel(x, y, mode == cmSrcAnd ? (expected.pixel(x, y) & s) | 0xFF000000 : s);
            });
            break;
        }
        }
        ASSERT_EQ(bmp.Image(), expected) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

namespace {

// The painted pixels (not white) of a figure drawn on a white image with 3 pixels of margin.
struct Drawn {
    QImage img;
    int w, h;
    bool At(int x, int y) const  // box coordinates; outside the box counts as unpainted
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return false;
        return PixelRgb(img, x + 3, y + 3) != kWhite;
    }
    bool Pen(int x, int y) const { return PixelRgb(img, x + 3, y + 3) == kBlack; }
};

Drawn DrawEllipse(int w, int h, TBrushStyle brush)
{
    TBitmap bmp(w + 6, h + 6);
    bmp.Canvas().Brush().SetColor(clRed);
    bmp.Canvas().Brush().SetStyle(brush);
    bmp.Canvas().Ellipse(3, 3, 3 + w, 3 + h);
    return {bmp.Image().copy(), w, h};
}

// Touches all four sides, nothing outside the box, mirror-symmetric, every row and column one
// run, the boundary in the pen and the pen pixels one 8-connected ring.
::testing::AssertionResult WellFormed(const Drawn& d)
{
    const int w = d.w, h = d.h;
    const int outside = (w + 6) * (h + 6) - w * h;
    if (CountPixels(d.img, kWhite, 0, 0, w + 6, h + 6) - CountPixels(d.img, kWhite, 3, 3, 3 + w, 3 + h) != outside)
        return ::testing::AssertionFailure() << "paints outside its box";
    bool top = false, bottom = false, left = false, right = false;
    for (int x = 0; x < w; ++x) top |= d.At(x, 0), bottom |= d.At(x, h - 1);
    for (int y = 0; y < h; ++y) left |= d.At(0, y), right |= d.At(w - 1, y);
    if (!(top && bottom && left && right)) return ::testing::AssertionFailure() << "misses a side";
    int penCount = 0;
    TPoint firstPen{-1, -1};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = d.img.pixel(x + 3, y + 3);
            if (p != d.img.pixel(w - 1 - x + 3, y + 3) || p != d.img.pixel(x + 3, h - 1 - y + 3))
                return ::testing::AssertionFailure() << "not symmetric at " << x << "," << y;
            if (d.At(x, y) && (!d.At(x - 1, y) || !d.At(x + 1, y) || !d.At(x, y - 1) || !d.At(x, y + 1)) &&
                !d.Pen(x, y))
                return ::testing::AssertionFailure() << "boundary pixel not in the pen at " << x << "," << y;
            if (d.At(x, y) && d.Pen(x, y)) {
                ++penCount;
                if (firstPen.X < 0) firstPen = {x, y};
            }
        }
    for (int y = 0; y < h; ++y) {
        int runs = 0;
        for (int x = 0; x < w; ++x) runs += d.At(x, y) && !d.At(x - 1, y);
        if (runs != 1) return ::testing::AssertionFailure() << "row " << y << " has " << runs << " runs";
    }
    for (int x = 0; x < w; ++x) {
        int runs = 0;
        for (int y = 0; y < h; ++y) runs += d.At(x, y) && !d.At(x, y - 1);
        if (runs != 1) return ::testing::AssertionFailure() << "column " << x << " has " << runs << " runs";
    }
    // flood the pen pixels from the first one
    std::vector<char> seen(std::size_t(w * h), 0);
    std::vector<TPoint> stack{firstPen};
    seen[std::size_t(firstPen.Y * w + firstPen.X)] = 1;
    int reached = 0;
    while (!stack.empty()) {
        const TPoint p = stack.back();
        stack.pop_back();
        ++reached;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = p.X + dx, y = p.Y + dy;
                if (!d.At(x, y) || !d.Pen(x, y) || seen[std::size_t(y * w + x)]) continue;
                seen[std::size_t(y * w + x)] = 1;
                stack.push_back({x, y});
            }
    }
    if (reached != penCount) return ::testing::AssertionFailure() << "outline has a gap";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(CanvasRaster, EllipsesOfEveryBoxSizeTouchTheirSidesSymmetricAndClosed)
{
    std::vector<std::pair<int, int>> sizes;
    for (int h = 1; h <= 40; ++h)
        for (int w = 1; w <= 40; ++w) sizes.emplace_back(w, h);
    for (auto [w, h] : {std::pair{200, 2}, {2, 200}, {200, 3}, {100, 2}, {150, 5}, {7, 160}, {300, 1}, {61, 9}})
        sizes.emplace_back(w, h);
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        const Drawn solid = DrawEllipse(w, h, bsSolid);
        ASSERT_TRUE(WellFormed(solid));
        // a clear brush leaves the same outline and nothing inside
        const Drawn clear = DrawEllipse(w, h, bsClear);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(clear.Pen(x, y), solid.Pen(x, y));
        ASSERT_EQ(CountPixels(clear.img, kRed, 0, 0, w + 6, h + 6), 0);
        // in exclusive-or mode every pixel of the figure is combined exactly once
        TBitmap bmp(w + 6, h + 6);
        FillPattern(bmp.Image());
        const QImage before = bmp.Image().copy();
        TCanvas& c = bmp.Canvas();
        c.Pen().SetMode(pmXor);
        c.Pen().SetColor(clWhite);
        c.Brush().SetColor(clWhite);
        c.Ellipse(3, 3, 3 + w, 3 + h);
        for (int y = 0; y < h + 6; ++y)
            for (int x = 0; x < w + 6; ++x)
                ASSERT_EQ(bmp.Image().pixel(x, y) == before.pixel(x, y), !solid.At(x - 3, y - 3)) << x << "," << y;
        c.Ellipse(3, 3, 3 + w, 3 + h);
        ASSERT_EQ(bmp.Image(), before);
    }
}

TEST(CanvasRaster, ThinEllipseReachesBothEndsOfItsBox)
{
    TBitmap bmp(110, 110);
    bmp.Canvas().Ellipse(3, 4, 103, 6);
    for (int x = 0; x < 110; ++x) {
        const bool inside = x >= 3 && x <= 102;
        EXPECT_EQ(PixelRgb(bmp.Image(), x, 4) == kBlack, inside) << x;
        EXPECT_EQ(PixelRgb(bmp.Image(), x, 5) == kBlack, inside) << x;
    }
}

// The round marks keep their pixels: '#' pen, 'o' brush, '.' untouched.
TEST(CanvasRaster, RoundMarksKeepTheirPixels)
{
    struct Mark {
        int size;
        std::vector<std::string> rows;
    };
    const std::vector<Mark> marks = {
        {4, {".##.", "#oo#", "#oo#", ".##."}},
        {5, {".###.", "#ooo#", "#ooo#", "#ooo#", ".###."}},
        {7, {"..###..", ".#ooo#.", "#ooooo#", "#ooooo#", "#ooooo#", ".#ooo#.", "..###.."}},
    };
    for (const Mark& m : marks) {
        SCOPED_TRACE(m.size);
        TBitmap bmp(m.size + 2, m.size + 2);
        bmp.Canvas().Brush().SetColor(clRed);
        bmp.Canvas().Ellipse(1, 1, 1 + m.size, 1 + m.size);
        for (int y = 0; y < m.size; ++y)
            for (int x = 0; x < m.size; ++x) {
                const char want = m.rows[std::size_t(y)][std::size_t(x)];
                EXPECT_EQ(PixelRgb(bmp.Image(), x + 1, y + 1), want == '#' ? kBlack : want == 'o' ? kRed : kWhite)
                    << x << "," << y;
            }
    }
}

TEST(CanvasRaster, FiguresAtTheEndsOfTheIntRangeDrawOnlyWhatIsVisible)
{
    TBitmap bmp(30, 20);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetColor(clRed);
    c.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // the image lies well inside
    EXPECT_EQ(CountPixels(bmp.Image(), kRed, 0, 0, 30, 20), 600);
    c.Brush().SetStyle(bsClear);
    c.Pen().SetColor(clBlue);
    for (int w : {1, 5}) {
        c.Pen().SetWidth(w);
        c.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // outline far away, nothing visible
    }
    EXPECT_EQ(CountPixels(bmp.Image(), kRed, 0, 0, 30, 20), 600);
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psDot);
    c.Rectangle(INT_MIN, 10, INT_MAX, 11);  // one dotted row, every other pixel
    EXPECT_EQ(CountPixels(bmp.Image(), 0x0000FF, 0, 10, 30, 11), 15);
    EXPECT_EQ(CountPixels(bmp.Image(), kRed, 0, 0, 30, 20), 585);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clWhite);
    c.FillRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    c.FrameRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(CountPixels(bmp.Image(), kWhite, 0, 0, 30, 20), 600);
    TBitmap src(3, 3);
    src.Image().fill(qRgb(255, 0, 0));
    c.Draw(INT_MAX, INT_MAX, src);
    c.Draw(INT_MIN, INT_MIN, src);
    c.StretchDraw({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, src);
    EXPECT_EQ(CountPixels(bmp.Image(), kRed, 0, 0, 30, 20), 600);
    c.TextOut(INT_MAX, INT_MAX, "far");
    c.TextOut(INT_MIN, INT_MIN, "far");
    EXPECT_EQ(c.PenPos().Y, INT_MIN);
    EXPECT_EQ(CountPixels(bmp.Image(), kRed, 0, 0, 30, 20), 600);
}
