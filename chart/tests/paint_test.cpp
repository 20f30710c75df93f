#include <gtest/gtest.h>

#include <QDir>

#include <climits>
#include <functional>
#include <cmath>
#include <limits>
#include <vector>

#include "chart/tests/chartprobe.h"
#include "chartfixture.h"
#include "platform/colors.h"
#include "testsupport/testsupport.h"

using testsupport::CountPixels;
using testsupport::PixelRgb;

namespace {

std::uint32_t Rgb(TColor c)
{
    return ToQRgb(c) & 0xFFFFFFu;
}

}  // namespace

using Painting = ChartFixture;

TEST_F(Painting, NothingPaintsUntilTheWindowIsShown)
{
    chart.OnScalesRendered = [this](TCustomRChart&, TCanvas&, int, int) { ++paints; };
    chart.SetChartColor(clGreen);
    chart.Scale1X().SetRangeLow(1);
    chart.Paint();
    EXPECT_EQ(paints, 0);
    Show();
    EXPECT_FALSE(chart.PaintLock());
    EXPECT_EQ(paints, 0);  // clearing the lock at the first showing does not paint by itself
    chart.Paint();
    EXPECT_EQ(paints, 1);
}

TEST_F(Painting, NestedUpdatesPaintOnceAtTheOutermostLevel)
{
    Show();
    chart.SetLayerRange(1, -1, -1, 5, 5);
    EXPECT_EQ(paints, 1);
    chart.Scale1X().SetRangeLow(0);
    EXPECT_EQ(paints, 2);
    chart.SetStandardLayout(rcl_X2Both_Y2Both);
    EXPECT_EQ(paints, 3);
    chart.JointLayers().SetL02xControlledBy(1);
    EXPECT_EQ(paints, 4);
    chart.SetIsometric(true);
    EXPECT_EQ(paints, 5);
    chart.SetMarginLeft(70);  // the isometric rule runs again, through the axis setters
    EXPECT_EQ(paints, 6);
    chart.SetIsometric(false);
    EXPECT_EQ(paints, 6);

    chart.SetPaintLock(true);
    chart.SetLayerRange(1, 0, 0, 3, 3);
    chart.Scale1Y().SetRangeHigh(7);
    chart.SetChartColor(clRed);
    chart.SetStandardLayout(rcl_X1Bottom_Y1Left);
    chart.Paint();
    EXPECT_EQ(paints, 6);
    chart.SetPaintLock(false);
    EXPECT_EQ(paints, 7);
    chart.SetPaintLock(false);  // no change, no paint
    EXPECT_EQ(paints, 7);
}

TEST_F(Painting, RepaintRules)
{
    Show();
    chart.SetDataColor(clGreen);
    chart.SetAllocSize(10);
    chart.SetMouseAction(maPan);
    EXPECT_EQ(paints, 0);
    chart.SetChartColor(clGreen);
    EXPECT_EQ(paints, 1);
    chart.CrossHair1().SetPosX(3);
    EXPECT_EQ(paints, 2);
    chart.SetAutoRedraw(false);
    chart.SetChartColor(clRed);
    chart.SetMarginLeft(60);
    EXPECT_EQ(paints, 2);
    chart.Scale1X().SetRangeLow(0);  // axis changes repaint whatever AutoRedraw says
    EXPECT_EQ(paints, 3);
    chart.ShowItems();  // without AutoRedraw: the full repaint
    EXPECT_EQ(paints, 4);
}

