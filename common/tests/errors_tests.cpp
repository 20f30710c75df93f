// The errors' messages by code: every text stays as the program has always worded it, whatever
// the front ends make of the code.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "common/errors.h"

namespace {

struct MessageCase {
    const char* name;
    TErrorCode code;
    std::vector<std::string> args;
    const char* message;  // what() exactly
};

const MessageCase kMessageCases[] = {
    {"ZeroDivide", ecZeroDivide, {}, "Gleitkommadivision durch Null"},
    {"InvalidOp", ecInvalidOp, {}, "Ungültige Gleitkommaoperation"},
    {"Overflow", ecOverflow, {}, "Gleitkommaüberlauf"},
    {"Convert", ecConvert, {"1,2,3"}, "'1,2,3' ist kein gültiger Gleitkommawert"},
    {"FileNotFound", ecFileNotFound, {}, "Datei nicht gefunden"},
    {"PathNotFound", ecPathNotFound, {}, "Pfad nicht gefunden"},
    {"TooManyOpenFiles", ecTooManyOpenFiles, {}, "Zu viele geöffnete Dateien"},
    {"AccessDenied", ecAccessDenied, {}, "Dateizugriff verweigert"},
    {"InvalidHandle", ecInvalidHandle, {}, "Ungültiges Dateihandle"},
    {"DiskFull", ecDiskFull, {}, "Zu wenig Speicherplatz"},
    {"IOError", ecIOError, {"5"}, "E/A-Fehler 5"},
    {"NotEnoughPoints", ecNotEnoughPoints, {"CalcLinFit"}, "CalcLinFit: not enough data points"},
    {"YZero", ecYZero, {"CalcReciLinFit"}, "CalcReciLinFit: y values must not be zero"},
    {"YNotPositive", ecYNotPositive, {"CalcReciLogFit"}, "CalcReciLogFit: y values must not be negative or zero"},
    {"XNotPositive", ecXNotPositive, {"CalcLogFit"}, "CalcLogFit: x values must not be negative or zero"},
    {"CannotFit", ecCannotFit, {"CalcExponentialFit"}, "CalcExponentialFit: cannot fit function"},
    {"SplineBounds", ecSplineBounds, {}, "PenalizedCubicSpline: n1 must not be greater than n2"},
    {"SplineIdenticalX", ecSplineIdenticalX, {}, "PenalizedCubicSpline: two or more x-values are identical"},
    {"SplineXNotIncreasing", ecSplineXNotIncreasing, {}, "PenalizedCubicSpline: x-values must be increasing"},
    {"SplineDfRange", ecSplineDfRange, {},
     "ChooseSplineSmoothingForDf: the degrees of freedom must lie from 2 to the number of distinct x"},
    {"NoMemory", ecNoMemory, {"Stats"}, "Component \"Stats\": not enough memory"},
    {"NoMemoryOnHeap", ecNoMemoryOnHeap, {"Stats"}, "Component \"Stats\": not enough memory on heap"},
    {"SigmaCount", ecSigmaCount, {}, "AddStatistics: one standard deviation per point is needed"},
    {"SigmaNotPositive", ecSigmaNotPositive, {"3"},
     "AddStatistics: the standard deviation of point 3 is not a positive number"},
    {"SigmaModel", ecSigmaModel, {},
     "AddStatistics: standard deviations of y apply to the line, the parabola and the polynomial only"},
    {"WeightedSingular", ecWeightedSingular, {}, "AddStatistics: the weighted fit is singular"},
    {"UnknownBuiltin", ecUnknownBuiltin, {"sigmoid"}, "unknown built-in model 'sigmoid'"},
    {"NoSuchParameter", ecNoSuchParameter, {"c", "a, b"}, "the model has no parameter 'c' (its parameters: a, b)"},
    {"LengthMismatch", ecLengthMismatch, {"FitNonlinear"}, "FitNonlinear: x and y differ in length"},
    {"NoStartNoPoints", ecNoStartNoPoints, {"gauss"}, "gauss: no starting values: no points"},
    {"NoStartPower", ecNoStartPower, {"power"},
     "power: no starting values: needs two points with different x > 0 and y of one sign"},
    {"NoStartExpY", ecNoStartExpY, {"exp-y"},
     "exp-y: no starting values: needs two points with different x and y of one sign"},
    {"NoStartSaturation", ecNoStartSaturation, {"saturation"},
     "saturation: no starting values: needs y that rise from 0 at x > 0"},
    {"NoStartLogistic", ecNoStartLogistic, {"logistic"},
     "logistic: no starting values: needs points of one sign that rise or fall with x"},
    {"NoStartGauss", ecNoStartGauss, {"gauss"}, "gauss: no starting values: needs a peak over points of different x"},
    {"NoStartSpreadX", ecNoStartSpreadX, {"exp-offset"}, "exp-offset: no starting values: needs points of different x"},
    {"NoParameter", ecNoParameter, {"FitNonlinear"}, "FitNonlinear: the model has no parameter"},
    {"StartCount", ecStartCount, {"FitNonlinear", "2", "3"}, "FitNonlinear: 2 starting values expected, 3 given"},
    {"TooFewPoints", ecTooFewPoints, {"FitNonlinear", "2"},
     "FitNonlinear: more points than parameters needed (2 parameters)"},
    {"StartNotFinite", ecStartNotFinite, {"FitNonlinear"}, "FitNonlinear: a starting value is not finite"},
    {"PointNotFinite", ecPointNotFinite, {"FitNonlinear", "4"}, "FitNonlinear: point 4 is not finite"},
    {"ParameterCount", ecParameterCount, {"2", "1"}, "TFormula: 2 parameter values expected, 1 given"},
    {"ParameterNotFinite", ecParameterNotFinite, {}, "TFormula: a parameter value is not finite"},
    {"FormulaXNotFinite", ecFormulaXNotFinite, {"7"}, "TFormula: x of point 7 is not finite"},
    {"JacobianSpans", ecJacobianSpans, {}, "TFormula.Evaluate: the value and Jacobian spans do not match the points"},
    {"ValueSpans", ecValueSpans, {}, "TFormula.Evaluate: the value span does not match the points"},
    {"ExpectedOperand", ffExpectedOperand, {}, "expected a number, a name or '('"},
    {"ExpectedOperator", ffExpectedOperator, {}, "expected an operator or the end of the formula"},
    {"ExpectedCloseParen", ffExpectedCloseParen, {}, "expected an operator or ')'"},
    {"ExpectedOpenParen", ffExpectedOpenParen, {"sqrt"}, "expected '(' after sqrt"},
    {"ExpectedExponent", ffExpectedExponent, {}, "expected the digits of the exponent"},
    {"ExpectedEquals", ffExpectedEquals, {}, "expected '=' after y"},
    {"UnknownFunction", ffUnknownFunction, {"sinh"},
     "unknown function 'sinh' (the functions are exp, ln, log10, sqrt, sin, cos, tan, atan, abs)"},
    {"ResponseOnRight", ffResponseOnRight, {}, "y is the response and cannot stand on the right-hand side"},
    {"NestedTooDeep", ffNestedTooDeep, {"200"}, "nested more than 200 levels deep"},
    {"LogOfNonPositive", ffLogOfNonPositive, {"ln", "-2"}, "ln of -2, a number <= 0"},
    {"SqrtOfNegative", ffSqrtOfNegative, {"-1"}, "sqrt of -1, a negative number"},
    {"DivisionByZero", ffDivisionByZero, {}, "division by 0"},
    {"PowerOfNegative", ffPowerOfNegative, {"-8"},
     "power of -8, a negative base, to an exponent that is no whole number"},
    {"ZeroToNegativePower", ffZeroToNegativePower, {"-1"}, "0 to the power -1"},
    {"NoDerivative", ffNoDerivative, {"sqrt"}, "the derivative of sqrt is infinite there"},
    {"FormulaOverflow", ffOverflow, {}, "a value beyond the range of double"},
    {"LogAxisNegative", ecLogAxisNegative, {}, "Logarithmic axis must not be negative."},
    {"LayerOutOfRange", ecLayerOutOfRange, {"17"}, "Destination layer 17 is out of range"},
    {"LayerAlreadyJoined", ecLayerAlreadyJoined, {"2"}, "Destination layer 2 is already joined"},
    {"LayerJoinedByOthers", ecLayerJoinedByOthers, {"2", "3, 5"}, "Layer 2 is joined by other layers (3, 5)"},
};

class ErrorMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ErrorMessages, AreTheProgramsOwnTexts)
{
    const MessageCase& c = GetParam();
    const EQZLError e(c.code, c.args);
    EXPECT_STREQ(e.what(), c.message);
    EXPECT_EQ(e.Code, c.code);
    EXPECT_EQ(e.Args, c.args);
}

