#include <gtest/gtest.h>

#include "common/fpguard.h"

namespace {

// Inputs come through volatile so the compiler cannot fold the faulting operations away.
volatile double gZero = 0.0;
volatile double gOne = 1.0;
volatile double gHuge = 1e300;

TEST(FloatGuard, RaisesThePlatformErrors)
{
    {
        TFloatGuard guard;
        const double q = gOne / gZero;
        EXPECT_THROW(guard.Check(q), EZeroDivide);
    }
    {
        TFloatGuard guard;
        const double q = gZero / gZero;
        EXPECT_THROW(guard.Check(q), EInvalidOp);
    }
    {
        TFloatGuard guard;
        const double p = gHuge * gHuge;
        EXPECT_THROW(guard.Check(p), EOverflow);
    }
    {
        // 1e300 squared fits in long double; storing it as double overflows.
        TFloatGuard guard;
        const long double p = static_cast<long double>(gHuge) * gHuge;
        const double stored = static_cast<double>(p);
        EXPECT_THROW(guard.Check(stored), EOverflow);
    }
    {
        TFloatGuard guard;
        const double fine = gOne / 3.0;
        EXPECT_NO_THROW(guard.Check(fine));
    }
}

TEST(FloatGuard, StaleFlagsDoNotLeakIntoTheNextGuard)
{
    const double stale = gOne / gZero;  // raised before the guard exists
    TFloatGuard guard;
    EXPECT_NO_THROW(guard.Check(stale));
}

TEST(FloatGuard, AnInnerGuardDoesNotHideTheOuterFault)
{
    TFloatGuard outer;
    const double q = gOne / gZero;
    {
        TFloatGuard inner;
        const double fine = gOne + 1.0;
        EXPECT_NO_THROW(inner.Check(fine));
    }
    EXPECT_THROW(outer.Check(q), EZeroDivide);
}

TEST(FloatGuard, MessagesAreThePlatformsGermanTexts)
{
    EXPECT_STREQ(EZeroDivide().what(), "Gleitkommadivision durch Null");
    EXPECT_STREQ(EInvalidOp().what(), "Ungültige Gleitkommaoperation");
    EXPECT_STREQ(EOverflow().what(), "Gleitkommaüberlauf");
    EXPECT_STREQ(EConvertError("1,2,3").what(), "'1,2,3' ist kein gültiger Gleitkommawert");
}

TEST(FloatDiv, ChecksTheDivisorFirst)
{
    EXPECT_THROW(FloatDiv(1.0, 0.0), EZeroDivide);
    EXPECT_THROW(FloatDiv(0.0, 0.0), EInvalidOp);
    EXPECT_THROW(FloatDiv(1e300, 1e-300), EOverflow);
    EXPECT_THROW(FloatDiv(1.0L, 0.0L), EZeroDivide);
    EXPECT_EQ(FloatDiv(6.0, 3.0), 2.0);
    EXPECT_THROW(CheckFinite(1.0 / gZero), EOverflow);
}

}  // namespace
