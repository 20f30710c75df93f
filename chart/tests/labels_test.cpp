#include <gtest/gtest.h>
#include <QImage>
#include <limits>
#include <string>

#include "chart/chart.h"
#include "chart/labeldraw.h"
#include "chart/tests/chartprobe.h"
#include "testsupport/testsupport.h"

using testsupport::CountPixels;
using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kYellow = 0xFFFF00, kNavy = 0x000080,
                        kGray = 0x808080, kLime = 0x00FF00;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
};

Box BoxOf(const QImage& img, std::uint32_t rgb)
{
    Box b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelRgb(img, x, y) == rgb) {
                b.left = std::min(b.left, x); b.right = std::max(b.right, x);
                b.top = std::min(b.top, y); b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// A chart whose layer 1 maps world units one to one onto its 300 x 200 data area; label 1 is a
// boxed "Kalmira" with a red border on yellow.
class LabelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.SetBounds(0, 0, 50 + 300 + 20, 20 + 200 + 40);
        chart.SetLayerRange(1, 0, 0, 300, 200);
        TTextLabel& l = chart.TextLabel(1);
        l.SetCaption("Kalmira");
        l.SetMode(tlBox);
        l.SetColorBorder(clRed);
        l.SetColorBkg(clYellow);
        l.SetVisible(true);
    }
    const QImage& Render()
    {
        image = QImage(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        TCanvas canvas(&image);
        TChartProbe::RenderData(chart, canvas, 0, 0, false, false);
        return image;
    }
    // Text width and line height of `text` in label 1's font.
    void Measure(const std::string& text, int& w, int& h)
    {
        QImage probe(4, 4, QImage::Format_RGB32);
        TCanvas c(&probe);
        c.Font().Assign(chart.TextLabel(1).Font());
        w = c.TextWidth(text);
        h = c.TextHeight(text);
    }

    TRChart chart;
    QImage image;
};

TEST_F(LabelFixture, TheBoxFollowsAttachModeAndBothAlignments)
{
    int w, h;
    Measure("Kalmira", w, h);
    TTextLabel& l = chart.TextLabel(1);
    const double posX = 150.4, posY = 100.4;  // world units and control pixels alike
    for (TTxtLblAttachMode attach : {tlamNone, tlamXOnly, tlamYOnly, tlamBoth})
        for (TAlignment align : {taLeftJustify, taRightJustify, taCenter})
            for (TVerticalAlignment valign : {vaTop, vaCenter, vaBottom}) {
                SCOPED_TRACE(testing::Message() << "attach " << attach << " align " << align << " valign " << valign);
                l.SetAttachToData(attach);
                l.SetAlignment(align);
                l.SetVerticalAlignment(valign);
                l.SetPosX(posX);
                l.SetPosY(posY);
                int wx = 0, wy = 0;
                chart.WorldToMouse(1, posX, posY, wx, wy);
                int x = (attach == tlamXOnly || attach == tlamBoth) ? wx : 150;
                int y = (attach == tlamYOnly || attach == tlamBoth) ? wy : 100;
                x -= chart.MarginLeft();
                y -= chart.MarginTop();
                if (valign == vaTop) y += h;
                if (valign == vaCenter) y += h / 2;
                if (align == taRightJustify) x -= w;
                if (align == taCenter) x -= w / 2;
                Render();
                const Box b = BoxOf(image, kRed);
                EXPECT_EQ(b.left, x - 4);
                EXPECT_EQ(b.right, x + w + 3);
                EXPECT_EQ(b.top, y - h - 2);
                EXPECT_EQ(b.bottom, y + 1);
            }
}

