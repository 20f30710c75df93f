// The smoothing spline: Reinsch's algorithm (C. H. Reinsch, "Smoothing by spline functions",
// 1967), in the steps reinsch.h names.
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
#include "curvefit/reinsch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/kernels.h"

namespace reinsch {

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

// The spacing x[i+1] - x[i] of two neighbouring knots; refuses equal and decreasing x.
double Spacing(const double* x, int i)
{
    const double h = x[i + 1] - x[i];
    if (h == 0.0) throw EQZLMath2Error(ecSplineIdenticalX);
    if (h < 0.0) throw EQZLMath2Error(ecSplineXNotIncreasing);
    return h;
}

}  // namespace

TLine LineFit(const TPoints& points)
{
    const double *x = points.x, *y = points.y, *dy = points.dy;
    const int n1 = points.n1, n2 = points.n2;
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

TBandSolver::TBandSolver(const TPoints& points, double* u, double* r0, double* r1, double* r2)
    : m_points(points), m_m1(points.n1 + 1), m_m2(points.n2 - 1), m_u(u), m_r0(r0), m_r1(r1), m_r2(r2)
{
}

void TBandSolver::SolveInterpolating()
{
    const double *x = m_points.x, *y = m_points.y;
    const int n1 = m_points.n1, m1 = m_m1, m2 = m_m2;
    double* u = m_u;
    // The Cholesky factor of T (diagonal 2 (h_(i-1) + h_i) / 3, off-diagonal h_i / 3), row by row:
    // its diagonal in r0, its subdiagonal in r1.
    double loPrev = 0.0, uPrev = 0.0;
    double hy = (y[m1] - y[n1]) / (x[m1] - x[n1]);
    for (int i = m1; i <= m2; ++i) {
        const double t = 2.0 * ((x[i] - x[i - 1]) + (x[i + 1] - x[i])) / 3.0;
        const double ld = std::sqrt(t - loPrev * loPrev);
        const double lo = i < m2 ? (x[i + 1] - x[i]) / 3.0 / ld : 0.0;
        const double next = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
        const double qty = next - hy;
        hy = next;
        u[i] = (qty - loPrev * uPrev) / ld;
        m_r0[i] = ld;
        m_r1[i] = lo;
        loPrev = lo;
        uPrev = u[i];
    }
    for (int i = m2; i >= m1; --i) u[i] = (u[i] - m_r1[i] * U(i + 1)) / m_r0[i];
}

bool TBandSolver::SolveByRotations(double p)
{
    const double *x = m_points.x, *y = m_points.y, *dy = m_points.dy;
    const int n1 = m_points.n1, n2 = m_points.n2, m1 = m_m1, m2 = m_m2;
    double* const R0 = m_r0;
    double* const R1 = m_r1;
    double* const R2 = m_r2;
    double* const u = m_u;
    // Rows are filled in order, up to `filled`; u holds their right sides until the back
    // substitution turns it into the solution.
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
        const double w = dy ? dy[rho] : 1.0;
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

    // The least-squares problem [D Q; L^T / sqrt(p)] (p u) ~ [D^-1 y; 0]. Row k of L^T is
    // sqrt(diagonal_k) (1, lower_k) with T = L' diag L'^T, L' unit lower bidiagonal. T is taken as
    // 3T / 3: its factor's diagonal 3 d_k = 2 (h_(k-1) + h_k) - h_(k-1) l_(k-1) and subdiagonal
    // l_k = h_k / (3 d_k) need one division a row, paired with the reciprocal spacing the next
    // data row needs.
    const double inverse3P = 1.0 / p / 3.0;   // 1 / (3 p), without overflow for the largest p
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

    // The back substitution. The unit diagonal needs no division; an empty row (a zero weight)
    // fails as a division by it would.
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
    return !emptyRow;
}

TBandSolver::TResidual TBandSolver::Residual() const
{
    const double* x = m_points.x;
    const int n1 = m_points.n1, n2 = m_points.n2, m2 = m_m2;
    double e = 0.0, g = 0.0;
    // The rounding noise of each term: a slope carries about one rounding unit of the two u it is
    // taken from, divided by the spacing.
    double noiseSum = 0.0, gNoise = 0.0;
    for (int i = n1; i <= m2; ++i) {
        const double uNext = U(i + 1), uHere = U(i), spacing = x[i + 1] - x[i];
        const double magnitude = std::fabs(uNext) + std::fabs(uHere);
        const kernels::TPair q = Quotients(uNext - uHere, spacing, magnitude, spacing);
        const double h = q[0], hNoise = q[1];
        const double w = m_points.Weight(i);
        e = e + (h - g) * (w * w) * (h - g);
        const double termNoise = (hNoise + gNoise) * (w * w) * (h - g);
        noiseSum += termNoise * termNoise;
        gNoise = hNoise;
        g = h;
    }
    const double w = m_points.Weight(n2);
    e = e + g * (w * w) * g;
    return {e, e > 0.0 ? kRoundingUnit * 2.0 * std::sqrt(noiseSum) / e : 0.0};
}

double TBandSolver::SlopeTerm(double p)
{
    const double* x = m_points.x;
    const int n1 = m_points.n1, n2 = m_points.n2, m1 = m_m1, m2 = m_m2;
    double* const R0 = m_r0;
    const double* const R1 = m_r1;
    const double* const R2 = m_r2;
    double f = 0.0;
    double w1 = 0.0, w2 = 0.0;
    // v at knots i-1, i, i+1 as the loop moves on, each slope taken once.
    double slopeCur = Slope(m1);
    auto vNextOf = [&](int i) {
        const double w = m_points.Weight(i);
        if (i == n2) return -slopeCur * (w * w);
        const double slopeNext = Slope(i);
        const double vi = (slopeNext - slopeCur) * (w * w);
        slopeCur = slopeNext;
        return vi;
    };
    const double vFirst = Slope(n1) * (m_points.Weight(n1) * m_points.Weight(n1));
    double vCur = (slopeCur - Slope(n1)) * (m_points.Weight(m1) * m_points.Weight(m1));
    double hv = (vCur - vFirst) / (x[m1] - x[n1]);
    for (int i = m1; i <= m2; ++i) {
        const double vNext = vNextOf(i + 1);
        const double next = (vNext - vCur) / (x[i + 1] - x[i]);
        const double z = next - hv;
        hv = next;
        vCur = vNext;
        double w = 0.0;
        if (p == 0.0) {
            // r0, r1 hold the factor of T.
            const double lower = i - 1 >= m1 ? R1[i - 1] * w1 : 0.0;
            w = (z - lower) / R0[i];
        } else {
            // With the unit rows: t = sqrt(r0) w solves the unit system, w^2 = t^2 / r0.
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
    return p != 0.0 ? f / p : f;
}

void TBandSolver::StepOnFactor(double ratio)
{
    // u(p (1 + ratio)) = u - ratio p A^-1 z to first order, A^-1 z = R^-1 (t / r0) / p with the
    // forward sweep t / r0 in r0.
    double below = 0.0, twoBelow = 0.0;
    for (int j = m_m2; j >= m_m1; --j) {
        const double w = m_r0[j] - m_r1[j] * below - m_r2[j] * twoBelow;
        m_u[j] -= ratio * w;
        twoBelow = below;
        below = w;
    }
}

void TBandSolver::WriteValues(double p)
{
    // From the left: v_i needs u up to i + 1, which is still there.
    const double *x = m_points.x, *y = m_points.y;
    const int n1 = m_points.n1, n2 = m_points.n2;
    double uCur = 0.0, g = 0.0;
    for (int i = n1; i <= n2; ++i) {
        const double w = m_points.Weight(i);
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
        m_u[i] = y[i] - p * v;
    }
}

double NewtonStep(double S, double p, double F, double e, double f, double& power)
{
    const double h = e - p * f;
    const double slopeF = 2.0 * p * h;   // F'(p)
    power = p * slopeF / F;               // d ln F / d ln p
    if (h <= 0.0) return -1.0;
    // Exact where F grows like a power of p (as near p = 0, like p^2).
    const double bound = std::log(kMaxStepFactor);
    double next = p * std::exp(std::clamp(std::log(S / F) / power, -bound, bound));
    // Near the straight line's residual F flattens like F_inf - C / p, where that step falls short.
    const double limit = F + p * slopeF;
    if (power < 1.0 && limit > S && F < S)
        next = std::max(next, std::min(p * p * slopeF / (limit - S), p * kMaxStepFactor));
    return next;
}

double SecantStep(double S, double p, double F, double previousP, double previousF)
{
    const double slope = std::log(F / previousF) / std::log(p / previousP);
    return p * std::exp(std::log(S / F) / slope);
}

namespace {

// The p the iteration starts from. A start from the p of another allowance (the next step of the
// scroll bar) goes where the slope of ln F over ln p at that p points. From p = 0 with many points,
// the climb would take a dozen passes: it starts instead from the p of every k-th point (and the
// last) with the same allowance per point, which gives a spline of nearly the same shape at a p
// that weighs its k times fewer residuals k times less, a few steps from the end. Near the
// straight line's residual that allowance may lie above the thinned points' own line (their
// residual per point is a few per cent off), where no p meets it and the thinned p runs off: it is
// held to the same share of their line that S is of the whole line's. The thinned points and their
// work space (seven arrays of an eighth of the points at most) go into `scratch` (n1..n2 places).
double StartingP(double S, const TPoints& points, const TStart& start, double lineResidual, double* scratch)
{
    const int n1 = points.n1, n2 = points.n2;
    double p = start.p;
    if (p > 0.0 && S != start.settledS && start.settledS > 0.0 && start.settledPower > 0.0) {
        const double bound = std::log(kMaxStepFactor);
        p *= std::exp(std::clamp(std::log(S / start.settledS) / start.settledPower, -bound, bound));
    }
    const int count = n2 - n1 + 1;
    if (p != 0.0 || count <= 8 * kThinnedPoints) return p;
    const int target = std::max(kThinnedPoints, count / 64);
    const int stride = count / target;
    const std::size_t places = std::size_t(count / stride) + 3;
    double* tx = scratch + n1 - 1;
    double* ty = tx + places;
    double* tdy = ty + places;
    int m = 0;
    for (int i = n1; i <= n2; i += stride) {
        ++m;
        tx[m] = points.x[i];
        ty[m] = points.y[i];
        tdy[m] = points.Weight(i);
    }
    if (tx[m] != points.x[n2]) {
        ++m;
        tx[m] = points.x[n2];
        ty[m] = points.y[n2];
        tdy[m] = points.Weight(n2);
    }
    double* work = tdy + places;
    const TPoints thinned{1, m, tx, ty, tdy};
    const double lineAll = lineResidual >= 0.0 ? lineResidual : LineFit(points).residual;
    const double lineThinned = LineFit(thinned).residual;
    double thinnedS = S * (double(m) / count);
    if (lineAll > 0.0 && std::isfinite(lineThinned / lineAll))
        thinnedS = std::min(thinnedS, S * (lineThinned / lineAll));
    TStart thinnedStart;
    SmoothingSpline(thinnedS, thinned, work, work + places, work + 2 * places, work + 3 * places, thinnedStart,
                    nullptr, lineThinned);
    return thinnedStart.p * count / m;
}

// The iteration on p (see the top of this file): passes of the band solver from p until the
// residual F = p^2 e meets S to its resolution. p receives the last p, whose solution is in the
// solver; start.settledPower the last slope of ln F over ln p found. Returns the passes.
int IterateOnP(double S, TBandSolver& solver, double& p, bool settled, int count, TStart& start,
               const std::atomic<bool>* cancel, const TFloatGuard& guard)
{
    const double tolerance =
        std::clamp(kNoisePerSquaredPoint * double(count) * double(count), kResidualTolerance, kLargestTolerance);
    const double noiseRegion = std::max(kNoiseRegion, 100.0 * tolerance);
    double previousF = -S, previousP = 0.0;
    bool newtonStep = false;   // whether the current p came from a Newton step
    bool secantSteps = false;  // Newton's slope has met its noise: secant steps on F itself instead
    bool secantStep = false;   // whether the current p came from a secant step
    double pLow = 0.0, pHigh = 0.0;
    double pBest = 0.0, missBest = 0.0;   // the p whose residual came closest to S
    bool bracketed = false, lastPass = false;
    bool onFactor = false;   // u was stepped to p on the factor of the pass before
    bool factorKept = false;  // r0 holds the forward sweep of the last pass, r1, r2 its factor
    bool factorWhole = true;   // the last pass by rotations left no empty row
    int steps = 0, bracketSteps = 0, bracketedPasses = 0, fallbacks = 0;
    for (;;) {
        ++steps;
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            // The p reached is kept as the next start (a positive p only: 0 means "from the
            // interpolating spline" and the thinned start would run again).
            if (p > 0.0) start.p = p;
            throw ESplineCancelled();
        }
        if (!solver.HasUnknowns()) {
            // Two points: the straight line through them.
        } else if (onFactor) {
            // u is already the solution at p (to second order in the step).
        } else if (p == 0.0) {
            solver.SolveInterpolating();
        } else {
            factorWhole = solver.SolveByRotations(p);
        }
        double e = 0.0, noise = 0.0;
        if (solver.HasUnknowns()) {
            const TBandSolver::TResidual residual = solver.Residual();
            e = residual.e;
            noise = residual.noise;
        }
        const double F = e * (p * p);
        guard.Check(F);
        if (!solver.HasUnknowns() || lastPass || settled || F == S || S == 0.0) break;
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
        const double f = solver.SlopeTerm(p);
        if (p != 0.0) factorKept = factorWhole;
        double next = 0.0;
        if (p == 0.0) {
            // F grows like p^2 e near 0.
            next = std::sqrt(S / e);
        } else {
            if (e - p * f <= 0.0 && !bracketed) break;
            next = NewtonStep(S, p, F, e, f, start.settledPower);
        }
        newtonStep = p > 0.0 && !secantSteps;
        secantStep = false;
        if (secantSteps && previousP > 0.0 && p > 0.0 && F != previousF && previousF > 0.0) {
            next = SecantStep(S, p, F, previousP, previousF);
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
            // A step this small is taken on the factor at hand; the second-order rest moves F by
            // at most 2 ratio^2 (relative), within its rounding noise.
            solver.StepOnFactor(ratio);
            onFactor = true;
        }
        previousF = F;
        previousP = p;
        p = next;
    }
    return steps;
}

}  // namespace

int SmoothingSpline(double S, const TPoints& points, double* a, double* b, double* c, double* d, TStart& start,
                    const std::atomic<bool>* cancel, double lineResidual)
{
    const int n1 = points.n1, n2 = points.n2;
    if (n1 >= n2) throw EQZLMath2Error(ecSplineBounds);
    TFloatGuard guard;
    for (int i = n1; i < n2; ++i) Spacing(points.x, i);
    // u in a, the factor's rows in b, c, d; b is free for the thinned start until the first pass.
    TBandSolver solver(points, a, b, c, d);
    double p = 0.0;
    bool settled = false;
    if (S > 0.0 && solver.HasUnknowns()) {
        p = std::max(start.p, 0.0);
        // The p of the same allowance, settled before, is taken as it is.
        settled = p > 0.0 && S == start.settledS;
        if (!settled) p = StartingP(S, points, {p, start.settledS, start.settledPower}, lineResidual, b);
    }
    const int steps = IterateOnP(S, solver, p, settled, n2 - n1 + 1, start, cancel, guard);
    solver.WriteValues(p);
    // The smoothing spline is the natural cubic spline through its own values a. Taking c as the
    // solution of that interpolation system (tridiagonal, diagonally dominant, so it loses no
    // digits) rather than u itself makes the slopes meet at every knot to rounding, even where a
    // carries the error of the second differences in v next to nearly equal x values.
    NaturalSplineCurvatures(n1, n2, points.x, a, c, b);
    guard.Check(a[n1], c[n1]);
    start.p = p;
    return steps;
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

}  // namespace reinsch

// Reinsch's smoothing spline on the points n1..n2 of x (increasing), y with standard deviations
// dy, under the bound S on the weighted residual sum of squares. The piece i on [x_i, x_(i+1)] is
// a_i + b_i h + c_i h^2 + d_i h^3 with h = x - x_i. Returns the number of passes of the band
// solver (Newton steps). Raises EQZLMath2Error for n1 >= n2 and for equal or decreasing x, and the
// platform's error for a floating-point fault (spacings so small that their reciprocals overflow).
int PenalizedCubicSpline(double S, int n1, int n2, const double* x, const double* y, const double* dy,
                         double* a, double* b, double* c, double* d)
{
    kernels::ClearWideState();
    reinsch::TStart start;
    const int steps = reinsch::SmoothingSpline(S, {n1, n2, x, y, dy}, a, b, c, d, start);
    TFloatGuard guard;
    for (int i = n1; i < n2; ++i) reinsch::PieceCoefficients(x, a, c, i, b[i], d[i]);
    guard.Check(b[n1], d[n1]);
    return steps;
}
