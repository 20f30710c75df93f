// The smoothing spline of TCurveFit: the points sorted, scaled and merged into knots, the spline
// of the knots (reinsch.cpp) for the factor the user set or for the smoothing chosen by
// generalised cross-validation or a target for the degrees of freedom, and its evaluation.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"
#include "curvefit/kernels.h"
#include "curvefit/reinsch.h"

namespace {

using reinsch::LineFit;
using reinsch::TLine;

// Sorts the points (x_i, y_i), i = 0..n-1, by x into x[1..n], y[1..n] (pairs stay together,
// points with equal x keep their order), by radix sort on the bits of x: 11 bits a pass, passes
// in which every point has the same digit skipped. Every double has its place, NaN included.
void SortPoints(const double* px, const double* py, int n, std::vector<double>& x, std::vector<double>& y)
{
    struct TKeyed {
        std::uint64_t key;
        double y;
    };
    constexpr int kBits = 11;
    constexpr int kPasses = (64 + kBits - 1) / kBits;
    constexpr std::uint64_t kMask = (std::uint64_t(1) << kBits) - 1;
    std::vector<TKeyed> from(std::size_t(std::max(n, 0)));
    std::vector<std::size_t> counts(std::size_t(kPasses) << kBits, 0);
    for (int i = 0; i < n; ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &px[i], sizeof bits);
        // The order of the doubles as unsigned integers: negatives reversed below the positives.
        bits = bits >> 63 ? ~bits : bits | (std::uint64_t(1) << 63);
        from[i] = {bits, py[i]};
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[(std::size_t(pass) << kBits) + ((bits >> (pass * kBits)) & kMask)];
    }
    std::vector<TKeyed> to;
    for (int pass = 0; pass < kPasses; ++pass) {
        std::size_t* count = counts.data() + (std::size_t(pass) << kBits);
        if (n == 0 || count[(from[0].key >> (pass * kBits)) & kMask] == std::size_t(n)) continue;
        if (to.empty()) to.resize(from.size());
        std::size_t sum = 0;
        for (std::uint64_t digit = 0; digit <= kMask; ++digit) {
            const std::size_t c = count[digit];
            count[digit] = sum;
            sum += c;
        }
        for (const TKeyed& point : from) to[count[(point.key >> (pass * kBits)) & kMask]++] = point;
        from.swap(to);
    }
    to = std::vector<TKeyed>();
    x.assign(std::size_t(n) + 1, 0.0);
    y.assign(std::size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i) {
        std::uint64_t bits = from[i].key;
        bits = bits >> 63 ? bits & ~(std::uint64_t(1) << 63) : ~bits;
        std::memcpy(&x[i + 1], &bits, sizeof bits);
        y[i + 1] = from[i].y;
    }
}

// v[i] := ldexp(v[i], exponent) for i < count: a product with the power of two where that power
// is a double of full precision (the same result, rounded once), ldexp itself otherwise.
void ScaleByPowerOfTwo(double* v, int count, int exponent)
{
    if (exponent >= -1000 && exponent <= 1000) {
        const double factor = std::ldexp(1.0, exponent);
        for (int i = 0; i < count; ++i) v[i] *= factor;
    } else {
        for (int i = 0; i < count; ++i) v[i] = std::ldexp(v[i], exponent);
    }
}

}  // namespace

