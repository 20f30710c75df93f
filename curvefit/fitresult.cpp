// The statistics of a linear model (see fitresult.h for the conventions).
//
// Every linear model of the engine is a regression Y = sum a_j X^j of a response Y (y, 1/y or
// ln y) on the powers of X (x or ln x): the line and the transformed models on X^0, X^1, the
// parabola on X^0..X^2, the polynomial of order m on X^0..X^m. Its statistics are computed in
// the Chebyshev polynomials T_k(t) of t = (X - centre) / scale, where centre and scale map the
// data's X onto [-1, 1]: the Gram matrix G = T^T W T of that basis is well conditioned whatever
// the origin and unit of x (years, timestamps), so (T^T W T)^-1, the core of every variance,
// keeps its digits. The covariance of the coefficients a of the powers of X is M G^-1 M^T s^2
// with the matrix M that turns Chebyshev coefficients into power coefficients, formed in
// extended precision.
//
// The residuals come from the better of two solutions of the same least-squares problem: the
// model's own coefficients (evaluated in double-double arithmetic, so a fit that is exact, such
// as a polynomial through polynomial data, keeps residuals of exactly 0) and the solution of the
// normal equations in the Chebyshev basis refined once on extended-precision residuals. The
// residual sum of squares of any coefficients exceeds the least-squares one by a positive
// quadratic form of their error, so the smaller sum belongs to the more exact solution.
#include "curvefit/fitresult.h"

#include <algorithm>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <numbers>
#include <span>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "curvefit/formula.h"
#include "curvefit/kernels.h"
#include "curvefit/models.h"
#include "curvefit/numeric.h"

