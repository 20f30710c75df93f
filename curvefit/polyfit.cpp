// The polynomial fit: least squares through a truncated singular value decomposition of the
// design matrix, so that high orders and badly scaled x degrade gracefully instead of failing.
#include <algorithm>
#include <cmath>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/svd.h"

namespace {

// The squared correlation of the data y and the fitted values yh over n points, each centred on
// its own mean (two passes), so that a fit whose values lie far from the mean of y keeps its
// digits. The fitted values of a model without spread (all equal, as with order 0 or with all x
// equal) correlate with nothing: the result is 0. The last rounding cannot push it out of 0..1.
double SquaredCorrelation(const double* y, const std::vector<double>& yh, int n)
{
    if (n == 0) return 0.0;
    double sumY = 0.0, sumH = 0.0;
    bool spreadY = false, spreadH = false;
    for (int i = 0; i < n; ++i) {
        sumY += y[i];
        sumH += yh[i];
        spreadY = spreadY || y[i] != y[0];
        spreadH = spreadH || yh[i] != yh[0];
    }
    if (!spreadY || !spreadH) return 0.0;
    const double meanY = sumY / n, meanH = sumH / n;
    double vy = 0.0, vh = 0.0, cov = 0.0;
    for (int i = 0; i < n; ++i) {
        const double dy = y[i] - meanY;
        const double dh = yh[i] - meanH;
        vy += dy * dy;
        vh += dh * dh;
        cov += dy * dh;
    }
    if (vy == 0.0 || vh == 0.0) return 0.0;
    return std::clamp(cov / vy * (cov / vh), 0.0, 1.0);
}

}  // namespace

// Fits c[0] + c[1] x + ... + c[m] x^m to the points. The design matrix has the powers x, x^2,
// ..., x^m (each by one more multiplication) in its first m columns and the constant 1 in the
// last; it is decomposed, singular values below 1e-14 of the largest are dropped, and the
// minimum-norm least-squares solution is taken. quality is the squared correlation between the
// data and the fitted values. A decomposition that does not converge leaves all coefficients 0 and
// returns false. Overflow of a power or an invalid operation raises the platform's error.
bool TCurveFit::CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated)
{
    quality = 0.0;
    truncated = false;
    TFloatGuard guard;
    const int n = m_pointCount;
    const int cols = m + 1;
    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);
    // A point that is not a number, or infinite, has no place in a least-squares sum: refused
    // like the closed-form fits refuse it, instead of returning infinite coefficients.
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) throw EInvalidOp();

    svdcore::TDenseMatrix a(std::max(n, cols), cols);
    std::vector<double*> column(cols);
    for (int j = 0; j < cols; ++j) column[j] = a.Column(j);
    for (int i = 0; i < n; ++i) {
        double power = xs[i];
        for (int j = 0; j < m; ++j) {
            if (j > 0) power *= xs[i];
            column[j][i] = power;
        }
        column[m][i] = 1.0;
    }

    svdcore::TDenseMatrix v(cols, cols);
    std::vector<double> w;
    std::vector<double> solution(cols, 0.0);
    truncated = false;
    const bool ok = svdcore::Decompose(a, w, v);
    if (ok) {
        truncated = svdcore::Truncate(w);
        svdcore::BackSubstitute(a, w, v, ys, n, solution.data());
    }
    a = svdcore::TDenseMatrix(0, 0);

    std::vector<double> fitted(n);
    for (int i = 0; i < n; ++i) {
        double value = solution[m];
        double power = xs[i];
        for (int j = 0; j < m; ++j) {
            if (j > 0) power *= xs[i];
            value += solution[j] * power;
        }
        fitted[i] = value;
    }
    quality = SquaredCorrelation(ys, fitted, n);

    const std::size_t places = std::min<std::size_t>(c.size(), std::size_t(cols));
    if (places > 0) c[0] = solution[m];
    for (std::size_t j = 1; j < places; ++j) c[j] = solution[j - 1];
    guard.Check(quality);
    return ok;
}
