#pragma once
// Number-to-text helpers. The decimal point is always "." and the exponent letter "E", whatever
// the user's locale.
#include <string>

// Fixed-point text of v with `decimals` decimals, right-aligned in at least `width` characters
// (never cut). |v| is rounded to its 18 most significant digits first, then to the wanted
// decimals with ties away from zero. Values of 1e36 and above take the scientific form
// " d.dddE+nnnn"; NaN and infinities give "Nan", "+Inf" and "-Inf".
std::string NumberToText(long double v, int width, int decimals);

// Text with an engineering prefix letter (a f p n u m k M G T): `digits` significant digits;
// a negative `digits` puts the letter in place of the decimal point ("4k700").
std::string NumberToPrefixedText(int digits, double v);

// The text with every `oldChar` replaced by `newChar`.
std::string ReplaceCharacter(const std::string& text, char oldChar, char newChar);
