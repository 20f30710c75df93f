// Tick plans of linear, logarithmic and time scales: values, order, recording and labels.
#include <gtest/gtest.h>

#include "scale/tickplan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<double> Values(const TTickPlan& plan, bool wantLong)
{
    std::vector<double> v;
    for (const TTickMark& m : plan.Marks)
        if (m.IsLong == wantLong) v.push_back(m.Value);
    return v;
}

std::vector<std::string> Labels(const TTickPlan& plan)
{
    std::vector<std::string> v;
    for (const TTickMark& m : plan.Marks)
        if (m.HasLabel) v.push_back(m.Label);
    return v;
}

std::vector<double> Recorded(const TTickPlan& plan)
{
    std::vector<double> v;
    for (const TTickMark& m : plan.Marks)
        if (m.Record) v.push_back(m.Value);
    return v;
}

// Values equal to a millionth of the larger magnitude (or 1e-12 near zero).
::testing::AssertionResult SameValues(const std::vector<double>& actual, const std::vector<double>& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " values, expected " << expected.size();
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const double tol = 1e-9 * std::fmax(1.0, std::fabs(expected[i]));
        if (std::fabs(actual[i] - expected[i]) > tol)
            return ::testing::AssertionFailure() << "value " << i << " is " << actual[i] << ", expected " << expected[i];
    }
    return ::testing::AssertionSuccess();
}

TTickSettings Linear(double low, double high, int minTicks)
{
    TTickSettings s;
    s.RangeLow = low;
    s.RangeHigh = high;
    s.MinTicks = minTicks;
    return s;
}

std::vector<double> Steps(double from, double to, double step)
{
    std::vector<double> v;
    const int n = int(std::lround((to - from) / step));
    for (int i = 0; i <= n; ++i) v.push_back(from + i * step);
    return v;
}

