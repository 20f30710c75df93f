#include "common/mathutil.h"

#include <climits>
#include <cmath>
#include <utility>

namespace {
constexpr long double kLn10 = 2.302585092994045684017991454684364208L;
constexpr long double kLog10Of2 = 0.3010299956639812L;
constexpr long double kLog10Of5 = 0.6989700043360189L;
// A first tick that misses the range start by at most a thousandth of a step still counts, so
// rounding noise never drops it.
constexpr long double kStepReachFraction = 0.001L;
// A logarithm within this distance of a whole number counts as an exact power of ten, and the
// 2 and 5 thresholds are widened by it so that exact 2 and 5 fall into the lower class.
constexpr long double kLogTolerance = 1e-10L;
// The first-tick search moves at most a few steps; past this many the step no longer changes the
// value at this magnitude and the search stops where it is.
constexpr int kMaxFirstTickSteps = 64;

int ClampToInt(double r)
{
    if (!(r >= double(INT_MIN))) return std::isnan(r) ? 0 : INT_MIN;
    if (r > double(INT_MAX)) return INT_MAX;
    return int(r);
}
}  // namespace

int RoundToInt(double v)
{
    return ClampToInt(std::nearbyint(v));  // the default rounding mode rounds ties to even
}

int FloorToInt(double v)
{
    double r = std::nearbyint(v);
    if (r > v) r -= 1.0;
    return ClampToInt(r);
}

double DecimalLog(double v)
{
    return double(std::log(static_cast<long double>(v)) / kLn10);
}

void FindTickStep(int n, long double& first, long double& step, long double from, long double to,
                  std::int16_t& subTicks)
{
    if (to == from) {
        first = from;
        step = 0;
        subTicks = 1;
        return;
    }
    const long double dir = from < to ? 1.0L : -1.0L;
    auto advanceFirst = [&] {
        for (int i = 0; i < kMaxFirstTickSteps && std::fabs(step) * kStepReachFraction < dir * (from - first); ++i)
            first += step;
    };
    if (n == 0) {
        step = 1;
        first = std::trunc(from) - 1;
        advanceFirst();
        subTicks = std::fabs(to - from) > 10 ? 1 : 5;
        return;
    }
    long double L = std::log10(std::fabs(to - from) / n);
    long double r = L - std::trunc(L);
    if (std::fabs(r) < kLogTolerance || std::fabs(r) > 1 - kLogTolerance) {
        r = 0;
        L = std::nearbyint(L);
    }
    if (L < 0 && r != 0) L -= 1;
    if (r < 0) r += 1;
    if (r < kLog10Of2 + kLogTolerance) {
        L = std::trunc(L);
        subTicks = 5;
    } else if (r < kLog10Of5 + kLogTolerance) {
        L = std::trunc(L) + kLog10Of2;
        subTicks = 4;
    } else {
        L = std::trunc(L) + kLog10Of5;
        subTicks = 5;
    }
    step = dir * std::exp(L * kLn10);
    first = (std::trunc(from / step) - 1) * step;
    advanceFirst();
}

void SwapIntegers(std::int32_t& a, std::int32_t& b) { std::swap(a, b); }
void SwapDoubles(double& a, double& b) { std::swap(a, b); }
void SwapExtendeds(long double& a, long double& b) { std::swap(a, b); }
