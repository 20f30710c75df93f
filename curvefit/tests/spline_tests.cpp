#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "testsupport/testsupport.h"

using testsupport::AgreesTo;

namespace {

using Points = std::vector<std::pair<double, double>>;

void Fill(TCurveFit& fit, const Points& points)
{
    fit.ClearData();
    for (auto [x, y] : points) fit.AddPoint(x, y);
}

double Spline(TCurveFit& fit, double x, bool* validOut = nullptr, double* qualityOut = nullptr)
{
    bool valid = false;
    double quality = -1.0;
    const double value = fit.SplineValue(x, quality, valid);
    if (validOut) *validOut = valid;
    if (qualityOut) *qualityOut = quality;
    return value;
}

std::string MessageOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EQZLMath2Error& e) {
        return e.what();
    }
    return "(no error)";
}

// The coefficients of a spline computed directly on sorted points (arrays from index 1).
struct DirectSpline {
    std::vector<double> x, y, a, b, c, d;
    int steps = 0;
};

DirectSpline SolveDirect(Points points, double S)
{
    std::sort(points.begin(), points.end());
    const int n = int(points.size());
    DirectSpline s;
    s.x.assign(n + 1, 0.0);
    s.y.assign(n + 1, 0.0);
    for (int i = 0; i < n; ++i) {
        s.x[i + 1] = points[i].first;
        s.y[i + 1] = points[i].second;
    }
    const std::vector<double> dy(n + 1, 1.0);
    for (auto* v : {&s.a, &s.b, &s.c, &s.d}) v->assign(n + 1, 0.0);
    s.steps = PenalizedCubicSpline(S, 1, n, s.x.data(), s.y.data(), dy.data(), s.a.data(), s.b.data(), s.c.data(),
                                   s.d.data());
    return s;
}

const Points kHat = {{0, 0}, {1, 1}, {2, 0}};

TEST(SplineValue, FactorZeroInterpolatesAndIsValidOnTheDataRangeOnly)
{
    TCurveFit fit;
    Fill(fit, kHat);
    fit.SetSplineSmoothing(0.0);
    for (auto [x, y] : kHat) EXPECT_EQ(Spline(fit, x), y) << "x = " << x;
    bool valid = true;
    EXPECT_EQ(Spline(fit, -0.1, &valid), 0.0);
    EXPECT_FALSE(valid);
    EXPECT_EQ(Spline(fit, 2.1, &valid), 0.0);
    EXPECT_FALSE(valid);
    Spline(fit, std::nextafter(0.0, -1.0), &valid);
    EXPECT_FALSE(valid);
    Spline(fit, std::nextafter(2.0, 3.0), &valid);
    EXPECT_FALSE(valid);
    Spline(fit, 0.0, &valid);
    EXPECT_TRUE(valid);
    Spline(fit, 2.0, &valid);
    EXPECT_TRUE(valid);
    // Natural interpolating spline through the hat: s(0.5) = 11/16.
    EXPECT_TRUE(AgreesTo(Spline(fit, 0.5), 11.0 / 16.0, 14));
}

TEST(SplineValue, FactorOneHalfHalvesTheResidualOfTheLine)
{
    TCurveFit fit;
    Fill(fit, kHat);
    fit.SetSplineSmoothing(0.5);
    const double a1 = Spline(fit, 0), a2 = Spline(fit, 1), a3 = Spline(fit, 2);
    EXPECT_NEAR(a1, 0.2357, 5e-5);
    EXPECT_NEAR(a2, 0.5286, 5e-5);
    EXPECT_TRUE(AgreesTo(a3, a1, 13));
    const double rss = a1 * a1 + (1 - a2) * (1 - a2) + a3 * a3;
    EXPECT_TRUE(AgreesTo(rss, 1.0 / 3.0, 12));
    double quality = -1.0;
    Spline(fit, 1.0, nullptr, &quality);
    EXPECT_TRUE(AgreesTo(quality, (2.0 / 3.0 - 1.0 / 3.0) / (2.0 / 3.0), 12));
}

TEST(SplineValue, FactorOneCollapsesToTheStraightLine)
{
    TCurveFit fit;
    Fill(fit, kHat);
    fit.SetSplineSmoothing(1.0);
    for (double x : {0.0, 0.3, 1.0, 1.7, 2.0}) EXPECT_NEAR(Spline(fit, x), 1.0 / 3.0, 1e-7) << "x = " << x;
}

// At factor 1 (and above) the spline is the least-squares line itself, at once: many noisy points
// once made p grow pass after pass until it overflowed.
TEST(SplineValue, FactorOneIsTheLeastSquaresLineForManyNoisyPoints)
{
    std::mt19937_64 rng(5);
    std::normal_distribution<double> noise(0.0, 1.0);
    Points points;
    for (int i = 0; i < 200000; ++i) {
        const double x = 1e-4 * i;
        points.push_back({x, 3 * std::sin(x) + x + noise(rng)});
    }
    TCurveFit fit;
    Fill(fit, points);
    double k = 0, d = 0, q = 0;
    fit.CalcLinFit(k, d, q);
    for (double factor : {1.0, 1.5}) {
        fit.SetSplineSmoothing(factor);
        double quality = 0;
        for (double x : {0.0, 3.3, 19.9999})
            EXPECT_TRUE(AgreesTo(Spline(fit, x, nullptr, &quality), k * x + d, 12)) << factor << " at " << x;
        EXPECT_TRUE(AgreesTo(quality, q, 12)) << factor;
    }
}

