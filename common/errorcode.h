#pragma once
// What went wrong, as a code with its arguments: every error the engine, the chart and the
// platform raise carries one beside its message, so the window and kalmira-fit word it in
// their own language by code and never by reading the message. The comment after a code
// names its arguments in order (%1, %2, ...); ErrorMessageFormat gives the message a code makes.

enum TErrorCode {
    // the platform: floating-point faults, text that is not a number, file errors by errno
    ecZeroDivide,
    ecInvalidOp,
    ecOverflow,
    ecConvert,               // the text
    ecFileNotFound,
    ecPathNotFound,
    ecTooManyOpenFiles,
    ecAccessDenied,
    ecInvalidHandle,
    ecDiskFull,
    ecIOError,               // the errno value

    // the closed-form fits (the operation: "CalcLinFit", ...)
    ecNotEnoughPoints,       // the operation
    ecYZero,                 // the operation
    ecYNotPositive,          // the operation
    ecXNotPositive,          // the operation
    ecCannotFit,             // the operation

    // the smoothing spline
    ecSplineBounds,
    ecSplineIdenticalX,
    ecSplineXNotIncreasing,
    ecSplineDfRange,

    // storage of vectors and matrices
    ecNoMemory,              // the component's name
    ecNoMemoryOnHeap,        // the component's name

    // the statistics of a fit
    ecSigmaCount,
    ecSigmaNotPositive,      // the point, counted from 1
    ecSigmaModel,
    ecWeightedSingular,

    // the nonlinear models and their starting values
    ecUnknownBuiltin,        // the model's name
    ecNoSuchParameter,       // the name given, the model's parameters
    ecLengthMismatch,        // the operation or model
    ecNoStartNoPoints,       // the model
    ecNoStartPower,          // the model
    ecNoStartExpY,           // the model
    ecNoStartSaturation,     // the model
    ecNoStartLogistic,       // the model
    ecNoStartGauss,          // the model
    ecNoStartSpreadX,        // the model
    ecNoParameter,           // the operation
    ecStartCount,            // the operation, the parameters, the starting values given
    ecTooFewPoints,          // the operation, the parameters
    ecStartNotFinite,        // the operation
    ecPointNotFinite,        // the operation, the point
    ecParameterCount,        // the parameters, the values given
    ecParameterNotFinite,
    ecFormulaXNotFinite,     // the point
    ecJacobianSpans,
    ecValueSpans,

    // a model formula: parse errors (what was expected at the position), then faults of an
    // evaluation (the operation at the position had no value); EFormulaError adds the position
    // and the point
    ffExpectedOperand,       // expected a number, a name or '('
    ffExpectedOperator,      // expected an operator or the end of the formula
    ffExpectedCloseParen,    // expected ')'
    ffExpectedOpenParen,     // '(' after a function name (the name)
    ffExpectedExponent,      // the digits of a number's exponent
    ffExpectedEquals,        // a formula starting with y lacks its '='
    ffUnknownFunction,       // a name followed by '(' that is no function (the name)
    ffResponseOnRight,       // y on the right-hand side of the formula
    ffNestedTooDeep,         // nested beyond the deepest nesting (that depth)
    ffLogOfNonPositive,      // ln or log10 of a number <= 0 (the function, the number)
    ffSqrtOfNegative,        // sqrt of a negative number (the number)
    ffDivisionByZero,        // a divisor of 0
    ffPowerOfNegative,       // a negative base with an exponent that is no whole number, or
                             // one that depends on the parameters (the base)
    ffZeroToNegativePower,   // 0 to a negative power (the exponent)
    ffNoDerivative,          // a derivative that is infinite: sqrt at 0, 0^b with b < 1
                             // (the operation)
    ffOverflow,              // a value or derivative beyond the range of double

    // the chart
    ecLogAxisNegative,
    ecLayerOutOfRange,       // the destination layer
    ecLayerAlreadyJoined,    // the destination layer
    ecLayerJoinedByOthers,   // the layer, the layers joined to it

    ecCount                  // the number of codes, no code itself
};