TEST_F(Painting, FullRepaintPixels)
{
    chart.SetCaption("Ab");
    Show();
    chart.Paint();
    const QImage& img = chart.ScreenImage();
    ASSERT_EQ(img.width(), 400);
    ASSERT_EQ(img.height(), 300);
    const std::uint32_t wind = Rgb(clBtnFace), white = Rgb(clWhite), black = Rgb(clBlack);
    EXPECT_EQ(PixelRgb(img, 10, 150), wind);
    EXPECT_EQ(PixelRgb(img, 390, 150), wind);
    EXPECT_EQ(PixelRgb(img, 200, 10), wind);
    EXPECT_EQ(PixelRgb(img, 200, 150), white);
    // frame line on all four edges of the chart area
    EXPECT_EQ(PixelRgb(img, 50, 150), black);
    EXPECT_EQ(PixelRgb(img, 380, 150), black);
    EXPECT_EQ(PixelRgb(img, 200, 20), black);
    EXPECT_EQ(PixelRgb(img, 200, 260), black);
    EXPECT_EQ(PixelRgb(img, 381, 150), wind);
    EXPECT_EQ(PixelRgb(img, 200, 261), wind);
    // ticks where the transform puts x = 2, 4 and y = 2, 4 (outside the chart area)
    for (double v : {2.0, 4.0}) {
        int px = 0, py = 0;
        chart.WorldToMouse(1, v, v, px, py);
        EXPECT_EQ(PixelRgb(img, px, 262), black) << v;
        EXPECT_EQ(PixelRgb(img, px + 1, 262), wind) << v;
        EXPECT_EQ(PixelRgb(img, 48, py), black) << v;
        EXPECT_EQ(PixelRgb(img, 48, py + 1), wind) << v;
    }
    // the caption: right-justified at the chart area's right edge, 16 pixels above its top
    TCanvas& canvas = TChartProbe::ControlImage(chart).Canvas();
    canvas.Font().Assign(chart.Font());
    const int tw = canvas.TextWidth("Ab"), th = canvas.TextHeight("Ab");
    EXPECT_GT(CountPixels(img, black, 380 - tw, 4, 380, 4 + th), 10);
    EXPECT_EQ(CountPixels(img, wind, 0, 0, 400, 4), 400 * 4);
    EXPECT_EQ(CountPixels(img, wind, 380, 0, 400, 20), 20 * 20);
}

TEST_F(Painting, ShadowStyles)
{
    chart.SetShadowColor(clGray);
    chart.SetShadowBakColor(clSilver);
    chart.SetShadowWidth(8);
    Show();
    chart.Paint();
    const QImage& img = chart.ScreenImage();
    const int w = 400, h = 300;
    const std::uint32_t gray = Rgb(clGray), silver = Rgb(clSilver), black = Rgb(clBlack);
    // flying: the bottom shadow starts 7 pixels from the left edge, the right one 7 from the top
    EXPECT_EQ(PixelRgb(img, 6, h - 4), silver);
    EXPECT_EQ(PixelRgb(img, 7, h - 4), gray);
    EXPECT_EQ(PixelRgb(img, 7, h - 7), gray);
    EXPECT_EQ(PixelRgb(img, w - 4, 6), silver);
    EXPECT_EQ(PixelRgb(img, w - 4, 7), gray);
    EXPECT_EQ(PixelRgb(img, 3, h - 8), black);  // outline of the control's shadowed rectangle
    EXPECT_EQ(PixelRgb(img, w - 8, 3), black);
    EXPECT_EQ(chart.AreaWidth(), 330 - 8);

    chart.SetShadowStyle(ssBox);
    // box: a 45-degree bevel from the corner, outlined in black
    EXPECT_EQ(PixelRgb(img, 3, h - 5), black);
    EXPECT_EQ(PixelRgb(img, 2, h - 4), silver);
    EXPECT_EQ(PixelRgb(img, 5, h - 4), gray);
    EXPECT_EQ(PixelRgb(img, 100, h - 1), black);
    EXPECT_EQ(PixelRgb(img, w - 1, 100), black);
}

TEST_F(Painting, CaptionAnchorBelowTheChartAreaIgnoresTheShadow)
{
    chart.SetShadowWidth(8);
    chart.SetCaption("Ab");
    chart.SetCaptionAnchorVert(cavChartBottom);
    chart.SetCaptionPosY(0);
    chart.SetCaptionAlignment(taLeftJustify);
    chart.SetCaptionAnchorHoriz(cahControlLeft);
    chart.SetCaptionPosX(2);
    Show();
    chart.Paint();
    const QImage& img = chart.ScreenImage();
    // the text box starts at y = 300 - 40 = 260, 8 pixels below the chart area's bottom 252
    const std::uint32_t wind = Rgb(clBtnFace);
    EXPECT_EQ(CountPixels(img, wind, 1, 252, 20, 260), 19 * 8);
    EXPECT_LT(CountPixels(img, wind, 1, 260, 20, 280), 19 * 20);
}

TEST_F(Painting, MissingPictureIsForgottenAndTheColourDrawn)
{
    chart.BackGroundImg().SetIncludePath(true);
    chart.SetChartColor(clYellow);
    chart.BackGroundImg().SetName("/nonexistent/picture.bmp");
    Show();
    chart.Paint();
    EXPECT_EQ(chart.BackGroundImg().Name(), "");
    EXPECT_EQ(PixelRgb(chart.ScreenImage(), 200, 150), Rgb(clYellow));
}

