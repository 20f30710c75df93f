#include "platform/localefmt.h"

#include <QLocale>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <optional>

#include "common/errors.h"

namespace {

std::optional<TFormatSettings>& Current()
{
    static std::optional<TFormatSettings> settings;
    return settings;
}

// A locale object for the "C" number syntax, independent of the process locale.
locale_t CLocale()
{
    static locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    return c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

TFormatSettings TFormatSettings::English()
{
    TFormatSettings s;
    s.DecimalSeparator = '.';
    s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return s;
}

TFormatSettings SystemFormatSettings()
{
    const QLocale locale = QLocale::system();
    TFormatSettings s;
    const QString point = locale.decimalPoint();
    s.DecimalSeparator = point.size() == 1 && point[0].unicode() < 128 ? char(point[0].unicode()) : '.';
    for (int m = 1; m <= 12; ++m) {
        s.ShortMonthNames[m - 1] = locale.monthName(m, QLocale::ShortFormat).toStdString();
        s.LongMonthNames[m - 1] = locale.monthName(m, QLocale::LongFormat).toStdString();
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts Monday 1 .. Sunday 7
        s.ShortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
        s.LongDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
    }
    return s;
}

const TFormatSettings& FormatSettings()
{
    if (!Current()) Current() = SystemFormatSettings();
    return *Current();
}

void SetFormatSettings(const TFormatSettings& settings) { Current() = settings; }

bool TryStrToFloat(const std::string& text, double& value)
{
    const char sep = FormatSettings().DecimalSeparator;
    std::size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    while (n > i && IsBlank(text[n - 1])) --n;
    std::string plain;
    if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    int digits = 0;
    while (i < n && IsDigit(text[i])) { plain += text[i++]; ++digits; }
    if (i < n && text[i] == sep) {
        plain += '.';
        ++i;
        while (i < n && IsDigit(text[i])) { plain += text[i++]; ++digits; }
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int expDigits = 0;
        while (i < n && IsDigit(text[i])) { plain += text[i++]; ++expDigits; }
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    const double v = strtod_l(plain.c_str(), nullptr, CLocale());
    if (!std::isfinite(v)) return false;  // beyond the range of a double
    value = v;
    return true;
}

double StrToFloat(const std::string& text)
{
    double v = 0.0;
    if (!TryStrToFloat(text, v)) throw EConvertError(text);
    return v;
}
