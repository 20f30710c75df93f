#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <limits>

#include "common/numtext.h"

namespace {

struct TextCase {
    const char* name;
    long double value;
    int width, decimals;
    const char* text;
};

// Digits come from the 18 most significant digits of the exact value, then a cut with ties away
// from zero: not printf's rounding of the binary value.
const TextCase kTextCases[] = {
    {"Pi", 3.14159L, 1, 3, "3.142"},
    {"WholeNumber", 2, 1, 3, "2.000"},
    {"NegativeHalf", -0.5L, 1, 3, "-0.500"},
    {"TwoIntegerDigits", 12.3456L, 1, 3, "12.346"},
    {"TieRoundsAwayFromZero", 0.0005L, 1, 3, "0.001"},
    {"ZeroDecimalsTie", 2.5L, 1, 0, "3"},
    {"EighthTieUp", 0.125L, 1, 2, "0.13"},  // printf gives 0.12
    {"BinaryBelowTie", double(2.675), 1, 2, "2.67"},  // 2.67499999999999982 in 18 digits
    {"CarryAddsDigit", double(9.9996), 1, 3, "10.000"},
    {"NegativeRoundsToZeroKeepsSign", -0.0004L, 1, 3, "-0.000"},
    {"NegativeZero", -0.0L, 1, 2, "-0.00"},
    {"PaddedToWidth", 0.5L, 10, 2, "      0.50"},
    {"NeverCut", 987.654L, 2, 2, "987.65"},
    {"DataFileDecimals", -1e-9L, 1, 6, "-0.000000"},
    {"LargeFixed", 1e35L, 1, 1, "100000000000000000000000000000000000.0"},
    {"Scientific", 1e40L, 1, 3, " 1.0E+0040"},
    {"ScientificNegativeWide", -1.5e40L, 12, 3, "-1.500E+0040"},
    {"NaN", std::numeric_limits<long double>::quiet_NaN(), 5, 2, "  Nan"},
    {"PlusInfinity", std::numeric_limits<long double>::infinity(), 1, 2, "+Inf"},
    {"MinusInfinity", -std::numeric_limits<long double>::infinity(), 1, 2, "-Inf"},
    {"TinyIsZero", 1e-300L, 1, 4, "0.0000"},
};

class NumberToTextCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberToTextCases, GivesTheProgramsDigits)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(NumberToText(c.value, c.width, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(Common, NumberToTextCases, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct PrefixCase {
    const char* name;
    int digits;
    double value;
    const char* text;
};

const PrefixCase kPrefixCases[] = {
    {"Kilo", 4, 4700, "4.700k"},
    {"LetterAsPoint", -4, 4700, "4k700"},
    {"Milli", 3, 0.00123, "1.23m"},
    {"NoDecimalsLeft", 3, 123456, "123k"},
    {"NoPrefix", 3, 5, "5.00"},
    {"NegativeMicro", 4, -0.000002, "-2.000u"},
    {"ThousandIsKilo", 3, 1000, "1.00k"},
    {"BelowThousandHasNone", 4, 999.9, "999.9"},
    {"StaysAtTera", 3, 5e15, "5000T"},
    {"Zero", 4, 0, "0.000"},
};

class PrefixedTextCases : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixedTextCases, UsesEngineeringLetters)
{
    const PrefixCase& c = GetParam();
    EXPECT_EQ(NumberToPrefixedText(c.digits, c.value), c.text);
}

INSTANTIATE_TEST_SUITE_P(Common, PrefixedTextCases, ::testing::ValuesIn(kPrefixCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceCharacter, ReplacesEveryOccurrenceKeepingLength)
{
    EXPECT_EQ(ReplaceCharacter("a\nb\n\rc", '\n', ' '), "a b \rc");
}

}  // namespace

// Widths and decimals at the ends of int are clamped, never overflowed or allocated in full.
TEST(NumberToText, ExtremeWidthsAndDecimalsAreClamped)
{
    const std::string zeros(kMaxNumberTextDecimals, '0');
    EXPECT_EQ(NumberToText(10, 1, INT_MAX), "10." + zeros);
    EXPECT_EQ(NumberToText(1, 1, INT_MAX - 1), "1." + zeros);
    EXPECT_EQ(NumberToText(-2.5, INT_MIN, INT_MIN), "-3");
    EXPECT_EQ(NumberToText(1e40L, INT_MIN, 0), " 1.0E+0040");
    const std::string wide = NumberToText(1e40L, INT_MAX, 0);
    EXPECT_EQ(wide.size(), std::size_t(kMaxNumberTextWidth));
    EXPECT_EQ(wide.substr(wide.size() - 6), "E+0040");
    EXPECT_EQ(NumberToText(std::numeric_limits<long double>::quiet_NaN(), INT_MAX, INT_MAX),
              std::string(kMaxNumberTextWidth - 3, ' ') + "Nan");
    EXPECT_EQ(NumberToPrefixedText(INT_MIN, std::numeric_limits<double>::infinity()), "+Inf");
    EXPECT_EQ(NumberToPrefixedText(INT_MAX, std::numeric_limits<double>::quiet_NaN()), "Nan");
}
