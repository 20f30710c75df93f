// Hostile arguments through the public functions: every call ends, raises one of the program's
// errors or returns a result that is a number whenever its inputs were numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "common/fpguard.h"
#include "common/mathutil.h"
#include "common/numtext.h"
#include "testsupport/testsupport.h"

namespace {

bool NamesANonNumber(const std::string& s)
{
    return s.find("Nan") != std::string::npos || s.find("Inf") != std::string::npos ||
           s.find("nan") != std::string::npos || s.find("inf") != std::string::npos;
}

}  // namespace

TEST(CommonRobustness, NumberTextsOfHostileValues)
{
    testsupport::THostile h(1);
    testsupport::TRounds rounds(20000, 3);
    while (rounds.Next()) {
        const double v = h.Double();
        const int width = h.Int(), decimals = h.Int(), digits = h.Int();
        SCOPED_TRACE(testing::Message() << v << " " << width << " " << decimals << " " << digits);
        const std::string fixed = NumberToText(v, width, decimals);
        ASSERT_LE(fixed.size(), std::size_t(kMaxNumberTextWidth + kMaxNumberTextDecimals + 40));
        ASSERT_EQ(NamesANonNumber(fixed), !std::isfinite(v));
        const std::string prefixed = NumberToPrefixedText(digits, v);
        ASSERT_LE(prefixed.size(), std::size_t(kMaxNumberTextDecimals + 40));
        ASSERT_EQ(NamesANonNumber(prefixed), !std::isfinite(v));
    }
}

TEST(CommonRobustness, RoundingLogarithmAndTickStepOfHostileValues)
{
    testsupport::THostile h(2);
    testsupport::TRounds rounds(20000, 3);
    while (rounds.Next()) {
        const double v = h.Double();
        RoundToInt(v);
        FloorToInt(v);
        if (v > 0 && std::isfinite(v)) {
            ASSERT_TRUE(std::isfinite(DecimalLog(v))) << v;
        }
        const long double from = h.Double(), to = h.Double();
        const int n = h.Chance(0.5) ? h.Between(0, 12) : h.Int();
        long double first = 0, step = 0;
        std::int16_t sub = 0;
        FindTickStep(n, first, step, from, to, sub);
        // a finite span with a count of intervals gives a finite step (0 only for an empty span)
        if (std::isfinite(from) && std::isfinite(to) && std::isfinite(to - from) && n >= 0) {
            SCOPED_TRACE(testing::Message() << double(from) << " .. " << double(to) << " n " << n);
            ASSERT_TRUE(std::isfinite(step));
            ASSERT_TRUE(std::isfinite(first));
            ASSERT_EQ(step == 0, from == to);
            ASSERT_GE(sub, 1);
        }
    }
}

TEST(CommonRobustness, GuardedDivisionRaisesOrGivesANumber)
{
    testsupport::THostile h(3);
    testsupport::TRounds rounds(20000, 3);
    while (rounds.Next()) {
        const double a = h.Double(), b = h.Double();
        try {
            const double q = FloatDiv(a, b);
            const long double lq = FloatDiv(static_cast<long double>(a), static_cast<long double>(b));
            if (std::isfinite(a) && std::isfinite(b)) {
                ASSERT_TRUE(std::isfinite(q)) << a << " / " << b;
                ASSERT_TRUE(std::isfinite(lq)) << a << " / " << b;
            }
        } catch (const EMathError&) {
        }
        try {
            TFloatGuard guard;
            const double p = a * b;
            guard.Check(p);
            if (std::isfinite(a) && std::isfinite(b)) {
                ASSERT_TRUE(std::isfinite(p)) << a << " * " << b;
            }
        } catch (const EMathError&) {
        }
        try {
            CheckFinite(a);
            ASSERT_TRUE(std::isfinite(a));
        } catch (const EMathError&) {
            ASSERT_FALSE(std::isfinite(a));
        }
    }
}