TEST_F(Painting, PictureFillModes)
{
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.setPixel(1, 1, qRgb(0, 0, 255));
    const QString path = QDir::temp().filePath("kalmira_chart_bkg.bmp");
    ASSERT_TRUE(picture.save(path, "BMP"));
    chart.BackGroundImg().SetIncludePath(true);
    chart.BackGroundImg().SetName(path.toStdString());
    Show();
    const int dw = chart.AreaWidth() + 1, dh = chart.AreaHeight() + 1;
    const QImage& img = chart.ScreenImage();
    auto at = [&](int x, int y) { return PixelRgb(img, 50 + x, 20 + y); };

    chart.BackGroundImg().SetFillMode(bfTile);
    EXPECT_EQ(at(5, 4), 0x0000FFu);  // every tile holds the blue pixel
    EXPECT_EQ(at(9, 7), 0x0000FFu);
    EXPECT_EQ(at(6, 4), 0xFF0000u);
    chart.BackGroundImg().SetFillMode(bfSimple);
    EXPECT_EQ(at(1, 1), 0x0000FFu);
    EXPECT_EQ(at(2, 1), 0xFF0000u);
    EXPECT_EQ(at(100, 100), Rgb(clWhite));
    chart.BackGroundImg().SetFillMode(bfStretch);
    EXPECT_EQ(at(dw * 3 / 8, dh / 2), 0x0000FFu);
    EXPECT_EQ(at(dw * 7 / 8, dh / 6), 0xFF0000u);
    EXPECT_EQ(at(dw - 2, dh - 2), 0xFF0000u);
    QFile::remove(path);
}

TEST_F(Painting, AreaStripeInWorldCoordinates)
{
    Show();
    TBakGndImg& bkg = chart.BackGroundImg();
    bkg.SetAreaColor(clAqua);
    bkg.SetAreaLeft(2);
    bkg.SetAreaRight(4);
    bkg.SetAreaMode(bamVStripe);
    const QImage& img = chart.ScreenImage();
    // x = 2 and x = 4 lie at 116 and 182
    EXPECT_EQ(PixelRgb(img, 115, 150), Rgb(clWhite));
    EXPECT_EQ(PixelRgb(img, 116, 150), Rgb(clAqua));
    EXPECT_EQ(PixelRgb(img, 181, 150), Rgb(clAqua));
    EXPECT_EQ(PixelRgb(img, 182, 150), Rgb(clWhite));
    EXPECT_EQ(PixelRgb(img, 150, 21), Rgb(clAqua));
}

TEST_F(Painting, DataAreaRefreshLeavesTheRestOfTheScreen)
{
    Show();
    chart.Paint();
    paints = 0;
    std::vector<std::pair<int, int>> events;
    chart.OnBeforeRenderData = [&](TCustomRChart&, TCanvas&, int top, int left) { events.push_back({top, left}); };
    chart.SetAutoRedraw(false);
    chart.SetWindColor(clRed);     // stored only
    chart.SetChartColor(clYellow);
    chart.SetAutoRedraw(true);
    chart.ShowItems();
    EXPECT_EQ(paints, 0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_pair(20, 50));
    const QImage& img = chart.ScreenImage();
    EXPECT_EQ(PixelRgb(img, 200, 150), Rgb(clYellow));
    EXPECT_EQ(PixelRgb(img, 10, 150), Rgb(clBtnFace));
}

TEST_F(Painting, HiddenChartShowsNothing)
{
    Show();
    chart.Paint();
    chart.hide();
    chart.SetChartColor(clRed);
    chart.ShowItems();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(PixelRgb(chart.ScreenImage(), 200, 150), Rgb(clWhite));
}

TEST_F(Painting, LogarithmicErrorLeavesAWorkingChart)
{
    Show();
    try {
        chart.Scale1X().SetLogarithmic(true);  // not loaded: accepted over the range 0..10
        FAIL() << "no error";
    } catch (const EQZLRChartError& e) {
        EXPECT_STREQ(e.what(), "Logarithmic axis must not be negative.");
    }
    EXPECT_FALSE(chart.PaintLock());
    EXPECT_THROW(chart.Paint(), EQZLRChartError);
    const int before = paints;
    chart.Scale1X().SetRangeLow(1);
    EXPECT_EQ(paints, before + 1);
    int px = 0, py = 0;
    chart.WorldToMouse(1, 10, 0, px, py);
    EXPECT_EQ(px, 380);
}