namespace {

using numeric::TDD;

// Points per block of the Gram sums: a block is summed in doubles, the blocks in extended
// precision, so the rounding of a million terms never accumulates in one double.
constexpr int kGramBlock = 512;

// The largest number of basis polynomials (the polynomial of the highest order).
constexpr int kMaxBasis = kMaxPolyOrder + 1;
static_assert(kMaxBasis <= kernels::kMaxChebyshev);

using TSquare = long double[kMaxBasis][kMaxBasis];

// The regressed variables of the points: the engine's own columns where the model regresses y on
// x, transformed copies otherwise.
struct TRegressionData {
    std::size_t Count = 0;
    const double* X = nullptr;
    const double* Y = nullptr;
    std::vector<double> OwnX, OwnY;
    std::vector<double> W;        // empty: every weight 1
    double SumLogW = 0.0;         // sum of ln w, for the likelihood of a weighted fit
};

int BasisSize(const TModel& model)
{
    switch (model.Kind) {
    case mkParabola: return 3;
    case mkPoly: return std::clamp(model.Order, 0, kMaxPolyOrder) + 1;
    default: return 2;
    }
}

TXOf XOfKind(TModelKind kind) { return kind == mkLog || kind == mkReciprocalLog ? xoLnX : xoX; }

TYOf YOfKind(TModelKind kind)
{
    switch (kind) {
    case mkReciprocal:
    case mkReciprocalLog: return yoReciprocal;
    case mkExp: return yoLnY;
    default: return yoY;
    }
}

// The regressed variables of every point. The fit has already accepted the points, so every
// transform is defined.
TRegressionData RegressionData(const TCurveFit& engine, TXOf xOf, TYOf yOf, const std::vector<double>& sigma)
{
    const int n = engine.PointCount();
    const double* xs = engine.PointTable().ColumnData(1);
    const double* ys = engine.PointTable().ColumnData(2);
    TRegressionData d;
    d.Count = std::size_t(n);
    d.X = xs;
    d.Y = ys;
    if (xOf == xoLnX) {
        d.OwnX.resize(d.Count);
        for (int i = 0; i < n; ++i) d.OwnX[std::size_t(i)] = std::log(xs[i]);
        d.X = d.OwnX.data();
    }
    if (yOf != yoY) {
        d.OwnY.resize(d.Count);
        for (int i = 0; i < n; ++i) d.OwnY[std::size_t(i)] = yOf == yoReciprocal ? 1.0 / ys[i] : std::log(ys[i]);
        d.Y = d.OwnY.data();
    }
    if (!sigma.empty()) {
        if (int(sigma.size()) != n) throw EQZLMath2Error(ecSigmaCount);
        d.W.resize(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            const double s = sigma[std::size_t(i)];
            if (!(s > 0) || !std::isfinite(s) || !std::isfinite(1.0 / (s * s)))
                throw EQZLMath2Error(ecSigmaNotPositive, {std::to_string(i + 1)});
            d.W[std::size_t(i)] = 1.0 / (s * s);
            d.SumLogW += std::log(d.W[std::size_t(i)]);
        }
    }
    return d;
}

// T_0(t) .. T_{count-1}(t).
inline void Chebyshev(double t, int count, double* T)
{
    T[0] = 1.0;
    if (count > 1) T[1] = t;
    for (int k = 2; k < count; ++k) T[k] = 2.0 * t * T[k - 1] - T[k - 2];
}

struct TBasisMap {
    double centre = 0.0, scale = 1.0;
    double T(double X) const { return (X - centre) / scale; }
};

TBasisMap MapOf(const TRegressionData& d)
{
    const auto [low, high] = std::minmax_element(d.X, d.X + d.Count);
    TBasisMap map;
    map.centre = *low + (*high - *low) / 2;
    const double half = (*high - *low) / 2;
    map.scale = half > 0 ? half : 1.0;
    return map;
}

// G = sum w T T^T and b = sum w T Y over the points, r polynomials. Since
// T_j T_k = (T_{j+k} + T_{|j-k|}) / 2, G needs only the 2r - 1 moments sum w T_m(t).
void GramSums(const TRegressionData& d, const TBasisMap& map, int r, TSquare G, long double* b)
{
    const int count = std::max(2, 2 * r - 1);
    long double M[2 * kMaxBasis] = {};
    for (int j = 0; j < r; ++j) b[j] = 0;
    const double* ws = d.W.empty() ? nullptr : d.W.data();
    for (std::size_t first = 0; first < d.Count; first += kGramBlock) {
        const int n = static_cast<int>(std::min<std::size_t>(kGramBlock, d.Count - first));
        double m[2 * kMaxBasis], wy[kMaxBasis];
        kernels::Kernels().chebyshevMoments(d.X + first, d.Y + first, ws ? ws + first : nullptr, n, map.centre,
                                            map.scale, count, r, m, wy);
        for (int k = 0; k < count; ++k) M[k] += m[k];
        for (int j = 0; j < r; ++j) b[j] += wy[j];
    }
    for (int j = 0; j < r; ++j)
        for (int k = 0; k < r; ++k) G[j][k] = (M[j + k] + M[j > k ? j - k : k - j]) / 2;
}

// The inverse of the symmetric positive definite G (r x r) by Cholesky's method; false when G
// is not positive definite in the arithmetic.
bool InvertSpd(const TSquare G, int r, TSquare inverse)
{
    long double L[kMaxBasis][kMaxBasis] = {};
    for (int j = 0; j < r; ++j) {
        long double diagonal = G[j][j];
        for (int k = 0; k < j; ++k) diagonal -= L[j][k] * L[j][k];
        if (!(diagonal > 1e-13L * G[j][j]) || !(diagonal > 0)) return false;
        L[j][j] = std::sqrt(diagonal);
        for (int i = j + 1; i < r; ++i) {
            long double s = G[i][j];
            for (int k = 0; k < j; ++k) s -= L[i][k] * L[j][k];
            L[i][j] = s / L[j][j];
        }
    }
    // Column by column: L L^T x = e_c.
    for (int c = 0; c < r; ++c) {
        long double x[kMaxBasis];
        for (int i = 0; i < r; ++i) {
            long double s = i == c ? 1.0L : 0.0L;
            for (int k = 0; k < i; ++k) s -= L[i][k] * x[k];
            x[i] = s / L[i][i];
        }
        for (int i = r - 1; i >= 0; --i) {
            long double s = x[i];
            for (int k = i + 1; k < r; ++k) s -= L[k][i] * x[k];
            x[i] = s / L[i][i];
        }
        for (int i = 0; i < r; ++i) inverse[i][c] = x[i];
    }
    return true;
}

// M with a = M c: the coefficients a_i of X^i of sum c_k T_k((X - centre) / scale).
void PowerMap(const TBasisMap& map, int r, TSquare M)
{
    // tau[k][j]: the coefficient of t^j in T_k(t).
    long double tau[kMaxBasis][kMaxBasis] = {};
    tau[0][0] = 1;
    if (r > 1) tau[1][1] = 1;
    for (int k = 2; k < r; ++k)
        for (int j = 0; j <= k; ++j) tau[k][j] = (j > 0 ? 2 * tau[k - 1][j - 1] : 0) - tau[k - 2][j];
    // t^j = sum_i binom(j, i) X^i (-centre)^(j - i) / scale^j.
    long double binom[kMaxBasis][kMaxBasis] = {};
    for (int j = 0; j < r; ++j) {
        binom[j][0] = 1;
        for (int i = 1; i <= j; ++i) binom[j][i] = binom[j - 1][i - 1] + (i < j ? binom[j - 1][i] : 0);
    }
    const long double c = map.centre, s = map.scale;
    for (int i = 0; i < r; ++i)
        for (int k = 0; k < r; ++k) {
            long double sum = 0;
            for (int j = i; j <= k; ++j)
                sum += tau[k][j] * binom[j][i] * std::pow(-c, static_cast<long double>(j - i)) /
                       std::pow(s, static_cast<long double>(j));
            M[i][k] = sum;
        }
}

// One pass over the points for two solutions of the regression: the Chebyshev coefficients c
// and the model's own coefficients a of the powers of X (none when a is empty). Gives the
// residual sum of each and the moments g = T^T W r of the Chebyshev residuals, which refine c.
struct TResidualPass {
    long double RssChebyshev = 0, RssPower = 0;
    long double Tss = 0;  // sum w (Y - mean)^2
    long double G[kMaxBasis] = {};
};

TResidualPass ResidualPass(const TRegressionData& d, const TBasisMap& map, int r, const long double* c,
                           const std::vector<double>& a, double mean)
{
    TResidualPass pass;
    double cd[kMaxBasis];
    for (int k = 0; k < r; ++k) cd[k] = static_cast<double>(c[k]);
    const double* ws = d.W.empty() ? nullptr : d.W.data();
    for (std::size_t first = 0; first < d.Count; first += kGramBlock) {
        const int n = static_cast<int>(std::min<std::size_t>(kGramBlock, d.Count - first));
        double rss[2], tss, g[kMaxBasis];
        kernels::Kernels().chebyshevResiduals(d.X + first, d.Y + first, ws ? ws + first : nullptr, n, map.centre,
                                              map.scale, r, cd, a.data(), static_cast<int>(a.size()), mean, rss,
                                              &tss, g);
        pass.RssChebyshev += rss[0];
        pass.RssPower += rss[1];
        pass.Tss += tss;
        for (int k = 0; k < r; ++k) pass.G[k] += g[k];
    }
    return pass;
}

// The residuals of the Chebyshev coefficients c, or of the power coefficients a when c is null.
void KeepResiduals(const TRegressionData& d, const TBasisMap& map, int r, const long double* c,
                   const std::vector<double>& a, std::vector<double>& out)
{
    double T[kMaxBasis];
    out.resize(d.Count);
    for (std::size_t i = 0; i < d.Count; ++i) {
        double fitted = 0;
        if (c) {
            Chebyshev(map.T(d.X[i]), r, T);
            for (int k = 0; k < r; ++k) fitted += static_cast<double>(c[k]) * T[k];
        } else {
            fitted = a.back();
            for (std::size_t j = a.size() - 1; j-- > 0;) fitted = fitted * d.X[i] + a[j];
        }
        out[i] = d.Y[i] - fitted;
    }
}

// The model's coefficients as those of the powers of X in the regression: the line's slope comes
// first in the model, exp's k0 is e^a0.
std::vector<long double> PowerCoefficients(const TFitResult& fit, const std::vector<long double>& regressedExp)
{
    const std::vector<double>& k = fit.Coefficients;
    switch (fit.Model.Kind) {
    case mkLine: return {k[1], k[0]};
    case mkExp: return regressedExp;
    default: return {k.begin(), k.end()};
    }
}

int CountDistinct(const double* values, std::size_t count)
{
    std::vector<double> v(values, values + count);
    std::sort(v.begin(), v.end());
    return static_cast<int>(std::unique(v.begin(), v.end()) - v.begin());
}

}  // namespace

