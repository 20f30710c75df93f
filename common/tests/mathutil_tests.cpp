#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/mathutil.h"

namespace {

TEST(Rounding, FloorAndHalfEven)
{
    EXPECT_EQ(FloorToInt(-2.5), -3);
    EXPECT_EQ(FloorToInt(2.5), 2);
    EXPECT_EQ(FloorToInt(3), 3);
    EXPECT_EQ(FloorToInt(-0.1), -1);
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundToInt(std::nan("")), 0);
}

TEST(DecimalLog, PowersOfTenAreExact)
{
    for (int e = -20; e <= 20; ++e) {
        SCOPED_TRACE(e);
        EXPECT_NEAR(DecimalLog(std::pow(10.0, e)), e, 1e-15 * (1 + std::abs(e)));
    }
    EXPECT_EQ(FloorToInt(DecimalLog(1000)), 3);
    EXPECT_EQ(FloorToInt(DecimalLog(999.9)), 2);
}

struct StepCase {
    const char* name;
    int n;
    double from, to;
    double first, step;
    int subTicks;
};

const StepCase kStepCases[] = {
    {"TenByFive", 5, 0, 10, 0, 1, 5},
    {"TenByFour", 4, 0, 10, 0, 2, 4},
    {"TenByTwo", 2, 0, 10, 0, 2, 4},   // m = 5 exactly falls into the lower class
    {"OneByThree", 3, 0, 1, 0, 0.2, 4},
    {"Reversed", 5, 10, 0, 10, -1, 5},
    {"UnitSteps", 0, 2.5, 20, 3, 1, 1},
    {"UnitStepsShortRange", 0, 2.5, 7, 3, 1, 5},
    {"EmptyRange", 5, 3, 3, 3, 0, 1},
    {"FiveTimesPower", 1, 0, 7, 0, 5, 5},
    {"OffsetStart", 5, 0.05, 10.05, 1, 1, 5},  // 0 misses 0.05 by more than 0.001 steps,
    {"NegativeRange", 4, -7, -3, -7, 1, 5},
};

class TickSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(TickSteps, FindsNiceStepAndFirstTick)
{
    const StepCase& c = GetParam();
    long double first = 0, step = 0;
    std::int16_t sub = 0;
    FindTickStep(c.n, first, step, c.from, c.to, sub);
    EXPECT_NEAR(double(step), c.step, 1e-12 * std::fabs(c.step) + 1e-300);
    EXPECT_NEAR(double(first), c.first, 1e-9);
    EXPECT_EQ(sub, c.subTicks);
}

INSTANTIATE_TEST_SUITE_P(Common, TickSteps, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TickSteps, EndsOnExtremeRanges)
{
    const double ends[][2] = {{0, 1e-300}, {0, 1e300}, {-1e300, 1e300}, {1e300, -1e300}, {1e20, 1e20 + 1e5},
                              {1, 1 + 1e-15}, {-1e308, 1e308}};
    for (int n : {0, 1, 5, 250}) {
        for (const auto& e : ends) {
            SCOPED_TRACE(std::to_string(n) + " " + std::to_string(e[0]) + " " + std::to_string(e[1]));
            long double first = 0, step = 0;
            std::int16_t sub = 0;
            FindTickStep(n, first, step, e[0], e[1], sub);
            EXPECT_TRUE(sub == 1 || sub == 4 || sub == 5);
            if (n > 0) {
                EXPECT_EQ(step > 0, e[1] > e[0]);
            }
        }
    }
}

TEST(Swap, ExchangesContents)
{
    std::int32_t a = 1, b = 2;
    SwapIntegers(a, b);
    double c = 1.5, d = 2.5;
    SwapDoubles(c, d);
    long double e = 1, f = 2;
    SwapExtendeds(e, f);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(d, 1.5);
    EXPECT_EQ(e, 2);
}

}  // namespace