namespace {

// Points whose x lie closer to their neighbour than this share of the range of x become one knot.
// The spline's second differences divide by the spacings, so two x a billionth of the range apart
// weigh their y's rounding by a billion and decide nothing a drawing, a residual or the data's own
// precision could show; as one knot (the mean x, the points' mean y, their number as weight) they
// are smoothed like any other. Runs of such spacings are merged whole, so neighbouring knots always
// lie more than the share apart, and two near x never fall into different knots. R merges by
// rounding x to 1e-6 of the interquartile range; a share a hundred times smaller merges only one
// in ten of ten million uniformly random points, and merged runs stay a few points long.
constexpr double kTieShare = 1e-8;

// The knots of the sorted points x[1..n], y[1..n], written over them: runs of x each within
// kTieShare of the range of its neighbour become one knot at their mean x, with the mean of their
// y and its standard deviation 1 / sqrt(points) in dy. dy stays empty when nothing was merged.
// within receives the scatter of y about their knots' means. Returns the number of knots.
int MergeTies(std::vector<double>& x, std::vector<double>& y, int n, std::vector<double>& dy, double& within)
{
    within = 0.0;
    const double tolerance = kTieShare * (x[n] - x[1]);
    bool tied = false;
    for (int i = 1; i < n && !tied; ++i) tied = x[i + 1] - x[i] <= tolerance;
    if (!tied) return n;
    dy.assign(std::size_t(n) + 1, 0.0);
    int knots = 0;
    for (int i = 1; i <= n;) {
        int last = i;
        while (last < n && x[last + 1] - x[last] <= tolerance) ++last;
        // Offsets from the first x: exact ties keep their x exactly.
        const double first = x[i];
        double offsets = 0.0, sumY = 0.0;
        for (int k = i; k <= last; ++k) {
            offsets += x[k] - first;
            sumY += y[k];
        }
        const double count = last - i + 1;
        const double meanY = sumY / count;
        for (int k = i; k <= last; ++k) within += (y[k] - meanY) * (y[k] - meanY);
        ++knots;   // knots <= i: the run was read before its knot is written
        x[knots] = first + offsets / count;
        y[knots] = meanY;
        dy[knots] = 1.0 / std::sqrt(count);
        i = last + 1;
    }
    for (auto* values : {&x, &y, &dy}) {
        values->resize(std::size_t(knots) + 1);
        values->shrink_to_fit();
    }
    return knots;
}

// The trace of (p Q^T D^2 Q + T)^-1 T over the knots x[1..m] with standard deviations dy (nullptr:
// all 1): the smoother matrix's trace less 2. Factoring that matrix itself meets the square of the
// condition that the spline's solver avoids (at a million random points it leaves no digit, even
// in long double); so, as the solver does, the stacked matrix [D Q; L^T / sqrt(p)], whose normal
// matrix is (p Q^T D^2 Q + T) / p, is reduced to its triangular factor R by Givens rotations, and
// the band of (R^T R)^-1 follows from the bottom up (Hutchinson and de Hoog): linear in m.
double TraceOfInverseTimesT(const double* x, const double* dy, int m, double p)
{
    const int count = m - 2;   // the unknowns at the inner knots 2..m-1, here columns 0..count-1
    if (count <= 0) return 0.0;
    auto h = [x](int i) { return x[i + 1] - x[i]; };
    auto weight = [dy](int i) { return dy ? dy[i] : 1.0; };
    // Row k of R: r0 on the diagonal, r1 and r2 right of it; r0 = 0 while the row is empty.
    std::vector<double> r0(std::size_t(count) + 2, 0.0), r1(r0), r2(r0);
    auto rotateIn = [&](int k, double e0, double e1, double e2) {
        for (; k < count; ++k) {
            if (e0 != 0.0) {
                if (r0[k] == 0.0) {
                    r0[k] = e0;
                    r1[k] = e1;
                    r2[k] = e2;
                    return;
                }
                const double r = std::sqrt(r0[k] * r0[k] + e0 * e0);
                const double cs = r0[k] / r, sn = e0 / r;
                const double n1 = -sn * r1[k] + cs * e1, n2 = -sn * r2[k] + cs * e2;
                r0[k] = r;
                r1[k] = cs * r1[k] + sn * e1;
                r2[k] = cs * r2[k] + sn * e2;
                e1 = n1;
                e2 = n2;
            }
            e0 = e1;
            e1 = e2;
            e2 = 0.0;
            if (e0 == 0.0 && e1 == 0.0) return;
        }
    };
    const double root = std::sqrt(p);
    double lo = 0.0;
    // Data row r (knot r) has 1/h_(r-1), -1/h_(r-1) - 1/h_r, 1/h_r at the knots r-1, r, r+1, of
    // which the inner knots are unknowns; its first unknown is the column max(r - 3, 0).
    auto dataRow = [&](int r) {
        const double left = r > 1 ? 1.0 / h(r - 1) : 0.0, right = r < m ? 1.0 / h(r) : 0.0, w = weight(r);
        double e[3] = {0.0, 0.0, 0.0};
        int first = r - 3;   // column of knot r - 1
        const double values[3] = {w * left, -w * (left + right), w * right};
        int n = 0;
        for (int k = 0; k < 3; ++k) {
            const int column = first + k;
            if (column < 0 || column >= count) continue;
            if (n == 0) first = column;
            e[n++] = values[k];
        }
        if (n > 0) rotateIn(first, e[0], e[1], e[2]);
    };
    dataRow(1);
    dataRow(2);
    for (int k = 0; k < count; ++k) {
        const int j = k + 2;
        // Row k of L^T / sqrt(p), T = L L^T (T's diagonal 2 (h_(j-1) + h_j) / 3, off-diagonal h_j / 3).
        const double ld = std::sqrt(2.0 * (h(j - 1) + h(j)) / 3.0 - lo * lo);
        const double next = k + 1 < count ? h(j) / 3.0 / ld : 0.0;
        rotateIn(k, ld / root, next / root, 0.0);
        lo = next;
        dataRow(j + 1);
    }
    double trace = 0.0;
    double s11 = 0.0, s12 = 0.0, s22 = 0.0;   // (R^T R)^-1 at (k+1, k+1), (k+1, k+2), (k+2, k+2)
    for (int k = count - 1; k >= 0; --k) {
        const int j = k + 2;
        const double s02 = -(r1[k] * s12 + r2[k] * s22) / r0[k];
        const double s01 = -(r1[k] * s11 + r2[k] * s12) / r0[k];
        const double s00 = (1.0 / r0[k] - r1[k] * s01 - r2[k] * s02) / r0[k];
        trace += s00 * (2.0 * (h(j - 1) + h(j)) / 3.0) + (k + 1 < count ? 2.0 * s01 * (h(j) / 3.0) : 0.0);
        s22 = s11;
        s12 = s01;
        s11 = s00;
    }
    return trace / p;
}

// The scale of p at which the penalty and the data weigh alike for evenly spread knots:
// trace(T) / trace(Q^T D^2 Q) = 2 h^3 / 9 for the mean spacing h and unit weights. (The traces of
// randomly spread knots are ruled by their closest pairs, which say nothing about the curve.)
double PenaltyScale(const double* x, const double* dy, int m)
{
    const double h = (x[m] - x[1]) / (m - 1);
    double variance = 1.0;
    if (dy) {
        variance = 0.0;
        for (int i = 1; i <= m; ++i) variance += dy[i] * dy[i];
        variance /= m;
    }
    return 2.0 * h * h * h / 9.0 / variance;
}

// The spline at x from its knots x[1..n] (scaled by 2^-xExponent), values a and halved curvatures
// c (scaled by 2^-yExponent): valid only for x inside [low, high], the data's ends unscaled.
double EvaluateSpline(const std::vector<double>& knots, const std::vector<double>& a, const std::vector<double>& c,
                      int xExponent, int yExponent, double low, double high, double x, bool& valid)
{
    valid = false;
    const int n = int(knots.size()) - 1;
    if (n < 1 || !(low <= x && x <= high)) return 0.0;
    // x is scaled as the knots were (within the range: a scaled x may only round onto an end; the
    // end knots of merged points lie within the data's ends).
    x = std::clamp(std::ldexp(x, -xExponent), knots[1], knots[n]);
    valid = true;
    // The piece of the largest knot not right of x; at x_n that is the last knot, h = 0.
    const auto knot = std::upper_bound(knots.begin() + 1, knots.begin() + n + 1, x);
    const int i = int(knot - knots.begin()) - 1;
    double result = 0.0;
    if (i >= n) {
        result = a[n];
    } else {
        double b = 0.0, d = 0.0;
        reinsch::PieceCoefficients(knots.data(), a.data(), c.data(), i, b, d);
        const double h = x - knots[i];
        result = ((d * h + c[i]) * h + b) * h + a[i];
    }
    return std::ldexp(result, yExponent);
}

// A chosen df this close (relative) to its target is as close as the allowance's own resolution
// lets it be.
constexpr double kDfResolution = 1e-9;
// Golden-section steps stop when the bracket of log10 p is this narrow: p is then known to half a
// per cent, finer than the score's flat minimum tells apart (df moves by about a tenth of that).
constexpr double kChoiceResolution = 2e-3;

// The positions tried for the user are p = scale 10^k (PenaltyScale): from where the data rule
// (the spline all but interpolates) in steps of kScanStep decades until the penalty has left the
// straight line (df within kLineDf of it), at most kMostDecades decades.
constexpr double kFirstDecade = -3.0;
constexpr int kMostDecades = 60;
constexpr double kLineDf = 2.001;
constexpr double kScanStep = 2.0;
// A score this much above the lowest (relative) has risen out of the minimum.
constexpr double kRiseFactor = 1.01;

}  // namespace

