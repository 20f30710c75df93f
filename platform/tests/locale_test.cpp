#include <gtest/gtest.h>

#include "common/errors.h"
#include "platform/datetime.h"
#include "platform/localefmt.h"
#include "platform/msgbox.h"

namespace {

// Switches the program's locale settings for one test and restores them after it.
class LocaleScope {
public:
    explicit LocaleScope(char separator) : m_saved(FormatSettings())
    {
        TFormatSettings s = TFormatSettings::English();
        s.DecimalSeparator = separator;
        SetFormatSettings(s);
    }
    ~LocaleScope() { SetFormatSettings(m_saved); }

private:
    TFormatSettings m_saved;
};

}  // namespace

struct ParseCase {
    const char* name;
    char separator;
    const char* text;
    bool valid;
    double value;
};

class StrToFloatRows : public ::testing::TestWithParam<ParseCase> {};

TEST_P(StrToFloatRows, ReadsWithTheLocaleSeparator)
{
    const ParseCase& tc = GetParam();
    LocaleScope scope(tc.separator);
    if (tc.valid) {
        EXPECT_DOUBLE_EQ(StrToFloat(tc.text), tc.value);
    } else {
        try {
            StrToFloat(tc.text);
            FAIL() << "no error for '" << tc.text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(tc.text) + "' ist kein gültiger Gleitkommawert");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Locale, StrToFloatRows,
    ::testing::ValuesIn(std::vector<ParseCase>{
        {"CommaLocale", ',', "10,00", true, 10.0},
        {"CommaLocaleExponent", ',', " -1,5e3 ", true, -1500.0},
        {"CommaLocaleRejectsPoint", ',', "1.5", false, 0},
        {"PointLocale", '.', "+2.25", true, 2.25},
        {"PointLocaleRejectsComma", '.', "2,25", false, 0},
        {"LeadingSeparator", '.', ".5", true, 0.5},
        {"TrailingSeparator", '.', "5.", true, 5.0},
        {"Empty", '.', "", false, 0},
        {"Blanks", '.', "   ", false, 0},
        {"LoneMinus", '.', "-", false, 0},
        {"LoneSeparator", '.', ".", false, 0},
        {"ExponentWithoutDigits", '.', "1e", false, 0},
        {"Letters", '.', "abc", false, 0},
        {"TrailingJunk", '.', "12x", false, 0},
        {"Overflow", '.', "1e400", false, 0},
        {"Underflow", '.', "1e-400", true, 0.0},
        {"Infinity", '.', "inf", false, 0},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DateTime, EncodeAndDecodeAreInverse)
{
    double d = 0;
    ASSERT_TRUE(TryEncodeDate(1899, 12, 30, d));
    EXPECT_EQ(d, 0.0);
    ASSERT_TRUE(TryEncodeDate(2004, 1, 14, d));
    EXPECT_EQ(d, 38000.0);
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(2001, 13, 1, d));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
    for (double day = -693593; day <= 2958465; day += 997) {
        int y, m, dd;
        DecodeDate(day, y, m, dd);
        double back = 0;
        ASSERT_TRUE(TryEncodeDate(y, m, dd, back)) << day;
        EXPECT_EQ(back, day);
    }
    int y, m, dd;
    DecodeDate(-693593, y, m, dd);
    EXPECT_EQ(y * 10000 + m * 100 + dd, 10101);
    DecodeDate(2958465, y, m, dd);
    EXPECT_EQ(y * 10000 + m * 100 + dd, 99991231);
    EXPECT_EQ(DayOfWeek(0), 7);      // Saturday
    EXPECT_EQ(DayOfWeek(38000), 4);  // Wednesday
    EXPECT_EQ(DayOfWeek(-1), 6);
}

TEST(DateTime, NegativeCountsRunBackwardsWithAPositiveTime)
{
    int y, m, d, h, n, s, ms;
    DecodeDate(-0.25, y, m, d);
    DecodeTime(-0.25, h, n, s, ms);
    EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
    EXPECT_EQ(h, 18);
    DecodeTime(0.999999999999, h, n, s, ms);
    EXPECT_EQ(h * 10000 + n * 100 + s, 235959);
    EXPECT_EQ(ms, 999);
}

TEST(DateTime, DateAndTimeRoundTogetherToTheMillisecond)
{
    int y, m, d, h, n, s, ms;
    DecodeDateTime(38000.0 + 1.0 - 1e-11, y, m, d, h, n, s, ms);  // a hair below midnight
    EXPECT_EQ(y * 10000 + m * 100 + d, 20040115);
    EXPECT_EQ(h + n + s + ms, 0);
    DecodeDateTime(-1.25, y, m, d, h, n, s, ms);
    EXPECT_EQ(y * 10000 + m * 100 + d, 18991228);
    EXPECT_EQ(h, 18);
    EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss", 38000.0 + 1.0 - 1e-11), "15.01.2004 00:00:00");
    EXPECT_EQ(DayCountOfDate(10000, 1, 1), 2958466.0);
}

struct FormatCase {
    const char* name;
    const char* pattern;
    double value;
    const char* expected;
};

class FormatDateTimeRows : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDateTimeRows, FormatsWithTheCodes)
{
    const FormatCase& tc = GetParam();
    LocaleScope scope('.');
    EXPECT_EQ(FormatDateTime(tc.pattern, tc.value), tc.expected);
}

// 38000.2293 is 14 January 2004 05:30:11.520; 38000 + 0.5 + 5.25 / 86400 is 12:00:05.250.
INSTANTIATE_TEST_SUITE_P(
    DateTime, FormatDateTimeRows,
    ::testing::ValuesIn(std::vector<FormatCase>{
        {"LabelDefault", "mmm-dd, yyyy", 38000, "Jan-14, 2004"},
        {"NumericDate", "dd.mm.yy", 38000, "14.01.04"},
        {"ShortDayAndMonth", "d/m/yyyy", 37990, "4/1/2004"},
        {"Names", "dddd d mmmm", 38000, "Wednesday 14 January"},
        {"ShortDayName", "ddd", 38000, "Wed"},
        {"TimeWithN", "hh:nn:ss", 38000.2293, "05:30:11"},
        {"MinutesAfterHour", "h:mm", 38000.2293, "5:30"},
        {"MillisecondsTwoDigits", "ss.zz", 38000 + 0.5 + 5.25 / 86400, "05.250"},
        {"MillisecondsPadded", "zz zzz z", 38000 + 0.5 + 5.005 / 86400, "05 005 5"},
        {"AmPmAfternoon", "h:nn am/pm", 38000 + 0.5 + 5.25 / 86400, "12:00 pm"},
        {"AmPmMidnight", "h am/pm", 38000, "12 am"},
        {"AmPmUpper", "hh AM/PM", 38000.75, "06 PM"},
        {"APShort", "h a/p", 38000.25, "6 a"},
        {"QuotedText", "\"day\" d 'of' yyyy", 38000, "day 14 of 2004"},
        {"LiteralSeparators", "yyyy-mm-dd", 0, "1899-12-30"},
        {"UpperCaseCodes", "DD-MMM-YYYY", 38000, "14-Jan-2004"},
        {"FourDigitYearPadded", "yyyy", -693593, "0001"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBox, HookReceivesEveryBoxAndScopeRestores)
{
    std::vector<TMessageBoxRequest> outer, inner;
    TMessageBoxHookScope a([&](const TMessageBoxRequest& r) { outer.push_back(r); });
    ShowMessageBox("first", "Kalmira", mbiWarning, true);
    {
        TMessageBoxHookScope b([&](const TMessageBoxRequest& r) { inner.push_back(r); });
        ShowMessageBox("second", "Cap", mbiError);
    }
    ShowMessageBox("third", "Cap", mbiInformation);
    ASSERT_EQ(outer.size(), 2u);
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(outer[0].Text, "first");
    EXPECT_EQ(outer[0].Caption, "Kalmira");
    EXPECT_EQ(outer[0].Icon, mbiWarning);
    EXPECT_TRUE(outer[0].TopMost);
    EXPECT_EQ(inner[0].Icon, mbiError);
    EXPECT_FALSE(inner[0].TopMost);
    EXPECT_EQ(outer[1].Text, "third");
}
