// Number texts of the display label. The general and exponent formats work on the value's 18
// most significant decimal digits (correctly rounded from the binary value) and round those to
// the wanted count with ties away from zero, the same two-step rounding NumberToText uses.
#include "numlab/numlabtext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/numtext.h"
#include "platform/datetime.h"

namespace {

constexpr int kSignificantDigits = 18;
// Fixed-point texts of magnitudes from here on take the general format with 18 digits.
constexpr double kFixedLimit = 1e18;
// Degrees, minutes and seconds this close to a whole number count as that number, so that
// 12.5 degrees gives 30 minutes and not 29.999999999.
constexpr double kSnapTolerance = 3e-12;
constexpr const char* kDegreeSign = "\xC2\xB0";
// From this many degrees on a double holds no minutes or seconds any more (and minutes times
// 10^decimals would leave the range of the rounding): such values give the overflow indicator.
constexpr double kMaxDegrees = 1e15;

// Decimal digits (without trailing zeros) and the power of ten of the first one.
struct Digits {
    std::string digits;
    int exponent = 0;
};

// |v| rounded to `count` significant digits (1..18), ties away from zero, from its 18-digit form.
Digits RoundedDigits(double v, int count)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", kSignificantDigits - 1, std::fabs(v));
    Digits d;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.digits += *p;
    d.exponent = std::atoi(p + 1);
    const bool up = d.digits[count] >= '5';
    d.digits.resize(count);
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.pop_back();
            ++d.exponent;
        }
    }
    return d;
}

std::string ExponentDigits(int exponent)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", std::abs(exponent));
    return buf;
}

bool IsWholeNumberRange(double v, double low, double high) { return v >= low && v <= high; }

// The value rounded to an integer, ties to even.
std::int64_t RoundedInteger(double v) { return std::int64_t(std::nearbyint(v)); }

// The lowest `count` digits of `bits` in base 2^shift, most significant first.
std::string LowDigits(std::uint64_t bits, int count, int shift)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s(count, '0');
    for (int i = count - 1; i >= 0; --i, bits >>= shift) s[i] = kDigits[bits & ((1u << shift) - 1)];
    return s;
}

std::string LastChars(const std::string& s, int count)
{
    return int(s.size()) <= count ? s : s.substr(s.size() - count);
}

// Rounds v to `decimals` decimals, halves away from zero: |v| * 10^decimals + 0.5 is cut
// towards zero and the sign put back, so -12.25 degrees keeps its 15 minutes.
double TruncRound(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::copysign(std::trunc(std::fabs(v) * scale + 0.5), v) / scale;
}

double Snapped(double v)
{
    const double whole = std::nearbyint(v);
    return std::fabs(v - whole) < kSnapTolerance ? whole : v;
}

// Degrees and the remaining minutes or seconds. The whole degrees are cut towards zero, so a
// negative value above -1 gets its minus sign written in front of the 0.
std::string DegreesText(double d)
{
    return (d < 0 ? "-" : "") + NumberToText(std::trunc(std::fabs(d)), 1, 0) + kDegreeSign + " ";
}

}  // namespace

std::string GeneralText(double value, int digits)
{
    digits = std::clamp(digits, 2, kSignificantDigits);
    if (!std::isfinite(value)) return NumberToText(value, 1, 0);
    if (value == 0) return "0";
    Digits d = RoundedDigits(value, digits);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    const int n = int(d.digits.size());
    const int e = d.exponent + 1;  // position of the point after the first digit
    std::string s = value < 0 ? "-" : "";
    if (e >= -3 && e <= digits) {
        if (e <= 0) {
            s += "0." + std::string(-e, '0') + d.digits;
        } else if (n <= e) {
            s += d.digits + std::string(e - n, '0');
        } else {
            s += d.digits.substr(0, e) + "." + d.digits.substr(e);
        }
        return s;
    }
    s += d.digits.substr(0, 1);
    if (n > 1) s += "." + d.digits.substr(1);
    s += "E";
    if (d.exponent < 0) s += "-";
    return s + ExponentDigits(d.exponent);
}

