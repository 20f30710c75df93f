#include "scale/axismap.h"

#include <algorithm>

#include "common/mathutil.h"

bool TAxisMap::Mappable(double low, double high, bool logarithmic)
{
    return !logarithmic || (high > 0 && low > 0);
}

TAxisMap TAxisMap::Ends(double low, double high, bool logarithmic, int lowPixel, int highPixel, int offPixel,
                        int nanPixel, TPrecision precision)
{
    TAxisMap m;
    m.m_low = low;
    m.m_high = high;
    m.m_logarithmic = logarithmic;
    m.m_lowPixel = lowPixel;
    m.m_highPixel = highPixel;
    m.m_offPixel = offPixel;
    m.m_nanPixel = nanPixel;
    m.m_precision = precision;
    return m;
}

TAxisMap TAxisMap::Between(double low, double high, bool logarithmic, int lowPixel, int highPixel, int offPixel)
{
    TAxisMap m = Ends(low, high, logarithmic, lowPixel, highPixel, offPixel, -kMapPixelLimit, mpExtended);
    long double lo = low, hi = high;
    if (logarithmic) {
        lo = std::log(lo);
        hi = std::log(hi);
    }
    const long double lp = lowPixel, hp = highPixel;
    m.m_k = (hp - lp) / (hi - lo);
    m.m_d = (lp * hi - hp * lo) / (hi - lo);
    if (!std::isfinite(m.m_k) || !std::isfinite(m.m_d)) {
        m.m_k = 0;
        m.m_d = (lp + hp) / 2;
    }
    m.Finish();
    return m;
}

TAxisMap TAxisMap::Collapsed(double low, double high, bool logarithmic, int lowPixel, int highPixel,
                             long double middle, int offPixel)
{
    TAxisMap m = Ends(low, high, logarithmic, lowPixel, highPixel, offPixel, -kMapPixelLimit, mpExtended);
    m.m_k = 0;
    m.m_d = middle;
    m.Finish();
    return m;
}

TAxisMap TAxisMap::Scaled(double low, double high, bool logarithmic, int lowPixel, int highPixel, bool upwards,
                          double middle, int offPixel)
{
    TAxisMap m = Ends(low, high, logarithmic, lowPixel, highPixel, offPixel, 0, mpDouble);
    double start = low, end = high;
    if (logarithmic) {
        start = std::log(low);
        end = std::log(high);
    }
    double k = 0.0, d = middle;
    // A horizontal scale is anchored at its low end on the left, a vertical one at its high end
    // at the top.
    const int length = upwards ? lowPixel - highPixel : highPixel - lowPixel;
    if (length > 0) {
        if (upwards) {
            k = length / (start - end);
            d = highPixel - end * k;
        } else {
            k = length / (end - start);
            d = lowPixel - start * k;
        }
        if (!std::isfinite(k) || !std::isfinite(d)) {
            k = 0.0;
            d = middle;
        }
    }
    m.m_k = k;
    m.m_d = d;
    m.Finish();
    return m;
}

TAxisMap TAxisMap::WithCoefficients(long double k, long double d) const
{
    TAxisMap m = *this;
    m.m_k = k;
    m.m_d = d;
    m.Finish();
    return m;
}

TAxisMap TAxisMap::WithEnds(double low, double high, bool logarithmic, int offPixel) const
{
    TAxisMap m = *this;
    m.m_low = low;
    m.m_high = high;
    m.m_logarithmic = logarithmic;
    m.m_offPixel = offPixel;
    m.Finish();
    return m;
}

void TAxisMap::Finish()
{
    m_kDouble = double(m_k);
    m_dDouble = double(m_d);
    m_fast = m_precision == mpExtended && !m_logarithmic && m_k != 0;
}

int TAxisMap::ToPixel(double v) const
{
    if (m_precision == mpDouble) {
        double p;
        if (m_logarithmic)
            p = v > kLogFloor ? m_kDouble * std::log(v) + m_dDouble : double(m_offPixel);
        else
            p = m_kDouble * v + m_dDouble;
        if (std::isnan(p)) p = m_nanPixel;
        p = std::clamp(p, -double(kMapPixelLimit), double(kMapPixelLimit));
        return RoundToInt(p);
    }
    long double p;
    if (m_k == 0)
        p = m_d;  // an axis without extent maps every value to its middle
    else if (m_logarithmic)
        p = v > kLogFloor ? m_k * std::log(static_cast<long double>(v)) + m_d : static_cast<long double>(m_offPixel);
    else
        p = m_k * v + m_d;
    // A NaN value has no place: it goes to the NaN pixel (far outside any image for the chart)
    // rather than into an undefined conversion.
    if (std::isnan(p)) p = m_nanPixel;
    p = std::clamp(p, -static_cast<long double>(kMapPixelLimit), static_cast<long double>(kMapPixelLimit));
    // nearbyint in the default rounding mode rounds half to even, here without leaving the
    // extended precision of the coefficients.
    return static_cast<int>(std::nearbyint(p));
}

double TAxisMap::ToValue(double pixel) const
{
    if (m_k == 0) {
        const long double lo = m_low, hi = m_high;
        return static_cast<double>(m_logarithmic && lo > 0 && hi > 0 ? std::sqrt(lo * hi) : (lo + hi) / 2);
    }
    const long double v = (pixel - m_d) / m_k;
    return static_cast<double>(m_logarithmic ? std::exp(v) : v);
}

bool TAxisMap::Dragged(double anchorLow, double anchorHigh, int pixels, long double& low, long double& high) const
{
    const int size = m_highPixel - m_lowPixel;
    if (m_k == 0 || size == 0) return false;
    const long double lo = m_low, hi = m_high;
    if (m_logarithmic) {
        const long double ratio = hi / lo;
        const long double f = ratio > 0 ? std::exp(std::log(ratio) * -pixels / size) : 1.0L;
        low = anchorLow * f;
        high = anchorHigh * f;
    } else {
        const long double d = (hi - lo) * -pixels / size;
        low = anchorLow + d;
        high = anchorHigh + d;
    }
    return true;
}
