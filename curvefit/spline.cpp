// The smoothing spline: Reinsch's algorithm (C. H. Reinsch, "Smoothing by spline functions",
// 1967) and the cache of TCurveFit that evaluates it.
//
// Reinsch's spline s minimises the integral of s''^2 among all functions with
// sum(((s(x_i) - y_i) / dy_i)^2) <= S. It is a natural cubic spline with a knot at every x_i, and
// for S below the residual of the best straight line the bound is met with equality. With a
// Lagrange parameter p the halved second derivatives u solve (p Q^T D^2 Q + T) u = Q^T y, T holding
// the spacings and Q the second divided differences; the residual is F(p) = p^2 |D Q u|^2 and
// F'(p) = 2 p (e - p f) with e = |D Q u|^2 and f = z^T (p Q^T D^2 Q + T)^-1 z, z = Q^T D^2 Q u.
// Newton's method on sqrt(F(p)) = sqrt(S) starts at p = 0 and stops once F reaches S or no longer
// grows. Each step is linear in the number of points.
//
// Two changes keep the result what it is defined to be when there are many points:
//  - The band matrix p Q^T D^2 Q + T has a condition number growing like n^4 (and with the square
//    of the ratio of the largest to the smallest spacing), so factoring it directly leaves no
//    correct digit in F at ten thousand random points. For p > 0 the system is solved instead as
//    the least-squares problem [D Q; L^T / sqrt(p)] (p u) ~ [D^-1 y; 0], T = L L^T, by Givens
//    rotations, which only meets the square root of that condition number.
//  - sqrt(F) is not concave for every data set (a flat shoulder of F followed by a rise), so a
//    Newton step can overshoot S by far. Once one has, the iteration keeps p inside the bracket of
//    the last p below and above S, falls back to the bracket's middle when a step leaves it, and
//    settles on the closest p after a few steps.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"