struct LinearCase {
    const char* name;
    double low, high;
    int minTicks;
    std::vector<double> longTicks;
    double shortFrom, shortTo, shortStep;  // short ticks from..to by step
    std::vector<std::string> labels;       // empty: not checked
};
void PrintTo(const LinearCase& c, std::ostream* os) { *os << c.name; }
const LinearCase kLinearCases[] = {
    {"MainWindowZeroToTen", 0, 10, 6, Steps(0, 10, 1), 0, 10, 0.2,
     {"0.0", "1.0", "2.0", "3.0", "4.0", "5.0", "6.0", "7.0", "8.0", "9.0", "10.0"}},
    {"ZeroToOne", 0, 1, 3, Steps(0, 1, 0.2), 0, 1, 0.05, {"0.00", "0.20", "0.40", "0.60", "0.80", "1.00"}},
    {"ControlDefaults", 0, 100, 3, Steps(0, 100, 20), 0, 100, 5, {"0", "20", "40", "60", "80", "100"}},
    {"NegativeStart", -3.3, 7, 3, {-2, 0, 2, 4, 6}, -3, 7, 0.5, {"-2.0", "0.0", "2.0", "4.0", "6.0"}},
    {"Reversed", 10, 0, 3, {10, 8, 6, 4, 2, 0}, 10, 0, -0.5, {}},
    {"ZeroTo37", 0, 37, 3, {0, 10, 20, 30}, 0, 36, 2, {"0.0", "10.0", "20.0", "30.0"}},
    {"TieQuotientTwo", 0, 6, 3, Steps(0, 6, 1), 0, 6, 0.2, {}},
    {"TieQuotientFive", 0, 10, 2, Steps(0, 10, 2), 0, 10, 0.5, {}},
    {"TieQuotientTen", 0, 30, 3, {0, 10, 20, 30}, 0, 30, 2, {}},
    {"NearlyZeroStart", 0.00005, 10, 6, Steps(0, 10, 1), 0.2, 10, 0.2, {}},
    {"UnitStepsShort", 0, 10, 0, Steps(0, 10, 1), 0, 10, 0.2, {}},
    {"UnitStepsNoShort", 0, 50, 0, Steps(0, 50, 1), 0, 50, 1, {}},
    {"UnitStepsReversed", 5.5, 1.2, 0, {5, 4, 3, 2}, 5.4, 1.2, -0.2, {}},
    {"TinySpan", 0.5, 0.5004, 3, Steps(0.5, 0.5004, 0.0001), 0.5, 0.5004, 0.00002,
     {"0.50000", "0.50010", "0.50020", "0.50030", "0.50040"}},
};
class LinearTicks : public ::testing::TestWithParam<LinearCase> {};
TEST_P(LinearTicks, PlanLongAndShortTicksInDrawingOrder)
{
    const LinearCase& c = GetParam();
    TTickPlan plan;
    PlanTicks(Linear(c.low, c.high, c.minTicks), plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Linear);
    EXPECT_TRUE(SameValues(Values(plan, true), c.longTicks));
    EXPECT_TRUE(SameValues(Values(plan, false), Steps(c.shortFrom, c.shortTo, c.shortStep)));
    if (!c.labels.empty()) {
        EXPECT_EQ(Labels(plan), c.labels);
    }
    // short ticks come first, then the long ones
    bool seenLong = false;
    for (const TTickMark& m : plan.Marks) {
        if (m.IsLong) seenLong = true;
        EXPECT_FALSE(seenLong && !m.IsLong);
    }
}
INSTANTIATE_TEST_SUITE_P(Scale, LinearTicks, ::testing::ValuesIn(kLinearCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LinearTicks, RecordShortTicksOnlyOrLongTicksWithoutShortOnes)
{
    TTickPlan plan;
    TTickSettings s = Linear(0, 10, 6);
    PlanTicks(s, plan);
    EXPECT_TRUE(SameValues(Recorded(plan), Steps(0, 10, 0.2)));  // 51 values
    s.ShortTicks = false;
    PlanTicks(s, plan);
    EXPECT_TRUE(SameValues(Recorded(plan), Steps(0, 10, 1)));  // 11 values
    EXPECT_EQ(plan.Marks.size(), 11u);
}

TEST(LinearTicks, ZeroRuleAndLargeSpans)
{
    TTickPlan plan;
    PlanTicks(Linear(0, 200000, 3), plan);
    EXPECT_EQ(Labels(plan).front(), "0");
    PlanTicks(Linear(0, 2000000, 3), plan);
    const std::vector<std::string> labels = Labels(plan);
    ASSERT_EQ(labels.size(), 5u);
    EXPECT_EQ(labels[0], "0.0");
    EXPECT_EQ(labels[1], " 5.0E+05");
    PlanTicks(Linear(0, 1000000, 3), plan);
    EXPECT_TRUE(SameValues(Values(plan, true), Steps(0, 1000000, 200000)));
    EXPECT_EQ(Labels(plan)[1], " 2.0E+05");
}

TEST(LinearTicks, ANearZeroTickIsLabelledAndReportedAsZero)
{
    TTickPlan plan;
    PlanTicks(Linear(-1, 1, 3), plan);
    int zeros = 0;
    for (const TTickMark& m : plan.Marks) {
        if (m.HasLabel && std::fabs(m.Value) < 1e-12) {
            ++zeros;
            EXPECT_EQ(m.LabelValue, 0.0);
            EXPECT_EQ(m.Label, "0.00");
        }
    }
    EXPECT_EQ(zeros, 1);
}

TEST(LinearTicks, WholeNumberDecimalsBlankFractionalTicks)
{
    TTickPlan plan;
    TTickSettings s = Linear(0, 2, 6);
    s.DecPlaces = 0;
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"0", "", "", "", "", "1", "", "", "", "", "2"}));
}

TEST(LinearTicks, UserTextInscriptAndNoFigures)
{
    TTickPlan plan;
    TTickSettings s = Linear(0, 100, 3);
    s.LabelType = ftUserText;
    s.UserTickText = "Jan|Feb|Mar";
    s.ShortTicks = false;
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"Jan", "Feb", "Mar", "Mar", "Mar", "Mar"}));
    s.UserTickText = "Jan|Feb|";
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"Jan", "Feb", "", "", "", ""}));

    s.LabelType = ftNum;
    s.ScaleInscript = "$";
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan)[1], "$20");
    s.ScaleInscript = "(&)";
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan)[1], "(20)");

    s.LabelType = ftNoFigs;
    PlanTicks(s, plan);
    EXPECT_TRUE(Labels(plan).empty());
    EXPECT_EQ(plan.Marks.size(), 6u);
}

TEST(LinearTicks, LabelsAreCutToFourteenCharacters)
{
    TTickPlan plan;
    TTickSettings s = Linear(0, 1, 3);
    s.DecPlaces = 12;
    s.ScaleInscript = "& m";
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan)[1], "0.200000000000 m");  // 14 characters of number, then the unit
}

