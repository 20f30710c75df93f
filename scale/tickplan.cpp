// Tick plans of numeric, logarithmic and time scales.
//
// Linear scales step from the first multiple of a 1-2-5 step at the range start towards the
// range end: first the short ticks (every step / n, starting one long step early so that the
// short ticks before the first long tick are there too), then the long ticks over them. A loop
// goes on while the next value lies no further than a thousandth of its step beyond the end.
//
// Logarithmic scales walk the decades from the one below the lower end upwards: 1 x decade is a
// long tick, and on dense scales (more wanted intervals than decades) also 2 and 5 x decade, with
// 3, 4, 6, 7, 8, 9 x decade as short ticks. Values come in increasing order whatever the range's
// direction.
//
// Time scales (values in seconds) take a step from a table of clock-friendly steps, from 1 ms to
// 12 h; spacings below 1 ms or of a day and more are left to the numeric ticks.
#include "scale/tickplan.h"

#include "common/mathutil.h"
#include "scale/ticklabels.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A loop goes on while its next value lies at most this fraction of a step beyond the range end,
// so rounding noise never drops the last tick.
constexpr long double kStepReachFraction = 0.001L;
// A long tick whose value is this small against the range's span is labelled as exactly 0.
constexpr double kZeroTickFraction = 1e-14;
// Up to this span a zero tick is written with the scale's decimals; beyond it as "0" or "0.0".
constexpr double kZeroTickFullTextSpan = 100000.0;
// With 0 decimals, ticks farther than this from a whole number get an empty label.
constexpr double kWholeNumberTolerance = 1e-6;
// Slack of the logarithmic and time scales' range tests: a value within a billionth (relative)
// of an end still belongs to the range.
constexpr long double kRelativeSlack = 0.999999999L;
// A candidate of the time scale within this fraction of a long step from a multiple is long.
constexpr double kTimeLongTolerance = 0.01;
// Ulps of the larger range end by which a spacing may fall short of a clock step and still take
// it: the span of ends typed as offset + k steps carries their rounding, never more.
constexpr double kTimeStepUlps = 4.0;
// A range of a decade computed as high / low may come out a hair short of 10.
constexpr double kDecadeSlack = 1e-12;

struct TTimeStep {
    double Step;  // seconds
    int Sub;      // short intervals per step
};
constexpr TTimeStep kTimeSteps[] = {
    {0.001, 5}, {0.002, 4}, {0.005, 5}, {0.01, 5},  {0.02, 4},  {0.05, 5},  {0.1, 5},
    {0.2, 4},   {0.5, 5},   {1, 5},     {2, 4},     {5, 5},     {10, 5},    {20, 4},
    {30, 6},    {60, 6},    {120, 6},   {180, 6},   {300, 5},   {600, 5},   {1200, 6},
    {1800, 6},  {3600, 6},  {7200, 4},  {14400, 4}, {21600, 6}, {43200, 6}, {86400, 6},
};
constexpr int kTimeStepCount = int(sizeof kTimeSteps / sizeof kTimeSteps[0]);
// Steps up to this table index (0.5 s) get labels with milliseconds.
constexpr int kLastMillisecondStep = 9;

// The step search works with powers of ten computed through logarithms, which leaves steps such
// as 2.0000000000000000001. Steps of 1, 2 or 5 times a power of ten are made exact here (as
// exact as the power of ten is) and the first tick becomes the nearest multiple of the exact
// step, so that tick values land on the numbers they stand for.
void SnapToDecimalStep(long double& first, long double& step)
{
    const long double a = std::fabs(step);
    const int k = int(std::floor(std::log10(a) + 1e-9L));
    if (k < -4000 || k > 4000) return;
    const long double power = std::pow(10.0L, std::abs(k));
    const long double mantissa = k >= 0 ? a / power : a * power;
    const long double m = std::nearbyint(mantissa);
    if (m < 1 || m > 9 || std::fabs(mantissa - m) > 1e-9L) return;
    const long double exact = std::copysign(k >= 0 ? m * power : m / power, step);
    if (!(exact != 0) || !std::isfinite(exact)) return;
    const long double multiple = std::nearbyint(first / exact);
    if (std::fabs(multiple * exact - first) <= 1e-6L * a) first = multiple * exact;
    step = exact;
}

class TPlanner {
public:
    TPlanner(const TTickSettings& s, TTickPlan& plan) : m_s(s), m_plan(plan) {}

