// The polynomial fit: least squares with the powers x, x^2, ..., x^m and the constant 1 as the
// columns of the design.
//
// The design of n rows is never held. Blocks of rows are formed from x as they are needed and
// folded into the upper triangle R of a Householder QR decomposition (the data column y rides
// along as a last column, so R's last column holds Q^T y). From there:
//  1. The singular values of R are those of the design. They decide, as always, whether the fit is
//     truncated: values below 1e-14 of the largest are dropped. A truncated fit is the truncated
//     singular-value solution of R, which is that of the design. It stays truncated even where the
//     scaled design could be solved (Filip's certified order-10 data, condition beyond 1e15): the
//     rule is about the design as the user gave it, and `truncated` reports exactly that.
//  2. A fit that keeps every singular value is solved on R with its columns scaled to equal norm,
//     so that the raw powers of x, which span many decades, do not cost digits. One pass over the
//     points then refines it: the residuals r = y - A x and their products A^T r are formed in
//     double-double arithmetic (about 106 bits; the 64 bits of long double leave the condition
//     number's square times their rounding in the result), and the correction solves
//     R^T R d = A^T r. That reaches the exact least-squares solution of the given doubles to the
//     last digit or so; a second pass only finds the rounding noise of the first.
// The columns are scaled by powers of two only, which the decomposition passes through exactly,
// so the scaled and the unscaled design have the same R up to those powers.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <memory>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/svd.h"

// The four-double type is passed by value between functions of this file only, which are all
// compiled together, so the note that its calling convention depends on the vector unit is moot.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// Rows per block: a block of ten columns stays in the first-level cache.
constexpr int kBlockRows = 256;
// Refinement gains digits while the squared condition number of the scaled design, times the
// rounding unit, is well below 1. Beyond this condition number it would not converge.
constexpr double kRefinableCondition = 3e7;

// Four doubles handled together; element by element the same operations whatever the width of the
// machine's vector unit.
using TQuad = double __attribute__((vector_size(32)));

inline double Sum(TQuad v) { return (v[0] + v[1]) + (v[2] + v[3]); }

// Zeroed quads, aligned as the type needs (a std::vector of the vector type may not be).
std::unique_ptr<TQuad[]> Quads(std::size_t count)
{
    std::unique_ptr<TQuad[]> quads(new TQuad[count]);
    for (std::size_t i = 0; i < count; ++i) quads[i] = TQuad{0, 0, 0, 0};
    return quads;
}

namespace portable {
#define POLYFIT_FUSED 0
#include "curvefit/polyfit_kernels.inc"
#undef POLYFIT_FUSED
}  // namespace portable

#if defined(__x86_64__) || defined(__i386__)
#define POLYFIT_HAVE_FUSED 1
// No multiply-add contraction: the wide variant must round exactly as the portable one.
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#pragma GCC optimize("fp-contract=off")
namespace fused {
#define POLYFIT_FUSED 1
#include "curvefit/polyfit_kernels.inc"
#undef POLYFIT_FUSED
}  // namespace fused
#pragma GCC pop_options
#else
#define POLYFIT_HAVE_FUSED 0
#endif

struct TKernels {
    decltype(&portable::ScanPoints) scanPoints;
    decltype(&portable::FormBlock) formBlock;
    decltype(&portable::FoldBlock) foldBlock;
    decltype(&portable::RefinementSums) refinementSums;
    decltype(&portable::QualityMeans) qualityMeans;
    decltype(&portable::QualitySpreads) qualitySpreads;
};

bool gPortableOnly = false;

const TKernels& Kernels()
{
    static const TKernels portableKernels{portable::ScanPoints,     portable::FormBlock,
                                          portable::FoldBlock,      portable::RefinementSums,
                                          portable::QualityMeans,   portable::QualitySpreads};
#if POLYFIT_HAVE_FUSED
    static const TKernels fusedKernels{fused::ScanPoints,   fused::FormBlock,      fused::FoldBlock,
                                       fused::RefinementSums, fused::QualityMeans, fused::QualitySpreads};
    static const bool wide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return wide && !gPortableOnly ? fusedKernels : portableKernels;
#else
    return portableKernels;  // the wide variant exists only on x86
#endif
}

// The power of two nearest below |v| (1 for 0), so that v / PowerOfTwo(v) lies in [1, 2). Below
// the normal range it is the smallest normal power, whose reciprocal is still finite.
double PowerOfTwo(double v)
{
    if (v == 0.0 || !std::isfinite(v)) return 1.0;
    if (std::fabs(v) < DBL_MIN) return DBL_MIN;
    int exponent = 0;
    std::frexp(v, &exponent);
    return std::ldexp(1.0, exponent - 1);
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

// The squared correlation of the data and the fitted values, each centred on its own mean (two
// passes), so that fitted values far from the mean of y keep their digits. Fitted values without
// spread (order 0, all x equal) correlate with nothing: the result is 0. The last rounding cannot
// push it out of 0..1.
double SquaredCorrelation(const TKernels& kernels, const double* xs, const double* ys, int n,
                          const std::vector<double>& coefficients, int m)
{
    if (n == 0) return 0.0;
    double sumY = 0.0, sumH = 0.0;
    bool spreadY = false, spreadH = false;
    kernels.qualityMeans(xs, ys, n, coefficients.data(), m, sumY, sumH, spreadY, spreadH);
    if (!spreadY || !spreadH) return 0.0;
    double vy = 0.0, vh = 0.0, cov = 0.0;
    kernels.qualitySpreads(xs, ys, n, coefficients.data(), m, sumY / n, sumH / n, vy, vh, cov);
    if (vy == 0.0 || vh == 0.0) return 0.0;
    return std::clamp(cov / vy * (cov / vh), 0.0, 1.0);
}

}  // namespace

