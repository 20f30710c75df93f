// Date-time ticks: the unit chosen for the spacing, tick values, labels, the date marker of
// time-of-day ticks, and the messages instead of ticks.
#include <gtest/gtest.h>

#include "scale/tickplan.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

TTickSettings DateTime(double low, double high, int minTicks, TScaleType type = sctXB)
{
    TTickSettings s;
    s.RangeLow = low;
    s.RangeHigh = high;
    s.MinTicks = minTicks;
    s.LabelType = ftDateTime;
    s.ScaleType = type;
    return s;
}

std::vector<double> LongValues(const TTickPlan& plan)
{
    std::vector<double> v;
    for (const TTickMark& m : plan.Marks)
        if (m.IsLong) v.push_back(m.Value);
    return v;
}

std::vector<std::string> Labels(const TTickPlan& plan)
{
    std::vector<std::string> v;
    for (const TTickMark& m : plan.Marks)
        if (m.HasLabel) v.push_back(m.Label);
    return v;
}

std::vector<std::string> DateLabels(const TTickPlan& plan)
{
    std::vector<std::string> v;
    for (const TTickMark& m : plan.Marks)
        if (m.HasDateLabel) v.push_back(m.DateLabel);
    return v;
}

void ExpectValues(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-7) << "value " << i;
}

TEST(DayCount, EncodesAndDecodesTheCalendarBothWaysFromDayZero)
{
    EXPECT_EQ(EncodeDayCount(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDayCount(2004, 1, 14), 38000.0);
    EXPECT_EQ(EncodeDayCount(1, 1, 1), kFirstDayCount);
    EXPECT_EQ(EncodeDayCount(9999, 12, 31), kLastDayCount);
    const TDayParts p = DecodeDayCount(-1.25);
    EXPECT_EQ(p.Year, 1899);
    EXPECT_EQ(p.Month, 12);
    EXPECT_EQ(p.Day, 28);
    EXPECT_EQ(p.Hour, 18);
    const TDayParts late = DecodeDayCount(38000.0 + 1.0 - 1e-11);  // a hair below midnight
    EXPECT_EQ(late.Day, 15);
    EXPECT_EQ(late.Hour, 0);
}

TEST(DayCount, FormatsPatternTokens)
{
    const double t = 38000.0 + (5 * 3600 + 30 * 60 + 15.25) / 86400.0;  // 14 Jan 2004 05:30:15.250
    const TMonthNames& en = EnglishMonthNames();
    EXPECT_EQ(FormatDayCount("dd\"-\"mmm\"-\"yyyy", t, en), "14-Jan-2004");
    EXPECT_EQ(FormatDayCount("mm\"/\"dd\"/\"yy", t, en), "01/14/04");
    EXPECT_EQ(FormatDayCount("hh\":\"nn\":\"ss\".\"zz", t, en), "05:30:15.250");
    EXPECT_EQ(FormatDayCount("h\"h\"nn", t, en), "5h30");
    EXPECT_EQ(FormatDayCount("h\":\"nn\".\"ssam/pm", t + 0.5, en), "5:30.15pm");
    EXPECT_EQ(FormatDayCount("ham/pm", 38000.0, en), "12am");
    EXPECT_EQ(FormatDayCount("hh\":\"nn\":\"ss\".\"zz", 38000.0 + 0.05 / 86400.0, en), "00:00:00.050");
}

TEST(DateTimeTicks, DaysEveryThreeFromNewYear)
{
    TTickPlan plan;
    TTickSettings s = DateTime(38000, 38010, 3);
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Algorithm, TTickAlgorithm::DateTime);
    ExpectValues(LongValues(plan), {38002, 38005, 38008});
    EXPECT_EQ(plan.Marks.size(), 11u);  // daily ticks 38000 to 38010
    EXPECT_EQ(plan.Marks.front().Value, 38000.0);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"16-Jan-2004", "19-Jan-2004", "22-Jan-2004"}));
    for (const TTickMark& m : plan.Marks) EXPECT_TRUE(m.Record);

    s.ShortTicks = false;
    PlanTicks(s, plan);
    ExpectValues(LongValues(plan), {38002, 38005, 38008});
    EXPECT_EQ(plan.Marks.size(), 3u);
}

