// The grid under the data items. Positions walk upwards from a first position: through the
// ticks the axis scale recorded (spacing 0), in steps of the spacing (positive spacing or linear
// axis), or on logarithmic axes through the decades (-1: 1, 10, 100 ...), through 1, 2, 5 times
// a power of ten (-2), or through every whole multiple of a power of ten (-3: 1, 2 ... 9, 10,
// 20 ...). A position at or above the larger range end is not drawn; the frame lies there.
#include "chart/grid.h"

#include <algorithm>
#include <cmath>

#include "common/mathutil.h"

namespace {

// A decimal logarithm this close to a whole number counts as that number, so 10^k found by
// multiplication keeps its decade.
constexpr double kDecadeSnap = 1e-14;

// Splits v > 0 into a power of ten 10^m and the rounded leading factor t = round(v / 10^m).
void DecadeOf(double v, bool snap, int& m, int& t)
{
    double l = std::log10(v);
    if (snap && std::fabs(l - std::nearbyint(l)) < kDecadeSnap) l = std::nearbyint(l);
    m = FloorToInt(l);
    t = RoundToInt(std::pow(10.0, l - m));
}

double LowOf(const TGridAxis& a) { return std::min(a.RangeLow, a.RangeHigh); }
double HighOf(const TGridAxis& a) { return std::max(a.RangeLow, a.RangeHigh); }

// Recorded ticks walked upwards: a reversed axis records its ticks from the top down, and the
// walk, which stops at the first position at or above the range end, would draw none of them.
std::vector<double> AscendingTicks(const TGridAxis& a)
{
    std::vector<double> t = a.Ticks;
    std::sort(t.begin(), t.end());
    return t;
}

double FirstOf(const TGridAxis& a, const std::vector<double>& ticks)
{
    const double s = a.Spacing;
    if (s == 0.0) return ticks.empty() ? std::min(a.ScaleRangeLow, a.ScaleRangeHigh) : ticks.front();
    const double low = LowOf(a);
    if (s > 0.0 || !a.Logarithmic) return std::ceil(low / s) * s;
    if (s == -1.0) return std::pow(10.0, std::ceil(std::log10(low)));
    if (s == -2.0 || s == -3.0) {
        int m, t;
        DecadeOf(low, false, m, t);
        if (s == -3.0) return t * std::pow(10.0, m);
        const int g = t <= 2 ? 2 : t <= 5 ? 5 : 10;
        return g * std::pow(10.0, m);
    }
    return low;
}

double NextOf(const TGridAxis& a, const std::vector<double>& ticks, int k, double current)
{
    const double s = a.Spacing;
    if (s == 0.0) return k >= 1 && k <= int(ticks.size()) ? ticks[std::size_t(k - 1)] : HighOf(a);
    if (s > 0.0 || !a.Logarithmic) return current + std::fabs(s);
    if (s == -1.0) return current * 10.0;
    int m, t;
    DecadeOf(current, true, m, t);
    const double decade = std::pow(10.0, m);
    if (s == -2.0) {
        // The walk stays on 1, 2 and 5 times a power of ten; a factor off that ladder (only from
        // rounding) steps to the next rung above it.
        if (t < 2) return 2.0 * decade;
        if (t < 5) return 5.0 * decade;
        return 10.0 * decade;
    }
    return (t + 1) * decade;
}

}  // namespace

// A reversed axis walks its ticks in ascending order: the same interior lines as a forward one.
double FirstGridPosition(const TGridAxis& axis) { return FirstOf(axis, AscendingTicks(axis)); }

double NextGridPosition(const TGridAxis& axis, int k, double current)
{
    return NextOf(axis, AscendingTicks(axis), k, current);
}

std::vector<double> GridPositions(const TGridAxis& axis, int limit)
{
    std::vector<double> out;
    // Logarithms of a range that is not positive mean nothing: such an axis gets no sequence.
    if (axis.Logarithmic && axis.Spacing < 0.0 && !(LowOf(axis) > 0.0)) return out;
    const std::vector<double> ticks = AscendingTicks(axis);
    const double high = HighOf(axis);
    double x = FirstOf(axis, ticks);
    for (int k = 2; x < high && int(out.size()) < limit; ++k) {
        out.push_back(x);
        x = NextOf(axis, ticks, k, x);
    }
    return out;
}
