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
