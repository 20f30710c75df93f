// The polynomial and the parabola at any origin of x: years, day numbers, timestamps and data
// shifted far from 0 give the exact least-squares values, measured against a reference solved in
// 1100-bit arithmetic.
#include <gtest/gtest.h>

#include <boost/multiprecision/cpp_bin_float.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "curvefit/curvefit.h"
#include "curvefit/models.h"

namespace {

using Points = std::vector<std::pair<double, double>>;
using Big = boost::multiprecision::number<
    boost::multiprecision::cpp_bin_float<1100, boost::multiprecision::digit_base_2>, boost::multiprecision::et_off>;

// The exact least-squares polynomial of order m through the points, coefficients of x^0 .. x^m.
// The normal equations of the raw powers are formed and solved in 1100-bit arithmetic: the powers
// of a double up to the 18th and their sums are exact there (or nearly so), and elimination loses
// at most the normal equations' condition number, below 1e80 for every case here, of the 330
// digits.
std::vector<Big> ExactFit(const Points& points, int m)
{
    const int cols = m + 1;
    std::vector<Big> sums(std::size_t(2 * m + 1), Big(0)), moments(std::size_t(cols), Big(0));
    for (const auto& [x, y] : points) {
        Big power = 1;
        for (int k = 0; k <= 2 * m; ++k) {
            sums[k] += power;
            if (k < cols) moments[k] += power * Big(y);
            power *= Big(x);
        }
    }
    std::vector<std::vector<Big>> a(cols, std::vector<Big>(cols + 1));
    for (int i = 0; i < cols; ++i) {
        for (int j = 0; j < cols; ++j) a[i][j] = sums[i + j];
        a[i][cols] = moments[i];
    }
    for (int k = 0; k < cols; ++k) {
        int pivot = k;
        for (int i = k + 1; i < cols; ++i)
            if (abs(a[i][k]) > abs(a[pivot][k])) pivot = i;
        std::swap(a[k], a[pivot]);
        for (int i = k + 1; i < cols; ++i) {
            const Big f = a[i][k] / a[k][k];
            for (int j = k; j <= cols; ++j) a[i][j] -= f * a[k][j];
        }
    }
    std::vector<Big> c(cols);
    for (int k = cols - 1; k >= 0; --k) {
        Big s = a[k][cols];
        for (int j = k + 1; j < cols; ++j) s -= a[k][j] * c[j];
        c[k] = s / a[k][k];
    }
    return c;
}

Big ExactValue(const std::vector<Big>& c, double x)
{
    Big value = 0;
    for (auto k = c.rbegin(); k != c.rend(); ++k) value = value * Big(x) + *k;
    return value;
}

// |actual - exact| / |exact|.
double RelativeError(double actual, const Big& exact)
{
    return static_cast<double>(abs(Big(actual) - exact) / abs(exact));
}

void Fill(TCurveFit& engine, const Points& points)
{
    engine.ClearData();
    for (auto [x, y] : points) engine.AddPoint(x, y);
}

// Smooth data with a little irregular noise, y between about 2 and 4.
double Wavy(int i, double u) { return 3.0 + std::sin(1.3 * u) + 0.05 * ((i * 7919) % 13) / 13.0; }

// `count` points x = first + step i.
Points Series(double first, double step, int count)
{
    Points points;
    for (int i = 0; i < count; ++i) points.emplace_back(first + step * i, Wavy(i, 7.0 * i / count));
    return points;
}

// 30 points spanning 10.73, shifted by `spans` of their span.
Points Shifted(double spans)
{
    Points points;
    for (int i = 0; i < 30; ++i) {
        const double u = 0.37 * i;
        points.emplace_back(u + spans * 10.73, Wavy(i, u));
    }
    return points;
}

// R's `women`: heights 58 to 72 inches, weights in pounds.
Points Women()
{
    const double weights[] = {115, 117, 120, 123, 126, 129, 132, 135, 139, 142, 146, 150, 154, 159, 164};
    Points points;
    for (int i = 0; i < 15; ++i) points.emplace_back(58.0 + i, weights[i]);
    return points;
}

TEST(ExactFit, ReproducesKnownSolutions)
{
    // Data on a cubic: the reference of order 3 and 5 is that cubic.
    Points cubic;
    for (int x = 58; x <= 72; ++x) cubic.emplace_back(x, double(x) * x * x - 100.0 * x + 7.0);
    for (int m : {3, 5}) {
        SCOPED_TRACE("order " + std::to_string(m));
        const std::vector<Big> c = ExactFit(cubic, m);
        const double expected[] = {7, -100, 0, 1, 0, 0};
        for (int j = 0; j <= m; ++j) EXPECT_LT(static_cast<double>(abs(c[j] - Big(expected[j]))), 1e-60) << j;
    }
    // Seven points symmetric about 1.7e9 with y = (x - 1.7e9)^2: the least-squares line is the
    // constant mean 28 / 7 = 4.
    Points square;
    for (int i = -3; i <= 3; ++i) square.emplace_back(1.7e9 + i, double(i * i));
    const std::vector<Big> line = ExactFit(square, 1);
    for (const auto& [x, y] : square) EXPECT_LT(static_cast<double>(abs(ExactValue(line, x) - 4)), 1e-60) << x;
}

struct OriginCase {
    const char* name;
    Points points;
};

void PrintTo(const OriginCase& tc, std::ostream* out) { *out << tc.name; }

const OriginCase kOriginCases[] = {
    {"Shifted1e3Spans", Shifted(1e3)},
    {"Shifted1e6Spans", Shifted(1e6)},
    {"UnixHours", Series(1.7e9, 3600.0, 200)},
    {"ModifiedJulianDays", Series(60000.0, 0.5, 100)},
    {"Years1950To2020", Series(1950.0, 1.0, 71)},
    {"Women", Women()},
};

// Relative error of the values the fit computes, against the exact least-squares solution.
constexpr double kValueTolerance = 1e-9;

class PolynomialOrigin : public ::testing::TestWithParam<OriginCase> {};

// The values at the data (as --at computes them) and along the drawn curve are those of the exact
// least-squares polynomial, at every order, and nothing is truncated.
TEST_P(PolynomialOrigin, ValuesAreTheExactLeastSquaresValues)
{
    const OriginCase& tc = GetParam();
    TCurveFit engine;
    Fill(engine, tc.points);
    const auto [low, high] = std::minmax_element(tc.points.begin(), tc.points.end());
    for (int m = 1; m <= 9; ++m) {
        SCOPED_TRACE("order " + std::to_string(m));
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(engine, {mkPoly, m}, fit));
        EXPECT_FALSE(fit.Truncated);
        const std::vector<Big> exact = ExactFit(tc.points, m);
        for (const auto& [x, y] : tc.points) {
            double value = 0.0;
            ASSERT_TRUE(ModelValue(fit, x, value));
            EXPECT_LT(RelativeError(value, ExactValue(exact, x)), kValueTolerance) << "x = " << x;
        }
        const TSampledCurve curve = SampleCurve(fit, low->first, high->first, kCurveSamples);
        ASSERT_FALSE(curve.Fault);
        for (const TCurvePoint& p : curve.Points)
            EXPECT_LT(RelativeError(p.Y, ExactValue(exact, p.X)), kValueTolerance) << "curve at x = " << p.X;
    }
}

