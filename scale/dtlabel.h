#pragma once
// Date and time label settings of one axis: how its date-time ticks are written. The owner
// (a scale control or a chart axis) connects OnChange to its repaint reaction.
#include <functional>

enum TTimeFormat { tfHHMMSS, tfHHhMM, tfAMPM };
enum TYearLength { ylNone, ylYY, ylYYYY };
enum TDateOrder { doMMDDYY, doDDMMYY, doYYMMDD };
// Which time-of-day ticks also carry a date.
enum TDateForTime { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };

class TDTLabel {
public:
    TDTLabel() = default;
    TDTLabel(const TDTLabel&) = delete;  // copying would copy the listener
    TDTLabel& operator=(const TDTLabel&) = delete;

    // properties
    // TimeFormat and DateOrder notify on every call, also when the value does not change;
    // the other setters notify only when the value changes.
    TTimeFormat TimeFormat() const { return m_timeFormat; }
    void SetTimeFormat(TTimeFormat value);
    char DateSeparator() const { return m_dateSeparator; }
    void SetDateSeparator(char value);
    char TimeSeparator() const { return m_timeSeparator; }
    void SetTimeSeparator(char value);
    TYearLength YearLength() const { return m_yearLength; }
    void SetYearLength(TYearLength value);
    bool MonthName() const { return m_monthName; }
    void SetMonthName(bool value);
    TDateOrder DateOrder() const { return m_dateOrder; }
    void SetDateOrder(TDateOrder value);
    TDateForTime DateForTime() const { return m_dateForTime; }
    void SetDateForTime(TDateForTime value);

    // events
    std::function<void(TDTLabel& Sender)> OnChange;

    // operations
    // Copies the seven settings of `other` (never its listener) and notifies once.
    void Assign(const TDTLabel& other);
    // Calls OnChange when a handler is connected.
    void Changed()
    {
        if (OnChange) OnChange(*this);
    }

private:
    TTimeFormat m_timeFormat = tfHHMMSS;
    char m_dateSeparator = '-';
    char m_timeSeparator = ':';
    TYearLength m_yearLength = ylYYYY;
    bool m_monthName = true;
    TDateOrder m_dateOrder = doDDMMYY;
    TDateForTime m_dateForTime = dtOnePerDay;
};
