#pragma once
// Enumerations of the axis scale control.

// Orientation and baseline side: sctXB and sctXT are horizontal with the baseline at the
// bottom or top; sctYL and sctYR are vertical with the baseline at the left or right. Ticks
// and labels point away from the edge next to the baseline.
enum TScaleType { sctXB, sctXT, sctYL, sctYR };

inline bool IsVerticalScale(TScaleType t) { return t == sctYL || t == sctYR; }

// Kind of tick labels. ftTime and ftDateTime also select the tick algorithm: seconds on a time
// scale, day counts on a date-time scale.
enum TFigType { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };

// The point of the scale that the caption is anchored to.
enum TScaleUnitAnchor { uaSclTopLft, uaSclCenter, uaSclBotRgt };
