#pragma once
// Texts of tick labels: numbers with a chosen count of decimals, the user's replacement items,
// the unit text, and the hours:minutes:seconds labels of time scales.
#include <cstddef>
#include <string>
#include <string_view>

// Labels are cut to this many characters; a long label is cut, never widened.
constexpr std::size_t kMaxTickLabelLength = 14;

// Number text of a tick: d >= 0 gives fixed point with d decimals ("." whatever the locale);
// d = -1 gives the exponent form with two significant digits and a two-digit exponent
// (" 1.2E+06", "-2.5E-04"); an exponent of magnitude 100 or more gives eight asterisks.
std::string FormatTickNumber(double value, int d);

// Item n (counted from 1) of the "|"-separated `userTickText`. Past the last item the last one
// is repeated, so a text ending in "|" gives empty items from there on; an empty text gives
// empty items.
std::string UserTickItem(std::string_view userTickText, int n);

// The label with the unit text merged in: an "&" in `inscript` marks where the number goes
// ("& kg" turns 12.5 into "12.5 kg"); without "&" the unit text goes in front ("$12.5").
// An empty label stays empty.
std::string ApplyInscript(std::string_view inscript, const std::string& label);

// Label of a time scale for `seconds`: a sign column (blank or "-"), then hh:mm:ss with at least
// two digits each, and ".mmm" when `withMilliseconds`. Any double is accepted: the hours grow as
// long as needed; NaN and infinities give "Nan", "+Inf" and "-Inf".
std::string FormatSecondsLabel(double seconds, bool withMilliseconds);

// Automatic decimals of a linear scale for the value span: -1 (exponent form) for spans of
// 1e6 or more and of 1e-4 or less, 0 from 100 on, otherwise 2 - round(ln(span) / 2.5).
int AutoDecimals(double span);

// Automatic decimals of a logarithmic scale for the range lo..hi (lo < hi): -1 for spans of
// 1e6 or more and of 1e-4 or less, 0 when lo >= 1, otherwise 1 - round(log10 |lo|).
int AutoLogDecimals(double lo, double hi);

// Removes trailing zeros and then a trailing "." from a label that has a "." and no exponent
// letter ("0.010" -> "0.01", "2.000" -> "2").
std::string TrimTrailingZeros(std::string label);