struct LogCase {
    const char* name;
    double low, high;
    int minTicks, decPlaces;
    std::vector<double> longTicks;
    std::vector<double> shortTicks;
    std::vector<std::string> labels;
};
void PrintTo(const LogCase& c, std::ostream* os) { *os << c.name; }
const LogCase kLogCases[] = {
    {"SparseDecades", 1, 1000, 3, -2, {1, 10, 100, 1000}, {}, {"1", "10", "100", "1000"}},
    {"DenseDecades", 1, 100, 3, -2, {1, 2, 5, 10, 20, 50, 100},
     {3, 4, 6, 7, 8, 9, 30, 40, 60, 70, 80, 90}, {"1", "2", "5", "10", "20", "50", "100"}},
    {"SmallValues", 0.01, 10, 3, -2, {0.01, 0.1, 1, 10}, {}, {"0.01", "0.1", "1", "10"}},
    {"DecadeExponents", 0.01, 10, 3, -3, {0.01, 0.1, 1, 10}, {}, {"-2", "-1", "0", "1"}},
    {"ReversedStillAscending", 100, 1, 3, -2, {1, 2, 5, 10, 20, 50, 100},
     {3, 4, 6, 7, 8, 9, 30, 40, 60, 70, 80, 90}, {}},
    {"DenseExponentsBlankTwoAndFive", 1, 100, 3, -3, {1, 2, 5, 10, 20, 50, 100},
     {3, 4, 6, 7, 8, 9, 30, 40, 60, 70, 80, 90}, {"0", "", "", "1", "", "", "2"}},
};
class LogTicks : public ::testing::TestWithParam<LogCase> {};
TEST_P(LogTicks, PlanDecadesInIncreasingOrder)
{
    const LogCase& c = GetParam();
    TTickSettings s = Linear(c.low, c.high, c.minTicks);
    s.Logarithmic = true;
    s.DecPlaces = c.decPlaces;
    TTickPlan plan;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Logarithmic);
    EXPECT_TRUE(SameValues(Values(plan, true), c.longTicks));
    EXPECT_TRUE(SameValues(Values(plan, false), c.shortTicks));
    EXPECT_EQ(Recorded(plan).size(), plan.Marks.size());
    if (!c.labels.empty()) {
        EXPECT_EQ(Labels(plan), c.labels);
    }
}
INSTANTIATE_TEST_SUITE_P(Scale, LogTicks, ::testing::ValuesIn(kLogCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogTicks, LessThanADecadeFallsBackToLinearTicks)
{
    TTickSettings s = Linear(2, 9, 3);
    s.Logarithmic = true;
    TTickPlan plan;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Linear);
    EXPECT_TRUE(SameValues(Values(plan, true), {2, 4, 6, 8}));
    EXPECT_EQ(Labels(plan).front(), "2.0");
}

TEST(LogTicks, AnEndAtOrBelowZeroGivesNoTicks)
{
    for (double low : {0.0, -5.0}) {
        TTickSettings s = Linear(low, 100, 3);
        s.Logarithmic = true;
        TTickPlan plan;
        PlanTicks(s, plan);
        EXPECT_TRUE(plan.Marks.empty());
    }
}

