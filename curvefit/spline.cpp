// The smoothing spline: Reinsch's algorithm (C. H. Reinsch, "Smoothing by spline functions",
// 1967) and the cache of TCurveFit that evaluates it.
//
// Reinsch's spline s minimises the integral of s''^2 among all functions with
// sum(((s(x_i) - y_i) / dy_i)^2) <= S. It is a natural cubic spline with a knot at every x_i, and
// for S below the residual of the best straight line the bound is met with equality. With a
// Lagrange parameter p the halved second derivatives u solve (p Q^T D^2 Q + T) u = Q^T y, T holding
// the spacings and Q the second divided differences; the residual is F(p) = p^2 |D Q u|^2 and
// F'(p) = 2 p (e - p f) with e = |D Q u|^2 and f = z^T (p Q^T D^2 Q + T)^-1 z, z = Q^T D^2 Q u.
// The iteration looks for the p with F(p) = S, starting at p = 0 (the interpolating spline) and
// stopping once F reaches S or no longer grows. Each step is linear in the number of points.
//
// Three changes keep the result what it is defined to be when there are many points, and few steps:
//  - The band matrix p Q^T D^2 Q + T has a condition number growing like n^4 (and with the square
//    of the ratio of the largest to the smallest spacing), so factoring it directly leaves no
//    correct digit in F at ten thousand random points. For p > 0 the system is solved instead as
//    the least-squares problem [D Q; L^T / sqrt(p)] (p u) ~ [D^-1 y; 0], T = L L^T, by Givens
//    rotations, which only meets the square root of that condition number. The rotations are
//    Gentleman's, without square roots: each row is kept as a weight times a row with 1 on the
//    diagonal, so a rotation costs one division and the back substitution none. The rows of D Q
//    and the factor of T are formed from x as the rotations reach them, so the solve keeps four
//    numbers per point (the band of the factor and the right side). The row of T goes in ahead of
//    the row of D Q that starts in the same column: five divisions a point instead of six. The
//    divider bounds every pass, so quotients that do not wait for each other go in pairs.
//  - F climbs through many decades of p, in stretches where it grows like a power of p (like p^2
//    near 0) and shoulders where it hardly grows at all. Newton's step on ln F over ln p follows
//    both (a step on a shoulder is limited to a factor 1e8); near the straight line's residual F
//    flattens like F_inf - C / p, and a step for that form takes over. Once a step has overshot S,
//    the iteration keeps p inside the bracket of the last p below and above S, falls back to the
//    bracket's geometric middle when a step leaves it, and settles on the closest p after a few
//    steps.
//  - The iteration ends at the resolution the residual has: when F is within its expected
//    rounding noise of S (from 1e-10 for few points, at most 1e-7), or within a few times the
//    noise each pass estimates from the terms of F where that is larger (randomly placed points
//    lie so close together in places that F scatters by 5e-5 at a million of them). Newton's
//    slope needs the second differences of v and meets its rounding noise long before F does;
//    once a Newton step near S misses its aim by more than half the way, secant steps on ln F over
//    ln p take over, and when one of those misses too, the noise is F's own: further steps would
//    only chase it. With many points the iteration starts from the p of a thinned copy of them, a
//    few steps from the end. A preparation for the same points and allowance starts from the
//    previous p and takes it; one for another allowance (the next step of the scroll bar) starts
//    where the slope of ln F at the previous p points, one or two passes from the end.
//  - The last step is small: a few parts in 1e5 of p at a hundred thousand random points. Such a
//    step is taken on the factor of the pass before: with A(p) = p Q^T D^2 Q + T and
//    z = Q^T D^2 Q u, u(p + d) = u - d A(p)^-1 z + O(d^2), and A(p)^-1 z is one back substitution
//    from the forward sweep that Newton's slope makes anyway. It replaces the rotations of a
//    whole pass where the second-order rest, at most 2 (d/p)^2 of F, lies within F's rounding
//    noise; a step that then misses S is solved again in full.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/kernels.h"