TEST_F(LabelFixture, ModesDrawTheirBoxUnderlineOrShadow)
{
    TTextLabel& l = chart.TextLabel(1);
    l.SetAttachToData(tlamNone);
    l.SetPosX(200);
    l.SetPosY(120);
    l.SetColorShadow(clLime);
    l.SetShadowDx(3);
    l.SetShadowDy(3);
    l.Font().SetColor(clNavy);
    struct Case { TTxtLblMode mode; bool transparent; bool border, bkg, shadow, underlineOnly; };
    const Case cases[] = {
        {tlOff, false, false, false, false, false},   {tlsimple, false, false, true, false, false},
        {tlsimple, true, false, false, false, false}, {tlBox, false, true, true, false, false},
        {tlBox, true, true, false, false, false},     {tlUnderline, false, true, true, false, true},
        {tlUnderline, true, true, false, false, true}, {tlShadow, false, true, true, true, false},
        {tlShadow, true, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " transparent " << c.transparent);
        l.SetMode(c.mode);
        l.SetTransparent(c.transparent);
        Render();
        const int inside = image.width() - 1, bottom = image.height() - 1;
        EXPECT_EQ(CountPixels(image, kRed, 1, 1, inside, bottom) > 0, c.border);
        EXPECT_EQ(CountPixels(image, kYellow, 1, 1, inside, bottom) > 0, c.bkg);
        EXPECT_EQ(CountPixels(image, kLime, 1, 1, inside, bottom) > 0, c.shadow);
        EXPECT_EQ(CountPixels(image, kNavy, 1, 1, inside, bottom) > 0, c.mode != tlOff);
        if (c.underlineOnly) {
            const Box b = BoxOf(image, kRed);
            EXPECT_EQ(b.top, b.bottom);  // one line under the text
        }
        if (c.shadow) {
            const Box s = BoxOf(image, kLime), b = BoxOf(image, kRed);
            EXPECT_EQ(s.right, b.right + 3);
            EXPECT_EQ(s.bottom, b.bottom + 3);
        }
    }
}

TEST_F(LabelFixture, HiddenLabelsDrawNothing)
{
    chart.TextLabel(1).SetVisible(false);
    Render();
    EXPECT_EQ(CountPixels(image, kYellow, 0, 0, image.width(), image.height()), 0);
}

TEST_F(LabelFixture, LabelOneIsDrawnLastAndLiesOnTop)
{
    for (int j : {1, 2, 30}) {
        TTextLabel& l = chart.TextLabel(j);
        l.SetCaption("Kalmira");
        l.SetAttachToData(tlamNone);
        l.SetPosX(200);
        l.SetPosY(120);
        l.SetMode(tlsimple);
        l.SetVisible(true);
    }
    chart.TextLabel(1).SetColorBkg(clYellow);
    chart.TextLabel(2).SetColorBkg(clGray);
    chart.TextLabel(30).SetColorBkg(clLime);
    Render();
    EXPECT_GT(CountPixels(image, kYellow, 0, 0, image.width(), image.height()), 0);
    EXPECT_EQ(CountPixels(image, kGray, 0, 0, image.width(), image.height()), 0);
    EXPECT_EQ(CountPixels(image, kLime, 0, 0, image.width(), image.height()), 0);
}

TEST_F(LabelFixture, TwoLinesAreCentredOnTheWidestLine)
{
    TTextLabel& l = chart.TextLabel(1);
    l.SetCaption("ab\ncdef");
    l.SetAlignment(taCenter);
    l.SetVerticalAlignment(vaBottom);
    int wab, wcdef, h;
    Measure("ab", wab, h);
    Measure("cdef", wcdef, h);
    QImage probe(4, 4, QImage::Format_RGB32);
    TCanvas c(&probe);
    c.Font().Assign(l.Font());
    const TLabelLayout layout = LayOutTextLabel(c, l, 100, 50);
    EXPECT_EQ(layout.MaxWidth, wcdef);
    EXPECT_EQ(layout.Left, 100 - wcdef / 2);
    ASSERT_EQ(layout.LineOrigins.size(), 2u);
    EXPECT_EQ(layout.LineOrigins[0].X, layout.Left + (wcdef - wab) / 2);
    EXPECT_EQ(layout.LineOrigins[0].Y, 50 - 2 * h);
    EXPECT_EQ(layout.LineOrigins[1].X, layout.Left);
    EXPECT_EQ(layout.LineOrigins[1].Y, 50 - h);
}

// ---- crosshairs ----

class CrossHairs : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.SetBounds(0, 0, 50 + 300 + 20, 20 + 200 + 40);
        chart.SetLayerRange(1, 0, 0, 300, 200);
    }
    // Presents a white control-sized image through PresentImage.
    const QImage& Present()
    {
        TBitmap image(chart.width(), chart.height());
        QImage target(chart.width(), chart.height(), QImage::Format_RGB32);
        target.fill(0xFFFFFFFFu);
        TCanvas canvas(&target);
        TChartProbe::PresentImage(chart, 0, 0, canvas, image);
        shown = target;
        return shown;
    }
    // World point of a control pixel.
    void At(TCrossHair& ch, int px, int py)
    {
        double x, y;
        chart.MouseToWorld(ch.Layer(), px, py, x, y);
        ch.SetPosX(x);
        ch.SetPosY(y);
    }
    TRChart chart;
    QImage shown;
};

