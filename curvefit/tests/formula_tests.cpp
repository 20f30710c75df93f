#include "curvefit/formula.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

// ---- values: precedence, associativity, numbers, functions --------------------------------

struct ValueCase {
    const char* name;
    const char* text;
    double x;
    double expected;
};

const ValueCase kValueCases[] = {
    {"PowerIsRightAssociative", "2^3^2", 0, 512},
    {"StarStarIsPower", "2**3**2", 0, 512},
    {"UnaryMinusBindsWeakerThanPower", "-2^2", 0, -4},
    {"NegativeExponent", "2^-1", 0, 0.5},
    {"MinusAfterTimes", "2*-3", 0, -6},
    {"DivisionIsLeftAssociative", "10/4/5", 0, 0.5},
    {"SubtractionIsLeftAssociative", "8-2-1", 0, 5},
    {"ProductBeforeSum", "1+2*3", 0, 7},
    {"Parentheses", "(1+2)*3", 0, 9},
    {"ExponentNotation", "1e-3*1000 + 2.5E+1", 0, 26},
    {"LeadingPoint", ".5 + x", 1, 1.5},
    {"ResponseIsOptional", "x^2", 3, 9},
    {"BlanksAnywhere", "  y  =  ( x + 1 ) * 2  ", 1, 4},
    {"LogarithmsRootAbs", "log10(100) + ln(exp(2)) + sqrt(16) + abs(-3)", 0, 11},
    {"Trigonometry", "sin(pi/2) + cos(0) + tan(0) + atan(1)*4/pi", 0, 3},
    {"NegativeBaseWholeExponent", "x^3", -2, -8},
};

class FormulaValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FormulaValue, ComputesTheExpectedValue)
{
    const ValueCase& c = GetParam();
    const TFormula formula(c.text);
    EXPECT_EQ(formula.ParameterCount(), 0);
    EXPECT_DOUBLE_EQ(formula.Value(c.x, {}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formula, FormulaValue, ::testing::ValuesIn(kValueCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Formula, NamesParametersInOrderOfFirstAppearance)
{
    const TFormula formula("y = k*x + a_1 + k/B2");
    EXPECT_EQ(formula.Parameters(), (std::vector<std::string>{"k", "a_1", "B2"}));
    const std::vector<double> b{2.0, 3.0, 4.0};
    EXPECT_DOUBLE_EQ(formula.Value(5.0, b), 2.0 * 5.0 + 3.0 + 2.0 / 4.0);
}

TEST(Formula, GivesTheExactDerivatives)
{
    // y = b1 (1 - e^(-b2 x)): df/db1 = 1 - e^(-b2 x), df/db2 = b1 x e^(-b2 x).
    const TFormula formula("y = b1*(1-exp(-b2*x))");
    const std::vector<double> x{0.5, 2.0}, b{3.0, 0.7};
    std::vector<double> values(2), jacobian(4);
    formula.Evaluate(x, b, values, jacobian);
    for (int i = 0; i < 2; ++i) {
        const double e = std::exp(-b[1] * x[i]);
        EXPECT_DOUBLE_EQ(values[i], b[0] * (1 - e));
        EXPECT_DOUBLE_EQ(jacobian[0 * 2 + i], 1 - e);
        EXPECT_DOUBLE_EQ(jacobian[1 * 2 + i], b[0] * x[i] * e);
    }
}

// Every operation's derivative against central differences, at random points.
TEST(Formula, DerivativesAgreeWithDifferencesForEveryOperation)
{
    const TFormula formula(
        "y = a*exp(-b*x) + ln(a+x) - log10(b*x) + sqrt(c+x) + sin(a*x) * cos(b) + tan(c/3) - atan(a*b*x)"
        " + abs(a-b*x) + (a+x)^c + x^b/c + 2^(a-b) - (b/(c+x))");
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> draw(0.5, 2.0);
    for (int round = 0; round < 50; ++round) {
        const std::vector<double> x{draw(rng)}, b{draw(rng), draw(rng), draw(rng)};
        SCOPED_TRACE("x = " + std::to_string(x[0]));
        std::vector<double> values(1), jacobian(3);
        formula.Evaluate(x, b, values, jacobian);
        EXPECT_DOUBLE_EQ(values[0], formula.Value(x[0], b));
        for (int j = 0; j < 3; ++j) {
            const double h = 1e-6 * b[j];
            std::vector<double> up = b, down = b;
            up[j] += h;
            down[j] -= h;
            const double difference = (formula.Value(x[0], up) - formula.Value(x[0], down)) / (2 * h);
            EXPECT_NEAR(jacobian[j], difference, 1e-6 * (1 + std::abs(difference))) << "parameter " << j;
        }
    }
}

TEST(Formula, ExtendedEvaluationAgreesWithDouble)
{
    const TFormula formula("y = b1*(1-exp(-b2*x)) + pi*x/b1");
    const std::vector<long double> x{0.5L, 7.0L};
    const std::vector<double> b{3.0, 0.7};
    std::vector<long double> values(2);
    formula.EvaluateExtended(x, b, values);
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(double(values[i]), formula.Value(double(x[i]), b), 1e-15);
}

// ---- parse errors: the position and what was expected --------------------------------------

struct SyntaxCase {
    const char* name;
    const char* text;
    TFormulaFault code;
    int position;
};

const SyntaxCase kSyntaxCases[] = {
    {"Empty", "", ffExpectedOperand, 1},
    {"OnlyResponse", "y =", ffExpectedOperand, 4},
    {"OperatorWithoutOperand", "y = b1 *", ffExpectedOperand, 9},
    {"StrayCharacter", "y = b1 * # 2", ffExpectedOperand, 10},
    {"CloseParenAsOperand", "y = 2*)", ffExpectedOperand, 7},
    {"TwoNumbers", "y = 2 3", ffExpectedOperator, 7},
    {"UnmatchedClose", "y = b1)", ffExpectedOperator, 7},
    {"UnclosedParen", "y = b1*(1-exp(-b2*x)", ffExpectedCloseParen, 21},
    {"UnclosedFunction", "y = exp(x", ffExpectedCloseParen, 10},
    {"FunctionWithoutParen", "y = exp x", ffExpectedOpenParen, 9},
    {"UnknownFunction", "y = 2 + log(x)", ffUnknownFunction, 9},
    {"ExponentWithoutDigits", "y = 1e+", ffExpectedExponent, 8},
    {"ResponseWithoutEquals", "y b1", ffExpectedEquals, 3},
    {"ResponseOnTheRight", "y = x + y", ffResponseOnRight, 9},
    {"NumberBeyondDouble", "y = 1e999", ffOverflow, 5},
    {"PointWithoutDigits", "y = .", ffExpectedOperand, 5},
};

TEST(Formula, DeepNestingIsAnErrorNotAStackOverflow)
{
    try {
        TFormula formula(std::string(100000, '('));
        FAIL();
    } catch (const EFormulaError& e) {
        EXPECT_EQ(e.Code, ffNestedTooDeep);
        EXPECT_EQ(e.Position, kMaxFormulaNesting + 1);
    }
    EXPECT_NO_THROW(TFormula(std::string(150, '(') + "x" + std::string(150, ')')));
}

class FormulaSyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(FormulaSyntax, NamesThePositionAndWhatWasExpected)
{
    const SyntaxCase& c = GetParam();
    try {
        TFormula formula(c.text);
        FAIL() << "parsed: " << c.text;
    } catch (const EFormulaError& e) {
        EXPECT_EQ(e.Code, c.code) << e.what();
        EXPECT_EQ(e.Position, c.position) << e.what();
        EXPECT_EQ(e.Point, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formula, FormulaSyntax, ::testing::ValuesIn(kSyntaxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Formula, ParseErrorMessageReadsPositionThenExpectation)
{
    try {
        TFormula formula("y = 2*)");
        FAIL();
    } catch (const EFormulaError& e) {
        EXPECT_STREQ(e.what(), "position 7: expected a number, a name or '('");
    }
    try {
        TFormula formula("y = log(x)");
        FAIL();
    } catch (const EFormulaError& e) {
        EXPECT_EQ(e.Argument, "log");
        EXPECT_EQ(std::string(e.what()).rfind("position 5: unknown function 'log'", 0), 0u) << e.what();
    }
}

// ---- evaluation faults: reported at the operation, never a silent NaN ----------------------

struct DomainCase {
    const char* name;
    const char* text;
    double x;
    std::vector<double> b;
    TFormulaFault code;
    int position;
};

const DomainCase kDomainCases[] = {
    {"LnOfNegative", "y = ln(x)", -2, {}, ffLogOfNonPositive, 5},
    {"Log10OfZero", "y = 1 + log10(x)", 0, {}, ffLogOfNonPositive, 9},
    {"DivisionByZero", "y = 1/x", 0, {}, ffDivisionByZero, 6},
    {"SqrtOfNegative", "y = sqrt(x)", -1, {}, ffSqrtOfNegative, 5},
    {"FractionalPowerOfNegative", "y = x^0.5", -4, {}, ffPowerOfNegative, 6},
    {"ParameterPowerOfNegative", "y = x^b", -2, {2.0}, ffPowerOfNegative, 6},
    {"ZeroToNegativePower", "y = x^-1", 0, {}, ffZeroToNegativePower, 6},
    {"ExpOverflow", "y = exp(x)", 800, {}, ffOverflow, 5},
    {"ProductOverflow", "y = (x-1)*1e200*1e200", 2, {}, ffOverflow, 16},
    {"SqrtWithoutDerivative", "y = sqrt(b*x)", 0, {1.0}, ffNoDerivative, 5},
};

class FormulaDomain : public ::testing::TestWithParam<DomainCase> {};

TEST_P(FormulaDomain, ReportsTheFaultAtItsOperation)
{
    const DomainCase& c = GetParam();
    const TFormula formula(c.text);
    const std::vector<double> x{1.0, c.x};
    std::vector<double> values(2), jacobian(2 * c.b.size());
    try {
        formula.Evaluate(x, c.b, values, jacobian);
        FAIL() << "evaluated " << c.text << " at " << c.x << " to " << values[1];
    } catch (const EFormulaError& e) {
        EXPECT_EQ(e.Code, c.code) << e.what();
        EXPECT_EQ(e.Position, c.position) << e.what();
        EXPECT_EQ(e.Point, 2) << e.what();
        EXPECT_EQ(e.X, c.x);
    }
}

INSTANTIATE_TEST_SUITE_P(Formula, FormulaDomain, ::testing::ValuesIn(kDomainCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Formula, DomainMessageNamesOperationArgumentAndPoint)
{
    const TFormula formula("y = b*ln(x)");
    const std::vector<double> x{1.0, 2.0, -0.5}, b{1.0};
    std::vector<double> values(3), jacobian(3);
    try {
        formula.Evaluate(x, b, values, jacobian);
        FAIL();
    } catch (const EFormulaError& e) {
        EXPECT_STREQ(e.what(), "position 7: ln of -0.5, a number <= 0, at point 3 (x = -0.5)");
    }
}

TEST(Formula, WrongNumberOfParameterValuesIsAnError)
{
    const TFormula formula("y = a*x + b");
    const std::vector<double> one{1.0};
    EXPECT_THROW(formula.Value(1.0, one), EQZLMath2Error);
}

}  // namespace
