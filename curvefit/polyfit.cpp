// The polynomial fit: least squares with the powers x, x^2, ..., x^m and the constant 1 as the
// columns of the design.
//
// The design of n rows is never held. Blocks of rows are formed from x as they are needed and
// folded into the upper triangle R of a Householder QR decomposition (the data column y rides
// along as a last column, so R's last column holds Q^T y). The columns are scaled by powers of two
// only, which the decomposition passes through exactly: first so that the largest element of each
// column is near 1, then, on R, to equal norms. From there:
//  1. The singular values of R with equal column norms decide whether the fit is truncated:
//     values below 1e-14 of the largest are dropped, and the truncated singular-value solution
//     (the minimum-norm one in the scaled columns) is taken. The equal norms make the decision
//     independent of the unit of x: on the raw powers, where a column of x^9 and the constant
//     column differ by many decades, well-determined fits (Norris and Pontius at moderate orders,
//     Filip at order 10) would lose a direction the data determine. Designs that are truly
//     rank-deficient (all x equal, fewer distinct x or fewer points than coefficients) still
//     truncate.
//  2. A fit that keeps every singular value is solved on the equal-column R. One pass over the
//     points then refines it: the residuals r = y - A x and their products A^T r are formed in
//     double-double arithmetic (about 106 bits), and the correction solves R^T R d = A^T r. That
//     reaches the exact least-squares solution of the given doubles to the last digit or so
//     while the squared condition number of the scaled design, times the rounding unit, is
//     well below 1.
//  3. A design beyond that condition (Filip at order 10) is solved on its normal equations formed
//     in double-double arithmetic, with the powers of x in double-double too, and refined on
//     double-double residuals: the squared condition number times the double-double rounding unit
//     is still small there, so this too reaches the exact least-squares solution.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/kernels.h"
#include "curvefit/numeric.h"
#include "curvefit/svd.h"

