// Singular value decomposition by the Golub-Reinsch algorithm, and the least-squares solver on it.
//
// The decomposition a = U diag(w) V^T runs in four phases:
//  1. Householder reduction to upper bidiagonal form (diagonal w, superdiagonal e). Every
//     reflection first scales its column (or row) by the sum of the absolute values of its
//     elements and is skipped when that sum is zero.
//  2. Accumulation of the right-hand reflections into V.
//  3. Accumulation of the left-hand reflections into a, which becomes U; it runs over every
//     column from the last to the first.
//  4. Diagonalisation of the bidiagonal form by implicitly shifted QR sweeps, from the last
//     singular value to the first. A value v is negligible when |v| + anorm == anorm, anorm being
//     the largest |w_i| + |e_i|. Each value gets at most 30 sweeps; one that has not converged when
//     its 30th sweep begins marks the decomposition as failed, and that sweep is still made.
//     After a negligible w_(l-1) the superdiagonal e_l..e_k is cancelled by rotations of rows
//     l-1 and i: each scales e_i by its cosine and carries s*e_i on, until the carried value is
//     negligible. (Leaving e_i unscaled and going on past a negligible carry, as some variants
//     do, breaks A = U diag(w) V^T as soon as w_1 is zero, for example for a zero first column.)
//     Negative singular values are made positive by negating their column of V. The values are
//     not sorted.
//
// The matrix is stored column by column, and the long loops run over the rows of a block of
// kRowBlock rows at a time, so every element sees exactly the operations, in the same order, of
// the element-by-element formulation: each running sum is still accumulated row after row. Only
// the order in which independent columns and rows are visited changes. The rotations of phase 4
// do not feed back into w, e or V, so they are recorded and applied to U in one blocked pass at
// the end.
#include "curvefit/svd.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "curvefit/curvefit.h"

