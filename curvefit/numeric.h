#pragma once
// Small numeric helpers of the engine (internal): scaling by powers of two and double-double
// arithmetic (a value as the unevaluated sum hi + lo of two doubles, about 106 bits). The
// double-double operations need the engine's -ffp-contract=off: a fused multiply-add would change
// the error terms they compute.
#include <cfloat>
#include <cmath>

namespace numeric {

// The power of two nearest below |v| (1 for 0 and for what is not finite), so that v / PowerOfTwo(v)
// lies in [1, 2). Below the normal range it is the smallest normal power, whose reciprocal is
// still finite.
inline double PowerOfTwo(double v)
{
    if (v == 0.0 || !std::isfinite(v)) return 1.0;
    if (std::fabs(v) < DBL_MIN) return DBL_MIN;
    int exponent = 0;
    std::frexp(v, &exponent);
    return std::ldexp(1.0, exponent - 1);
}

struct TDD {
    double hi = 0.0, lo = 0.0;
};

// s + e = a + b exactly.
inline TDD TwoSum(double a, double b)
{
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// The same for |a| >= |b| (or a = 0).
inline TDD QuickTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// hi + lo = a b exactly (Dekker's product; both factors well below 1e300).
inline TDD TwoProduct(double a, double b)
{
    constexpr double kSplit = 134217729.0;   // 2^27 + 1
    const double p = a * b;
    const double ca = kSplit * a, cb = kSplit * b;
    const double ah = ca - (ca - a), bh = cb - (cb - b);
    const double al = a - ah, bl = b - bh;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

inline TDD operator+(TDD a, TDD b)
{
    TDD s = TwoSum(a.hi, b.hi);
    const TDD t = TwoSum(a.lo, b.lo);
    s.lo += t.hi;
    s = QuickTwoSum(s.hi, s.lo);
    s.lo += t.lo;
    return QuickTwoSum(s.hi, s.lo);
}

inline TDD operator-(TDD a) { return {-a.hi, -a.lo}; }
inline TDD operator-(TDD a, TDD b) { return a + -b; }

inline TDD operator*(TDD a, double b)
{
    TDD p = TwoProduct(a.hi, b);
    p.lo += a.lo * b;
    return QuickTwoSum(p.hi, p.lo);
}

inline TDD operator*(TDD a, TDD b)
{
    TDD p = TwoProduct(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return QuickTwoSum(p.hi, p.lo);
}

inline TDD operator/(TDD a, TDD b)
{
    const double q1 = a.hi / b.hi;
    TDD r = a - b * q1;
    const double q2 = r.hi / b.hi;
    r = r - b * q2;
    const double q3 = r.hi / b.hi;
    return QuickTwoSum(q1, q2) + TDD{q3, 0.0};
}

inline TDD Sqrt(TDD a)
{
    if (a.hi <= 0.0) return {};
    const double x = std::sqrt(a.hi);
    const TDD square = TwoProduct(x, x);
    const double correction = ((a - square).hi) / (2.0 * x);
    return QuickTwoSum(x, correction);
}

// Multiplies by 2^e exactly (as long as the result stays in the normal range).
inline TDD Ldexp(TDD a, int e) { return {std::ldexp(a.hi, e), std::ldexp(a.lo, e)}; }

}  // namespace numeric
