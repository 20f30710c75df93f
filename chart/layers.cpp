// The coordinate layers: the chart area, the world-to-pixel transforms, the range rules of
// StoreLayerRange and SetLayerRange, the isometric rule and the resize rule.
//
// Each layer maps its world rectangle onto the chart area: RangeLow of X lands on
// x = MarginLeft and RangeHigh on x = Width - MarginRight - ShadowWidth; RangeLow of Y lands on
// y = Height - MarginBottom - ShadowWidth and RangeHigh on y = MarginTop. The coefficients are
// kept in long double, px = kX * x + dX (ln x on a logarithmic axis), and recomputed eagerly
// after every change.
#include "chart/chart.h"

#include <QResizeEvent>

#include <cmath>

namespace {

constexpr const char* kMsgLogNegative = "Logarithmic axis must not be negative.";
// The smallest chart area a resize leaves (pixels).
constexpr int kMinAreaWidth = 80;
constexpr int kMinAreaHeight = 20;
constexpr long double kPixelLimit = 2147483647.0L;

// One axis: coefficient k and offset d so that low lands on pixel `lowPixel` and high on
// `highPixel` (for a Y axis the bottom and the top edge, so k comes out negative).
// Returns false for a logarithmic axis with an end <= 0.
bool AxisCoefficients(double low, double high, bool logarithmic, long double lowPixel, long double highPixel,
                      long double& k, long double& d)
{
    long double lo = low, hi = high;
    if (logarithmic) {
        if (!(hi > 0 && lo > 0)) return false;
        lo = std::log(lo);
        hi = std::log(hi);
    }
    k = (highPixel - lowPixel) / (hi - lo);
    d = (lowPixel * hi - highPixel * lo) / (hi - lo);
    // Ends that coincide (or ranges beyond the number range) give no usable line: every value
    // then maps to the axis's middle.
    if (!std::isfinite(k) || !std::isfinite(d)) {
        k = 0;
        d = (lowPixel + highPixel) / 2;
    }
    return true;
}

// A world value along one axis to a pixel, clamped and rounded half to even.
int ToPixel(double v, bool logarithmic, bool reversed, long double k, long double d, int beyondLow, int beyondHigh)
{
    long double p;
    if (k == 0) {
        p = d;  // a chart area without extent maps every value to its middle
    } else if (logarithmic) {
        if (v > kLogFloor)
            p = k * std::log(static_cast<long double>(v)) + d;
        else
            p = reversed ? beyondHigh : beyondLow;
    } else {
        p = k * v + d;
    }
    // A NaN world value has no place: it goes to the lowest pixel, far outside any image,
    // rather than into an undefined conversion.
    if (std::isnan(p)) p = -kPixelLimit;
    p = std::clamp(p, -kPixelLimit, kPixelLimit);
    // nearbyint in the default rounding mode rounds half to even, here without leaving the
    // extended precision of the coefficients.
    return static_cast<int>(std::nearbyint(p));
}

}  // namespace

TChartArea TCustomRChart::ChartArea() const
{
    return {m_marginLeft, m_marginTop, width() - m_marginRight - m_shadowWidth,
            height() - m_marginBottom - m_shadowWidth};
}

int TCustomRChart::AreaWidth() const
{
    return width() - m_marginLeft - m_marginRight - m_shadowWidth;
}

int TCustomRChart::AreaHeight() const
{
    return height() - m_marginTop - m_marginBottom - m_shadowWidth;
}