namespace {


// A residual this close to the allowance (relative) ends the iteration: well below what matters
// for a drawing.
constexpr double kResidualTolerance = 1e-10;
// The rounding noise of the residual grows with the square of the number of points (the condition
// of the second differences): about 0.1 n^2 rounding units at worst, 1e-9 at ten thousand random
// points. A residual within that of the allowance is as close as it can be resolved; but the
// iteration aims at 1e-7 at most, which secant steps reach wherever the noise allows (evenly
// spread points: ten million of them).
constexpr double kNoisePerSquaredPoint = 0.1 * 1.1102230246251565e-16;
constexpr double kLargestTolerance = 1e-7;
// Where the residual's own rounding noise, estimated in each pass from the terms it sums (their
// errors taken as independent), is larger than that aim, a residual within this many times the
// noise of the allowance is as close as it can be told: further steps would only follow the
// noise. The estimate runs about a third of the scatter seen: at a million randomly placed points
// the residual scatters by about 5e-5 between neighbouring p, and this multiple is 5e-5 to 1e-4;
// at two million evenly spread ones, 1e-7 and 1.8e-7.
constexpr double kNoiseMultiple = 5.0;
constexpr double kRoundingUnit = 1.1102230246251565e-16;
// A bracket narrower than this (relative) cannot be split any further.
constexpr double kStepResolution = 1e-13;
// Close to the allowance (relative; or within a hundred times the expected noise), a Newton step
// that misses its aim by more than half of the way it had to go has met the rounding noise of the
// residual: nothing is gained by more steps.
constexpr double kNoiseRegion = 1e-3;
// Above eight times this many points the iteration starts from the p of a thinned copy of the
// points, with a 64th of them but at least this many (itself started the same way).
constexpr int kThinnedPoints = 1000;
// Once the allowance is bracketed and a step starts close to it, Newton's steps reach the
// rounding noise in a few steps; more only chase that noise.
constexpr int kMaxBracketSteps = 8;
// Passes after the allowance was first bracketed, at most: where the residual's noise is far above
// the aim (millions of randomly placed points, some of them 1e-13 apart), the steps only follow it.
constexpr int kMaxBracketedPasses = 12;
// One step changes p by at most this factor either way.
constexpr double kMaxStepFactor = 1e8;
// A safety net: the iteration takes a handful of steps.
constexpr int kMaxSteps = 200;

// The quotients n0 / d0 and n1 / d1, each rounded as alone, by one division of pairs: the loops
// below are bound by the divider, which divides a pair at the price of one quotient.
[[gnu::always_inline]] inline kernels::TPair Quotients(double n0, double d0, double n1, double d1)
{
    return kernels::TPair{n0, n1} / kernels::TPair{d0, d1};
}

// The least-squares line through (x_i, y_i), i = n1..n2, weighted by 1 / dy_i^2 (dy == nullptr:
// every dy_i = 1), taken about the weighted means; residual = sum(((y_i - line(x_i)) / dy_i)^2),
// the residual the smoothing spline approaches as p grows.
struct TLine {
    double meanX, meanY, slope, residual;
};
TLine LineFit(const double* x, const double* y, const double* dy, int n1, int n2)
{
    double sw = 0.0, swx = 0.0, swy = 0.0;
    for (int i = n1; i <= n2; ++i) {
        const double w = dy ? 1.0 / (dy[i] * dy[i]) : 1.0;
        sw += w;
        swx += w * x[i];
        swy += w * y[i];
    }
    const double mx = swx / sw, my = swy / sw;
    double sxx = 0.0, sxy = 0.0;
    for (int i = n1; i <= n2; ++i) {
        const double w = dy ? 1.0 / (dy[i] * dy[i]) : 1.0;
        sxx += w * (x[i] - mx) * (x[i] - mx);
        sxy += w * (x[i] - mx) * (y[i] - my);
    }
    const double k = sxx != 0.0 ? sxy / sxx : 0.0;
    double rss = 0.0;
    for (int i = n1; i <= n2; ++i) {
        const double r = dy ? ((y[i] - my) - k * (x[i] - mx)) / dy[i] : (y[i] - my) - k * (x[i] - mx);
        rss += r * r;
    }
    return {mx, my, k, rss};
}

// The spacing x[i+1] - x[i] of two neighbouring knots; refuses equal and decreasing x.
double Spacing(const double* x, int i)
{
    const double h = x[i + 1] - x[i];
    if (h == 0.0) throw EQZLMath2Error(ecSplineIdenticalX);
    if (h < 0.0) throw EQZLMath2Error(ecSplineXNotIncreasing);
    return h;
}

// Halved second derivatives c of the natural cubic spline through (x_i, a_i), i = n1..n2:
// c_n1 = c_n2 = 0 and, for the inner knots, the slope condition
//   h_(i-1)/3 c_(i-1) + 2 (h_(i-1) + h_i)/3 c_i + h_i/3 c_(i+1)
//     = (a_(i+1) - a_i) / h_i - (a_i - a_(i-1)) / h_(i-1),
// solved by elimination down the diagonal (the Thomas algorithm). `upper` (places n1..n2) is
// scratch space for the eliminated superdiagonal.
void NaturalSplineCurvatures(int n1, int n2, const double* x, const double* a, double* c, double* upper)
{
    c[n1] = 0.0;
    c[n2] = 0.0;
    if (n2 - n1 < 2) return;
    double hPrev = x[n1 + 1] - x[n1];
    double slopePrev = (a[n1 + 1] - a[n1]) / hPrev;
    double lower = hPrev / 3.0;
    double upperPrev = 0.0, rhsPrev = 0.0;
    for (int i = n1 + 1; i < n2; ++i) {
        const double h = x[i + 1] - x[i];
        const kernels::TPair q = Quotients(a[i + 1] - a[i], h, h, 3.0);
        const double slope = q[0], third = q[1];
        const double pivot = 2.0 * (hPrev + h) / 3.0 - lower * upperPrev;
        const kernels::TPair r = Quotients(third, pivot, slope - slopePrev - lower * rhsPrev, pivot);
        upperPrev = r[0];
        rhsPrev = r[1];
        upper[i] = upperPrev;
        c[i] = rhsPrev;
        hPrev = h;
        slopePrev = slope;
        lower = third;
    }
    for (int i = n2 - 2; i > n1; --i) c[i] -= upper[i] * c[i + 1];
}

// The piece i's linear and cubic coefficients from the values a and halved curvatures c.
inline void PieceCoefficients(const double* x, const double* a, const double* c, int i, double& b, double& d)
{
    const double h = x[i + 1] - x[i];
    d = (c[i + 1] - c[i]) / (3.0 * h);
    b = (a[i + 1] - a[i]) / h - (h * d + c[i]) * h;
}

// Sorts the points (x_i, y_i), i = 0..n-1, by x into x[1..n], y[1..n] (pairs stay together,
// points with equal x keep their order), by radix sort on the bits of x: 11 bits a pass, passes
// in which every point has the same digit skipped. Every double has its place, NaN included.
void SortPoints(const double* px, const double* py, int n, std::vector<double>& x, std::vector<double>& y)
{
    struct TKeyed {
        std::uint64_t key;
        double y;
    };
    constexpr int kBits = 11;
    constexpr int kPasses = (64 + kBits - 1) / kBits;
    constexpr std::uint64_t kMask = (std::uint64_t(1) << kBits) - 1;
    std::vector<TKeyed> from(std::size_t(std::max(n, 0)));
    std::vector<std::size_t> counts(std::size_t(kPasses) << kBits, 0);
    for (int i = 0; i < n; ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &px[i], sizeof bits);
        // The order of the doubles as unsigned integers: negatives reversed below the positives.
        bits = bits >> 63 ? ~bits : bits | (std::uint64_t(1) << 63);
        from[i] = {bits, py[i]};
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[(std::size_t(pass) << kBits) + ((bits >> (pass * kBits)) & kMask)];
    }
    std::vector<TKeyed> to;
    for (int pass = 0; pass < kPasses; ++pass) {
        std::size_t* count = counts.data() + (std::size_t(pass) << kBits);
        if (n == 0 || count[(from[0].key >> (pass * kBits)) & kMask] == std::size_t(n)) continue;
        if (to.empty()) to.resize(from.size());
        std::size_t sum = 0;
        for (std::uint64_t digit = 0; digit <= kMask; ++digit) {
            const std::size_t c = count[digit];
            count[digit] = sum;
            sum += c;
        }
        for (const TKeyed& point : from) to[count[(point.key >> (pass * kBits)) & kMask]++] = point;
        from.swap(to);
    }
    to = std::vector<TKeyed>();
    x.assign(std::size_t(n) + 1, 0.0);
    y.assign(std::size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i) {
        std::uint64_t bits = from[i].key;
        bits = bits >> 63 ? bits & ~(std::uint64_t(1) << 63) : ~bits;
        std::memcpy(&x[i + 1], &bits, sizeof bits);
        y[i + 1] = from[i].y;
    }
}

// v[i] := ldexp(v[i], exponent) for i < count: a product with the power of two where that power
// is a double of full precision (the same result, rounded once), ldexp itself otherwise.
void ScaleByPowerOfTwo(double* v, int count, int exponent)
{
    if (exponent >= -1000 && exponent <= 1000) {
        const double factor = std::ldexp(1.0, exponent);
        for (int i = 0; i < count; ++i) v[i] *= factor;
    } else {
        for (int i = 0; i < count; ++i) v[i] = std::ldexp(v[i], exponent);
    }
}

