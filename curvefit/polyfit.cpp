// The polynomial fit: least squares with the powers t, t^2, ..., t^m and the constant 1 as the
// columns of the design, in the centred, scaled variable t = (x - centre) / scale that runs from -1
// to 1 over the data (centre and scale: the middle and half the width of the x range). Far from
// the origin (years, day numbers, timestamps) the powers of x itself differ from each other only
// in their last digits; the powers of t do not, so the fit decides its rank, solves, and computes
// every value in t. The raw coefficients of x^j are converted from there.
//
// The design of n rows is never held. Blocks of rows are formed from x as they are needed and
// folded into the upper triangle R of a Householder QR decomposition (the data column y rides
// along as a last column, so R's last column holds Q^T y). The data are scaled by a power of two
// so that their largest magnitude is near 1, which the decomposition passes through exactly; on R
// the columns are scaled to equal norms, by powers of two too. From there:
//  1. The singular values of R with equal column norms decide whether the fit is truncated:
//     values below 1e-14 of the largest are dropped, and the truncated singular-value solution
//     (the minimum-norm one in the scaled columns) is taken. The centred columns and the equal
//     norms make the decision independent of the origin and the unit of x: only designs that are
//     truly rank-deficient (all x equal, fewer distinct x or fewer points than coefficients)
//     truncate, years and timestamps do not.
//  2. A fit that keeps every singular value is solved on the equal-column R and refined by passes
//     over the points: the residuals r = y - A b and their products A^T r are formed in
//     double-double arithmetic (about 106 bits), t and its powers included, and the correction
//     solves R^T R d = A^T r. Each pass shrinks the error by about the squared condition number
//     of the scaled design times the rounding unit; the passes go on until the coefficients are
//     close enough to the exact least-squares solution of the given doubles for the conversion to
//     the raw coefficients, which magnifies their errors the more the farther the data lie from
//     the origin.
//  3. A design beyond the condition at which that converges is solved on its normal equations
//     formed in double-double arithmetic, with the powers of t in double-double too, and refined
//     on double-double residuals: the squared condition number times the double-double rounding
//     unit is still small there, so this too reaches the exact least-squares solution.
// The raw coefficients k_j of x^j follow from the centred ones by expanding the powers of
// (x - centre) / scale in double-double arithmetic, so each is the double nearest the exact one
// but for the last bit or so.
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

using kernels::TCentring;
using kernels::TKernels;
using kernels::TResidualSums;
using numeric::PowerOfTwo;
using numeric::TDD;

// Refinement gains digits while the squared condition number of the scaled design, times the
// rounding unit, is well below 1. Beyond this condition number it would not converge.
constexpr double kRefinableCondition = 3e7;
// Refinement passes over the points at most. The first one takes the error from the rounding unit
// times the condition number to the double-double level wherever the data are no farther from the
// origin than thousands of their widths; the next ones serve data farther out.
constexpr int kMaxRefinementPasses = 3;
// Refinement passes of the double-double normal equations at most: each gains the double-double
// rounding unit times the squared condition number, which the truncation bound keeps below 1e-3.
constexpr int kMaxDoubleDoublePasses = 3;
// What the refinement aims at: errors of the centred coefficients that, magnified by their
// conversion to raw coefficients, stay below a quarter of the rounding unit of a double.
constexpr double kRawCoefficientGoal = 0x1p-55;
// The rounding unit of double-double arithmetic: the residuals carry no digits below it, times
// the condition number, so refinement ends there whatever the goal.
constexpr double kDoubleDoubleUnit = 0x1p-104;

// The column of the design that holds t^power: t^1 .. t^m come first, the constant is last.
int ColumnOf(int power, int m) { return power == 0 ? m : power - 1; }

// A long double as a double-double.
TDD Split(long double v)
{
    const double hi = static_cast<double>(v);
    return {hi, static_cast<double>(v - hi)};
}