void TCustomRChart::RecalcTransforms()
{
    if (m_loading) return;
    const TChartArea a = ChartArea();
    for (int i = 1; i <= kMaxLayers; ++i) {
        TLayerTransform& t = m_transform[LayerIndex(i)];
        const TScaleProps& x = ScalePropsX(i);
        const TScaleProps& y = ScalePropsY(i);
        if (AreaWidth() <= 0) {
            t.kX = 0;
            t.dX = width() / 2;
        } else if (!AxisCoefficients(x.RangeLow(), x.RangeHigh(), x.Logarithmic(), a.Left, a.Right, t.kX, t.dX)) {
            throw EQZLRChartError(kMsgLogNegative);
        }
        if (AreaHeight() <= 0) {
            t.kY = 0;
            t.dY = height() / 2;
        } else if (!AxisCoefficients(y.RangeLow(), y.RangeHigh(), y.Logarithmic(), a.Bottom, a.Top, t.kY, t.dY)) {
            throw EQZLRChartError(kMsgLogNegative);
        }
    }
}

void TCustomRChart::WorldToMouse(int layer, double x, double y, int& px, int& py) const
{
    const std::size_t n = LayerIndex(layer);
    const TLayerTransform& t = m_transform[n];
    const TScaleProps& sx = *m_scaleX[n];
    const TScaleProps& sy = *m_scaleY[n];
    // A non-positive value on a logarithmic axis lies beyond the end that holds the smaller values.
    px = ToPixel(x, sx.Logarithmic(), sx.RangeHigh() < sx.RangeLow(), t.kX, t.dX, 0, width());
    py = ToPixel(y, sy.Logarithmic(), sy.RangeHigh() < sy.RangeLow(), t.kY, t.dY, height(), 0);
}

void TCustomRChart::MouseToWorld(int layer, int px, int py, double& x, double& y) const
{
    const std::size_t n = LayerIndex(layer);
    const TLayerTransform& t = m_transform[n];
    // A chart area without width or height has no inverse: its axis gives the middle of the
    // range instead of dividing by zero.
    auto inverse = [](const TScaleProps& s, int p, long double k, long double d) -> double {
        if (k == 0) {
            const long double lo = s.RangeLow(), hi = s.RangeHigh();
            return static_cast<double>(s.Logarithmic() && lo > 0 && hi > 0 ? std::sqrt(lo * hi) : (lo + hi) / 2);
        }
        const long double v = (p - d) / k;
        return static_cast<double>(s.Logarithmic() ? std::exp(v) : v);
    };
    x = inverse(*m_scaleX[n], px, t.kX, t.dX);
    y = inverse(*m_scaleY[n], py, t.kY, t.dY);
}

void TCustomRChart::StoreLayerRange(int layer, double xLow, double yLow, double xHigh, double yHigh)
{
    const std::size_t n = LayerIndex(layer);
    auto store = [](TScaleProps& s, double low, double high) {
        // A pair with a NaN or infinite end is not stored, like a pair closer than MinRange.
        if (!std::isfinite(low) || !std::isfinite(high) || !(std::fabs(low - high) >= s.MinRange())) return;
        if (s.Logarithmic()) {
            if (low >= kLogFloor) s.StoreRangeLow(low);
            if (high >= kLogFloor) s.StoreRangeHigh(high);
        } else {
            s.StoreRangeHigh(high);
            s.StoreRangeLow(low);
        }
    };
    store(*m_scaleX[n], xLow, xHigh);
    store(*m_scaleY[n], yLow, yHigh);
    SyncScale(*m_scaleObjX[n], *m_scaleX[n]);
    SyncScale(*m_scaleObjY[n], *m_scaleY[n]);
    RecalcTransforms();
}

void TCustomRChart::SetLayerRange(int layer, double xLow, double yLow, double xHigh, double yHigh)
{
    layer = std::clamp(layer, 1, kMaxLayers);
    {
        TLockHolder lock(*this);
        const TJointLayers& joins = *m_jointLayers;
        if (joins.XControlledBy(layer) != layer) {
            xLow = ScalePropsX(layer).RangeLow();
            xHigh = ScalePropsX(layer).RangeHigh();
        }
        if (joins.YControlledBy(layer) != layer) {
            yLow = ScalePropsY(layer).RangeLow();
            yHigh = ScalePropsY(layer).RangeHigh();
        }
        StoreLayerRange(layer, xLow, yLow, xHigh, yHigh);
        for (int j = 1; j <= kMaxLayers; ++j) {
            const int cx = joins.XControlledBy(j), cy = joins.YControlledBy(j);
            if (j == layer || (cx != layer && cy != layer)) continue;
            StoreLayerRange(j, ScalePropsX(cx).RangeLow(), ScalePropsY(cy).RangeLow(), ScalePropsX(cx).RangeHigh(),
                            ScalePropsY(cy).RangeHigh());
        }
        // The lock is still held here: only the outermost holder sees a change and paints.
        SetPaintLock(lock.Release());
    }
}

