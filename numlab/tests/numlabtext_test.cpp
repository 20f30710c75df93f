#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numlab/numlabtext.h"
#include "platform/localefmt.h"

namespace {

constexpr const char* kOverflow = "<overflow>";

std::string TextOf(TDisplay type, int precision, double value)
{
    TNumberTextParams params;
    params.DisplayType = type;
    params.Precision = precision;
    std::string text;
    return NumberTextOf(value, params, text) ? text : kOverflow;
}

}  // namespace

struct TextCase {
    const char* name;
    TDisplay type;
    int precision;
    double value;
    const char* expected;
};

class NumberTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberTexts, FormatByDisplayType)
{
    const TextCase& tc = GetParam();
    EXPECT_EQ(TextOf(tc.type, tc.precision, tc.value), tc.expected);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    NumLab, NumberTexts,
    ::testing::ValuesIn(std::vector<TextCase>{
        {"FloatScientificLarge", dtFloat, 4, 12345.6, "1.235E004"},
        {"FloatFixedSmall", dtFloat, 4, 0.00012344, "0.0001234"},
        {"FloatScientificSmall", dtFloat, 4, 0.000012, "1.2E-005"},
        {"FloatWholeHundred", dtFloat, 4, 100, "100"},
        {"FloatOneDigitMantissa", dtFloat, 2, 1.5e20, "1.5E020"},
        {"FloatNegative", dtFloat, 4, -123.4, "-123.4"},
        {"FloatRoundsTieAway", dtFloat, 2, 0.125, "0.13"},
        {"FloatCarryIntoNewDigit", dtFloat, 3, 9.9996, "10"},
        {"FloatZero", dtFloat, 4, 0, "0"},
        {"FloatPrecisionBelowTwo", dtFloat, 0, 1234, "1.2E003"},
        {"FloatNaN", dtFloat, 4, kNaN, "Nan"},
        {"FixPMainWindow", dtFixP, 4, 0.98765, "0.9877"},
        {"FixPZero", dtFixP, 4, 0, "0.0000"},
        {"FixPNegative", dtFixP, 2, -12.5, "-12.50"},
        {"FixPHugeGoesGeneral", dtFixP, 2, 1.5e18, "1.5E018"},
        {"FixPInfinity", dtFixP, 2, -kInf, "-Inf"},
        {"ExpTie", dtExp, 4, 1234.5, "1.235E+003"},
        {"ExpPrecisionZeroActsAsTwo", dtExp, 0, 1234.5, "1.2E+003"},
        {"ExpNegativeExponent", dtExp, 4, -0.001, "-1.000E-003"},
        {"ExpZero", dtExp, 3, 0, "0.00E+000"},
        {"HexFourDigits", dtHex, 4, 255.4, "00FF"},
        {"HexMinusOne", dtHex, 4, -1, "FFFF"},
        {"HexTooLarge", dtHex, 4, 5e9, kOverflow},
        {"HexTopOfRange", dtHex, 8, 4294967295.0, "FFFFFFFF"},
        {"HexPrecisionLimitedToEight", dtHex, 15, 255, "000000FF"},
        {"HexPrecisionZero", dtHex, 0, 255, ""},
        {"HexNaN", dtHex, 4, kNaN, kOverflow},
        {"ZeroInt", dtZeroInt, 5, 42, "00042"},
        {"ZeroIntNegative", dtZeroInt, 5, -42, "-00042"},
        {"ZeroIntTieToEven", dtZeroInt, 3, 2.5, "002"},
        {"ZeroIntOutOfRange", dtZeroInt, 5, 3e9, kOverflow},
        {"IntTieToEven", dtInt, 0, 3.5, "4"},
        {"IntTieToEvenDown", dtInt, 0, 2.5, "2"},
        {"IntNegative", dtInt, 0, -7.6, "-8"},
        {"IntLarge", dtInt, 0, 1e15, "1000000000000000"},
        {"IntBeyondIntegers", dtInt, 0, 1e30, kOverflow},
        {"IntNaN", dtInt, 0, kNaN, kOverflow},
        {"Bin", dtBin, 8, 5, "00000101"},
        {"BinMinusOne", dtBin, 4, -1, "1111"},
        {"BinPrecisionZero", dtBin, 0, 5, ""},
        {"BinOutOfRange", dtBin, 4, -3e9, kOverflow},
        {"Oct", dtOct, 4, 8, "0010"},
        {"OctTwelveGivesEleven", dtOct, 12, 8, "00000000010"},
        {"OctPrecisionZero", dtOct, 0, 8, ""},
        {"Deg", dtDeg, 2, 12.5, "12.50\xC2\xB0"},
        {"DegMin", dtDegMin, 1, 12.5, "12\xC2\xB0 30.0'"},
        {"DegMinPaddedMinutes", dtDegMin, 1, 12.1, "12\xC2\xB0  6.0'"},
        {"DegMinNegativeBelowOne", dtDegMin, 1, -0.5, "-0\xC2\xB0 30.0'"},
        {"DegMinNegativeRoundsLikePositive", dtDegMin, 0, -12.25, "-12\xC2\xB0  15'"},
        {"DegMinSec", dtDegMinSec, 1, 12.5125, "12\xC2\xB0 30' 45.0\""},
        {"DegMinSecWholeMinutes", dtDegMinSec, 0, 10.5, "10\xC2\xB0 30'   0\""},
        {"EEng", dtEEng, 4, 4700, "4.700k"},
        {"EEngNoDP", dtEEngNoDP, 4, 4700, "4k700"},
        {"EEngMicro", dtEEng, 4, -0.000002, "-2.000u"},
        {"EEngInfinity", dtEEng, 4, kInf, kOverflow},
        {"DegMinHuge", dtDegMin, 2, 1e307, kOverflow},
        {"DegMinSecHuge", dtDegMinSec, 2, -1e300, kOverflow},
        {"DegMinBeyondMinutes", dtDegMin, 8, 1e15, kOverflow},
        {"DegMinSecBeyondSeconds", dtDegMinSec, 0, -1e15, kOverflow},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberTexts, DateTimeAndStateUseTheirTexts)
{
    const TFormatSettings saved = FormatSettings();
    SetFormatSettings(TFormatSettings::English());
    TNumberTextParams params;
    params.DisplayType = dtDateTime;
    std::string text;
    ASSERT_TRUE(NumberTextOf(38000.5, params, text));
    EXPECT_EQ(text, "Jan-14, 2004");
    params.DTFormat = "dd.mm.yyyy hh:nn";
    ASSERT_TRUE(NumberTextOf(38000.5, params, text));
    EXPECT_EQ(text, "14.01.2004 12:00");
    EXPECT_FALSE(NumberTextOf(kNaN, params, text));
    params.DisplayType = dtState;
    params.StateText = "Aus";
    ASSERT_TRUE(NumberTextOf(kNaN, params, text));
    EXPECT_EQ(text, "Aus");
    SetFormatSettings(saved);
}
