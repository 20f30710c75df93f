#pragma once
// The user's locale as the program sees it: the decimal separator for reading typed numbers and
// the month and day names for date texts. The settings are read from the system locale on first
// use; tests replace them with SetFormatSettings.
#include <array>
#include <string>

struct TFormatSettings {
    char DecimalSeparator = '.';
    std::array<std::string, 12> ShortMonthNames;   // January first, UTF-8
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 7> ShortDayNames;      // Sunday first
    std::array<std::string, 7> LongDayNames;

    static TFormatSettings English();             // "." and the English names
};

// The settings in force.
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);
// The settings of the system locale (what FormatSettings() starts with).
TFormatSettings SystemFormatSettings();

// Reads a typed number with the locale's decimal separator: optional blanks around, an optional
// sign, digits with at most one separator, an optional exponent (E or e, optional sign, digits).
// No thousands separators. Anything else, an empty text included, raises EConvertError with
// the text in its message.
double StrToFloat(const std::string& text);
// The same without raising: false for a text that is not a number (value left unchanged).
bool TryStrToFloat(const std::string& text, double& value);
