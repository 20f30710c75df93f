// The point store of TCurveFit and its six closed-form fits.
//
// The store keeps the points in a two-column table (x in column 1, y in column 2, entry order)
// and, per point, in constant time (those of the transforms added when a fit first needs them):
//   - the fourteen running sums of x, y and their transforms (ln x, 1/y, ln y) in extended
//     precision, with SumFlags recording which transformed sums skipped a point;
//   - for each of the four transformed regressions (X, Y) = (x, 1/y), (ln x, y), (ln x, 1/y) and
//     (x, ln y): the count, the running means of X and Y and the co-moments
//     Cxx = sum (X - mean X)^2, Cyy = sum (Y - mean Y)^2, Cxy = sum (X - mean X)(Y - mean Y),
//     updated by Welford's method on the differences to the pair's first point.
//
// The transformed fits take their values from the co-moments. The least-squares line of Y on X
// from raw sums, slope = (n SXY - SX SY) / (n SXX - SX^2) and so on, is the same line written
// with centred sums: slope = Cxy / Cxx, intercept = mean Y - slope mean X, and the quality
// (intercept SY + slope SXY - SY^2/n) / (SYY - SY^2/n) becomes Cxy^2 / (Cxx Cyy). Raw sums lose
// every digit that the data share (x near 1e6 with a spread of 1 leaves nothing of SXX - SX^2/n
// in 64 bits); the co-moments only ever hold the spread, so the fits stay exact far from the
// origin and the quality stays within 0..1.
//
// The determinant n Cxx, as a double, is zero when every X is the same. The fit then fails like
// the division of the raw-sum formula would: the intercept's numerator SXX SY - SX SXY, taken
// from the raw sums, divided by zero gives "division by zero", or "invalid operation" when that
// numerator is zero too.
#include "curvefit/curvefit.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/kernels.h"
#include "curvefit/numeric.h"

namespace {

constexpr double kNoMinX = 1.7e308;
// Points are stored in a table that grows by this many rows when a point does not fit.
constexpr int kTableGrowRows = 1000;
// A y of at most this magnitude counts as zero for the reciprocal sums.
constexpr long double kReciprocalLimit = 1e-30L;
// ln of the smallest positive double (denormal 5.0e-324): an exponential fit whose ln k0 lies
// below it has no representable k0.
constexpr long double kLnSmallestDouble = -744.4281322176367L;

// Running means and co-moments of one transformed pair (X, Y). The pair's first point is the
// origin of the update: the values entering it are differences to that point, which are exact
// or nearly so for data that lie close together, so the means keep the digits of the spread
// rather than those of the position.
struct TPairMoments {
    long double count = 0, originX = 0, originY = 0;
    long double meanX = 0, meanY = 0;  // relative to the origin
    long double cxx = 0, cyy = 0, cxy = 0;