namespace {

using kernels::TKernels;
using numeric::PowerOfTwo;
using numeric::TDD;

// Refinement gains digits while the squared condition number of the scaled design, times the
// rounding unit, is well below 1. Beyond this condition number it would not converge.
constexpr double kRefinableCondition = 3e7;
// Refinement passes of the double-double normal equations at most: each gains the double-double
// rounding unit times the squared condition number, which the truncation bound keeps below 1e-3.
constexpr int kMaxDoubleDoublePasses = 3;

// Solves R^T R d = g in place (R upper triangular, cols x cols, row by row with `width` places
// per row, non-zero diagonal).
void SolveNormal(const std::vector<double>& R, int width, int cols, std::vector<long double>& d)
{
    auto r = [&R, width](int row, int column) { return static_cast<long double>(R[row * width + column]); };
    for (int i = 0; i < cols; ++i) {
        long double s = d[i];
        for (int k = 0; k < i; ++k) s -= r(k, i) * d[k];
        d[i] = s / r(i, i);
    }
    for (int i = cols - 1; i >= 0; --i) {
        long double s = d[i];
        for (int k = i + 1; k < cols; ++k) s -= r(i, k) * d[k];
        d[i] = s / r(i, i);
    }
}

// The squared correlation of the data and the fitted values, each centred on its own mean (two
// passes), so that fitted values far from the mean of y keep their digits. Fitted values without
// spread (order 0, all x equal) correlate with nothing: the result is 0. The last rounding cannot
// push it out of 0..1.
double SquaredCorrelation(const TKernels& loops, const double* xs, const double* ys, int n,
                          const std::vector<double>& coefficients, int m)
{
    if (n == 0) return 0.0;
    double sumY = 0.0, sumH = 0.0;
    bool spreadY = false, spreadH = false;
    loops.qualityMeans(xs, ys, n, coefficients.data(), m, sumY, sumH, spreadY, spreadH);
    if (!spreadY || !spreadH) return 0.0;
    double vy = 0.0, vh = 0.0, cov = 0.0;
    loops.qualitySpreads(xs, ys, n, coefficients.data(), m, sumY / n, sumH / n, vy, vh, cov);
    if (vy == 0.0 || vh == 0.0) return 0.0;
    return std::clamp(cov / vy * (cov / vh), 0.0, 1.0);
}

// The least-squares polynomial of order m through the points with y scaled by dataScale, on its
// normal equations in double-double arithmetic (step 3 at the top of this file). x is scaled by
// 2^-xExponent so that |x| <= 1; the powers of the scaled x are formed in double-double. Returns
// the coefficients b_j of t^j, t the scaled x (b_0 the constant), as double-doubles.
std::vector<TDD> DoubleDoubleFit(const double* xs, const double* ys, int n, int m, int xExponent, double dataScale)
{
    using numeric::Sqrt;
    const int cols = m + 1;
    std::vector<TDD> hankel(std::size_t(2 * m + 1)), power(std::size_t(2 * m + 1));
    std::vector<TDD> moment(static_cast<std::size_t>(cols));
    for (int i = 0; i < n; ++i) {
        const double t = std::ldexp(xs[i], -xExponent);
        const double y = ys[i] * dataScale;
        power[0] = TDD{1.0, 0.0};
        for (int k = 1; k <= 2 * m; ++k) power[k] = power[k - 1] * t;
        for (int k = 0; k <= 2 * m; ++k) hankel[k] = hankel[k] + power[k];
        for (int j = 0; j < cols; ++j) moment[j] = moment[j] + power[j] * y;
    }
    // Equal diagonal (powers of two), then the Cholesky factor L of the scaled Gram matrix.
    std::vector<int> scale(cols);
    for (int j = 0; j < cols; ++j) {
        int exponent = 0;
        std::frexp(std::sqrt(hankel[2 * j].hi), &exponent);
        scale[j] = -exponent;
    }
    std::vector<TDD> L(std::size_t(cols) * cols);
    auto l = [&L, cols](int row, int column) -> TDD& { return L[std::size_t(row) * cols + column]; };
    for (int j = 0; j < cols; ++j) {
        for (int i = j; i < cols; ++i) {
            TDD s = numeric::Ldexp(hankel[i + j], scale[i] + scale[j]);
            for (int k = 0; k < j; ++k) s = s - l(i, k) * l(j, k);
            if (i == j) {
                l(j, j) = Sqrt(s);
            } else {
                l(i, j) = l(j, j).hi != 0.0 ? s / l(j, j) : TDD{};
            }
        }
    }
    // Solves L L^T z = g in place.
    auto solve = [&](std::vector<TDD>& g) {
        for (int i = 0; i < cols; ++i) {
            TDD s = g[i];
            for (int k = 0; k < i; ++k) s = s - l(i, k) * g[k];
            g[i] = l(i, i).hi != 0.0 ? s / l(i, i) : TDD{};
        }
        for (int i = cols - 1; i >= 0; --i) {
            TDD s = g[i];
            for (int k = i + 1; k < cols; ++k) s = s - l(k, i) * g[k];
            g[i] = l(i, i).hi != 0.0 ? s / l(i, i) : TDD{};
        }
    };
    std::vector<TDD> z(cols);
    for (int j = 0; j < cols; ++j) z[j] = numeric::Ldexp(moment[j], scale[j]);
    solve(z);
    // Refinement on double-double residuals of the scaled problem.
    std::vector<TDD> g(cols);
    for (int pass = 0; pass < kMaxDoubleDoublePasses; ++pass) {
        std::vector<TDD> b(cols);
        for (int j = 0; j < cols; ++j) b[j] = numeric::Ldexp(z[j], scale[j]);
        std::fill(g.begin(), g.end(), TDD{});
        for (int i = 0; i < n; ++i) {
            const double t = std::ldexp(xs[i], -xExponent);
            power[0] = TDD{1.0, 0.0};
            for (int k = 1; k < cols; ++k) power[k] = power[k - 1] * t;
            TDD fit{};
            for (int j = 0; j < cols; ++j) fit = fit + b[j] * power[j];
            const TDD residual = TDD{ys[i] * dataScale, 0.0} - fit;
            for (int j = 0; j < cols; ++j) g[j] = g[j] + power[j] * residual;
        }
        for (int j = 0; j < cols; ++j) g[j] = numeric::Ldexp(g[j], scale[j]);
        solve(g);
        double change = 0.0, size = 0.0;
        for (int j = 0; j < cols; ++j) {
            z[j] = z[j] + g[j];
            change = std::max(change, std::fabs(g[j].hi));
            size = std::max(size, std::fabs(z[j].hi));
        }
        if (change <= 1e-20 * size) break;
    }
    for (int j = 0; j < cols; ++j) z[j] = numeric::Ldexp(z[j], scale[j]);
    return z;
}

}  // namespace

