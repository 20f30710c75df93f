// The chart's reaction to the mouse and the keyboard.
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
// - After the mode's work a move sets the screen cursor and reports the mouse position in world
//   units of layer 1 through OnMouseMoveInChart.
//
// Pan and zoom change layer 1 only; the layers joined to it follow through SetLayerRange.
#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegion>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/chart.h"
#include "common/mathutil.h"
#include "platform/cursors.h"

namespace {

// Ranges the mouse makes keep both ends within +-1e300: spans and the pixel coefficients
// computed from them stay finite, so a long zoom-out stops there instead of reaching infinity.
constexpr long double kMouseRangeLimit = 1e300L;
// Start value of the nearest-object search: farther than any real distance.
constexpr double kFarAway = 1.7e308;

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

// The mouse handling reaches the chart's internals through this friend.
class TChartMouse {
public:
    // Holds the paint lock for one step; Release() restores the remembered state through
    // SetPaintLock (which paints when the lock clears). Left by an error, it restores the state
    // without painting, so the chart never stays locked.
    class LockScope {
    public:
        explicit LockScope(TCustomRChart& chart) : m_chart(chart), m_was(chart.m_paintLock)
        {
            chart.SetPaintLock(true);
        }
        ~LockScope() { if (!m_released) m_chart.m_paintLock = m_was; }
        void Release()
        {
            m_released = true;
            m_chart.SetPaintLock(m_was);
        }
        // Gives the remembered state back without painting.
        void ReleaseWithoutPaint()
        {
            m_released = true;
            m_chart.m_paintLock = m_was;
        }
        LockScope(const LockScope&) = delete;
        LockScope& operator=(const LockScope&) = delete;

    private:
        TCustomRChart& m_chart;
        bool m_was;
        bool m_released = false;
    };

    static void DoubleClick(TCustomRChart& c)
    {
        c.m_mouse.DblClickPending = true;
        if (c.OnDblClick) c.OnDblClick(c);
    }

    // A pending double click swallows this press or release; buttons other than the three are
    // not the chart's business. False when nothing more is to be done.
    static bool TakeButton(TCustomRChart& c, Qt::MouseButton qtButton, TMouseButton& button)
    {
        if (c.m_mouse.DblClickPending) {
            c.m_mouse.DblClickPending = false;
            return false;
        }
        return ButtonOf(qtButton, button);
    }

    static void MouseDown(TCustomRChart& c, Qt::MouseButton qtButton, TShiftState shift, QPoint pos)
    {
        TMouseState& m = c.m_mouse;
        TMouseButton button;
        if (!TakeButton(c, qtButton, button)) return;
        if (button == mbLeft) m.ClickPending = true;
        if (c.OnMouseDown) c.OnMouseDown(c, button, shift, pos.x(), pos.y());
        if (IsRubberBandMode(c.m_mouseAction) && !m.RubberBandActive && button == mbLeft &&
            c.ChartArea().Contains(pos.x(), pos.y())) {
            m.RubberBandAnchor = m.RubberBandCorner = TPoint{pos.x(), pos.y()};
            m.RubberBandShown = false;
            m.RubberBandActive = true;
        }
    }

    static void MouseUp(TCustomRChart& c, Qt::MouseButton qtButton, TShiftState shift, QPoint pos)
    {
        TMouseState& m = c.m_mouse;
        TMouseButton button;
        if (!TakeButton(c, qtButton, button)) return;
        // A left press and release over the control make a click, reported before the release
        // itself, as the toolkit's own handling of the release.
        if (button == mbLeft && m.ClickPending) {
            m.ClickPending = false;
            if (c.rect().contains(pos) && c.OnClick) c.OnClick(c);
        }
        if (c.OnMouseUp) c.OnMouseUp(c, button, shift, pos.x(), pos.y());
        if (m.RubberBandActive) EndRubberBand(c, button);
    }

