#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chartfixture.h"

using Coords = ChartFixture;

TEST_F(Coords, CoefficientsOfTheChartArea)
{
    EXPECT_EQ(chart.AxisMapX(1).K(), 33);
    EXPECT_EQ(chart.AxisMapX(1).D(), 50);
    EXPECT_EQ(chart.AxisMapY(1).K(), -24);
    EXPECT_EQ(chart.AxisMapY(1).D(), 260);
    const TChartArea a = chart.ChartArea();
    EXPECT_EQ(a.Left, 50);
    EXPECT_EQ(a.Right, 380);
    EXPECT_EQ(a.Top, 20);
    EXPECT_EQ(a.Bottom, 260);
}

struct MapCase {
    const char* name;
    int layer;
    double x, y;
    int px, py;
};

const MapCase kMapCases[] = {
    {"Origin", 1, 0, 0, 50, 260},
    {"UpperEnd", 1, 10, 10, 380, 20},
    {"Middle", 1, 5, 5, 215, 140},
    {"TieRoundsToEven", 1, 2.5, 7.5, 132, 80},
    {"LayerZeroIsLayerOne", 0, 5, 5, 215, 140},
    {"Huge", 1, 1e300, -1e300, 2147483647, 2147483647},
    {"HugeNegative", 1, -1e300, 1e300, -2147483647, -2147483647},
    {"Infinite", 1, std::numeric_limits<double>::infinity(), 0, 2147483647, 260},
};

class WorldToMouseRows : public Coords, public ::testing::WithParamInterface<MapCase> {};

TEST_P(WorldToMouseRows, MapsToPixel)
{
    const MapCase& c = GetParam();
    EXPECT_EQ(Pixel(c.layer, c.x, c.y), std::make_pair(c.px, c.py));
}

