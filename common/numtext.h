#pragma once
// Number-to-text helpers. The decimal point is always "." and the exponent letter "E", whatever
// the user's locale.
#include <string>

// Largest width and count of decimals NumberToText takes; larger values are clamped, negative
// ones count as 0.
constexpr int kMaxNumberTextWidth = 255;
constexpr int kMaxNumberTextDecimals = 100;

// Fixed-point text of v with `decimals` decimals (0..kMaxNumberTextDecimals), right-aligned in at
// least `width` characters (0..kMaxNumberTextWidth; never cut). |v| is rounded to its 18 most significant digits first, then to the wanted
// decimals with ties away from zero. Values of 1e36 and above take the scientific form
// " d.dddE+nnnn"; NaN and infinities give "Nan", "+Inf" and "-Inf".
std::string NumberToText(long double v, int width, int decimals);

// Text with an engineering prefix letter (a f p n u m k M G T): `digits` significant digits;
// a negative `digits` puts the letter in place of the decimal point ("4k700"). `digits` is
// clamped into -9..9; NaN and infinities give the texts NumberToText gives.
std::string NumberToPrefixedText(int digits, double v);

// The text with every `oldChar` replaced by `newChar`.
std::string ReplaceCharacter(const std::string& text, char oldChar, char newChar);
