#include "curvefit/centeredpoly.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Points of the range at which RawFormCancellation compares the raw terms with the curve: more
// than enough to find the curve's largest value of any order up to 10 within a small factor.
constexpr int kCancellationSamples = 64;

}  // namespace

double TCenteredPoly::Value(double x) const
{
    const double t = (x - Centre) / Scale;
    double value = 0.0;
    for (auto k = Coefficients.rbegin(); k != Coefficients.rend(); ++k) value = value * t + *k;
    return value;
}

TCenteredPoly CenteredOver(double low, double high)
{
    TCenteredPoly centered;
    // Halves first: neither sum nor difference of two doubles of opposite ends may overflow.
    centered.Centre = 0.5 * low + 0.5 * high;
    const double halfWidth = 0.5 * high - 0.5 * low;
    centered.Scale = halfWidth > 0.0 ? std::max(halfWidth, DBL_MIN) : 1.0;
    return centered;
}

double RawFormCancellation(const TCenteredPoly& centered, std::span<const double> raw)
{
    // The terms in extended precision, whose range holds any power up to the tenth of a double.
    long double largestTerms = 0.0L;
    double largestValue = 0.0;
    for (int i = 0; i <= kCancellationSamples; ++i) {
        const double t = -1.0 + 2.0 * i / kCancellationSamples;
        const double x = centered.Centre + centered.Scale * t;
        long double terms = 0.0L, power = 1.0L;
        for (double k : raw) {
            terms += std::fabs(k * power);
            power *= x;
        }
        largestTerms = std::max(largestTerms, terms);
        largestValue = std::max(largestValue, std::fabs(centered.Value(x)));
    }
    if (largestValue == 0.0) return 1.0;
    return static_cast<double>(std::min(largestTerms / largestValue, static_cast<long double>(DBL_MAX)));
}
