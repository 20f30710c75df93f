#pragma once
// Day counts: whole days from 30 December 1899 (day 0) plus the time of day as a fraction;
// negative values continue the same line backwards (-1.25 is 28 December 1899, 18:00). The
// calendar is the proleptic Gregorian one.
#include <array>
#include <string>
#include <string_view>

// First and last day that a date-time scale can show: 1 January 0001 and 31 December 9999.
constexpr double kFirstDayCount = -693593.0;
constexpr double kLastDayCount = 2958465.0;

struct TDayParts {
    int Year = 1899, Month = 12, Day = 30;           // calendar date
    int Hour = 0, Minute = 0, Second = 0, Milli = 0;  // time of day
};

// Day count of a calendar date at midnight.
double EncodeDayCount(int year, int month, int day);

// Splits a day count into date and time of day, rounded to the nearest millisecond (a value a
// hair below midnight belongs to the next day). Values within 1e-8 of 0 count as 0.
TDayParts DecodeDayCount(double value);

// Abbreviated month names, January first.
using TMonthNames = std::array<std::string, 12>;

// Formats a day count with a pattern of these tokens; text in double quotes and every other
// character is copied unchanged:
//   dd day, mm month, mmm month name, yy year mod 100, yyyy year (four digits), h hour without
//   leading zero (12-hour clock when the pattern holds am/pm), hh hour 00-23, nn minute,
//   ss second, zz milliseconds (three digits), am/pm "am" or "pm".
std::string FormatDayCount(std::string_view pattern, double value, const TMonthNames& monthNames);