    void Add(long double X, long double Y)
    {
        if (count == 0) {
            originX = X;
            originY = Y;
        }
        X -= originX;
        Y -= originY;
        count += 1;
        const long double inv = 1.0L / count;
        const long double dx = X - meanX;
        const long double dy = Y - meanY;
        meanX += dx * inv;
        meanY += dy * inv;
        const long double ry = Y - meanY;
        cxx += dx * (X - meanX);
        cyy += dy * ry;
        cxy += dx * ry;
    }
};

// Raw sums SX, SXX, SY, SXY of a pair, as the uncentred formula would read them.
struct TRawPair {
    long double sx, sxx, sy, sxy;
};

struct TLine {
    double slope = 0, intercept = 0, quality = 0;
    long double interceptExtended = 0;
};

// Quality figures are squared correlations; rounding in the last bit must not push them out
// of 0..1.
double ClampQuality(double q) { return std::clamp(q, 0.0, 1.0); }

// The least-squares line of Y on X from the pair's co-moments (see the top of this file).
// Raises the platform's floating-point errors for a vanishing determinant and for overflow.
TLine TransformedLine(const TPairMoments& p, const TRawPair& raw)
{
    TFloatGuard guard;
    const double det = static_cast<double>(p.count * p.cxx);
    guard.Check(det);
    if (det == 0) {
        // Every X is the same: this division raises (it never returns).
        FloatDiv(raw.sxx * raw.sy - raw.sx * raw.sxy, static_cast<long double>(det));
    }

    const long double slope = p.cxy / p.cxx;
    const long double intercept = (p.originY + p.meanY) - slope * (p.originX + p.meanX);
    TLine line;
    line.slope = static_cast<double>(slope);
    line.interceptExtended = intercept;
    line.intercept = static_cast<double>(intercept);
    const double spreadY = static_cast<double>(p.cyy);
    line.quality = spreadY != 0 ? ClampQuality(static_cast<double>(slope * p.cxy / p.cyy)) : 1.0;
    guard.Check(line.slope, line.intercept, line.quality);
    CheckFinite(line.slope);
    CheckFinite(line.intercept);
    CheckFinite(line.quality);
    return line;
}

[[noreturn]] void Fail(TErrorCode code, const char* operation) { throw EQZLMath2Error(code, {operation}); }

// The closed-form line and parabola (order m = 1, 2) are refined like the polynomial fit: one
// pass forms the residuals r = y - cy - sum c_j (x - cx)^j of the centred coefficients so far in
// double-double arithmetic and returns the moments sum (x - cx)^j r (j = 0..m); the correction
// solves the centred normal equations with them.
void ResidualMoments(const double* xs, const double* ys, int n, int m, double cx, double cy,
                     const long double* centred, long double* moments)
{
    double hi[3], lo[3], gHi[3], gLo[3];
    for (int j = 0; j <= m; ++j) {
        hi[j] = static_cast<double>(centred[j]);
        lo[j] = static_cast<double>(centred[j] - hi[j]);
    }
    kernels::Kernels().centredResidualMoments(xs, ys, n, m, cx, cy, hi, lo, gHi, gLo);
    for (int j = 0; j <= m; ++j) moments[j] = static_cast<long double>(gHi[j]) + gLo[j];
}

// Solves the symmetric system M d = g (size 2 or 3) by elimination with partial pivoting; false
// when it is singular.
bool SolveSmall(int size, long double M[3][3], long double* g)
{
    for (int k = 0; k < size; ++k) {
        int pivot = k;
        for (int i = k + 1; i < size; ++i)
            if (std::fabs(M[i][k]) > std::fabs(M[pivot][k])) pivot = i;
        if (M[pivot][k] == 0) return false;
        std::swap(M[k], M[pivot]);
        std::swap(g[k], g[pivot]);
        for (int i = k + 1; i < size; ++i) {
            const long double f = M[i][k] / M[k][k];
            for (int j = k; j < size; ++j) M[i][j] -= f * M[k][j];
            g[i] -= f * g[k];
        }
    }
    for (int k = size - 1; k >= 0; --k) {
        for (int j = k + 1; j < size; ++j) g[k] -= M[k][j] * g[j];
        g[k] /= M[k][k];
    }
    return true;
}

}  // namespace

struct TCurveFit::TRunningSums {
    // the fourteen raw sums
    long double x = 0, y = 0, xx = 0, yy = 0;
    long double recY = 0, recYY = 0, xRecY = 0;           // |y| > 1e-30
    long double lnX = 0, lnXlnX = 0, yLnX = 0;           // x > 0
    long double lnXRecY = 0;                              // x > 0 and y != 0
    long double lnY = 0, lnYlnY = 0, xLnY = 0;           // y > 0
    // the four transformed pairs
    TPairMoments reciLin;   // (x, 1/y)
    TPairMoments log;       // (ln x, y)
    TPairMoments reciLog;   // (ln x, 1/y)
    TPairMoments exp;       // (x, ln y)
};

TCurveFit::TCurveFit()
    : m_sums(std::make_unique<TRunningSums>())
{
    m_splineSmoothing = 0.5;
    m_splineValid = false;
    ClearData();
}

TCurveFit::~TCurveFit() = default;

double TCurveFit::MeanY() const
{
    return m_pointCount > 0 ? static_cast<double>(m_sums->y / m_pointCount) : 0.0;
}

