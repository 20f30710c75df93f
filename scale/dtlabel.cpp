#include "scale/dtlabel.h"

void TDTLabel::SetTimeFormat(TTimeFormat value)
{
    m_timeFormat = value;
    Changed();
}

void TDTLabel::SetDateSeparator(char value)
{
    if (value == m_dateSeparator) return;
    m_dateSeparator = value;
    Changed();
}

void TDTLabel::SetTimeSeparator(char value)
{
    if (value == m_timeSeparator) return;
    m_timeSeparator = value;
    Changed();
}

void TDTLabel::SetYearLength(TYearLength value)
{
    if (value == m_yearLength) return;
    m_yearLength = value;
    Changed();
}

void TDTLabel::SetMonthName(bool value)
{
    if (value == m_monthName) return;
    m_monthName = value;
    Changed();
}

void TDTLabel::SetDateOrder(TDateOrder value)
{
    m_dateOrder = value;
    Changed();
}

void TDTLabel::SetDateForTime(TDateForTime value)
{
    if (value == m_dateForTime) return;
    m_dateForTime = value;
    Changed();
}

void TDTLabel::Assign(const TDTLabel& other)
{
    if (&other == this) return;
    m_timeFormat = other.m_timeFormat;
    m_dateSeparator = other.m_dateSeparator;
    m_timeSeparator = other.m_timeSeparator;
    m_yearLength = other.m_yearLength;
    m_monthName = other.m_monthName;
    m_dateOrder = other.m_dateOrder;
    m_dateForTime = other.m_dateForTime;
    Changed();
}