TEST(SplineValue, OrderOfEntryDoesNotMatter)
{
    Points points;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    // Negative and positive x, two of them next to zero.
    for (int i = 0; i < 30; ++i) points.emplace_back(i * 0.37 - 5.0, std::sin(i * 0.37) + 0.3 * u(rng));
    points.emplace_back(-0.05, 0.2);
    points.emplace_back(0.07, -0.1);
    TCurveFit up, down, shuffled;
    Fill(up, points);
    std::reverse(points.begin(), points.end());
    Fill(down, points);
    std::shuffle(points.begin(), points.end(), rng);
    Fill(shuffled, points);
    // The straight line that scales the allowance is summed in entry order, so the splines may
    // differ in the last bits.
    for (double x = -5.0; x <= 29 * 0.37 - 5.0; x += 0.05) {
        EXPECT_NEAR(Spline(up, x), Spline(down, x), 1e-12) << "x = " << x;
        EXPECT_NEAR(Spline(up, x), Spline(shuffled, x), 1e-12) << "x = " << x;
    }
    bool valid = false;
    Spline(up, -5.0, &valid);
    EXPECT_TRUE(valid);
    Spline(up, std::nextafter(-5.0, -6.0), &valid);
    EXPECT_FALSE(valid);
}

TEST(SplineValue, EndsReturnTheEndCoefficients)
{
    TCurveFit fit;
    Fill(fit, {{3, 1}, {1, 2}, {4, 0.5}, {2, 2.5}, {6, 1.5}});
    const DirectSpline s = SolveDirect({{3, 1}, {1, 2}, {4, 0.5}, {2, 2.5}, {6, 1.5}}, 0.0);
    fit.SetSplineSmoothing(0.0);
    EXPECT_EQ(Spline(fit, 1.0), s.a[1]);
    EXPECT_EQ(Spline(fit, 6.0), s.a[5]);
}

TEST(SplineValue, AddingAPointOrSettingTheFactorRecomputes)
{
    TCurveFit fit;
    Fill(fit, kHat);
    fit.SetSplineSmoothing(0.0);
    EXPECT_EQ(Spline(fit, 1.0), 1.0);
    fit.AddPoint(3.0, 5.0);
    bool valid = false;
    const double extended = Spline(fit, 2.5, &valid);
    EXPECT_TRUE(valid);
    EXPECT_NE(extended, 0.0);
    EXPECT_EQ(Spline(fit, 3.0), 5.0);
    fit.SetSplineSmoothing(0.5);
    EXPECT_NE(Spline(fit, 3.0), 5.0);
}

TEST(SplineValue, AllYEqualGivesTheResidualAsQuality)
{
    TCurveFit fit;
    Fill(fit, {{0, 2}, {1, 2}, {2.5, 2}, {4, 2}});
    double quality = -1.0;
    EXPECT_EQ(Spline(fit, 1.7, nullptr, &quality), 2.0);
    EXPECT_EQ(quality, 0.0);
}

TEST(SplineValue, RefusesTooFewPointsAndEqualX)
{
    TCurveFit fit;
    EXPECT_EQ(MessageOf([&] { Spline(fit, 0.0); }), "CalcLinFit: not enough data points");
    fit.AddPoint(1, 1);
    EXPECT_EQ(MessageOf([&] { Spline(fit, 1.0); }), "CalcLinFit: not enough data points");
    // Tied x are merged into one knot; only when every x is the same is there no spline.
    Fill(fit, {{2, 1}, {2, 3}, {2, 2}});
    EXPECT_EQ(MessageOf([&] { Spline(fit, 2.0); }), "PenalizedCubicSpline: two or more x-values are identical");
    Fill(fit, {{0.0, 1}, {-0.0, 3}});
    EXPECT_EQ(MessageOf([&] { Spline(fit, 0.0); }), "PenalizedCubicSpline: two or more x-values are identical");
    // The cache stayed invalid, so asking again fails again instead of using partial values.
    EXPECT_EQ(MessageOf([&] { Spline(fit, 0.0); }), "PenalizedCubicSpline: two or more x-values are identical");
}

TEST(PenalizedCubicSpline, RefusesBadBoundsAndDecreasingX)
{
    const double x[] = {0, 0, 1, 3}, y[] = {0, 1, 2, 3}, dy[] = {0, 1, 1, 1};
    double a[4], b[4], c[4], d[4];
    EXPECT_EQ(MessageOf([&] { PenalizedCubicSpline(0.0, 2, 2, x, y, dy, a, b, c, d); }),
              "PenalizedCubicSpline: n1 must not be greater than n2");
    EXPECT_EQ(MessageOf([&] { PenalizedCubicSpline(0.0, 3, 1, x, y, dy, a, b, c, d); }),
              "PenalizedCubicSpline: n1 must not be greater than n2");
    const double down[] = {0, 0, 2, 1};
    EXPECT_EQ(MessageOf([&] { PenalizedCubicSpline(0.0, 1, 3, down, y, dy, a, b, c, d); }),
              "PenalizedCubicSpline: x-values must be increasing");
}

TEST(PenalizedCubicSpline, TwoPointsGiveTheLineThroughThem)
{
    const DirectSpline s = SolveDirect({{1, 2}, {3, 8}}, 0.7);
    EXPECT_EQ(s.a[1], 2.0);
    EXPECT_EQ(s.a[2], 8.0);
    EXPECT_EQ(s.b[1], 3.0);
    EXPECT_EQ(s.c[1], 0.0);
    EXPECT_EQ(s.d[1], 0.0);
}

