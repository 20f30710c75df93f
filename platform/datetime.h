#pragma once
// Day counts and their texts. A day count is a double whose whole part counts days from
// 30 December 1899 (day 0) and whose fraction is the time of day; negative values continue the
// same line backwards, so the date is floor(value) and the time value - floor(value).
#include <string>

// Day count of a date; false for an invalid date (years 1..9999).
bool TryEncodeDate(int year, int month, int day, double& dayCount);
// Day fraction of a time of day; false for an invalid time.
bool TryEncodeTime(int hour, int minute, int second, int msec, double& dayFraction);
// The date of floor(dayCount) (proleptic Gregorian calendar).
void DecodeDate(double dayCount, int& year, int& month, int& day);
// The time of day of dayCount - floor(dayCount), rounded to milliseconds; a fraction that rounds
// to a whole day gives 23:59:59.999.
void DecodeTime(double dayCount, int& hour, int& minute, int& second, int& msec);
// Date and time of day of dayCount rounded to the nearest millisecond as a whole, so a value a
// hair below midnight is 00:00:00.000 of the next day (unlike DecodeDate and DecodeTime taken
// separately). The date is not limited to years 1..9999.
void DecodeDateTime(double dayCount, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec);
// Day count of a date of the proleptic Gregorian calendar at midnight, for any year (no check).
double DayCountOfDate(int year, int month, int day);
// 1 for Sunday .. 7 for Saturday.
int DayOfWeek(double dayCount);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);         // 0 for a month outside 1..12

// Formats a day count, rounded to the nearest millisecond, with a pattern of these codes (upper
// or lower case):
//   d day, dd two-digit day, ddd short day name, dddd long day name,
//   m month, mm two-digit month, mmm short month name, mmmm long month name
//     (m and mm right after an hour code mean minutes),
//   yy two-digit year, yyyy four-digit year,
//   h hour, hh two-digit hour (12-hour clock when the pattern holds am/pm or a/p),
//   n minute, nn two-digit minute, s second, ss two-digit second,
//   z milliseconds, zz at least two digits, zzz three digits,
//   am/pm "am" or "pm" (case as written), a/p "a" or "p".
// Text between double or single quotes is copied without the quotes; every other character is
// copied as it stands. Names come from FormatSettings().
std::string FormatDateTime(const std::string& pattern, double dayCount);

// Month 1..12 to the locale's names; empty outside the range.
std::string ShortMonthName(int month);
std::string LongMonthName(int month);