// Reinsch's smoothing spline (see the top of this file), starting the iteration at pStart (0: at
// the interpolating spline). Writes a_i and c_i for i = n1..n2; b and d (n1..n2 places each) are
// work space on the way and receive nothing. dy == nullptr means every dy_i = 1. pStart receives
// the final p. When pStart is where an earlier call with the allowance settledS ended and S equals
// it, that p is taken as it is; for another S the first pass steps from it along settledPower
// (d ln F / d ln p there, which receives the last slope found). lineResidual is the residual of
// the points' least-squares line where the caller has it (negative: not known). Returns the number
// of passes of the band solver.
int SmoothingSpline(double S, int n1, int n2, const double* x, const double* y, const double* dy, double* a,
                    double* b, double* c, double* d, double& pStart, double settledS = -1.0,
                    const std::atomic<bool>* cancel = nullptr, double* settledPower = nullptr,
                    double lineResidual = -1.0)
{
    if (n1 >= n2) throw EQZLMath2Error(ecSplineBounds);
    TFloatGuard guard;
    const int m1 = n1 + 1;
    const int m2 = n2 - 1;
    for (int i = n1; i < n2; ++i) Spacing(x, i);
    auto weight = [dy](int i) { return dy ? dy[i] : 1.0; };

    // The triangular factor of [D Q; L^T / sqrt(p)] without square roots, as weight times unit
    // row (Gentleman's rotations): row j is sqrt(R0[j]) (1, R1[j], R2[j]) in the columns j, j+1,
    // j+2, its right side sqrt(R0[j]) u[j]; the back substitution turns u into the solution.
    // Rows are filled in order, up to `filled`.
    double* R0 = b;
    double* R1 = c;
    double* R2 = d;
    double* u = a;
    int filled = m1 - 1;
    bool emptyRow = false;
    // Rotates one row, sqrt(weight) (e0, e1, e2) in columns k, k+1, k+2 with right side
    // sqrt(weight) rhs, into the factor; rows come in order of their first column, so a row meets
    // filled rows only at its start.
    auto rotateIn = [&](int k, double weight, double e0, double e1, double e2, double rhs)
                        __attribute__((always_inline)) {
        for (int j = k; j <= m2; ++j) {
            if (e0 == 0.0 && e1 == 0.0 && e2 == 0.0) return;   // what is left is residual
            if (e0 != 0.0) {
                if (j > filled) {
                    // Rows skipped by a leading zero stay empty (and make the solve fail).
                    for (int skipped = filled + 1; skipped < j; ++skipped) {
                        R0[skipped] = R1[skipped] = R2[skipped] = u[skipped] = 0.0;
                        emptyRow = true;
                    }
                    const double inverse = 1.0 / e0;
                    R0[j] = weight * e0 * e0;
                    R1[j] = e1 * inverse;
                    R2[j] = e2 * inverse;
                    u[j] = rhs * inverse;
                    filled = j;
                    return;
                }
                const double weighted = weight * e0;
                const double sum = R0[j] + weighted * e0;
                const double inverse = 1.0 / sum;
                const double cs = R0[j] * inverse, sn = weighted * inverse;
                const double s1 = R1[j], s2 = R2[j], sq = u[j];
                R0[j] = sum;
                R1[j] = cs * s1 + sn * e1;
                R2[j] = cs * s2 + sn * e2;
                u[j] = cs * sq + sn * rhs;
                e1 = e1 - e0 * s1;
                e2 = e2 - e0 * s2;
                rhs = rhs - e0 * sq;
                weight = weight * cs;
            }
            e0 = e1;
            e1 = e2;
            e2 = 0.0;
        }
    };
    // Row rho of D Q: the second divided difference at knot rho, in the unknowns m1..m2, from the
    // reciprocal spacings to its left and right (0 beyond the ends), each found once for two rows.
    auto rotateDataRow = [&](int rho, double inverseLeft, double inverseRight) __attribute__((always_inline)) {
        const double w = weight(rho);
        const double left = w * inverseLeft;
        const double right = w * inverseRight;
        const double rhs = dy ? y[rho] / w : y[rho];
        // Columns rho-1, rho, rho+1, of which those outside m1..m2 drop out; only the first two
        // rows start right of rho-1. Straight-line code: a copy loop here becomes a call per row.
        const double middle = rho >= m1 && rho <= m2 ? -left - right : 0.0;
        const double rightmost = rho + 1 <= m2 ? right : 0.0;
        if (rho - 1 >= m1)
            rotateIn(rho - 1, 1.0, left, middle, rightmost, rhs);
        else if (rho == m1)
            rotateIn(m1, 1.0, middle, rightmost, 0.0, rhs);
        else
            rotateIn(m1, 1.0, rightmost, 0.0, 0.0, rhs);
    };
    // The Cholesky factor of T (diagonal 2 (h_(i-1) + h_i) / 3, off-diagonal h_i / 3), one row
    // after the other: ld the diagonal, lo the subdiagonal.
    struct TCholeskyRow {
        double ld, lo;
    };
    auto choleskyRow = [x, m2](int i, double loPrev) {
        const double t = 2.0 * ((x[i] - x[i - 1]) + (x[i + 1] - x[i])) / 3.0;
        const double ld = std::sqrt(t - loPrev * loPrev);
        return TCholeskyRow{ld, i < m2 ? (x[i + 1] - x[i]) / 3.0 / ld : 0.0};
    };
    // u at any index: 0 at the two ends.
    auto U = [u, m1, m2](int i) { return i >= m1 && i <= m2 ? u[i] : 0.0; };
    // v_i = D^2 Q u at knot i, from u_(i-1), u_i, u_(i+1).
    auto slope = [x, &U](int i) { return (U(i + 1) - U(i)) / (x[i + 1] - x[i]); };

    const bool hasUnknowns = m1 <= m2;
    double p = S > 0.0 && hasUnknowns ? std::max(pStart, 0.0) : 0.0;
    const bool settled = p > 0.0 && S == settledS;
    if (p > 0.0 && !settled && settledS > 0.0 && settledPower && *settledPower > 0.0) {
        // Another allowance after a settled one (the next step of the scroll bar): the first pass
        // goes where the slope of ln F over ln p at the settled p points, not to that p again.
        const double bound = std::log(kMaxStepFactor);
        p *= std::exp(std::clamp(std::log(S / settledS) / *settledPower, -bound, bound));
    }
    const int count = n2 - n1 + 1;
    const double tolerance =
        std::clamp(kNoisePerSquaredPoint * double(count) * double(count), kResidualTolerance, kLargestTolerance);
    const double noiseRegion = std::max(kNoiseRegion, 100.0 * tolerance);
    if (p == 0.0 && S > 0.0 && count > 8 * kThinnedPoints) {
        // Many points: the climb from p = 0 takes a dozen passes. Every k-th point (and the last)
        // with the same allowance per point gives a spline of nearly the same shape, at a p that
        // weighs its k times fewer residuals k times less: a start a few steps from the end. Near
        // the straight line's residual that allowance may lie above the thinned points' own line
        // (their residual per point is a few per cent off), where no p meets it and the thinned
        // p runs off: it is held to the same share of their line that S is of the whole line's.
        const int target = std::max(kThinnedPoints, count / 64);
        const int stride = count / target;
        const std::size_t places = std::size_t(count / stride) + 3;
        // Seven arrays of the thinned points (an eighth of them at most) fit into b, which is free
        // until the first pass.
        double* tx = b + n1 - 1;
        double* ty = tx + places;
        double* tdy = ty + places;
        int m = 0;
        for (int i = n1; i <= n2; i += stride) {
            ++m;
            tx[m] = x[i];
            ty[m] = y[i];
            tdy[m] = weight(i);
        }
        if (tx[m] != x[n2]) {
            ++m;
            tx[m] = x[n2];
            ty[m] = y[n2];
            tdy[m] = weight(n2);
        }
        double* work = tdy + places;
        double thinP = 0.0;
        const double lineAll = lineResidual >= 0.0 ? lineResidual : LineFit(x, y, dy, n1, n2).residual;
        const double lineThinned = LineFit(tx, ty, tdy, 1, m).residual;
        double thinnedS = S * (double(m) / count);
        if (lineAll > 0.0 && std::isfinite(lineThinned / lineAll))
            thinnedS = std::min(thinnedS, S * (lineThinned / lineAll));
        SmoothingSpline(thinnedS, 1, m, tx, ty, tdy, work, work + places, work + 2 * places, work + 3 * places,
                        thinP, -1.0, nullptr, nullptr, lineThinned);
        p = thinP * count / m;
    }
    double previousF = -S, previousP = 0.0;
    bool newtonStep = false;   // whether the current p came from a Newton step
    bool secantSteps = false;  // Newton's slope has met its noise: secant steps on F itself instead
    bool secantStep = false;   // whether the current p came from a secant step
    double pLow = 0.0, pHigh = 0.0;
    double pBest = 0.0, missBest = 0.0;   // the p whose residual came closest to S
    bool bracketed = false, lastPass = false;
    bool onFactor = false;   // u was stepped to p on the factor of the pass before
    bool factorKept = false;  // R0 holds the forward sweep of the last pass, R1, R2 its factor
    int steps = 0, bracketSteps = 0, bracketedPasses = 0, fallbacks = 0;
    for (;;) {
        ++steps;
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            // The p reached is kept as the next start (a positive p only: 0 means "from the
            // interpolating spline" and the thinned start would run again).
            if (p > 0.0) pStart = p;
            throw ESplineCancelled();
        }
        if (!hasUnknowns) {
            // Two points: the straight line through them.
        } else if (onFactor) {
            // u is already the solution at p (to second order in the step).
        } else if (p == 0.0) {
            // u := T^-1 Q^T y, the natural interpolating spline; the factor of T is kept in R0, R1.
            double loPrev = 0.0, uPrev = 0.0;
            double hy = (y[m1] - y[n1]) / (x[m1] - x[n1]);
            for (int i = m1; i <= m2; ++i) {
                const TCholeskyRow row = choleskyRow(i, loPrev);
                const double next = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
                const double qty = next - hy;
                hy = next;
                u[i] = (qty - loPrev * uPrev) / row.ld;
                R0[i] = row.ld;
                R1[i] = row.lo;
                loPrev = row.lo;
                uPrev = u[i];
            }
            for (int i = m2; i >= m1; --i) u[i] = (u[i] - R1[i] * U(i + 1)) / R0[i];
        } else {
            // u := (p Q^T D^2 Q + T)^-1 Q^T y as the least-squares solution of
            // [D Q; L^T / sqrt(p)] (p u) ~ [D^-1 y; 0], by rotations. Row k of L^T is
            // sqrt(diagonal_k) (1, lower_k) with T = L' diag L'^T, L' unit lower bidiagonal.
            // T is taken as 3T / 3: its factor's diagonal 3 d_k = 2 (h_(k-1) + h_k) - h_(k-1) l_(k-1)
            // and subdiagonal l_k = h_k / (3 d_k) need one division a row, paired with the
            // reciprocal spacing the next data row needs.
            const double inverse3P = 1.0 / p / 3.0;   // 1 / (3 p), without overflow for the largest p
            filled = m1 - 1;
            emptyRow = false;
            double h = x[m1] - x[n1];
            double inverseH = 1.0 / h;
            rotateDataRow(n1, 0.0, inverseH);
            double hPrev = h;
            h = x[m1 + 1] - x[m1];
            double inversePrev = inverseH;
            inverseH = 1.0 / h;
            rotateDataRow(m1, inversePrev, inverseH);
            double lowerPrev = 0.0;
            for (int k = m1; k <= m2; ++k) {
                // h = h_k, inverseH = 1 / h_k; hPrev = h_(k-1).
                const double diagonal3 = 2.0 * (hPrev + h) - hPrev * lowerPrev;
                const double hNext = k + 1 < n2 ? x[k + 2] - x[k + 1] : 1.0;
                const kernels::TPair q = Quotients(h, diagonal3, 1.0, hNext);
                const double lower = k < m2 ? q[0] : 0.0;
                const double inverseNext = k + 1 < n2 ? q[1] : 0.0;
                rotateIn(k, diagonal3 * inverse3P, 1.0, lower, 0.0, 0.0);
                rotateDataRow(k + 1, inverseH, inverseNext);
                lowerPrev = lower;
                hPrev = h;
                h = hNext;
                inverseH = inverseNext;
            }
            for (int j = filled + 1; j <= m2; ++j) {
                R0[j] = R1[j] = R2[j] = u[j] = 0.0;
                emptyRow = true;
            }
            // The unit diagonal needs no division; an empty row (a zero weight) fails as a
            // division by it would.
            if (emptyRow)
                for (int j = m2; j >= m1; --j)
                    if (R0[j] == 0.0) u[j] = (u[j] - R1[j] * U(j + 1) - R2[j] * U(j + 2)) / R0[j];
            // The unknowns of the two rows below stay in registers on the way up.
            double below = 0.0, twoBelow = 0.0;
            int j = m2;
            for (; j > m1; j -= 2) {
                const double t = u[j] - R1[j] * below - R2[j] * twoBelow;
                const double t1 = u[j - 1] - R1[j - 1] * t - R2[j - 1] * below;
                const kernels::TPair q = Quotients(t, p, t1, p);
                u[j] = q[0];
                u[j - 1] = q[1];
                twoBelow = t;
                below = t1;
            }
            if (j == m1) u[j] = (u[j] - R1[j] * below - R2[j] * twoBelow) / p;
        }
        // e = |D Q u|^2; the residual sum of squares is p^2 e.
        double e = 0.0, noise = 0.0;
        if (hasUnknowns) {
            double g = 0.0;
            // The rounding noise of each term: a slope carries about one rounding unit of the two
            // u it is taken from, divided by the spacing.
            double noiseSum = 0.0, gNoise = 0.0;
            for (int i = n1; i <= m2; ++i) {
                const double uNext = U(i + 1), uHere = U(i), spacing = x[i + 1] - x[i];
                const double magnitude = std::fabs(uNext) + std::fabs(uHere);
                const kernels::TPair q = Quotients(uNext - uHere, spacing, magnitude, spacing);
                const double h = q[0], hNoise = q[1];
                const double w = weight(i);
                e = e + (h - g) * (w * w) * (h - g);
                const double termNoise = (hNoise + gNoise) * (w * w) * (h - g);
                noiseSum += termNoise * termNoise;
                gNoise = hNoise;
                g = h;
            }
            const double w = weight(n2);
            e = e + g * (w * w) * g;
            if (e > 0.0) noise = kRoundingUnit * 2.0 * std::sqrt(noiseSum) / e;
        }
        const double F = e * (p * p);
        guard.Check(F);
        if (!hasUnknowns || lastPass || settled || F == S || S == 0.0) break;
        if (p > 0.0 && std::fabs(F - S) <= std::max(tolerance, kNoiseMultiple * noise) * S) break;
        if (onFactor) {
            // The step on the factor missed: solve at that p in full.
            onFactor = false;
            factorKept = false;
            continue;
        }
        factorKept = false;
        if (p > 0.0 && (pBest == 0.0 || std::fabs(F - S) < missBest)) {
            pBest = p;
            missBest = std::fabs(F - S);
        }
        const bool missed =
            std::fabs(previousF - S) <= noiseRegion * S && std::fabs(F - S) > 0.5 * std::fabs(previousF - S);
        // F grows with p; between two passes where it does not, rounding noise rules.
        const bool rising = (F - previousF) * (p - previousP) > 0.0;
        if (newtonStep && missed && rising) {
            // Newton's slope needs the second differences of v, which meet their rounding noise
            // long before F does (with a million points and more): secant steps on F over p
            // take over.
            secantSteps = true;
        } else if ((newtonStep || secantStep) && (missed || !rising)) {
            // Rounding noise of F itself (a step that misses again, or F that falls as p grows):
            // settle on the closest p seen, unless this one is as good as the noise lets it be.
            if (p == pBest || std::fabs(F - S) <= 10.0 * tolerance * S) break;
            p = pBest;
            lastPass = true;
            continue;
        }
        if (!bracketed && p > 0.0 && F <= previousF) break;   // the residual no longer grows
        if (F > S) {
            bracketed = true;
            pHigh = p;
        } else {
            pLow = p;
        }
        if (bracketed) {
            // Newton's steps that keep leaving a bracket close to S follow slopes of noise.
            const bool noisy = fallbacks >= 2 && missBest <= noiseRegion * S;
            // Only steps that start near S count: far from it (a start from the p of another
            // allowance, say) Newton's steps still gain digits, not noise.
            if (std::fabs(previousF - S) <= noiseRegion * S) ++bracketSteps;
            ++bracketedPasses;
            if (noisy || bracketSteps > kMaxBracketSteps || bracketedPasses > kMaxBracketedPasses ||
                pHigh - pLow <= kStepResolution * pHigh) {
                // The residual is down to its rounding noise: settle on the closest p seen (one
                // more pass unless it is the current one).
                if (p == pBest) break;
                p = pBest;
                lastPass = true;
                continue;
            }
        }
        if (steps >= kMaxSteps) break;
        if (e == 0.0) break;   // points on a straight line: every p gives it
        // f = z^T (p Q^T D^2 Q + T)^-1 z with z = Q^T v, for the slope F'(p) = 2 p (e - p f).
        double f = 0.0;
        {
            double w1 = 0.0, w2 = 0.0;
            // v at knots i-1, i, i+1 as the loop moves on, each slope taken once.
            double slopeCur = slope(m1);
            auto vNextOf = [&](int i) {
                const double w = weight(i);
                if (i == n2) return -slopeCur * (w * w);
                const double slopeNext = slope(i);
                const double vi = (slopeNext - slopeCur) * (w * w);
                slopeCur = slopeNext;
                return vi;
            };
            const double vFirst = slope(n1) * (weight(n1) * weight(n1));
            double vCur = (slopeCur - slope(n1)) * (weight(m1) * weight(m1));
            double hv = (vCur - vFirst) / (x[m1] - x[n1]);
            for (int i = m1; i <= m2; ++i) {
                const double vNext = vNextOf(i + 1);
                const double next = (vNext - vCur) / (x[i + 1] - x[i]);
                const double z = next - hv;
                hv = next;
                vCur = vNext;
                double w = 0.0;
                if (p == 0.0) {
                    // R0, R1 hold the factor of T.
                    const double lower = i - 1 >= m1 ? R1[i - 1] * w1 : 0.0;
                    w = (z - lower) / R0[i];
                } else {
                    // With the unit rows: t = sqrt(R0) w solves the unit system, w^2 = t^2 / R0.
                    const double above = i - 1 >= m1 ? R1[i - 1] * w1 : 0.0;
                    const double twoAbove = i - 2 >= m1 ? R2[i - 2] * w2 : 0.0;
                    const double t = z - above - twoAbove;
                    const double scaled = t / R0[i];
                    f += t * scaled;
                    R0[i] = scaled;
                    w2 = w1;
                    w1 = t;
                    continue;
                }
                f += w * w;
                w2 = w1;
                w1 = w;
            }
        }
        if (p != 0.0) {
            f /= p;
            factorKept = !emptyRow;
        }
        const double h = e - p * f;
        double next = 0.0;
        if (p == 0.0) {
            // F grows like p^2 e near 0.
            next = std::sqrt(S / e);
        } else {
            if (h <= 0.0 && !bracketed) break;
            const double slopeF = 2.0 * p * h;   // F'(p)
            const double power = p * slopeF / F;  // d ln F / d ln p
            if (settledPower) *settledPower = power;
            if (h <= 0.0) {
                next = -1.0;
            } else {
                // Newton's step on ln F over ln p: exact where F grows like a power of p (as near
                // p = 0, like p^2).
                const double bound = std::log(kMaxStepFactor);
                next = p * std::exp(std::clamp(std::log(S / F) / power, -bound, bound));
                // Near the straight line's residual F flattens like F_inf - C / p, where that
                // step falls short: the step for that form, when it reaches S.
                const double limit = F + p * slopeF;
                if (power < 1.0 && limit > S && F < S)
                    next = std::max(next, std::min(p * p * slopeF / (limit - S), p * kMaxStepFactor));
            }
        }
        newtonStep = p > 0.0 && !secantSteps;
        secantStep = false;
        if (secantSteps && previousP > 0.0 && p > 0.0 && F != previousF && previousF > 0.0) {
            // The secant of ln F over ln p through the last two passes.
            const double slope = std::log(F / previousF) / std::log(p / previousP);
            next = p * std::exp(std::log(S / F) / slope);
            secantStep = true;
        }
        if (bracketed && !(next > pLow && next < pHigh)) {
            next = pLow > 0.0 ? std::sqrt(pLow * pHigh) : 0.5 * pHigh;
            newtonStep = secantStep = false;
            ++fallbacks;
        } else {
            fallbacks = 0;
        }
        guard.Check(next);
        CheckFinite(next);
        const double ratio = (next - p) / p;
        if (factorKept && !lastPass && 2.0 * ratio * ratio <= noise) {
            // A step this small is taken on the factor at hand: u(next) = u - (next - p) A^-1 z
            // to first order, A^-1 z = R^-1 (t / R0) / p with the forward sweep t / R0 in R0. The
            // second-order rest moves F by at most 2 ratio^2 (relative), within its rounding noise.
            double below = 0.0, twoBelow = 0.0;
            for (int j = m2; j >= m1; --j) {
                const double w = R0[j] - R1[j] * below - R2[j] * twoBelow;
                u[j] -= ratio * w;
                twoBelow = below;
                below = w;
            }
            onFactor = true;
        }
        previousF = F;
        previousP = p;
        p = next;
    }

    // a = y - p v, written over u from the left (v_i needs u up to i + 1).
    {
        double uCur = 0.0, g = 0.0;
        for (int i = n1; i <= n2; ++i) {
            const double w = weight(i);
            double v = 0.0;
            if (i < n2) {
                const double uNext = U(i + 1);
                const double h = (uNext - uCur) / (x[i + 1] - x[i]);
                v = (h - g) * (w * w);
                g = h;
                uCur = uNext;
            } else {
                v = -g * (w * w);
            }
            a[i] = y[i] - p * v;
        }
    }
    // The smoothing spline is the natural cubic spline through its own values a. Taking c as the
    // solution of that interpolation system (tridiagonal, diagonally dominant, so it loses no
    // digits) rather than u itself makes the slopes meet at every knot to rounding, even where a
    // carries the error of the second differences in v next to nearly equal x values.
    NaturalSplineCurvatures(n1, n2, x, a, c, b);
    guard.Check(a[n1], c[n1]);
    pStart = p;
    return steps;
}

}  // namespace