double StudentQuantile(double level, int dof)
{
    const boost::math::students_t dist(dof);
    return boost::math::quantile(boost::math::complement(dist, (1 - level) / 2));
}

double StudentTwoSidedP(double t, int dof)
{
    if (std::isinf(t)) return 0.0;
    const boost::math::students_t dist(dof);
    return 2 * boost::math::cdf(boost::math::complement(dist, std::fabs(t)));
}

namespace {

// The spline has no parameter errors: its statistics are the engine's residual sum, trace of the
// smoother matrix and GCV score of the spline of the fit's factor, and its residuals in y are
// those of the fit's own curve.
void AddSplineStatistics(TCurveFit& engine, TFitResult& fit, const TStatisticsOptions& options)
{
    if (!options.Sigma.empty())
        throw EQZLMath2Error(ecSigmaModel);
    // The engine may have gone on to another factor since the fit (the smoothing bar's worker
    // does while the handle is dragged): its statistics are to be those of the curve fitted.
    const double factor = fit.Coefficients.front();
    if (engine.SplineSmoothing() != factor) engine.SetSplineSmoothing(factor);
    const TSplineStats spline = engine.SplineStats();
    TFitStatistics& st = fit.Statistics;
    st = {};
    st.Points = engine.PointCount();
    st.Rss = spline.Rss;
    st.Df = spline.Df;
    st.Gcv = spline.Gcv;
    st.RSquared = fit.Quality;
    if (!options.Residuals) return;
    const double* xs = engine.PointTable().ColumnData(1);
    const double* ys = engine.PointTable().ColumnData(2);
    fit.Residuals.resize(std::size_t(st.Points));
    for (int i = 0; i < st.Points; ++i) {
        double y = 0;
        fit.Spline->Value(xs[i], y);
        fit.Residuals[std::size_t(i)] = ys[i] - y;
    }
}

}  // namespace