namespace svdcore {
namespace {

constexpr int kMaxSweeps = 30;
// Singular values below this share of the largest are treated as zero: about 45 times the
// machine epsilon, so only values that are rounding noise of a rank loss are dropped.
constexpr double kTruncation = 1e-14;
// Rows handled together in the long loops: a block of ten columns stays in the first-level cache.
constexpr int kRowBlock = 256;

// |b| with the sign of a, a >= 0 counting as positive.
double Sign(double a, double b) { return a >= 0.0 ? std::fabs(b) : -std::fabs(b); }
double Hypot(double a, double b) { return std::sqrt(a * a + b * b); }

struct TRotation {
    int p, q;   // columns: p := p*c + q*s, q := q*c - p*s
    double c, s;
};

// acc[j] += sum over rows r in [begin, end) of x[r] * col[j][r], row after row, for j < count.
void AccumulateDots(const double* x, const double* const* col, int count, int begin, int end, double* acc)
{
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        const double* c0 = col[j];
        const double* c1 = col[j + 1];
        const double* c2 = col[j + 2];
        const double* c3 = col[j + 3];
        double s0 = acc[j], s1 = acc[j + 1], s2 = acc[j + 2], s3 = acc[j + 3];
        for (int r = begin; r < end; ++r) {
            const double xr = x[r];
            s0 += xr * c0[r];
            s1 += xr * c1[r];
            s2 += xr * c2[r];
            s3 += xr * c3[r];
        }
        acc[j] = s0;
        acc[j + 1] = s1;
        acc[j + 2] = s2;
        acc[j + 3] = s3;
    }
    for (; j < count; ++j) {
        const double* cj = col[j];
        double s = acc[j];
        for (int r = begin; r < end; ++r) s += x[r] * cj[r];
        acc[j] = s;
    }
}

// Two doubles handled by one instruction; element by element the same operations.
using TPair = double __attribute__((vector_size(16)));
TPair Load(const double* p)
{
    TPair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void Store(double* p, TPair v) { std::memcpy(p, &v, sizeof v); }

// y[r] += f * x[r] for r in [begin, end).
void AddMultiple(double* __restrict y, const double* __restrict x, double f, int begin, int end)
{
    const TPair ff = {f, f};
    int r = begin;
    for (; r + 2 <= end; r += 2) Store(y + r, Load(y + r) + ff * Load(x + r));
    for (; r < end; ++r) y[r] += f * x[r];
}

// x[r] *= f for r in [begin, end).
void Scale(double* x, double f, int begin, int end)
{
    const TPair ff = {f, f};
    int r = begin;
    for (; r + 2 <= end; r += 2) Store(x + r, Load(x + r) * ff);
    for (; r < end; ++r) x[r] *= f;
}

// The plane rotation p := p c + q s, q := q c - p s on rows [begin, end).
void Rotate(double* __restrict p, double* __restrict q, double c, double s, int begin, int end)
{
    const TPair cc = {c, c}, ss = {s, s};
    int r = begin;
    for (; r + 2 <= end; r += 2) {
        const TPair y = Load(p + r);
        const TPair z = Load(q + r);
        Store(p + r, y * cc + z * ss);
        Store(q + r, z * cc - y * ss);
    }
    for (; r < end; ++r) {
        const double y = p[r];
        const double z = q[r];
        p[r] = y * c + z * s;
        q[r] = z * c - y * s;
    }
}

// Phase 1: Householder bidiagonalisation. Returns anorm; w and e receive the bidiagonal.
double Bidiagonalise(TDenseMatrix& a, std::vector<double>& w, std::vector<double>& e, double& lastG)
{
    const int m = a.rows;
    const int n = a.cols;
    std::vector<double*> cols(n);
    for (int c = 0; c < n; ++c) cols[c] = a.Column(c);
    std::vector<double> colFactor(n), rowVec(n), rowSum(kRowBlock);

    double g = 0.0, scale = 0.0, anorm = 0.0;
    double colScale = 0.0;
    for (int r = 0; r < m; ++r) colScale += std::fabs(cols[0][r]);

    for (int i = 0; i < n; ++i) {
        const int l = i + 1;
        double* ci = cols[i];
        e[i] = scale * g;

        // Column reflection on rows i..m-1.
        g = 0.0;
        double s = 0.0;
        scale = colScale;
        const double columnScale = scale;
        double h = 0.0;
        const bool colActive = scale != 0.0;
        if (colActive) {
            for (int r = i; r < m; ++r) {
                ci[r] /= scale;
                s += ci[r] * ci[r];
            }
            const double f = ci[i];
            g = -Sign(f, std::sqrt(s));
            h = f * g - s;
            ci[i] = f - g;
            std::fill(colFactor.begin(), colFactor.end(), 0.0);
            for (int r0 = i; r0 < m; r0 += kRowBlock)
                AccumulateDots(ci, cols.data() + l, n - l, r0, std::min(m, r0 + kRowBlock), colFactor.data() + l);
            for (int j = l; j < n; ++j) colFactor[j] /= h;
            // Row i first: the row reflection below is built from it.
            for (int j = l; j < n; ++j) cols[j][i] += colFactor[j] * ci[i];
            ci[i] *= scale;
        }
        w[i] = scale * g;

        // Row reflection on columns l..n-1 of row i, applied to rows l..m-1.
        g = 0.0;
        s = 0.0;
        scale = 0.0;
        bool rowActive = false;
        if (i != n - 1) {
            for (int c = l; c < n; ++c) scale += std::fabs(cols[c][i]);
            if (scale != 0.0) {
                rowActive = true;
                for (int c = l; c < n; ++c) {
                    cols[c][i] /= scale;
                    s += cols[c][i] * cols[c][i];
                }
                const double f = cols[l][i];
                g = -Sign(f, std::sqrt(s));
                h = f * g - s;
                cols[l][i] = f - g;
                for (int c = l; c < n; ++c) {
                    e[c] = cols[c][i] / h;
                    rowVec[c] = cols[c][i];
                    cols[c][i] *= scale;
                }
            }
        }

        // One pass over rows l..m-1: the rest of the column reflection, the row reflection,
        // and the scale of the next column.
        colScale = 0.0;
        for (int r0 = l; r0 < m; r0 += kRowBlock) {
            const int r1 = std::min(m, r0 + kRowBlock);
            if (colActive) {
                for (int j = l; j < n; ++j) AddMultiple(cols[j], ci, colFactor[j], r0, r1);
                Scale(ci, columnScale, r0, r1);
            }
            if (rowActive) {
                double* sum = rowSum.data();
                const int count = r1 - r0;
                std::fill(sum, sum + count, 0.0);
                for (int c = l; c < n; ++c) AddMultiple(sum, cols[c] + r0, rowVec[c], 0, count);
                for (int c = l; c < n; ++c) AddMultiple(cols[c] + r0, sum, e[c], 0, count);
            }
            if (l < n)
                for (int r = r0; r < r1; ++r) colScale += std::fabs(cols[l][r]);
        }
        anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
    }
    lastG = g;
    return anorm;
}


// Phase 2: the right-hand reflections, stored in the rows of a, accumulated into v.
void AccumulateRight(const TDenseMatrix& a, const std::vector<double>& e, double g, TDenseMatrix& v)
{
    const int n = a.cols;
    auto A = [&a](int r, int c) { return a.Column(c)[r]; };
    auto V = [&v](int r, int c) -> double& { return v.Column(c)[r]; };
    int l = n;
    for (int i = n - 1; i >= 0; --i) {
        if (i < n - 1) {
            if (g != 0.0) {
                // The double division keeps a possible underflow away.
                for (int j = l; j < n; ++j) V(j, i) = (A(i, j) / A(i, l)) / g;
                for (int j = l; j < n; ++j) {
                    double s = 0.0;
                    for (int k = l; k < n; ++k) s += A(i, k) * V(k, j);
                    for (int k = l; k < n; ++k) V(k, j) += s * V(k, i);
                }
            }
            for (int j = l; j < n; ++j) V(i, j) = V(j, i) = 0.0;
        }
        V(i, i) = 1.0;
        g = e[i];
        l = i;
    }
}

// Phase 3: the left-hand reflections, stored in the columns of a, accumulated into a itself.
void AccumulateLeft(TDenseMatrix& a, const std::vector<double>& w)
{
    const int m = a.rows;
    const int n = a.cols;
    std::vector<double*> cols(n);
    for (int c = 0; c < n; ++c) cols[c] = a.Column(c);
    // dots[j]: the sums of column i times column j over rows i+1..m-1 that step i needs. Each
    // step finishes its rows one block after the other, and the next step's sums run over
    // exactly those rows, so they are accumulated in the same pass.
    std::vector<double> dots(n, 0.0), nextDots(n, 0.0);
    for (int i = n - 1; i >= 0; --i) {
        const int l = i + 1;
        double* ci = cols[i];
        for (int j = l; j < n; ++j) cols[j][i] = 0.0;
        double g = w[i];
        const bool active = g != 0.0;
        if (active) {
            g = 1.0 / g;
            for (int j = l; j < n; ++j) dots[j] = (dots[j] / ci[i]) * g;
        }
        // Row i first, since the next step's sums start with its final values.
        const bool next = i > 0 && w[i - 1] != 0.0;
        double* previous = next ? cols[i - 1] : nullptr;
        std::fill(nextDots.begin(), nextDots.end(), 0.0);
        for (int r0 = i; r0 < m; r0 += kRowBlock) {
            const int r1 = std::min(m, r0 + kRowBlock);
            if (active) {
                for (int j = l; j < n; ++j) AddMultiple(cols[j], ci, dots[j], r0, r1);
                Scale(ci, g, r0, r1);
            } else {
                std::fill(ci + r0, ci + r1, 0.0);
            }
            if (r0 == i) ci[i] += 1.0;
            if (next) AccumulateDots(previous, cols.data() + i, n - i, r0, r1, nextDots.data() + i);
        }
        dots.swap(nextDots);
    }
}

// Phase 4: diagonalisation of the bidiagonal (w, e). Rotations meant for U are appended to
// uRotations; those for V are applied at once. Returns false when a value failed to converge.
bool Diagonalise(std::vector<double>& w, std::vector<double>& e, double anorm, TDenseMatrix& v,
                 std::vector<TRotation>& uRotations)
{
    const int n = v.cols;
    auto negligible = [anorm](double value) { return std::fabs(value) + anorm == anorm; };
    bool converged = true;
    for (int k = n - 1; k >= 0; --k) {
        for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
            // Look for a split; e[0] is always zero, so the scan ends at l = 0 at the latest.
            bool cancel = true;
            int l = k;
            for (; l >= 0; --l) {
                if (l == 0 || negligible(e[l])) {
                    cancel = false;
                    break;
                }
                if (negligible(w[l - 1])) break;
            }
            if (cancel) {
                const int nm = l - 1;
                double c = 0.0, s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * e[i];
                    e[i] = c * e[i];
                    if (negligible(f)) break;
                    const double g = w[i];
                    double h = Hypot(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    uRotations.push_back({nm, i, c, s});
                }
            }
            double z = w[k];
            if (l == k) {
                if (z < 0.0) {
                    w[k] = -z;
                    double* vk = v.Column(k);
                    for (int j = 0; j < n; ++j) vk[j] = -vk[j];
                }
                break;
            }
            if (sweep == kMaxSweeps) converged = false;
            // Shift from the trailing 2 x 2 block.
            double x = w[l];
            const int nm = k - 1;
            double y = w[nm];
            double g = e[nm];
            double h = e[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = Hypot(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + Sign(f, g))) - h)) / x;
            // QR sweep.
            double c = 1.0, s = 1.0;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = e[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = Hypot(f, h);
                e[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                Rotate(v.Column(j), v.Column(i), c, s, 0, n);
                z = Hypot(f, h);
                w[j] = z;
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                uRotations.push_back({j, i, c, s});
            }
            e[l] = 0.0;
            e[k] = f;
            w[k] = x;
        }
    }
    return converged;
}