// Reinsch's smoothing spline on the points n1..n2 of x (increasing), y with standard deviations
// dy, under the bound S on the weighted residual sum of squares. The piece i on [x_i, x_(i+1)] is
// a_i + b_i h + c_i h^2 + d_i h^3 with h = x - x_i. Returns the number of passes of the band
// solver (Newton steps). Raises EQZLMath2Error for n1 >= n2 and for equal or decreasing x, and the
// platform's error for a floating-point fault (spacings so small that their reciprocals overflow).
int PenalizedCubicSpline(double S, int n1, int n2, const double* x, const double* y, const double* dy,
                         double* a, double* b, double* c, double* d)
{
    kernels::ClearWideState();
    double p = 0.0;
    const int steps = SmoothingSpline(S, n1, n2, x, y, dy, a, b, c, d, p);
    TFloatGuard guard;
    for (int i = n1; i < n2; ++i) PieceCoefficients(x, a, c, i, b[i], d[i]);
    guard.Check(b[n1], d[n1]);
    return steps;
}

namespace {

// Points whose x lie closer to their neighbour than this share of the range of x become one knot.
// The spline's second differences divide by the spacings, so two x a billionth of the range apart
// weigh their y's rounding by a billion and decide nothing a drawing, a residual or the data's own
// precision could show; as one knot (the mean x, the points' mean y, their number as weight) they
// are smoothed like any other. Runs of such spacings are merged whole, so neighbouring knots always
// lie more than the share apart, and two near x never fall into different knots. R merges by
// rounding x to 1e-6 of the interquartile range; a share a hundred times smaller merges only one
// in ten of ten million uniformly random points, and merged runs stay a few points long.
constexpr double kTieShare = 1e-8;

// The knots of the sorted points x[1..n], y[1..n], written over them: runs of x each within
// kTieShare of the range of its neighbour become one knot at their mean x, with the mean of their
// y and its standard deviation 1 / sqrt(points) in dy. dy stays empty when nothing was merged.
// within receives the scatter of y about their knots' means. Returns the number of knots.
int MergeTies(std::vector<double>& x, std::vector<double>& y, int n, std::vector<double>& dy, double& within)
{
    within = 0.0;
    const double tolerance = kTieShare * (x[n] - x[1]);
    bool tied = false;
    for (int i = 1; i < n && !tied; ++i) tied = x[i + 1] - x[i] <= tolerance;
    if (!tied) return n;
    dy.assign(std::size_t(n) + 1, 0.0);
    int knots = 0;
    for (int i = 1; i <= n;) {
        int last = i;
        while (last < n && x[last + 1] - x[last] <= tolerance) ++last;
        // Offsets from the first x: exact ties keep their x exactly.
        const double first = x[i];
        double offsets = 0.0, sumY = 0.0;
        for (int k = i; k <= last; ++k) {
            offsets += x[k] - first;
            sumY += y[k];
        }
        const double count = last - i + 1;
        const double meanY = sumY / count;
        for (int k = i; k <= last; ++k) within += (y[k] - meanY) * (y[k] - meanY);
        ++knots;   // knots <= i: the run was read before its knot is written
        x[knots] = first + offsets / count;
        y[knots] = meanY;
        dy[knots] = 1.0 / std::sqrt(count);
        i = last + 1;
    }
    for (auto* values : {&x, &y, &dy}) {
        values->resize(std::size_t(knots) + 1);
        values->shrink_to_fit();
    }
    return knots;
}

// The trace of (p Q^T D^2 Q + T)^-1 T over the knots x[1..m] with standard deviations dy (nullptr:
// all 1): the smoother matrix's trace less 2. Factoring that matrix itself meets the square of the
// condition that the spline's solver avoids (at a million random points it leaves no digit, even
// in long double); so, as the solver does, the stacked matrix [D Q; L^T / sqrt(p)], whose normal
// matrix is (p Q^T D^2 Q + T) / p, is reduced to its triangular factor R by Givens rotations, and
// the band of (R^T R)^-1 follows from the bottom up (Hutchinson and de Hoog): linear in m.
double TraceOfInverseTimesT(const double* x, const double* dy, int m, double p)
{
    const int count = m - 2;   // the unknowns at the inner knots 2..m-1, here columns 0..count-1
    if (count <= 0) return 0.0;
    auto h = [x](int i) { return x[i + 1] - x[i]; };
    auto weight = [dy](int i) { return dy ? dy[i] : 1.0; };
    // Row k of R: r0 on the diagonal, r1 and r2 right of it; r0 = 0 while the row is empty.
    std::vector<double> r0(std::size_t(count) + 2, 0.0), r1(r0), r2(r0);
    auto rotateIn = [&](int k, double e0, double e1, double e2) {
        for (; k < count; ++k) {
            if (e0 != 0.0) {
                if (r0[k] == 0.0) {
                    r0[k] = e0;
                    r1[k] = e1;
                    r2[k] = e2;
                    return;
                }
                const double r = std::sqrt(r0[k] * r0[k] + e0 * e0);
                const double cs = r0[k] / r, sn = e0 / r;
                const double n1 = -sn * r1[k] + cs * e1, n2 = -sn * r2[k] + cs * e2;
                r0[k] = r;
                r1[k] = cs * r1[k] + sn * e1;
                r2[k] = cs * r2[k] + sn * e2;
                e1 = n1;
                e2 = n2;
            }
            e0 = e1;
            e1 = e2;
            e2 = 0.0;
            if (e0 == 0.0 && e1 == 0.0) return;
        }
    };
    const double root = std::sqrt(p);
    double lo = 0.0;
    // Data row r (knot r) has 1/h_(r-1), -1/h_(r-1) - 1/h_r, 1/h_r at the knots r-1, r, r+1, of
    // which the inner knots are unknowns; its first unknown is the column max(r - 3, 0).
    auto dataRow = [&](int r) {
        const double left = r > 1 ? 1.0 / h(r - 1) : 0.0, right = r < m ? 1.0 / h(r) : 0.0, w = weight(r);
        double e[3] = {0.0, 0.0, 0.0};
        int first = r - 3;   // column of knot r - 1
        const double values[3] = {w * left, -w * (left + right), w * right};
        int n = 0;
        for (int k = 0; k < 3; ++k) {
            const int column = first + k;
            if (column < 0 || column >= count) continue;
            if (n == 0) first = column;
            e[n++] = values[k];
        }
        if (n > 0) rotateIn(first, e[0], e[1], e[2]);
    };
    dataRow(1);
    dataRow(2);
    for (int k = 0; k < count; ++k) {
        const int j = k + 2;
        // Row k of L^T / sqrt(p), T = L L^T (T's diagonal 2 (h_(j-1) + h_j) / 3, off-diagonal h_j / 3).
        const double ld = std::sqrt(2.0 * (h(j - 1) + h(j)) / 3.0 - lo * lo);
        const double next = k + 1 < count ? h(j) / 3.0 / ld : 0.0;
        rotateIn(k, ld / root, next / root, 0.0);
        lo = next;
        dataRow(j + 1);
    }
    double trace = 0.0;
    double s11 = 0.0, s12 = 0.0, s22 = 0.0;   // (R^T R)^-1 at (k+1, k+1), (k+1, k+2), (k+2, k+2)
    for (int k = count - 1; k >= 0; --k) {
        const int j = k + 2;
        const double s02 = -(r1[k] * s12 + r2[k] * s22) / r0[k];
        const double s01 = -(r1[k] * s11 + r2[k] * s12) / r0[k];
        const double s00 = (1.0 / r0[k] - r1[k] * s01 - r2[k] * s02) / r0[k];
        trace += s00 * (2.0 * (h(j - 1) + h(j)) / 3.0) + (k + 1 < count ? 2.0 * s01 * (h(j) / 3.0) : 0.0);
        s22 = s11;
        s12 = s01;
        s11 = s00;
    }
    return trace / p;
}

// The scale of p at which the penalty and the data weigh alike for evenly spread knots:
// trace(T) / trace(Q^T D^2 Q) = 2 h^3 / 9 for the mean spacing h and unit weights. (The traces of
// randomly spread knots are ruled by their closest pairs, which say nothing about the curve.)
double PenaltyScale(const double* x, const double* dy, int m)
{
    const double h = (x[m] - x[1]) / (m - 1);
    double variance = 1.0;
    if (dy) {
        variance = 0.0;
        for (int i = 1; i <= m; ++i) variance += dy[i] * dy[i];
        variance /= m;
    }
    return 2.0 * h * h * h / 9.0 / variance;
}

// The spline at x from its knots x[1..n] (scaled by 2^-xExponent), values a and halved curvatures
// c (scaled by 2^-yExponent): valid only for x inside [low, high], the data's ends unscaled.
double EvaluateSpline(const std::vector<double>& knots, const std::vector<double>& a, const std::vector<double>& c,
                      int xExponent, int yExponent, double low, double high, double x, bool& valid)
{
    valid = false;
    const int n = int(knots.size()) - 1;
    if (n < 1 || !(low <= x && x <= high)) return 0.0;
    // x is scaled as the knots were (within the range: a scaled x may only round onto an end; the
    // end knots of merged points lie within the data's ends).
    x = std::clamp(std::ldexp(x, -xExponent), knots[1], knots[n]);
    valid = true;
    // The piece of the largest knot not right of x; at x_n that is the last knot, h = 0.
    const auto knot = std::upper_bound(knots.begin() + 1, knots.begin() + n + 1, x);
    const int i = int(knot - knots.begin()) - 1;
    double result = 0.0;
    if (i >= n) {
        result = a[n];
    } else {
        double b = 0.0, d = 0.0;
        PieceCoefficients(knots.data(), a.data(), c.data(), i, b, d);
        const double h = x - knots[i];
        result = ((d * h + c[i]) * h + b) * h + a[i];
    }
    return std::ldexp(result, yExponent);
}

// A chosen df this close (relative) to its target is as close as the allowance's own resolution
// lets it be.
constexpr double kDfResolution = 1e-9;
// Golden-section steps stop when the bracket of log10 p is this narrow: p is then known to half a
// per cent, finer than the score's flat minimum tells apart (df moves by about a tenth of that).
constexpr double kChoiceResolution = 2e-3;

// The positions tried for the user are p = scale 10^k (PenaltyScale): from where the data rule
// (the spline all but interpolates) in steps of kScanStep decades until the penalty has left the
// straight line (df within kLineDf of it), at most kMostDecades decades.
constexpr double kFirstDecade = -3.0;
constexpr int kMostDecades = 60;
constexpr double kLineDf = 2.001;
constexpr double kScanStep = 2.0;
// A score this much above the lowest (relative) has risen out of the minimum.
constexpr double kRiseFactor = 1.01;

}  // namespace

