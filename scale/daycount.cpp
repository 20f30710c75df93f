#include "scale/daycount.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Day count of 1 January 1970 (the epoch of the civil-day algorithm below).
constexpr std::int64_t kEpochDayCount = 25569;
// Values this close to 0 count as exactly midnight of day 0.
constexpr double kZeroDayTolerance = 1e-8;

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

// The inverse: civil date of a day since 1 January 1970 (H. Hinnant's civil_from_days).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(std::int64_t(yoe) + era * 400 + (month <= 2));
}

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
    return double(DaysFromCivil(year, unsigned(month), unsigned(day)) + kEpochDayCount);
}

TDayParts DecodeDayCount(double value)
{
    if (std::fabs(value) < kZeroDayTolerance || !std::isfinite(value)) value = 0.0;
    const auto totalMs = std::int64_t(std::nearbyint(value * double(kMsPerDay)));
    std::int64_t days = totalMs / kMsPerDay;
    std::int64_t ms = totalMs % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --days;
    }
    TDayParts parts;
    CivilFromDays(days - kEpochDayCount, parts.Year, parts.Month, parts.Day);
    parts.Hour = int(ms / 3600000);
    parts.Minute = int(ms / 60000 % 60);
    parts.Second = int(ms / 1000 % 60);
    parts.Milli = int(ms % 1000);
    return parts;
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
