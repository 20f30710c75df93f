#pragma once
// The map of one axis from world values to pixels and back, as a small copyable value: the
// range ends, the logarithmic flag, the pixel ends and the coefficients found from them.
// Whoever draws along an axis (the scale control, the chart's layers, its grid, renderer and
// mouse handling) gets a map and asks it, instead of repeating the arithmetic.
//
// A pixel is p = K * v + D, with ln v in place of v on a logarithmic axis. Values at or below
// kLogFloor have no logarithm: they lie beyond the end of the axis that holds the smaller values
// (the map's off pixel). Two precisions keep the two traditions bit for bit: the chart's layers
// compute in extended precision, the scale control in double.
#include <cmath>
#include <cstdint>

#include "platform/cpu.h"

// Drawing positions of items, grid lines and background areas are clamped to this many pixels
// around the control's origin, so far-away world points stay drawable and never overflow the
// drawing.
constexpr int kDrawClamp = 30000;
// Pixels from a map are clamped into -kMapPixelLimit..kMapPixelLimit before they are rounded.
constexpr int kMapPixelLimit = 2147483647;
// Values at or below this count as not positive on a logarithmic axis.
constexpr double kLogFloor = 1e-100;

class TAxisMap {
public:
    enum TPrecision : std::uint8_t { mpExtended, mpDouble };

    TAxisMap() = default;

    // True when the ends can be mapped: both above 0 on a logarithmic axis.
    static bool Mappable(double low, double high, bool logarithmic);

    // The chart's axis, in extended precision: `low` lands on `lowPixel` and `high` on
    // `highPixel`, K = (highPixel - lowPixel) / (H - L) and D = (lowPixel * H - highPixel * L) /
    // (H - L) with L, H the ends (their logarithms on a logarithmic axis). Ends that give no
    // finite line (equal, or beyond the number range) put every value in the middle of the
    // pixel ends. The ends must be Mappable. NaN values go to the lowest pixel.
    static TAxisMap Between(double low, double high, bool logarithmic, int lowPixel, int highPixel, int offPixel);
    // An axis without extent, extended precision: every value lands on `middle`.
    static TAxisMap Collapsed(double low, double high, bool logarithmic, int lowPixel, int highPixel,
                              long double middle, int offPixel);
    // The scale control's axis, in double: K = (highPixel - lowPixel) / (H - L), anchored at the
    // pixel end nearer the origin: the low end of a horizontal scale (lowPixel < highPixel), the
    // high end of a vertical one (`upwards`, highPixel < lowPixel). Pixel ends in the other order
    // (a scale shorter than its margins) or a slope that is no finite number put every value on
    // `middle`. NaN values go to pixel 0.
    static TAxisMap Scaled(double low, double high, bool logarithmic, int lowPixel, int highPixel, bool upwards,
                           double middle, int offPixel);
    // The same ends and rules with other coefficients (a scale copying another's transform).
    TAxisMap WithCoefficients(long double k, long double d) const;
    // The same coefficients, the logarithmic rule and the off pixel of other ends (a scale whose
    // new range could not be mapped keeps its line).
    TAxisMap WithEnds(double low, double high, bool logarithmic, int offPixel) const;

    // The pixel of `v`: the line, clamped into +-kMapPixelLimit, rounded half to even.
    int ToPixel(double v) const;
    // The same pixel found the quick way: in double arithmetic, with the exact computation only
    // where the double result lies so near a half pixel that the two could round apart. Only
    // for linear extended maps with a slope, and pixels within +-1e9; false otherwise (then
    // ToPixel answers).
    KALMIRA_INLINE bool FastToPixel(double v, int& pixel) const
    {
        if (!m_fast) return false;
        return FastRound(v, pixel);
    }
    // The value at `pixel` (not rounded). An axis without extent gives the middle of its range
    // (the geometric middle on a logarithmic axis).
    double ToValue(double pixel) const;
    // The range that an anchor range `anchorLow`..`anchorHigh` becomes when the drawing is
    // dragged `pixels` along this axis (towards higher pixels): on a linear axis shifted by the
    // world distance of that many pixels of the current range, on a logarithmic one multiplied
    // by the matching factor. False when the axis has no extent (so the range stays).
    bool Dragged(double anchorLow, double anchorHigh, int pixels, long double& low, long double& high) const;

