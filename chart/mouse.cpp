// The chart's reaction to the mouse.
//
// Every notification first runs the application's own handler (OnMouseDown, OnMouseUp, OnClick,
// OnMouseMove, OnDblClick), then the chart's work for the current MouseAction:
// - Drags (maPan, maPanHoriz, maPanVert, maZoomDrag, maDragCrossH, maDragLabel) are driven by
//   mouse moves alone. The first move with the left button held records the anchor (position
//   and layer 1's ranges) and, for crosshairs and labels, picks the nearest object; each further
//   move is one step computed from the anchor, and repaints once. A move without the left button
//   ends the drag.
// - Rubber bands (maRubberBand, maZoomWind, maZoomWindPos) start with a left press inside the
//   chart area, follow the mouse as an exclusive-or outline on the screen image (drawing the same
//   outline twice restores every pixel) and end with any release.
// - The zoom gestures, when the chart's owner switches them on: the wheel scales layer 1's ranges
//   about the world point under the mouse (WheelZoom); a right-button rectangle becomes layer 1's
//   ranges as in maZoomWindPos, whatever the mode, and a right-button double click asks the owner
//   through OnZoomReset for its own ranges (RightButtonZoom).
// - After the mode's work a move sets the screen cursor and reports the mouse position in world
//   units of layer 1 through OnMouseMoveInChart.
//
// Pan and zoom change layer 1 only; the layers joined to it follow through SetLayerRange.
#include <QApplication>
#include <QMouseEvent>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/mouse.h"

#include "chart/chart.h"
#include "common/mathutil.h"
#include "platform/cursors.h"

namespace {

// Ranges the mouse makes keep both ends within +-1e300: spans and the pixel coefficients
// computed from them stay finite, so a long zoom-out stops there instead of reaching infinity.
constexpr long double kMouseRangeLimit = 1e300L;
// Start value of the nearest-object search: farther than any real distance.
constexpr double kFarAway = 1.7e308;
// One wheel notch (120 eighths of a degree) forward shrinks both spans by this factor, one back
// widens them by it, so a notch forward and one back give the ranges back.
constexpr long double kWheelZoomStep = 1.25L;
constexpr int kWheelNotch = 120;

TShiftState ShiftOf(const QMouseEvent& event) { return ShiftOf(event.modifiers(), event.buttons()); }

QPoint PosOf(const QMouseEvent& event) { return event.position().toPoint(); }

// The chart knows three buttons; others (extra buttons) are not its business.
bool ButtonOf(Qt::MouseButton qt, TMouseButton& button)
{
    switch (qt) {
    case Qt::LeftButton: button = mbLeft; return true;
    case Qt::RightButton: button = mbRight; return true;
    case Qt::MiddleButton: button = mbMiddle; return true;
    default: return false;
    }
}

bool IsDragMode(TMouseActMode mode)
{
    switch (mode) {
    case maPan: case maPanHoriz: case maPanVert: case maZoomDrag: case maDragCrossH: case maDragLabel:
        return true;
    default:
        return false;
    }
}

bool IsRubberBandMode(TMouseActMode mode)
{
    return mode == maRubberBand || mode == maZoomWind || mode == maZoomWindPos;
}

// A range end pair the mouse may hand to SetLayerRange: finite and within the limit. On a
// logarithmic axis `positive` also asks for both ends at or above the logarithmic floor.
bool UsableRange(long double low, long double high, bool positive)
{
    auto ok = [positive](long double v) {
        return std::isfinite(v) && std::fabs(v) <= kMouseRangeLimit && (!positive || v >= kLogFloor);
    };
    return ok(low) && ok(high);
}

// 64-bit square of a pixel distance. Positions far outside the control are clamped to
// +-2147483647 by WorldToMouse; a 32-bit square of their distance would wrap around and could
// make the farthest object look nearest.
std::int64_t Square(int a, int b)
{
    const std::int64_t d = std::int64_t(a) - std::int64_t(b);
    return d * d;
}

}  // namespace

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

void TChartMouse::DoubleClick()
{
    m_state.DblClickPending = true;
    if (m_chart.OnDblClick) m_chart.OnDblClick(m_chart);
}

// The left button's double click is the control's; the right button's asks the owner for its
// ranges when the right-button zoom is on. Neither swallows a press of the right button, so
// entering points with it stays one point per press.
void TChartMouse::DoubleClickOf(Qt::MouseButton qtButton)
{
    if (qtButton == Qt::LeftButton) DoubleClick();
    else if (qtButton == Qt::RightButton && m_chart.RightButtonZoom() && m_chart.OnZoomReset)
        m_chart.OnZoomReset(m_chart);
}

