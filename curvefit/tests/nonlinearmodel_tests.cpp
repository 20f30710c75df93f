// The nonlinear models as fits of their own: TModel names a built-in or a formula, CalcModelFit
// turns the search into a TFitResult, and the evaluator, sampler, captions and bands of the
// other models serve them too.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "curvefit/models.h"

namespace {

const std::vector<double> kSpeed{4,  4,  7,  7,  8,  9,  10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13,
                                 13, 13, 14, 14, 14, 14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18,
                                 18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
const std::vector<double> kDist{2,  10, 4,  22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24, 28, 26, 34,
                                34, 46, 26, 36, 60, 80, 20, 26, 54, 32, 40, 32, 40, 50, 42, 56, 76,
                                84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92, 93, 120, 85};

void AddPoints(TCurveFit& engine, const std::vector<double>& x, const std::vector<double>& y)
{
    for (std::size_t i = 0; i < x.size(); ++i) engine.AddPoint(x[i], y[i]);
}

TModel Builtin(const char* name)
{
    TModel model;
    model.Kind = mkNonlinear;
    model.Builtin = name;
    return model;
}

TModel Formula(const char* text, std::vector<std::pair<std::string, double>> start = {})
{
    TModel model;
    model.Kind = mkNonlinear;
    model.Formula = text;
    model.Start = std::move(start);
    return model;
}

// R's nls stops at its own relative-offset tolerance, a few units in the sixth digit short of
// the least-squares solution this engine reaches; the conventions are checked at that distance.
constexpr double kNlsDigits = 1e-5;

void ExpectNear(double value, double r) { EXPECT_NEAR(value, r, kNlsDigits * std::fabs(r)) << value; }

// m <- nls(dist ~ a*exp(b*speed), cars, start = list(a = 5.3, b = 0.12)); summary(m);
// deviance(m); AIC(m); BIC(m); the band by the delta method with vcov(m) and qt(0.975, 48).
TEST(NonlinearModel, TheExponentialInYOnCarsAsR)
{
    TCurveFit engine;
    AddPoints(engine, kSpeed, kDist);
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, Builtin("exp-y"), fit));
    ASSERT_EQ(fit.Status, fsFitted) << fit.Failure;
    ASSERT_TRUE(fit.HasErrors);
    ASSERT_EQ(fit.Parameters.size(), 2u);
    EXPECT_EQ(fit.Parameters[0].Name, "a");
    EXPECT_EQ(fit.Parameters[1].Name, "b");
    EXPECT_EQ(fit.Coefficients[0], fit.Parameters[0].Value);
    ExpectNear(fit.Parameters[0].Value, 9.404499748314762542);
    ExpectNear(fit.Parameters[1].Value, 0.091681878400481781);
    ExpectNear(fit.Parameters[0].StdError, 1.957506617552104311);
    ExpectNear(fit.Parameters[1].StdError, 0.010281139173044313);
    EXPECT_GT(fit.Iterations, 0);

    const TFitStatistics& st = fit.Statistics;
    EXPECT_EQ(st.Points, 50);
    EXPECT_EQ(st.Rank, 2);
    EXPECT_EQ(st.Dof, 48);
    ExpectNear(st.Rss, 10904.61092689571);
    ExpectNear(st.ResidualStdError, 15.072471406850546);
    ExpectNear(st.RSquared, 0.66487545316737928);
    EXPECT_EQ(fit.Quality, st.RSquared);
    ExpectNear(st.AdjRSquared, 1 - (1 - 0.66487545316737928) * 49 / 48);
    ASSERT_TRUE(st.HasInformation);
    ExpectNear(st.Aic, 417.1397530283237);
    ExpectNear(st.Bic, 422.87582204460813);
    EXPECT_FALSE(st.HasF);
    EXPECT_EQ(fit.Residuals.size(), 50u);
    ASSERT_EQ(fit.Covariance.size(), 4u);
    EXPECT_NEAR(std::sqrt(fit.Covariance[3]), fit.Parameters[1].StdError, 1e-15);

    // AddStatistics leaves what the fit brought.
    const TFitStatistics before = st;
    AddStatistics(engine, fit);
    EXPECT_EQ(fit.Statistics.Aic, before.Aic);
    EXPECT_EQ(fit.Residuals.size(), 50u);

    double low = 0, high = 0;
    ParameterInterval(fit, 1, 0.95, low, high);
    ExpectNear(low, 0.091681878400481781 - 2.0106347576242318 * 0.010281139173044313);

    // Inside the data and beyond them.
    const TBandPoint inside = BandAt(fit, 10, 0.95), outside = BandAt(fit, 30, 0.95);
    ASSERT_TRUE(inside.Defined && outside.Defined);
    ExpectNear(inside.Y, 23.5236678146159939);
    ExpectNear(inside.ConfLow, 18.3228236729725253);
    ExpectNear(inside.ConfHigh, 28.7245119562594624);
    ExpectNear(inside.PredLow, -7.2246011083785966);
    ExpectNear(inside.PredHigh, 54.2719367376105879);
    ExpectNear(outside.ConfLow, 113.37895620031182);
    ExpectNear(outside.ConfHigh, 180.97759859582501);
    ExpectNear(outside.PredLow, 101.78222717996853);
    ExpectNear(outside.PredHigh, 192.57432761616832);
}

