#include "app/smoothbar.h"

#include <QWheelEvent>
#include <cstdlib>

namespace {
constexpr int kNotch = 120;  // angle delta of one notch of a standard wheel
}

TSmoothBar::TSmoothBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent)
{
    // The bar takes the keyboard focus by Tab or a click, so the arrow keys reach it.
    setFocusPolicy(Qt::StrongFocus);
    // The keys as on a slider: Right and Up raise the factor, Left and Down lower it, Page Up
    // and Page Down by a page (a stock horizontal scroll bar raises it by Left).
    setInvertedControls(false);
}

void TSmoothBar::wheelEvent(QWheelEvent* event)
{
    const QPoint d = event->angleDelta();
    int delta = d.y() != 0 ? d.y() : d.x();
    if (event->inverted()) delta = -delta;
    // The stock bar's direction: turning the wheel away from the user, or to the left, lowers
    // the value.
    m_wheelRest += delta;
    const int notches = m_wheelRest / kNotch;
    m_wheelRest -= notches * kNotch;
    const bool page = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    for (int i = 0; i < std::abs(notches); ++i)
        triggerAction(notches > 0 ? (page ? SliderPageStepSub : SliderSingleStepSub)
                                  : (page ? SliderPageStepAdd : SliderSingleStepAdd));
    event->accept();
}
