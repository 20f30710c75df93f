#include "scale/ticklabels.h"

#include "common/mathutil.h"
#include "common/numtext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The exponent form shows the mantissa with two significant digits and the exponent with two
// digits; the digits are taken from the value's 18-digit decimal form and rounded half away
// from zero, as the fixed-point texts are.
constexpr int kExponentDigits = 2;
constexpr int kFormDigits = 18;

// Label spans outside these limits switch the automatic decimals to the exponent form.
constexpr double kExponentSpanHigh = 1000000.0;
constexpr double kExponentSpanLow = 0.0001;
// From this many seconds on, labels split whole seconds (a double holds no milliseconds there).
constexpr double kWholeSecondsFrom = 1e15;
// From 2^53 seconds on a double no longer holds every whole second, so the minutes and seconds of
// a clock text would be noise and its hours would grow without bound.
constexpr double kClockTextLimit = 9007199254740992.0;

}  // namespace

std::string FormatTickNumber(double value, int d)
{
    if (d >= 0) return NumberToText(value, 1, d);
    if (value == 0.0) return " 0.0E+00";
    if (!std::isfinite(value)) return std::string(8, '*');

    // "d.ddddddddddddddddde+xxx": 18 significant digits of |value|.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", kFormDigits - 1, std::fabs(value));
    int digits[kFormDigits];
    int n = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits[n++] = *p - '0';
    int exponent = std::atoi(p + 1);

    int mantissa = digits[0] * 10 + digits[1];
    if (digits[2] >= 5) ++mantissa;
    if (mantissa >= 100) {  // 9.96 rounds up to 10.0: one more exponent step
        mantissa /= 10;
        ++exponent;
    }
    static_assert(kExponentDigits == 2);
    if (std::abs(exponent) >= 100) return std::string(8, '*');

    char out[32];
    std::snprintf(out, sizeof out, "%c%d.%dE%c%02d", value < 0 ? '-' : ' ', mantissa / 10, mantissa % 10,
                  exponent < 0 ? '-' : '+', std::abs(exponent));
    return out;
}

std::string UserTickItem(std::string_view userTickText, int n)
{
    if (n < 1) return {};
    std::size_t start = 0;
    for (int item = 1;; ++item) {
        const std::size_t bar = userTickText.find('|', start);
        if (bar == std::string_view::npos || item == n)
            return std::string(userTickText.substr(start, bar == std::string_view::npos ? bar : bar - start));
        start = bar + 1;
    }
}

std::string ApplyInscript(std::string_view inscript, const std::string& label)
{
    if (label.empty()) return label;
    const std::size_t amp = inscript.find('&');
    if (amp == std::string_view::npos) return std::string(inscript) + label;
    std::string result(inscript.substr(0, amp));
    result += label;
    result += inscript.substr(amp + 1);
    return result;
}

std::string FormatSecondsLabel(double seconds, bool withMilliseconds)
{
    if (!std::isfinite(seconds)) return NumberToText(seconds, 1, 0);
    // Beyond the last exact clock text the label takes the exponent form that numeric labels use
    // for spans too wide for fixed decimals, so it stays shorter than the longest exact label.
    if (std::fabs(seconds) >= kClockTextLimit) return FormatTickNumber(seconds, -1);
    // The value is rounded to whole milliseconds before it is split, so a tick computed a hair
    // below a full second or minute (59.9999999) reads 00:01:00, not 00:00:59 or ".1000".
    // Beyond 1e15 s a double holds no milliseconds any more; whole seconds are split instead.
    const double a = std::fabs(seconds);
    const double totalMs = a < kWholeSecondsFrom ? std::nearbyint(a * 1000.0) : 0.0;
    const double ms = std::fmod(totalMs, 1000.0);
    const double totalSeconds = a < kWholeSecondsFrom ? (totalMs - ms) / 1000.0 : std::nearbyint(a);
    // Each field is a remainder, so it stays in its range however large the hours grow.
    const double secs = std::fmod(totalSeconds, 60.0);
    const double totalMinutes = (totalSeconds - secs) / 60.0;
    const double minutes = std::fmod(totalMinutes, 60.0);
    const double hours = (totalMinutes - minutes) / 60.0;

    // A value that rounds to 0 ms gets no minus sign: "-00:00:00.000" would show a sign with
    // nothing to carry it.
    const char sign = seconds < 0 && (totalMs > 0 || totalSeconds > 0) ? '-' : ' ';
    char buf[64];  // below 2^53 s the hours have at most 13 digits
    int len = std::snprintf(buf, sizeof buf, "%c%02.0f:%02d:%02d", sign, hours, int(minutes), int(secs));
    // Milliseconds always take three digits (".050", not ".05"), so labels of one scale line up.
    if (withMilliseconds && len > 0 && len < int(sizeof buf))
        std::snprintf(buf + len, sizeof buf - std::size_t(len), ".%03d", int(ms));
    return buf;
}

int AutoDecimals(double span)
{
    if (span >= kExponentSpanHigh || span <= kExponentSpanLow) return -1;
    if (span >= 100.0) return 0;
    return 2 - RoundToInt(std::log(span) / 2.5);
}

int AutoLogDecimals(double lo, double hi)
{
    const double span = hi - lo;
    if (span >= kExponentSpanHigh || span <= kExponentSpanLow) return -1;
    if (lo >= 1.0) return 0;
    if (lo == 0.0 || std::isnan(lo)) return -1;
    return 1 - RoundToInt(std::log10(std::fabs(lo)));
}

std::string TrimTrailingZeros(std::string label)
{
    if (label.find('.') == std::string::npos || label.find_first_of("eE") != std::string::npos) return label;
    while (!label.empty() && label.back() == '0') label.pop_back();
    if (!label.empty() && label.back() == '.') label.pop_back();
    return label;
}
