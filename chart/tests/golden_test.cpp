// Golden pictures of whole charts: any pixel that changes in marks, curve, grid, items, labels,
// crosshairs, scales or caption fails here, beside the pixel assertions of the other tests.
// UPDATE_GOLDENS=1 rewrites the PNGs (after a deliberate change of the picture).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "chart/chart.h"
#include "chart/tests/chartprobe.h"
#include "testsupport/testsupport.h"

namespace {

std::string Golden(const std::string& name) { return std::string(KALMIRA_GOLDEN_DIR) + "/" + name; }

// A chart as the main window uses it: green disc marks, a fitted curve, a dotted grid, a text
// label, a crosshair and a caption; 400 x 300 with layer 1 from 0 to 10.
void Furnish(TRChart& chart)
{
    chart.SetBounds(0, 0, 400, 300);
    chart.Scale1X().SetRangeHigh(10);
    chart.Scale1Y().SetRangeHigh(10);
    chart.Scale1X().SetCaption("x");
    chart.Scale1Y().SetCaption("y");
    chart.SetCaption("Kalmira");
    chart.SetGridStyle(gsDotLines);
    chart.SetGridColor(clGray);
    chart.SetDataColor(clGreen);
    for (int i = 0; i <= 20; ++i) {
        const double x = 0.5 * i;
        chart.AddMark(26, x, 1 + 0.8 * x + std::sin(3 * x));
    }
    chart.SetDataColor(clNavy);
    for (int k = 0; k < 10; ++k) chart.AddMark(std::uint8_t(k), 1 + k * 0.9, 9.0);
    chart.AddMark(26, 1e9, 5.0);   // far beyond the right edge: clamped, not drawn
    chart.SetDataColor(clRed);
    chart.AddMoveTo(0, 1);
    for (int i = 1; i <= 250; ++i) chart.AddLineTo(i * 0.04, 1 + 0.8 * i * 0.04);
    TTextLabel& label = chart.TextLabel(1);
    label.SetCaption("Lin");
    label.SetPosX(7.5);
    label.SetPosY(3.0);
    label.SetMode(tlBox);
    label.SetVisible(true);
    TCrossHair& hair = chart.CrossHair1();
    hair.SetPosX(4.0);
    hair.SetPosY(6.0);
    hair.SetColor(clPurple);
    hair.SetMode(chBoth);
}

TEST(GoldenPictures, ChartWithMarksCurveGridLabelAndCrossHair)
{
    TRChart chart;
    Furnish(chart);
    chart.show();
    chart.Paint();
    EXPECT_TRUE(testsupport::MatchesGolden(chart.ScreenImage(), Golden("chart_main.png")));
    // The data-area refresh gives the same picture.
    chart.ShowItems();
    EXPECT_TRUE(testsupport::MatchesGolden(chart.ScreenImage(), Golden("chart_main.png")));
}

TEST(GoldenPictures, ChartWithEveryItemKindOnLogarithmicAxes)
{
    TRChart chart;
    chart.SetBounds(0, 0, 360, 260);
    chart.Scale1X().SetRangeLow(1);
    chart.Scale1X().SetRangeHigh(1000);
    chart.Scale1X().SetLogarithmic(true);
    chart.Scale1Y().SetRangeLow(-5);
    chart.Scale1Y().SetRangeHigh(5);
    chart.SetGridStyle(gsLines);
    chart.SetGridColor(clSilver);
    chart.SetDataColor(clNavy);
    chart.SetFillColor(clAqua);
    AddLine(chart, 2, -4, 20, -1);
    AddRect(chart, 3, 1, 8, 3);
    AddRect(chart, 30, 1, 80, 3, true);
    AddRect3D(chart, 100, 1, 300, 4, clWhite, clGray, 2);
    AddBar3D(chart, 2, -3, 4, -1, 6, 45);
    AddText(chart, 10, 4, "Text", 9, taCenter);
    AddTextOffset(chart, 10, -4, 5, -5, "Off", 8);
    AddEllipse(chart, 300, -3, 100, 1);
    AddMoveRel(chart, 10, 10);
    AddLineRel(chart, 20, -5);
    AddArrow(chart, 20, -4, 200, -2, 8);
    AddArrow(chart, 20, 0, 200, 2, 8, true);
    AddRectCentred(chart, 500, 0, 6, 4);
    chart.SetLineWidth(3);
    chart.SetDataColor(clMaroon);
    chart.AddMoveTo(1, 0);
    for (int i = 1; i <= 30; ++i) chart.AddLineTo(std::pow(10.0, i * 0.1), 3 * std::sin(i * 0.5));
    chart.SetLineWidth(1);
    chart.SetDataColor(clBlack);
    for (int i = 0; i < 30; ++i) chart.AddMark(std::uint8_t(i * 7 % 52), std::pow(10.0, i * 0.1), -2.0);
    chart.AddMark(26, 0.0, 0.0);   // not positive on a logarithmic axis: beyond the left edge
    chart.show();
    chart.Paint();
    EXPECT_TRUE(testsupport::MatchesGolden(chart.ScreenImage(), Golden("chart_items_log.png")));
}

TEST(GoldenPictures, ChartPannedAndReversed)
{
    TRChart chart;
    Furnish(chart);
    chart.SetShadowWidth(6);
    chart.SetStandardLayout(rcl_X2Both_Y2Both);
    chart.Scale2X().SetRangeLow(100);
    chart.Scale2X().SetRangeHigh(-100);
    chart.Scale2Y().SetRangeLow(1);
    chart.Scale2Y().SetRangeHigh(1e4);
    chart.Scale2Y().SetLogarithmic(true);
    chart.show();
    chart.SetLayerRange(1, -1.25, 2.5, 8.75, 12.5);
    EXPECT_TRUE(testsupport::MatchesGolden(chart.ScreenImage(), Golden("chart_panned.png")));
}

}  // namespace