// The definition of the result: for 0 < factor < 1 the residual sum of squares equals the
// allowance, and the pieces join into a natural cubic spline.
struct PropertyCase {
    const char* name;
    int n;
    double factor;
};

const PropertyCase kPropertyCases[] = {
    {"Points10Factor005", 10, 0.05},   {"Points10Factor05", 10, 0.5},       {"Points10Factor095", 10, 0.95},
    {"Points100Factor005", 100, 0.05}, {"Points100Factor05", 100, 0.5},     {"Points100Factor095", 100, 0.95},
    {"Points10000Factor005", 10000, 0.05}, {"Points10000Factor05", 10000, 0.5}, {"Points10000Factor095", 10000, 0.95},
    // Beyond 16000 points the iteration starts from a thinned copy of the points.
    {"Points40000Factor005", 40000, 0.05}, {"Points40000Factor05", 40000, 0.5}, {"Points40000Factor095", 40000, 0.95},
};

// The digits to which the residual can meet the allowance: its rounding noise grows with the
// square of the number of points (about 1e-9 at ten thousand, 1e-7 at forty thousand).
double ResidualDigits(int n) { return n > 10000 ? 6.5 : 8.0; }

Points RandomPoints(int n, unsigned seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> ux(0.0, 10.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    Points points;
    for (int i = 0; i < n; ++i) {
        const double x = ux(rng);
        points.emplace_back(x, 3 * std::sin(x) + x + noise(rng));
    }
    return points;
}

// The residual sum of squares of the least-squares line through the points, in their order.
double LineRss(const Points& points)
{
    TCurveFit fit;
    Fill(fit, points);
    double k, d, q;
    fit.CalcLinFit(k, d, q);
    double rss = 0.0;
    for (auto [x, y] : points) rss += (y - k * x - d) * (y - k * x - d);
    return rss;
}

class SplineProperty : public ::testing::TestWithParam<PropertyCase> {};

TEST_P(SplineProperty, ResidualEqualsTheAllowance)
{
    const PropertyCase& tc = GetParam();
    const Points points = RandomPoints(tc.n, unsigned(tc.n * 31 + tc.factor * 100));
    TCurveFit fit;
    Fill(fit, points);
    fit.SetSplineSmoothing(tc.factor);
    double k, d, q;
    fit.CalcLinFit(k, d, q);
    double lineRss = 0.0, rss = 0.0;
    for (auto [x, y] : points) {
        lineRss += (y - k * x - d) * (y - k * x - d);
        const double s = Spline(fit, x);
        rss += (y - s) * (y - s);
    }
    EXPECT_TRUE(AgreesTo(rss, tc.factor * lineRss, ResidualDigits(tc.n)));
}

// The spline of (2^a x, 2^b y) is the spline of (x, y) mapped, bit for bit, however far the
// powers reach towards the ends of the doubles.
TEST(SplineValue, ScaledPointsGiveTheMappedSpline)
{
    const Points points = RandomPoints(300, 7);
    TCurveFit plain;
    Fill(plain, points);
    plain.SetSplineSmoothing(0.5);
    for (const int a : {300, -300}) {
        for (const int b : {500, -500}) {
            SCOPED_TRACE("2^" + std::to_string(a) + " x, 2^" + std::to_string(b) + " y");
            TCurveFit scaled;
            for (auto [x, y] : points) scaled.AddPoint(std::ldexp(x, a), std::ldexp(y, b));
            scaled.SetSplineSmoothing(0.5);
            double qualityPlain = 0.0, qualityScaled = 0.0;
            for (int i = 0; i <= 200; ++i) {
                const double x = 0.05 * i;
                bool validPlain = false, validScaled = false;
                const double expected = Spline(plain, x, &validPlain, &qualityPlain);
                const double got = Spline(scaled, std::ldexp(x, a), &validScaled, &qualityScaled);
                EXPECT_EQ(validScaled, validPlain) << x;
                EXPECT_EQ(got, std::ldexp(expected, b)) << x;
            }
            EXPECT_EQ(qualityScaled, qualityPlain);
        }
    }
}

// Spacings spread over 1e100 and values near the ends of the doubles: the residual still meets
// the allowance, instead of the spline interpolating or the arithmetic failing.
TEST(SplineValue, ExtremeScalesMeetTheAllowance)
{
    struct Case {
        const char* name;
        double xScale, yScale;
    };
    for (const Case& tc : {Case{"XSpreadOver1e100", 1e100, 1.0}, Case{"XNear1e-150YNear1e150", 1e-150, 1e150}}) {
        SCOPED_TRACE(tc.name);
        const Points unit = RandomPoints(10000, 11);
        Points points;
        for (auto [x, y] : unit) points.emplace_back(x * tc.xScale, y * tc.yScale);
        TCurveFit fit;
        Fill(fit, points);
        fit.SetSplineSmoothing(0.5);
        // The line's residual on the unscaled points, scaled: the allowance in the unit of y.
        TCurveFit reference;
        Fill(reference, unit);
        double k, d, q;
        reference.CalcLinFit(k, d, q);
        long double lineRss = 0.0L, rss = 0.0L;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const long double r = unit[i].second - k * unit[i].first - d;
            lineRss += r * r;
            const long double e = (points[i].second - Spline(fit, points[i].first)) / tc.yScale;
            rss += e * e;
        }
        EXPECT_TRUE(AgreesTo(double(rss), double(0.5L * lineRss), 8.0));
    }
}