// A pending double click swallows this press or release; buttons other than the three are
// not the chart's business. False when nothing more is to be done.
bool TChartMouse::TakeButton(Qt::MouseButton qtButton, TMouseButton& button)
{
    if (m_state.DblClickPending) {
        m_state.DblClickPending = false;
        return false;
    }
    return ButtonOf(qtButton, button);
}

void TChartMouse::MouseDown(Qt::MouseButton qtButton, TShiftState shift, QPoint pos)
{
    TMouseState& m = m_state;
    TMouseButton button;
    if (!TakeButton(qtButton, button)) return;
    if (button == mbLeft) m.ClickPending = true;
    if (m_chart.OnMouseDown) m_chart.OnMouseDown(m_chart, button, shift, pos.x(), pos.y());
    if (m.RubberBandActive || !m_chart.ChartArea().Contains(pos.x(), pos.y())) return;
    if (IsRubberBandMode(m_chart.MouseAction()) && button == mbLeft) StartRubberBand(pos, false);
    else if (m_chart.RightButtonZoom() && button == mbRight) StartRubberBand(pos, true);
}

void TChartMouse::MouseUp(Qt::MouseButton qtButton, TShiftState shift, QPoint pos)
{
    TMouseState& m = m_state;
    TMouseButton button;
    if (!TakeButton(qtButton, button)) return;
    // A left press and release over the control make a click, reported before the release
    // itself, as the toolkit's own handling of the release.
    if (button == mbLeft && m.ClickPending) {
        m.ClickPending = false;
        if (m_chart.rect().contains(pos) && m_chart.OnClick) m_chart.OnClick(m_chart);
    }
    if (m_chart.OnMouseUp) m_chart.OnMouseUp(m_chart, button, shift, pos.x(), pos.y());
    if (m.RubberBandActive) EndRubberBand(button);
}

void TChartMouse::MouseMove(TShiftState shift, QPoint pos)
{
    const int x = pos.x(), y = pos.y();
    if (m_chart.OnMouseMove) m_chart.OnMouseMove(m_chart, shift, x, y);
    const TMouseActMode mode = m_chart.MouseAction();
    if (IsDragMode(mode)) DragMove(mode, shift, x, y);
    if (m_state.RubberBandActive && (m_state.RubberBandRight || IsRubberBandMode(mode))) FollowRubberBand(x, y);
    SetCursor(mode, x, y);
    if (m_chart.OnMouseMoveInChart) {
        double wx = 0.0, wy = 0.0;
        m_chart.MouseToWorld(1, x, y, wx, wy);
        m_chart.OnMouseMoveInChart(m_chart, m_chart.ChartArea().Contains(x, y), shift, wx, wy);
    }
}

// --- drags ---------------------------------------------------------------------------

void TChartMouse::DragMove(TMouseActMode mode, TShiftState shift, int x, int y)
{
    TMouseState& m = m_state;
    if (!(shift & ssLeft)) {
        m.DragActive = false;
        return;
    }
    if (!m.DragActive) {
        const TScalePropsHoriz& sx = m_chart.Scale1X();
        const TScalePropsVert& sy = m_chart.Scale1Y();
        m.DragAnchor = TDragAnchor{x, y, sx.RangeLow(), sy.RangeLow(), sx.RangeHigh(), sy.RangeHigh()};
        if (mode == maDragCrossH) m.SelectedCrossHair = NearestCrossHair(x, y);
        if (mode == maDragLabel) m.SelectedTextLabel = NearestTextLabel(x, y);
        m.DragActive = true;
        return;
    }
    switch (mode) {
    case maPan: case maPanHoriz: case maPanVert: PanStep(mode, x, y); break;
    case maZoomDrag: ZoomDragStep(x, y); break;
    case maDragCrossH: CrossHairStep(x, y); break;
    case maDragLabel: TextLabelStep(x, y); break;
    default: break;
    }
}