// The formula's own starts by name, the rest at 1: Misra1a from NIST's first start (b1 = 500,
// b2 = 1e-4) to its certified values.
TEST(NonlinearModel, AFormulaStartsFromTheNamedValues)
{
    const std::vector<double> x{77.6, 114.9, 141.1, 190.8, 239.9, 289.0, 332.8, 378.4, 434.8, 477.3, 536.8, 593.1,
                                689.1, 760.0};
    const std::vector<double> y{10.07, 14.73, 17.94, 23.93, 29.61, 35.18, 40.02, 44.82, 50.76, 55.05, 61.01, 66.40,
                                75.47, 81.78};
    TCurveFit engine;
    AddPoints(engine, x, y);
    TFitResult fit;
    CalcModelFit(engine, Formula("y = b1*(1-exp(-b2*x))", {{"b1", 500}, {"b2", 1e-4}}), fit);
    ASSERT_EQ(fit.Status, fsFitted) << fit.Failure;
    EXPECT_NEAR(fit.Parameters[0].Value, 2.3894212918E+02, 1e-8 * 2.4e2);
    EXPECT_NEAR(fit.Parameters[1].Value, 5.5015643181E-04, 1e-8 * 5.5e-4);
    EXPECT_NEAR(fit.Parameters[0].StdError, 2.7070075241E+00, 1e-6 * 2.7);
    EXPECT_NEAR(fit.Parameters[1].StdError, 7.2668688436E-06, 1e-6 * 7.3e-6);
    EXPECT_EQ(FormulaText(fit.Model), "y = b1*(1-exp(-b2*x))");
    EXPECT_EQ(ParameterCaption(fit), "b1 = 238.942    b2 = 0.001");

    // A start for a name the formula does not hold is an error, not a silent start at 1.
    EXPECT_THROW(CalcModelFit(engine, Formula("y = b1*(1-exp(-b2*x))", {{"b3", 1}}), fit), EQZLMath2Error);
}

// A fit that does not converge fails and says why; it never hands out where it stopped.
TEST(NonlinearModel, ANonConvergingFitFails)
{
    TCurveFit engine;
    AddPoints(engine, {1, 2, 3, 4}, {2, 4.1, 5.9, 8.2});
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, Formula("a*x + 0*c"), fit));
    EXPECT_EQ(fit.Status, fsFailed);
    EXPECT_NE(fit.Failure.find("c"), std::string::npos) << fit.Failure;
    EXPECT_TRUE(fit.Coefficients.empty());
    EXPECT_TRUE(fit.Parameters.empty());
    EXPECT_FALSE(fit.HasErrors);
}

TEST(NonlinearModel, ValuesAndCurveComeFromTheFormula)
{
    TCurveFit engine;
    AddPoints(engine, {1, 2, 3, 4, 5}, {0.1, 0.8, 1.0, 1.5, 1.6});
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, Formula("k*ln(x)"), fit));
    ASSERT_EQ(fit.Status, fsFitted) << fit.Failure;
    const double k = fit.Coefficients[0];
    double y = 0;
    ASSERT_TRUE(ModelValue(fit, 2.5, y));
    EXPECT_DOUBLE_EQ(y, k * std::log(2.5));
    EXPECT_FALSE(ModelValue(fit, -1, y));  // ln has no value there

    // The samples at x <= 0 are left out; the rest lie on the curve.
    const TSampledCurve curve = SampleCurve(fit, -1, 3, 8);
    EXPECT_FALSE(curve.Fault);
    ASSERT_EQ(curve.Points.size(), 6u);
    EXPECT_DOUBLE_EQ(curve.Points.front().X, 0.5);
    for (const TCurvePoint& p : curve.Points) EXPECT_DOUBLE_EQ(p.Y, k * std::log(p.X));
    EXPECT_FALSE(BandAt(fit, -1, 0.95).Defined);
    EXPECT_TRUE(BandAt(fit, 3, 0.95).Defined);
}

TEST(NonlinearModel, AnOverflowIsAFault)
{
    TCurveFit engine;
    AddPoints(engine, {0, 1, 2, 3}, {1, 2.7, 7.4, 20.1});
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, Formula("exp(a*x)"), fit));
    ASSERT_EQ(fit.Status, fsFitted) << fit.Failure;
    double y = 0;
    EXPECT_THROW(ModelValue(fit, 1e4, y), EOverflow);
    const TSampledCurve curve = SampleCurve(fit, 0, 1e4, 10);
    EXPECT_TRUE(curve.Fault);
    EXPECT_EQ(curve.Points.size(), 1u);
}

TEST(NonlinearModel, CaptionsAndNames)
{
    EXPECT_EQ(FormulaText(Formula("  a*x^b ")), "y = a*x^b");
    EXPECT_EQ(FormulaCaption(Formula("y = a*x^b")), "y = a*x^b");
    EXPECT_EQ(ParameterNames(Formula("y = b2*x + b1")), (std::vector<std::string>{"b2", "b1"}));
    EXPECT_EQ(ParameterNames(Builtin("logistic")), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(FormulaText(Builtin("power")).substr(0, 4), "y = ");
}

TEST(NonlinearModel, TakesNoStandardDeviations)
{
    TCurveFit engine;
    AddPoints(engine, kSpeed, kDist);
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, Builtin("exp-y"), fit));
    TStatisticsOptions options;
    options.Sigma.assign(50, 1.0);
    EXPECT_THROW(AddStatistics(engine, fit, options), EQZLMath2Error);
}

}  // namespace
