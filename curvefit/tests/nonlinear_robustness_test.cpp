// Hostile texts through the formula parser, hostile points and parameters through its
// evaluation and through the nonlinear fits: every call ends, with one of the program's errors
// or with finite numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "curvefit/builtinmodels.h"
#include "curvefit/formula.h"
#include "testsupport/testsupport.h"

namespace {

// A text of formula pieces and hostile characters, up to 60 characters.
std::string FormulaText(testsupport::THostile& h)
{
    static const char* const kPieces[] = {"x", "b", "c", "pi", "y", "=", "(", ")", "+", "-", "*", "/", "^", "**",
                                          "exp(", "ln(", "log10(", "sqrt(", "sin(", "tan(", "atan(", "abs(",
                                          "1e308", "0", "1e-320", "2.5", ".", "e", " "};
    std::string s;
    const int n = h.Between(0, 20);
    for (int i = 0; i < n; ++i) s += h.Chance(0.1) ? h.Text() : kPieces[h.Between(0, std::size(kPieces) - 1)];
    return s.substr(0, 60);
}

}  // namespace

TEST(NonlinearRobustness, FormulasWithHostileTextsPointsAndParameters)
{
    testsupport::THostile h(30);
    testsupport::TRounds rounds(20000, 3);
    while (rounds.Next()) {
        try {
            const TFormula formula(FormulaText(h));
            std::vector<double> b(formula.ParameterCount());
            for (double& v : b) v = h.Double();
            const std::vector<double> x{h.Double(), h.Double()};
            std::vector<double> values(2), jacobian(2 * b.size());
            formula.Evaluate(x, b, values, jacobian);
            for (double v : values) ASSERT_TRUE(std::isfinite(v)) << formula.Text();
            for (double v : jacobian) ASSERT_TRUE(std::isfinite(v)) << formula.Text();
        } catch (const EFormulaError&) {
        } catch (const EQZLMath2Error&) {
        }
    }
}

TEST(NonlinearRobustness, FitsOfHostilePoints)
{
    testsupport::THostile h(31);
    testsupport::TRounds rounds(300, 5);
    while (rounds.Next()) {
        const int n = h.Between(0, 8);
        std::vector<double> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = h.Chance(0.7) ? h.Between(-5, 20) : h.Double();
            y[i] = h.Chance(0.7) ? h.Between(-5, 20) : h.Double();
        }
        const TBuiltinModel& model = BuiltinModels()[h.Between(0, BuiltinModels().size() - 1)];
        try {
            const TNonlinearResult fit = FitBuiltinModel(model, x, y);
            for (double v : fit.Values) ASSERT_TRUE(std::isfinite(v)) << model.Name;
            if (fit.Converged) {
                ASSERT_EQ(fit.StdErrors.size(), fit.Values.size());
                ASSERT_TRUE(fit.Message.empty());
            } else {
                ASSERT_FALSE(fit.Message.empty());
                ASSERT_TRUE(fit.StdErrors.empty());
            }
        } catch (const EQZLError&) {
        } catch (const EMathError&) {
        }
    }
}
