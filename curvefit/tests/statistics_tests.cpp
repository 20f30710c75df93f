// What a fit is worth: the standard errors, statistics and bands of TFitResult against the
// certified values of NIST's linear data sets and against R's summary.lm, predict.lm, AIC and
// BIC on R's own data.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "curvefit/kernels.h"
#include "curvefit/models.h"

namespace {

// Correct significant digits of `value` against `certified`.
double Lre(double value, double certified)
{
    if (value == certified) return 16;
    return -std::log10(std::fabs(value - certified) / std::fabs(certified));
}

struct TCertified {
    std::vector<double> estimate, sd;
    double residualSd = 0, rSquared = 0, f = 0;
    bool fInfinite = false;
    std::vector<double> x, y;
};

TCertified ReadNist(const std::string& name)
{
    std::ifstream in(std::string(KALMIRA_NIST_DIR) + "/" + name + ".dat");
    TCertified c;
    const std::regex param(R"(^\s+B\d+\s+(\S+)\s+(\S+))");
    const std::regex residual(R"(^\s+Standard Deviation\s+(\S+))");
    const std::regex r2(R"(^\s+R-Squared\s+(\S+))");
    const std::regex regression(R"(^Regression\s+\d+\s+\S+\s+\S+\s+(\S+))");
    const std::regex data(R"(^\s*(-?[0-9.Ee+-]+)\s+(-?[0-9.Ee+-]+)\s*$)");
    bool inData = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (line.starts_with("Data:") && line.find('y') != std::string::npos && line.find('x') != std::string::npos &&
            line.find("Response") == std::string::npos) {
            inData = true;
        } else if (inData && std::regex_match(line, m, data)) {
            c.y.push_back(std::stod(m[1]));
            c.x.push_back(std::stod(m[2]));
        } else if (std::regex_search(line, m, param)) {
            c.estimate.push_back(std::stod(m[1]));
            c.sd.push_back(std::stod(m[2]));
        } else if (std::regex_search(line, m, residual)) {
            c.residualSd = std::stod(m[1]);
        } else if (std::regex_search(line, m, r2)) {
            c.rSquared = std::stod(m[1]);
        } else if (std::regex_search(line, m, regression)) {
            c.fInfinite = m[1] == "Infinity";
            if (!c.fInfinite) c.f = std::stod(m[1]);
        }
    }
    return c;
}

TFitResult FitWithStatistics(TCurveFit& engine, const TModel& model, const TStatisticsOptions& options = {})
{
    TFitResult fit;
    EXPECT_TRUE(CalcModelFit(engine, model, fit));
    AddStatistics(engine, fit, options);
    return fit;
}

struct TNistCase {
    const char* name;
    TModel model;
    double digits;  // at least this many correct digits of every certified statistic
};

class NistStatistics : public ::testing::TestWithParam<TNistCase> {};

// Every certified standard deviation of the estimates, the residual standard deviation, R^2 and
// F; where a certified value is 0 (an exact fit) the computed one is 0 or within rounding of it.
TEST_P(NistStatistics, MatchTheCertifiedValues)
{
    const TNistCase& tc = GetParam();
    const TCertified c = ReadNist(tc.name);
    ASSERT_FALSE(c.x.empty());
    TCurveFit engine;
    for (std::size_t i = 0; i < c.x.size(); ++i) engine.AddPoint(c.x[i], c.y[i]);
    const TFitResult fit = FitWithStatistics(engine, tc.model);
    ASSERT_TRUE(fit.HasErrors);
    ASSERT_EQ(fit.Parameters.size(), c.sd.size());
    // The certified B0, B1, ... are the constant first; the line names its slope first.
    for (std::size_t j = 0; j < c.sd.size(); ++j) {
        const std::size_t shown = tc.model.Kind == mkLine ? 1 - j : j;
        SCOPED_TRACE("B" + std::to_string(j));
        const double se = fit.Parameters[shown].StdError;
        if (c.sd[j] == 0)
            EXPECT_LE(se, 1e-12 * std::fabs(c.estimate[j]));
        else
            EXPECT_GE(Lre(se, c.sd[j]), tc.digits) << se;
    }
    const TFitStatistics& st = fit.Statistics;
    if (c.residualSd == 0) {
        EXPECT_LE(st.ResidualStdError, 1e-12 * std::fabs(c.y.back()));
    } else {
        EXPECT_GE(Lre(st.ResidualStdError, c.residualSd), tc.digits) << st.ResidualStdError;
    }
    EXPECT_GE(Lre(st.RSquared, c.rSquared), tc.digits) << st.RSquared;
    if (!c.fInfinite) {
        ASSERT_TRUE(st.HasF);
        EXPECT_GE(Lre(st.FStatistic, c.f), tc.digits) << st.FStatistic;
    }
    EXPECT_EQ(st.Dof, int(c.x.size() - c.sd.size()));
    // The loops for machines without wide vectors give the same numbers.
    kernels::UsePortableKernels(true);
    const TFitResult portable = FitWithStatistics(engine, tc.model);
    kernels::UsePortableKernels(false);
    for (std::size_t j = 0; j < c.sd.size(); ++j) EXPECT_EQ(portable.Parameters[j].StdError, fit.Parameters[j].StdError);
    EXPECT_EQ(portable.Statistics.Rss, st.Rss);
}