    static void MouseMove(TCustomRChart& c, TShiftState shift, QPoint pos)
    {
        const int x = pos.x(), y = pos.y();
        if (c.OnMouseMove) c.OnMouseMove(c, shift, x, y);
        const TMouseActMode mode = c.m_mouseAction;
        if (IsDragMode(mode)) DragMove(c, mode, shift, x, y);
        else if (IsRubberBandMode(mode) && c.m_mouse.RubberBandActive) FollowRubberBand(c, x, y);
        SetCursor(c, mode, x, y);
        if (c.OnMouseMoveInChart) {
            double wx = 0.0, wy = 0.0;
            c.MouseToWorld(1, x, y, wx, wy);
            c.OnMouseMoveInChart(c, c.ChartArea().Contains(x, y), shift, wx, wy);
        }
    }

    // --- drags ---------------------------------------------------------------------------

    static void DragMove(TCustomRChart& c, TMouseActMode mode, TShiftState shift, int x, int y)
    {
        TMouseState& m = c.m_mouse;
        if (!(shift & ssLeft)) {
            m.DragActive = false;
            return;
        }
        if (!m.DragActive) {
            const TScalePropsHoriz& sx = c.Scale1X();
            const TScalePropsVert& sy = c.Scale1Y();
            m.DragAnchor = TDragAnchor{x, y, sx.RangeLow(), sy.RangeLow(), sx.RangeHigh(), sy.RangeHigh()};
            if (mode == maDragCrossH) m.SelectedCrossHair = NearestCrossHair(c, x, y);
            if (mode == maDragLabel) m.SelectedTextLabel = NearestTextLabel(c, x, y);
            m.DragActive = true;
            return;
        }
        switch (mode) {
        case maPan: case maPanHoriz: case maPanVert: PanStep(c, mode, x, y); break;
        case maZoomDrag: ZoomDragStep(c, x, y); break;
        case maDragCrossH: CrossHairStep(c, x, y); break;
        case maDragLabel: TextLabelStep(c, x, y); break;
        default: break;
        }
    }

    // Moves the ranges so that the world point under the anchor follows the mouse. An axis
    // without pixels keeps its range.
    static void PanStep(TCustomRChart& c, TMouseActMode mode, int x, int y)
    {
        if (!c.ChartArea().Contains(x, y)) return;
        const TDragAnchor& a = c.m_mouse.DragAnchor;
        const TScalePropsHoriz& sx = c.Scale1X();
        const TScalePropsVert& sy = c.Scale1Y();
        double xLow = sx.RangeLow(), xHigh = sx.RangeHigh(), yLow = sy.RangeLow(), yHigh = sy.RangeHigh();
        // The drawing follows the mouse: the anchor ranges move by the mouse's way along each axis.
        if (mode != maPanVert) PanAxis(c.AxisMapX(1), sx, a.XLow, a.XHigh, x - a.X, xLow, xHigh);
        if (mode != maPanHoriz) PanAxis(c.AxisMapY(1), sy, a.YLow, a.YHigh, y - a.Y, yLow, yHigh);
        LockScope lock(c);
        c.SetLayerRange(1, xLow, yLow, xHigh, yHigh);
        lock.Release();
        if (c.OnZoomPan) c.OnZoomPan(c);
    }

