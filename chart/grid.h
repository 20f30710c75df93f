#pragma once
// Grid positions along one axis of the chart's active layer: the ticks the axis scale recorded
// when it was last drawn, a fixed spacing, or on logarithmic axes a decade-based sequence.
#include <vector>

// Grid line and dot limits: a spacing tiny against the range still ends quickly.
constexpr int kMaxGridLines = 1000;
constexpr int kMaxGridDots = 1000;

// What the grid reads of one axis.
struct TGridAxis {
    double RangeLow = 0.0;            // the axis settings' range; RangeLow may exceed RangeHigh
    double RangeHigh = 1.0;
    bool Logarithmic = false;
    double Spacing = 0.0;             // GridDx or GridDy: 0 ticks, > 0 a spacing, -1 / -2 / -3 decade sequences
    std::vector<double> Ticks;        // the ticks the axis scale recorded, in recorded order
    double ScaleRangeLow = 0.0;       // the scale object's own range, used when it recorded no ticks
    double ScaleRangeHigh = 1.0;
};

// The first position of the walk along `axis`.
double FirstGridPosition(const TGridAxis& axis);

// Position number k (2 for the second, ...) after `current`. For tick-based grids a k beyond the
// recorded ticks gives the upper range end, which ends the walk.
double NextGridPosition(const TGridAxis& axis, int k, double current);

// The positions the grid draws along `axis`: from the first while below the larger range end,
// at most `limit` of them.
std::vector<double> GridPositions(const TGridAxis& axis, int limit = kMaxGridLines);