INSTANTIATE_TEST_SUITE_P(Errors, ErrorMessages, ::testing::ValuesIn(kMessageCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorMessages, TheTableHoldsEveryCodeOnce)
{
    std::set<int> seen;
    for (const MessageCase& c : kMessageCases) EXPECT_TRUE(seen.insert(c.code).second) << c.name;
    EXPECT_EQ(seen.size(), std::size_t(ecCount));
}

// The platform's classes carry their code and arguments beside the message they always had.
TEST(ErrorMessages, ThePlatformErrorsCarryTheirCodes)
{
    EXPECT_EQ(EZeroDivide().Code, ecZeroDivide);
    EXPECT_EQ(EInvalidOp().Code, ecInvalidOp);
    EXPECT_EQ(EOverflow().Code, ecOverflow);
    EXPECT_STREQ(EOverflow().what(), kMsgOverflow);
    const EConvertError convert("abc");
    EXPECT_EQ(convert.Code, ecConvert);
    EXPECT_EQ(convert.Args, std::vector<std::string>{"abc"});
    EXPECT_STREQ(convert.what(), "'abc' ist kein gültiger Gleitkommawert");

    struct FileCase { int errnoValue; TErrorCode code; std::vector<std::string> args; const char* message; };
    const FileCase files[] = {
        {ENOENT, ecFileNotFound, {}, "Datei nicht gefunden"},
        {ENOTDIR, ecPathNotFound, {}, "Pfad nicht gefunden"},
        {EMFILE, ecTooManyOpenFiles, {}, "Zu viele geöffnete Dateien"},
        {EROFS, ecAccessDenied, {}, "Dateizugriff verweigert"},
        {EBADF, ecInvalidHandle, {}, "Ungültiges Dateihandle"},
        {ENOSPC, ecDiskFull, {}, "Zu wenig Speicherplatz"},
        {EIO, ecIOError, {std::to_string(EIO)}, "E/A-Fehler 5"},
    };
    for (const FileCase& f : files) {
        const EInOutError e(f.errnoValue);
        EXPECT_EQ(e.ErrorCode, f.errnoValue);
        EXPECT_EQ(e.Code, f.code) << f.message;
        EXPECT_EQ(e.Args, f.args) << f.message;
        EXPECT_STREQ(e.what(), f.message);
        EXPECT_EQ(FileErrorMessage(f.errnoValue), f.message);
    }
}

// An argument is put in as it stands: a text holding "%1" or "%2" is not read as a placeholder.
TEST(ErrorMessages, ArgumentsAreNotReadAgain)
{
    EXPECT_EQ(ErrorMessage(ecConvert, {"%1%2"}), "'%1%2' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(ErrorMessage(ecNoSuchParameter, {"%2", "a"}), "the model has no parameter '%2' (its parameters: a)");
    EXPECT_EQ(FillPlaceholders("100 %", {"x"}), "100 %");
}

}  // namespace