    // One axis of a pan step: the anchor range dragged `pixels` along the axis's map. Leaves
    // `low` and `high` alone when the axis has no extent or the result is not usable.
    static void PanAxis(const TAxisMap& map, const TScaleProps& s, double anchorLow, double anchorHigh, int pixels,
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
    static void ZoomDragStep(TCustomRChart& c, int x, int y)
    {
        if (!c.ChartArea().Contains(x, y)) return;
        const TDragAnchor& a = c.m_mouse.DragAnchor;
        const int width = c.width(), height = c.height();
        if (width <= 0 || height <= 0) return;
        const long double fx = 1.0L - static_cast<long double>(x - a.X) / width;
        const long double fy = c.m_isometric ? fx : 1.0L + static_cast<long double>(y - a.Y) / height;
        const long double cX = (static_cast<long double>(a.XLow) + a.XHigh) / 2;
        const long double cY = (static_cast<long double>(a.YLow) + a.YHigh) / 2;
        const long double hX = (static_cast<long double>(a.XHigh) - a.XLow) * fx / 2;
        const long double hY = (static_cast<long double>(a.YHigh) - a.YLow) * fy / 2;
        const TScalePropsHoriz& sx = c.Scale1X();
        const TScalePropsVert& sy = c.Scale1Y();
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
        LockScope lock(c);
        c.SetLayerRange(1, xLow, yLow, xHigh, yHigh);
        lock.Release();
        if (c.OnZoomPan) c.OnZoomPan(c);
    }

    // The crosshair whose line lies nearest to the mouse: vertical lines by their x distance,
    // horizontal lines by their y distance; ties keep the lower number, and crosshair 1 is
    // taken when no crosshair shows a line.
    static int NearestCrossHair(TCustomRChart& c, int x, int y)
    {
        int selected = 1;
        double best = kFarAway;
        for (int k = 1; k <= kMaxCrossHairs; ++k) {
            const TCrossHair& hair = c.CrossHair(k);
            int px = 0, py = 0;
            c.WorldToMouse(hair.Layer(), hair.PosX(), hair.PosY(), px, py);
            const TCrossHMode mode = hair.Mode();
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
    static int NearestTextLabel(TCustomRChart& c, int x, int y)
    {
        int selected = 1;
        double best = kFarAway;
        for (int j = 1; j <= kMaxTextLabels; ++j) {
            const TTextLabel& label = c.TextLabel(j);
            if (label.Mode() == tlOff || !label.Visible()) continue;
            int wx = 0, wy = 0;
            c.WorldToMouse(label.Layer(), label.PosX(), label.PosY(), wx, wy);
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
    static void CrossHairStep(TCustomRChart& c, int x, int y)
    {
        TCrossHair& hair = c.CrossHair(c.m_mouse.SelectedCrossHair);
        double wx = 0.0, wy = 0.0;
        c.MouseToWorld(hair.Layer(), x, y, wx, wy);
        {
            LockScope lock(c);
            hair.SetPosX(wx);
            hair.SetPosY(wy);
            PaintMovedPart(c, lock);
        }
        if (c.OnCrossHairMove) c.OnCrossHairMove(c, hair);
    }

    // Puts the selected text label's anchor at the mouse: pixels for the coordinates that are
    // not attached to the data, world units of its layer for those that are.
    static void TextLabelStep(TCustomRChart& c, int x, int y)
    {
        TTextLabel& label = c.TextLabel(c.m_mouse.SelectedTextLabel);
        double wx = 0.0, wy = 0.0;
        c.MouseToWorld(label.Layer(), x, y, wx, wy);
        const TTxtLblAttachMode attach = label.AttachToData();
        const bool worldX = attach == tlamXOnly || attach == tlamBoth;
        const bool worldY = attach == tlamYOnly || attach == tlamBoth;
        {
            LockScope lock(c);
            label.SetPosX(worldX ? wx : x);
            label.SetPosY(worldY ? wy : y);
            PaintMovedPart(c, lock);
        }
        if (c.OnTextLabelMove) c.OnTextLabelMove(c, label);
    }

    // Both coordinates of a dragged crosshair or label are set under the lock, so a step paints
    // once instead of once per coordinate, by the same rule as their setters.
    static void PaintMovedPart(TCustomRChart& c, LockScope& lock)
    {
        lock.ReleaseWithoutPaint();
        c.PartChanged();
    }

    // --- rubber band -----------------------------------------------------------------------

    static void FollowRubberBand(TCustomRChart& c, int x, int y)
    {
        TMouseState& m = c.m_mouse;
        const TChartArea area = c.ChartArea();
        x = std::clamp(x, area.Left, std::max(area.Left, area.Right));
        if (c.m_isometric) {
            const int dx = x - m.RubberBandAnchor.X, dy = y - m.RubberBandAnchor.Y;
            y = std::int64_t(dx) * dy > 0 ? m.RubberBandAnchor.Y + dx : m.RubberBandAnchor.Y - dx;
        }
        y = std::clamp(y, area.Top, std::max(area.Top, area.Bottom));
        QRegion changed = EraseRubberBand(c);
        m.RubberBandCorner = TPoint{x, y};
        changed += DrawRubberBand(c);
        c.repaint(changed);
    }

    // The outline from anchor to corner in white exclusive-or, brush clear, on the screen
    // image; returns the pixels it changed.
    static QRegion XorOutline(TCustomRChart& c)
    {
        const TMouseState& m = c.m_mouse;
        TCanvas& canvas = c.ScreenCanvas();
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
    static QRegion OutlineRegion(TPoint a, TPoint b)
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
    static QRegion DrawRubberBand(TCustomRChart& c)
    {
        TMouseState& m = c.m_mouse;
        const QRegion changed = XorOutline(c);
        m.RubberBandShown = true;
        m.RubberBandScreenKey = c.m_screenImage.cacheKey();
        return changed;
    }

    // Takes the outline off the screen image. A repaint since it was drawn has already replaced
    // it; drawing it again then would leave it behind.
    static QRegion EraseRubberBand(TCustomRChart& c)
    {
        TMouseState& m = c.m_mouse;
        QRegion changed;
        if (m.RubberBandShown && m.RubberBandScreenKey == c.m_screenImage.cacheKey()) changed = XorOutline(c);
        m.RubberBandShown = false;
        return changed;
    }

    static void EndRubberBand(TCustomRChart& c, TMouseButton button)
    {
        TMouseState& m = c.m_mouse;
        m.RubberBandActive = false;
        // The outline goes at once whatever ends the band, so the screen shows exactly the
        // chart again even when nothing is repainted afterwards.
        c.repaint(EraseRubberBand(c));
        const TMouseActMode mode = c.m_mouseAction;
        // A band whose mode was switched away while it was dragged ends like a cancelled one.
        if (button != mbLeft || !IsRubberBandMode(mode)) return;
        const TPoint anchor = m.RubberBandAnchor, corner = m.RubberBandCorner;
        if (anchor.X == corner.X || anchor.Y == corner.Y) return;

        LockScope lock(c);
        double ax = 0.0, ay = 0.0, cx = 0.0, cy = 0.0;
        c.MouseToWorld(1, anchor.X, anchor.Y, ax, ay);
        c.MouseToWorld(1, corner.X, corner.Y, cx, cy);
        const TScalePropsHoriz& sx = c.Scale1X();
        const TScalePropsVert& sy = c.Scale1Y();
        if (mode == maZoomWindPos || mode == maRubberBand) {
            // Put each pair in the direction of its axis.
            if ((cx < ax && sx.RangeLow() < sx.RangeHigh()) || (cx > ax && sx.RangeLow() > sx.RangeHigh()))
                std::swap(ax, cx);
            if ((cy < ay && sy.RangeLow() < sy.RangeHigh()) || (cy > ay && sy.RangeLow() > sy.RangeHigh()))
                std::swap(ay, cy);
        }
        if (c.m_isometric) {
            const long double mid = (static_cast<long double>(cy) + ay) / 2;
            const long double h = (static_cast<long double>(cx) - ax) * (c.AreaHeight() + 1) /
                                  (c.AreaWidth() + 1) * c.m_aspectY / c.m_aspectX / 2;
            if (UsableRange(mid - h, mid + h, false)) {
                cy = double(mid + h);
                ay = double(mid - h);
            }
        }
        if (mode == maRubberBand) {
            if (c.OnRubberBand) c.OnRubberBand(c, 1, ax, ay, cx, cy);
        } else {
            c.SetLayerRange(1, ax, ay, cx, cy);
        }
        if (c.OnZoomPan) c.OnZoomPan(c);
        lock.Release();
    }

    // --- cursor ----------------------------------------------------------------------------

    static void SetCursor(TCustomRChart& c, TMouseActMode mode, int x, int y)
    {
        if (c.m_mouseCursorFixed || !c.ChartArea().Contains(x, y)) {
            SetScreenCursor(crDefault);
            return;
        }
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
};

void TCustomRChart::InitMouse()
{
    RegisterChartCursors();
    m_mouse = TMouseState{};
    // Moves without a button held are reported too (OnMouseMoveInChart, cursors).
    setMouseTracking(true);
}

void TCustomRChart::mousePressEvent(QMouseEvent* event)
{
    // The press that completes a double click: the double click comes first, then this press
    // is the one it swallows.
    if (event->flags() & Qt::MouseEventCreatedDoubleClick) {
        m_mouse.DblClickTaken = true;
        if (event->button() == Qt::LeftButton) TChartMouse::DoubleClick(*this);
    }
    TChartMouse::MouseDown(*this, event->button(), ShiftOf(*event), PosOf(*event));
}

void TCustomRChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_mouse.DblClickTaken) {
        m_mouse.DblClickTaken = false;
        return;
    }
    // No press came before this notification (the toolkit reports the second press of a double
    // click here alone): the double click, then that press.
    if (event->button() == Qt::LeftButton) TChartMouse::DoubleClick(*this);
    TChartMouse::MouseDown(*this, event->button(), ShiftOf(*event) | ssDouble, PosOf(*event));
}

void TCustomRChart::mouseReleaseEvent(QMouseEvent* event)
{
    m_mouse.DblClickTaken = false;
    TChartMouse::MouseUp(*this, event->button(), ShiftOf(*event), PosOf(*event));
}

void TCustomRChart::mouseMoveEvent(QMouseEvent* event)
{
    TChartMouse::MouseMove(*this, ShiftOf(*event), PosOf(*event));
}

void TCustomRChart::wheelEvent(QWheelEvent* event)
{
    bool handled = false;
    if (OnMouseWheel) {
        const QPoint pos = event->position().toPoint();
        OnMouseWheel(*this, ShiftOf(event->modifiers(), event->buttons()), event->angleDelta().y(), pos.x(),
                     pos.y(), handled);
    }
    if (handled) event->accept();
    else QWidget::wheelEvent(event);
}

void TCustomRChart::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (OnMouseEnter) OnMouseEnter(*this);
}

void TCustomRChart::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // Outside the control the chart's cursor has no business either; without this a quick
    // move from the chart area straight onto another control would take the hand along.
    if (!m_mouseCursorFixed) SetScreenCursor(crDefault);
    if (OnMouseLeave) OnMouseLeave(*this);
}

namespace {

bool IsNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Tab: case Qt::Key_Backtab:
        return true;
    default:
        return false;
    }
}

}  // namespace

// Key codes are Qt's (Qt::Key_Left ...). A handler that sets Key to 0 has taken the key. The
// arrow keys and Tab stay with the chart: they never move the focus away from it.
void TCustomRChart::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    if (OnKeyDown) OnKeyDown(*this, key, ShiftOf(event->modifiers(), QApplication::mouseButtons()));
    const QString text = event->text();
    if (key != 0 && OnKeyPress && text.size() == 1 && text[0].unicode() < 256) {
        char ch = char(text[0].unicode());
        OnKeyPress(*this, ch);
    }
    if (key == 0 || IsNavigationKey(event->key())) event->accept();
    else QWidget::keyPressEvent(event);
}

void TCustomRChart::keyReleaseEvent(QKeyEvent* event)
{
    int key = event->key();
    if (OnKeyUp) OnKeyUp(*this, key, ShiftOf(event->modifiers(), QApplication::mouseButtons()));
    if (key == 0 || IsNavigationKey(event->key())) event->accept();
    else QWidget::keyReleaseEvent(event);
}

bool TCustomRChart::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}