bool TSplineCurve::Value(double x, double& y) const
{
    bool valid = false;
    y = EvaluateSpline(m_x, m_a, m_c, m_xExponent, m_yExponent, m_lowX, m_highX, x, valid);
    return valid;
}

void TCurveFit::SetSplineSmoothing(double factor)
{
    m_splineSmoothing = factor;
    m_splineValid = false;
}

// The cached spline at x: valid only for x inside [x_1, x_n] of the sorted points, 0 outside.
double TCurveFit::SplineValue(double x, double& quality, bool& valid)
{
    if (!m_splineValid) PrepareSpline();
    const double result = EvaluateSpline(m_splineX, m_splineA, m_splineC, m_splineXExponent, m_splineYExponent,
                                         m_splineLowX, m_splineHighX, x, valid);
    quality = m_splineQuality;
    return result;
}

TSplineCurve TCurveFit::SplineCurve()
{
    if (!m_splineValid) PrepareSpline();
    TSplineCurve curve;
    curve.m_x = m_splineX;
    curve.m_a = m_splineA;
    curve.m_c = m_splineC;
    curve.m_xExponent = m_splineXExponent;
    curve.m_yExponent = m_splineYExponent;
    curve.m_lowX = m_splineLowX;
    curve.m_highX = m_splineHighX;
    return curve;
}