// Two million evenly spread points of a noisy sine: the residual meets the allowance to 2e-7, not
// just to the rounding noise of Newton's slope (6.5e-7 here), as secant steps take over.
TEST(SplineValue, MillionsOfEvenlySpreadPointsMeetTheAllowanceClosely)
{
    constexpr int n = 2'000'000;
    std::mt19937_64 rng(42);
    std::normal_distribution<double> noise(0.0, 1.0);
    TCurveFit fit;
    std::vector<double> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
        xs[i] = 10.0 * i / n;
        ys[i] = 3 * std::sin(xs[i]) + xs[i] + noise(rng);
        fit.AddPoint(xs[i], ys[i]);
    }
    double k, d, q;
    fit.CalcLinFit(k, d, q);
    fit.SetSplineSmoothing(0.5);
    long double lineRss = 0.0L, rss = 0.0L;
    for (int i = 0; i < n; ++i) {
        const long double r = ys[i] - (static_cast<long double>(k) * xs[i] + d);
        lineRss += r * r;
        const long double e = ys[i] - static_cast<long double>(Spline(fit, xs[i]));
        rss += e * e;
    }
    EXPECT_LE(std::fabs(double(rss / (0.5L * lineRss) - 1.0L)), 2e-7);
}

// A redraw (the factor set again) finds the spline of the last preparation kept: the same spline.
TEST_P(SplineProperty, RedrawGivesTheSameSpline)
{
    const PropertyCase& tc = GetParam();
    const Points points = RandomPoints(tc.n, unsigned(tc.n * 7 + tc.factor * 100));
    TCurveFit fit;
    Fill(fit, points);
    fit.SetSplineSmoothing(tc.factor);
    std::vector<double> first;
    for (double x = 0.5; x < 9.5; x += 0.25) first.push_back(Spline(fit, x));
    fit.SetSplineSmoothing(tc.factor);
    std::size_t i = 0;
    for (double x = 0.5; x < 9.5; x += 0.25, ++i) EXPECT_EQ(Spline(fit, x), first[i]) << "x = " << x;
    EXPECT_EQ(fit.SplinePasses(), 0) << "the spline of the same points and factor is kept";
}

// A new factor after another one starts from the other's p, which may lie decades away: the
// residual still meets the new allowance as closely as a fresh preparation does.
TEST(SplineValue, ANewFactorAfterAnotherMeetsItsAllowance)
{
    const struct {
        int n;
        double before, after;
    } cases[] = {{100, 1.0, 0.3}, {40000, 0.5, 0.05}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.n);
        const Points points = RandomPoints(tc.n, unsigned(tc.n));
        TCurveFit fit;
        Fill(fit, points);
        const double lineRss = LineRss(points);
        fit.SetSplineSmoothing(tc.before);
        Spline(fit, points[0].first);
        fit.SetSplineSmoothing(tc.after);
        double rss = 0.0;
        for (auto [x, y] : points) {
            const double s = Spline(fit, x);
            rss += (y - s) * (y - s);
        }
        EXPECT_TRUE(AgreesTo(rss, tc.after * lineRss, ResidualDigits(tc.n)));
    }
}

// Steps of the smoothing factor back and forth (the scroll bar) at many random points: each
// starts along the slope found at the last factor and ends within the residual's rounding noise
// (about 1e-6 here) in a few passes, instead of chasing that noise.
TEST(SplineValue, StepsOfTheFactorTakeFewPassesAndMeetTheirAllowance)
{
    const Points points = RandomPoints(300000, 5);
    TCurveFit fit;
    Fill(fit, points);
    const double lineRss = LineRss(points);
    fit.SetSplineSmoothing(0.5);
    Spline(fit, 1.0);
    const struct {
        double factor;
        int passes;
    } steps[] = {{0.51, 3}, {0.5, 3}, {0.51, 3}, {0.52, 3}, {0.4, 6}};
    for (auto [factor, passes] : steps) {
        SCOPED_TRACE(factor);
        fit.SetSplineSmoothing(factor);
        Spline(fit, 1.0);
        EXPECT_LE(fit.SplinePasses(), passes);
        double rss = 0.0;
        for (auto [x, y] : points) rss += (y - Spline(fit, x)) * (y - Spline(fit, x));
        EXPECT_NEAR(rss / (factor * lineRss), 1.0, 2e-5);
    }
}