// The raw coefficients are converted from the centred ones in double-double arithmetic: each is
// the exact one rounded, give or take the rounding itself.
TEST_P(PolynomialOrigin, RawCoefficientsAreTheExactOnesRounded)
{
    const OriginCase& tc = GetParam();
    TCurveFit engine;
    Fill(engine, tc.points);
    for (int m = 1; m <= 9; ++m) {
        SCOPED_TRACE("order " + std::to_string(m));
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(engine, {mkPoly, m}, fit));
        const std::vector<Big> exact = ExactFit(tc.points, m);
        for (int j = 0; j <= m; ++j) {
            const double nearest = static_cast<double>(exact[j]);
            const double ulp = std::nextafter(std::fabs(nearest), HUGE_VAL) - std::fabs(nearest);
            EXPECT_LE(static_cast<double>(abs(Big(fit.Coefficients[j]) - exact[j])), ulp) << "k" << j;
        }
    }
}

// The parabola's values come from the same centred form.
TEST_P(PolynomialOrigin, ParabolaValuesAreTheExactLeastSquaresValues)
{
    const OriginCase& tc = GetParam();
    TCurveFit engine;
    Fill(engine, tc.points);
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, {mkParabola}, fit));
    const std::vector<Big> exact = ExactFit(tc.points, 2);
    for (const auto& [x, y] : tc.points) {
        double value = 0.0;
        ASSERT_TRUE(ModelValue(fit, x, value));
        EXPECT_LT(RelativeError(value, ExactValue(exact, x)), kValueTolerance) << "x = " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Poly, PolynomialOrigin, ::testing::ValuesIn(kOriginCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Two points 1e-5 apart among nine others fix a polynomial of order 10 with a condition number
// near 3e9 even in t: beyond the refinement on R, so the fit solves its normal equations in
// double-double arithmetic. Its coefficients are still the exact ones rounded, near 0 and at 1e4.
// The polynomial itself is ill-conditioned: its terms in t reach 1e8 times its values at the ends,
// so its values there keep the digits the rounding of the centred coefficients leaves them.
TEST(PolynomialOrigin, NearlyCoincidentPointsAtOrderTen)
{
    for (double shift : {0.0, 1e4}) {
        SCOPED_TRACE("shift " + std::to_string(shift));
        Points points;
        for (int i = 0; i < 9; ++i) {
            const double x = -1.0 + 2.0 * i / 8;
            points.emplace_back(shift + x, 3.0 + std::sin(3.0 * x));
            points.emplace_back(shift + x, 3.01 + std::sin(3.0 * x));
        }
        points.emplace_back(shift + 0.3, 3.5);
        points.emplace_back(shift + 0.30001, 3.2);
        TCurveFit engine;
        Fill(engine, points);
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(engine, {mkPoly, 10}, fit));
        EXPECT_FALSE(fit.Truncated);
        const std::vector<Big> exact = ExactFit(points, 10);
        for (int j = 0; j <= 10; ++j) {
            const double nearest = static_cast<double>(exact[j]);
            const double ulp = std::nextafter(std::fabs(nearest), HUGE_VAL) - std::fabs(nearest);
            EXPECT_LE(static_cast<double>(abs(Big(fit.Coefficients[j]) - exact[j])), ulp) << "k" << j;
        }
        for (const auto& [x, y] : points) {
            double value = 0.0;
            ASSERT_TRUE(ModelValue(fit, x, value));
            const double t = (x - fit.Centered.Centre) / fit.Centered.Scale;
            double terms = 0.0;
            for (std::size_t j = 0; j < fit.Centered.Coefficients.size(); ++j)
                terms += std::fabs(fit.Centered.Coefficients[j] * std::pow(t, double(j)));
            EXPECT_LT(static_cast<double>(abs(Big(value) - ExactValue(exact, x))), 1e-15 * terms) << "x = " << x;
        }
    }
}

// The centre and scale are the middle and half the width of the x range, so that t runs from -1
// to 1 over the data: years 1950 to 2020 give t = (x - 1985) / 35.
TEST(CenteredOver, SpansTheDataWithTMinusOneToOne)
{
    struct Row {
        const char* name;
        double low, high, centre, scale;
    };
    const Row rows[] = {
        {"years", 1950, 2020, 1985, 35},
        {"across 0", -3, 1, -1, 2},
        {"all x equal: scale 1", 2, 2, 2, 1},
        {"the whole double range", -DBL_MAX, DBL_MAX, 0, DBL_MAX},
        {"a width below the normal doubles", 0, 1e-310, 5e-311, DBL_MIN},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const TCenteredPoly c = CenteredOver(r.low, r.high);
        EXPECT_EQ(c.Centre, r.centre);
        EXPECT_EQ(c.Scale, r.scale);
        EXPECT_TRUE(c.Coefficients.empty());
    }
}

TEST(CenteredPoly, ValueIsThePolynomialInT)
{
    const TCenteredPoly p{1985, 35, {1, 2, 3}};
    EXPECT_EQ(p.Value(1985), 1.0);
    EXPECT_EQ(p.Value(2020), 6.0);   // t = 1
    EXPECT_EQ(p.Value(1950), 2.0);   // t = -1
    EXPECT_EQ(p.Value(2055), 17.0);  // t = 2
    EXPECT_EQ(TCenteredPoly{}.Value(5), 0.0);
}

// The fits hand over the form they compute their values from: the polynomial's centre and scale
// span the data, and the parabola's is the polynomial of order 2's.
TEST(CenteredPoly, FitsCarryTheirCentredForm)
{
    TCurveFit engine;
    Fill(engine, Series(1950.0, 1.0, 71));
    TFitResult poly, parabola;
    ASSERT_TRUE(CalcModelFit(engine, {mkPoly, 2}, poly));
    ASSERT_TRUE(CalcModelFit(engine, {mkParabola}, parabola));
    EXPECT_EQ(poly.Centered.Centre, 1985.0);
    EXPECT_EQ(poly.Centered.Scale, 35.0);
    EXPECT_EQ(parabola.Centered.Centre, 1985.0);
    EXPECT_EQ(parabola.Centered.Scale, 35.0);
    ASSERT_EQ(poly.Centered.Coefficients.size(), 3u);
    ASSERT_EQ(parabola.Centered.Coefficients.size(), 3u);
    for (int j = 0; j < 3; ++j)
        EXPECT_NEAR(parabola.Centered.Coefficients[j], poly.Centered.Coefficients[j], 1e-13) << "t^" << j;
    // The engine's own call gives the same form.
    std::vector<double> k(3);
    double quality = 0;
    bool truncated = false;
    TCenteredPoly centered;
    ASSERT_TRUE(engine.CalcPolynomialFit(2, k, quality, truncated, centered));
    EXPECT_EQ(centered.Coefficients, poly.Centered.Coefficients);
    EXPECT_EQ(k, poly.Coefficients);
}

// Whether the raw coefficients cancel when summed in doubles over the data: from order 3 on for
// hourly timestamps near 1.7e9, never for data around 0.
struct CancellationCase {
    const char* name;
    Points points;
    int order;
    bool cancels;
};

void PrintTo(const CancellationCase& tc, std::ostream* out) { *out << tc.name; }

const CancellationCase kCancellationCases[] = {
    {"UnixHoursOrder1", Series(1.7e9, 3600.0, 200), 1, false},
    {"UnixHoursOrder2", Series(1.7e9, 3600.0, 200), 2, false},
    {"UnixHoursOrder3", Series(1.7e9, 3600.0, 200), 3, true},
    {"UnixHoursOrder9", Series(1.7e9, 3600.0, 200), 9, true},
    {"WomenOrder9", Women(), 9, true},
    {"AroundZeroOrder9", Series(-1.0, 0.05, 41), 9, false},
};

class RawFormCancellationOfFit : public ::testing::TestWithParam<CancellationCase> {};

TEST_P(RawFormCancellationOfFit, TellsWhereTheRawFormLosesHalfTheDigits)
{
    const CancellationCase& tc = GetParam();
    TCurveFit engine;
    Fill(engine, tc.points);
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, {mkPoly, tc.order}, fit));
    EXPECT_EQ(RawFormCancels(fit.Centered, fit.Coefficients), tc.cancels)
        << RawFormCancellation(fit.Centered, fit.Coefficients);
    // What it measures: the raw form summed in doubles at the data is off by about the
    // cancellation times the rounding unit.
    double worst = 0.0, largest = 0.0;
    for (const auto& [x, y] : tc.points) {
        double raw = 0.0, power = 1.0;
        for (double k : fit.Coefficients) {
            raw += k * power;
            power *= x;
        }
        const double value = fit.Centered.Value(x);
        worst = std::max(worst, std::fabs(raw - value));
        largest = std::max(largest, std::fabs(value));
    }
    EXPECT_LE(worst / largest, 1e-15 * RawFormCancellation(fit.Centered, fit.Coefficients));
}

INSTANTIATE_TEST_SUITE_P(Poly, RawFormCancellationOfFit, ::testing::ValuesIn(kCancellationCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