    double Low() const { return m_low; }
    double High() const { return m_high; }
    bool Logarithmic() const { return m_logarithmic; }
    bool Reversed() const { return m_high < m_low; }
    int LowPixel() const { return m_lowPixel; }
    int HighPixel() const { return m_highPixel; }
    long double K() const { return m_k; }
    long double D() const { return m_d; }
    TPrecision Precision() const { return m_precision; }
    // A linear extended map with a slope: FastToPixel answers for it.
    bool Fast() const { return m_fast; }
    // The pixels of the values at v[0] on map `x` and v[1] on map `y` at once, in double
    // arithmetic: true with both where neither lands near a half pixel; false where either map
    // is not linear, a value is far out, or a pixel needs ToPixel's exact rounding.
    KALMIRA_INLINE static bool FastToPixelPair(const TAxisMap& x, const TAxisMap& y, const double* v, int& px, int& py)
    {
        if (!(x.m_fast && y.m_fast)) return false;
        const cpu::TAffinePair map{{x.m_kDouble, y.m_kDouble}, {x.m_dDouble, y.m_dDouble}};
        return cpu::AffineRoundPair(v, map, kDoubleSlack, kFastLimit, px, py);
    }

    // Whether both maps are linear, so FastCollect answers for them.
    static bool BothFast(const TAxisMap& x, const TAxisMap& y) { return x.m_fast && y.m_fast; }
    // FastToPixelPair for `count` pairs at xy, carried into an image (cpu::AffineCollect): each
    // place inside the area to collect, each pair the quick way cannot answer to unknown. The
    // maps must be BothFast.
    template <class Collect, class Unknown>
    KALMIRA_INLINE static void FastCollect(const TAxisMap& x, const TAxisMap& y, const double* xy, int count,
                                           const cpu::TPlaceArea& area, Collect&& collect, Unknown&& unknown)
    {
        const cpu::TAffinePair map{{x.m_kDouble, y.m_kDouble}, {x.m_dDouble, y.m_dDouble}};
        cpu::AffineCollect(xy, count, map, kDoubleSlack, kFastLimit, area, collect, unknown);
    }

private:
    // Bound of the distance between the double and the extended result, relative to the size of
    // the terms: a few units in the last place of a double, with room to spare.
    static constexpr double kDoubleSlack = 0x1p-50;
    static constexpr double kFastLimit = 1e9;

    KALMIRA_INLINE bool FastRound(double v, int& pixel) const;
    // A map with its ends, pixels and precision set and no coefficients yet.
    static TAxisMap Ends(double low, double high, bool logarithmic, int lowPixel, int highPixel, int offPixel,
                         int nanPixel, TPrecision precision);
    void Finish();

    double m_low = 0.0;
    double m_high = 1.0;
    bool m_logarithmic = false;
    int m_lowPixel = 0;
    int m_highPixel = 1;
    long double m_k = 0.0L;
    long double m_d = 0.0L;
    double m_kDouble = 0.0;       // m_k and m_d rounded to double, for the quick way
    double m_dDouble = 0.0;
    int m_offPixel = 0;           // non-positive values on a logarithmic axis
    int m_nanPixel = 0;
    TPrecision m_precision = mpExtended;
    bool m_fast = false;
};

// The quick way: the pixel in double arithmetic, and only where it lands so near a half pixel
// that the extended result could round the other way does the extended computation decide.
bool TAxisMap::FastRound(double v, int& pixel) const
{
    const double kv = m_kDouble * v;
    const double p = kv + m_dDouble;
    if (!(p > -kFastLimit && p < kFastLimit)) return false;
    const int n = cpu::RoundDouble(p);
    const double off = std::fabs(p - double(n));
    if (0.5 - off > kDoubleSlack * (std::fabs(kv) + std::fabs(m_dDouble) + 1.0)) {
        pixel = n;
        return true;
    }
    return cpu::RoundExtended(m_k * static_cast<long double>(v) + m_d, kFastLimit, pixel);
}
