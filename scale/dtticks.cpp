// Ticks of date-time scales (values are day counts).
//
// The spacing per wanted interval picks the calendar unit: hundredths of seconds (vertical
// scales only), seconds, minutes, hours, days, months or years. Time-of-day ticks step in whole
// units from a table of long and short steps; day ticks count from 1 January of the start's
// year; month ticks fall on the 1st; year ticks on 1 January of multiples of the step.
// Every tick that is drawn is recorded. Nothing is drawn past 31 December 9999.
#include "scale/tickplan.h"

#include <cmath>
#include <cstdint>

namespace {

// Loops end when the next value lies this far (in days) beyond the range end.
constexpr double kDayReach = 1e-8;
// A time-of-day value within this fraction of a long step from a multiple is a long tick.
constexpr double kLongTickTolerance = 0.1;
// Average month and year lengths in days, for the spacing of month and year ticks.
constexpr double kDaysPerMonth = 30.4375;
constexpr double kDaysPerYear = 365.25;
// Date-time ranges beyond these day counts are refused.
constexpr double kLowestRangeLow = -693593.0;
constexpr double kHighestRangeHigh = 3000000.0;
// Ticks stop before 1 January 10000.
constexpr double kEndOfCalendar = kLastDayCount + 1.0;
constexpr int kLastYear = 9999;
// A date-time scale asked for unit steps (MinTicks 0) has no spacing; it uses the smallest
// count of intervals instead.
constexpr int kMinDateTimeIntervals = 2;

// Step choices compare a spacing with the steps of a unit. Day counts carry about a microsecond
// of rounding, so a spacing computed for exactly two seconds may come out a hair short of it; a
// spacing within this fraction of a step counts as reaching it. The steps of a unit differ by a
// factor of at least 1.2, so the slack never skips one.
constexpr double kStepSlack = 1e-4;
bool Reaches(double spacing, double step) { return spacing >= step * (1.0 - kStepSlack); }

enum TTimeMode { tmHundredths, tmSeconds, tmMinutes, tmHours };

struct TTimeUnit {
    double UnitsPerDay;
    int Long[6];
    int Short[6];
};
constexpr TTimeUnit kTimeUnits[] = {
    {8640000.0, {1, 2, 5, 10, 20, 50}, {1, 1, 1, 5, 10, 10}},
    {86400.0, {1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}},
    {1440.0, {1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}},
    {24.0, {1, 2, 3, 6, 8, 12}, {1, 1, 1, 2, 2, 3}},
};

int PositiveMod(long long a, int m)
{
    const long long r = a % m;
    return int(r < 0 ? r + m : r);
}

std::string Quoted(char c)
{
    return std::string("\"") + c + "\"";
}

class TDateTimePlanner {
public:
    TDateTimePlanner(const TTickSettings& s, TTickPlan& plan)
        : m_s(s), m_plan(plan), m_fmt(s.DateFormat ? *s.DateFormat : m_defaults),
          m_names(s.MonthNames ? *s.MonthNames : EnglishMonthNames())
    {
        const std::string sep = Quoted(m_fmt.DateSeparator());
        m_month = m_fmt.MonthName() ? "mmm" : "mm";
        m_year = m_fmt.YearLength() == ylNone ? "" : m_fmt.YearLength() == ylYY ? "yy" : "yyyy";
        switch (m_fmt.DateOrder()) {
        case doMMDDYY:
            m_dayPattern = m_month + sep + "dd" + sep + m_year;
            m_monthPattern = m_month + sep + m_year;
            m_datePattern = m_month + sep + "dd" + (m_year.empty() ? "" : sep + m_year);
            break;
        case doDDMMYY:
            m_dayPattern = "dd" + sep + m_month + sep + m_year;
            m_monthPattern = m_month + sep + m_year;
            m_datePattern = "dd" + sep + m_month + (m_year.empty() ? "" : sep + m_year);
            break;
        case doYYMMDD:
            m_dayPattern = m_year + sep + m_month + sep + "dd";
            m_monthPattern = m_year + sep + m_month;
            m_datePattern = m_year.empty() ? m_month + sep + "dd" : m_year + sep + m_month + sep + "dd";
            break;
        }
    }