bool TSplineCurve::Value(double x, double& y) const
{
    bool valid = false;
    y = EvaluateSpline(m_x, m_a, m_c, m_xExponent, m_yExponent, m_lowX, m_highX, x, valid);
    return valid;
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
    const double result = EvaluateSpline(m_splineX, m_splineA, m_splineC, m_splineXExponent, m_splineYExponent,
                                         m_splineLowX, m_splineHighX, x, valid);
    quality = m_splineQuality;
    return result;
}

TSplineCurve TCurveFit::SplineCurve()
{
    if (!m_splineValid) PrepareSpline();
    TSplineCurve curve;
    curve.m_x = m_splineX;
    curve.m_a = m_splineA;
    curve.m_c = m_splineC;
    curve.m_xExponent = m_splineXExponent;
    curve.m_yExponent = m_splineYExponent;
    curve.m_lowX = m_splineLowX;
    curve.m_highX = m_splineHighX;
    return curve;
}

// The equivalent degrees of freedom of the prepared spline: the trace of the smoother matrix
// I - p D^2 Q (p Q^T D^2 Q + T)^-1 Q^T of the knots, which is 2 + trace((p Q^T D^2 Q + T)^-1 T):
// the number of knots for the interpolating spline (p = 0), 2 for the straight line.
double TCurveFit::SplineDf() const
{
    const int knots = int(m_splineX.size()) - 1;
    if (m_splineIsLine) return 2.0;
    if (m_splineStartP == 0.0) return knots;
    TFloatGuard guard;
    const double df =
        2.0 + TraceOfInverseTimesT(m_splineX.data(), m_splineDy.empty() ? nullptr : m_splineDy.data(), knots,
                                   m_splineStartP);
    guard.Check(df);
    return df;
}

