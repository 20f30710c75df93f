#pragma once
// TCenteredPoly: a polynomial in the centred, scaled variable t = (x - Centre) / Scale. A fitted
// polynomial computes every value from this form: over the data t runs from -1 to 1, so its terms
// stay of the size of the curve, where the powers of an x far from 0 (years, day numbers,
// timestamps) grow far beyond the curve and cancel when they are summed. No Qt.
#include <span>
#include <vector>

struct TCenteredPoly {
    double Centre = 0.0;
    double Scale = 1.0;                 // positive
    std::vector<double> Coefficients;   // of t^0, t^1, ..., t^m

    // The polynomial at x, by Horner's rule in t. A fault on the way (an x far outside the data
    // overflowing a power of t) is left in the floating-point flags for the caller's guard.
    double Value(double x) const;
};

// The centre and scale for data whose x run from low to high: the middle of the range and half
// its width, so that t runs from -1 to 1 over the data. All x equal give the scale 1 (t = 0 at
// every point); a half width below the normal doubles gives the smallest normal double, whose
// reciprocal is still finite. The result has no coefficients yet.
TCenteredPoly CenteredOver(double low, double high);

// How much the raw form k_0 + k_1 x + ... + k_m x^m of the same polynomial cancels when it is
// summed in doubles over the range the centred form covers (Centre - Scale to Centre + Scale):
// the largest sum of |k_j x^j| there over the largest |p(x)| there. Evaluated in doubles, the raw
// form keeps about 16 - log10 of it correct digits of the curve. 1 for a polynomial that is 0
// there.
double RawFormCancellation(const TCenteredPoly& centered, std::span<const double> raw);

// The cancellation beyond which the raw coefficients are no form to compute values from: half of
// a double's digits lost (from about order 3 on for x near 1e9 in steps of 3600).
constexpr double kRawFormCancellationLimit = 1e8;

// Whether evaluating the raw form in doubles loses more than half of a double's digits.
inline bool RawFormCancels(const TCenteredPoly& centered, std::span<const double> raw)
{
    return RawFormCancellation(centered, raw) > kRawFormCancellationLimit;
}