    void Run()
    {
        m_plan.Algorithm = TTickAlgorithm::DateTime;
        const double low = m_s.RangeLow, high = m_s.RangeHigh;
        if (high < low || low < kLowestRangeLow || high > kHighestRangeHigh) {
            m_plan.Message = TScaleMessage::InvalidScale;
            return;
        }
        const int minTicks = m_s.MinTicks > 0 ? m_s.MinTicks : kMinDateTimeIntervals;
        const double d = (high - low) / minTicks;
        if (IsVerticalScale(m_s.ScaleType)) {
            if (d <= 1.0 / 8640000.0)
                m_plan.Message = TScaleMessage::BelowOneSecond;
            else if (d <= 1.0 / 86400.0)
                TimeOfDay(tmHundredths, d);
            else if (d <= 1.0 / 1440.0)
                TimeOfDay(tmSeconds, d);
            else if (d <= 0.041667)
                TimeOfDay(tmMinutes, d);
            else
                ByDays(d, minTicks);
        } else {
            if (d <= 1.1574e-5)
                m_plan.Message = TScaleMessage::BelowOneSecond;
            else if (d <= 0.00069444)
                TimeOfDay(tmSeconds, d);
            else if (d <= 0.041667)
                TimeOfDay(tmMinutes, d);
            else
                ByDays(d, minTicks);
        }
    }

private:
    // Hours, days, months or years for spacings above about an hour.
    void ByDays(double d, int minTicks)
    {
        if (d <= 1.0)
            TimeOfDay(tmHours, d);
        else if (d <= 30.0)
            Days(d);
        else if (d <= 366.0)
            Months(minTicks);
        else
            Years(minTicks);
    }

    bool GoesOn(double value) const
    {
        return value - m_s.RangeHigh < kDayReach && value < kEndOfCalendar && m_plan.Marks.size() < std::size_t(kMaxTickCandidates);
    }

    TTickMark& Add(double value, bool isLong)
    {
        TTickMark& m = m_plan.Marks.emplace_back();
        m.Value = value;
        m.IsLong = isLong;
        m.Record = true;
        return m;
    }

    void Label(TTickMark& m, const std::string& pattern) const
    {
        m.HasLabel = true;
        m.LabelValue = m.Value;
        m.Label = FormatDayCount(pattern, m.Value, m_names);
    }

    std::string TimePattern(TTimeMode mode) const
    {
        const std::string ts = Quoted(m_fmt.TimeSeparator());
        switch (m_fmt.TimeFormat()) {
        case tfHHMMSS:
            switch (mode) {
            case tmHours:
            case tmMinutes: return "hh" + ts + "nn";
            case tmSeconds: return "hh" + ts + "nn" + ts + "ss";
            case tmHundredths: return "hh" + ts + "nn" + ts + "ss\".\"zz";
            }
            break;
        case tfHHhMM:
            switch (mode) {
            case tmHours: return "h\"h\"";
            case tmMinutes: return "h\"h\"nn";
            case tmSeconds: return "h\"h\"nn" + ts + "ss";
            case tmHundredths: return "h\"h\"nn" + ts + "ss\".\"zz";
            }
            break;
        case tfAMPM:
            switch (mode) {
            case tmHours: return "ham/pm";
            case tmMinutes: return "h" + ts + "nnam/pm";
            case tmSeconds: return "h" + ts + "nn\".\"ssam/pm";
            case tmHundredths: return "h" + ts + "nn\".\"ss\".\"zzam/pm";
            }
            break;
        }
        return "hh" + ts + "nn";
    }

    void TimeOfDay(TTimeMode mode, double d)
    {
        const TTimeUnit& unit = kTimeUnits[mode];
        const double u = unit.UnitsPerDay;
        int index = 0;
        for (int i = 0; i < 6; ++i)
            if (Reaches(u * d, unit.Long[i])) index = i;
        const int longUnits = unit.Long[index];
        const double longStep = longUnits / u, shortStep = unit.Short[index] / u;

        const double low = m_s.RangeLow;
        const double day = std::floor(low);
        const double e = std::ceil(u * (low - day));
        const double eMultiple = std::ceil(e / longUnits) * longUnits;
        double value = day + eMultiple / u;
        if (m_s.ShortTicks)
            while (value > low) value -= shortStep;

        const std::string pattern = TimePattern(mode);
        int marker = -1;
        for (int n = 0; n < kMaxTickCandidates && GoesOn(value); ++n) {
            if (value >= low) {
                const double q = value / longStep;
                const bool isLong = !m_s.ShortTicks || std::fabs(q - std::nearbyint(q)) <= kLongTickTolerance;
                TTickMark& m = Add(value, isLong);
                if (isLong) {
                    Label(m, pattern);
                    DateLabel(m, marker);
                }
            }
            value += m_s.ShortTicks ? shortStep : longStep;
        }
    }

    // The date that a time-of-day tick may carry, and the day-of-month marker behind it.
    void DateLabel(TTickMark& m, int& marker) const
    {
        const int dayOfMonth = DecodeDayCount(m.Value).Day;
        bool draw = false;
        switch (m_fmt.DateForTime()) {
        case dtNone: draw = false; break;
        case dtOnePerChart: draw = marker == -1; break;
        case dtOnePerDay: draw = dayOfMonth != marker; break;
        case dtAllTicks: draw = true; break;
        }
        if (!draw) return;
        m.HasDateLabel = true;
        m.DateLabel = FormatDayCount(m_datePattern, m.Value, m_names);
        marker = dayOfMonth;
    }

