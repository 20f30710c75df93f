#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "chart/grid.h"

namespace {

struct GridCase {
    const char* name;
    TGridAxis axis;
    std::vector<double> positions;
};

TGridAxis Axis(double low, double high, bool log, double spacing, std::vector<double> ticks = {})
{
    TGridAxis a;
    a.RangeLow = low;
    a.RangeHigh = high;
    a.Logarithmic = log;
    a.Spacing = spacing;
    a.Ticks = std::move(ticks);
    a.ScaleRangeLow = low;
    a.ScaleRangeHigh = high;
    return a;
}

const GridCase kGridCases[] = {
    {"TicksStopBeforeTheRangeEnd", Axis(0, 10, false, 0, {0, 2, 4, 6, 8, 10}), {0, 2, 4, 6, 8}},
    {"TicksOnAReversedAxis", Axis(10, 0, false, 0, {10, 8, 6, 4, 2, 0}), {0, 2, 4, 6, 8}},
    {"NoTicksGivesTheScaleStartOnly", Axis(0, 10, false, 0), {0}},
    {"LinearSpacing", Axis(0.5, 2, false, 0.3), {0.6, 0.9, 1.2, 1.5, 1.8}},
    {"NegativeSpacingOnALinearAxis", Axis(0.5, 3, false, -1), {0, 1, 2}},
    {"Decades", Axis(3, 2000, true, -1), {10, 100, 1000}},
    {"OneTwoFive", Axis(1, 100, true, -2), {2, 5, 10, 20, 50}},
    {"OneTwoFiveFromThree", Axis(3, 600, true, -2), {5, 10, 20, 50, 100, 200, 500}},
    {"WholeMultiples", Axis(1, 30, true, -3), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20}},
    {"OtherNegativeStartsAtTheLowEnd", Axis(1.5, 40, true, -0.5), {1.5, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30}},
    {"PositiveSpacingOnALogAxisIsLinear", Axis(1, 4, true, 1), {1, 2, 3}},
    {"LogSequenceOnANonPositiveRange", Axis(0, 10, true, -1), {}},
};

class GridWalk : public ::testing::TestWithParam<GridCase> {};