const TNistCase kNistCases[] = {
    {"Norris", {mkLine}, 10},          {"Norris", {mkPoly, 1}, 10},  {"Pontius", {mkParabola}, 10},
    {"Pontius", {mkPoly, 2}, 10},      {"Filip", {mkPoly, 10}, 7},   {"Wampler1", {mkPoly, 5}, 10},
    {"Wampler2", {mkPoly, 5}, 10},     {"Wampler3", {mkPoly, 5}, 10}, {"Wampler4", {mkPoly, 5}, 10},
    {"Wampler5", {mkPoly, 5}, 10},
};

INSTANTIATE_TEST_SUITE_P(Nist, NistStatistics, ::testing::ValuesIn(kNistCases), [](const auto& info) {
    return std::string(info.param.name) + "_" + std::to_string(info.param.model.Kind) + "_" +
           std::to_string(info.param.model.Order);
});

// A perfect fit has errors of exactly 0 and raises nothing: t and F are left out, not divided
// by zero.
TEST(FitStatistics, APerfectFitHasZeroErrors)
{
    const TCertified c = ReadNist("Wampler1");
    TCurveFit engine;
    for (std::size_t i = 0; i < c.x.size(); ++i) engine.AddPoint(c.x[i], c.y[i]);
    TStatisticsOptions withResiduals;
    withResiduals.Residuals = true;
    const TFitResult fit = FitWithStatistics(engine, {mkPoly, 5}, withResiduals);
    ASSERT_TRUE(fit.HasErrors);
    for (const TFitParameter& p : fit.Parameters) EXPECT_EQ(p.StdError, 0.0) << p.Name;
    EXPECT_EQ(fit.Statistics.Rss, 0.0);
    EXPECT_FALSE(fit.Statistics.HasF);
    EXPECT_FALSE(fit.Statistics.HasInformation);
    for (double r : fit.Residuals) EXPECT_EQ(r, 0.0);
    const TBandPoint band = BandAt(fit, 7.5, 0.95);
    ASSERT_TRUE(band.Defined);
    EXPECT_EQ(band.ConfLow, band.Y);
    EXPECT_EQ(band.PredHigh, band.Y);
}