TSplineStats TCurveFit::SplineStats()
{
    if (!m_splineValid) PrepareSpline();
    TSplineStats stats;
    stats.Smoothing = m_splineSmoothing;
    stats.Rss = std::ldexp(m_splineRss, 2 * m_splineYExponent);
    stats.Df = SplineDf();
    const double n = m_pointCount;
    // The interpolating spline of distinct x leaves no residual to judge it by: an infinite score.
    stats.Gcv = n > stats.Df ? n * stats.Rss / ((n - stats.Df) * (n - stats.Df))
                             : std::numeric_limits<double>::infinity();
    return stats;
}

// The spline of the knots at the Lagrange parameter p itself (one pass of the band solver), held
// as the spline of the factor it amounts to: its residual over every point as a share of the
// straight line's.
void TCurveFit::PrepareSplineAtP(double p)
{
    const int knots = int(m_splineX.size()) - 1;
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    m_splineValid = m_splineHeld = false;
    m_splineA.assign(std::size_t(knots) + 1, 0.0);
    m_splineC.assign(std::size_t(knots) + 1, 0.0);
    const std::unique_ptr<double[]> b(new double[std::size_t(knots) + 1]), d(new double[std::size_t(knots) + 1]);
    // A positive allowance equal to the settled one makes the solver take p as it is.
    reinsch::TStart start{p, 1.0, 0.0};
    m_splinePasses = reinsch::SmoothingSpline(1.0, {1, knots, m_splineX.data(), m_splineY.data(), dy},
                                              m_splineA.data(), b.get(), m_splineC.data(), d.get(), start);
    m_splineStartP = start.p;
    m_splineIsLine = false;
    FinishSpline();
    m_splineSmoothing = m_splineLineResidual > 0.0 ? m_splineRss / m_splineLineResidual : 0.0;
    m_splineSettledS = std::max(m_splineLineResidual * m_splineSmoothing - m_splineWithin, 0.0);
    m_splineHeld = true;
    m_splineHeldFactor = m_splineSmoothing;
    m_splineValid = true;
}

