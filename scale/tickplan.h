#pragma once
// Tick computation of an axis scale: which values get long or short ticks, which ticks are
// recorded for the chart's grid, and the label texts of long ticks, in drawing order. The scale
// control turns a plan into lines and texts; tests read the plan directly.
#include <string>
#include <string_view>
#include <vector>

#include "scale/daycount.h"
#include "scale/dtlabel.h"
#include "scale/scaletypes.h"

// The algorithm that made a plan; it decides the order of the tick events.
enum class TTickAlgorithm { Linear, Logarithmic, Time, DateTime };

// What a date-time scale shows instead of ticks.
enum class TScaleMessage { None, InvalidScale, BelowOneSecond };

// One tick in drawing order.
struct TTickMark {
    double Value = 0.0;        // the value the tick stands for
    bool IsLong = false;       // long (labelled) or short tick
    bool Record = false;       // appended to the tick list
    bool HasLabel = false;     // a label follows the tick (the label hook runs even for "")
    double LabelValue = 0.0;   // value handed to the label hook (a tick within 1e-14 of the span from 0 gets 0)
    std::string Label;         // label text before the hook
    bool HasDateLabel = false; // time-of-day ticks: a date label follows the time label
    std::string DateLabel;
};

struct TTickPlan {
    TTickAlgorithm Algorithm = TTickAlgorithm::Linear;
    TScaleMessage Message = TScaleMessage::None;
    std::vector<TTickMark> Marks;
};

// The settings of a scale that decide its ticks and label texts.
struct TTickSettings {
    double RangeLow = 0.0;
    double RangeHigh = 100.0;
    int MinTicks = 3;
    bool ShortTicks = true;
    bool Logarithmic = false;
    TFigType LabelType = ftNum;
    int DecPlaces = -2;
    TScaleType ScaleType = sctXB;
    std::string_view UserTickText;
    std::string_view ScaleInscript;
    const TDTLabel* DateFormat = nullptr;     // date-time scales; defaults when null
    const TMonthNames* MonthNames = nullptr;  // date-time scales; English when null
};

// No tick loop runs more often than this, whatever the range: a scale never needs more than a
// few hundred ticks, and unit steps over a range of 1e300 would otherwise never end.
constexpr int kMaxTickCandidates = 2500;

// Computes the ticks of a scale into `plan` (its storage is reused between calls).
void PlanTicks(const TTickSettings& settings, TTickPlan& plan);

// The date-time ticks (used by PlanTicks for ftDateTime).
void PlanDateTimeTicks(const TTickSettings& settings, TTickPlan& plan);

// English abbreviated month names, the fallback of date-time plans.
const TMonthNames& EnglishMonthNames();
