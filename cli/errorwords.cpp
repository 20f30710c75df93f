#include "cli/errorwords.h"

#include <array>

#include "common/errors.h"
#include "curvefit/formula.h"

namespace {

struct TWordsRow {
    TErrorCode code;
    const char* words;
};

// The rows stand in the order of TErrorCode, which the lookup checks. The engine's own messages
// are English already and go out as they stand.
constexpr std::array<TWordsRow, ecCount> kWords{{
    {ecZeroDivide, "floating-point division by zero"},
    {ecInvalidOp, "invalid floating-point operation"},
    {ecOverflow, "floating-point overflow"},
    {ecConvert, "'%1' is not a number"},
    {ecFileNotFound, "file not found"},
    {ecPathNotFound, "path not found"},
    {ecTooManyOpenFiles, "too many open files"},
    {ecAccessDenied, "access denied"},
    {ecInvalidHandle, "invalid file handle"},
    {ecDiskFull, "not enough space on the disk"},
    {ecIOError, "input/output error %1"},

    {ecNotEnoughPoints, "%1: not enough data points"},
    {ecYZero, "%1: y values must not be zero"},
    {ecYNotPositive, "%1: y values must not be negative or zero"},
    {ecXNotPositive, "%1: x values must not be negative or zero"},
    {ecCannotFit, "%1: cannot fit function"},

    {ecSplineBounds, "PenalizedCubicSpline: n1 must not be greater than n2"},
    {ecSplineIdenticalX, "PenalizedCubicSpline: two or more x-values are identical"},
    {ecSplineXNotIncreasing, "PenalizedCubicSpline: x-values must be increasing"},
    {ecSplineDfRange, "ChooseSplineSmoothingForDf: the degrees of freedom must lie from 2 to the number of distinct x"},

    {ecNoMemory, "Component \"%1\": not enough memory"},
    {ecNoMemoryOnHeap, "Component \"%1\": not enough memory on heap"},

    {ecSigmaCount, "AddStatistics: one standard deviation per point is needed"},
    {ecSigmaNotPositive, "AddStatistics: the standard deviation of point %1 is not a positive number"},
    {ecSigmaModel, "AddStatistics: standard deviations of y apply to the line, the parabola and the polynomial only"},
    {ecWeightedSingular, "AddStatistics: the weighted fit is singular"},

    {ecUnknownBuiltin, "unknown built-in model '%1'"},
    {ecNoSuchParameter, "the model has no parameter '%1' (its parameters: %2)"},
    {ecLengthMismatch, "%1: x and y differ in length"},
    {ecNoStartNoPoints, "%1: no starting values: no points"},
    {ecNoStartPower, "%1: no starting values: needs two points with different x > 0 and y of one sign"},
    {ecNoStartExpY, "%1: no starting values: needs two points with different x and y of one sign"},
    {ecNoStartSaturation, "%1: no starting values: needs y that rise from 0 at x > 0"},
    {ecNoStartLogistic, "%1: no starting values: needs points of one sign that rise or fall with x"},
    {ecNoStartGauss, "%1: no starting values: needs a peak over points of different x"},
    {ecNoStartSpreadX, "%1: no starting values: needs points of different x"},
    {ecNoParameter, "%1: the model has no parameter"},
    {ecStartCount, "%1: %2 starting values expected, %3 given"},
    {ecTooFewPoints, "%1: more points than parameters needed (%2 parameters)"},
    {ecStartNotFinite, "%1: a starting value is not finite"},
    {ecPointNotFinite, "%1: point %2 is not finite"},
    {ecParameterCount, "TFormula: %1 parameter values expected, %2 given"},
    {ecParameterNotFinite, "TFormula: a parameter value is not finite"},
    {ecFormulaXNotFinite, "TFormula: x of point %1 is not finite"},
    {ecJacobianSpans, "TFormula.Evaluate: the value and Jacobian spans do not match the points"},
    {ecValueSpans, "TFormula.Evaluate: the value span does not match the points"},

    {ffExpectedOperand, "expected a number, a name or '('"},
    {ffExpectedOperator, "expected an operator or the end of the formula"},
    {ffExpectedCloseParen, "expected an operator or ')'"},
    {ffExpectedOpenParen, "expected '(' after %1"},
    {ffExpectedExponent, "expected the digits of the exponent"},
    {ffExpectedEquals, "expected '=' after y"},
    {ffUnknownFunction, "unknown function '%1' (the functions are exp, ln, log10, sqrt, sin, cos, tan, atan, abs)"},
    {ffResponseOnRight, "y is the response and cannot stand on the right-hand side"},
    {ffNestedTooDeep, "nested more than %1 levels deep"},
    {ffLogOfNonPositive, "%1 of %2, a number <= 0"},
    {ffSqrtOfNegative, "sqrt of %1, a negative number"},
    {ffDivisionByZero, "division by 0"},
    {ffPowerOfNegative, "power of %1, a negative base, to an exponent that is no whole number"},
    {ffZeroToNegativePower, "0 to the power %1"},
    {ffNoDerivative, "the derivative of %1 is infinite there"},
    {ffOverflow, "a value beyond the range of double"},

    {ecLogAxisNegative, "Logarithmic axis must not be negative."},
    {ecLayerOutOfRange, "Destination layer %1 is out of range"},
    {ecLayerAlreadyJoined, "Destination layer %1 is already joined"},
    {ecLayerJoinedByOthers, "Layer %1 is joined by other layers (%2)"},
}};

constexpr bool RowsInCodeOrder()
{
    for (std::size_t i = 0; i < kWords.size(); ++i)
        if (kWords[i].code != static_cast<TErrorCode>(i) || kWords[i].words == nullptr) return false;
    return true;
}
static_assert(RowsInCodeOrder(), "words for every code, in the order of TErrorCode");

// A formula error's words framed by its position in the text and the point being evaluated.
std::string FormulaErrorWords(const EFormulaError& e)
{
    std::string words = ErrorWords(e.Code, e.Args);
    if (e.Position > 0) words = "position " + std::to_string(e.Position) + ": " + words;
    if (e.Point > 0) words += ", at point " + std::to_string(e.Point) + " (x = " + FormulaNumberText(e.X) + ")";
    return words;
}

}  // namespace

const char* ErrorWordsFormat(TErrorCode code)
{
    return code >= 0 && code < ecCount ? kWords[code].words : "";
}

std::string ErrorWords(TErrorCode code, const std::vector<std::string>& args)
{
    return FillPlaceholders(ErrorWordsFormat(code), args);
}

std::string ErrorWordsOf(const std::exception& error)
{
    if (const auto* formula = dynamic_cast<const EFormulaError*>(&error)) return FormulaErrorWords(*formula);
    if (const auto* coded = dynamic_cast<const ECodedError*>(&error)) return ErrorWords(coded->Code, coded->Args);
    return error.what();
}

bool IsPlatformError(TErrorCode code)
{
    return code <= ecIOError;  // the platform's codes come first in TErrorCode
}