double TCurveFit::ChooseSplineSmoothingByGcv()
{
    if (m_pointCount < 2) throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"});
    if (!m_splineSorted) SortSplinePoints();
    const int knots = int(m_splineX.size()) - 1;
    if (knots < 3) {
        // Two knots: the line through them is every spline.
        SetSplineSmoothing(1.0);
        PrepareSpline();
        return m_splineSmoothing;
    }
    const double scale = PenaltyScale(m_splineX.data(), m_splineDy.empty() ? nullptr : m_splineDy.data(), knots);
    auto score = [&](double decade) {
        // The cancel flag stops the search between two tries; the spline of the last try is held.
        if (m_splineCancel && m_splineCancel->load(std::memory_order_relaxed)) throw ESplineCancelled();
        PrepareSplineAtP(scale * std::pow(10.0, decade));
        return SplineStats().Gcv;
    };
    // The score may have more than one minimum: a pass over the decades of p, two at a time, finds
    // the lowest, a golden-section search between its neighbours settles it. df falls like p^-1/4,
    // so the pass crosses the whole range in about 2 log10(n) steps; it ends at the straight line,
    // or once the score has risen well above the lowest twice in a row (towards the line it
    // only rises further).
    double best = kFirstDecade, bestScore = score(best);
    int rises = 0;
    for (double decade = kFirstDecade + kScanStep; decade < kFirstDecade + kMostDecades; decade += kScanStep) {
        const double s = score(decade);
        if (s < bestScore) {
            best = decade;
            bestScore = s;
        }
        rises = s > kRiseFactor * bestScore ? rises + 1 : 0;
        if (SplineDf() < kLineDf || rises >= 2) break;
    }
    double a = best - kScanStep, b = best + kScanStep;
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double c = b - ratio * (b - a), d = a + ratio * (b - a);
    double sc = score(c), sd = score(d);
    while (b - a > kChoiceResolution) {
        if (sc <= sd) {
            b = d;
            d = c;
            sd = sc;
            c = b - ratio * (b - a);
            sc = score(c);
        } else {
            a = c;
            c = d;
            sc = sd;
            d = a + ratio * (b - a);
            sd = score(d);
        }
    }
    const double chosen = std::min(sc, sd) <= bestScore ? (sc <= sd ? c : d) : best;
    PrepareSplineAtP(scale * std::pow(10.0, chosen));
    return m_splineSmoothing;
}

double TCurveFit::ChooseSplineSmoothingForDf(double df)
{
    if (m_pointCount < 2) throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"});
    if (!m_splineSorted) SortSplinePoints();
    const int knots = int(m_splineX.size()) - 1;
    // df falls from the number of knots (the interpolating spline) to 2 (the line).
    if (!(df >= 2.0 && df <= knots))
        throw EQZLMath2Error(ecSplineDfRange);
    if (df == 2.0 || df == knots) {
        SetSplineSmoothing(df == 2.0 ? 1.0 : 0.0);
        PrepareSpline();
        return m_splineSmoothing;
    }
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    const double scale = PenaltyScale(m_splineX.data(), dy, knots);
    auto dfAt = [&](double decade) {
        TFloatGuard guard;
        const double at = 2.0 + TraceOfInverseTimesT(m_splineX.data(), dy, knots, scale * std::pow(10.0, decade));
        guard.Check(at);
        return at;
    };
    // df needs no spline: bracket the target by decades, then close in by false position on the
    // decade (halving the weight of an end that stays, so that neither end sticks).
    double a = kFirstDecade, b = kFirstDecade;
    double fa = dfAt(a) - df;
    while (fa < 0.0 && a > kFirstDecade - kMostDecades) fa = dfAt(a -= 1.0) - df;
    b = a;
    double fb = fa;
    while (fb > 0.0 && b < kFirstDecade + kMostDecades) {
        a = b;
        fa = fb;
        fb = dfAt(b += 1.0) - df;
    }
    int side = 0;
    for (int k = 0; k < 100 && b - a > 1e-13 && fa != fb; ++k) {
        const double middle = (a * fb - b * fa) / (fb - fa);
        const double at = dfAt(middle) - df;
        if (std::fabs(at) <= kDfResolution * df) {
            a = b = middle;
            break;
        }
        if (at > 0.0) {
            a = middle;
            fa = at;
            if (side == 1) fb *= 0.5;
            side = 1;
        } else {
            b = middle;
            fb = at;
            if (side == -1) fa *= 0.5;
            side = -1;
        }
    }
    PrepareSplineAtP(scale * std::pow(10.0, 0.5 * (a + b)));
    return m_splineSmoothing;
}