    void Days(double d)
    {
        static constexpr int kSteps[] = {1, 2, 3, 7, 14, 28};
        int step = 1;
        for (int s : kSteps)
            if (Reaches(d, s)) step = s;
        const double shortStep = step <= 7 ? 1.0 : 7.0;
        const double low = m_s.RangeLow;
        const double jan1 = EncodeDayCount(DecodeDayCount(low).Year, 1, 1);
        double value = jan1 + step * std::floor(std::trunc(low - jan1) / step);
        const int phase = PositiveMod((long long)std::nearbyint(value), step);
        for (int n = 0; n < kMaxTickCandidates && GoesOn(value); ++n) {
            if (value >= low) {
                const bool isShort =
                    m_s.ShortTicks && PositiveMod((long long)std::nearbyint(value), step) != phase;
                TTickMark& m = Add(value, !isShort);
                if (!isShort) Label(m, m_dayPattern);
            }
            value += m_s.ShortTicks ? shortStep : step;
        }
    }

    void Months(int minTicks)
    {
        static constexpr int kSteps[] = {1, 2, 3, 4, 6};
        const double perInterval = (m_s.RangeHigh - m_s.RangeLow) / kDaysPerMonth / minTicks;
        int step = 1;
        for (int s : kSteps)
            if (Reaches(perInterval, s)) step = s;
        const TDayParts start = DecodeDayCount(m_s.RangeLow);
        int year = start.Year, month = start.Month;
        auto advance = [&](int months) {
            month += months;
            while (month > 12) {
                month -= 12;
                ++year;
            }
        };
        if (step > 1 && !m_s.ShortTicks) {
            do advance(1);
            while (month % step != 1);
        }
        for (int n = 0; n < kMaxTickCandidates && year <= kLastYear; ++n) {
            const double value = EncodeDayCount(year, month, 1);
            if (!GoesOn(value)) break;
            if (value >= m_s.RangeLow) {
                const bool isShort = m_s.ShortTicks && step != 1 && month % step != 1;
                TTickMark& m = Add(value, !isShort);
                if (!isShort) Label(m, m_monthPattern);
            }
            advance(m_s.ShortTicks ? 1 : step);
        }
    }

    void Years(int minTicks)
    {
        const double perInterval = std::fmax(1.0, (m_s.RangeHigh - m_s.RangeLow) / kDaysPerYear / minTicks);
        // The 1-2-5 class is decided by comparing with 2 and 5 times the power of ten itself,
        // not through a logarithm: 10^(log10(50) - 1) is 4.9999999999999991.
        int power = 1;
        while (power <= kLastYear && Reaches(perInterval, 10.0 * power)) power *= 10;
        const int f = Reaches(perInterval, 5.0 * power) ? 5 : Reaches(perInterval, 2.0 * power) ? 2 : 1;
        const int longStep = f * power;
        int step = longStep;
        if (m_s.ShortTicks && longStep > 1) step = longStep / (f == 5 ? 5 : 2);
        if (step < 1) step = 1;

        const TDayParts start = DecodeDayCount(m_s.RangeLow);
        int year = (start.Year + step - 1) / step * step;
        if (year == start.Year && (start.Month > 1 || start.Day > 1)) year += step;
        for (int n = 0; n < kMaxTickCandidates && year <= kLastYear; ++n) {
            const double value = EncodeDayCount(year, 1, 1);
            if (!GoesOn(value)) break;
            const bool isShort = m_s.ShortTicks && year % longStep != 0;
            TTickMark& m = Add(value, !isShort);
            if (!isShort) {
                m.HasLabel = true;
                m.LabelValue = value;
                if (m_fmt.YearLength() == ylYY)
                    m.Label = FormatDayCount("yy", value, m_names);
                else if (m_fmt.YearLength() == ylYYYY)
                    m.Label = std::to_string(year);
            }
            year += step;
        }
    }

    const TTickSettings& m_s;
    TTickPlan& m_plan;
    TDTLabel m_defaults;
    const TDTLabel& m_fmt;
    const TMonthNames& m_names;
    std::string m_month, m_year, m_dayPattern, m_monthPattern, m_datePattern;
};

}  // namespace

void PlanDateTimeTicks(const TTickSettings& settings, TTickPlan& plan)
{
    plan.Marks.clear();
    plan.Message = TScaleMessage::None;
    TDateTimePlanner(settings, plan).Run();
}

const TMonthNames& EnglishMonthNames()
{
    static const TMonthNames names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return names;
}