// The equivalent degrees of freedom of the prepared spline: the trace of the smoother matrix
// I - p D^2 Q (p Q^T D^2 Q + T)^-1 Q^T of the knots, which is 2 + trace((p Q^T D^2 Q + T)^-1 T):
// the number of knots for the interpolating spline (p = 0), 2 for the straight line.
double TCurveFit::SplineDf() const
{
    const int knots = int(m_splineX.size()) - 1;
    if (m_splineIsLine) return 2.0;
    if (m_splineStartP == 0.0) return knots;
    TFloatGuard guard;
    const double df =
        2.0 + TraceOfInverseTimesT(m_splineX.data(), m_splineDy.empty() ? nullptr : m_splineDy.data(), knots,
                                   m_splineStartP);
    guard.Check(df);
    return df;
}

TSplineStats TCurveFit::SplineStats()
{
    if (!m_splineValid) PrepareSpline();
    TSplineStats stats;
    stats.Smoothing = m_splineSmoothing;
    stats.Rss = std::ldexp(m_splineRss, 2 * m_splineYExponent);
    stats.Df = SplineDf();
    const double n = m_pointCount;
    // The interpolating spline of distinct x leaves no residual to judge it by: an infinite score.
    stats.Gcv = n > stats.Df ? n * stats.Rss / ((n - stats.Df) * (n - stats.Df))
                             : std::numeric_limits<double>::infinity();
    return stats;
}