void TCurveFit::ClearData()
{
    m_pointCount = 0;
    m_summedCount = 0;
    *m_sums = TRunningSums{};
    m_sumFlags = 0;
    m_minX = kNoMinX;
    m_maxX = -kNoMinX;
    m_splineQuality = 0.0;
    m_splineStartP = 0.0;
    m_splineSorted = false;
    m_points.Fill(0.0);
}

void TCurveFit::ReservePoints(int count)
{
    if (count > m_points.NrOfRows()) m_points.Resize(2, count);
}

void TCurveFit::AddPoint(double x, double y)
{
    // Make room first: when the table cannot grow, the point is neither counted nor summed.
    if (m_pointCount + 1 > m_points.NrOfRows()) {
        if (m_points.NrOfRows() > INT_MAX - kTableGrowRows)
            throw EQZLMatrixError(ecNoMemoryOnHeap, {m_points.Name()});
        m_points.Resize(2, m_points.NrOfRows() + kTableGrowRows);
    }

    if (x < m_minX) m_minX = x;
    if (x > m_maxX) m_maxX = x;
    TRunningSums& s = *m_sums;
    const long double X = x, Y = y;
    s.x += X;
    s.y += Y;
    s.xx += X * X;
    s.yy += Y * Y;

    ++m_pointCount;
    m_points.SetElem(1, m_pointCount, x);
    m_points.SetElem(2, m_pointCount, y);
    m_splineValid = false;
    m_splineStartP = 0.0;
    m_splineSorted = false;
}

// The sums of the transformed pairs (reciprocals and logarithms) are added up to the last point
// when a fit first needs them rather than by AddPoint: taking over millions of points then costs
// what storing them costs, and the sums are the same, bit for bit, as they are formed point by
// point in the order of entry either way.
void TCurveFit::AddUpTransformed() const
{
    TRunningSums& s = *m_sums;
    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);
    for (int i = m_summedCount; i < m_pointCount; ++i) AddTransformed(s, xs[i], ys[i]);
    m_summedCount = m_pointCount;
}

void TCurveFit::AddTransformed(TRunningSums& s, double x, double y) const
{
    const long double X = x, Y = y;
    const bool reciprocal = std::fabs(Y) > kReciprocalLimit;
    long double recY = 0;
    if (reciprocal) {
        recY = 1.0L / Y;
        s.recY += recY;
        s.recYY += 1.0L / (Y * Y);
        s.xRecY += X / Y;
        s.reciLin.Add(X, recY);
    } else {
        m_sumFlags |= sfYNearZero;
    }

    if (x > 0) {
        const long double l = std::log(X);
        s.lnX += l;
        s.lnXlnX += l * l;
        s.yLnX += Y * l;
        if (y != 0)
            s.lnXRecY += l / Y;
        else
            m_sumFlags |= sfYNearZero;
        s.log.Add(l, Y);
        if (reciprocal) s.reciLog.Add(l, recY);
    } else {
        m_sumFlags |= sfXNotPositive;
    }

    if (y > 0) {
        const long double m = std::log(Y);
        s.lnY += m;
        s.lnYlnY += m * m;
        s.xLnY += X * m;
        s.exp.Add(X, m);
    } else {
        m_sumFlags |= sfYNotPositive;
    }
}