namespace {

constexpr const char* kMsgBounds = "PenalizedCubicSpline: n1 must not be greater than n2";
constexpr const char* kMsgIdentical = "PenalizedCubicSpline: two or more x-values are identical";
constexpr const char* kMsgNotIncreasing = "PenalizedCubicSpline: x-values must be increasing";

// A residual this close to the allowance (relative) ends the iteration: about a thousand rounding
// units, below what the band solution itself can resolve.
constexpr double kResidualTolerance = 1e-13;
// A bracket for p narrower than this (relative) cannot be split any further.
constexpr double kBracketWidth = 4e-16;
// Newton's steps inside a bracket reach the rounding noise of the residual in a few steps; more
// only chase that noise.
constexpr int kMaxBracketSteps = 10;
// A safety net: the iteration takes a few dozen steps even for a million points.
constexpr int kMaxSteps = 1000;

// A work array with places first..last.
class TWorkArray {
public:
    TWorkArray(int first, int last) : m_first(first), m_values(std::size_t(last - first + 1), 0.0) {}
    double& operator[](int i) { return m_values[std::size_t(i - m_first)]; }

private:
    int m_first;
    std::vector<double> m_values;
};

// The spacing x[i+1] - x[i] of two neighbouring knots; refuses equal and decreasing x.
double Spacing(const double* x, int i)
{
    const double h = x[i + 1] - x[i];
    if (h == 0.0) throw EQZLMath2Error(kMsgIdentical);
    if (h < 0.0) throw EQZLMath2Error(kMsgNotIncreasing);
    return h;
}

// Halved second derivatives c of the natural cubic spline through (x_i, a_i), i = n1..n2:
// c_n1 = c_n2 = 0 and, for the inner knots, the slope condition
//   h_(i-1)/3 c_(i-1) + 2 (h_(i-1) + h_i)/3 c_i + h_i/3 c_(i+1)
//     = (a_(i+1) - a_i) / h_i - (a_i - a_(i-1)) / h_(i-1),
// solved by elimination down the diagonal (the Thomas algorithm). `upper` (places n1..n2) is
// scratch space for the eliminated superdiagonal.
void NaturalSplineCurvatures(int n1, int n2, const double* x, const double* a, double* c, TWorkArray& upper)
{
    c[n1] = 0.0;
    c[n2] = 0.0;
    if (n2 - n1 < 2) return;
    double hPrev = x[n1 + 1] - x[n1];
    double slopePrev = (a[n1 + 1] - a[n1]) / hPrev;
    double upperPrev = 0.0, rhsPrev = 0.0;
    for (int i = n1 + 1; i < n2; ++i) {
        const double h = x[i + 1] - x[i];
        const double slope = (a[i + 1] - a[i]) / h;
        const double lower = hPrev / 3.0;
        const double pivot = 2.0 * (hPrev + h) / 3.0 - lower * upperPrev;
        upperPrev = (h / 3.0) / pivot;
        rhsPrev = (slope - slopePrev - lower * rhsPrev) / pivot;
        upper[i] = upperPrev;
        c[i] = rhsPrev;
        hPrev = h;
        slopePrev = slope;
    }
    for (int i = n2 - 2; i > n1; --i) c[i] -= upper[i] * c[i + 1];
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
    if (n1 >= n2) throw EQZLMath2Error(kMsgBounds);
    TFloatGuard guard;
    const int m1 = n1 + 1;
    const int m2 = n2 - 1;
    // r2, r1, r hold the three entries of column i of D Q (rows i-1, i, i+1); ld, lo the Cholesky
    // factor of T (diagonal and subdiagonal). b, c, d receive the band of the triangular factor
    // and a the transformed right side once a's second differences are used up.
    TWorkArray r(n1 - 1, n2 + 1), r1(n1 - 1, n2 + 1), r2(n1 - 1, n2 + 1), ld(n1 - 1, n2 + 1), lo(n1 - 1, n2 + 1),
        u(n1 - 1, n2 + 1), v(n1 - 1, n2 + 1);
    double* R0 = b;
    double* R1 = c;
    double* R2 = d;
    double* qtb = a;

    // Second divided differences of y (Q^T y) into a, and D Q.
    double h = Spacing(x, n1);
    double f = (y[m1] - y[n1]) / h;
    double g = 0.0;
    for (int i = m1; i <= m2; ++i) {
        g = h;
        h = Spacing(x, i);
        const double e = f;
        f = (y[i + 1] - y[i]) / h;
        a[i] = f - e;
        r2[i] = dy[i - 1] / g;
        r[i] = dy[i + 1] / h;
        r1[i] = -dy[i] / g - dy[i] / h;
    }
    // T = L L^T with diagonal 2 (h_(i-1) + h_i) / 3 and off-diagonal h_i / 3.
    for (int i = m1; i <= m2; ++i) {
        const double t = 2.0 * ((x[i] - x[i - 1]) + (x[i + 1] - x[i])) / 3.0;
        ld[i] = std::sqrt(t - lo[i - 1] * lo[i - 1]);
        lo[i] = i < m2 ? (x[i + 1] - x[i]) / 3.0 / ld[i] : 0.0;
    }

    // Rotates one row (e0, e1, e2 in columns k, k+1, k+2, right side rhs) into the triangular
    // factor, whose rows keep the columns j, j+1, j+2 because rows come in order of their first
    // column.
    auto rotateIn = [&](int k, double e0, double e1, double e2, double rhs) {
        for (int j = k; j <= m2; ++j) {
            if (e0 == 0.0 && e1 == 0.0 && e2 == 0.0) return;   // what is left is residual
            if (e0 != 0.0) {
                if (R0[j] == 0.0) {
                    R0[j] = e0;
                    R1[j] = e1;
                    R2[j] = e2;
                    qtb[j] = rhs;
                    return;
                }
                const double rr = std::sqrt(R0[j] * R0[j] + e0 * e0);
                const double inverse = 1.0 / rr;
                const double cs = R0[j] * inverse, sn = e0 * inverse;
                R0[j] = rr;
                const double s1 = R1[j], s2 = R2[j], sq = qtb[j];
                R1[j] = cs * s1 + sn * e1;
                R2[j] = cs * s2 + sn * e2;
                qtb[j] = cs * sq + sn * rhs;
                e1 = cs * e1 - sn * s1;
                e2 = cs * e2 - sn * s2;
                rhs = cs * rhs - sn * sq;
            }
            e0 = e1;
            e1 = e2;
            e2 = 0.0;
        }
    };
    // Row rho of D Q (columns rho - 1, rho, rho + 1 of the unknowns m1..m2).
    auto rotateDataRow = [&](int rho) {
        const int k = std::max(m1, rho - 1);
        double e[3] = {0.0, 0.0, 0.0};
        for (int j = k; j <= std::min(m2, rho + 1); ++j) e[j - k] = j == rho - 1 ? r[j] : j == rho ? r1[j] : r2[j];
        rotateIn(k, e[0], e[1], e[2], y[rho] / dy[rho]);
    };

    double p = 0.0;
    double f2 = -S;
    double pLow = 0.0, pHigh = 0.0;
    double pBest = 0.0, missBest = 0.0;   // the p whose residual came closest to S
    bool bracketed = false, lastPass = false;
    int steps = 0, bracketSteps = 0;
    for (;;) {
        ++steps;
        if (p == 0.0) {
            // u := T^-1 Q^T y, the natural interpolating spline.
            for (int i = m1; i <= m2; ++i) u[i] = (a[i] - lo[i - 1] * u[i - 1]) / ld[i];
            for (int i = m2; i >= m1; --i) u[i] = (u[i] - lo[i] * u[i + 1]) / ld[i];
        } else {
            // u := (p Q^T D^2 Q + T)^-1 Q^T y as the least-squares solution of
            // [D Q; L^T / sqrt(p)] (p u) ~ [D^-1 y; 0], by Givens rotations.
            const double damping = std::sqrt(1.0 / p);
            for (int j = m1; j <= m2; ++j) R0[j] = R1[j] = R2[j] = qtb[j] = 0.0;
            rotateDataRow(n1);
            rotateDataRow(m1);
            for (int k = m1; k <= m2; ++k) {
                rotateDataRow(k + 1);
                rotateIn(k, damping * ld[k], damping * lo[k], 0.0, 0.0);
            }
            for (int j = m2; j >= m1; --j) u[j] = (qtb[j] - R1[j] * u[j + 1] - R2[j] * u[j + 2]) / R0[j];
            for (int j = m1; j <= m2; ++j) u[j] /= p;
        }
        // v = D^2 Q u and e = |D Q u|^2; the residual sum of squares is p^2 e.
        double e = 0.0;
        h = 0.0;
        for (int i = n1; i <= m2; ++i) {
            g = h;
            h = (u[i + 1] - u[i]) / (x[i + 1] - x[i]);
            v[i] = (h - g) * (dy[i] * dy[i]);
            e = e + v[i] * (h - g);
        }
        g = -h * (dy[n2] * dy[n2]);
        v[n2] = g;
        e = e - g * h;
        g = f2;
        f2 = e * (p * p);
        guard.Check(f2);
        if (lastPass || f2 == S || (f2 > S && (p == 0.0 || f2 - S <= kResidualTolerance * S))) break;
        if (!bracketed && f2 <= g) break;   // the residual no longer grows: converged
        if (f2 > S) {
            bracketed = true;
            pHigh = p;
        } else {
            if (bracketed && S - f2 <= kResidualTolerance * S) break;
            pLow = p;
        }
        if (bracketed && (pBest == 0.0 || std::fabs(f2 - S) < missBest)) {
            pBest = p;
            missBest = std::fabs(f2 - S);
        }
        if (steps >= kMaxSteps) break;
        if (bracketed && (pHigh - pLow <= kBracketWidth * pHigh || ++bracketSteps > kMaxBracketSteps)) {
            // Within the bracket the residual is down to its rounding noise: settle on the
            // closest p seen (one more pass unless it is the current one).
            if (p == pBest) break;
            p = pBest;
            lastPass = true;
            continue;
        }
        // f = z^T (p Q^T D^2 Q + T)^-1 z with z = Q^T v, for the slope F'(p) = 2 p (e - p f).
        f = 0.0;
        h = (v[m1] - v[n1]) / (x[m1] - x[n1]);
        double w1 = 0.0, w2 = 0.0;
        for (int i = m1; i <= m2; ++i) {
            g = h;
            h = (v[i + 1] - v[i]) / (x[i + 1] - x[i]);
            const double z = h - g;
            double w = 0.0;
            if (p == 0.0) {
                w = (z - lo[i - 1] * w1) / ld[i];
            } else {
                const double above = i - 1 >= m1 ? R1[i - 1] * w1 : 0.0;
                const double twoAbove = i - 2 >= m1 ? R2[i - 2] * w2 : 0.0;
                w = (z - above - twoAbove) / R0[i];
            }
            f += w * w;
            w2 = w1;
            w1 = w;
        }
        if (p != 0.0) f /= p;
        h = e - p * f;
        if (h <= 0.0 && !bracketed) break;
        // Newton's step for sqrt(F(p)) = sqrt(S); once a step has overshot, steps stay inside the
        // bracket [pLow, pHigh] and fall back to its (geometric) middle.
        double next = h > 0.0 ? p + (S - f2) / ((std::sqrt(S / e) + p) * h) : -1.0;
        if (bracketed && !(next > pLow && next < pHigh))
            next = pLow > 0.0 && pHigh > 4.0 * pLow ? std::sqrt(pLow * pHigh) : 0.5 * (pLow + pHigh);
        p = next;
        // A NaN would fail every stopping test; it can only come from a fault.
        guard.Check(p);
        CheckFinite(p);
    }

    for (int i = n1; i <= n2; ++i) a[i] = y[i] - p * v[i];
    // The smoothing spline is the natural cubic spline through its own values a. Taking c as the
    // solution of that interpolation system (tridiagonal, diagonally dominant, so it loses no
    // digits) rather than u itself makes the slopes meet at every knot to rounding, even where a
    // carries the error of the second differences in v next to nearly equal x values.
    NaturalSplineCurvatures(n1, n2, x, a, c, r);
    for (int i = n1; i <= m2; ++i) {
        h = x[i + 1] - x[i];
        d[i] = (c[i + 1] - c[i]) / (3.0 * h);
        b[i] = (a[i + 1] - a[i]) / h - (h * d[i] + c[i]) * h;
    }
    guard.Check(a[n1], b[n1]);
    return steps;
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
    valid = false;
    double result = 0.0;
    const int n = int(m_splineX.size()) - 1;
    if (n >= 1 && m_splineX[1] <= x && x <= m_splineX[n]) {
        valid = true;
        // The piece of the largest knot not right of x; at x_n that is the last knot, h = 0.
        const auto knot = std::upper_bound(m_splineX.begin() + 1, m_splineX.begin() + n + 1, x);
        const int i = int(knot - m_splineX.begin()) - 1;
        const double h = x - m_splineX[i];
        result = ((m_splineD[i] * h + m_splineC[i]) * h + m_splineB[i]) * h + m_splineA[i];
    }
    quality = m_splineQuality;
    return result;
}

// Sorts the points by x (pairs stay together), scales the allowance by the residual of the
// straight line, computes the spline and its coefficient of determination at the data.
void TCurveFit::PrepareSpline()
{
    const int n = m_pointCount;
    m_splineValid = false;
    std::vector<double> ys;
    {
        std::vector<std::pair<double, double>> points(std::size_t(std::max(n, 0)));
        const double* px = m_points.ColumnData(1);
        const double* py = m_points.ColumnData(2);
        for (int i = 0; i < n; ++i) points[i] = {px[i], py[i]};
        // Points with equal x are refused below, so their order does not matter.
        std::sort(points.begin(), points.end(), [](const auto& l, const auto& r) { return l.first < r.first; });
        m_splineX.assign(std::size_t(n) + 1, 0.0);
        ys.assign(std::size_t(n) + 1, 0.0);
        for (int i = 0; i < n; ++i) {
            m_splineX[i + 1] = points[i].first;
            ys[i + 1] = points[i].second;
        }
    }
    for (auto* coefficients : {&m_splineA, &m_splineB, &m_splineC, &m_splineD})
        coefficients->assign(std::size_t(n) + 1, 0.0);

    double k = 0.0, d0 = 0.0, lineQuality = 0.0;
    CalcLinFit(k, d0, lineQuality);

    double allowance = 0.0;
    {
        TFloatGuard guard;
        double rss = 0.0;
        for (int i = 1; i <= n; ++i) {
            const double residual = ys[i] - k * m_splineX[i] - d0;
            rss += residual * residual;
        }
        allowance = rss * m_splineSmoothing;
        guard.Check(allowance);
    }
    {
        const std::vector<double> dy(std::size_t(n) + 1, 1.0);
        PenalizedCubicSpline(allowance, 1, n, m_splineX.data(), ys.data(), dy.data(), m_splineA.data(),
                             m_splineB.data(), m_splineC.data(), m_splineD.data());
    }

    TFloatGuard guard;
    const double mean = MeanY();
    double rss = 0.0, sst = 0.0;
    for (int i = 1; i <= n; ++i) {
        const double residual = ys[i] - m_splineA[i];
        const double spread = ys[i] - mean;
        rss += residual * residual;
        sst += spread * spread;
    }
    m_splineQuality = sst != 0.0 ? (sst - rss) / sst : rss;
    guard.Check(m_splineQuality);
    m_splineValid = true;
}
