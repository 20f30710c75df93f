#pragma once
// Small numeric helpers shared by the components: rounding, decimal logarithm, the nice tick
// step of the axis scales and the exchange routines.
#include <cstdint>

// Rounds to the nearest integer, ties to even (the rounding every pixel position uses).
int RoundToInt(double v);

// The largest integer not above v.
int FloorToInt(double v);

// Base-10 logarithm of a positive value (ln v / ln 10 in extended precision).
double DecimalLog(double v);

// Finds the first tick, the signed step and the number of sub-intervals per step for about n
// intervals on the range from -> to. The step is 1, 2 or 5 times a power of ten; first is the
// first multiple of the step not short of `from` by more than a thousandth of a step, counted
// towards `to`. n = 0 asks for unit steps. from = to gives step 0 and one sub-interval.
void FindTickStep(int n, long double& first, long double& step, long double from, long double to,
                  std::int16_t& subTicks);

void SwapIntegers(std::int32_t& a, std::int32_t& b);
void SwapDoubles(double& a, double& b);
void SwapExtendeds(long double& a, long double& b);