// Sorts the points by x (pairs stay together), refuses points that are not finite, scales them by
// powers of two so that the largest |x| and |y| lie in [0.5, 1), fits the straight line and merges
// ties into knots. The scaling is exact, so the spline of (2^a x, 2^b y) is that of (x, y) mapped,
// bit for bit, and neither spacings spread over many decades nor y near the ends of the doubles
// reach the limits of the arithmetic.
void TCurveFit::SortSplinePoints()
{
    const int n = m_pointCount;
    // The arrays of earlier points go first, so they add nothing to the peak.
    for (auto* values : {&m_splineX, &m_splineY, &m_splineA, &m_splineC, &m_splineDy}) *values = std::vector<double>();
    SortPoints(m_points.ColumnData(1), m_points.ColumnData(2), n, m_splineX, m_splineY);
    // A point that is not finite has no place on a curve, whatever the factor: NaN and infinite x
    // sort to the ends.
    double largestY = 0.0;
    bool finite = std::isfinite(m_splineX[1]) && std::isfinite(m_splineX[n]);
    for (int i = 1; i <= n; ++i) {
        finite = finite && std::isfinite(m_splineY[i]);
        largestY = std::max(largestY, std::fabs(m_splineY[i]));
    }
    if (!finite) throw EInvalidOp();
    const double largestX = std::max(std::fabs(m_splineX[1]), std::fabs(m_splineX[n]));
    m_splineXExponent = m_splineYExponent = 0;
    m_splineLowX = m_splineX[1];
    m_splineHighX = m_splineX[n];
    std::frexp(largestX, &m_splineXExponent);
    std::frexp(largestY, &m_splineYExponent);
    ScaleByPowerOfTwo(m_splineX.data() + 1, n, -m_splineXExponent);
    ScaleByPowerOfTwo(m_splineY.data() + 1, n, -m_splineYExponent);

    // The straight line of all the points (that of the scaled points: the line of the points,
    // mapped), centred about the means, and the spread of y for the quality.
    TFloatGuard guard;
    const TLine line = LineFit({1, n, m_splineX.data(), m_splineY.data(), nullptr});
    m_splineLineResidual = line.residual;
    m_splineLineMeanX = line.meanX;
    m_splineLineMeanY = line.meanY;
    m_splineLineSlope = line.slope;
    const double mean = std::ldexp(MeanY(), -m_splineYExponent);
    double spread = 0.0;
    for (int i = 1; i <= n; ++i) spread += (m_splineY[i] - mean) * (m_splineY[i] - mean);
    m_splineSpread = spread;
    guard.Check(m_splineLineResidual, m_splineSpread);
    const int knots = MergeTies(m_splineX, m_splineY, n, m_splineDy, m_splineWithin);
    // All x equal: one knot, no spline.
    if (knots < 2) throw EQZLMath2Error(ecSplineIdenticalX);
    m_splineSorted = true;
}