// The spline of the knots at the Lagrange parameter p itself (one pass of the band solver), held
// as the spline of the factor it amounts to: its residual over every point as a share of the
// straight line's.
void TCurveFit::PrepareSplineAtP(double p)
{
    const int knots = int(m_splineX.size()) - 1;
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    m_splineValid = m_splineHeld = false;
    m_splineA.assign(std::size_t(knots) + 1, 0.0);
    m_splineC.assign(std::size_t(knots) + 1, 0.0);
    const std::unique_ptr<double[]> b(new double[std::size_t(knots) + 1]), d(new double[std::size_t(knots) + 1]);
    // A positive allowance equal to the settled one makes the solver take p as it is.
    m_splineStartP = p;
    m_splinePasses = SmoothingSpline(1.0, 1, knots, m_splineX.data(), m_splineY.data(), dy, m_splineA.data(), b.get(),
                                     m_splineC.data(), d.get(), m_splineStartP, 1.0);
    m_splineIsLine = false;
    FinishSpline();
    m_splineSmoothing = m_splineLineResidual > 0.0 ? m_splineRss / m_splineLineResidual : 0.0;
    m_splineSettledS = std::max(m_splineLineResidual * m_splineSmoothing - m_splineWithin, 0.0);
    m_splineHeld = true;
    m_splineHeldFactor = m_splineSmoothing;
    m_splineValid = true;
}

double TCurveFit::ChooseSplineSmoothingByGcv()
{
    if (m_pointCount < 2) throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"});
    if (!m_splineSorted) SortSplinePoints();
    const int knots = int(m_splineX.size()) - 1;
    if (knots < 3) {
        // Two knots: the line through them is every spline.
        SetSplineSmoothing(1.0);
        PrepareSpline();
        return m_splineSmoothing;
    }
    const double scale = PenaltyScale(m_splineX.data(), m_splineDy.empty() ? nullptr : m_splineDy.data(), knots);
    auto score = [&](double decade) {
        // The cancel flag stops the search between two tries; the spline of the last try is held.
        if (m_splineCancel && m_splineCancel->load(std::memory_order_relaxed)) throw ESplineCancelled();
        PrepareSplineAtP(scale * std::pow(10.0, decade));
        return SplineStats().Gcv;
    };
    // The score may have more than one minimum: a pass over the decades of p, two at a time, finds
    // the lowest, a golden-section search between its neighbours settles it. df falls like p^-1/4,
    // so the pass crosses the whole range in about 2 log10(n) steps; it ends at the straight line,
    // or once the score has risen well above the lowest twice in a row (towards the line it
    // only rises further).
    double best = kFirstDecade, bestScore = score(best);
    int rises = 0;
    for (double decade = kFirstDecade + kScanStep; decade < kFirstDecade + kMostDecades; decade += kScanStep) {
        const double s = score(decade);
        if (s < bestScore) {
            best = decade;
            bestScore = s;
        }
        rises = s > kRiseFactor * bestScore ? rises + 1 : 0;
        if (SplineDf() < kLineDf || rises >= 2) break;
    }
    double a = best - kScanStep, b = best + kScanStep;
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double c = b - ratio * (b - a), d = a + ratio * (b - a);
    double sc = score(c), sd = score(d);
    while (b - a > kChoiceResolution) {
        if (sc <= sd) {
            b = d;
            d = c;
            sd = sc;
            c = b - ratio * (b - a);
            sc = score(c);
        } else {
            a = c;
            c = d;
            sc = sd;
            d = a + ratio * (b - a);
            sd = score(d);
        }
    }
    const double chosen = std::min(sc, sd) <= bestScore ? (sc <= sd ? c : d) : best;
    PrepareSplineAtP(scale * std::pow(10.0, chosen));
    return m_splineSmoothing;
}

double TCurveFit::ChooseSplineSmoothingForDf(double df)
{
    if (m_pointCount < 2) throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"});
    if (!m_splineSorted) SortSplinePoints();
    const int knots = int(m_splineX.size()) - 1;
    // df falls from the number of knots (the interpolating spline) to 2 (the line).
    if (!(df >= 2.0 && df <= knots))
        throw EQZLMath2Error(ecSplineDfRange);
    if (df == 2.0 || df == knots) {
        SetSplineSmoothing(df == 2.0 ? 1.0 : 0.0);
        PrepareSpline();
        return m_splineSmoothing;
    }
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    const double scale = PenaltyScale(m_splineX.data(), dy, knots);
    auto dfAt = [&](double decade) {
        TFloatGuard guard;
        const double at = 2.0 + TraceOfInverseTimesT(m_splineX.data(), dy, knots, scale * std::pow(10.0, decade));
        guard.Check(at);
        return at;
    };
    // df needs no spline: bracket the target by decades, then close in by false position on the
    // decade (halving the weight of an end that stays, so that neither end sticks).
    double a = kFirstDecade, b = kFirstDecade;
    double fa = dfAt(a) - df;
    while (fa < 0.0 && a > kFirstDecade - kMostDecades) fa = dfAt(a -= 1.0) - df;
    b = a;
    double fb = fa;
    while (fb > 0.0 && b < kFirstDecade + kMostDecades) {
        a = b;
        fa = fb;
        fb = dfAt(b += 1.0) - df;
    }
    int side = 0;
    for (int k = 0; k < 100 && b - a > 1e-13 && fa != fb; ++k) {
        const double middle = (a * fb - b * fa) / (fb - fa);
        const double at = dfAt(middle) - df;
        if (std::fabs(at) <= kDfResolution * df) {
            a = b = middle;
            break;
        }
        if (at > 0.0) {
            a = middle;
            fa = at;
            if (side == 1) fb *= 0.5;
            side = 1;
        } else {
            b = middle;
            fb = at;
            if (side == -1) fa *= 0.5;
            side = -1;
        }
    }
    PrepareSplineAtP(scale * std::pow(10.0, 0.5 * (a + b)));
    return m_splineSmoothing;
}

