#pragma once
// Floating-point faults as errors. A computation that must not end in a silent infinity or NaN
// runs under a TFloatGuard: the constructor clears the status flags for division by zero,
// invalid operation and overflow; Check() raises EZeroDivide, EInvalidOp or EOverflow when one of
// them was raised since. The flags cover both the SSE unit (double) and the x87 unit (long double).
//
//   TFloatGuard guard;
//   double k = (n * sxy - sx * sy) / det;
//   guard.Check(k);            // k is stored before the flags are read
//
// Where the order of faults matters (the first failing division names the error), divide with
// FloatDiv, which checks the divisor before it divides.
#include "common/errors.h"

namespace fpguard_detail {
// Keeps the compiler from moving the computation of `value` past the flag test.
template <class T>
inline void Materialise(const T& value) { asm volatile("" : : "m"(value) : "memory"); }
int TakeFlags();            // returns the fault flags set so far and clears them
void RestoreFlags(int flags);  // sets these fault flags again (without trapping)
void RaiseByFlags();  // throws in the order division by zero, invalid operation, overflow
}  // namespace fpguard_detail

// Guards nest: a guard hands the flags that were set before it back when it ends, so an inner
// guard never hides a fault from the outer one.
class TFloatGuard {
public:
    TFloatGuard() : m_outerFlags(fpguard_detail::TakeFlags()) {}
    ~TFloatGuard() { if (m_outerFlags) fpguard_detail::RestoreFlags(m_outerFlags); }
    TFloatGuard(const TFloatGuard&) = delete;
    TFloatGuard& operator=(const TFloatGuard&) = delete;

    // Raises the platform error for the first fault flag that is set; `results` are forced to
    // memory first so their computation is done before the test.
    template <class... T>
    void Check(const T&... results) const
    {
        (fpguard_detail::Materialise(results), ...);
        fpguard_detail::RaiseByFlags();
    }

private:
    int m_outerFlags;
};

// a / b with the platform's errors: b = 0 raises EZeroDivide, or EInvalidOp when a is 0 (or NaN)
// too; a quotient beyond the type's range raises EOverflow.
double FloatDiv(double a, double b);
long double FloatDiv(long double a, long double b);

// Raises EOverflow for an infinity and EInvalidOp for a NaN; returns v otherwise.
double CheckFinite(double v);