void AddStatistics(TCurveFit& engine, TFitResult& fit, const TStatisticsOptions& options)
{
    const TModelKind kind = fit.Model.Kind;
    if (fit.Status == fsFailed) return;
    if (kind == mkSpline) {
        AddSplineStatistics(engine, fit, options);
        return;
    }
    const bool weighted = !options.Sigma.empty();
    if (weighted && kind != mkLine && kind != mkParabola && kind != mkPoly)
        throw EQZLMath2Error(ecSigmaModel);
    // A nonlinear model's statistics come with its fit.
    if (kind == mkNonlinear) return;
    const TXOf xOf = XOfKind(kind);
    const TYOf yOf = YOfKind(kind);
    const TRegressionData d = RegressionData(engine, xOf, yOf, options.Sigma);
    const int n = static_cast<int>(d.Count);
    // A polynomial fitted to no point at all has nothing to tell.
    if (n == 0) return;
    const int p = BasisSize(fit.Model);
    const TBasisMap map = MapOf(d);
    // A polynomial with fewer distinct x than coefficients leaves the higher ones open.
    int r = p;
    if (fit.Truncated || n < p) r = std::min(p, CountDistinct(d.X, d.Count));

    long double G[kMaxBasis][kMaxBasis] = {}, inverse[kMaxBasis][kMaxBasis], b[kMaxBasis];
    GramSums(d, map, r, G, b);
    // T_0 = 1: the first moments are the sum of the weights and the weighted sum of Y.
    const double mean = static_cast<double>(b[0] / G[0][0]);
    const bool regular = InvertSpd(G, r, inverse);

    // The residuals from the better of the two solutions: the Chebyshev one is solved from the
    // normal equations and refined once with the moments of its residuals; the refinement lowers
    // the residual sum by g^T G^-1 g.
    long double cheb[kMaxBasis] = {};
    std::vector<double> own;
    if (!weighted) {
        std::vector<long double> regressedExp;
        if (kind == mkExp) regressedExp = {std::log(static_cast<long double>(fit.Coefficients[0])), fit.Coefficients[1]};
        for (long double v : PowerCoefficients(fit, regressedExp)) own.push_back(static_cast<double>(v));
    }
    long double rss = -1, tss = 0;
    bool chebyshevWins = false;
    if (regular) {
        for (int j = 0; j < r; ++j)
            for (int k = 0; k < r; ++k) cheb[j] += inverse[j][k] * b[k];
        const TResidualPass pass = ResidualPass(d, map, r, cheb, own, mean);
        tss = pass.Tss;
        long double lowered = 0;
        for (int j = 0; j < r; ++j) {
            long double delta = 0;
            for (int k = 0; k < r; ++k) delta += inverse[j][k] * pass.G[k];
            cheb[j] += delta;
            lowered += delta * pass.G[j];
        }
        rss = std::max(0.0L, pass.RssChebyshev - lowered);
        chebyshevWins = weighted || rss < pass.RssPower;
        if (!chebyshevWins) rss = pass.RssPower;
    } else if (!own.empty()) {
        const TResidualPass pass = ResidualPass(d, map, 0, cheb, own, mean);
        rss = pass.RssPower;
        tss = pass.Tss;
    } else {
        throw EQZLMath2Error(ecWeightedSingular);
    }
    long double M[kMaxBasis][kMaxBasis];
    PowerMap(map, r, M);
    if (weighted && regular) {
        // The weighted coefficients replace the unweighted ones: a = M c.
        std::vector<long double> a(std::size_t(p), 0.0L);
        for (int i = 0; i < r; ++i)
            for (int k = 0; k < r; ++k) a[std::size_t(i)] += M[i][k] * cheb[k];
        if (kind == mkLine) fit.Coefficients = {static_cast<double>(a[1]), static_cast<double>(a[0])};
        else for (int j = 0; j < p; ++j) fit.Coefficients[std::size_t(j)] = static_cast<double>(a[std::size_t(j)]);
        fit.Quality = tss > 0 ? static_cast<double>(std::clamp(1 - rss / tss, 0.0L, 1.0L)) : 1.0;
    }
    if (options.Residuals) KeepResiduals(d, map, r, chebyshevWins ? cheb : nullptr, own, fit.Residuals);

    TFitStatistics& st = fit.Statistics;
    st = {};
    st.Points = n;
    st.Rank = r;
    st.Dof = n - r;
    st.Rss = static_cast<double>(rss);
    st.RSquared = fit.Quality;
    const long double s2 = st.Dof > 0 ? rss / st.Dof : 0.0L;
    st.ResidualStdError = static_cast<double>(std::sqrt(s2));
    if (n > r) st.AdjRSquared = 1 - (1 - fit.Quality) * (n - 1) / double(n - r);
    else st.AdjRSquared = fit.Quality;
    if (r > 1 && st.Dof > 0 && s2 > 0) {
        st.HasF = true;
        st.FStatistic = static_cast<double>(((tss - rss) / (r - 1)) / s2);
        const boost::math::fisher_f dist(r - 1, st.Dof);
        st.FPValue = st.FStatistic > 0 ? boost::math::cdf(boost::math::complement(dist, st.FStatistic)) : 1.0;
    }
    if (rss > 0) {
        // -2 log L of the normal model with the maximum-likelihood variance RSS / n.
        const double minus2LogL = n * (std::log(2 * std::numbers::pi) + 1 - std::log(double(n)) +
                                       std::log(static_cast<double>(rss))) -
                                  d.SumLogW;
        st.HasInformation = true;
        st.Aic = minus2LogL + 2.0 * (r + 1);
        st.Bic = minus2LogL + std::log(double(n)) * (r + 1);
    }

    // Errors need degrees of freedom and every coefficient determined.
    fit.HasErrors = regular && st.Dof > 0 && r == p;
    TRegressionBasis& basis = fit.Basis;
    basis = {};
    basis.XOf = xOf;
    basis.YOf = yOf;
    basis.Centre = map.centre;
    basis.Scale = map.scale;
    basis.Rank = r;
    basis.Dof = st.Dof;
    const long double variance = options.AbsoluteSigma ? 1.0L : s2;
    basis.NewPointVariance = static_cast<double>(variance);
    if (regular) {
        basis.Covariance.resize(std::size_t(r * r));
        for (int j = 0; j < r; ++j)
            for (int k = 0; k < r; ++k) basis.Covariance[std::size_t(j * r + k)] = static_cast<double>(variance * inverse[j][k]);
    }

    // The parameters: covariance of the power coefficients a = M c, then the model's order of them.
    // The parameter that holds a_i (the line names its slope first), and the factor of its
    // derivative (exp's k0 = e^a0).
    const auto parameterOf = [&](int i) { return std::size_t(kind == mkLine ? 1 - i : i); };
    const auto factorOf = [&](int i) {
        return kind == mkExp && i == 0 ? static_cast<long double>(fit.Coefficients[0]) : 1.0L;
    };
    const std::size_t count = fit.Coefficients.size();
    const std::vector<std::string> names = ParameterNames(fit.Model);
    fit.Parameters.assign(count, {});
    for (int i = 0; i < p; ++i) fit.Parameters[parameterOf(i)] = {names[parameterOf(i)], fit.Coefficients[parameterOf(i)], 0.0, i < r};
    fit.Covariance.assign(count * count, 0.0);
    if (!fit.HasErrors) return;
    long double cov[kMaxBasis][kMaxBasis];
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < r; ++j) {
            long double s = 0;
            for (int k = 0; k < r; ++k)
                for (int l = 0; l < r; ++l) s += M[i][k] * inverse[k][l] * M[j][l];
            cov[i][j] = variance * s;
        }
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < r; ++j)
            fit.Covariance[parameterOf(i) * count + parameterOf(j)] =
                static_cast<double>(factorOf(i) * factorOf(j) * cov[i][j]);
    // Coefficients of x far beyond 1 in size can take their variances beyond the doubles; the
    // fit stands, its errors are not there then.
    for (double c : fit.Covariance)
        if (!std::isfinite(c)) {
            fit.HasErrors = false;
            fit.Covariance.assign(count * count, 0.0);
            return;
        }
    for (std::size_t j = 0; j < count; ++j) fit.Parameters[j].StdError = std::sqrt(std::max(0.0, fit.Covariance[j * count + j]));
}