// The centred sums are taken about the mean of the running sums rather than about ColumnMean's:
// the refinement pass below makes the result exact whatever the centre, and this spares two
// passes over the table.
void TCurveFit::CalcLinFit(double& k, double& d, double& quality)
{
    k = d = quality = 0;
    const int n = m_pointCount;
    if (n < 2) Fail(ecNotEnoughPoints, "CalcLinFit");

    TFloatGuard guard;
    // The sums as doubles first: a sum beyond the doubles overflows as the table's column mean would.
    const double mx = static_cast<double>(m_sums->x) / n;
    const double my = static_cast<double>(m_sums->y) / n;
    guard.Check(mx, my);

    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);
    double sums[8];
    kernels::Kernels().centredSums(xs, ys, n, mx, my, false, sums);
    const double sx = sums[0], sy = sums[1], sxx = sums[2], syy = sums[3], sxy = sums[4];
    guard.Check(sx, sy, sxx, syy, sxy);

    const double det = n * sxx - sx * sx;
    guard.Check(det);
    if (det == 0) return;
    long double slope = (n * sxy - sx * sy) / det;
    long double a = (sxx * sy - sx * sxy) / det;  // intercept of the centred line

    // One refinement pass: the residuals of the line so far in double-double arithmetic, and the
    // centred normal equations for the correction. Cancellation in the sums of the first pass
    // (a large mean against a small spread) costs no digits then.
    {
        const long double centred[2] = {a, slope};
        long double g[2];
        ResidualMoments(xs, ys, n, 1, mx, my, centred, g);
        long double M[3][3] = {{static_cast<long double>(n), sx, 0}, {sx, sxx, 0}, {0, 0, 0}};
        guard.Check(g[0], g[1]);
        if (SolveSmall(2, M, g)) {
            a += g[0];
            slope += g[1];
        }
    }
    const double intercept = static_cast<double>(a - slope * mx + my);
    const double spreadY = syy - sy * sy / n;
    const double q = spreadY != 0
                         ? ClampQuality(static_cast<double>((a * sy + slope * sxy - sy * sy / n) / spreadY))
                         : 1.0;
    const double kk = static_cast<double>(slope);
    guard.Check(kk, intercept, q);
    k = CheckFinite(kk);
    d = CheckFinite(intercept);
    quality = CheckFinite(q);
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& quality)
{
    TCenteredPoly centered;
    CalcParabolFit(k0, k1, k2, quality, centered);
}

// Centred on the mean of the running sums and refined by one pass, like the line. The centred
// form it returns is that of the polynomial fit, re-expanded from the mean's in extended precision.
void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& quality, TCenteredPoly& centered)
{
    k0 = k1 = k2 = quality = 0;
    centered = {};
    const int n = m_pointCount;
    if (n < 3) Fail(ecNotEnoughPoints, "CalcParabolFit");

    TFloatGuard guard;
    // The sums as doubles first: a sum beyond the doubles overflows as the table's column mean would.
    const double mx = static_cast<double>(m_sums->x) / n;
    const double my = static_cast<double>(m_sums->y) / n;
    guard.Check(mx, my);

    const double* xs = m_points.ColumnData(1);
    const double* ys = m_points.ColumnData(2);
    double sums[8];
    kernels::Kernels().centredSums(xs, ys, n, mx, my, true, sums);
    const double sx = sums[0], sy = sums[1], sxx = sums[2], syy = sums[3], sxy = sums[4];
    const double sxxy = sums[5], sxxx = sums[6], sxxxx = sums[7];
    guard.Check(sx, sy, sxx, syy, sxy, sxxy, sxxx, sxxxx);

    const double e = n * sxx - sx * sx;
    const double f = n * sxxy - sxx * sy;
    const double g = n * sxxx - sx * sxx;
    const double h = n * sxy - sx * sy;
    const double l = n * sxxxx - sxx * sxx;
    guard.Check(e, f, g, h, l);
    const bool regular = e * l != g * g && e != 0;
    long double c2 = e * l != g * g ? (e * f - g * h) / (e * l - g * g) : 0.0;
    long double c1 = e != 0 ? (h - g * static_cast<double>(c2)) / e : 0.0;
    long double c0 = (sy - c1 * sx - c2 * sxx) / n;
    if (regular) {
        // One refinement pass, as for the line.
        const long double centred[3] = {c0, c1, c2};
        long double gc[3];
        ResidualMoments(xs, ys, n, 2, mx, my, centred, gc);
        long double M[3][3] = {{static_cast<long double>(n), sx, sxx}, {sx, sxx, sxxx}, {sxx, sxxx, sxxxx}};
        guard.Check(gc[0], gc[1], gc[2]);
        if (SolveSmall(3, M, gc)) {
            c0 += gc[0];
            c1 += gc[1];
            c2 += gc[2];
        }
    }
    const double r2 = static_cast<double>(c2);
    const double r1 = static_cast<double>(c1 - 2 * c2 * mx);
    const double r0 = static_cast<double>(mx * mx * c2 + c0 - c1 * mx + my);
    const double spreadY = syy - sy * sy / n;
    const double q =
        spreadY != 0 ? ClampQuality(static_cast<double>((c0 * sy + c1 * sxy + c2 * sxxy - sy * sy / n) / spreadY))
                     : 1.0;
    // x - mx = scale t + shift, so c0 + c1 (x - mx) + c2 (x - mx)^2 in powers of t.
    TCenteredPoly form = CenteredOver(m_minX, m_maxX);
    const long double shift = static_cast<long double>(form.Centre) - mx;
    const long double scale = form.Scale;
    form.Coefficients = {static_cast<double>(c0 + my + (c1 + c2 * shift) * shift),
                         static_cast<double>((c1 + 2 * c2 * shift) * scale),
                         static_cast<double>(c2 * scale * scale)};
    guard.Check(r0, r1, r2, q, form.Coefficients.data());
    k0 = CheckFinite(r0);
    k1 = CheckFinite(r1);
    k2 = CheckFinite(r2);
    quality = CheckFinite(q);
    centered = std::move(form);
}

