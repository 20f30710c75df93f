#pragma once
// TSmoothBar: the horizontal scroll bar of the smoothing factor. The arrows and the arrow keys
// move it by its single step, a click into the trough or Page Up/Down by its page step, and a
// notch of the mouse wheel by one single step (a stock bar moves several lines per notch).
// Right and Up raise the value, Left and Down lower it.
#include <QScrollBar>

class TSmoothBar : public QScrollBar {
    Q_OBJECT

public:
    explicit TSmoothBar(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    int m_wheelRest = 0;  // the part of a notch that fine-grained wheels sent so far
};
