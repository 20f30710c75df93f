#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "curvefit/models.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

TFitResult Fitted(TCurveFit& engine, const Points& points, TModel model)
{
    engine.ClearData();
    for (auto [x, y] : points) engine.AddPoint(x, y);
    TFitResult fit;
    EXPECT_TRUE(CalcModelFit(engine, model, fit));
    return fit;
}

// A model with given coefficients, without fitting; the polynomials centred at 0 with scale 1,
// where the centred coefficients are the raw ones.
TFitResult Given(TModelKind kind, std::vector<double> k)
{
    TFitResult fit;
    fit.Model = {kind, int(k.size()) - 1};
    if (kind == mkPoly || kind == mkParabola) fit.Centered = {0.0, 1.0, k};
    fit.Coefficients = std::move(k);
    return fit;
}

// The window's curve rules at the ends of the range and where the model has no value: how the
// curve starts, how many points it has, and which samples are left out.
TEST(SampleCurve, StartsAndGapsByTheWindowsRules)
{
    struct Row {
        const char* name;
        TFitResult fit;
        double low, high;
        TCurvePoint first;      // the curve's first point
        std::size_t count;      // points in all
        std::vector<double> missing;  // sample x values left out
    };
    // y = 1/(k0 + k1 x) with a pole at x = 5, an exact sample of [0, 10] (x_100).
    const std::vector<Row> rows = {
        {"line: its two ends", Given(mkLine, {2, -0.5}), 0, 10, {0, -0.5, true}, 2, {}},
        {"parabola: every sample", Given(mkParabola, {1, 2, 0.5}), 0, 10, {0, 1, true}, 201, {}},
        {"log from 0: far below the axis", Given(mkLog, {3, 2}), 0, 10, {0, -1000000, true}, 201, {}},
        {"log from -10: samples at x <= 0 left out", Given(mkLog, {3, 2}), -10, 10, {0, -1000000, true}, 101, {0.0}},
        {"log from 1: its own start", Given(mkLog, {3, 0}), 1, 11, {1, 3, true}, 201, {}},
        {"reciprocal log from 0: no start point", Given(mkReciprocalLog, {1, 0.5}), 0, 10, {0.05, 1 / (1 + 0.5 * std::log(0.05)), false}, 200, {}},
        {"reciprocal: the pole at a sample is left out", Given(mkReciprocal, {-1, 0.2}), 0, 10, {0, -1, true}, 200, {5.0}},
        {"reciprocal: the pole at the start", Given(mkReciprocal, {-1, 0.2}), 5, 15, {5.05, 1 / (-1 + 0.2 * 5.05), false}, 200, {}},
        {"polynomial: one step right of low", Given(mkPoly, {1, 0, 0, 1}), 0, 10, {0.05, 1 + 0.05 * 0.05 * 0.05, true}, 201, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const TSampledCurve c = SampleCurve(r.fit, r.low, r.high, kCurveSamples);
        EXPECT_FALSE(c.Fault);
        ASSERT_EQ(c.Points.size(), r.count);
        EXPECT_DOUBLE_EQ(c.Points[0].X, r.first.X);
        EXPECT_DOUBLE_EQ(c.Points[0].Y, r.first.Y);
        EXPECT_EQ(c.Points[0].MoveTo, r.first.MoveTo);
        for (std::size_t i = 1; i < c.Points.size(); ++i) {
            EXPECT_FALSE(c.Points[i].MoveTo);
            for (double x : r.missing) EXPECT_NE(c.Points[i].X, x);
        }
        EXPECT_DOUBLE_EQ(c.Points.back().X, r.high);
    }
}

TEST(SampleCurve, APoleBetweenSamplesJumpsWithoutAGap)
{
    // The pole at x = 5.01 lies between x_100 = 5 and x_101 = 5.05.
    const TFitResult fit = Given(mkReciprocal, {-5.01, 1});
    const TSampledCurve c = SampleCurve(fit, 0, 10, kCurveSamples);
    ASSERT_EQ(c.Points.size(), 201u);
    EXPECT_LT(c.Points[100].Y, -99);
    EXPECT_GT(c.Points[101].Y, 24);
}

TEST(SampleCurve, TheSplineStartsAtItsFirstPointAndEndsAtItsLast)
{
    TCurveFit engine;
    const TFitResult fit = Fitted(engine, {{1, 1}, {2, 4}, {3, 2}}, {mkSpline, 0, 0.0});
    const TSampledCurve c = SampleCurve(fit, 0, 10, kCurveSamples);
    ASSERT_FALSE(c.Fault);
    EXPECT_EQ(c.Points[0].X, 1.0);
    EXPECT_EQ(c.Points[0].Y, 1.0);
    EXPECT_TRUE(c.Points[0].MoveTo);
    ASSERT_EQ(c.Points.size(), 1u + 41u) << "the samples 0.05, 0.10, ... from 1 to 3";
    EXPECT_DOUBLE_EQ(c.Points[1].X, 1.0);
    EXPECT_DOUBLE_EQ(c.Points.back().X, 3.0);
}

TEST(SampleCurve, AnOverflowKeepsThePointsBeforeIt)
{
    const TFitResult fit = Given(mkExp, {1, 100});  // e^(100 x) leaves the double range above 7.09
    const TSampledCurve c = SampleCurve(fit, 0, 10, kCurveSamples);
    ASSERT_TRUE(c.Fault);
    EXPECT_THROW(std::rethrow_exception(c.Fault), EOverflow);
    ASSERT_EQ(c.Points.size(), 1u + 141u);
    EXPECT_TRUE(c.Points[0].MoveTo);
    EXPECT_DOUBLE_EQ(c.Points.back().X, 7.05);
}

// The value at x: defined, left out, or a fault; the polynomial forms no power beyond its last
// term, so it agrees with the straight line wherever the line has a value.
TEST(ModelValue, DefinedUndefinedOrFault)
{
    enum Outcome { Value, NoValue, Overflow };
    struct Row {
        const char* name;
        TFitResult fit;
        double x;
        Outcome outcome;
        double y;
    };
    const std::vector<Row> rows = {
        {"line at 1e200", Given(mkLine, {2, 1}), 1e200, Value, 2e200},
        {"poly:1 at 1e200", Given(mkPoly, {1, 2}), 1e200, Value, 2e200},
        {"poly:2 at 1e150", Given(mkPoly, {0, 0, 1}), 1e150, Value, 1e300},
        {"poly:0 at 1e300", Given(mkPoly, {7}), 1e300, Value, 7},
        {"poly:2 at 1e200", Given(mkPoly, {0, 0, 1}), 1e200, Overflow, 0},
        {"line at 1e308", Given(mkLine, {2, 1}), 1e308, Overflow, 0},
        {"log at 0", Given(mkLog, {1, 1}), 0, NoValue, 0},
        {"log at -1", Given(mkLog, {1, 1}), -1, NoValue, 0},
        {"reciprocal at its pole", Given(mkReciprocal, {-1, 0.5}), 2, NoValue, 0},
        {"reciprocal log at x = e^2", Given(mkReciprocalLog, {1, 0.5}), std::exp(2.0), Value, 0.5},
        {"reciprocal log at 1 (k0 = 0)", Given(mkReciprocalLog, {0, 1}), 1, NoValue, 0},
        {"exp at 800", Given(mkExp, {1, 1}), 800, Overflow, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        double y = 0;
        if (r.outcome == Overflow) {
            EXPECT_THROW(ModelValue(r.fit, r.x, y), EOverflow);
            continue;
        }
        const bool defined = ModelValue(r.fit, r.x, y);
        EXPECT_EQ(defined, r.outcome == Value);
        if (defined) {
            EXPECT_DOUBLE_EQ(y, r.y);
        }
    }
}

TEST(ModelTexts, CaptionsAndPlainFormulas)
{
    struct Row {
        TFitResult fit;
        const char* caption;
        const char* params;
        const char* formula;
        std::vector<std::string> names;
    };
    const std::vector<Row> rows = {
        {Given(mkLine, {2, -0.5}), "y = k*x + d", "k = 2.000    d = -0.500", "y = k*x + d", {"k", "d"}},
        {Given(mkParabola, {1, 2, 0.5}), "y = k0 + k1*x + k2*sqr(x)", "k0 = 1.000    k1 = 2.000    k2 = 0.500",
         "y = k0 + k1*x + k2*x^2", {"k0", "k1", "k2"}},
        {Given(mkReciprocal, {0.5, 0.25}), "y = 1/(k0 + k1*x)", "k0 = 0.500     k1 = 0.250", "y = 1/(k0 + k1*x)", {"k0", "k1"}},
        {Given(mkReciprocalLog, {1, 0.5}), "y = 1/(k0 + k1*ln(x))", "k0 = 1.000     k1 = 0.500", "y = 1/(k0 + k1*ln(x))",
         {"k0", "k1"}},
        {Given(mkPoly, {1, 0, 0, 1}), "y = k0+k1*x+k2*x^2 +k3*x^3 ", "k0=1.000  k1=0.000  k2=0.000  k3=1.000  ",
         "y = c0 + c1*x + c2*x^2 + c3*x^3", {"c0", "c1", "c2", "c3"}},
        {Given(mkPoly, {4}), "y = k0+k1*x", "k0=4.000  ", "y = c0", {"c0"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(FormulaCaption(r.fit.Model), r.caption);
        EXPECT_EQ(ParameterCaption(r.fit), r.params);
        EXPECT_EQ(FormulaText(r.fit.Model), r.formula);
        EXPECT_EQ(ParameterNames(r.fit.Model), r.names);
    }
}

// The spline of a fit result is a value of its own: what the engine does afterwards (another
// factor, more points, other points, its end) changes none of its values, and a copy of the
// result evaluates as it does, bit for bit.
TEST(CalcModelFit, TheSplineOutlivesItsEngineAndCopiesEvaluateAlike)
{
    Points points;
    for (int i = 0; i < 40; ++i) points.emplace_back(0.25 * i, std::sin(0.3 * i) + 0.2 * ((i * 7) % 5));
    auto engine = std::make_unique<TCurveFit>();
    const TFitResult fit = Fitted(*engine, points, {mkSpline, 0, 0.3});
    std::vector<double> xs = {points.front().first, points.back().first, -1.0, 11.0};
    for (int i = 0; i <= 100; ++i) xs.push_back(0.0975 * i);
    std::vector<double> expected;
    std::vector<bool> inside;
    for (double x : xs) {
        double quality = 0.0;
        bool valid = false;
        expected.push_back(engine->SplineValue(x, quality, valid));
        inside.push_back(valid);
    }
    const TSampledCurve curve = SampleCurve(fit, -1.0, 11.0, kCurveSamples);
    ASSERT_FALSE(curve.Fault);

    const TFitResult copy = fit;
    const auto holds = [&](const char* after) {
        SCOPED_TRACE(after);
        for (const TFitResult* f : {&fit, &copy}) {
            for (std::size_t i = 0; i < xs.size(); ++i) {
                double y = -1.0;
                EXPECT_EQ(ModelValue(*f, xs[i], y), inside[i]) << xs[i];
                EXPECT_EQ(std::bit_cast<std::uint64_t>(y), std::bit_cast<std::uint64_t>(expected[i])) << xs[i];
            }
            const TSampledCurve again = SampleCurve(*f, -1.0, 11.0, kCurveSamples);
            ASSERT_EQ(again.Points.size(), curve.Points.size());
            for (std::size_t i = 0; i < curve.Points.size(); ++i) {
                EXPECT_EQ(again.Points[i].X, curve.Points[i].X) << i;
                EXPECT_EQ(std::bit_cast<std::uint64_t>(again.Points[i].Y), std::bit_cast<std::uint64_t>(curve.Points[i].Y))
                    << i;
            }
        }
    };
    holds("the fit");
    TFitResult other;
    engine->SetSplineSmoothing(0.9);
    ASSERT_TRUE(CalcModelFit(*engine, {mkSpline, 0, 0.9}, other));
    holds("another factor fitted");
    engine->AddPoint(12.0, 40.0);
    ASSERT_TRUE(CalcModelFit(*engine, {mkSpline, 0, 0.3}, other));
    holds("a point added and the same factor fitted");
    engine->ClearData();
    for (auto [x, y] : points) engine->AddPoint(2 * x, -y);
    ASSERT_TRUE(CalcModelFit(*engine, {mkSpline, 0, 0.3}, other));
    holds("other points");
    engine.reset();
    holds("the engine gone");
}

// The window searches the smoothing for the user on a worker thread and cancels the search when
// the user goes on: a cancelled search raises, and the next one chooses as an engine that was
// never stopped.
TEST(CalcModelFit, ACancelledSmoothingSearchRaisesAndTheNextOneChoosesAsEver)
{
    Points points;
    for (int i = 0; i < 200; ++i) points.emplace_back(0.05 * i, std::sin(0.1 * i) + 0.3 * ((i * 7) % 5));
    TModel automatic{mkSpline};
    automatic.SplineAuto = true;
    TCurveFit reference;
    const TFitResult expected = Fitted(reference, points, automatic);

    TCurveFit engine;
    for (auto [x, y] : points) engine.AddPoint(x, y);
    std::atomic<bool> cancel{true};
    engine.SetSplineCancel(&cancel);
    TFitResult fit;
    EXPECT_THROW(CalcModelFit(engine, automatic, fit), ESplineCancelled);
    cancel = false;
    ASSERT_TRUE(CalcModelFit(engine, automatic, fit));
    EXPECT_EQ(fit.Coefficients, expected.Coefficients) << "factor, df and GCV score";
    for (double x : {0.0, 3.3, 9.95}) {
        double y = 0, z = 0;
        ASSERT_TRUE(ModelValue(fit, x, y));
        ASSERT_TRUE(ModelValue(expected, x, z));
        EXPECT_EQ(y, z) << x;
    }
}

TEST(CalcModelFit, TheEnginesErrorsRaiseAndThePolynomialOrderIsCapped)
{
    TCurveFit engine;
    engine.AddPoint(1, 1);
    TFitResult fit;
    EXPECT_THROW(CalcModelFit(engine, {mkLine}, fit), EQZLMath2Error);
    EXPECT_THROW(CalcModelFit(engine, {mkSpline}, fit), EQZLMath2Error);
    for (double x : {2.0, 3.0}) engine.AddPoint(x, x * x);
    ASSERT_TRUE(CalcModelFit(engine, {mkPoly, 25}, fit));
    EXPECT_EQ(fit.Model.Order, kMaxPolyOrder);
    EXPECT_EQ(fit.Coefficients.size(), std::size_t(kMaxPolyOrder) + 1);
}

}  // namespace