void ApplyRotations(TDenseMatrix& a, const std::vector<TRotation>& rotations)
{
    if (rotations.empty()) return;
    for (int r0 = 0; r0 < a.rows; r0 += kRowBlock) {
        const int r1 = std::min(a.rows, r0 + kRowBlock);
        for (const TRotation& t : rotations) Rotate(a.Column(t.p), a.Column(t.q), t.c, t.s, r0, r1);
    }
}

}  // namespace

bool Decompose(TDenseMatrix& a, std::vector<double>& w, TDenseMatrix& v)
{
    const int n = a.cols;
    w.assign(n, 0.0);
    if (n == 0) return true;
    std::vector<double> e(n, 0.0);
    double g = 0.0;
    const double anorm = Bidiagonalise(a, w, e, g);
    AccumulateRight(a, e, g, v);
    AccumulateLeft(a, w);
    std::vector<TRotation> uRotations;
    const bool converged = Diagonalise(w, e, anorm, v, uRotations);
    ApplyRotations(a, uRotations);
    return converged;
}

bool Truncate(std::vector<double>& w)
{
    double wmax = 0.0;
    for (double value : w) wmax = std::max(wmax, value);
    const double threshold = wmax * kTruncation;
    bool truncated = false;
    for (double& value : w) {
        if (value < threshold) {
            value = 0.0;
            truncated = true;
        }
    }
    return truncated;
}