// Moves the ranges so that the world point under the anchor follows the mouse. An axis
// without pixels keeps its range.
void TChartMouse::PanStep(TMouseActMode mode, int x, int y)
{
    if (!m_chart.ChartArea().Contains(x, y)) return;
    const TDragAnchor& a = m_state.DragAnchor;
    const TScalePropsHoriz& sx = m_chart.Scale1X();
    const TScalePropsVert& sy = m_chart.Scale1Y();
    double xLow = sx.RangeLow(), xHigh = sx.RangeHigh(), yLow = sy.RangeLow(), yHigh = sy.RangeHigh();
    // The drawing follows the mouse: the anchor ranges move by the mouse's way along each axis.
    if (mode != maPanVert) PanAxis(m_chart.AxisMapX(1), sx, a.XLow, a.XHigh, x - a.X, xLow, xHigh);
    if (mode != maPanHoriz) PanAxis(m_chart.AxisMapY(1), sy, a.YLow, a.YHigh, y - a.Y, yLow, yHigh);
    TCustomRChart::TPaintLockGuard lock(m_chart);
    m_chart.SetLayerRange(1, xLow, yLow, xHigh, yHigh);
    lock.Release();
    if (m_chart.OnZoomPan) m_chart.OnZoomPan(m_chart);
}

// One axis of a pan step: the anchor range dragged `pixels` along the axis's map. Leaves
// `low` and `high` alone when the axis has no extent or the result is not usable.
void TChartMouse::PanAxis(const TAxisMap& map, const TScaleProps& s, double anchorLow, double anchorHigh, int pixels,
                    double& low, double& high)
{
    long double newLow, newHigh;
    if (!map.Dragged(anchorLow, anchorHigh, pixels, newLow, newHigh)) return;
    // A logarithmic axis whose pan would push an end below the floor keeps its range, so
    // the pan stops there instead of squeezing the span.
    if (UsableRange(newLow, newHigh, s.Logarithmic())) {
        low = double(newLow);
        high = double(newHigh);
    }
}

// Scales the anchor ranges about their centres: right and up zoom in, left and down zoom
// out, by the mouse distance relative to the control's size.
void TChartMouse::ZoomDragStep(int x, int y)
{
    if (!m_chart.ChartArea().Contains(x, y)) return;
    const TDragAnchor& a = m_state.DragAnchor;
    const int width = m_chart.width(), height = m_chart.height();
    if (width <= 0 || height <= 0) return;
    const long double fx = 1.0L - static_cast<long double>(x - a.X) / width;
    const long double fy = m_chart.Isometric() ? fx : 1.0L + static_cast<long double>(y - a.Y) / height;
    const long double cX = (static_cast<long double>(a.XLow) + a.XHigh) / 2;
    const long double cY = (static_cast<long double>(a.YLow) + a.YHigh) / 2;
    const long double hX = (static_cast<long double>(a.XHigh) - a.XLow) * fx / 2;
    const long double hY = (static_cast<long double>(a.YHigh) - a.YLow) * fy / 2;
    const TScalePropsHoriz& sx = m_chart.Scale1X();
    const TScalePropsVert& sy = m_chart.Scale1Y();
    double xLow = sx.RangeLow(), xHigh = sx.RangeHigh(), yLow = sy.RangeLow(), yHigh = sy.RangeHigh();
    // The low end of a logarithmic axis may fall below the floor here: the range rules then
    // keep that end and move only the high one.
    if (UsableRange(cX - hX, cX + hX, false)) {
        xLow = double(cX - hX);
        xHigh = double(cX + hX);
    }
    if (UsableRange(cY - hY, cY + hY, false)) {
        yLow = double(cY - hY);
        yHigh = double(cY + hY);
    }
    TCustomRChart::TPaintLockGuard lock(m_chart);
    m_chart.SetLayerRange(1, xLow, yLow, xHigh, yHigh);
    lock.Release();
    if (m_chart.OnZoomPan) m_chart.OnZoomPan(m_chart);
}

// One axis of a wheel zoom: the span scaled by `factor` about the value at `pixel`, in
// logarithms on a logarithmic axis. The value at that pixel stays there, since it keeps its
// share of the span. Leaves `low` and `high` alone when the result is not usable.
void TChartMouse::ZoomAxis(const TAxisMap& map, const TScaleProps& s, int pixel, long double factor, double& low,
                           double& high)
{
    const long double w = map.ToValue(pixel);
    long double newLow, newHigh;
    if (s.Logarithmic()) {
        if (!(w >= kLogFloor) || !(low >= kLogFloor) || !(high >= kLogFloor)) return;
        const long double lw = std::log(w);
        newLow = std::exp(lw + (std::log(static_cast<long double>(low)) - lw) * factor);
        newHigh = std::exp(lw + (std::log(static_cast<long double>(high)) - lw) * factor);
    } else {
        newLow = w + (low - w) * factor;
        newHigh = w + (high - w) * factor;
    }
    if (UsableRange(newLow, newHigh, s.Logarithmic())) {
        low = double(newLow);
        high = double(newHigh);
    }
}