TEST_F(Painting, NonFiniteRangesAreNotStored)
{
    Show();
    const double inf = std::numeric_limits<double>::infinity();
    chart.Scale1X().SetRangeLow(std::nan(""));
    chart.Scale1X().SetRangeHigh(inf);
    chart.SetLayerRange(1, -inf, std::nan(""), inf, 3);
    chart.Scale1Y().SetMinRange(inf);
    EXPECT_EQ(chart.Scale1X().RangeLow(), 0);
    EXPECT_EQ(chart.Scale1X().RangeHigh(), 10);
    EXPECT_EQ(chart.Scale1Y().RangeHigh(), 10);
    EXPECT_EQ(chart.Scale1Y().MinRange(), 1e-10);
}

// Drives hostile property values and sizes through repaints: nothing may crash or hang, and the
// chart must paint sanely again once the values are normal.
TEST_F(Painting, HostileValuesNeverBreakTheChart)
{
    Show();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {std::nan(""), inf, -inf, 0.0, -1.0, 1e308, -1e308, 1e-300, 5e-324, 1e15};
    const int sizes[] = {0, -5, 79, 600};
    const int margins[] = {INT_MIN, -1000, -1, 0, 1, 500, INT_MAX};
    for (double v : values) {
        SCOPED_TRACE(v);
        auto tryIt = [](auto&& f) {
            try {
                f();
            } catch (const EQZLRChartError&) {
            }
        };
        tryIt([&] { chart.Scale1X().SetRangeLow(v); });
        tryIt([&] { chart.Scale1Y().SetRangeHigh(v); });
        tryIt([&] { chart.Scale1Y().SetMinRange(std::fabs(v)); });
        tryIt([&] { chart.Scale1X().SetLogarithmic(true); });
        tryIt([&] { chart.SetLayerRange(1, v, -v, 2 * v, v); });
        tryIt([&] { chart.SetGridDx(v); });
        tryIt([&] { chart.BackGroundImg().SetAreaLeft(v); });
        tryIt([&] { chart.BackGroundImg().SetAreaMode(bamRect); });
        tryIt([&] { chart.AddMark(1, v, v); });
        tryIt([&] { chart.Paint(); });
        tryIt([&] { chart.Scale1X().SetLogarithmic(false); });
    }
    for (int m : margins) {
        SCOPED_TRACE(m);
        chart.SetMarginLeft(m);
        chart.SetMarginBottom(m);
        chart.SetShadowWidth(m);
        for (int s : sizes) {
            chart.SetBounds(0, 0, s, s);
            chart.resize(s, s);
            chart.Paint();
            chart.ShowItems();
        }
    }
    chart.SetMarginLeft(50);
    chart.SetMarginBottom(40);
    chart.SetShadowWidth(0);
    chart.SetBounds(0, 0, 400, 300);
    chart.SetLayerRange(1, 0, 0, 10, 10);
    chart.BackGroundImg().SetAreaMode(bamNone);
    chart.Paint();
    int px = 0, py = 0;
    chart.WorldToMouse(1, 5, 5, px, py);
    EXPECT_EQ(std::make_pair(px, py), std::make_pair(215, 140));
    EXPECT_EQ(PixelRgb(chart.ScreenImage(), 200, 150), Rgb(clWhite));
    EXPECT_EQ(PixelRgb(chart.ScreenImage(), 50, 150), Rgb(clBlack));
}

TEST_F(Painting, EventsOfTheFullRepaintInOrder)
{
    std::vector<std::string> order;
    Show();
    chart.OnScalesRendered = [&](TCustomRChart& s, TCanvas& canvas, int top, int left) {
        EXPECT_EQ(&s, &chart);
        EXPECT_EQ(&canvas, &TChartProbe::ControlImage(chart).Canvas());
        EXPECT_EQ(top, 0);
        EXPECT_EQ(left, 0);
        order.push_back("scales");
    };
    chart.OnBeforeRenderData = [&](TCustomRChart&, TCanvas& canvas, int top, int left) {
        EXPECT_EQ(&canvas, &TChartProbe::DataImage(chart).Canvas());
        EXPECT_EQ(top, 20);
        EXPECT_EQ(left, 50);
        canvas.Brush().SetColor(clRed);  // brush and pen colours come back after the handler
        order.push_back("before");
    };
    chart.OnDataRendered = [&](TCustomRChart&, TCanvas&, int top, int left) {
        EXPECT_EQ(top, 20);
        EXPECT_EQ(left, 50);
        order.push_back("data");
    };
    chart.Paint();
    EXPECT_EQ(order, (std::vector<std::string>{"scales", "before", "data"}));
}