// The loops' form of t for the centred form `centered` (see kernels::TCentring).
TCentring LoopCentring(const TCenteredPoly& centered, double dataScale)
{
    const double unit = PowerOfTwo(centered.Scale);
    const TDD factor = TDD{unit, 0.0} / TDD{centered.Scale, 0.0};
    return {centered.Centre, 1.0 / unit, factor.hi, factor.lo, dataScale};
}

// t of one point in double-double, as the loops form it.
TDD CentredT(double x, const TCentring& centring)
{
    const TDD d = numeric::TwoSum(x, -centring.centre);
    const TDD scaled{d.hi * centring.unit, d.lo * centring.unit};
    return scaled * TDD{centring.factorHi, centring.factorLo};
}

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

// The squared correlation of the data and the fitted values. For a least-squares fit with a
// constant term it equals 1 - sum r^2 / sum (y - mean y)^2, which a pass over the residuals gives
// with every digit the residuals have; the data's sum of squares is corrected for the rounding of
// their mean. Data or fitted values without spread (order 0, all x equal) correlate with nothing:
// the result is 0. The last rounding cannot push it out of 0..1.
double Quality(const TResidualSums& sums, int n, bool spread)
{
    if (!spread || n == 0) return 0.0;
    const double dataSpread = sums.dataSquares - sums.dataDifferences * sums.dataDifferences / n;
    if (!(dataSpread > 0.0)) return 0.0;
    return std::clamp(1.0 - sums.squares / dataSpread, 0.0, 1.0);
}

// One pass over the residuals of the coefficients `solution` (design columns, double-double) into
// g = gHi + gLo and `sums`.
void ResidualPass(const TKernels& loops, const double* xs, const double* ys, int n, int m, const TCentring& centring,
                  double meanY, const std::vector<TDD>& solution, std::vector<double>& gHi, std::vector<double>& gLo,
                  TResidualSums& sums)
{
    const int cols = m + 1;
    std::vector<double> hi(cols), lo(cols);
    for (int j = 0; j < cols; ++j) {
        hi[j] = solution[j].hi;
        lo[j] = solution[j].lo;
    }
    gHi.assign(cols, 0.0);
    gLo.assign(cols, 0.0);
    const auto scratch = kernels::Quads(std::size_t(4) * cols);
    loops.residualSums(xs, ys, n, m, centring, meanY, hi.data(), lo.data(), gHi.data(), gLo.data(), sums,
                       scratch.get());
}

// The full-rank solution on the equal-column R, refined (step 2 at the top of this file). Each pass
// leaves about `contraction` times the error it found; the passes stop once that, relative to the
// coefficients, is below `goal` or below what double-double residuals resolve (`noiseLevel`). `sums`
// receives the last pass's sums.
std::vector<TDD> RefinedSolution(const TKernels& loops, const std::vector<double>& R, int width,
                                 const std::vector<double>& equal, const double* xs, const double* ys, int n, int m,
                                 const TCentring& centring, double meanY, double contraction, double goal,
                                 double noiseLevel, TResidualSums& sums)
{
    const int cols = m + 1;
    auto r = [&R, width](int row, int column) { return R[std::size_t(row) * width + column]; };
    // R z = Q^T b for the equal columns; the coefficients of the design are equal * z.
    std::vector<long double> z(cols);
    for (int i = cols - 1; i >= 0; --i) {
        long double s = r(i, cols);
        for (int k = i + 1; k < cols; ++k) s -= static_cast<long double>(r(i, k)) * z[k];
        z[i] = s / r(i, i);
    }
    std::vector<TDD> solution(cols);
    for (int j = 0; j < cols; ++j) solution[j] = Split(z[j] * equal[j]);
    std::vector<double> gHi, gLo;
    std::vector<long double> g(cols);
    for (int pass = 0; pass < kMaxRefinementPasses; ++pass) {
        ResidualPass(loops, xs, ys, n, m, centring, meanY, solution, gHi, gLo, sums);
        for (int j = 0; j < cols; ++j) g[j] = (static_cast<long double>(gHi[j]) + gLo[j]) * equal[j];
        SolveNormal(R, width, cols, g);
        double change = 0.0, size = 0.0;
        for (int j = 0; j < cols; ++j) {
            const long double d = g[j] * equal[j];
            solution[j] = solution[j] + Split(d);
            change = std::max(change, std::fabs(static_cast<double>(d)));
            size = std::max(size, std::fabs(solution[j].hi));
        }
        if (change * contraction <= std::max(goal, noiseLevel) * size) break;
    }
    return solution;
}