bool TChartMouse::Wheel(int x, int y, int delta)
{
    if (delta == 0 || !m_chart.ChartArea().Contains(x, y)) return false;
    const long double factor = std::pow(kWheelZoomStep, -static_cast<long double>(delta) / kWheelNotch);
    const TScalePropsHoriz& sx = m_chart.Scale1X();
    const TScalePropsVert& sy = m_chart.Scale1Y();
    double xLow = sx.RangeLow(), xHigh = sx.RangeHigh(), yLow = sy.RangeLow(), yHigh = sy.RangeHigh();
    ZoomAxis(m_chart.AxisMapX(1), sx, x, factor, xLow, xHigh);
    ZoomAxis(m_chart.AxisMapY(1), sy, y, factor, yLow, yHigh);
    TCustomRChart::TPaintLockGuard lock(m_chart);
    m_chart.SetLayerRange(1, xLow, yLow, xHigh, yHigh);
    lock.Release();
    if (m_chart.OnZoomPan) m_chart.OnZoomPan(m_chart);
    return true;
}

// The crosshair whose line lies nearest to the mouse: vertical lines by their x distance,
// horizontal lines by their y distance; ties keep the lower number, and crosshair 1 is
// taken when no crosshair shows a line.
int TChartMouse::NearestCrossHair(int x, int y)
{
    int selected = 1;
    double best = kFarAway;
    for (int k = 1; k <= kMaxCrossHairs; ++k) {
        const TCrossHair& hair = m_chart.CrossHair(k);
        int px = 0, py = 0;
        m_chart.WorldToMouse(hair.Layer(), hair.PosX(), hair.PosY(), px, py);
        const TCrossHMode mode = hair.Mode();
        // 64-bit squares: 32-bit ones wrap at 65536 pixels and would pick a crosshair far away.
        if ((mode == chVert || mode == chBoth) && double(Square(px, x)) < best) {
            best = double(Square(px, x));
            selected = k;
        }
        if ((mode == chHoriz || mode == chBoth) && double(Square(py, y)) < best) {
            best = double(Square(py, y));
            selected = k;
        }
    }
    return selected;
}

// The shown text label whose anchor lies nearest to the mouse; label 1 when none shows.
int TChartMouse::NearestTextLabel(int x, int y)
{
    int selected = 1;
    double best = kFarAway;
    for (int j = 1; j <= kMaxTextLabels; ++j) {
        const TTextLabel& label = m_chart.TextLabel(j);
        if (label.Mode() == tlOff || !label.Visible()) continue;
        int wx = 0, wy = 0;
        m_chart.WorldToMouse(label.Layer(), label.PosX(), label.PosY(), wx, wy);
        int px = 0, py = 0;
        switch (label.AttachToData()) {
        case tlamNone: px = RoundToInt(label.PosX()); py = RoundToInt(label.PosY()); break;
        case tlamXOnly: px = wx; py = RoundToInt(label.PosY()); break;
        case tlamYOnly: px = RoundToInt(label.PosX()); py = wy; break;
        case tlamBoth: px = wx; py = wy; break;
        }
        const double d = double(Square(px, x) + Square(py, y));
        if (d < best) {
            best = d;
            selected = j;
        }
    }
    return selected;
}

// Puts the selected crosshair at the mouse, in world units of its own layer.
void TChartMouse::CrossHairStep(int x, int y)
{
    TCrossHair& hair = m_chart.CrossHair(m_state.SelectedCrossHair);
    double wx = 0.0, wy = 0.0;
    m_chart.MouseToWorld(hair.Layer(), x, y, wx, wy);
    // Both coordinates in one notification: a step paints once, by the same rule as the setters.
    hair.SetPos(wx, wy);
    if (m_chart.OnCrossHairMove) m_chart.OnCrossHairMove(m_chart, hair);
}

// Puts the selected text label's anchor at the mouse: pixels for the coordinates that are
// not attached to the data, world units of its layer for those that are.
void TChartMouse::TextLabelStep(int x, int y)
{
    TTextLabel& label = m_chart.TextLabel(m_state.SelectedTextLabel);
    double wx = 0.0, wy = 0.0;
    m_chart.MouseToWorld(label.Layer(), x, y, wx, wy);
    const TTxtLblAttachMode attach = label.AttachToData();
    const bool worldX = attach == tlamXOnly || attach == tlamBoth;
    const bool worldY = attach == tlamYOnly || attach == tlamBoth;
    // Both coordinates in one notification: a step paints once, by the same rule as the setters.
    label.SetPos(worldX ? wx : x, worldY ? wy : y);
    if (m_chart.OnTextLabelMove) m_chart.OnTextLabelMove(m_chart, label);
}