TEST_P(SplineProperty, PiecesJoinIntoANaturalCubicSpline)
{
    const PropertyCase& tc = GetParam();
    const Points points = RandomPoints(tc.n, unsigned(tc.n * 17 + tc.factor * 100));
    const double lineRss = LineRss(points);
    const DirectSpline s = SolveDirect(points, tc.factor * lineRss);
    const int n = tc.n;
    EXPECT_EQ(s.c[1], 0.0);
    EXPECT_EQ(s.c[n], 0.0);
    double aMax = 0, bMax = 0, cMax = 0, rss = 0;
    for (int i = 1; i <= n; ++i) {
        aMax = std::max(aMax, std::fabs(s.a[i]));
        bMax = std::max(bMax, std::fabs(i < n ? s.b[i] : 0.0));
        cMax = std::max(cMax, std::fabs(s.c[i]));
        rss += (s.y[i] - s.a[i]) * (s.y[i] - s.a[i]);
    }
    EXPECT_TRUE(AgreesTo(rss, tc.factor * lineRss, ResidualDigits(tc.n)));
    for (int i = 2; i <= n; ++i) {
        const double h = s.x[i] - s.x[i - 1];
        const int p = i - 1;
        const double value = ((s.d[p] * h + s.c[p]) * h + s.b[p]) * h + s.a[p];
        const double slope = (3 * s.d[p] * h + 2 * s.c[p]) * h + s.b[p];
        const double curvature = 6 * s.d[p] * h + 2 * s.c[p];
        ASSERT_NEAR(value, s.a[i], 1e-11 * (1 + std::fabs(s.a[i]))) << "value at knot " << i;
        // b follows from the values a over the spacing, so the slopes meet to the rounding of
        // a over the shorter neighbouring spacing.
        if (i < n) {
            const double spacing = std::min(h, s.x[i + 1] - s.x[i]);
            ASSERT_NEAR(slope, s.b[i], 1e-12 * (1 + bMax) + 1e-12 * aMax / spacing)
                << "slope at knot " << i << ", spacing " << spacing;
        }
        ASSERT_NEAR(curvature, 2 * s.c[i], 1e-9 * (1 + cMax)) << "curvature at knot " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Spline, SplineProperty, ::testing::ValuesIn(kPropertyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The iteration climbs through the decades of p in few passes of the band solver, with or without
// the start from thinned points.
TEST(PenalizedCubicSpline, NoisyCloudsTakeFewPasses)
{
    for (int n : {1000, 10000, 40000}) {
        SCOPED_TRACE(n);
        const Points points = RandomPoints(n, unsigned(n));
        const double lineRss = LineRss(points);
        for (double factor : {0.05, 0.5, 0.95}) EXPECT_LE(SolveDirect(points, factor * lineRss).steps, 16);
    }
}

// Factors close to 1 ask for nearly the straight line's residual. The start from thinned points
// must aim at the same share of the thinned points' own line: their line's residual per point
// lies a few per cent off the whole cloud's, and an allowance above it sends p off without end.
TEST(SplineValue, FactorsCloseToOneMeetTheirAllowanceWithManyPoints)
{
    for (int n : {10000, 20000, 50000}) {
        const Points points = RandomPoints(n, 42u);
        const double lineRss = LineRss(points);
        TCurveFit fit;
        Fill(fit, points);
        for (double factor : {0.98, 0.995, 0.999}) {
            SCOPED_TRACE(testing::Message() << n << " points, factor " << factor);
            fit.SetSplineSmoothing(factor);
            Spline(fit, 1.0);
            EXPECT_LE(fit.SplinePasses(), 8);
            double rss = 0.0;
            for (auto [x, y] : points) rss += (y - Spline(fit, x)) * (y - Spline(fit, x));
            EXPECT_TRUE(AgreesTo(rss, factor * lineRss, ResidualDigits(n)));
        }
    }
}

// The last step of the iteration is a few parts in 1e5 of p or less: it is taken on the factor
// the pass before left, without a new factorization, and lands as a whole pass would. A step
// taken wrongly there misses the allowance and costs one more pass.
TEST(SplineValue, SmallLastStepsLandOnTheFactorAtHand)
{
    const struct {
        int n;
        double factor;
        int passes;
    } cases[] = {{100000, 0.9, 3}, {20000, 0.9, 5}, {10000, 0.5, 4}, {3000, 0.5, 9}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(testing::Message() << tc.n << " points, factor " << tc.factor);
        const Points points = RandomPoints(tc.n, unsigned(tc.n + 1));
        TCurveFit fit;
        Fill(fit, points);
        fit.SetSplineSmoothing(tc.factor);
        Spline(fit, 1.0);
        EXPECT_LE(fit.SplinePasses(), tc.passes);
        double rss = 0.0;
        for (auto [x, y] : points) rss += (y - Spline(fit, x)) * (y - Spline(fit, x));
        // At a hundred thousand points the residual's rounding noise reaches a few parts in 1e7.
        EXPECT_TRUE(AgreesTo(rss, tc.factor * LineRss(points), tc.n >= 100000 ? 5.5 : ResidualDigits(tc.n)));
    }
}

// Awkward random inputs: every preparation returns, either with a spline whose residual meets
// the allowance or with one of the engine's or the platform's errors, after few Newton steps.
TEST(PenalizedCubicSpline, ReturnsOnAwkwardRandomInputs)
{
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto start = std::chrono::steady_clock::now();
    int maxSteps = 0, solved = 0;
    const int runs = 300;
    for (int run = 0; run < runs; ++run) {
        const int shape = run % 6;
        const int n = shape == 5 && run < 36 ? 100000 : 2 + int(unit(rng) * 300);
        Points points;
        for (int i = 0; i < n; ++i) {
            double x = 0.0, y = std::pow(10.0, 4.0 * (unit(rng) - 0.5)) * (unit(rng) - 0.5);
            switch (shape) {
            case 0: x = 1.0 + i * 1e-12 * (1.0 + unit(rng)); break;           // nearly equal x
            case 1: x = std::pow(10.0, -8.0 + 16.0 * unit(rng)); break;       // 1e-8 to 1e8
            case 2: x = i + 1e-9 * unit(rng); y = i % 2 ? 1e6 : -1e6; break; // a saw tooth
            case 3: x = unit(rng); y = 2.0 * x - 1.0; break;                  // exactly a line
            case 4: x = std::pow(10.0, -8.0 + 16.0 * unit(rng)); y = 1e-3 * i; break;
            default: x = 10.0 * unit(rng); y = 5.0; break;                    // equal y
            }
            points.emplace_back(x, y);
        }
        const double factors[] = {0.0, 1e-6, 0.3, 0.999999, 1.0, 1.5};
        const double factor = factors[(run / 6) % 6];
        SCOPED_TRACE("run " + std::to_string(run) + ", shape " + std::to_string(shape) + ", factor " +
                     std::to_string(factor));
        TCurveFit fit;
        Fill(fit, points);
        double k, d, q;
        try {
            fit.CalcLinFit(k, d, q);
            double lineRss = 0.0;
            std::sort(points.begin(), points.end());
            for (auto [x, y] : points) lineRss += (y - k * x - d) * (y - k * x - d);
            const DirectSpline s = SolveDirect(points, factor * lineRss);
            maxSteps = std::max(maxSteps, s.steps);
            for (int i = 1; i <= n; ++i) ASSERT_TRUE(std::isfinite(s.a[i]) && std::isfinite(s.c[i]));
            fit.SetSplineSmoothing(factor);
            bool valid = false;
            double quality = 0.0;
            ASSERT_TRUE(std::isfinite(fit.SplineValue(points[n / 2].first, quality, valid)));
            EXPECT_TRUE(valid);
            ++solved;
        } catch (const EQZLMath2Error& e) {
            EXPECT_EQ(std::string(e.what()), "PenalizedCubicSpline: two or more x-values are identical");
        } catch (const EMathError&) {
        }
    }
    EXPECT_GT(solved, runs * 3 / 4);
    EXPECT_LE(maxSteps, 200);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    RecordProperty("MaxNewtonSteps", maxSteps);
}

}  // namespace

// A set cancel flag stops a preparation; nothing of it is kept as settled, and the preparations
// after it give the splines a fresh engine gives.
TEST(SplineValue, ACancelledPreparationLeavesNothingHalfDone)
{
    const Points points = RandomPoints(2000, 7u);
    TCurveFit fit;
    Fill(fit, points);
    std::atomic<bool> cancel{false};
    fit.SetSplineCancel(&cancel);
    fit.SetSplineSmoothing(0.5);
    Spline(fit, points[0].first);
    cancel = true;
    fit.SetSplineSmoothing(0.2);
    EXPECT_THROW(Spline(fit, points[0].first), ESplineCancelled);
    EXPECT_THROW(Spline(fit, points[0].first), ESplineCancelled) << "the spline is not taken as prepared";
    cancel = false;
    for (double factor : {0.5, 0.2}) {
        SCOPED_TRACE(factor);
        fit.SetSplineSmoothing(factor);
        TCurveFit fresh;
        Fill(fresh, points);
        fresh.SetSplineSmoothing(factor);
        for (std::size_t i = 0; i < points.size(); i += 97)
            EXPECT_TRUE(AgreesTo(Spline(fit, points[i].first), Spline(fresh, points[i].first), 9));
    }
}

// A point that is not finite stops the spline with the platform's invalid-operation error at
// every factor: below 1 (the iteration), at 1 and far above (the straight line taken at once).
TEST(SplineValue, NonFinitePointsRaiseAtEveryFactor)
{
    const double nan = std::nan(""), inf = HUGE_VAL;
    const std::pair<double, double> bad[] = {{nan, 1e-228}, {4.5, nan}, {inf, 1.0}, {-inf, 1.0}, {2.5, -inf}};
    for (const double factor : {0.0, 0.5, 1.0, 1e300}) {
        for (const auto& [x, y] : bad) {
            TCurveFit fit;
            for (int i = 0; i < 10; ++i) fit.AddPoint(i, i / 2.0 + i % 3);
            fit.AddPoint(x, y);
            fit.SetSplineSmoothing(factor);
            EXPECT_THROW(Spline(fit, 4.5), EInvalidOp) << "factor " << factor << " point " << x << ", " << y;
        }
    }
}

// R's cars: speed (x, rounded to whole miles per hour, so most x are tied) and stopping distance.
const double kCarsSpeed[] = {4,  4,  7,  7,  8,  9,  10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13,
                             13, 13, 14, 14, 14, 14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18,
                             18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
const double kCarsDist[] = {2,  10, 4,  22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24, 28, 26, 34,
                            34, 46, 26, 36, 60, 80, 20, 26, 54, 32, 40, 32, 40, 50, 42, 56, 76,
                            84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92, 93, 120, 85};

Points Cars(double nearTieShare = 0.0)
{
    Points points;
    for (int i = 0; i < 50; ++i) {
        // Near ties: the k-th repetition of an x moved right by k times the share of the range.
        int k = 0;
        while (i - k - 1 >= 0 && kCarsSpeed[i - k - 1] == kCarsSpeed[i]) ++k;
        points.emplace_back(kCarsSpeed[i] + k * nearTieShare * 21.0, kCarsDist[i]);
    }
    return points;
}

// The residual sum of squares of the engine's spline over every point.
double SplineRss(TCurveFit& fit, const Points& points)
{
    double rss = 0.0;
    for (auto [x, y] : points) rss += (y - Spline(fit, x)) * (y - Spline(fit, x));
    return rss;
}

// The mean y at each distinct x.
std::vector<std::pair<double, double>> GroupMeans(const Points& points)
{
    std::vector<std::pair<double, double>> means;
    for (double x : kCarsSpeed) {
        if (!means.empty() && means.back().first == x) continue;
        double sum = 0.0;
        int count = 0;
        for (auto [px, py] : points)
            if (px == x) sum += py, ++count;
        means.emplace_back(x, sum / count);
    }
    return means;
}

TEST(SplineValue, TiedXAreSmoothedAndMeetTheAllowanceOverEveryPoint)
{
    const Points cars = Cars();
    const double line = LineRss(cars);
    TCurveFit fit;
    Fill(fit, cars);
    // cars' scatter within its ties is 0.59 of the line's residual: above it the allowance is met
    // over all the points.
    for (const double factor : {0.6, 0.75, 0.9, 0.99}) {
        fit.SetSplineSmoothing(factor);
        double quality = 0.0;
        Spline(fit, 10.0, nullptr, &quality);
        EXPECT_TRUE(AgreesTo(SplineRss(fit, cars), factor * line, 9.0)) << factor;
        EXPECT_TRUE(AgreesTo(fit.SplineStats().Rss, factor * line, 9.0)) << factor;
    }
}

TEST(SplineValue, AllowancesBelowTheScatterWithinTiesPassThroughTheMeans)
{
    const Points cars = Cars();
    TCurveFit fit;
    Fill(fit, cars);
    for (const double factor : {0.0, 0.3, 0.5}) {
        fit.SetSplineSmoothing(factor);
        for (auto [x, mean] : GroupMeans(cars)) EXPECT_NEAR(Spline(fit, x), mean, 1e-12 * 120) << factor << " " << x;
        EXPECT_EQ(fit.SplineStats().Df, 19.0);   // cars has 19 distinct speeds
    }
}

TEST(SplineValue, NearTiesGiveTheSplineOfExactTies)
{
    TCurveFit exact, near;
    Fill(exact, Cars());
    Fill(near, Cars(1e-12));
    for (const double factor : {0.0, 0.7, 0.95}) {
        exact.SetSplineSmoothing(factor);
        near.SetSplineSmoothing(factor);
        for (double x = 4.0; x <= 25.0; x += 0.37) EXPECT_NEAR(Spline(near, x), Spline(exact, x), 1e-9 * 118) << x;
        EXPECT_TRUE(AgreesTo(near.SplineStats().Df, exact.SplineStats().Df, 9.0));
    }
}

// x closer to their neighbour than 1e-8 of the range of x (runs of them whole) become one knot:
// the interpolating spline's degrees of freedom count the knots.
TEST(SplineValue, XWithinTheTieShareOfTheRangeBecomeOneKnot)
{
    struct TCase {
        std::vector<double> offsets;   // added to x = 1, in shares of the range 10
        double knots;
    };
    const TCase cases[] = {
        {{0.0}, 11},                 // an exact tie
        {{0.9e-8}, 11},              // within the share
        {{1.1e-8}, 12},              // beyond it
        {{0.9e-8, 1.8e-8, 2.7e-8}, 11},   // a run: each within the share of its neighbour
        {{-0.9e-8, 0.9e-8}, 11},
    };
    for (const TCase& tc : cases) {
        Points points;
        for (int i = 0; i <= 10; ++i) points.emplace_back(i, std::sin(i));
        for (double offset : tc.offsets) points.emplace_back(1.0 + offset * 10.0, 2.0);
        TCurveFit fit;
        Fill(fit, points);
        fit.SetSplineSmoothing(0.0);
        EXPECT_EQ(fit.SplineStats().Df, tc.knots) << tc.offsets.size() << " " << tc.offsets[0];
    }
}

TEST(SplineStats, LineAndInterpolationBoundTheDegreesOfFreedom)
{
    const Points points = RandomPoints(300, 7);
    TCurveFit fit;
    Fill(fit, points);
    double previous = 301.0;
    for (const double factor : {0.0, 1e-6, 0.01, 0.3, 0.9, 0.999, 1.0}) {
        fit.SetSplineSmoothing(factor);
        const TSplineStats stats = fit.SplineStats();
        EXPECT_LT(stats.Df, previous) << factor;
        EXPECT_GE(stats.Df, 2.0 - 1e-9) << factor;
        EXPECT_EQ(stats.Smoothing, factor);
        EXPECT_NEAR(stats.Rss, SplineRss(fit, points), 1e-9 * LineRss(points)) << factor;
        if (factor > 0.0) {
            EXPECT_TRUE(AgreesTo(stats.Gcv, 300 * stats.Rss / ((300 - stats.Df) * (300 - stats.Df)), 14.0));
        }
        previous = stats.Df;
    }
    fit.SetSplineSmoothing(0.0);
    EXPECT_EQ(fit.SplineStats().Df, 300.0);
    fit.SetSplineSmoothing(1.0);
    EXPECT_EQ(fit.SplineStats().Df, 2.0);
}

TEST(SplineCurve, ACopyEvaluatesAsTheEngineDoes)
{
    Points points = RandomPoints(2000, 3);
    for (int i = 0; i < 100; ++i) points.push_back(points[i]);   // ties too
    TCurveFit fit;
    Fill(fit, points);
    fit.SetSplineSmoothing(0.4);
    const TSplineCurve curve = fit.SplineCurve();
    const TSplineCurve copy = curve;
    fit.ClearData();   // the value needs the engine no longer
    Fill(fit, points);
    fit.SetSplineSmoothing(0.4);
    for (double x = -0.5; x <= 10.5; x += 0.0137) {
        bool valid = false;
        double quality = 0.0;
        const double expected = fit.SplineValue(x, quality, valid);
        double y = -1.0;
        EXPECT_EQ(copy.Value(x, y), valid) << x;
        EXPECT_EQ(y, expected) << x;
    }
    double y = 0.0;
    EXPECT_TRUE(copy.Value(points[0].first, y));
}

// The smoothing chosen by generalised cross-validation and for a number of degrees of freedom,
// against R's smooth.spline on all knots (R 4.2.2; R's penalty is scaled otherwise, so the curves
// and degrees of freedom are compared):
//   s <- smooth.spline(cars$speed, cars$dist, all.knots = TRUE)
//   c(s$df, s$cv.crit); predict(s, c(4, 7.5, 10, 13.3, 18, 25))$y
//   s5 <- smooth.spline(cars$speed, cars$dist, all.knots = TRUE, df = 5)
//   s5$df; predict(s5, c(4, 7.5, 10, 13.3, 18, 25))$y
//   i <- 1:200; x <- ((i * 7919) %% 101) / 10
//   y <- sin(x) + (((i * 31337) %% 1000) / 1000 - 0.5) * 0.6
//   s2 <- smooth.spline(x, y, all.knots = TRUE)
//   c(s2$df, s2$cv.crit); predict(s2, c(0, 1.25, 3.3, 5, 7.77, 10))$y; range(y)
struct TChoiceCase {
    const char* name;
    Points points;
    double df;                 // 0: chosen by GCV
    double rDf, rGcv;
    std::vector<double> at, rValues;
    double yRange;
};

Points Synthetic()
{
    Points points;
    for (int i = 1; i <= 200; ++i) {
        const double x = double((i * 7919) % 101) / 10;
        points.emplace_back(x, std::sin(x) + (double((i * 31337) % 1000) / 1000 - 0.5) * 0.6);
    }
    return points;
}

TEST(SplineChoice, AgreesWithR)
{
    const std::vector<double> carsAt = {4, 7.5, 10, 13.3, 18, 25};
    const TChoiceCase cases[] = {
        {"cars by GCV", Cars(), 0.0, 2.63527791363357888, 244.10441590606211548, carsAt,
         {1.6578086081859746, 13.3698113488521564, 21.9470782317668558, 33.8167881482215265, 52.1156272010006063,
          84.1036875153560857},
         118.0},
        {"cars at df 5", Cars(), 5.0, 5.0005533810996114, 251.5913831960182279, carsAt,
         {5.230665983308100, 13.928122861924248, 21.559163068042562, 34.642722483806651, 50.047494134588483,
          92.462007980672041},
         118.0},
        {"synthetic by GCV", Synthetic(), 0.0, 94.962577783118391, 0.010106830514485637,
         {0, 1.25, 3.3, 5, 7.77, 10},
         {-0.27771846197155131, 1.05630927872575220, -0.11568645159662763, -1.02198310726696917,
          1.17654052433505329, -0.36280411820103303},
         1.2593581854171929 + 1.2384020738895161},
    };
    for (const TChoiceCase& tc : cases) {
        TCurveFit fit;
        Fill(fit, tc.points);
        const double factor = tc.df > 0.0 ? fit.ChooseSplineSmoothingForDf(tc.df) : fit.ChooseSplineSmoothingByGcv();
        EXPECT_EQ(fit.SplineSmoothing(), factor) << tc.name;
        const TSplineStats stats = fit.SplineStats();
        if (tc.df > 0.0) {
            EXPECT_NEAR(stats.Df, tc.df, 1e-6 * tc.df) << tc.name;
        }
        EXPECT_NEAR(stats.Df, tc.rDf, 0.01 * tc.rDf) << tc.name;
        if (tc.df == 0.0) {
            EXPECT_NEAR(stats.Gcv, tc.rGcv, 0.01 * tc.rGcv) << tc.name;
        }
        for (std::size_t k = 0; k < tc.at.size(); ++k)
            EXPECT_NEAR(Spline(fit, tc.at[k]), tc.rValues[k], 1e-3 * tc.yRange) << tc.name << " at " << tc.at[k];
    }
}

TEST(SplineChoice, RefusesDegreesOfFreedomOutsideTheLineAndTheInterpolation)
{
    TCurveFit fit;
    Fill(fit, Cars());
    EXPECT_THROW(fit.ChooseSplineSmoothingForDf(1.5), EQZLMath2Error);
    EXPECT_THROW(fit.ChooseSplineSmoothingForDf(19.5), EQZLMath2Error);
    EXPECT_EQ(fit.ChooseSplineSmoothingForDf(2.0), 1.0);
    EXPECT_EQ(fit.ChooseSplineSmoothingForDf(19.0), 0.0);
    fit.ClearData();
    fit.AddPoint(1.0, 2.0);
    EXPECT_EQ(MessageOf([&] { fit.ChooseSplineSmoothingByGcv(); }), "CalcLinFit: not enough data points");
    EXPECT_EQ(MessageOf([&] { fit.ChooseSplineSmoothingForDf(2.0); }), "CalcLinFit: not enough data points");
    fit.AddPoint(1.0, 3.0);
    EXPECT_EQ(MessageOf([&] { fit.ChooseSplineSmoothingByGcv(); }),
              "PenalizedCubicSpline: two or more x-values are identical");
    fit.AddPoint(std::nan(""), 3.0);
    EXPECT_THROW(fit.ChooseSplineSmoothingByGcv(), EInvalidOp);
}