void BackSubstitute(const TDenseMatrix& u, const std::vector<double>& w, const TDenseMatrix& v, const double* b,
                    int bRows, double* x)
{
    const int n = u.cols;
    const int rows = std::min(bRows, u.rows);
    std::vector<const double*> cols(n);
    for (int c = 0; c < n; ++c) cols[c] = u.Column(c);
    std::vector<double> t(n, 0.0);
    for (int r0 = 0; r0 < rows; r0 += kRowBlock)
        AccumulateDots(b, cols.data(), n, r0, std::min(rows, r0 + kRowBlock), t.data());
    for (int i = 0; i < n; ++i) t[i] = w[i] != 0.0 ? t[i] / w[i] : 0.0;
    for (int j = 0; j < n; ++j) {
        double s = 0.0;
        for (int k = 0; k < n; ++k) s += v.Column(k)[j] * t[k];
        x[j] = s;
    }
}

}  // namespace svdcore

namespace {

// A copy of A for the solver, padded with zero rows up to a square when A is wider than tall.
svdcore::TDenseMatrix ToDense(const TMatrix& A)
{
    const int rows = std::max(0, A.NrOfRows());
    const int cols = std::max(0, A.NrOfColumns());
    svdcore::TDenseMatrix dense(std::max(rows, cols), cols);
    for (int c = 0; c < cols; ++c)
        if (rows > 0) std::memcpy(dense.Column(c), A.ColumnData(c + 1), std::size_t(rows) * sizeof(double));
    return dense;
}

void StoreDense(const svdcore::TDenseMatrix& dense, int rows, TMatrix& A)
{
    for (int c = 0; c < dense.cols; ++c)
        for (int r = 0; r < rows; ++r) A.SetElem(c + 1, r + 1, dense.Column(c)[r]);
}

}  // namespace