struct TimeCase {
    const char* name;
    double low, high;
    std::vector<double> longTicks;
    double shortStep;
    std::vector<std::string> labels;
};
void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }
const TimeCase kTimeCases[] = {
    {"OneHour", 0, 3600, {0, 1200, 2400, 3600}, 200, {" 00:00:00", " 00:20:00", " 00:40:00", " 01:00:00"}},
    {"TwoSeconds", 0, 2, {0, 0.5, 1, 1.5, 2}, 0.1,
     {" 00:00:00.000", " 00:00:00.500", " 00:00:01.000", " 00:00:01.500", " 00:00:02.000"}},
    {"ReversedHour", 3600, 0, {3600, 2400, 1200, 0}, -200, {}},
    {"OffsetStartKeepsTheLastLongTick", 1199, 4989, {1200, 2400, 3600, 4800}, 200, {}},
};
class TimeTicks : public ::testing::TestWithParam<TimeCase> {};
TEST_P(TimeTicks, UseClockSteps)
{
    const TimeCase& c = GetParam();
    TTickSettings s = Linear(c.low, c.high, 3);
    s.LabelType = ftTime;
    TTickPlan plan;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Time);
    std::vector<double> longs = Values(plan, true);
    if (c.low > c.high) std::reverse(longs.begin(), longs.end());
    std::vector<double> expected = c.longTicks;
    if (c.low > c.high) std::reverse(expected.begin(), expected.end());
    EXPECT_TRUE(SameValues(longs, expected));
    const std::vector<double> shorts = Values(plan, false);
    ASSERT_FALSE(shorts.empty());
    for (std::size_t i = 1; i < shorts.size(); ++i) EXPECT_NEAR(shorts[i] - shorts[i - 1], c.shortStep, 1e-9);
    if (!c.labels.empty()) {
        EXPECT_EQ(Labels(plan), c.labels);
    }
    for (const TTickMark& m : plan.Marks) EXPECT_EQ(m.Record, !m.IsLong);
}
INSTANTIATE_TEST_SUITE_P(Scale, TimeTicks, ::testing::ValuesIn(kTimeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A spacing of exactly one clock step takes that step, also far from 0 where the span rounds.
TEST(TimeTicks, StepChoiceAtEachExactBoundary)
{
    const double steps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20,
                            30, 60, 120, 180, 300, 600, 1200, 1800, 3600, 7200, 14400, 21600, 43200};
    for (double offset : {0.0, 1e6}) {
        for (double step : steps) {
            SCOPED_TRACE(testing::Message() << step << " s from " << offset);
            TTickSettings s = Linear(offset, offset + 3 * step, 3);
            s.LabelType = ftTime;
            TTickPlan plan;
            PlanTicks(s, plan);
            const std::vector<double> longs = Values(plan, true);
            ASSERT_GE(longs.size(), 2u);
            EXPECT_NEAR(longs[1] - longs[0], step, step * 1e-6);
        }
    }
}

// The step is the largest table entry not above |high - low| / MinTicks.
TEST(TimeTicks, TwelveHourAndOneHourSteps)
{
    TTickSettings s = Linear(0, 259197, 3);  // w = 86399 s: just short of a day
    s.LabelType = ftTime;
    TTickPlan plan;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Time);
    EXPECT_TRUE(SameValues(Values(plan, true), {0, 43200, 86400, 129600, 172800, 216000}));
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{" 00:00:00", " 12:00:00", " 24:00:00", " 36:00:00",
                                                      " 48:00:00", " 60:00:00"}));
    s = Linear(33458.49, 91056.39, 8);  // w = 7199.74 s
    s.LabelType = ftTime;
    PlanTicks(s, plan);
    const std::vector<double> longs = Values(plan, true);
    ASSERT_GE(longs.size(), 2u);
    EXPECT_EQ(longs[0], 36000);
    EXPECT_EQ(longs[1] - longs[0], 3600);
}

// Random ranges against the step table: the long ticks are one table step apart, the largest
// step not above the spacing, and the scale declines below a millisecond and from a day on.
TEST(TimeTicks, RandomRangesTakeTheLargestStepNotAboveTheSpacing)
{
    const double steps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20,
                            30, 60, 120, 180, 300, 600, 1200, 1800, 3600, 7200, 14400, 21600, 43200, 86400};
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> exponent(-4.0, 6.5), offsetExponent(-4.0, 6.0), unit(0.0, 1.0);
    std::uniform_int_distribution<int> minTicks(1, 12);
    for (int round = 0; round < 3000; ++round) {
        const double span = std::pow(10.0, exponent(rng));
        const double low = (unit(rng) - 0.5) * std::pow(10.0, offsetExponent(rng));
        const int n = minTicks(rng);
        const bool reversed = round % 4 == 3;
        TTickSettings s = reversed ? Linear(low + span, low, n) : Linear(low, low + span, n);
        s.LabelType = ftTime;
        const double w = std::fabs(s.RangeHigh - s.RangeLow) / n;
        // Spacings within 1e-5 of a table entry are the exact-boundary test's business.
        const auto near = std::find_if(std::begin(steps), std::end(steps),
                                       [&](double step) { return std::fabs(w - step) <= step * 1e-5; });
        if (near != std::end(steps)) continue;
        int index = 0;
        for (int i = 0; i < int(std::size(steps)); ++i)
            if (steps[i] <= w) index = i + 1;
        SCOPED_TRACE(testing::Message() << s.RangeLow << " .. " << s.RangeHigh << ", MinTicks " << n);
        TTickPlan plan;
        PlanTicks(s, plan);
        if (index == 0 || index == int(std::size(steps))) {
            EXPECT_NE(plan.Algorithm, TTickAlgorithm::Time);
            continue;
        }
        ASSERT_EQ(plan.Algorithm, TTickAlgorithm::Time);
        std::vector<double> longs = Values(plan, true);
        std::sort(longs.begin(), longs.end());
        const double step = steps[index - 1];
        for (std::size_t i = 1; i < longs.size(); ++i) ASSERT_NEAR(longs[i] - longs[i - 1], step, step * 1e-6);
    }
}