TParameterUncertainty ParameterUncertainty(const TFitResult& fit, std::size_t j, double level)
{
    TParameterUncertainty u;
    const TFitParameter& p = fit.Parameters[j];
    u.StdError = p.StdError;
    if (p.StdError > 0) {
        u.TDefined = true;
        u.TValue = p.Value / p.StdError;
        u.PValue = StudentTwoSidedP(u.TValue, fit.Statistics.Dof);
    }
    ParameterInterval(fit, j, level, u.Low, u.High);
    return u;
}

void ParameterInterval(const TFitResult& fit, std::size_t j, double level, double& low, double& high)
{
    const TFitParameter& p = fit.Parameters[j];
    const double q = StudentQuantile(level, fit.Statistics.Dof);
    if (fit.Model.Kind == mkExp && j == 0 && p.Value > 0) {
        const double b0 = std::log(p.Value), se = p.StdError / p.Value;
        low = std::exp(b0 - q * se);
        high = std::exp(b0 + q * se);
        return;
    }
    low = p.Value - q * p.StdError;
    high = p.Value + q * p.StdError;
}

namespace {

// Y back to y; false where the band's end has no y (1/y through 0).
double BackToY(TYOf yOf, double Y)
{
    switch (yOf) {
    case yoReciprocal: return 1.0 / Y;
    case yoLnY: return std::exp(Y);
    default: return Y;
    }
}

// The delta method's band of a nonlinear model: var f(x) = g^T C g with the gradient g of f in
// the parameters at x; a new point adds the residual variance s^2.
TBandPoint NonlinearBandAt(const TFitResult& fit, double x, double level)
{
    TBandPoint band;
    band.X = x;
    const TFitStatistics& st = fit.Statistics;
    if (!fit.HasErrors || !fit.Formula || st.Dof <= 0) return band;
    const std::size_t k = fit.Coefficients.size();
    double y = 0;
    std::vector<double> g(k);
    try {
        fit.Formula->Evaluate(std::span<const double>(&x, 1), fit.Coefficients, std::span<double>(&y, 1), g);
    } catch (const EQZLError&) {
        return band;  // the model has no value or no derivative at x
    }
    long double variance = 0;
    for (std::size_t i = 0; i < k; ++i)
        for (std::size_t j = 0; j < k; ++j) variance += g[i] * static_cast<long double>(fit.Covariance[i * k + j]) * g[j];
    const long double s2 = static_cast<long double>(st.ResidualStdError) * st.ResidualStdError;
    const double q = StudentQuantile(level, st.Dof);
    const double conf = q * static_cast<double>(std::sqrt(std::max(0.0L, variance)));
    const double pred = q * static_cast<double>(std::sqrt(std::max(0.0L, variance) + s2));
    if (!std::isfinite(conf) || !std::isfinite(pred) || !std::isfinite(y + pred) || !std::isfinite(y - pred)) return band;
    band.Defined = true;
    band.Y = y;
    band.ConfLow = y - conf;
    band.ConfHigh = y + conf;
    band.PredLow = y - pred;
    band.PredHigh = y + pred;
    return band;
}

}  // namespace

