// The chart widget's input events: the mouse goes to the chart's mouse handling (mouse.h), the
// wheel to the owner's OnMouseWheel and then to the wheel zoom, keys to OnKeyDown, OnKeyPress and
// OnKeyUp. Kept apart from chart.cpp so that the chart's own code does not include the mouse
// handling, which works on the chart through chart.h.
#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "chart/chart.h"
#include "chart/mouse.h"
#include "platform/cursors.h"

void TChartMouseDeleter::operator()(TChartMouse* mouse) const
{
    delete mouse;
}

void TCustomRChart::InitMouse()
{
    RegisterChartCursors();
    m_mouse.reset(new TChartMouse(*this));
    // Moves without a button held are reported too (OnMouseMoveInChart, cursors).
    setMouseTracking(true);
}

void TCustomRChart::mousePressEvent(QMouseEvent* event) { m_mouse->Press(*event); }

void TCustomRChart::mouseDoubleClickEvent(QMouseEvent* event) { m_mouse->DoubleClickPress(*event); }

void TCustomRChart::mouseReleaseEvent(QMouseEvent* event) { m_mouse->Release(*event); }

void TCustomRChart::mouseMoveEvent(QMouseEvent* event) { m_mouse->Move(*event); }

void TCustomRChart::wheelEvent(QWheelEvent* event)
{
    bool handled = false;
    if (OnMouseWheel) {
        const QPoint pos = event->position().toPoint();
        OnMouseWheel(*this, ShiftOf(event->modifiers(), event->buttons()), event->angleDelta().y(), pos.x(),
                     pos.y(), handled);
    }
    if (!handled && m_wheelZoom) {
        const QPoint pos = event->position().toPoint();
        handled = m_mouse->Wheel(pos.x(), pos.y(), event->angleDelta().y());
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