std::string ExponentText(double value, int digits)
{
    digits = std::clamp(digits, 2, kSignificantDigits);
    if (!std::isfinite(value)) return NumberToText(value, 1, 0);
    Digits d = value == 0 ? Digits{std::string(digits, '0'), 0} : RoundedDigits(value, digits);
    std::string s = value < 0 ? "-" : "";
    s += d.digits.substr(0, 1) + "." + d.digits.substr(1) + "E";
    s += d.exponent < 0 ? "-" : "+";
    return s + ExponentDigits(d.exponent);
}

bool NumberTextOf(double value, const TNumberTextParams& params, std::string& text)
{
    const int p = std::clamp(params.Precision, 0, 15);
    const bool finite = std::isfinite(value);
    switch (params.DisplayType) {
    case dtFloat:
        text = GeneralText(value, p);
        return true;
    case dtFixP:
        text = finite && std::fabs(value) >= kFixedLimit ? GeneralText(value, kSignificantDigits)
                                                          : NumberToText(value, 1, p);
        return true;
    case dtExp:
        text = ExponentText(value, p);
        return true;
    case dtHex: {
        if (!IsWholeNumberRange(value, -2147483648.0, 4294967295.0)) return false;
        const int a = std::min(p, 8);
        text = LastChars(LowDigits(std::uint64_t(RoundedInteger(value)), std::max(a, 16), 4), a);
        return true;
    }
    case dtZeroInt: {
        if (!IsWholeNumberRange(value, -2147483648.0, 2147483647.0)) return false;
        const std::int64_t r = RoundedInteger(value);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%0*lld", p, static_cast<long long>(std::llabs(r)));
        text = (r < 0 ? "-" : "") + std::string(buf);
        return true;
    }
    case dtInt: {
        // The overflow indicator beyond +-2^63, on purpose: a 64-bit integer holds nothing larger,
        // and the label never shows a wrapped or undefined number.
        if (!IsWholeNumberRange(value, -9223372036854775808.0, 9223372036854774784.0)) return false;
        text = std::to_string(RoundedInteger(value));
        return true;
    }
    case dtDateTime:
        if (!finite) return false;
        text = FormatDateTime(params.DTFormat, value);
        return true;
    case dtState:
        text = params.StateText;
        return true;
    case dtBin: {
        if (!IsWholeNumberRange(value, -2147483648.0, 4294967295.0)) return false;
        const int b = std::min(p, 32);
        const auto bits = std::uint32_t(std::uint64_t(RoundedInteger(value)));
        text = LastChars(LowDigits(bits, std::max(b, 1), 1), b);
        return true;
    }
    case dtOct: {
        if (!IsWholeNumberRange(value, -2147483648.0, 4294967295.0)) return false;
        const int c = std::min(p, 12);
        const auto bits = std::uint32_t(std::uint64_t(RoundedInteger(value)));
        text = LastChars(LowDigits(bits, std::max(std::min(c, 11), 1), 3), c);
        return true;
    }
    case dtDeg:
        if (!finite) return false;
        text = NumberToText(value, 1, std::min(p, 8)) + kDegreeSign;
        return true;
    case dtDegMin: {
        if (!finite || std::fabs(value) >= kMaxDegrees) return false;
        const int a = std::min(p, 8);
        const double d = Snapped(TruncRound(value * 60.0, a) / 60.0);
        const double minutes = (std::fabs(d) - std::trunc(std::fabs(d))) * 60.0;
        text = DegreesText(d) + NumberToText(minutes, a + 3, a) + "'";
        return true;
    }
    case dtDegMinSec: {
        if (!finite || std::fabs(value) >= kMaxDegrees) return false;
        const int a = std::min(p, 8);
        const double d = Snapped(TruncRound(value * 3600.0, a) / 3600.0);
        const double g = Snapped((std::fabs(d) - std::trunc(std::fabs(d))) * 60.0);
        const double seconds = (g - std::trunc(g)) * 60.0;
        text = DegreesText(d) + NumberToText(std::trunc(g), 2, 0) + "' " + NumberToText(seconds, a + 3, a) + "\"";
        return true;
    }
    case dtEEng:
    case dtEEngNoDP:
        if (!finite) return false;
        text = NumberToPrefixedText(params.DisplayType == dtEEng ? p : -p, value);
        return !text.empty();
    }
    return false;
}