    void Run()
    {
        m_plan.Marks.clear();
        m_plan.Message = TScaleMessage::None;
        if (!std::isfinite(m_s.RangeLow) || !std::isfinite(m_s.RangeHigh) || m_s.RangeLow == m_s.RangeHigh ||
            !std::isfinite(m_s.RangeHigh - m_s.RangeLow)) {
            m_plan.Algorithm = TTickAlgorithm::Linear;
            return;
        }
        if (m_s.LabelType == ftDateTime) {
            PlanDateTimeTicks(m_s, m_plan);
            return;
        }
        if (m_s.LabelType == ftTime && PlanTime()) return;
        if (m_s.Logarithmic) {
            PlanLogarithmic();
            return;
        }
        PlanLinear(LinearDecimals());
    }

private:
    int LinearDecimals() const
    {
        if (m_s.DecPlaces >= -1) return m_s.DecPlaces;
        return AutoDecimals(std::fabs(m_s.RangeHigh - m_s.RangeLow));
    }

    TTickMark& Add(double value, bool isLong, bool record)
    {
        TTickMark& m = m_plan.Marks.emplace_back();
        m.Value = value;
        m.IsLong = isLong;
        m.Record = record;
        return m;
    }

    // Label of a long tick of a linear scale; `index` counts the long ticks from 1.
    void LinearLabel(TTickMark& m, int d, int index) const
    {
        if (m_s.LabelType == ftNoFigs) return;
        const double span = m_s.RangeHigh - m_s.RangeLow;
        m.HasLabel = true;
        m.LabelValue = m.Value;
        std::string label;
        if (std::fabs(m.Value / span) < kZeroTickFraction) {
            m.LabelValue = 0.0;
            if (std::fabs(span) <= kZeroTickFullTextSpan)
                label = FormatTickNumber(0.0, d);
            else
                label = d != 0 ? "0.0" : "0";
        } else {
            label = FormatTickNumber(m.Value, d);
        }
        if (label.size() > kMaxTickLabelLength) label.resize(kMaxTickLabelLength);
        if (m_s.DecPlaces == 0 && std::fabs(m.LabelValue - std::nearbyint(m.LabelValue)) > kWholeNumberTolerance)
            label.clear();
        if (m_s.LabelType == ftUserText)
            m.Label = UserTickItem(m_s.UserTickText, index);
        else
            m.Label = ApplyInscript(m_s.ScaleInscript, label);
    }

    void PlanLinear(int d)
    {
        m_plan.Algorithm = TTickAlgorithm::Linear;
        const long double low = m_s.RangeLow, high = m_s.RangeHigh;
        const long double s = high > low ? 1.0L : -1.0L;
        long double first = 0, step = 0;
        std::int16_t sub = 1;
        if (m_s.MinTicks == 0 && s < 0) {
            // Unit steps on a reversed range walk downwards from the last whole number at or
            // below the range start (mirroring the ascending case), so the loops reach the end.
            step = -1.0L;
            first = std::floor(low + kStepReachFraction);
            sub = std::fabs(high - low) <= 10 ? 5 : 1;
        } else {
            FindTickStep(m_s.MinTicks, first, step, low, high, sub);
        }
        if (step == 0 || !std::isfinite(step) || !std::isfinite(first) || sub < 1) return;
        SnapToDecimalStep(first, step);

        if (m_s.ShortTicks) {
            const long double t = step / sub;
            const long double start = first - step;
            const long double reach = kStepReachFraction * std::fabs(t);
            for (int j = 0; j < kMaxTickCandidates; ++j) {
                const long double v = start + j * t;
                // Compared as the double that is drawn, so extended-precision noise in the
                // step never drops a short tick that lands exactly on the range start.
                if (s * double(v) >= s * m_s.RangeLow) Add(double(v), false, true);
                if (!(s * (start + (j + 1) * t - high) <= reach)) break;
            }
        }
        const long double reach = kStepReachFraction * std::fabs(step);
        for (int i = 0; i < kMaxTickCandidates; ++i) {
            const long double v = first + i * step;
            TTickMark& m = Add(double(v), true, !m_s.ShortTicks);
            LinearLabel(m, d, i + 1);
            if (!(s * (first + (i + 1) * step - high) <= reach)) break;
        }
    }