TEST(TimeTicks, DeclineToNumbersForADayOrMoreAndForUnitSteps)
{
    TTickSettings s = Linear(0, 300000, 3);
    s.LabelType = ftTime;
    s.DecPlaces = 4;
    TTickPlan plan;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Linear);
    EXPECT_EQ(Labels(plan)[1], "100000.0000");
    s = Linear(0, 0.002, 3);
    s.LabelType = ftTime;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Linear);
    s = Linear(0, 20, 0);
    s.LabelType = ftTime;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::Linear);
    EXPECT_EQ(Values(plan, true).size(), 21u);
}

// Every input ends its loops quickly and gives at most a bounded number of ticks, with values
// that are numbers.
struct HostileCase {
    const char* name;
    double low, high;
    int minTicks;
    bool logarithmic;
    TFigType labelType;
};
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }
const HostileCase kHostileCases[] = {
    {"UnitStepsReversed", 10, 0, 0, false, ftNum},
    {"UnitStepsHugeSpan", 0, 1e300, 0, false, ftNum},
    {"HugeSpan", -1e300, 1e300, 10, false, ftNum},
    {"TinySpan", 0, 1e-300, 3, false, ftNum},
    {"SubnormalSpan", 0, 1e-310, 3, false, ftNum},
    {"TinySpanOffset", 1, 1 + 4.5e-16, 10, false, ftNum},
    {"HugeValuesSmallSpan", 1e20, 1e20 + 65536, 10, false, ftNum},
    {"LogNegativeEnd", -1, 1000, 3, true, ftNum},
    {"LogHugeRange", 1e-300, 1e300, 10, true, ftNum},
    {"LogSubnormal", 5e-324, 1, 3, true, ftNum},
    {"TimeUnitSteps", 0, 3600, 0, false, ftTime},
    {"TimeHugeOffset", 1e15, 1e15 + 3600, 3, false, ftTime},
    {"DateTimeUnitSteps", 38000, 38010, 0, false, ftDateTime},
    {"DateTimePastYear9999", 2958000, 3000000, 3, false, ftDateTime},
    {"DateTimeYearsPast9999", -693593, 3000000, 2, false, ftDateTime},
    {"DateTimeMonthsPast9999", 2958000, 2958600, 10, false, ftDateTime},
    {"DateTimeHoursAtEnd", 2958465.5, 2958467, 3, false, ftDateTime},
};
class HostileRanges : public ::testing::TestWithParam<HostileCase> {};
TEST_P(HostileRanges, EndQuicklyWithFiniteTicks)
{
    const HostileCase& c = GetParam();
    TTickSettings s = Linear(c.low, c.high, c.minTicks);
    s.Logarithmic = c.logarithmic;
    s.LabelType = c.labelType;
    TTickPlan plan;
    const auto start = std::chrono::steady_clock::now();
    for (bool shortTicks : {true, false}) {
        for (TScaleType type : {sctXB, sctYL}) {
            s.ShortTicks = shortTicks;
            s.ScaleType = type;
            PlanTicks(s, plan);
            EXPECT_LE(plan.Marks.size(), std::size_t(2 * kMaxTickCandidates));
            for (const TTickMark& m : plan.Marks) {
                EXPECT_TRUE(std::isfinite(m.Value));
                if (c.labelType == ftDateTime) {
                    EXPECT_LT(m.Value, 2958466.0);
                }
                EXPECT_LE(m.Label.size(), 24u);
            }
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
INSTANTIATE_TEST_SUITE_P(Scale, HostileRanges, ::testing::ValuesIn(kHostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