// Sorts the points by x (pairs stay together), refuses points that are not finite, scales them by
// powers of two so that the largest |x| and |y| lie in [0.5, 1), fits the straight line and merges
// ties into knots. The scaling is exact, so the spline of (2^a x, 2^b y) is that of (x, y) mapped,
// bit for bit, and neither spacings spread over many decades nor y near the ends of the doubles
// reach the limits of the arithmetic.
void TCurveFit::SortSplinePoints()
{
    const int n = m_pointCount;
    // The arrays of earlier points go first, so they add nothing to the peak.
    for (auto* values : {&m_splineX, &m_splineY, &m_splineA, &m_splineC, &m_splineDy}) *values = std::vector<double>();
    SortPoints(m_points.ColumnData(1), m_points.ColumnData(2), n, m_splineX, m_splineY);
    // A point that is not finite has no place on a curve, whatever the factor: NaN and infinite x
    // sort to the ends.
    double largestY = 0.0;
    bool finite = std::isfinite(m_splineX[1]) && std::isfinite(m_splineX[n]);
    for (int i = 1; i <= n; ++i) {
        finite = finite && std::isfinite(m_splineY[i]);
        largestY = std::max(largestY, std::fabs(m_splineY[i]));
    }
    if (!finite) throw EInvalidOp();
    const double largestX = std::max(std::fabs(m_splineX[1]), std::fabs(m_splineX[n]));
    m_splineXExponent = m_splineYExponent = 0;
    m_splineLowX = m_splineX[1];
    m_splineHighX = m_splineX[n];
    std::frexp(largestX, &m_splineXExponent);
    std::frexp(largestY, &m_splineYExponent);
    ScaleByPowerOfTwo(m_splineX.data() + 1, n, -m_splineXExponent);
    ScaleByPowerOfTwo(m_splineY.data() + 1, n, -m_splineYExponent);

    // The straight line of all the points (that of the scaled points: the line of the points,
    // mapped), centred about the means, and the spread of y for the quality.
    TFloatGuard guard;
    const TLine line = LineFit(m_splineX.data(), m_splineY.data(), nullptr, 1, n);
    m_splineLineResidual = line.residual;
    m_splineLineMeanX = line.meanX;
    m_splineLineMeanY = line.meanY;
    m_splineLineSlope = line.slope;
    const double mean = std::ldexp(MeanY(), -m_splineYExponent);
    double spread = 0.0;
    for (int i = 1; i <= n; ++i) spread += (m_splineY[i] - mean) * (m_splineY[i] - mean);
    m_splineSpread = spread;
    guard.Check(m_splineLineResidual, m_splineSpread);
    const int knots = MergeTies(m_splineX, m_splineY, n, m_splineDy, m_splineWithin);
    // All x equal: one knot, no spline.
    if (knots < 2) throw EQZLMath2Error(ecSplineIdenticalX);
    m_splineSorted = true;
}

// The residual sum of squares over every point, and the quality, of the spline in m_splineA.
void TCurveFit::FinishSpline()
{
    const int knots = int(m_splineX.size()) - 1;
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    TFloatGuard guard;
    double rss = m_splineWithin;
    for (int i = 1; i <= knots; ++i) {
        const double residual = m_splineY[i] - m_splineA[i];
        rss += dy ? residual * residual / (dy[i] * dy[i]) : residual * residual;
    }
    m_splineRss = rss;
    const double sst = m_splineSpread;
    // Without spread of y the quality is the residual sum of squares itself, in the unit of y.
    m_splineQuality = sst != 0.0 ? (sst - rss) / sst : std::ldexp(rss, 2 * m_splineYExponent);
    guard.Check(m_splineQuality);
}

// Computes the spline of the knots under the allowance and its coefficient of determination over
// every point. The allowance keeps its meaning over all the points: the residual over every point
// is the factor times the straight line's, which is the knots' weighted residual plus the scatter
// within them; where the factor allows less than that scatter, the spline passes through the
// knots' means. The sorted knots are kept while the points are the same, and the preparation then
// starts the iteration from the previous p; for the factor of the last preparation (a redraw) it
// finds that spline kept, and solves nothing. At most six doubles per point are held on the way.
void TCurveFit::PrepareSpline()
{
    const int n = m_pointCount;
    m_splineValid = false;
    kernels::ClearWideState();
    // CalcLinFit's check, ahead of the line below.
    if (n < 2) throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"});
    if (m_splineSorted && m_splineHeld && m_splineHeldFactor == m_splineSmoothing) {
        // The same points and factor (a redraw): the spline is the one computed last time.
        m_splinePasses = 0;
        m_splineValid = true;
        return;
    }
    m_splineHeld = false;
    if (!m_splineSorted) SortSplinePoints();
    const int knots = int(m_splineX.size()) - 1;
    const std::vector<double>& xs = m_splineX;
    const std::vector<double>& ys = m_splineY;
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    m_splineA.assign(std::size_t(knots) + 1, 0.0);
    m_splineC.assign(std::size_t(knots) + 1, 0.0);

    double allowance = 0.0;
    {
        TFloatGuard guard;
        allowance = std::max(m_splineLineResidual * m_splineSmoothing - m_splineWithin, 0.0);
        guard.Check(allowance);
    }
    m_splineIsLine = m_splineSmoothing >= 1.0;
    if (m_splineIsLine) {
        m_splinePasses = 0;
        // An allowance of the line's own residual (or more) leaves the straight line, with no
        // curvature, as the smoothing spline: the iteration's limit for p without bound, which it
        // would approach pass by pass until p overflows. The line is taken at once.
        TFloatGuard guard;
        for (std::size_t i = 1; i <= std::size_t(knots); ++i)
            m_splineA[i] = m_splineLineMeanY + m_splineLineSlope * (xs[i] - m_splineLineMeanX);
        guard.Check(m_splineA[1], m_splineA[std::size_t(knots)]);
    } else {
        // The knots' own line: the one of all the points, but for merged near ties.
        const double knotLine =
            dy ? LineFit(xs.data(), ys.data(), dy, 1, knots).residual : m_splineLineResidual;
        // Work space the spline fills before it reads it: left uninitialised.
        const std::unique_ptr<double[]> b(new double[std::size_t(knots) + 1]), d(new double[std::size_t(knots) + 1]);
        try {
            m_splinePasses = SmoothingSpline(allowance, 1, knots, xs.data(), ys.data(), dy, m_splineA.data(), b.get(),
                                             m_splineC.data(), d.get(), m_splineStartP, m_splineSettledS,
                                             m_splineCancel, &m_splineSettledPower, knotLine);
        } catch (const ESplineCancelled&) {
            // The p kept belongs to no allowance: the next preparation iterates from it.
            m_splineSettledS = -1.0;
            throw;
        }
        m_splineSettledS = allowance;
    }

    FinishSpline();
    m_splineHeld = true;
    m_splineHeldFactor = m_splineSmoothing;
    m_splineValid = true;
}