void polyfit_detail::UsePortableKernels(bool portableOnly) { gPortableOnly = portableOnly; }

// Fits c[0] + c[1] x + ... + c[m] x^m to the points by least squares (see the top of this file).
// Singular values of the design below 1e-14 of the largest are dropped (truncated := true) and
// the minimum-norm solution of the rest is taken. quality is the squared correlation between the
// data and the fitted values. A decomposition that does not converge leaves all coefficients 0 and
// returns false. A point that is not a finite number raises the platform's invalid operation;
// overflow of a power raises its overflow.
bool TCurveFit::CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated)
{
    quality = 0.0;
    truncated = false;
    TFloatGuard guard;
    const TKernels& kernels = Kernels();
    const int n = m_pointCount;
    const int cols = m + 1;
    const int width = cols + 1;
    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);

    // A point that is not a number, or infinite, has no place in a least-squares sum: refused
    // like the closed-form fits refuse it, instead of returning infinite coefficients.
    double largestX = 0.0, largestY = 0.0;
    if (!kernels.scanPoints(xs, ys, n, largestX, largestY)) throw EInvalidOp();
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
        const auto block = Quads(std::size_t(width) * (kBlockRows / 4));
        std::vector<double> factor(width);
        for (int first = 0; first < n; first += kBlockRows) {
            const int count = std::min(kBlockRows, n - first);
            kernels.formBlock(xs, ys, first, count, m, columnScale.data(), dataScale, block.get());
            kernels.foldBlock(R.data(), width, block.get(), (count + 3) / 4, factor.data());
        }
    }
    auto r = [&R, width](int row, int column) -> double& { return R[std::size_t(row) * width + column]; };

    // The singular values of the unscaled design decide the truncation.
    svdcore::TDenseMatrix u(cols, cols), v(cols, cols);
    std::vector<double> qty(cols), w;
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i <= j; ++i) u.Column(j)[i] = r(i, j) / columnScale[j];
        qty[j] = r(j, cols) / dataScale;
    }
    const bool ok = svdcore::Decompose(u, w, v);
    std::vector<double> solution(cols, 0.0);
    bool fullRank = false;
    if (ok) {
        truncated = svdcore::Truncate(w);
        fullRank = !truncated && std::all_of(w.begin(), w.end(), [](double value) { return value > 0.0; });
        if (!fullRank) svdcore::BackSubstitute(u, w, v, qty.data(), cols, solution.data());
    }

    if (fullRank) {
        // Equal column norms: the norm of a column of the design is that of its column of R.
        std::vector<double> equal(cols);
        for (int j = 0; j < cols; ++j) {
            double norm = 0.0;
            for (int i = 0; i <= j; ++i) norm += r(i, j) * r(i, j);
            equal[j] = 1.0 / PowerOfTwo(std::sqrt(norm));
            for (int i = 0; i <= j; ++i) r(i, j) *= equal[j];
        }
        // R z = Q^T b for the equal columns; the coefficients of the scaled design are equal * z.
        std::vector<long double> z(cols), coefficient(cols), g(cols);
        for (int i = cols - 1; i >= 0; --i) {
            long double s = r(i, cols);
            for (int k = i + 1; k < cols; ++k) s -= static_cast<long double>(r(i, k)) * z[k];
            z[i] = s / r(i, i);
        }
        for (int j = 0; j < cols; ++j) coefficient[j] = z[j] * equal[j];

        // The condition of the equal-column R from its own singular values.
        double largest = 0.0, smallest = HUGE_VAL;
        {
            svdcore::TDenseMatrix re(cols, cols), ve(cols, cols);
            std::vector<double> we;
            for (int j = 0; j < cols; ++j)
                for (int i = 0; i <= j; ++i) re.Column(j)[i] = r(i, j);
            svdcore::Decompose(re, we, ve);
            for (double value : we) {
                largest = std::max(largest, value);
                smallest = std::min(smallest, value);
            }
        }
        if (n > 0 && smallest > 0.0 && largest / smallest < kRefinableCondition) {
            // One pass: a second one only finds the rounding noise of the first one's residuals.
            std::vector<double> hi(cols), lo(cols), gHi(cols), gLo(cols);
            for (int j = 0; j < cols; ++j) {
                hi[j] = static_cast<double>(coefficient[j]);
                lo[j] = static_cast<double>(coefficient[j] - hi[j]);
            }
            const auto scratch = Quads(std::size_t(3) * cols);
            kernels.refinementSums(xs, ys, n, m, columnScale.data(), dataScale, hi.data(), lo.data(), gHi.data(),
                                   gLo.data(), scratch.get());
            for (int j = 0; j < cols; ++j) g[j] = (static_cast<long double>(gHi[j]) + gLo[j]) * equal[j];
            SolveNormal(R, width, cols, g);
            for (int j = 0; j < cols; ++j) coefficient[j] += g[j] * equal[j];
        }
        for (int j = 0; j < cols; ++j) solution[j] = static_cast<double>(coefficient[j] * columnScale[j] / dataScale);
    }

    quality = SquaredCorrelation(kernels, xs, ys, n, solution, m);

    const std::size_t places = std::min<std::size_t>(c.size(), std::size_t(cols));
    if (places > 0) c[0] = solution[m];
    for (std::size_t j = 1; j < places; ++j) c[j] = solution[j - 1];
    guard.Check(quality);
    return ok;
}