TEST_F(CrossHairs, HairLinesStayInsideTheChartArea)
{
    TCrossHair& ch = chart.CrossHair1();
    ch.SetColor(clRed);
    ch.SetMode(chBoth);
    At(ch, 200, 100);
    Present();
    const TChartArea a = chart.ChartArea();
    EXPECT_EQ(PixelRgb(shown, a.Left, 100), kWhite);
    EXPECT_EQ(PixelRgb(shown, a.Left + 1, 100), kRed);
    EXPECT_EQ(PixelRgb(shown, a.Right - 1, 100), kRed);
    EXPECT_EQ(PixelRgb(shown, a.Right, 100), kWhite);
    EXPECT_EQ(PixelRgb(shown, 200, a.Top), kWhite);
    EXPECT_EQ(PixelRgb(shown, 200, a.Top + 1), kRed);
    EXPECT_EQ(PixelRgb(shown, 200, a.Bottom - 1), kRed);
    EXPECT_EQ(PixelRgb(shown, 200, a.Bottom), kWhite);
}

TEST_F(CrossHairs, AWideHairNearTheTopEdgeDrawsOnlyItsVerticalLine)
{
    TCrossHair& ch = chart.CrossHair1();
    ch.SetColor(clRed);
    ch.SetMode(chBoth);
    ch.SetLineWid(3);
    At(ch, 200, chart.MarginTop() + 1);
    Present();
    EXPECT_EQ(CountPixels(shown, kRed, 0, chart.MarginTop() + 1, 150, chart.MarginTop() + 2), 0);
    EXPECT_GT(CountPixels(shown, kRed, 199, 0, 202, chart.height()), 100);
}

TEST_F(CrossHairs, ABoxIsDrawnOutsideTheChartAreaToo)
{
    TCrossHair& ch = chart.CrossHair2();
    ch.SetLayer(1);
    ch.SetColor(clRed);
    ch.SetMode(chBox);
    At(ch, 20, 240);  // in the margins
    Present();
    EXPECT_EQ(PixelRgb(shown, 10, 240), kRed);
    EXPECT_EQ(PixelRgb(shown, 20, 231), kRed);
    EXPECT_EQ(PixelRgb(shown, 20, 240), kWhite);  // the box is filled with the chart colour
    EXPECT_EQ(PixelRgb(shown, 18, 238), kRed);
    EXPECT_EQ(PixelRgb(shown, 22, 242), kRed);
    EXPECT_EQ(PixelRgb(shown, 23, 243), kWhite);
}

TEST_F(CrossHairs, OffDrawsNothing)
{
    chart.CrossHair1().SetColor(clRed);
    At(chart.CrossHair1(), 200, 100);
    Present();
    EXPECT_EQ(CountPixels(shown, kRed, 0, 0, shown.width(), shown.height()), 0);
}

}  // namespace

namespace {

TEST_F(LabelFixture, LabelsAndCrosshairsAtNonFinitePositionsDrawWithoutHarm)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    TTextLabel& l = chart.TextLabel(1);
    for (TTxtLblAttachMode attach : {tlamNone, tlamXOnly, tlamYOnly, tlamBoth})
        for (double v : {nan, inf, -inf, 1e300}) {
            l.SetAttachToData(attach);
            l.SetPosX(v);
            l.SetPosY(-v);
            l.SetMode(tlShadow);
            Render();
        }
    for (TCrossHMode mode : {chHoriz, chVert, chBoth, chBox})
        for (double v : {nan, inf, -inf, 1e300}) {
            TCrossHair& ch = chart.CrossHair1();
            ch.SetMode(mode);
            ch.SetLineWid(5);
            ch.SetPosX(v);
            ch.SetPosY(v);
            TBitmap image(chart.width(), chart.height());
            QImage target(chart.width(), chart.height(), QImage::Format_RGB32);
            TCanvas canvas(&target);
            TChartProbe::PresentImage(chart, 0, 0, canvas, image);
        }
    SUCCEED();
}

}  // namespace