void TCustomRChart::ScalePropsChanged()
{
    {
        TLockHolder lock(*this);
        SyncAllScales();
        for (int i = 1; i <= kMaxLayers; ++i) {
            const TScaleProps& x = ScalePropsX(i);
            const TScaleProps& y = ScalePropsY(i);
            SetLayerRange(i, x.RangeLow(), y.RangeLow(), x.RangeHigh(), y.RangeHigh());
        }
        m_paintLock = lock.Release();
    }
    Paint();
}

void TCustomRChart::IsometricAdjust(int layer)
{
    TScaleProps& x = ScalePropsX(layer);
    TScaleProps& y = ScalePropsY(layer);
    const double c = (y.RangeHigh() + y.RangeLow()) / 2;
    const double w = width() - m_marginLeft - m_marginRight - m_shadowWidth + 1;
    const double hgt = height() - m_marginTop - m_marginBottom - m_shadowWidth + 1;
    const double h = (x.RangeHigh() - x.RangeLow()) * hgt / w * m_aspectY / m_aspectX / 2;
    y.SetRangeHigh(c + h);
    y.SetRangeLow(c - h);
}

void TCustomRChart::ResyncLayers(bool applyIsometric, bool resizeScales)
{
    for (int i = 1; i <= kMaxLayers; ++i) {
        if (applyIsometric) IsometricAdjust(i);
        for (bool horizontal : {true, false}) {
            TScale& scale = horizontal ? ScaleObjectX(i) : ScaleObjectY(i);
            SyncScale(scale, horizontal ? static_cast<const TScaleProps&>(ScalePropsX(i))
                                        : static_cast<const TScaleProps&>(ScalePropsY(i)));
            if (resizeScales) scale.SetBounds(0, 0, width(), height());
            SetScaleMargins(scale, horizontal);
        }
    }
}

void TCustomRChart::SyncAllScales()
{
    for (int i = 1; i <= kMaxLayers; ++i) {
        SyncScale(ScaleObjectX(i), ScalePropsX(i));
        SyncScale(ScaleObjectY(i), ScalePropsY(i));
    }
}

void TCustomRChart::SetScaleMargins(TScale& scale, bool horizontal)
{
    if (horizontal) {
        scale.SetMarginLeft(m_marginLeft);
        scale.SetMarginRight(m_marginRight + m_shadowWidth - 1);
    } else {
        scale.SetMarginTop(m_marginTop);
        scale.SetMarginBottom(m_marginBottom + m_shadowWidth - 1);
    }
}

void TCustomRChart::SetBounds(int left, int top, int width, int height)
{
    TLockHolder lock(*this);
    height = std::max(height, m_marginTop + m_marginBottom + m_shadowWidth + kMinAreaHeight);
    width = std::max(width, m_marginLeft + m_marginRight + m_shadowWidth + kMinAreaWidth);
    m_inSetBounds = true;
    setGeometry(left, top, width, height);
    m_inSetBounds = false;
    m_screenFresh = false;
    ResyncLayers(m_isometric, true);
    RecalcTransforms();
}

void TCustomRChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_screenFresh = false;
    // A size given by a layout or the window: the same rules as SetBounds (which does nothing
    // more when the size already holds).
    if (!m_inSetBounds) SetBounds(x(), y(), width(), height());
    if (OnResize) OnResize(*this);
}
