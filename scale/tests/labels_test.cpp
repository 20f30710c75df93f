// Tick label texts: number forms, user items, unit texts, time labels, automatic decimals and
// the date and time settings object.
#include <gtest/gtest.h>

#include "scale/dtlabel.h"
#include "scale/ticklabels.h"

#include <limits>
#include <ostream>
#include <string>

namespace {

struct NumberCase {
    const char* name;
    double value;
    int d;
    const char* text;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }
const NumberCase kNumberCases[] = {
    {"FixedOneDecimal", 0.0, 1, "0.0"},
    {"FixedTwoDecimals", 0.6, 2, "0.60"},
    {"FixedRoundsAwayFromZero", 0.125, 2, "0.13"},
    {"FixedWhole", 200000.0, 0, "200000"},
    {"FixedNegative", -2.0, 1, "-2.0"},
    {"ExponentMillion", 1234567.0, -1, " 1.2E+06"},
    {"ExponentNegativeSmall", -0.00025, -1, "-2.5E-04"},
    {"ExponentZero", 0.0, -1, " 0.0E+00"},
    {"ExponentCarry", 9.96e5, -1, " 1.0E+06"},
    {"ExponentHalfStep", 500000.0, -1, " 5.0E+05"},
    {"ExponentHundredAsterisks", 1e150, -1, "********"},
    {"ExponentMinusHundredAsterisks", 1e-100, -1, "********"},
    {"ExponentNinetyNine", 1e99, -1, " 1.0E+99"},
};
class TickNumberText : public ::testing::TestWithParam<NumberCase> {};
TEST_P(TickNumberText, MatchesTheForm)
{
    EXPECT_EQ(FormatTickNumber(GetParam().value, GetParam().d), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Labels, TickNumberText, ::testing::ValuesIn(kNumberCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UserTickItem, CountsItemsFromOneAndRepeatsTheLast)
{
    EXPECT_EQ(UserTickItem("A|B|C", 1), "A");
    EXPECT_EQ(UserTickItem("A|B|C", 3), "C");
    EXPECT_EQ(UserTickItem("A|B|C", 5), "C");
    EXPECT_EQ(UserTickItem("A||C", 2), "");
    EXPECT_EQ(UserTickItem("", 1), "");
}

TEST(UserTickItem, TrailingSeparatorGivesEmptyItemsPastTheEnd)
{
    EXPECT_EQ(UserTickItem("A|B|C|", 3), "C");
    EXPECT_EQ(UserTickItem("A|B|C|", 4), "");
    EXPECT_EQ(UserTickItem("A|B|C|", 9), "");
}

TEST(ApplyInscript, PutsTheNumberAtTheAmpersandOrBehindTheText)
{
    EXPECT_EQ(ApplyInscript("& kg", "12.5"), "12.5 kg");
    EXPECT_EQ(ApplyInscript("$", "12.5"), "$12.5");
    EXPECT_EQ(ApplyInscript("(&)", "5"), "(5)");
    EXPECT_EQ(ApplyInscript("", "5"), "5");
    EXPECT_EQ(ApplyInscript("$", ""), "");
}

TEST(FormatSecondsLabel, WritesSignColumnAndClockFields)
{
    EXPECT_EQ(FormatSecondsLabel(0.0, false), " 00:00:00");
    EXPECT_EQ(FormatSecondsLabel(3725.5, true), " 01:02:05.500");
    EXPECT_EQ(FormatSecondsLabel(-1.25, true), "-00:00:01.250");
    EXPECT_EQ(FormatSecondsLabel(360000.0, false), " 100:00:00");
}

// Clock fields while a double holds every whole second; beyond that the exponent form, so a label
// never grows past the longest exact one.
TEST(FormatSecondsLabel, HugeAndNonFiniteValues)
{
    const double lastExact = 9007199254740991.0;  // 2^53 - 1
    const std::string longest = FormatSecondsLabel(-lastExact, true);
    EXPECT_EQ(longest, "-2501999792983:36:31.000");
    EXPECT_EQ(FormatSecondsLabel(3.6e15 + 61, true), " 1000000000000:01:01.000");
    const struct {
        double seconds;
        const char* label;
    } rows[] = {{9007199254740992.0, " 9.0E+15"}, {-1.09e27, "-1.1E+27"}, {1e45, " 1.0E+45"},
                {1e300, "********"}, {-1.7976931348623157e308, "********"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.seconds);
        EXPECT_EQ(FormatSecondsLabel(r.seconds, true), r.label);
        EXPECT_EQ(FormatSecondsLabel(r.seconds, false), r.label);
    }
    for (double v = 1e10; v < 1e308; v *= 3.7) EXPECT_LE(FormatSecondsLabel(v, true).size(), longest.size()) << v;
    EXPECT_EQ(FormatSecondsLabel(std::numeric_limits<double>::quiet_NaN(), true), "Nan");
    EXPECT_EQ(FormatSecondsLabel(-std::numeric_limits<double>::infinity(), false), "-Inf");
}

TEST(FormatSecondsLabel, ValuesAHairBelowAFullUnitCarry)
{
    EXPECT_EQ(FormatSecondsLabel(59.99999999, false), " 00:01:00");
    EXPECT_EQ(FormatSecondsLabel(1.9999999999, true), " 00:00:02.000");
    EXPECT_EQ(FormatSecondsLabel(-1e-12, true), " 00:00:00.000");
}

struct DecimalsCase {
    const char* name;
    double span;
    int d;
};
void PrintTo(const DecimalsCase& c, std::ostream* os) { *os << c.name; }
const DecimalsCase kDecimalsCases[] = {
    {"Tiny", 0.0001, -1},       {"BandFive", 0.0005, 5},   {"BandFour", 0.002, 4},  {"BandThree", 0.1, 3},
    {"BandTwo", 1.0, 2},        {"BandOne", 10.0, 1},      {"ThirtySeven", 37.0, 1}, {"FortyThree", 43.0, 0},
    {"Hundred", 100.0, 0},      {"BelowMillion", 999999.0, 0}, {"Million", 1e6, -1},
};
class AutoDecimalsBands : public ::testing::TestWithParam<DecimalsCase> {};
TEST_P(AutoDecimalsBands, GiveTheBandsDecimals)
{
    EXPECT_EQ(AutoDecimals(GetParam().span), GetParam().d);
}
INSTANTIATE_TEST_SUITE_P(Labels, AutoDecimalsBands, ::testing::ValuesIn(kDecimalsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AutoLogDecimals, FollowTheLowerEnd)
{
    EXPECT_EQ(AutoLogDecimals(0.01, 10.0), 3);
    EXPECT_EQ(AutoLogDecimals(1.0, 1000.0), 0);
    EXPECT_EQ(AutoLogDecimals(0.5, 5.0), 1);
    EXPECT_EQ(AutoLogDecimals(1.0, 1e7), -1);
}

TEST(TrimTrailingZeros, DropsZerosThenThePoint)
{
    EXPECT_EQ(TrimTrailingZeros("0.010"), "0.01");
    EXPECT_EQ(TrimTrailingZeros("2.000"), "2");
    EXPECT_EQ(TrimTrailingZeros("100"), "100");
    EXPECT_EQ(TrimTrailingZeros(" 1.0E+06"), " 1.0E+06");
}

TEST(DTLabel, StartsWithTheDefaults)
{
    TDTLabel label;
    EXPECT_EQ(label.TimeFormat(), tfHHMMSS);
    EXPECT_EQ(label.DateSeparator(), '-');
    EXPECT_EQ(label.TimeSeparator(), ':');
    EXPECT_EQ(label.YearLength(), ylYYYY);
    EXPECT_TRUE(label.MonthName());
    EXPECT_EQ(label.DateOrder(), doDDMMYY);
    EXPECT_EQ(label.DateForTime(), dtOnePerDay);
}

TEST(DTLabel, TimeFormatAndDateOrderNotifyAlsoWhenUnchanged)
{
    TDTLabel label;
    int changes = 0;
    label.OnChange = [&](TDTLabel& sender) {
        EXPECT_EQ(&sender, &label);
        ++changes;
    };
    label.SetTimeFormat(tfHHMMSS);
    label.SetDateOrder(doDDMMYY);
    EXPECT_EQ(changes, 2);
}

TEST(DTLabel, OtherSettersNotifyOnlyOnChange)
{
    TDTLabel label;
    int changes = 0;
    label.OnChange = [&](TDTLabel&) { ++changes; };
    label.SetDateSeparator('-');
    label.SetTimeSeparator(':');
    label.SetYearLength(ylYYYY);
    label.SetDateForTime(dtOnePerDay);
    label.SetMonthName(true);
    EXPECT_EQ(changes, 0);
    label.SetMonthName(false);
    label.SetMonthName(false);
    EXPECT_EQ(changes, 1);
    label.SetDateSeparator('/');
    label.SetTimeSeparator('.');
    label.SetYearLength(ylYY);
    label.SetDateForTime(dtAllTicks);
    EXPECT_EQ(changes, 5);
}

TEST(DTLabel, SettersStoreWithoutAHandlerAndAssignCopiesValuesOnly)
{
    TDTLabel a;
    a.SetTimeFormat(tfAMPM);
    a.SetDateSeparator('/');
    a.SetTimeSeparator('.');
    a.SetYearLength(ylNone);
    a.SetMonthName(false);
    a.SetDateOrder(doYYMMDD);
    a.SetDateForTime(dtAllTicks);
    int aChanges = 0;
    a.OnChange = [&](TDTLabel&) { ++aChanges; };

    TDTLabel b;
    int bChanges = 0;
    b.OnChange = [&](TDTLabel&) { ++bChanges; };
    b.Assign(a);
    EXPECT_EQ(b.TimeFormat(), tfAMPM);
    EXPECT_EQ(b.DateSeparator(), '/');
    EXPECT_EQ(b.TimeSeparator(), '.');
    EXPECT_EQ(b.YearLength(), ylNone);
    EXPECT_FALSE(b.MonthName());
    EXPECT_EQ(b.DateOrder(), doYYMMDD);
    EXPECT_EQ(b.DateForTime(), dtAllTicks);
    EXPECT_EQ(bChanges, 1);
    b.SetMonthName(true);
    EXPECT_EQ(aChanges, 0);
}

}  // namespace