// --- rubber band -----------------------------------------------------------------------

void TChartMouse::StartRubberBand(QPoint pos, bool right)
{
    TMouseState& m = m_state;
    m.RubberBandAnchor = m.RubberBandCorner = TPoint{pos.x(), pos.y()};
    m.RubberBandShown = false;
    m.RubberBandRight = right;
    m.RubberBandActive = true;
}

void TChartMouse::FollowRubberBand(int x, int y)
{
    TMouseState& m = m_state;
    const TChartArea area = m_chart.ChartArea();
    x = std::clamp(x, area.Left, std::max(area.Left, area.Right));
    if (m_chart.Isometric()) {
        const int dx = x - m.RubberBandAnchor.X, dy = y - m.RubberBandAnchor.Y;
        y = std::int64_t(dx) * dy > 0 ? m.RubberBandAnchor.Y + dx : m.RubberBandAnchor.Y - dx;
    }
    y = std::clamp(y, area.Top, std::max(area.Top, area.Bottom));
    QRegion changed = EraseRubberBand();
    m.RubberBandCorner = TPoint{x, y};
    changed += DrawRubberBand();
    m_chart.repaint(changed);
}

// The outline from anchor to corner in white exclusive-or, brush clear, on the screen
// image; returns the pixels it changed.
QRegion TChartMouse::XorOutline()
{
    const TMouseState& m = m_state;
    TCanvas& canvas = m_chart.ScreenCanvas(TChartKey());
    canvas.Pen().SetMode(pmXor);
    canvas.Pen().SetColor(clWhite);
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetStyle(bsClear);
    canvas.Rectangle(m.RubberBandAnchor.X, m.RubberBandAnchor.Y, m.RubberBandCorner.X, m.RubberBandCorner.Y);
    canvas.Pen().SetMode(pmCopy);
    canvas.Brush().SetStyle(bsSolid);
    return OutlineRegion(m.RubberBandAnchor, m.RubberBandCorner);
}

// The four one-pixel strips of the outline (the rectangle covers its corners' smaller x and
// y up to one less than the larger ones).
QRegion TChartMouse::OutlineRegion(TPoint a, TPoint b)
{
    const int left = std::min(a.X, b.X), right = std::max(a.X, b.X);
    const int top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y);
    if (right <= left || bottom <= top) return {};
    QRegion region(left, top, right - left, 1);
    region += QRect(left, bottom - 1, right - left, 1);
    region += QRect(left, top, 1, bottom - top);
    region += QRect(right - 1, top, 1, bottom - top);
    return region;
}

// Draws the outline; the widget shows it once the returned pixels are repainted.
QRegion TChartMouse::DrawRubberBand()
{
    TMouseState& m = m_state;
    const QRegion changed = XorOutline();
    m.RubberBandShown = true;
    m.RubberBandScreenKey = m_chart.ScreenImage().cacheKey();
    return changed;
}

// Takes the outline off the screen image. A repaint since it was drawn has already replaced
// it; drawing it again then would leave it behind.
QRegion TChartMouse::EraseRubberBand()
{
    TMouseState& m = m_state;
    QRegion changed;
    if (m.RubberBandShown && m.RubberBandScreenKey == m_chart.ScreenImage().cacheKey()) changed = XorOutline();
    m.RubberBandShown = false;
    return changed;
}

