#include "common/fpguard.h"

#include <cfenv>
#include <cmath>

namespace fpguard_detail {

constexpr int kFaults = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

int TakeFlags()
{
    asm volatile("" : : : "memory");
    const int raised = std::fetestexcept(kFaults);
    std::feclearexcept(kFaults);
    asm volatile("" : : : "memory");
    return raised;
}

void RestoreFlags(int flags)
{
    // With the faults masked (as they always are here) raising one only sets its flag.
    std::feraiseexcept(flags & kFaults);
}

void RaiseByFlags()
{
    asm volatile("" : : : "memory");
    const int raised = std::fetestexcept(kFaults);
    if (raised == 0) return;
    std::feclearexcept(kFaults);
    if (raised & FE_DIVBYZERO) throw EZeroDivide();
    if (raised & FE_INVALID) throw EInvalidOp();
    throw EOverflow();
}

}  // namespace fpguard_detail

namespace {
template <class T>
T CheckedQuotient(T a, T b)
{
    if (b == 0) {
        if (a == 0 || std::isnan(a)) throw EInvalidOp();
        throw EZeroDivide();
    }
    const T q = a / b;
    if (std::isnan(q)) throw EInvalidOp();
    if (std::isinf(q) && !std::isinf(a)) throw EOverflow();
    return q;
}
}  // namespace

double FloatDiv(double a, double b) { return CheckedQuotient(a, b); }
long double FloatDiv(long double a, long double b) { return CheckedQuotient(a, b); }

double CheckFinite(double v)
{
    if (std::isnan(v)) throw EInvalidOp();
    if (std::isinf(v)) throw EOverflow();
    return v;
}
