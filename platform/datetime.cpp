// Day counts: dates are converted with the civil-from-days algorithm of the proleptic Gregorian
// calendar (eras of 400 years), counted from 30 December 1899.
#include "platform/datetime.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/localefmt.h"

namespace {

constexpr long long kMsPerDay = 86400000;
// Days from 1 March of year 0 to 30 December 1899 in the era-based count below.
constexpr long long kEpochShift = 693899;
// Day counts beyond this magnitude are far outside years 1..9999 and are not decoded.
constexpr double kMaxDecodable = 1e8;

long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int((long long)yoe + era * 400 + (month <= 2));
}

std::string Padded(long long v, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    return buf;
}

bool StartsWithNoCase(const std::string& s, std::size_t pos, const char* word)
{
    for (std::size_t k = 0; word[k]; ++k)
        if (pos + k >= s.size() || std::tolower((unsigned char)s[pos + k]) != word[k]) return false;
    return true;
}

// True when the pattern (outside quotes) holds am/pm or a/p, which selects the 12-hour clock.
bool HasAmPm(const std::string& pattern)
{
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(pattern, i, "am/pm") || StartsWithNoCase(pattern, i, "a/p")) {
            return true;
        }
    }
    return false;
}

std::size_t RunLength(const std::string& s, std::size_t pos)
{
    const char c = char(std::tolower((unsigned char)s[pos]));
    std::size_t n = 1;
    while (pos + n < s.size() && std::tolower((unsigned char)s[pos + n]) == c) ++n;
    return n;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, double& dayCount)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    dayCount = double(DaysFromCivil(year, unsigned(month), unsigned(day)) - kEpochShift);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, double& dayFraction)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    dayFraction = double(((hour * 60LL + minute) * 60 + second) * 1000 + msec) / double(kMsPerDay);
    return true;
}

void DecodeDate(double dayCount, int& year, int& month, int& day)
{
    if (!(std::fabs(dayCount) < kMaxDecodable)) {
        year = month = day = 0;
        return;
    }
    CivilFromDays((long long)std::floor(dayCount) + kEpochShift, year, month, day);
}

void DecodeTime(double dayCount, int& hour, int& minute, int& second, int& msec)
{
    long long ms = 0;
    if (std::fabs(dayCount) < kMaxDecodable) {
        ms = std::llround((dayCount - std::floor(dayCount)) * double(kMsPerDay));
        if (ms >= kMsPerDay) ms = kMsPerDay - 1;
    }
    msec = int(ms % 1000);
    second = int(ms / 1000 % 60);
    minute = int(ms / 60000 % 60);
    hour = int(ms / 3600000);
}

void DecodeDateTime(double dayCount, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec)
{
    long long days = 0, ms = 0;
    if (std::fabs(dayCount) < kMaxDecodable) {
        const long long total = std::llround(dayCount * double(kMsPerDay));
        days = total / kMsPerDay;
        ms = total % kMsPerDay;
        if (ms < 0) {
            ms += kMsPerDay;
            --days;
        }
    }
    CivilFromDays(days + kEpochShift, year, month, day);
    msec = int(ms % 1000);
    second = int(ms / 1000 % 60);
    minute = int(ms / 60000 % 60);
    hour = int(ms / 3600000);
}

double DayCountOfDate(int year, int month, int day)
{
    return double(DaysFromCivil(year, unsigned(month), unsigned(day)) - kEpochShift);
}

int DayOfWeek(double dayCount)
{
    if (!(std::fabs(dayCount) < kMaxDecodable)) return 1;
    // Day 0, 30 December 1899, was a Saturday.
    const long long d = (long long)std::floor(dayCount);
    return int(((d + 6) % 7 + 7) % 7) + 1;
}

std::string ShortMonthName(int month)
{
    return month >= 1 && month <= 12 ? FormatSettings().ShortMonthNames[month - 1] : std::string();
}

std::string LongMonthName(int month)
{
    return month >= 1 && month <= 12 ? FormatSettings().LongMonthNames[month - 1] : std::string();
}

std::string FormatDateTime(const std::string& pattern, double dayCount)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDateTime(dayCount, year, month, day, hour, minute, second, msec);
    const bool twelveHour = HasAmPm(pattern);
    const TFormatSettings& names = FormatSettings();
    std::string out;
    bool afterHour = false;  // m and mm right after an hour code are minutes
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char lc = char(std::tolower((unsigned char)c));
        if (c == '"' || c == '\'') {
            std::size_t end = pattern.find(c, i + 1);
            if (end == std::string::npos) end = pattern.size();
            out.append(pattern, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(pattern, i, "am/pm")) {
            const bool upper = std::isupper((unsigned char)c);
            out += hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(pattern, i, "a/p")) {
            const bool upper = std::isupper((unsigned char)c);
            out += hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
            i += 3;
            continue;
        }
        const std::size_t n = (lc == 'd' || lc == 'm' || lc == 'y' || lc == 'h' || lc == 'n' || lc == 's' ||
                               lc == 'z')
                                  ? RunLength(pattern, i)
                                  : 0;
        if (n == 0) {
            out += c;
            ++i;
            continue;
        }
        switch (lc) {
        case 'd':
            if (n == 1) out += std::to_string(day);
            else if (n == 2) out += Padded(day, 2);
            else if (n == 3) out += names.ShortDayNames[DayOfWeek(dayCount) - 1];
            else out += names.LongDayNames[DayOfWeek(dayCount) - 1];
            afterHour = false;
            break;
        case 'm':
            if (afterHour && n <= 2) out += n == 1 ? std::to_string(minute) : Padded(minute, 2);
            else if (n == 1) out += std::to_string(month);
            else if (n == 2) out += Padded(month, 2);
            else if (n == 3) out += ShortMonthName(month);
            else out += LongMonthName(month);
            afterHour = false;
            break;
        case 'y':
            out += n <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
            afterHour = false;
            break;
        case 'h': {
            const int shown = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            out += n == 1 ? std::to_string(shown) : Padded(shown, 2);
            afterHour = true;
            break;
        }
        case 'n':
            out += n == 1 ? std::to_string(minute) : Padded(minute, 2);
            afterHour = false;
            break;
        case 's':
            out += n == 1 ? std::to_string(second) : Padded(second, 2);
            afterHour = false;
            break;
        case 'z':
            out += n == 1 ? std::to_string(msec) : Padded(msec, n == 2 ? 2 : 3);
            afterHour = false;
            break;
        }
        i += n;
    }
    return out;
}
