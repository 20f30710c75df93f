// The coordinate layers: the chart area, the world-to-pixel transforms, the range rules of
// StoreLayerRange and SetLayerRange, the isometric rule and the resize rule.
//
// Each layer maps its world rectangle onto the chart area: RangeLow of X lands on
// x = MarginLeft and RangeHigh on x = Width - MarginRight - ShadowWidth; RangeLow of Y lands on
// y = Height - MarginBottom - ShadowWidth and RangeHigh on y = MarginTop. Each layer keeps one
// axis map per axis (TAxisMap: px = k * x + d in long double, ln x on a logarithmic axis);
// RecalcTransforms rebuilds them all after a range or the size changed, before the scales are
// painted, and when loading ends.
#include "chart/chart.h"

#include <QResizeEvent>

#include <cmath>

namespace {

// The smallest chart area a resize leaves (pixels).
constexpr int kMinAreaWidth = 80;
constexpr int kMinAreaHeight = 20;

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
    // A non-positive value on a logarithmic axis lies beyond the end that holds the smaller
    // values: the control's left edge (X) or bottom edge (Y), on a reversed axis the other one.
    // The maps take the axis flags with the coefficients: a layer after one that raises keeps its
    // whole previous map (flag and ends too) until the next recalculation succeeds.
    for (int i = 1; i <= kMaxLayers; ++i) {
        const std::size_t n = LayerIndex(i);
        const TScaleProps& x = ScalePropsX(i);
        const TScaleProps& y = ScalePropsY(i);
        const int offX = x.RangeHigh() < x.RangeLow() ? width() : 0;
        if (AreaWidth() <= 0)
            m_mapX[n] = TAxisMap::Collapsed(x.RangeLow(), x.RangeHigh(), x.Logarithmic(), a.Left, a.Right, width() / 2, offX);
        else if (!TAxisMap::Mappable(x.RangeLow(), x.RangeHigh(), x.Logarithmic()))
            throw EQZLRChartError(ecLogAxisNegative);
        else
            m_mapX[n] = TAxisMap::Between(x.RangeLow(), x.RangeHigh(), x.Logarithmic(), a.Left, a.Right, offX);
        const int offY = y.RangeHigh() < y.RangeLow() ? 0 : height();
        if (AreaHeight() <= 0)
            m_mapY[n] = TAxisMap::Collapsed(y.RangeLow(), y.RangeHigh(), y.Logarithmic(), a.Bottom, a.Top, height() / 2, offY);
        else if (!TAxisMap::Mappable(y.RangeLow(), y.RangeHigh(), y.Logarithmic()))
            throw EQZLRChartError(ecLogAxisNegative);
        else
            m_mapY[n] = TAxisMap::Between(y.RangeLow(), y.RangeHigh(), y.Logarithmic(), a.Bottom, a.Top, offY);
    }
}

void TCustomRChart::WorldToMouse(int layer, double x, double y, int& px, int& py) const
{
    const std::size_t n = LayerIndex(layer);
    px = m_mapX[n].ToPixel(x);
    py = m_mapY[n].ToPixel(y);
}

void TCustomRChart::MouseToWorld(int layer, int px, int py, double& x, double& y) const
{
    // A chart area without width or height has no inverse: its axis gives the middle of the
    // range instead of dividing by zero.
    const std::size_t n = LayerIndex(layer);
    x = m_mapX[n].ToValue(px);
    y = m_mapY[n].ToValue(py);
}

void TCustomRChart::FollowJoin(int layer, int controller, bool isX)
{
    if (isX)
        StoreLayerRange(layer, ScalePropsX(controller).RangeLow(), ScalePropsY(layer).RangeLow(),
                        ScalePropsX(controller).RangeHigh(), ScalePropsY(layer).RangeHigh());
    else
        StoreLayerRange(layer, ScalePropsX(layer).RangeLow(), ScalePropsY(controller).RangeLow(),
                        ScalePropsX(layer).RangeHigh(), ScalePropsY(controller).RangeHigh());
}

void TCustomRChart::StoreLayerRange(int layer, double xLow, double yLow, double xHigh, double yHigh)
{
    const std::size_t n = LayerIndex(layer);
    auto store = [](TScaleProps& s, double low, double high) {
        // A pair with a NaN or infinite end is not stored, like a pair closer than MinRange.
        if (!std::isfinite(low) || !std::isfinite(high) || !(std::fabs(low - high) >= s.MinRange())) return;
        if (s.Logarithmic()) {
            if (low >= kLogFloor) s.StoreRangeLow(TChartKey(), low);
            if (high >= kLogFloor) s.StoreRangeHigh(TChartKey(), high);
        } else {
            s.StoreRangeHigh(TChartKey(), high);
            s.StoreRangeLow(TChartKey(), low);
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
        TPaintLockGuard lock(*this);
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
        lock.Release();
    }
}

void TCustomRChart::ScalePropsChanged()
{
    {
        TPaintLockGuard lock(*this);
        SyncAllScales();
        for (int i = 1; i <= kMaxLayers; ++i) {
            const TScaleProps& x = ScalePropsX(i);
            const TScaleProps& y = ScalePropsY(i);
            SetLayerRange(i, x.RangeLow(), y.RangeLow(), x.RangeHigh(), y.RangeHigh());
        }
        lock.ReleaseQuietly();
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
    TPaintLockGuard lock(*this);
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