void TChartMouse::EndRubberBand(TMouseButton button)
{
    TMouseState& m = m_state;
    m.RubberBandActive = false;
    const bool right = m.RubberBandRight;
    m.RubberBandRight = false;
    // The outline goes at once whatever ends the band, so the screen shows exactly the
    // chart again even when nothing is repainted afterwards.
    m_chart.repaint(EraseRubberBand());
    const TPoint anchor = m.RubberBandAnchor, corner = m.RubberBandCorner;
    if (anchor.X == corner.X || anchor.Y == corner.Y) return;
    TMouseActMode mode = m_chart.MouseAction();
    if (right) {
        // A right-button band zooms with each axis keeping its direction. It ends unused when
        // another button is released, when the zoom was switched off meanwhile, or when it is
        // shorter than a drag: a right click that trembles a pixel is no zoom.
        if (button != mbRight || !m_chart.RightButtonZoom()) return;
        if (QPoint(corner.X - anchor.X, corner.Y - anchor.Y).manhattanLength() < QApplication::startDragDistance())
            return;
        mode = maZoomWindPos;
    } else if (button != mbLeft || !IsRubberBandMode(mode)) {
        // A band whose mode was switched away while it was dragged ends like a cancelled one.
        return;
    }

    TCustomRChart::TPaintLockGuard lock(m_chart);
    double ax = 0.0, ay = 0.0, cx = 0.0, cy = 0.0;
    m_chart.MouseToWorld(1, anchor.X, anchor.Y, ax, ay);
    m_chart.MouseToWorld(1, corner.X, corner.Y, cx, cy);
    const TScalePropsHoriz& sx = m_chart.Scale1X();
    const TScalePropsVert& sy = m_chart.Scale1Y();
    if (mode == maZoomWindPos || mode == maRubberBand) {
        // Put each pair in the direction of its axis.
        if ((cx < ax && sx.RangeLow() < sx.RangeHigh()) || (cx > ax && sx.RangeLow() > sx.RangeHigh()))
            std::swap(ax, cx);
        if ((cy < ay && sy.RangeLow() < sy.RangeHigh()) || (cy > ay && sy.RangeLow() > sy.RangeHigh()))
            std::swap(ay, cy);
    }
    if (m_chart.Isometric()) {
        const long double mid = (static_cast<long double>(cy) + ay) / 2;
        const long double h = (static_cast<long double>(cx) - ax) * (m_chart.AreaHeight() + 1) /
                              (m_chart.AreaWidth() + 1) * m_chart.AspectY() / m_chart.AspectX() / 2;
        if (UsableRange(mid - h, mid + h, false)) {
            cy = double(mid + h);
            ay = double(mid - h);
        }
    }
    if (mode == maRubberBand) {
        if (m_chart.OnRubberBand) m_chart.OnRubberBand(m_chart, 1, ax, ay, cx, cy);
    } else {
        m_chart.SetLayerRange(1, ax, ay, cx, cy);
    }
    if (m_chart.OnZoomPan) m_chart.OnZoomPan(m_chart);
    lock.Release();
}

// --- cursor ----------------------------------------------------------------------------

void TChartMouse::SetCursor(TMouseActMode mode, int x, int y)
{
    if (m_chart.MouseCursorFixed() || !m_chart.ChartArea().Contains(x, y)) {
        SetScreenCursor(crDefault);
        return;
    }
    if (m_state.RubberBandActive && m_state.RubberBandRight) mode = maZoomWindPos;
    switch (mode) {
    case maNone: SetScreenCursor(crCross); break;
    case maPan: case maPanHoriz: case maPanVert: SetScreenCursor(crChartHand); break;
    case maZoomWind: SetScreenCursor(crChartZoomWind); break;
    case maZoomDrag: SetScreenCursor(crChartZoomDrag); break;
    case maZoomWindPos: SetScreenCursor(crChartZoomWindPos); break;
    case maRubberBand: case maDragCrossH: case maDragLabel: SetScreenCursor(crDefault); break;
    default: break;  // the zoom and rotation modes leave the cursor alone
    }
}

// ---- the toolkit's notifications ----

void TChartMouse::Press(const QMouseEvent& event)
{
    // The press that completes a double click: the double click comes first, then this press
    // is the one it swallows.
    if (event.flags() & Qt::MouseEventCreatedDoubleClick) {
        m_state.DblClickTaken = true;
        DoubleClickOf(event.button());
    }
    MouseDown(event.button(), ShiftOf(event), PosOf(event));
}

void TChartMouse::DoubleClickPress(const QMouseEvent& event)
{
    if (m_state.DblClickTaken) {
        m_state.DblClickTaken = false;
        return;
    }
    // No press came before this notification (the toolkit reports the second press of a double
    // click here alone): the double click, then that press.
    DoubleClickOf(event.button());
    MouseDown(event.button(), ShiftOf(event) | ssDouble, PosOf(event));
}

void TChartMouse::Release(const QMouseEvent& event)
{
    m_state.DblClickTaken = false;
    MouseUp(event.button(), ShiftOf(event), PosOf(event));
}

void TChartMouse::Move(const QMouseEvent& event)
{
    MouseMove(ShiftOf(event), PosOf(event));
}