    void PlanLogarithmic()
    {
        m_plan.Algorithm = TTickAlgorithm::Logarithmic;
        // Without two positive ends there are no decades to mark: the scale shows no ticks.
        if (!(m_s.RangeLow > 0.0) || !(m_s.RangeHigh > 0.0)) return;
        const double decades = std::log10(m_s.RangeHigh / m_s.RangeLow);
        if (std::fabs(decades) < 1.0 - kDecadeSlack) {
            // Less than a decade: equally spaced values, placed by the logarithmic transform.
            PlanLinear(m_s.DecPlaces >= -1 ? m_s.DecPlaces : AutoDecimals(std::fabs(m_s.RangeHigh - m_s.RangeLow)));
            return;
        }
        const long double lo = std::fmin(m_s.RangeLow, m_s.RangeHigh);
        const long double hi = std::fmax(m_s.RangeLow, m_s.RangeHigh);
        const long double c = kRelativeSlack;
        int d = m_s.DecPlaces;
        if (d == -2) d = AutoLogDecimals(double(lo), double(hi));
        const bool dense = m_s.MinTicks > std::fabs(decades) + 0.5;

        const long double base = std::pow(10.0L, std::floor(std::log10(lo * c)));
        if (!(base > 0) || !std::isfinite(base)) return;
        int labelled = 0;
        auto candidate = [&](long double v, bool isLong, bool decade) {
            if (!(lo < v / c && hi > v * c)) return;
            TTickMark& m = Add(double(v), isLong, true);
            if (!isLong || m_s.LabelType == ftNoFigs) return;
            ++labelled;
            LogLabel(m, d, decade, labelled);
        };
        long double mult = 1;
        for (int decade = 0; decade < kMaxTickCandidates; ++decade) {
            candidate(base * mult, true, true);
            if (dense) {
                for (int k = 2; k <= 9; ++k) {
                    const bool isLong = k == 2 || k == 5;
                    if (isLong || m_s.ShortTicks) candidate(k * base * mult, isLong, false);
                }
            }
            mult *= 10;
            if (hi < c * base * mult || !std::isfinite(base * mult)) break;
        }
    }

    void LogLabel(TTickMark& m, int d, bool decade, int index) const
    {
        m.HasLabel = true;
        m.LabelValue = m.Value;
        std::string label;
        if (d == -3)
            label = decade ? std::to_string(RoundToInt(std::log10(m.Value))) : std::string();
        else
            label = FormatTickNumber(m.Value, d);
        if (label.size() > kMaxTickLabelLength) label.resize(kMaxTickLabelLength);
        if (m_s.DecPlaces == -2) label = TrimTrailingZeros(std::move(label));
        if (m_s.LabelType == ftUserText)
            m.Label = UserTickItem(m_s.UserTickText, index);
        else
            m.Label = ApplyInscript(m_s.ScaleInscript, label);
    }

    // The time scale; false when it declines and the numeric ticks draw the scale instead.
    bool PlanTime()
    {
        // Without a number of intervals there is no spacing to choose a clock step from.
        if (m_s.MinTicks <= 0) return false;
        const double low = m_s.RangeLow, high = m_s.RangeHigh;
        const double w = std::fabs(high - low) / m_s.MinTicks;
        int index = 0;
        // The step is the largest table entry not above w. A spacing short of an entry by no more
        // than the rounding of the range ends still reaches it, so an exact step far from 0 is not
        // dropped to the one below; a spacing that is really shorter never takes the larger step.
        const double rounding =
            kTimeStepUlps * std::numeric_limits<double>::epsilon() * std::fmax(std::fabs(low), std::fabs(high));
        const double reach = w + rounding / m_s.MinTicks;
        for (int i = 0; i < kTimeStepCount; ++i)
            if (kTimeSteps[i].Step <= reach) index = i + 1;
        if (index == 0 || index == kTimeStepCount) return false;
        m_plan.Algorithm = TTickAlgorithm::Time;

        const TTimeStep& ts = kTimeSteps[index - 1];
        const double s = high > low ? 1.0 : -1.0;
        const double step = s * ts.Step;
        const double t = step / ts.Sub;
        const double c = double(kRelativeSlack);
        // The first value can lie up to a whole long step before the range start, so the count
        // covers one long step more than the span.
        const long long count =
            std::min<long long>(kMaxTickCandidates, (long long)std::trunc((high - low) / t) + 5 + ts.Sub);
        const double first = std::floor(low / step / c) * step;
        // The range is widened outwards by the relative slack at both ends, for reversed ranges
        // too, so that a tick on either end stays inside.
        const double lower = std::fmin(low, high), upper = std::fmax(low, high);
        const double loLimit = lower >= 0 ? lower * c : lower / c;
        const double hiLimit = upper > 0 ? upper / c : upper * c;
        auto inside = [&](double v) { return v >= loLimit && v <= hiLimit; };

        if (m_s.ShortTicks) {
            for (long long u = 0; u <= count; ++u) {
                const double v = first + u * t;
                if (inside(v)) Add(v, false, true);
            }
        }
        const bool withMs = index <= kLastMillisecondStep;
        for (long long u = 0; u <= count; ++u) {
            const double v = first + u * t;
            const double q = v / step;
            if (std::fabs(q - std::round(q)) < kTimeLongTolerance && inside(v)) {
                TTickMark& m = Add(v, true, !m_s.ShortTicks);
                m.HasLabel = true;
                m.LabelValue = v;
                m.Label = FormatSecondsLabel(v, withMs);
            }
        }
        return true;
    }

    const TTickSettings& m_s;
    TTickPlan& m_plan;
};

}  // namespace

void PlanTicks(const TTickSettings& settings, TTickPlan& plan)
{
    TPlanner(settings, plan).Run();
}
