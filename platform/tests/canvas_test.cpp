#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>
#include <set>

#include "platform/canvas.h"
#include "platform/colors.h"
#include "testsupport/testsupport.h"

using testsupport::CountPixels;
using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000, kBlue = 0x0000FF;

// A white 20 x 20 bitmap with a black width-1 pen and a red solid brush.
struct Fixture {
    TBitmap bmp{20, 20};
    TCanvas& c = bmp.Canvas();
    const QImage& img = bmp.Image();
    Fixture()
    {
        c.Pen().SetColor(clBlack);
        c.Brush().SetColor(clRed);
    }
    int Changed() const { return 400 - CountPixels(img, kWhite, 0, 0, 20, 20); }
};

// A background where every pixel differs from its neighbours, so an XOR that hits a pixel twice
// or misses one shows.
void FillPattern(QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x * 12, y * 12, (x * y) % 256));
}

}  // namespace

struct LineCase {
    const char* name;
    int x1, y1, x2, y2;
    std::vector<TPoint> painted;
};

class CanvasLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CanvasLine, PaintsStartButNotEndPixel)
{
    const LineCase& tc = GetParam();
    Fixture f;
    f.c.MoveTo(tc.x1, tc.y1);
    f.c.LineTo(tc.x2, tc.y2);
    for (const TPoint& p : tc.painted) EXPECT_EQ(PixelRgb(f.img, p.X, p.Y), kBlack) << p.X << "," << p.Y;
    EXPECT_EQ(PixelRgb(f.img, tc.x2, tc.y2), kWhite);
    EXPECT_EQ(f.Changed(), int(tc.painted.size()));
    EXPECT_EQ(f.c.PenPos(), (TPoint{tc.x2, tc.y2}));
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, CanvasLine,
    ::testing::ValuesIn(std::vector<LineCase>{
        {"Horizontal", 1, 1, 5, 1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {"HorizontalLeftwards", 5, 1, 1, 1, {{5, 1}, {4, 1}, {3, 1}, {2, 1}}},
        {"Vertical", 2, 1, 2, 6, {{2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}}},
        {"Diagonal", 1, 1, 5, 5, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {"DiagonalUpwards", 5, 5, 1, 1, {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},
        {"ToItself", 3, 3, 3, 3, {}},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Canvas, RectangleCoversX1ToX2MinusOne)
{
    Fixture f;
    f.c.Rectangle(1, 1, 5, 5);
    EXPECT_EQ(CountPixels(f.img, kBlack, 0, 0, 20, 20), 12);  // the ring of rows and columns 1 and 4
    EXPECT_EQ(CountPixels(f.img, kRed, 2, 2, 4, 4), 4);       // inside 2..3
    EXPECT_EQ(f.Changed(), 16);
    EXPECT_EQ(PixelRgb(f.img, 4, 4), kBlack);
    EXPECT_EQ(PixelRgb(f.img, 5, 4), kWhite);
    EXPECT_EQ(PixelRgb(f.img, 4, 5), kWhite);
}

TEST(Canvas, RectangleWithClearBrushOrClearPen)
{
    Fixture f;
    f.c.Brush().SetStyle(bsClear);
    f.c.Rectangle(1, 1, 5, 5);
    EXPECT_EQ(f.Changed(), 12);
    EXPECT_EQ(PixelRgb(f.img, 2, 2), kWhite);

    Fixture g;
    g.c.Pen().SetStyle(psClear);
    g.c.Rectangle(1, 1, 5, 5);
    EXPECT_EQ(CountPixels(g.img, kRed, 1, 1, 5, 5), 16);
    EXPECT_EQ(g.Changed(), 16);
}

TEST(Canvas, WidePenRectangleInsideFrameStaysInside)
{
    Fixture f;
    f.c.Pen().SetWidth(2);
    f.c.Pen().SetStyle(psInsideFrame);
    f.c.Rectangle(2, 2, 10, 10);
    EXPECT_EQ(f.Changed(), 64);
    EXPECT_EQ(CountPixels(f.img, kRed, 4, 4, 8, 8), 16);
}

TEST(Canvas, SmallEllipseIsADiscInsideItsSquare)
{
    Fixture f;
    const int x = 8, y = 8;
    f.c.Brush().SetColor(clBlack);
    f.c.Ellipse(x - 2, y - 2, x + 3, y + 3);
    // The 5 x 5 disc: the square without its four corners.
    EXPECT_EQ(f.Changed(), 21);
    EXPECT_EQ(CountPixels(f.img, kBlack, x - 2, y - 2, x + 3, y + 3), 21);
    for (TPoint corner : {TPoint{x - 2, y - 2}, TPoint{x + 2, y - 2}, TPoint{x - 2, y + 2}, TPoint{x + 2, y + 2}})
        EXPECT_EQ(PixelRgb(f.img, corner.X, corner.Y), kWhite);
}

TEST(Canvas, EllipseOutlineAndFillAreSymmetric)
{
    Fixture f;
    f.c.Ellipse(2, 3, 17, 12);
    EXPECT_EQ(CountPixels(f.img, kWhite, 2, 3, 17, 12) + CountPixels(f.img, kBlack, 2, 3, 17, 12) +
                  CountPixels(f.img, kRed, 2, 3, 17, 12),
              15 * 9);
    EXPECT_EQ(f.Changed(), CountPixels(f.img, kBlack, 2, 3, 17, 12) + CountPixels(f.img, kRed, 2, 3, 17, 12));
    for (int y = 3; y < 12; ++y)
        for (int x = 2; x < 17; ++x) {
            EXPECT_EQ(PixelRgb(f.img, x, y), PixelRgb(f.img, 18 - x, y));
            EXPECT_EQ(PixelRgb(f.img, x, y), PixelRgb(f.img, x, 14 - y));
        }
    EXPECT_EQ(PixelRgb(f.img, 9, 7), kRed);    // centre
    EXPECT_EQ(PixelRgb(f.img, 2, 7), kBlack);  // left end of the middle row
    EXPECT_EQ(PixelRgb(f.img, 9, 3), kBlack);  // top of the middle column
}

TEST(Canvas, DottedLineAlternates)
{
    Fixture f;
    f.c.Pen().SetStyle(psDot);
    f.c.MoveTo(0, 5);
    f.c.LineTo(12, 5);
    for (int x = 0; x < 12; ++x) EXPECT_EQ(PixelRgb(f.img, x, 5), x % 2 == 0 ? kBlack : kWhite) << x;
    EXPECT_EQ(f.Changed(), 6);
}

TEST(Canvas, DashedLinesHaveGapsAndClearPenDrawsNothing)
{
    for (TPenStyle style : {psDash, psDashDot, psDashDotDot}) {
        SCOPED_TRACE(int(style));
        Fixture f;
        f.c.Pen().SetStyle(style);
        f.c.MoveTo(0, 0);
        f.c.LineTo(20, 0);
        const int painted = CountPixels(f.img, kBlack, 0, 0, 20, 1);
        EXPECT_GT(painted, 10);
        EXPECT_LT(painted, 20);
        EXPECT_EQ(PixelRgb(f.img, 0, 0), kBlack);
    }
    Fixture f;
    f.c.Pen().SetStyle(psClear);
    f.c.MoveTo(0, 0);
    f.c.LineTo(20, 20);
    EXPECT_EQ(f.Changed(), 0);
}

TEST(Canvas, ExclusiveOrTwiceRestoresEveryPixel)
{
    const std::vector<std::pair<const char*, std::function<void(TCanvas&)>>> figures = {
        {"rectangle", [](TCanvas& c) { c.Rectangle(2, 3, 15, 11); }},
        {"clear rectangle", [](TCanvas& c) { c.Brush().SetStyle(bsClear); c.Rectangle(2, 3, 15, 11); }},
        {"line", [](TCanvas& c) { c.MoveTo(1, 1); c.LineTo(17, 9); }},
        {"ellipse", [](TCanvas& c) { c.Ellipse(3, 3, 14, 12); }},
        {"polygon", [](TCanvas& c) { c.Polygon({{2, 2}, {15, 4}, {8, 16}}); }},
        {"wide line", [](TCanvas& c) { c.Pen().SetWidth(3); c.MoveTo(2, 2); c.LineTo(15, 9); }},
    };
    for (const auto& [name, draw] : figures) {
        SCOPED_TRACE(name);
        TBitmap bmp(20, 20);
        FillPattern(bmp.Image());
        const QImage before = bmp.Image().copy();
        TCanvas& c = bmp.Canvas();
        c.Pen().SetMode(pmXor);
        c.Pen().SetColor(clYellow);
        c.Brush().SetColor(clBlue);
        draw(c);
        EXPECT_NE(bmp.Image(), before);
        c.Pen().SetWidth(1);
        c.Brush().SetStyle(bsSolid);
        draw(c);
        EXPECT_EQ(bmp.Image(), before);
    }
}

TEST(Canvas, ExclusiveOrRectangleOutlineKeepsItsCorners)
{
    Fixture f;
    f.c.Pen().SetMode(pmXor);
    f.c.Pen().SetColor(clWhite);
    f.c.Brush().SetStyle(bsClear);
    f.c.Rectangle(1, 1, 6, 6);
    EXPECT_EQ(CountPixels(f.img, kBlack, 0, 0, 20, 20), 16);
    EXPECT_EQ(PixelRgb(f.img, 1, 1), kBlack);
    EXPECT_EQ(PixelRgb(f.img, 5, 5), kBlack);
}

TEST(Canvas, PolygonIsClosedAndFilled)
{
    Fixture f;
    f.c.Polygon({{2, 2}, {12, 2}, {12, 12}, {2, 12}});
    EXPECT_EQ(CountPixels(f.img, kBlack, 0, 0, 20, 20), 40);  // the closed outline, corners included
    EXPECT_EQ(CountPixels(f.img, kRed, 3, 3, 12, 12), 81);
    EXPECT_EQ(f.Changed(), 121);
}

TEST(Canvas, ClipRectLimitsEveryOperation)
{
    Fixture f;
    f.c.SetClipRect({5, 5, 10, 10});
    f.c.MoveTo(0, 7);
    f.c.LineTo(20, 7);
    f.c.FillRect({0, 0, 20, 3});
    f.c.SetPixel(1, 1, clBlue);
    EXPECT_EQ(f.Changed(), 5);
    EXPECT_EQ(CountPixels(f.img, kBlack, 5, 7, 10, 8), 5);
    f.c.ClearClipRect();
    f.c.SetPixel(1, 1, clBlue);
    EXPECT_EQ(PixelRgb(f.img, 1, 1), kBlue);
    EXPECT_EQ(f.c.Pixel(1, 1), clBlue);
    EXPECT_EQ(f.c.Pixel(-1, 3), clInvalidPixel);
    EXPECT_EQ(f.c.Pixel(20, 3), clInvalidPixel);
}

TEST(Canvas, FillRectAndFrameRectCoverTheirRectangle)
{
    Fixture f;
    f.c.FillRect({3, 4, 8, 6});
    EXPECT_EQ(CountPixels(f.img, kRed, 3, 4, 8, 6), 10);
    EXPECT_EQ(f.Changed(), 10);
    f.c.Brush().SetColor(clBlue);
    f.c.FrameRect({10, 10, 14, 14});
    EXPECT_EQ(CountPixels(f.img, kBlue, 0, 0, 20, 20), 12);
}

TEST(Canvas, WidePenLineCoversItsWidth)
{
    Fixture f;
    f.c.Pen().SetWidth(3);
    f.c.MoveTo(4, 10);
    f.c.LineTo(15, 10);
    for (int x = 5; x < 14; ++x) {
        EXPECT_EQ(PixelRgb(f.img, x, 9), kBlack);
        EXPECT_EQ(PixelRgb(f.img, x, 10), kBlack);
        EXPECT_EQ(PixelRgb(f.img, x, 11), kBlack);
        EXPECT_EQ(PixelRgb(f.img, x, 8), kWhite);
        EXPECT_EQ(PixelRgb(f.img, x, 12), kWhite);
    }
}

TEST(Canvas, TextSitsBelowAndRightOfItsTopLeftCornerWithoutAntialiasing)
{
    TBitmap bmp(120, 60);
    TCanvas& c = bmp.Canvas();
    c.Font().SetName("Arial");
    c.Font().SetHeight(20);
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(bsClear);
    const std::string text = "Hgj(8";
    c.TextOut(10, 15, text);
    const int w = c.TextWidth(text), h = c.TextHeight(text);
    EXPECT_GT(w, 20);
    EXPECT_GE(h, 20);
    const QImage& img = bmp.Image();
    int inked = 0, top = 1000, bottom = -1, left = 1000, right = -1;
    std::set<std::uint32_t> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            colours.insert(PixelRgb(img, x, y));
            if (PixelRgb(img, x, y) != kWhite) {
                ++inked;
                top = std::min(top, y); bottom = std::max(bottom, y);
                left = std::min(left, x); right = std::max(right, x);
            }
        }
    EXPECT_GT(inked, 50);
    EXPECT_EQ(colours, (std::set<std::uint32_t>{kWhite, kBlack}));
    EXPECT_GE(top, 15);
    EXPECT_LT(bottom, 15 + h);
    EXPECT_GE(left, 10);
    EXPECT_LT(right, 10 + w);
    EXPECT_EQ(c.PenPos(), (TPoint{10 + w, 15}));
}

TEST(Canvas, SolidBrushFillsTheTextBox)
{
    TBitmap bmp(120, 60);
    TCanvas& c = bmp.Canvas();
    c.Font().SetName("Arial");
    c.Font().SetHeight(16);
    c.Font().SetColor(clBlack);
    c.Brush().SetColor(clBlue);
    c.TextOut(5, 6, "Wx");
    const int w = c.TextWidth("Wx"), h = c.TextHeight("Wx");
    const QImage& img = bmp.Image();
    EXPECT_EQ(CountPixels(img, kBlue, 5, 6, 5 + w, 6 + h) + CountPixels(img, kBlack, 5, 6, 5 + w, 6 + h), w * h);
    EXPECT_EQ(CountPixels(img, kWhite, 5, 6, 5 + w, 6 + h), 0);
    EXPECT_EQ(120 * 60 - CountPixels(img, kWhite, 0, 0, 120, 60), w * h);
}

TEST(Canvas, TextRectClipsAndFillsItsRectangle)
{
    TBitmap bmp(100, 40);
    TCanvas& c = bmp.Canvas();
    c.Font().SetHeight(20);
    c.Font().SetColor(clBlack);
    c.Brush().SetColor(clSilver);
    c.TextRect({10, 5, 30, 30}, 12, 8, "WWWWWWWW");
    const QImage& img = bmp.Image();
    EXPECT_EQ(CountPixels(img, kWhite, 10, 5, 30, 30), 0);
    EXPECT_EQ(100 * 40 - CountPixels(img, kWhite, 0, 0, 100, 40), 20 * 25);
    EXPECT_GT(CountPixels(img, kBlack, 10, 5, 30, 30), 20);
}

TEST(Canvas, DrawCopiesOrAndsAnImageAtAnOffset)
{
    TBitmap src(4, 3);
    src.Image().fill(qRgb(0, 255, 0));
    src.Image().setPixel(0, 0, qRgb(255, 255, 255));
    Fixture f;
    f.c.FillRect({0, 0, 20, 20});  // red everywhere
    f.c.Draw(18, 5, src);           // clipped at the right edge
    EXPECT_EQ(PixelRgb(f.img, 18, 5), kWhite);
    EXPECT_EQ(PixelRgb(f.img, 19, 6), 0x00FF00u);
    EXPECT_EQ(PixelRgb(f.img, 17, 5), kRed);
    f.c.SetCopyMode(cmSrcAnd);
    f.c.Draw(2, 2, src);
    EXPECT_EQ(PixelRgb(f.img, 2, 2), kRed);       // white leaves the target
    EXPECT_EQ(PixelRgb(f.img, 3, 2), 0x000000u);  // red AND green
}

TEST(Canvas, StretchDrawScalesToTheRectangle)
{
    TBitmap src(2, 2);
    src.Image().fill(qRgb(0, 0, 255));
    Fixture f;
    f.c.StretchDraw({4, 4, 10, 8}, src);
    EXPECT_EQ(CountPixels(f.img, kBlue, 4, 4, 10, 8), 24);
    EXPECT_EQ(f.Changed(), 24);
}

TEST(Bitmap, SizeChangesAndLoading)
{
    TBitmap bmp;
    EXPECT_TRUE(bmp.Empty());
    bmp.SetSize(7, 3);
    EXPECT_EQ(bmp.Width(), 7);
    EXPECT_EQ(bmp.Height(), 3);
    EXPECT_EQ(bmp.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(CountPixels(bmp.Image(), kWhite, 0, 0, 7, 3), 21);
    bmp.Canvas().SetPixel(1, 1, clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(1, 1), clRed);
    bmp.SetSize(-4, 5);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_FALSE(bmp.LoadFromFile("/nonexistent/picture.bmp"));

    QImage saved(3, 2, QImage::Format_RGB32);
    saved.fill(qRgb(1, 2, 3));
    QTemporaryDir dir;
    const QString path = dir.filePath("load.bmp");
    ASSERT_TRUE(saved.save(path));
    ASSERT_TRUE(bmp.LoadFromFile(path.toStdString()));
    EXPECT_EQ(bmp.Width(), 3);
    EXPECT_EQ(bmp.Canvas().Pixel(2, 1), RGBColor(1, 2, 3));
}
