#pragma once
// The text of the number a numeric display label shows, for each display type.
#include <string>

enum TDisplay {
    dtFloat, dtFixP, dtExp, dtHex, dtZeroInt, dtInt, dtDateTime, dtState,
    dtBin, dtOct, dtDeg, dtDegMin, dtDegMinSec, dtEEng, dtEEngNoDP
};

// What a number text depends on besides the value.
struct TNumberTextParams {
    TDisplay DisplayType = dtFixP;
    int Precision = 2;                          // 0..15
    std::string DTFormat = "mmm-dd, yyyy";
    std::string StateText = "undefined";
};

// Forms the text of `value` by the display type. Returns false when the value cannot be shown by
// the type (out of the range of an integer type, not finite for a type that needs a finite
// value, an empty prefixed text, degrees of 1e15 and more with minutes); the label then shows its
// overflow indicator. The decimal
// separator of the texts is "."; leading blanks from fixed widths stay.
bool NumberTextOf(double value, const TNumberTextParams& params, std::string& text);

// The general format: `digits` (2..18) significant digits, fixed or scientific ("1.2E-005").
std::string GeneralText(double value, int digits);
// The exponent format: one digit, ".", digits - 1 more, "E", sign and at least three exponent
// digits ("1.235E+003").
std::string ExponentText(double value, int digits);