const double kCarsSpeed[] = {4,  4,  7,  7,  8,  9,  10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13,
                             13, 13, 14, 14, 14, 14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18,
                             18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
const double kCarsDist[] = {2,  10, 4,  22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24,  28, 26, 34,
                            34, 46, 26, 36, 60, 80, 20, 26, 54, 32, 40, 32, 40, 50,  42, 56, 76,
                            84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92, 93, 120, 85};

void AddCars(TCurveFit& engine)
{
    for (std::size_t i = 0; i < std::size(kCarsSpeed); ++i) engine.AddPoint(kCarsSpeed[i], kCarsDist[i]);
}

constexpr double kRDigits = 1e-12;  // R prints 15 digits; both sides agree to 12 or more

void ExpectNear(double value, double r)
{
    EXPECT_NEAR(value, r, kRDigits * std::fabs(r)) << value;
}

// m <- lm(dist ~ speed, cars); summary(m); AIC(m); BIC(m); confint(m)
// predict(m, data.frame(speed = c(10, 30)), interval = "confidence")  (and "prediction")
TEST(FitStatistics, TheLineOnCarsAsR)
{
    TCurveFit engine;
    AddCars(engine);
    const TFitResult fit = FitWithStatistics(engine, {mkLine});
    ASSERT_TRUE(fit.HasErrors);
    ExpectNear(fit.Parameters[1].Value, -17.57909489051089);
    ExpectNear(fit.Parameters[1].StdError, 6.758440169379234);
    ExpectNear(fit.Parameters[0].StdError, 0.415512776657122);
    ExpectNear(fit.Parameters[0].Value / fit.Parameters[0].StdError, 9.46398999029837);
    ExpectNear(StudentTwoSidedP(fit.Parameters[1].Value / fit.Parameters[1].StdError, 48), 1.23188161538090e-02);
    const TFitStatistics& st = fit.Statistics;
    ExpectNear(st.ResidualStdError, 15.379586748819907);
    ExpectNear(st.RSquared, 0.651079380758251);
    ExpectNear(st.AdjRSquared, 0.643810201190715);
    ExpectNear(st.FStatistic, 89.567106536467719);
    ExpectNear(st.FPValue, 1.48983649629509e-12);
    ExpectNear(st.Aic, 419.156863027353268);
    ExpectNear(st.Bic, 424.892932043637700);
    double low = 0, high = 0;
    ParameterInterval(fit, 1, 0.95, low, high);
    ExpectNear(low, -31.16784960238858);
    ExpectNear(high, -3.99034017863321);
    ParameterInterval(fit, 0, 0.95, low, high);
    ExpectNear(low, 3.09696432814032);
    ExpectNear(high, 4.76785319010785);

    // Inside the data and beyond them (the fastest car drove 25).
    const TBandPoint inside = BandAt(fit, 10, 0.95), outside = BandAt(fit, 30, 0.95);
    ASSERT_TRUE(inside.Defined && outside.Defined);
    ExpectNear(inside.Y, 21.744992700730);
    ExpectNear(inside.ConfLow, 15.4619173399590);
    ExpectNear(inside.ConfHigh, 28.0280680615009);
    ExpectNear(inside.PredLow, -9.80960078798059);
    ExpectNear(inside.PredHigh, 53.2995861894405);
    ExpectNear(outside.ConfLow, 87.4354274518982);
    ExpectNear(outside.ConfHigh, 113.3509083145251);
    ExpectNear(outside.PredLow, 66.86529334076650);
    ExpectNear(outside.PredHigh, 133.9210424256569);
}

// m <- lm(weight ~ poly(height, 3, raw = TRUE), women); summary(m); AIC(m); BIC(m)
// predict(m, data.frame(height = c(65.5, 80)), interval = "prediction", level = 0.9)
TEST(FitStatistics, TheCubicOnWomenAsR)
{
    TCurveFit engine;
    const double weight[] = {115, 117, 120, 123, 126, 129, 132, 135, 139, 142, 146, 150, 154, 159, 164};
    for (int i = 0; i < 15; ++i) engine.AddPoint(58 + i, weight[i]);
    const TFitResult fit = FitWithStatistics(engine, {mkPoly, 3});
    ASSERT_TRUE(fit.HasErrors);
    // Raw coefficients of a cubic at x near 65 carry the cancellation of the data's offset: 9 digits.
    const double r[][2] = {{-8.96747633410702e+02, 2.94574544767566e+02},
                           {4.64107891018906e+01, 1.36553533011394e+01},
                           {-7.46184371183230e-01, 2.10521222041429e-01},
                           {4.25255572313817e-03, 1.07939894462707e-03}};
    for (int j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(fit.Parameters[j].Value, r[j][0], 1e-9 * std::fabs(r[j][0]));
        EXPECT_NEAR(fit.Parameters[j].StdError, r[j][1], 1e-9 * r[j][1]);
    }
    // R solves in the raw powers of x near 65 (a design of condition near 1e9): its residual
    // sum, and so F, AIC and BIC, carry about 11 digits.
    const auto nearR = [](double value, double r) { EXPECT_NEAR(value, r, 1e-10 * std::fabs(r)); };
    nearR(fit.Statistics.ResidualStdError, 2.58342361149682e-01);
    nearR(fit.Statistics.AdjRSquared, 9.99722155997373e-01);
    nearR(fit.Statistics.FStatistic, 1.67923290091139e+04);
    nearR(fit.Statistics.Aic, 7.31174429593324e+00);
    nearR(fit.Statistics.Bic, 1.08519953014443e+01);
    const TBandPoint inside = BandAt(fit, 65.5, 0.9), outside = BandAt(fit, 80, 0.9);
    ExpectNear(inside.PredLow, 136.359562818506);
    ExpectNear(inside.PredHigh, 137.356607816415);
    ExpectNear(outside.Y, 217.844049414623);
    ExpectNear(outside.PredLow, 212.042150411967);
    ExpectNear(outside.PredHigh, 223.645948417280);
}

// The exponential regresses ln y on x: m <- lm(log(dist) ~ speed, cars); exp(confint(m));
// exp(predict(m, data.frame(speed = 12), interval = "confidence"))
TEST(FitStatistics, TheExponentialInItsOwnVariables)
{
    TCurveFit engine;
    AddCars(engine);
    const TFitResult fit = FitWithStatistics(engine, {mkExp});
    ASSERT_TRUE(fit.HasErrors);
    const double k0 = fit.Parameters[0].Value;
    ExpectNear(std::log(k0), 1.676123514940654);
    ExpectNear(fit.Parameters[0].StdError, k0 * 0.1961364870819292);
    ExpectNear(fit.Parameters[1].StdError, 0.0120585836833223);
    double low = 0, high = 0;
    ParameterInterval(fit, 0, 0.95, low, high);
    ExpectNear(low, 3.60299223557743);
    ExpectNear(high, 7.92864660295489);
    const TBandPoint band = BandAt(fit, 12, 0.95);
    ASSERT_TRUE(band.Defined);
    ExpectNear(band.Y, 22.7668552038999);
    ExpectNear(band.ConfLow, 19.5694740422846);
    ExpectNear(band.ConfHigh, 26.4866441865205);
}

// The reciprocal model's band maps back through y = 1/Y; where the band of 1/y reaches 0 there is
// no band in y.
TEST(FitStatistics, TheReciprocalBandMapsBack)
{
    TCurveFit engine;
    const double y[] = {1.0, 0.52, 0.33, 0.26, 0.19, 0.17};
    for (int i = 0; i < 6; ++i) engine.AddPoint(i + 1, y[i]);
    const TFitResult fit = FitWithStatistics(engine, {mkReciprocal});
    const TBandPoint band = BandAt(fit, 3.5, 0.95);
    ASSERT_TRUE(band.Defined);
    EXPECT_LT(band.ConfLow, band.Y);
    EXPECT_GT(band.ConfHigh, band.Y);
    EXPECT_LE(band.PredLow, band.ConfLow);
    EXPECT_GE(band.PredHigh, band.ConfHigh);
    // Far to the left 1/y = k0 + k1 x passes through 0.
    EXPECT_FALSE(BandAt(fit, -fit.Coefficients[0] / fit.Coefficients[1], 0.95).Defined);
}

// Weighted least squares with known standard deviations of y:
// x <- 1:6; y <- c(2.1, 3.9, 6.2, 7.8, 10.1, 12.2); sg <- c(0.1, 0.2, 0.1, 0.3, 0.2, 0.1)
// m <- lm(y ~ x, weights = 1/sg^2); summary(m); AIC(m); coef(summary(m))[, 2] / summary(m)$sigma
TEST(FitStatistics, WeightedByKnownErrors)
{
    TCurveFit engine;
    const double y[] = {2.1, 3.9, 6.2, 7.8, 10.1, 12.2};
    for (int i = 0; i < 6; ++i) engine.AddPoint(i + 1, y[i]);
    TStatisticsOptions options;
    options.Sigma = {0.1, 0.2, 0.1, 0.3, 0.2, 0.1};
    const TFitResult scaled = FitWithStatistics(engine, {mkLine}, options);
    ASSERT_TRUE(scaled.HasErrors);
    ExpectNear(scaled.Parameters[1].Value, 0.0658103041244263);
    ExpectNear(scaled.Parameters[0].Value, 2.0196917094847944);
    ExpectNear(scaled.Parameters[1].StdError, 0.0921405435696908);
    ExpectNear(scaled.Parameters[0].StdError, 0.0236037066409922);
    ExpectNear(scaled.Statistics.ResidualStdError, 0.878364837766102);
    ExpectNear(scaled.Statistics.Aic, -3.623054933269085);
    // Taken as they are, the errors are not rescaled by s^2.
    options.AbsoluteSigma = true;
    const TFitResult absolute = FitWithStatistics(engine, {mkPoly, 1}, options);
    ExpectNear(absolute.Parameters[0].StdError, 0.1049000820707109);
    ExpectNear(absolute.Parameters[1].StdError, 0.0268723264253408);

    // By hand: with every sigma equal the weights change nothing but the scale of the errors.
    options = {};
    options.Sigma.assign(6, 0.5);
    const TFitResult equal = FitWithStatistics(engine, {mkParabola}, options);
    const TFitResult plain = FitWithStatistics(engine, {mkParabola});
    for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(equal.Parameters[j].Value, plain.Parameters[j].Value, 1e-13 * std::fabs(plain.Parameters[j].Value) + 1e-15);
        EXPECT_NEAR(equal.Parameters[j].StdError, plain.Parameters[j].StdError, 1e-12 * plain.Parameters[j].StdError);
    }
}

