// Fixed-point number text with the program's rounding: the value is first reduced to its 18
// most significant decimal digits (correctly rounded, ties to even, from the exact binary value),
// and that digit string is then cut after the last wanted decimal, rounding up when the first
// digit cut off is 5 or more. Working from the 18-digit string, not from the binary value, is what
// makes 0.125 give 0.13 and 9.9996 give 10.000 with three decimals.
#include "common/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/mathutil.h"

namespace {

constexpr int kSignificantDigits = 18;
// Values whose decimal exponent exceeds this leave the fixed-point form.
constexpr int kMaxFixedExponent = 35;

// The 18 significant digits of |v| and the decimal exponent of the first one.
struct TDigits {
    char digits[kSignificantDigits];
    int exponent;
};

TDigits SignificantDigitsOf(long double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", kSignificantDigits - 1, std::fabs(v));
    TDigits out{};
    int k = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') out.digits[k++] = *p;
    out.exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    return out;
}

// Rounds the digit string so that its last kept digit has the power 10^lowestPower, ties away
// from zero. Returns the kept digits (most significant first) and sets topPower to the power of
// the first of them; an empty result means zero.
std::string RoundAt(const TDigits& d, int lowestPower, int& topPower)
{
    const int keep = d.exponent - lowestPower + 1;  // digits before the cut
    topPower = d.exponent;
    if (keep < 0) return {};
    std::string kept;
    for (int i = 0; i < keep; ++i) kept += i < kSignificantDigits ? d.digits[i] : '0';
    const bool roundUp = keep < kSignificantDigits && d.digits[keep] >= '5';
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i >= 0) {
            ++kept[i];
        } else {
            kept.insert(kept.begin(), '1');
            ++topPower;
        }
    }
    return kept;
}

std::string PadLeft(std::string s, int width)
{
    if (int(s.size()) < width) s.insert(0, std::size_t(width - int(s.size())), ' ');
    return s;
}

std::string ScientificText(long double v, int width)
{
    const int n = std::clamp(width - 8, 2, kSignificantDigits);
    const TDigits d = SignificantDigitsOf(v);
    int top = 0;
    std::string kept = RoundAt(d, d.exponent - n + 1, top);
    kept.resize(std::size_t(n), '0');  // a carry adds a digit at the front; the last one is a 0
    std::string s;
    if (width - n - 8 > 0) s.append(std::size_t(width - n - 8), ' ');
    s += std::signbit(v) ? '-' : ' ';
    s += kept[0];
    s += '.';
    s.append(kept, 1, std::string::npos);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%04d", top < 0 ? '-' : '+', std::abs(top));
    return s + exp;
}

}  // namespace

std::string NumberToText(long double v, int width, int decimals)
{
    width = std::clamp(width, 0, kMaxNumberTextWidth);
    decimals = std::clamp(decimals, 0, kMaxNumberTextDecimals);
    if (std::isnan(v)) return PadLeft("Nan", width);
    if (std::isinf(v)) return PadLeft(v > 0 ? "+Inf" : "-Inf", width);
    const TDigits d = SignificantDigitsOf(v);
    if (std::fabs(v) >= 10 && d.exponent > kMaxFixedExponent) return ScientificText(v, width);

    int top = 0;
    const std::string kept = RoundAt(d, -decimals, top);
    const int bottom = top - int(kept.size()) + 1;
    auto digitAt = [&](int power) {
        return (!kept.empty() && power <= top && power >= bottom) ? kept[std::size_t(top - power)] : '0';
    };
    std::string s;
    if (std::signbit(v)) s += '-';
    for (int power = std::max(top, 0); power >= 0; --power) s += digitAt(power);
    if (decimals > 0) {
        s += '.';
        for (int power = -1; power >= -decimals; --power) s += digitAt(power);
    }
    return PadLeft(s, width);
}

std::string NumberToPrefixedText(int digits, double v)
{
    static const char kPrefixes[] = "afpnum kMGT";  // powers of 1000 from -6 to 4
    constexpr long double kLn10 = 2.302585092994045684017991454684364208L;
    const int a = std::clamp(digits, -9, 9);
    const int p = a > 1 ? a - 1 : (a < -1 ? a + 1 : 0);
    if (v == 0) return NumberToText(0, 1, std::abs(p));
    if (!std::isfinite(v)) return NumberToText(v, 1, 0);
    const bool negative = v < 0;
    v = std::fabs(v);
    const double lg = DecimalLog(v);
    const int e = FloorToInt(lg);
    const int f = std::clamp(FloorToInt(lg / 3), -6, 4);
    const int d = std::max(std::abs(p) - (e - 3 * f), 0);
    std::string s = NumberToText(v / std::exp(3 * f * kLn10), 1, d);
    if (f != 0) {
        const char letter = kPrefixes[f + 6];
        const std::size_t dot = s.find('.');
        if (p < 0 && dot != std::string::npos) s[dot] = letter;
        else s += letter;
    }
    if (negative) s.insert(s.begin(), '-');
    return s;
}

std::string ReplaceCharacter(const std::string& text, char oldChar, char newChar)
{
    std::string s = text;
    std::replace(s.begin(), s.end(), oldChar, newChar);
    return s;
}