TBandPoint BandAt(const TFitResult& fit, double x, double level)
{
    if (fit.Model.Kind == mkNonlinear) return NonlinearBandAt(fit, x, level);
    TBandPoint band;
    band.X = x;
    const TRegressionBasis& basis = fit.Basis;
    if (!fit.HasErrors || basis.Covariance.empty() || basis.Dof <= 0) return band;
    if (basis.XOf == xoLnX && !(x > 0)) return band;
    double y = 0;
    try {
        if (!ModelValue(fit, x, y)) return band;
    } catch (const EMathError&) {
        return band;
    }
    const double X = basis.XOf == xoLnX ? std::log(x) : x;
    const double t = (X - basis.Centre) / basis.Scale;
    const int r = basis.Rank;
    double T[kMaxBasis];
    Chebyshev(t, r, T);
    long double variance = 0;
    for (int j = 0; j < r; ++j)
        for (int k = 0; k < r; ++k) variance += T[j] * basis.Covariance[std::size_t(j * r + k)] * T[k];
    const double q = StudentQuantile(level, basis.Dof);
    const double conf = q * static_cast<double>(std::sqrt(std::max(0.0L, variance)));
    const double pred = q * static_cast<double>(std::sqrt(std::max(0.0L, variance + basis.NewPointVariance)));
    // The band in the regressed variable, mapped back through the model.
    const double Y = basis.YOf == yoReciprocal ? 1.0 / y : basis.YOf == yoLnY ? std::log(y) : y;
    if (!std::isfinite(Y)) return band;
    double ends[4] = {Y - conf, Y + conf, Y - pred, Y + pred};
    if (basis.YOf == yoReciprocal && (ends[2] <= 0) != (ends[3] <= 0)) {
        // The interval of 1/y holds 0: its y has no bound on either side.
        return band;
    }
    for (double& e : ends) e = BackToY(basis.YOf, e);
    for (double e : ends)
        if (!std::isfinite(e)) return band;
    band.Defined = true;
    band.Y = y;
    band.ConfLow = std::min(ends[0], ends[1]);
    band.ConfHigh = std::max(ends[0], ends[1]);
    band.PredLow = std::min(ends[2], ends[3]);
    band.PredHigh = std::max(ends[2], ends[3]);
    return band;
}

bool ResidualSumInY(const TCurveFit& engine, const TFitResult& fit, double& rss)
{
    const int n = engine.PointCount();
    const double* xs = engine.PointTable().ColumnData(1);
    const double* ys = engine.PointTable().ColumnData(2);
    long double sum = 0;
    for (int i = 0; i < n; ++i) {
        double y = 0;
        try {
            if (!ModelValue(fit, xs[i], y)) return false;
        } catch (const EMathError&) {
            return false;
        }
        const long double e = static_cast<long double>(ys[i]) - y;
        sum += e * e;
    }
    rss = static_cast<double>(sum);
    return std::isfinite(rss);
}