// Fits c[0] + c[1] x + ... + c[m] x^m to the points by least squares (see the top of this file).
// Singular values of the design with its columns scaled to equal norms below 1e-14 of the largest
// are dropped (truncated := true) and the minimum-norm solution of the rest is taken. quality is
// the squared correlation between the data and the fitted values. A decomposition that does not converge leaves all coefficients 0 and
// returns false. A point that is not a finite number raises the platform's invalid operation;
// overflow of a power raises its overflow.
bool TCurveFit::CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated)
{
    quality = 0.0;
    truncated = false;
    TFloatGuard guard;
    kernels::ClearWideState();
    const TKernels& loops = kernels::Kernels();
    const int n = m_pointCount;
    const int cols = m + 1;
    const int width = cols + 1;
    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);

    // A point that is not a number, or infinite, has no place in a least-squares sum: refused
    // like the closed-form fits refuse it, instead of returning infinite coefficients.
    double largestX = 0.0, largestY = 0.0;
    if (!loops.scanPoints(xs, ys, n, largestX, largestY)) throw EInvalidOp();
    // Column scales: powers of two that bring the largest element of each column near 1. The
    // largest element of column j is the power of the largest |x| (rounding is monotonic).
    std::vector<double> columnScale(cols, 1.0);
    {
        double p = largestX;
        for (int j = 0; j < m; ++j) {
            if (j > 0) p *= largestX;
            columnScale[j] = 1.0 / PowerOfTwo(p);
        }
        guard.Check(p);
    }
    const double dataScale = 1.0 / PowerOfTwo(largestY);

    // R of the scaled design with the scaled data as its last column, row by row.
    std::vector<double> R(std::size_t(width) * width, 0.0);
    {
        const auto block = kernels::Quads(std::size_t(width) * (kernels::kBlockRows / 4));
        std::vector<double> factor(width);
        for (int first = 0; first < n; first += kernels::kBlockRows) {
            const int count = std::min(kernels::kBlockRows, n - first);
            loops.formBlock(xs, ys, first, count, m, columnScale.data(), dataScale, block.get());
            loops.foldBlock(R.data(), width, block.get(), (count + 3) / 4, factor.data());
        }
    }
    auto r = [&R, width](int row, int column) -> double& { return R[std::size_t(row) * width + column]; };

    // Equal column norms: the norm of a column of the design is that of its column of R.
    std::vector<double> equal(cols);
    for (int j = 0; j < cols; ++j) {
        double norm = 0.0;
        for (int i = 0; i <= j; ++i) norm += r(i, j) * r(i, j);
        equal[j] = 1.0 / PowerOfTwo(std::sqrt(norm));
        for (int i = 0; i <= j; ++i) r(i, j) *= equal[j];
    }

    // The singular values of the equal-column design decide the truncation (step 1 at the top of
    // this file; the raw powers would make the decision depend on the unit of x).
    svdcore::TDenseMatrix u(cols, cols), v(cols, cols);
    std::vector<double> qty(cols), w;
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i <= j; ++i) u.Column(j)[i] = r(i, j);
        qty[j] = r(j, cols);
    }
    const bool ok = svdcore::Decompose(u, w, v);
    double largest = 0.0, smallest = HUGE_VAL;
    for (double value : w) {
        largest = std::max(largest, value);
        smallest = std::min(smallest, value);
    }
    std::vector<double> solution(cols, 0.0);
    bool fullRank = false;
    if (ok) {
        truncated = svdcore::Truncate(w);
        fullRank = !truncated && smallest > 0.0;
        if (!fullRank) {
            std::vector<double> z(cols);
            svdcore::BackSubstitute(u, w, v, qty.data(), cols, z.data());
            for (int j = 0; j < cols; ++j) solution[j] = z[j] * equal[j] * columnScale[j] / dataScale;
        }
    }

    if (fullRank && largest / smallest >= kRefinableCondition) {
        // Too ill-conditioned for the refinement on R (step 3 at the top of this file).
        int exponent = 0;
        std::frexp(largestX, &exponent);
        const std::vector<TDD> b = DoubleDoubleFit(xs, ys, n, m, exponent, dataScale);
        for (int j = 0; j < cols; ++j) {
            // b_j t^j = b_j 2^(-j exponent) x^j; the constant is solution[m].
            const int column = j == 0 ? m : j - 1;
            solution[column] = std::ldexp(b[j].hi + b[j].lo, -j * exponent) / dataScale;
        }
    } else if (fullRank) {
        // R z = Q^T b for the equal columns; the coefficients of the scaled design are equal * z.
        std::vector<long double> z(cols), coefficient(cols), g(cols);
        for (int i = cols - 1; i >= 0; --i) {
            long double s = r(i, cols);
            for (int k = i + 1; k < cols; ++k) s -= static_cast<long double>(r(i, k)) * z[k];
            z[i] = s / r(i, i);
        }
        for (int j = 0; j < cols; ++j) coefficient[j] = z[j] * equal[j];
        if (n > 0) {
            // One pass: a second one only finds the rounding noise of the first one's residuals.
            std::vector<double> hi(cols), lo(cols), gHi(cols), gLo(cols);
            for (int j = 0; j < cols; ++j) {
                hi[j] = static_cast<double>(coefficient[j]);
                lo[j] = static_cast<double>(coefficient[j] - hi[j]);
            }
            const auto scratch = kernels::Quads(std::size_t(3) * cols);
            loops.refinementSums(xs, ys, n, m, columnScale.data(), dataScale, hi.data(), lo.data(), gHi.data(),
                                   gLo.data(), scratch.get());
            for (int j = 0; j < cols; ++j) g[j] = (static_cast<long double>(gHi[j]) + gLo[j]) * equal[j];
            SolveNormal(R, width, cols, g);
            for (int j = 0; j < cols; ++j) coefficient[j] += g[j] * equal[j];
        }
        for (int j = 0; j < cols; ++j) solution[j] = static_cast<double>(coefficient[j] * columnScale[j] / dataScale);
    }
    guard.Check(solution.empty() ? 0.0 : solution[0]);

    quality = SquaredCorrelation(loops, xs, ys, n, solution, m);

    const std::size_t places = std::min<std::size_t>(c.size(), std::size_t(cols));
    if (places > 0) c[0] = solution[m];
    for (std::size_t j = 1; j < places; ++j) c[j] = solution[j - 1];
    guard.Check(quality);
    return ok;
}