// The residual sum of squares over every point, and the quality, of the spline in m_splineA.
void TCurveFit::FinishSpline()
{
    const int knots = int(m_splineX.size()) - 1;
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    TFloatGuard guard;
    double rss = m_splineWithin;
    for (int i = 1; i <= knots; ++i) {
        const double residual = m_splineY[i] - m_splineA[i];
        rss += dy ? residual * residual / (dy[i] * dy[i]) : residual * residual;
    }
    m_splineRss = rss;
    const double sst = m_splineSpread;
    // Without spread of y the quality is the residual sum of squares itself, in the unit of y.
    m_splineQuality = sst != 0.0 ? (sst - rss) / sst : std::ldexp(rss, 2 * m_splineYExponent);
    guard.Check(m_splineQuality);
}

// Computes the spline of the knots under the allowance and its coefficient of determination over
// every point. The allowance keeps its meaning over all the points: the residual over every point
// is the factor times the straight line's, which is the knots' weighted residual plus the scatter
// within them; where the factor allows less than that scatter, the spline passes through the
// knots' means. The sorted knots are kept while the points are the same, and the preparation then
// starts the iteration from the previous p; for the factor of the last preparation (a redraw) it
// finds that spline kept, and solves nothing. At most six doubles per point are held on the way.
void TCurveFit::PrepareSpline()
{
    const int n = m_pointCount;
    m_splineValid = false;
    kernels::ClearWideState();
    // CalcLinFit's check, ahead of the line below.
    if (n < 2) throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"});
    if (m_splineSorted && m_splineHeld && m_splineHeldFactor == m_splineSmoothing) {
        // The same points and factor (a redraw): the spline is the one computed last time.
        m_splinePasses = 0;
        m_splineValid = true;
        return;
    }
    m_splineHeld = false;
    if (!m_splineSorted) SortSplinePoints();
    const int knots = int(m_splineX.size()) - 1;
    const std::vector<double>& xs = m_splineX;
    const std::vector<double>& ys = m_splineY;
    const double* dy = m_splineDy.empty() ? nullptr : m_splineDy.data();
    m_splineA.assign(std::size_t(knots) + 1, 0.0);
    m_splineC.assign(std::size_t(knots) + 1, 0.0);

    double allowance = 0.0;
    {
        TFloatGuard guard;
        allowance = std::max(m_splineLineResidual * m_splineSmoothing - m_splineWithin, 0.0);
        guard.Check(allowance);
    }
    m_splineIsLine = m_splineSmoothing >= 1.0;
    if (m_splineIsLine) {
        m_splinePasses = 0;
        // An allowance of the line's own residual (or more) leaves the straight line, with no
        // curvature, as the smoothing spline: the iteration's limit for p without bound, which it
        // would approach pass by pass until p overflows. The line is taken at once.
        TFloatGuard guard;
        for (std::size_t i = 1; i <= std::size_t(knots); ++i)
            m_splineA[i] = m_splineLineMeanY + m_splineLineSlope * (xs[i] - m_splineLineMeanX);
        guard.Check(m_splineA[1], m_splineA[std::size_t(knots)]);
    } else {
        // The knots' own line: the one of all the points, but for merged near ties.
        const double knotLine =
            dy ? LineFit({1, knots, xs.data(), ys.data(), dy}).residual : m_splineLineResidual;
        // Work space the spline fills before it reads it: left uninitialised.
        const std::unique_ptr<double[]> b(new double[std::size_t(knots) + 1]), d(new double[std::size_t(knots) + 1]);
        reinsch::TStart start{m_splineStartP, m_splineSettledS, m_splineSettledPower};
        try {
            m_splinePasses = reinsch::SmoothingSpline(allowance, {1, knots, xs.data(), ys.data(), dy}, m_splineA.data(),
                                                      b.get(), m_splineC.data(), d.get(), start, m_splineCancel,
                                                      knotLine);
        } catch (const ESplineCancelled&) {
            // The p kept belongs to no allowance: the next preparation iterates from it.
            m_splineStartP = start.p;
            m_splineSettledPower = start.settledPower;
            m_splineSettledS = -1.0;
            throw;
        }
        m_splineStartP = start.p;
        m_splineSettledPower = start.settledPower;
        m_splineSettledS = allowance;
    }

    FinishSpline();
    m_splineHeld = true;
    m_splineHeldFactor = m_splineSmoothing;
    m_splineValid = true;
}