// The caption's first inked column and row for each anchor, relative to the control-left and
// control-top anchors (glyph bearings cancel out).
TEST_F(Painting, CaptionAnchors)
{
    chart.SetCaption("H");
    chart.SetCaptionAlignment(taLeftJustify);
    chart.SetCaptionPosX(0);
    chart.SetCaptionPosY(0);
    chart.SetChartColor(clBtnFace);  // ink inside the chart area shows as well
    chart.SetChartFrameColor(clBtnFace);
    chart.Scale1X().SetVisible(false);
    chart.Scale1Y().SetVisible(false);
    Show();
    const std::uint32_t wind = Rgb(clBtnFace);
    auto firstInk = [&](bool column) {
        chart.Paint();
        const QImage& img = chart.ScreenImage();
        for (int a = 0; a < (column ? img.width() : img.height()); ++a)
            for (int b = 0; b < (column ? img.height() : img.width()); ++b)
                if (PixelRgb(img, column ? a : b, column ? b : a) != wind) return a;
        return -1;
    };
    chart.SetCaptionAnchorVert(cavControlTop);
    chart.SetCaptionAnchorHoriz(cahControlLeft);
    const int x0 = firstInk(true);
    const std::pair<TCaptionAnchorHoriz, int> horiz[] = {
        {cahChartLeft, 50}, {cahChartCenter, 50 + 330 / 2}, {cahChartRight, 400 - 20}, {cahControlRight, 400}};
    for (const auto& [anchor, offset] : horiz) {
        SCOPED_TRACE(anchor);
        chart.SetCaptionAnchorHoriz(anchor);
        chart.SetCaptionPosX(anchor == cahControlRight ? -20 : 0);
        EXPECT_EQ(firstInk(true), x0 + offset + chart.CaptionPosX());
    }
    chart.SetCaptionAnchorHoriz(cahControlLeft);
    chart.SetCaptionPosX(0);
    const int y0 = firstInk(false);
    const std::pair<TCaptionAnchorVert, int> vert[] = {
        {cavChartTop, 20}, {cavChartCenter, 20 + 240 / 2}, {cavChartBottom, 300 - 40}, {cavControlBottom, 300}};
    for (const auto& [anchor, offset] : vert) {
        SCOPED_TRACE(anchor);
        chart.SetCaptionAnchorVert(anchor);
        chart.SetCaptionPosY(anchor == cavControlBottom ? -30 : 0);
        EXPECT_EQ(firstInk(false), y0 + offset + chart.CaptionPosY());
    }
}

// An item or label that leaves the brush clear (a hollow shape, text without background, a
// transparent label) must not keep the next pass from blanking the chart area: otherwise what
// was drawn before stays on the screen.
TEST_F(Painting, EveryPassStartsFromABlankChartArea)
{
    Show();
    const std::vector<std::function<void()>> clearBrush = {
        [&] { AddRect(chart, 2, 2, 8, 8, true); },
        [&] { AddText(chart, 5, 5, "Test", 10, taCenter); },
        [&] {
            chart.TextLabel(1).SetCaption("Label");
            chart.TextLabel(1).SetPosX(5);
            chart.TextLabel(1).SetPosY(5);
            chart.TextLabel(1).SetTransparent(true);
            chart.TextLabel(1).SetVisible(true);
            chart.TextLabel(1).SetMode(tlBox);
        },
    };
    for (std::size_t k = 0; k < clearBrush.size(); ++k) {
        const auto [x, y] = Pixel(1, 1, 1);
        for (const bool refresh : {true, false}) {
            chart.TextLabel(1).SetMode(tlOff);
            chart.ClearItems();
            chart.AddMark(26, 1, 1);
            clearBrush[k]();
            refresh ? chart.ShowItems() : chart.Paint();
            ASSERT_EQ(PixelRgb(chart.ScreenImage(), x, y), Rgb(clBlack)) << k;
            chart.ClearItems();
            clearBrush[k]();
            refresh ? chart.ShowItems() : chart.Paint();
            EXPECT_EQ(PixelRgb(chart.ScreenImage(), x, y), Rgb(clWhite)) << k << (refresh ? " refresh" : " repaint");
        }
    }
}