TEST(DateTimeTicks, DayLabelsFollowTheDateFormat)
{
    TDTLabel format;
    format.SetYearLength(ylNone);
    TTickSettings s = DateTime(38000, 38010, 3);
    s.DateFormat = &format;
    TTickPlan plan;
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan).front(), "16-Jan-");
    format.SetYearLength(ylYY);
    format.SetMonthName(false);
    format.SetDateOrder(doMMDDYY);
    format.SetDateSeparator('/');
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan).front(), "01/16/04");
    format.SetDateOrder(doYYMMDD);
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan).front(), "04/01/16");
}

TEST(DateTimeTicks, HoursOfOneDayWithDatesPerDay)
{
    TTickPlan plan;
    TTickSettings s = DateTime(38000, 38001, 3, sctYL);
    PlanTicks(s, plan);
    ExpectValues(LongValues(plan), {38000, 38000 + 1.0 / 3, 38000 + 2.0 / 3, 38001});
    EXPECT_EQ(plan.Marks.size(), 13u);  // every 2 hours
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"00:00", "08:00", "16:00", "00:00"}));
    EXPECT_EQ(DateLabels(plan), (std::vector<std::string>{"14-Jan-2004", "15-Jan-2004"}));
    EXPECT_TRUE(plan.Marks.front().HasDateLabel);
    EXPECT_TRUE(plan.Marks.back().HasDateLabel);

    TDTLabel format;
    format.SetTimeFormat(tfAMPM);
    s.DateFormat = &format;
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"12am", "8am", "4pm", "12am"}));
    format.SetTimeFormat(tfHHhMM);
    format.SetDateForTime(dtOnePerChart);
    PlanTicks(s, plan);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"0h", "8h", "16h", "0h"}));
    EXPECT_EQ(DateLabels(plan).size(), 1u);
    format.SetDateForTime(dtAllTicks);
    PlanTicks(s, plan);
    EXPECT_EQ(DateLabels(plan).size(), 4u);
    format.SetDateForTime(dtNone);
    PlanTicks(s, plan);
    EXPECT_TRUE(DateLabels(plan).empty());
}

TEST(DateTimeTicks, FifthOfASecondIsHundredthsVerticallyAndTooShortHorizontally)
{
    TTickPlan plan;
    const double low = 38000.5, high = low + 0.2 / 86400.0;
    PlanTicks(DateTime(low, high, 3, sctYR), plan);
    EXPECT_EQ(plan.Message, TScaleMessage::None);
    ASSERT_FALSE(Labels(plan).empty());
    EXPECT_EQ(Labels(plan).front(), "12:00:00.000");
    EXPECT_EQ(Labels(plan)[1], "12:00:00.050");
    PlanTicks(DateTime(low, high, 3, sctXB), plan);
    EXPECT_EQ(plan.Message, TScaleMessage::BelowOneSecond);
    EXPECT_TRUE(plan.Marks.empty());
}

TEST(DateTimeTicks, SixMonthStepsStartAfterTheRangeStart)
{
    TTickPlan plan;
    const double low = EncodeDayCount(2003, 3, 1), high = EncodeDayCount(2005, 3, 1);
    TTickSettings s = DateTime(low, high, 3);
    s.ShortTicks = false;
    PlanTicks(s, plan);
    ExpectValues(LongValues(plan), {EncodeDayCount(2003, 7, 1), EncodeDayCount(2004, 1, 1),
                                    EncodeDayCount(2004, 7, 1), EncodeDayCount(2005, 1, 1)});
    EXPECT_EQ(Labels(plan).front(), "Jul-2003");
    s.ShortTicks = true;
    PlanTicks(s, plan);
    EXPECT_EQ(plan.Marks.size(), 25u);  // March 2003 to March 2005
    EXPECT_EQ(LongValues(plan).size(), 4u);
}

TEST(DateTimeTicks, YearsEveryFiveLongOnTens)
{
    TTickPlan plan;
    const double jan1 = EncodeDayCount(1950, 1, 1), end = EncodeDayCount(2000, 1, 1);
    PlanTicks(DateTime(jan1 + 1, end, 3), plan);
    ASSERT_FALSE(plan.Marks.empty());
    EXPECT_EQ(plan.Marks.front().Value, EncodeDayCount(1955, 1, 1));
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"1960", "1970", "1980", "1990", "2000"}));
    PlanTicks(DateTime(jan1, end, 3), plan);
    EXPECT_EQ(plan.Marks.front().Value, jan1);
    EXPECT_EQ(plan.Marks.size(), 11u);

    TDTLabel format;
    format.SetYearLength(ylNone);
    TTickSettings s = DateTime(jan1, end, 3);
    s.DateFormat = &format;
    PlanTicks(s, plan);
    for (const std::string& label : Labels(plan)) EXPECT_EQ(label, "");
    const double y950 = EncodeDayCount(950, 1, 1);
    PlanTicks(DateTime(y950, y950 + 3 * 365.25 * 10, 3), plan);
    EXPECT_EQ(Labels(plan).front(), "950");
}