bool SingularValueDecomposition(TMatrix& A, TMatrix& V, TVector& W)
{
    const int rows = std::max(0, A.NrOfRows());
    svdcore::TDenseMatrix a = ToDense(A);
    const int cols = a.cols;
    svdcore::TDenseMatrix v(cols, cols);
    std::vector<double> w;
    const bool ok = svdcore::Decompose(a, w, v);
    StoreDense(a, rows, A);
    V.Resize(cols, cols);
    StoreDense(v, cols, V);
    W.SetNrOfElem(cols);
    for (int c = 0; c < cols; ++c) W.SetElem(c + 1, w[c]);
    return ok;
}

bool SvdLeastSquares(TMatrix& A, const TVector& b, TVector& x, bool& truncated)
{
    truncated = false;
    const int rows = std::max(0, A.NrOfRows());
    svdcore::TDenseMatrix a = ToDense(A);
    const int cols = a.cols;
    svdcore::TDenseMatrix v(cols, cols);
    std::vector<double> w;
    const bool ok = svdcore::Decompose(a, w, v);
    if (ok) {
        truncated = svdcore::Truncate(w);
        std::vector<double> solution(cols);
        svdcore::BackSubstitute(a, w, v, b.Data(), std::min(rows, b.NrOfElem()), solution.data());
        for (int c = 0; c < cols; ++c) x.SetElem(c + 1, solution[c]);
    }
    StoreDense(a, rows, A);
    return ok;
}

bool SvdBackSubstitute(const TMatrix& U, const TMatrix& V, const TVector& W, const TVector& b, TVector& x)
{
    const int cols = std::max(0, U.NrOfColumns());
    const int rows = std::min(std::max(0, U.NrOfRows()), b.NrOfElem());
    std::vector<double> t(cols);
    for (int i = 0; i < cols; ++i) {
        const double* u = U.ColumnData(i + 1);
        double s = 0.0;
        for (int j = 0; j < rows; ++j) s += u[j] * b.Data()[j];
        const double wi = W.Elem(i + 1);
        t[i] = wi != 0.0 ? s / wi : 0.0;
    }
    for (int j = 1; j <= V.NrOfRows(); ++j) {
        double s = 0.0;
        for (int k = 0; k < cols; ++k) s += V.Elem(j, k + 1) * t[k];
        x.SetElem(j, s);
    }
    return true;
}