void TCurveFit::CalcReciLinFit(double& k0, double& k1, double& quality)
{
    k0 = k1 = quality = 0;
    if (m_pointCount <= 2) Fail(ecNotEnoughPoints, "CalcReciLinFit");
    SumTransformed();
    if (m_sumFlags & sfYNearZero) Fail(ecYZero, "CalcReciLinFit");
    const TRunningSums& s = *m_sums;
    const TLine line = TransformedLine(s.reciLin, {s.x, s.xx, s.recY, s.xRecY});
    k0 = line.intercept;
    k1 = line.slope;
    quality = line.quality;
}

void TCurveFit::CalcLogFit(double& k0, double& k1, double& quality)
{
    k0 = k1 = quality = 0;
    if (m_pointCount <= 2) Fail(ecNotEnoughPoints, "CalcLogFit");
    SumTransformed();
    if (m_sumFlags & sfXNotPositive) Fail(ecXNotPositive, "CalcLogFit");
    const TRunningSums& s = *m_sums;
    const TLine line = TransformedLine(s.log, {s.lnX, s.lnXlnX, s.y, s.yLnX});
    k0 = line.intercept;
    k1 = line.slope;
    quality = line.quality;
}

void TCurveFit::CalcReciLogFit(double& k0, double& k1, double& quality)
{
    k0 = k1 = quality = 0;
    if (m_pointCount <= 2) Fail(ecNotEnoughPoints, "CalcReciLogFit");
    SumTransformed();
    if (m_sumFlags & (sfYNearZero | sfYNotPositive)) Fail(ecYNotPositive, "CalcReciLogFit");
    if (m_sumFlags & sfXNotPositive) Fail(ecXNotPositive, "CalcReciLogFit");
    const TRunningSums& s = *m_sums;
    const TLine line = TransformedLine(s.reciLog, {s.lnX, s.lnXlnX, s.recY, s.lnXRecY});
    k0 = line.intercept;
    k1 = line.slope;
    quality = line.quality;
}

void TCurveFit::CalcExponentialFit(double& k0, double& k1, double& quality)
{
    k0 = k1 = quality = 0;
    if (m_pointCount <= 2) Fail(ecNotEnoughPoints, "CalcExponentialFit");
    SumTransformed();
    if (m_sumFlags & sfYNotPositive) Fail(ecYNotPositive, "CalcExponentialFit");
    if (m_sumFlags & sfXNotPositive) Fail(ecXNotPositive, "CalcExponentialFit");
    const TRunningSums& s = *m_sums;
    const TLine line = TransformedLine(s.exp, {s.x, s.xx, s.lnY, s.xLnY});
    k1 = line.slope;
    if (line.interceptExtended < kLnSmallestDouble) Fail(ecCannotFit, "CalcExponentialFit");
    TFloatGuard guard;
    const double factor = static_cast<double>(std::exp(line.interceptExtended));
    guard.Check(factor);
    k0 = factor;
    quality = line.quality;
}