TEST_P(GridWalk, GivesThePositionsBelowTheRangeEnd)
{
    const GridCase& c = GetParam();
    const std::vector<double> got = GridPositions(c.axis);
    ASSERT_EQ(got.size(), c.positions.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.positions[i], 1e-9 * std::abs(c.positions[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(Grid, GridWalk, ::testing::ValuesIn(kGridCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GridWalkLimits, ATinySpacingStopsAtTheLineLimit)
{
    EXPECT_EQ(GridPositions(Axis(0, 1, false, 1e-9)).size(), std::size_t(kMaxGridLines));
    // A spacing lost in the rounding of a huge value cannot hang the walk either.
    EXPECT_EQ(GridPositions(Axis(1e20, 2e20, false, 1)).size(), std::size_t(kMaxGridLines));
}

TEST(GridWalkLimits, NextPositionOfTheTickWalkEndsAtTheRangeEnd)
{
    const TGridAxis a = Axis(0, 10, false, 0, {0, 5});
    EXPECT_EQ(NextGridPosition(a, 2, 0), 5);
    EXPECT_EQ(NextGridPosition(a, 3, 5), 10);
    EXPECT_EQ(FirstGridPosition(Axis(1, 100, true, -2)), 2);
}

}  // namespace

// ---- the grid in the chart ----

#include <QImage>

#include "chart/chart.h"
#include "chart/tests/chartprobe.h"
#include "testsupport/testsupport.h"

namespace {

constexpr std::uint32_t kGridRgb = 0x808080;

class ChartGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.SetBounds(0, 0, 50 + 200 + 20, 20 + 150 + 40);
        chart.SetLayerRange(1, 0, 0, 200, 150);
        chart.SetGridColor(clGray);
    }
    int Column(double x) const
    {
        int px = 0, py = 0;
        chart.WorldToMouse(1, x, 0, px, py);
        return px - chart.MarginLeft();
    }
    int Row(double y) const
    {
        int px = 0, py = 0;
        chart.WorldToMouse(1, 0, y, px, py);
        return py - chart.MarginTop();
    }
    const QImage& Render()
    {
        image = QImage(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        TCanvas canvas(&image);
        TChartProbe::RenderData(chart, canvas, 0, 0, false, false);
        return image;
    }
    int GridPixels(int x1, int y1, int x2, int y2) const { return testsupport::CountPixels(image, kGridRgb, x1, y1, x2, y2); }
    TRChart chart;
    QImage image;
};

TEST_F(ChartGrid, SolidVerticalLinesAtTheSpacingNotAtTheRangeEnd)
{
    chart.SetGridStyle(gsVertLines);
    chart.SetGridDx(50);
    Render();
    for (double x : {50.0, 100.0, 150.0}) {
        SCOPED_TRACE(x);
        // the line runs from the bottom edge up to the top edge, the frame rows aside
        EXPECT_EQ(GridPixels(Column(x), 1, Column(x) + 1, image.height() - 1), image.height() - 2);
    }
    EXPECT_EQ(GridPixels(Column(25), 0, Column(25) + 1, image.height()), 0);
    EXPECT_EQ(GridPixels(0, 0, image.width(), image.height()), 3 * (image.height() - 2));
}

TEST_F(ChartGrid, DottedLinesRunBothWaysAndLeaveTheCanvasSolid)
{
    chart.SetGridStyle(gsDotLines);
    chart.SetGridDx(50);
    chart.SetGridDy(50);
    QImage img(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    TCanvas canvas(&img);
    TChartProbe::RenderData(chart, canvas, 0, 0, false, false);
    image = img;
    const int x = Column(100), y = Row(50);
    EXPECT_NE(testsupport::PixelRgb(image, x, 40) == kGridRgb, testsupport::PixelRgb(image, x, 41) == kGridRgb);
    EXPECT_NE(testsupport::PixelRgb(image, 40, y) == kGridRgb, testsupport::PixelRgb(image, 41, y) == kGridRgb);
    EXPECT_EQ(canvas.Pen().Style(), psSolid);
}

TEST_F(ChartGrid, PointsStopAfterAThousandDots)
{
    chart.SetGridStyle(gsPoints);
    chart.SetGridDx(2);    // 100 columns
    chart.SetGridDy(1.5);  // 100 rows
    int dots = 0;
    chart.OnDataRendered = [&](TCustomRChart&, TCanvas& c, int, int) {
        dots = testsupport::CountPixels(c.Image(), kGridRgb, 0, 0, c.Width(), c.Height());
    };
    Render();
    EXPECT_EQ(dots, 1000);
    EXPECT_EQ(GridPixels(Column(20), 0, image.width(), image.height()), 0);  // the first ten columns only
}

TEST_F(ChartGrid, TickGridMeetsTheTicksTheScaleRecorded)
{
    chart.SetGridStyle(gsVertLines);
    chart.show();
    chart.SetPaintLock(false);
    chart.Paint();
    const TScale& scale = chart.ScaleObjectX(1);
    ASSERT_GT(scale.NumTicks(), 2);
    image = chart.ScreenImage().copy(chart.MarginLeft(), chart.MarginTop(), chart.AreaWidth() + 1, chart.AreaHeight() + 1);
    for (int k = 1; k <= scale.NumTicks(); ++k) {
        const double t = scale.TickPosition(k);
        SCOPED_TRACE(t);
        if (t <= 0 || t >= 200) continue;  // the frame lies on the range ends
        EXPECT_GT(GridPixels(Column(t), 1, Column(t) + 1, image.height() - 1), 100);
    }
    EXPECT_EQ(GridPixels(Column(200) - 1, 1, Column(200), image.height() - 1), 0);
}

TEST_F(ChartGrid, NoGridFlagLeavesItOut)
{
    chart.SetGridStyle(gsLines);
    chart.SetGridDx(50);
    image = QImage(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    TCanvas canvas(&image);
    TChartProbe::RenderData(chart, canvas, 0, 0, false, true);
    EXPECT_EQ(GridPixels(0, 0, image.width(), image.height()), 0);
}

}  // namespace