// The least-squares polynomial of order m in t through the points with y scaled by dataScale, on
// its normal equations in double-double arithmetic (step 3 at the top of this file); t and its
// powers are formed in double-double. Returns the coefficients b_j of t^j (b_0 the constant), as
// double-doubles.
std::vector<TDD> DoubleDoubleFit(const double* xs, const double* ys, int n, int m, const TCentring& centring)
{
    using numeric::Sqrt;
    const int cols = m + 1;
    const double dataScale = centring.dataScale;
    std::vector<TDD> hankel(std::size_t(2 * m + 1)), power(std::size_t(2 * m + 1));
    std::vector<TDD> moment(static_cast<std::size_t>(cols));
    for (int i = 0; i < n; ++i) {
        const TDD t = CentredT(xs[i], centring);
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
            const TDD t = CentredT(xs[i], centring);
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
        if (change <= 1e-30 * size) break;
    }
    for (int j = 0; j < cols; ++j) z[j] = numeric::Ldexp(z[j], scale[j]);
    return z;
}

// How much the conversion to raw coefficients can magnify errors of the centred ones, relative
// to their size: (1 + |centre| / scale)^m, the largest factor the expansion of
// ((x - centre) / scale)^j applies to a coefficient.
double RawGrowth(const TCenteredPoly& centered, int m)
{
    const double ratio = 1.0 + std::fabs(centered.Centre) / centered.Scale;
    // Beyond the double range the goal is simply out of reach; the passes then end at their limit.
    return m * std::log10(ratio) < 300.0 ? std::pow(ratio, m) : HUGE_VAL;
}

// The raw coefficients k_0 .. k_m of sum_j b_j ((x - centre) / scale)^j / dataScale, b in
// double-double (power order). With x = 2^e xi, 2^e above |centre| and scale, the centre u and
// scale v of xi lie below 1: the polynomial in (xi - u) / v is expanded in powers of xi by
// Horner's scheme for a shifted argument (synthetic division by xi - u, repeated), all in
// double-double and within the range where its products are exact; then k_j = a_j 2^(-e j) /
// dataScale, rounded once. A coefficient beyond the doubles sets the overflow flag.
std::vector<double> RawCoefficients(const TCenteredPoly& centered, const std::vector<TDD>& b, double dataScale)
{
    const int m = static_cast<int>(b.size()) - 1;
    int e = 0;
    std::frexp(std::max(std::fabs(centered.Centre), centered.Scale), &e);
    const double u = std::ldexp(centered.Centre, -e);
    const TDD inverse = TDD{1.0, 0.0} / TDD{std::ldexp(centered.Scale, -e), 0.0};
    std::vector<TDD> a(b.size());
    TDD power{1.0, 0.0};
    for (int j = 0; j <= m; ++j) {
        a[j] = b[j] * power;
        power = power * inverse;
    }
    for (int i = 0; i < m; ++i)
        for (int j = m - 1; j >= i; --j) a[j] = a[j] - a[j + 1] * u;
    std::vector<double> raw(b.size());
    for (int j = 0; j <= m; ++j) raw[j] = std::ldexp(a[j].hi + a[j].lo, -e * j) / dataScale;
    return raw;
}

}  // namespace

bool TCurveFit::CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated)
{
    TCenteredPoly centered;
    return CalcPolynomialFit(m, c, quality, truncated, centered);
}