TEST(FitStatistics, RefusesBadStandardDeviations)
{
    TCurveFit engine;
    for (int i = 0; i < 4; ++i) engine.AddPoint(i, i * i);
    for (double bad : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        TStatisticsOptions options;
        options.Sigma = {1, 1, bad, 1};
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(engine, {mkLine}, fit));
        try {
            AddStatistics(engine, fit, options);
            ADD_FAILURE() << bad;
        } catch (const EQZLMath2Error& e) {
            EXPECT_NE(std::string(e.what()).find("point 3"), std::string::npos) << e.what();
        }
    }
    TFitResult exp;
    TCurveFit positive;
    for (int i = 1; i <= 4; ++i) positive.AddPoint(i, i * i);
    ASSERT_TRUE(CalcModelFit(positive, {mkExp}, exp));
    TStatisticsOptions options;
    options.Sigma.assign(4, 1.0);
    EXPECT_THROW(AddStatistics(positive, exp, options), EQZLMath2Error);
}

// A spline fit's statistics are those of its own factor, even when the engine has fitted another
// since (the smoothing bar's worker does while the handle is dragged): the residuals are those of
// the fit's curve, and the residual sum, df and GCV those of its factor.
TEST(FitStatistics, TheSplinesAreThoseOfItsOwnFactor)
{
    TCurveFit engine;
    for (int i = 0; i < 60; ++i) engine.AddPoint(0.1 * i, std::cos(0.2 * i) + 0.15 * ((i * 5) % 7));
    struct Row {
        const char* name;
        TModel model;
    };
    TModel automatic{mkSpline};
    automatic.SplineAuto = true;
    const Row rows[] = {{"factor 0.3", {mkSpline, 0, 0.3}}, {"chosen by GCV", automatic}};
    TStatisticsOptions withResiduals;
    withResiduals.Residuals = true;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const TFitResult fresh = FitWithStatistics(engine, r.model, withResiduals);
        TFitResult fit;
        ASSERT_TRUE(CalcModelFit(engine, r.model, fit));
        TFitResult later;
        ASSERT_TRUE(CalcModelFit(engine, {mkSpline, 0, 0.8}, later));
        AddStatistics(engine, fit, withResiduals);
        EXPECT_EQ(fit.Residuals, fresh.Residuals);
        // The engine prepares the factor's spline again, from another start of its iteration.
        EXPECT_NEAR(fit.Statistics.Rss, fresh.Statistics.Rss, 1e-6 * fresh.Statistics.Rss);
        EXPECT_NEAR(fit.Statistics.Df, fresh.Statistics.Df, 1e-4 * fresh.Statistics.Df);
        EXPECT_NEAR(fit.Statistics.Gcv, fresh.Statistics.Gcv, 1e-4 * fresh.Statistics.Gcv);
        EXPECT_EQ(fit.Statistics.Points, 60);
    }
}

// Fewer distinct x than coefficients: the coefficients beyond them are marked open and no errors
// are claimed; the residual statistics stand.
TEST(FitStatistics, AnUndeterminedPolynomialClaimsNoErrors)
{
    TCurveFit engine;
    for (double x : {1.0, 2.0, 3.0, 1.0, 2.0, 3.0, 1.0}) engine.AddPoint(x, x * x + (x > 1.5 ? 0.1 : -0.1));
    const TFitResult fit = FitWithStatistics(engine, {mkPoly, 4});
    EXPECT_EQ(fit.Status, fsUndetermined);
    EXPECT_FALSE(fit.HasErrors);
    EXPECT_EQ(fit.Statistics.Rank, 3);
    EXPECT_EQ(fit.Statistics.Dof, 4);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(fit.Parameters[j].Determined, j < 3) << j;
    EXPECT_FALSE(BandAt(fit, 2, 0.95).Defined);
}

}  // namespace
