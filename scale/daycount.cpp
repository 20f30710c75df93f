#include "scale/daycount.h"

#include "platform/datetime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// Values this close to 0 count as exactly midnight of day 0.
constexpr double kZeroDayTolerance = 1e-8;

void AppendNumber(std::string& out, int value, int minDigits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", minDigits, value);
    out += buf;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view token)
{
    if (pos + token.size() > text.size()) return false;
    for (std::size_t i = 0; i < token.size(); ++i) {
        char c = text[pos + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != token[i]) return false;
    }
    return true;
}

}  // namespace

double EncodeDayCount(int year, int month, int day)
{
    return DayCountOfDate(year, month, day);
}

TDayParts DecodeDayCount(double value)
{
    if (std::fabs(value) < kZeroDayTolerance || !std::isfinite(value)) value = 0.0;
    TDayParts p;
    DecodeDateTime(value, p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Milli);
    return p;
}

std::string FormatDayCount(std::string_view pattern, double value, const TMonthNames& monthNames)
{
    const TDayParts p = DecodeDayCount(value);
    bool twelveHour = false;
    for (std::size_t i = 0; i < pattern.size() && !twelveHour; ++i) twelveHour = StartsWithNoCase(pattern, i, "am/pm");
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"') {
            const std::size_t close = pattern.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = end + 1;
        } else if (StartsWithNoCase(pattern, i, "am/pm")) {
            out += p.Hour < 12 ? "am" : "pm";
            i += 5;
        } else if (StartsWithNoCase(pattern, i, "yyyy")) {
            AppendNumber(out, p.Year, 4);
            i += 4;
        } else if (StartsWithNoCase(pattern, i, "yy")) {
            AppendNumber(out, p.Year % 100, 2);
            i += 2;
        } else if (StartsWithNoCase(pattern, i, "mmm")) {
            out += monthNames[std::size_t(p.Month - 1)];
            i += 3;
        } else if (StartsWithNoCase(pattern, i, "mm")) {
            AppendNumber(out, p.Month, 2);
            i += 2;
        } else if (StartsWithNoCase(pattern, i, "dd")) {
            AppendNumber(out, p.Day, 2);
            i += 2;
        } else if (StartsWithNoCase(pattern, i, "hh")) {
            AppendNumber(out, p.Hour, 2);
            i += 2;
        } else if (StartsWithNoCase(pattern, i, "h")) {
            int hour = p.Hour;
            if (twelveHour) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            AppendNumber(out, hour, 1);
            i += 1;
        } else if (StartsWithNoCase(pattern, i, "nn")) {
            AppendNumber(out, p.Minute, 2);
            i += 2;
        } else if (StartsWithNoCase(pattern, i, "ss")) {
            AppendNumber(out, p.Second, 2);
            i += 2;
        } else if (StartsWithNoCase(pattern, i, "zz")) {
            // Always three digits: ".50" would read as half a second for a tick at 50 ms.
            AppendNumber(out, p.Milli, 3);
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}