// Fits the polynomial of order m to the points by least squares (see the top of this file).
// Singular values of the centred design with its columns scaled to equal norms below 1e-14 of the
// largest are dropped (truncated := true) and the minimum-norm solution of the rest is taken.
// quality is the squared correlation between the data and the fitted values. A decomposition
// that does not converge leaves all coefficients 0 and returns false. A point that is not a finite
// number raises the platform's invalid operation; a raw coefficient beyond the doubles raises its
// overflow.
bool TCurveFit::CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated,
                                  TCenteredPoly& centered)
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
    kernels::TPointExtent extent;
    if (!loops.scanPoints(xs, ys, n, extent)) throw EInvalidOp();
    centered = n > 0 ? CenteredOver(extent.lowX, extent.highX) : TCenteredPoly{};
    const double dataScale = 1.0 / PowerOfTwo(std::max(std::fabs(extent.lowY), std::fabs(extent.highY)));
    const TCentring centring = LoopCentring(centered, dataScale);
    // The mean of y from the store's extended running sum (no sum of doubles to overflow); the
    // residual pass corrects the data's sum of squares for its rounding.
    const double meanY = MeanY() * dataScale;

    // R of the design with the scaled data as its last column, row by row.
    std::vector<double> R(std::size_t(width) * width, 0.0);
    {
        const auto block = kernels::Quads(std::size_t(width) * (kernels::kBlockRows / 4));
        std::vector<double> factor(width);
        for (int first = 0; first < n; first += kernels::kBlockRows) {
            const int count = std::min(kernels::kBlockRows, n - first);
            loops.formBlock(xs, ys, first, count, m, centring, block.get());
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
    // this file).
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
    // The coefficients of the design's columns for the scaled data.
    std::vector<TDD> solution(cols);
    bool fullRank = false;
    if (ok) {
        truncated = svdcore::Truncate(w);
        fullRank = !truncated && smallest > 0.0;
        if (!fullRank) {
            std::vector<double> z(cols);
            svdcore::BackSubstitute(u, w, v, qty.data(), cols, z.data());
            for (int j = 0; j < cols; ++j) solution[j] = TDD{z[j] * equal[j], 0.0};
        }
    }

    TResidualSums sums;
    bool summed = false;
    if (fullRank && largest / smallest >= kRefinableCondition) {
        // Too ill-conditioned for the refinement on R (step 3 at the top of this file).
        const std::vector<TDD> b = DoubleDoubleFit(xs, ys, n, m, centring);
        for (int j = 0; j < cols; ++j) solution[ColumnOf(j, m)] = b[j];
    } else if (fullRank && n > 0) {
        const double condition = largest / smallest;
        const double contraction = std::min(1.0, cols * condition * condition * DBL_EPSILON);
        const double goal = kRawCoefficientGoal / RawGrowth(centered, m);
        const double noiseLevel = condition * kDoubleDoubleUnit;
        solution =
            RefinedSolution(loops, R, width, equal, xs, ys, n, m, centring, meanY, contraction, goal, noiseLevel, sums);
        summed = true;
    }
    if (!summed && n > 0) {
        std::vector<double> gHi, gLo;
        ResidualPass(loops, xs, ys, n, m, centring, meanY, solution, gHi, gLo, sums);
    }

    std::vector<TDD> b(cols);
    for (int j = 0; j < cols; ++j) b[j] = solution[ColumnOf(j, m)];
    centered.Coefficients.assign(cols, 0.0);
    bool curved = false;
    for (int j = 0; j < cols; ++j) {
        centered.Coefficients[j] = (b[j].hi + b[j].lo) / dataScale;
        curved = curved || (j > 0 && b[j].hi != 0.0);
    }
    const std::vector<double> raw = RawCoefficients(centered, b, dataScale);
    guard.Check(raw.data(), centered.Coefficients.data());

    quality = Quality(sums, n, curved && extent.lowX != extent.highX && extent.lowY != extent.highY);

    const std::size_t places = std::min<std::size_t>(c.size(), std::size_t(cols));
    for (std::size_t j = 0; j < places; ++j) c[j] = raw[j];
    guard.Check(quality);
    return ok;
}
