// The polynomial fit: least squares with the powers x, x^2, ..., x^m and the constant 1 as the
// columns of the design.
//
// The design of n rows is never held. Blocks of rows are formed from x as they are needed and
// folded into the upper triangle R of a Householder QR decomposition (the data column y rides
// along as a last column, so R's last column holds Q^T y). From there:
//  1. The singular values of R are those of the design. They decide, as always, whether the fit is
//     truncated: values below 1e-14 of the largest are dropped. A truncated fit is the truncated
//     singular-value solution of R, which is that of the design.
//  2. A fit that keeps every singular value is solved on R with its columns scaled to equal norm,
//     so that the raw powers of x, which span many decades, do not cost digits, and the solution
//     is then refined: passes over the points form the residuals y - A x and their products A^T r
//     in extended precision, and the correction solves R^T R d = A^T r. Each pass gains about the
//     digits that the squared condition number of the scaled design leaves, until the solution
//     rounds to the same doubles.
// The columns are scaled by powers of two only, which the decomposition passes through exactly,
// so the scaled and the unscaled design have the same R up to those powers.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/svd.h"

namespace {

// Rows per block: a block of ten columns stays in the first-level cache.
constexpr int kBlockRows = 256;
// Singular values below this share of the largest are dropped (see svd.cpp).
constexpr double kTruncation = 1e-14;
// Refinement gains digits while the squared condition number of the scaled design, times the
// rounding unit, is well below 1. Beyond this condition number it would not converge.
constexpr double kRefinableCondition = 3e7;
constexpr int kMaxRefinements = 4;

// Four doubles handled together; element by element the same operations whatever the width of the
// machine's vector unit, so the results do not depend on it.
using TQuad = double __attribute__((vector_size(32)));

double Sum(TQuad v) { return (v[0] + v[1]) + (v[2] + v[3]); }

// The power of two nearest below |v| (1 for 0), so that v / PowerOfTwo(v) lies in [1, 2).
double PowerOfTwo(double v)
{
    if (v == 0.0 || !std::isfinite(v)) return 1.0;
    int exponent = 0;
    std::frexp(v, &exponent);
    return std::ldexp(1.0, exponent - 1);
}

// The upper triangle R of the decomposition, w x w, row by row.
class TTriangle {
public:
    explicit TTriangle(int width) : m_width(width), m_elements(std::size_t(width) * std::size_t(width), 0.0) {}
    double& operator()(int row, int column) { return m_elements[std::size_t(row) * m_width + column]; }
    double operator()(int row, int column) const { return m_elements[std::size_t(row) * m_width + column]; }
    int Width() const { return m_width; }

private:
    int m_width;
    std::vector<double> m_elements;
};

// A block of rows of the scaled design and the scaled data, column by column.
class TBlock {
public:
    explicit TBlock(int width) : m_quads(std::size_t(width) * (kBlockRows / 4)) {}
    TQuad* Column(int c) { return m_quads.data() + std::size_t(c) * (kBlockRows / 4); }
    double* Doubles(int c) { return reinterpret_cast<double*>(Column(c)); }

private:
    std::vector<TQuad> m_quads;
};

// The columns' scales: powers of two that bring the largest element of each column near 1.
struct TScales {
    std::vector<double> column;   // the design's columns, the constant last
    double data = 1.0;            // the column of y
};

// Fills rows [first, first + count) of the design into the block, scaled, and zero rows up to a
// multiple of four.
__attribute__((noinline)) void FormBlock(const double* xs, const double* ys, int first, int count, int m, const TScales& scales, TBlock& block)
{
    const int rows = (count + 3) / 4 * 4;
    double* power = nullptr;
    for (int r = 0; r < count; ++r) {
        const double x = xs[first + r];
        double p = x;
        for (int j = 0; j < m; ++j) {
            if (j > 0) p *= x;
            power = block.Doubles(j);
            power[r] = p * scales.column[j];
        }
        block.Doubles(m)[r] = 1.0;
        block.Doubles(m + 1)[r] = ys[first + r] * scales.data;
    }
    for (int j = 0; j <= m + 1; ++j) std::fill(block.Doubles(j) + count, block.Doubles(j) + rows, 0.0);
}

// Folds `rows` (a multiple of four) rows of the block into R by one Householder reflection per
// column: the reflection of column k maps (R_kk, block column k) onto (R_kk', 0).
__attribute__((noinline)) void FoldBlock(TTriangle& R, TBlock& block, int rows)
{
    const int w = R.Width();
    const int quads = rows / 4;
    std::vector<double> factor(w);
    const TQuad* first = block.Column(0);
    TQuad sq = {0, 0, 0, 0};
    for (int q = 0; q < quads; ++q) sq += first[q] * first[q];
    double sigma = Sum(sq);
    for (int k = 0; k < w; ++k) {
        TQuad* yk = block.Column(k);
        const double alpha = R(k, k);
        if (sigma == 0.0) {
            // Nothing of this column in the block: the reflection is the identity.
            if (k + 1 < w) {
                const TQuad* next = block.Column(k + 1);
                TQuad s = {0, 0, 0, 0};
                for (int q = 0; q < quads; ++q) s += next[q] * next[q];
                sigma = Sum(s);
            }
            continue;
        }
        const double norm = std::sqrt(alpha * alpha + sigma);
        const double beta = alpha >= 0.0 ? -norm : norm;
        // H = I - tau v v^T with v = (1, yk / (alpha - beta)).
        const double tau = (beta - alpha) / beta;
        const double inverse = 1.0 / (alpha - beta);
        R(k, k) = beta;
        if (k + 1 == w) break;
        // factor[j] = tau (R_kj + v^T y_j) / (alpha - beta): y_j -= factor[j] yk, R_kj -= tau (...).
        int j = k + 1;
        for (; j + 4 <= w; j += 4) {
            const TQuad* a = block.Column(j);
            const TQuad* b = block.Column(j + 1);
            const TQuad* c = block.Column(j + 2);
            const TQuad* d = block.Column(j + 3);
            TQuad s0 = {0, 0, 0, 0}, s1 = s0, s2 = s0, s3 = s0;
            for (int q = 0; q < quads; ++q) {
                const TQuad v = yk[q];
                s0 += v * a[q];
                s1 += v * b[q];
                s2 += v * c[q];
                s3 += v * d[q];
            }
            factor[j] = Sum(s0);
            factor[j + 1] = Sum(s1);
            factor[j + 2] = Sum(s2);
            factor[j + 3] = Sum(s3);
        }
        for (; j < w; ++j) {
            const TQuad* a = block.Column(j);
            TQuad s0 = {0, 0, 0, 0};
            for (int q = 0; q < quads; ++q) s0 += yk[q] * a[q];
            factor[j] = Sum(s0);
        }
        for (j = k + 1; j < w; ++j) {
            const double dot = tau * (R(k, j) + factor[j] * inverse);
            R(k, j) -= dot;
            factor[j] = dot * inverse;
        }
        // The update of the next column also gives the sum of squares its reflection needs.
        {
            TQuad* a = block.Column(k + 1);
            const double f = factor[k + 1];
            const TQuad ff = {f, f, f, f};
            TQuad s = {0, 0, 0, 0};
            for (int q = 0; q < quads; ++q) {
                const TQuad v = a[q] - ff * yk[q];
                a[q] = v;
                s += v * v;
            }
            sigma = Sum(s);
        }
        for (j = k + 2; j < w; ++j) {
            TQuad* a = block.Column(j);
            const double f = factor[j];
            const TQuad ff = {f, f, f, f};
            for (int q = 0; q < quads; ++q) a[q] -= ff * yk[q];
        }
    }
}

// One pass of refinement: g := A^T r with r = y - A x, for the unscaled design, in extended
// precision. Blocks of rows are summed separately first, which keeps the rounding of the long
// sums small.
__attribute__((noinline)) void ExtendedNormalResidual(const double* xs, const double* ys, int n, int m, const std::vector<long double>& x,
                            std::vector<long double>& g)
{
    const int cols = m + 1;
    std::fill(g.begin(), g.end(), 0.0L);
    std::vector<long double> partial(cols);
    std::vector<double> power(cols, 1.0);
    for (int first = 0; first < n; first += kBlockRows) {
        const int last = std::min(n, first + kBlockRows);
        std::fill(partial.begin(), partial.end(), 0.0L);
        for (int i = first; i < last; ++i) {
            const double xi = xs[i];
            double p = xi;
            long double fitted = x[m];
            for (int j = 0; j < m; ++j) {
                if (j > 0) p *= xi;
                power[j] = p;
                fitted += p * x[j];
            }
            const long double r = ys[i] - fitted;
            for (int j = 0; j < m; ++j) partial[j] += power[j] * r;
            partial[m] += r;
        }
        for (int j = 0; j < cols; ++j) g[j] += partial[j];
    }
}

// Solves R^T R d = g in place (R upper triangular, cols x cols, non-zero diagonal).
void SolveNormal(const TTriangle& R, int cols, std::vector<long double>& d)
{
    for (int i = 0; i < cols; ++i) {
        long double s = d[i];
        for (int k = 0; k < i; ++k) s -= static_cast<long double>(R(k, i)) * d[k];
        d[i] = s / R(i, i);
    }
    for (int i = cols - 1; i >= 0; --i) {
        long double s = d[i];
        for (int k = i + 1; k < cols; ++k) s -= static_cast<long double>(R(i, k)) * d[k];
        d[i] = s / R(i, i);
    }
}

// The fitted value of the polynomial at x, powers by repeated multiplication as in the design.
struct TFittedValues {
    const std::vector<double>& x;   // coefficients of x^1..x^m, then the constant
    int m;
    TQuad At(TQuad xi) const
    {
        TQuad value = {x[m], x[m], x[m], x[m]};
        TQuad p = xi;
        for (int j = 0; j < m; ++j) {
            if (j > 0) p *= xi;
            value += TQuad{x[j], x[j], x[j], x[j]} * p;
        }
        return value;
    }
};

TQuad LoadQuad(const double* p, int count)
{
    TQuad v = {0, 0, 0, 0};
    std::memcpy(&v, p, sizeof(double) * std::size_t(count));
    return v;
}

// The squared correlation of the data and the fitted values, each centred on its own mean (two
// passes), so that fitted values far from the mean of y keep their digits. Fitted values without
// spread (order 0, all x equal) correlate with nothing: the result is 0. The last rounding cannot
// push it out of 0..1.
__attribute__((noinline)) double SquaredCorrelation(const double* xs, const double* ys, int n, const TFittedValues& fitted)
{
    if (n == 0) return 0.0;
    TQuad sumY = {0, 0, 0, 0}, sumH = sumY;
    const double y0 = ys[0];
    const double h0 = fitted.At(TQuad{xs[0], xs[0], xs[0], xs[0]})[0];
    bool spreadY = false, spreadH = false;
    for (int i = 0; i < n; i += 4) {
        const int count = std::min(4, n - i);
        const TQuad y = LoadQuad(ys + i, count);
        const TQuad h = fitted.At(LoadQuad(xs + i, count));
        for (int l = 0; l < count; ++l) {
            spreadY = spreadY || y[l] != y0;
            spreadH = spreadH || h[l] != h0;
        }
        sumY += y;
        sumH += h * TQuad{1.0, count > 1 ? 1.0 : 0.0, count > 2 ? 1.0 : 0.0, count > 3 ? 1.0 : 0.0};
    }
    if (!spreadY || !spreadH) return 0.0;
    const double meanY = Sum(sumY) / n, meanH = Sum(sumH) / n;
    TQuad vy = {0, 0, 0, 0}, vh = vy, cov = vy;
    for (int i = 0; i < n; i += 4) {
        const int count = std::min(4, n - i);
        const TQuad mask = {1.0, count > 1 ? 1.0 : 0.0, count > 2 ? 1.0 : 0.0, count > 3 ? 1.0 : 0.0};
        const TQuad dy = (LoadQuad(ys + i, count) - meanY) * mask;
        const TQuad dh = (fitted.At(LoadQuad(xs + i, count)) - meanH) * mask;
        vy += dy * dy;
        vh += dh * dh;
        cov += dy * dh;
    }
    const double v1 = Sum(vy), v2 = Sum(vh), c = Sum(cov);
    if (v1 == 0.0 || v2 == 0.0) return 0.0;
    return std::clamp(c / v1 * (c / v2), 0.0, 1.0);
}

}  // namespace

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
    const int n = m_pointCount;
    const int cols = m + 1;
    const int width = cols + 1;
    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);

    // A point that is not a number, or infinite, has no place in a least-squares sum: refused
    // like the closed-form fits refuse it, instead of returning infinite coefficients.
    double largestX = 0.0, largestY = 0.0;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) throw EInvalidOp();
        largestX = std::max(largestX, std::fabs(xs[i]));
        largestY = std::max(largestY, std::fabs(ys[i]));
    }
    // The largest element of column j is the power of the largest |x| (rounding is monotonic).
    TScales scales;
    scales.column.assign(cols, 1.0);
    {
        double p = largestX;
        for (int j = 0; j < m; ++j) {
            if (j > 0) p *= largestX;
            scales.column[j] = 1.0 / PowerOfTwo(p);
        }
        guard.Check(p);
        scales.data = 1.0 / PowerOfTwo(largestY);
    }

    TTriangle R(width);
    {
        TBlock block(width);
        for (int first = 0; first < n; first += kBlockRows) {
            const int count = std::min(kBlockRows, n - first);
            FormBlock(xs, ys, first, count, m, scales, block);
            FoldBlock(R, block, (count + 3) / 4 * 4);
        }
    }

    // The singular values of the unscaled design decide the truncation.
    svdcore::TDenseMatrix u(cols, cols), v(cols, cols);
    std::vector<double> qty(cols), w;
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i <= j; ++i) u.Column(j)[i] = R(i, j) / scales.column[j];
        qty[j] = R(j, cols) / scales.data;
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
        // Equal column norms: the norm of a column of the design is that of the column of R.
        std::vector<double> equal(cols);
        for (int j = 0; j < cols; ++j) {
            double norm = 0.0;
            for (int i = 0; i <= j; ++i) norm += R(i, j) * R(i, j);
            equal[j] = 1.0 / PowerOfTwo(std::sqrt(norm));
            for (int i = 0; i <= j; ++i) R(i, j) *= equal[j];
        }
        // R z = Q^T y for the scaled columns; x_j = z_j times the column's scale.
        std::vector<long double> z(cols), x(cols), g(cols);
        for (int i = cols - 1; i >= 0; --i) {
            long double s = R(i, cols) / scales.data;
            for (int k = i + 1; k < cols; ++k) s -= static_cast<long double>(R(i, k)) * z[k];
            z[i] = s / R(i, i);
        }
        std::vector<long double> scale(cols);
        for (int j = 0; j < cols; ++j) {
            scale[j] = static_cast<long double>(scales.column[j]) * equal[j];
            x[j] = z[j] * scale[j];
        }
        double largest = 0.0, smallest = HUGE_VAL;
        {
            // The condition of the scaled R from its own singular values.
            svdcore::TDenseMatrix re(cols, cols), ve(cols, cols);
            std::vector<double> we;
            for (int j = 0; j < cols; ++j)
                for (int i = 0; i <= j; ++i) re.Column(j)[i] = R(i, j);
            svdcore::Decompose(re, we, ve);
            for (double value : we) {
                largest = std::max(largest, value);
                smallest = std::min(smallest, value);
            }
        }
        if (smallest > 0.0 && largest / smallest < kRefinableCondition) {
            // Each pass should shrink the correction by a large factor; once one does not, the
            // corrections are the rounding noise of the residuals, and that one is not applied.
            long double previous = HUGE_VALL;
            for (int pass = 0; pass < kMaxRefinements; ++pass) {
                ExtendedNormalResidual(xs, ys, n, m, x, g);
                for (int j = 0; j < cols; ++j) g[j] *= scale[j];
                SolveNormal(R, cols, g);
                long double size = 0.0L, reference = 0.0L;
                for (int j = 0; j < cols; ++j) {
                    size = std::max(size, std::fabs(g[j]));
                    reference = std::max(reference, std::fabs(z[j]));
                }
                if (size > 0.25L * previous) break;
                bool changed = false;
                for (int j = 0; j < cols; ++j) {
                    z[j] += g[j];
                    const long double next = z[j] * scale[j];
                    changed = changed || static_cast<double>(next) != static_cast<double>(x[j]);
                    x[j] = next;
                }
                if (!changed || size <= 1e-19L * reference) break;
                previous = size;
            }
        }
        for (int j = 0; j < cols; ++j) solution[j] = static_cast<double>(x[j]);
    }

    quality = SquaredCorrelation(xs, ys, n, TFittedValues{solution, m});

    const std::size_t places = std::min<std::size_t>(c.size(), std::size_t(cols));
    if (places > 0) c[0] = solution[m];
    for (std::size_t j = 1; j < places; ++j) c[j] = solution[j - 1];
    guard.Check(quality);
    return ok;
}
