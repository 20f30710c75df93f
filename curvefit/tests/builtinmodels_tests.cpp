#include "curvefit/builtinmodels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Noisy data from true values far from 1 (where a user's typed start of ones would not even
// reach the data's scale), the built-in's own start, and the least-squares solution: the fit
// must converge, land within a few standard errors of the truth, and agree with the fit started
// from the truth itself (the same minimum, not a nearby local one).
struct BuiltinCase {
    const char* name;
    const char* model;
    std::vector<double> truth;
    double xLow, xHigh;
    int points;
    double noise;  // standard deviation of the added normal noise
};

const BuiltinCase kCases[] = {
    {"Power", "power", {2500.0, -1.7}, 1.0, 50.0, 40, 2.0},
    {"PowerRising", "power", {0.003, 2.4}, 10.0, 2000.0, 30, 500.0},
    {"Logistic", "logistic", {350.0, 0.08, 60.0}, 0.0, 120.0, 60, 8.0},
    {"LogisticFalling", "logistic", {-12.0, -0.5, 1990.0}, 1980.0, 2000.0, 41, 0.3},
    {"Gauss", "gauss", {-40.0, 1250.0, 35.0}, 1100.0, 1400.0, 80, 1.5},
    {"GaussNarrowOffCentre", "gauss", {7.5e5, 0.021, 0.0012}, 0.015, 0.03, 60, 2e4},
    {"Saturation", "saturation", {0.0042, 220.0}, 10.0, 2000.0, 25, 0.0001},
    {"ExpOffset", "exp-offset", {-300.0, -0.004, 800.0}, 0.0, 1500.0, 50, 6.0},
    {"ExpOffsetRising", "exp-offset", {0.02, 0.35, -40.0}, 0.0, 30.0, 40, 5.0},
    {"ExpY", "exp-y", {0.003, 0.21}, 0.0, 40.0, 35, 3.0},
};

class BuiltinModelFit : public ::testing::TestWithParam<BuiltinCase> {};

TEST_P(BuiltinModelFit, FindsTheLeastSquaresSolutionFromItsOwnStart)
{
    const BuiltinCase& c = GetParam();
    const TBuiltinModel* model = FindBuiltinModel(c.model);
    ASSERT_NE(model, nullptr);
    const TFormula formula(model->Formula);

    std::mt19937 rng(20261211);
    std::normal_distribution<double> noise(0.0, c.noise);
    std::vector<double> x, y;
    for (int i = 0; i < c.points; ++i) {
        x.push_back(c.xLow + (c.xHigh - c.xLow) * i / (c.points - 1));
        y.push_back(formula.Value(x.back(), c.truth) + noise(rng));
    }

    const TNonlinearResult fit = FitBuiltinModel(*model, x, y);
    ASSERT_TRUE(fit.Converged) << fit.Message;
    const TNonlinearResult fromTruth = FitNonlinear(formula, x, y, c.truth);
    ASSERT_TRUE(fromTruth.Converged) << fromTruth.Message;
    for (std::size_t j = 0; j < c.truth.size(); ++j) {
        SCOPED_TRACE(fit.Names[j]);
        EXPECT_NEAR(fit.Values[j], c.truth[j], 5 * fit.StdErrors[j]);
        EXPECT_NEAR(fit.Values[j], fromTruth.Values[j], 1e-7 * std::abs(fromTruth.Values[j]));
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltinModels, BuiltinModelFit, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BuiltinModels, AreNamedAndParse)
{
    const std::vector<std::string> names{"power", "logistic", "gauss", "saturation", "exp-offset", "exp-y"};
    ASSERT_EQ(BuiltinModels().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(BuiltinModels()[i].Name, names[i]);
        EXPECT_NO_THROW(TFormula(BuiltinModels()[i].Formula));
    }
    EXPECT_EQ(FindBuiltinModel("exp"), nullptr);
}

// The exponential fitted in y starts from the fit of ln y (R: lm(log(dist) ~ speed, cars) gives
// e^1.6761 = 5.3449 and 0.12077) and ends at the least-squares fit in y (9.4045, 0.091682).
TEST(BuiltinModels, ExpYStartsFromTheLogFitAndEndsAtTheFitInY)
{
    const std::vector<double> speed{4,  4,  7,  7,  8,  9,  10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13,
                                    13, 13, 14, 14, 14, 14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18,
                                    18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
    const std::vector<double> dist{2,  10, 4,  22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24, 28, 26, 34,
                                   34, 46, 26, 36, 60, 80, 20, 26, 54, 32, 40, 32, 40, 50, 42, 56, 76,
                                   84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92, 93, 120, 85};
    const TBuiltinModel& model = *FindBuiltinModel("exp-y");
    const std::vector<double> start = model.Start(speed, dist);
    EXPECT_NEAR(start[0], std::exp(1.67612351494065392), 1e-12);
    EXPECT_NEAR(start[1], 0.12076518701814384, 1e-14);
    const TNonlinearResult fit = FitBuiltinModel(model, speed, dist);
    ASSERT_TRUE(fit.Converged);
    EXPECT_NEAR(fit.Values[0], 9.404511680183036, 1e-7);
    EXPECT_NEAR(fit.Values[1], 0.091681814328192252, 1e-9);
}

struct NoStartCase {
    const char* name;
    const char* model;
    std::vector<double> x, y;
};

const NoStartCase kNoStartCases[] = {
    {"PowerWithoutPositiveX", "power", {-1, -2, -3}, {1, 2, 3}},
    {"ExpYWithOneX", "exp-y", {2, 2, 2}, {1, 2, 3}},
    {"GaussWithoutPeak", "gauss", {1, 2, 3}, {0, 0, 0}},
    {"ExpOffsetWithOneX", "exp-offset", {1, 1, 1, 1}, {1, 2, 3, 4}},
    {"NoPoints", "logistic", {}, {}},
};

class BuiltinModelNoStart : public ::testing::TestWithParam<NoStartCase> {};

TEST_P(BuiltinModelNoStart, SaysWhatTheDataLack)
{
    const NoStartCase& c = GetParam();
    try {
        FitBuiltinModel(*FindBuiltinModel(c.model), c.x, c.y);
        FAIL() << "fitted";
    } catch (const EQZLMath2Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(std::string(c.model) + ": no starting values: ", 0), 0u) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltinModels, BuiltinModelNoStart, ::testing::ValuesIn(kNoStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