// The long step at each exact boundary of each unit: a spacing of exactly `step` units per
// interval takes that step, a spacing a thousandth short of it takes the step below.
TEST(DateTimeTicks, StepChoiceAtEachExactBoundary)
{
    struct Unit {
        const char* name;
        double daysPerUnit;
        std::vector<int> steps;  // the first one is only checked from above
    };
    const std::vector<Unit> units = {
        {"seconds", 1.0 / 86400, {1, 2, 5, 10, 20, 30}},
        {"minutes", 1.0 / 1440, {1, 2, 5, 10, 20, 30}},
        {"hours", 1.0 / 24, {1, 2, 3, 6, 8, 12}},
        {"days", 1.0, {1, 2, 3, 7, 14, 28}},
        {"months", 30.4375, {1, 2, 3, 4, 6}},
        {"years", 365.25, {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000}},
    };
    // The long step of a plan, in the unit: months and years from the calendar.
    auto longStep = [](const TTickPlan& plan, const Unit& unit) {
        const std::vector<double> v = LongValues(plan);
        if (v.size() < 2) return -1.0;
        if (std::string(unit.name) == "years") return double(DecodeDayCount(v[1]).Year - DecodeDayCount(v[0]).Year);
        if (std::string(unit.name) == "months") {
            const TDayParts a = DecodeDayCount(v[0]), b = DecodeDayCount(v[1]);
            return double((b.Year - a.Year) * 12 + b.Month - a.Month);
        }
        return std::nearbyint((v[1] - v[0]) / unit.daysPerUnit);
    };
    const double start = EncodeDayCount(1950, 1, 1);
    TTickPlan plan;
    for (const Unit& unit : units)
        for (std::size_t i = 0; i < unit.steps.size(); ++i) {
            const int step = unit.steps[i];
            SCOPED_TRACE(testing::Message() << step << " " << unit.name);
            // Spacings of exactly one hour, one day and one year belong to the unit below.
            const bool unitBelow = i == 0 && std::string(unit.name) != "seconds" && std::string(unit.name) != "minutes" &&
                                   std::string(unit.name) != "months";
            if (!unitBelow) {
                PlanTicks(DateTime(start, start + 3 * step * unit.daysPerUnit, 3), plan);
                EXPECT_EQ(longStep(plan, unit), step);
            }
            if (i > 0) {
                PlanTicks(DateTime(start, start + 0.999 * 3 * step * unit.daysPerUnit, 3), plan);
                EXPECT_EQ(longStep(plan, unit), unit.steps[i - 1]);
            }
        }
    // the example of 50 years per interval: labels every 50 years
    PlanTicks(DateTime(18264, 18264 + 54787.5, 3), plan);
    EXPECT_EQ(Labels(plan), (std::vector<std::string>{"1950", "2000", "2050", "2100"}));
}

TEST(DateTimeTicks, ReversedOrOutOfRangeShowsTheInvalidMessage)
{
    TTickPlan plan;
    for (const auto& [low, high] : {std::pair{38010.0, 38000.0}, std::pair{-700000.0, 0.0}, std::pair{0.0, 3000001.0}}) {
        PlanTicks(DateTime(low, high, 3), plan);
        EXPECT_EQ(plan.Message, TScaleMessage::InvalidScale);
        EXPECT_TRUE(plan.Marks.empty());
    }
}

TEST(DateTimeTicks, StopBeforeTheYear10000)
{
    TTickPlan plan;
    PlanTicks(DateTime(2900000, 3000000, 3), plan);
    ASSERT_FALSE(plan.Marks.empty());
    EXPECT_LE(plan.Marks.back().Value, kLastDayCount);
    EXPECT_EQ(Labels(plan).back(), "9950");  // long ticks every 50 years
}

}  // namespace