INSTANTIATE_TEST_SUITE_P(Chart, WorldToMouseRows, ::testing::ValuesIn(kMapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Coords, LayerAbove16IsLayer16)
{
    chart.ScalePropsX(16).SetRangeHigh(4);
    EXPECT_EQ(Pixel(17, 2, 0), Pixel(16, 2, 0));
    EXPECT_EQ(Pixel(17, 2, 0).first, 215);
}

TEST_F(Coords, MouseToWorldInvertsTheTransform)
{
    double x = 0, y = 0;
    chart.MouseToWorld(1, 215, 140, x, y);
    EXPECT_DOUBLE_EQ(x, 5);
    EXPECT_DOUBLE_EQ(y, 5);
    chart.MouseToWorld(1, 25, 280, x, y);
    EXPECT_NEAR(x, -25.0 / 33, 1e-12);
    EXPECT_NEAR(y, -20.0 / 24, 1e-12);
}

TEST_F(Coords, LogarithmicAxisAndNonPositiveValues)
{
    chart.Scale1X().SetRangeLow(1);
    chart.Scale1X().SetRangeHigh(100);
    chart.Scale1X().SetLogarithmic(true);
    ASSERT_TRUE(chart.Scale1X().Logarithmic());
    EXPECT_EQ(Pixel(1, 10, 0).first, 215);
    EXPECT_EQ(Pixel(1, 100, 0).first, 380);
    EXPECT_EQ(Pixel(1, 0, 0).first, 0);
    EXPECT_EQ(Pixel(1, -5, 0).first, 0);
    double x = 0, y = 0;
    chart.MouseToWorld(1, 215, 140, x, y);
    EXPECT_NEAR(x, 10, 1e-12);

    chart.SetLayerRange(1, 100, 0, 1, 10);  // reversed
    EXPECT_EQ(Pixel(1, 0, 0).first, 400);
    EXPECT_EQ(Pixel(1, -5, 0).first, 400);
    EXPECT_EQ(Pixel(1, 10, 0).first, 215);
}

TEST_F(Coords, LogarithmicYBelowFloorGoesToTheBottom)
{
    chart.Scale1Y().SetRangeLow(1);
    chart.Scale1Y().SetLogarithmic(true);
    EXPECT_EQ(Pixel(1, 0, 0).second, 300);
    EXPECT_EQ(Pixel(1, 0, 10).second, 20);
}

TEST_F(Coords, RangeLowCloserThanMinRangeMovesTheOtherEnd)
{
    chart.Scale1X().SetRangeLow(9.99999999999);
    EXPECT_EQ(chart.Scale1X().RangeLow(), 9.99999999999);
    EXPECT_EQ(chart.Scale1X().RangeHigh(), 9.99999999999 + 1e-10);
    chart.Scale1Y().SetRangeHigh(1e-11);
    EXPECT_EQ(chart.Scale1Y().RangeHigh(), 1e-11);
    EXPECT_EQ(chart.Scale1Y().RangeLow(), 1e-11 - 1e-10);
}

TEST_F(Coords, MinRangeWidensAroundTheCentre)
{
    chart.Scale1X().SetRangeLow(2);
    chart.Scale1X().SetRangeHigh(2.5);
    int changes = 0;
    TScaleProps& x = chart.Scale1X();
    auto previous = x.OnChange;
    x.OnChange = [&](TScaleProps& s) { ++changes; previous(s); };
    x.SetMinRange(1);
    EXPECT_EQ(x.RangeLow(), 1.75);
    EXPECT_EQ(x.RangeHigh(), 2.75);
    EXPECT_EQ(changes, 1);
    x.SetMinRange(0.5);  // already wide enough: stored, no notification
    x.SetMinRange(1e-100);  // at the floor: ignored
    EXPECT_EQ(x.MinRange(), 0.5);
    EXPECT_EQ(changes, 1);
}

TEST_F(Coords, LogarithmicRefusedOnNonPositiveRangeAfterLoading)
{
    chart.Loaded();
    int changes = 0;
    chart.OnScalesRendered = nullptr;
    TScaleProps& x = chart.Scale1X();
    auto previous = x.OnChange;
    x.OnChange = [&](TScaleProps& s) { ++changes; previous(s); };
    x.SetLogarithmic(true);  // RangeLow is 0
    EXPECT_FALSE(x.Logarithmic());
    EXPECT_EQ(changes, 1);
    x.SetLabelType(ftDateTime);
    x.SetRangeLow(1);
    x.SetLogarithmic(true);
    EXPECT_FALSE(x.Logarithmic());
}

TEST_F(Coords, LogarithmicAxisKeepsItsPositiveEnds)
{
    TScaleProps& x = chart.Scale1X();
    x.SetRangeLow(1);
    x.SetLogarithmic(true);
    x.SetRangeLow(-3);
    EXPECT_EQ(x.RangeLow(), 1);
    chart.SetLayerRange(1, 0, 0, 50, 10);
    EXPECT_EQ(x.RangeLow(), 1);
    EXPECT_EQ(x.RangeHigh(), 50);
}

TEST_F(Coords, LayerRangeKeepsPairsCloserThanMinRange)
{
    chart.SetLayerRange(1, 3, 4, 3 + 1e-12, 8);
    EXPECT_EQ(chart.Scale1X().RangeLow(), 0);
    EXPECT_EQ(chart.Scale1X().RangeHigh(), 10);
    EXPECT_EQ(chart.Scale1Y().RangeLow(), 4);
    EXPECT_EQ(chart.Scale1Y().RangeHigh(), 8);
}

TEST_F(Coords, ReversedPairGivesReversedAxis)
{
    chart.SetLayerRange(1, 10, 0, 0, 10);
    EXPECT_EQ(Pixel(1, 10, 0).first, 50);
    EXPECT_EQ(Pixel(1, 0, 0).first, 380);
}

TEST_F(Coords, JoinedLayerFollowsItsController)
{
    chart.JointLayers().SetL02xControlledBy(1);
    EXPECT_EQ(chart.Scale2X().RangeLow(), 0);
    EXPECT_EQ(chart.Scale2X().RangeHigh(), 10);
    EXPECT_EQ(chart.Scale2Y().RangeHigh(), 1);  // Y keeps its own range
    chart.Scale1X().SetRangeHigh(20);
    EXPECT_EQ(chart.Scale2X().RangeHigh(), 20);

    chart.SetLayerRange(2, 5, 3, 6, 4);  // the joined X axis cannot be moved directly
    EXPECT_EQ(chart.Scale2X().RangeLow(), 0);
    EXPECT_EQ(chart.Scale2X().RangeHigh(), 20);
    EXPECT_EQ(chart.Scale2Y().RangeLow(), 3);
    EXPECT_EQ(chart.Scale2Y().RangeHigh(), 4);

    chart.JointLayers().SetL02xControlledBy(2);
    chart.Scale1X().SetRangeHigh(30);
    EXPECT_EQ(chart.Scale2X().RangeHigh(), 20);
    EXPECT_EQ(chart.JointLayers().L02xControlledBy(), 2);
}

TEST_F(Coords, YJoinTakesTheControllersYRange)
{
    chart.JointLayers().SetL03yControlledBy(1);
    EXPECT_EQ(chart.Scale3Y().RangeHigh(), 10);
    EXPECT_EQ(chart.Scale3X().RangeHigh(), 1);
}

struct JoinErrorCase {
    const char* name;
    bool yTable;
    int layer, controller;
    const char* message;
};

const JoinErrorCase kJoinErrors[] = {
    {"OutOfRange", false, 5, 17, "Destination layer 17 is out of range"},
    {"OutOfRangeLow", true, 5, 0, "Destination layer 0 is out of range"},
    {"AlreadyJoined", false, 3, 2, "Destination layer 2 is already joined"},
    {"JoinedByOthers", false, 1, 4, "Layer 1 is joined by other layers (2)"},
    {"JoinedByTwo", false, 2, 4, "Layer 2 is joined by other layers (3, 5)"},
};

class JoinErrors : public Coords, public ::testing::WithParamInterface<JoinErrorCase> {};

TEST_P(JoinErrors, RaiseAndLeaveTheTables)
{
    const JoinErrorCase& c = GetParam();
    TJointLayers& j = chart.JointLayers();
    if (std::string(c.name) == "JoinedByTwo") {
        j.SetL03xControlledBy(2);
        j.SetL05xControlledBy(2);
    } else {
        j.SetL02xControlledBy(1);
    }
    const int before = c.yTable ? j.YControlledBy(c.layer) : j.XControlledBy(c.layer);
    try {
        if (c.yTable)
            j.SetYControlledBy(c.layer, c.controller);
        else
            j.SetXControlledBy(c.layer, c.controller);
        FAIL() << "no error";
    } catch (const EQZLRChartError& e) {
        EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(c.yTable ? j.YControlledBy(c.layer) : j.XControlledBy(c.layer), before);
}

INSTANTIATE_TEST_SUITE_P(Chart, JoinErrors, ::testing::ValuesIn(kJoinErrors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Coords, IsometricSetsTheYSpanFromTheXSpan)
{
    chart.Scale1Y().SetRangeLow(-2);
    chart.Scale1Y().SetRangeHigh(6);  // centre 2
    chart.SetIsometric(true);
    const double span = 10.0 * (240 + 1) / (330 + 1) * chart.AspectY() / chart.AspectX();
    EXPECT_NEAR(chart.Scale1Y().RangeHigh() - chart.Scale1Y().RangeLow(), span, 1e-12);
    EXPECT_NEAR((chart.Scale1Y().RangeHigh() + chart.Scale1Y().RangeLow()) / 2, 2, 1e-12);
}

TEST_F(Coords, ResizeKeepsAMinimalChartArea)
{
    chart.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(chart.width(), 150);
    EXPECT_EQ(chart.height(), 80);
    EXPECT_EQ(chart.AreaWidth(), 80);
    EXPECT_EQ(chart.AreaHeight(), 20);
    chart.SetShadowWidth(8);
    chart.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(chart.width(), 158);
}

TEST_F(Coords, EmptyChartAreaMapsToTheMiddle)
{
    chart.SetMarginLeft(400);
    EXPECT_EQ(Pixel(1, 3, 0).first, 200);
    double x = 0, y = 0;
    chart.MouseToWorld(1, 17, 140, x, y);
    EXPECT_TRUE(std::isfinite(x));
}

TEST_F(Coords, LogarithmicAxisOverZeroRaisesFromTheTransform)
{
    // Without Loaded the axis accepts Logarithmic unchecked; the transform refuses it.
    EXPECT_THROW(chart.Scale1X().SetLogarithmic(true), EQZLRChartError);
    try {
        chart.RecalcTransforms();
        FAIL();
    } catch (const EQZLRChartError& e) {
        EXPECT_STREQ(e.what(), "Logarithmic axis must not be negative.");
    }
    chart.Scale1X().SetLogarithmic(false);
    EXPECT_NO_THROW(chart.RecalcTransforms());
}
