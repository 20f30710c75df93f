// Mouse and keyboard handling of the chart.
#include "chart/chart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

void TCustomRChart::InitMouse() {}

void TCustomRChart::mousePressEvent(QMouseEvent* event) { QWidget::mousePressEvent(event); }
void TCustomRChart::mouseReleaseEvent(QMouseEvent* event) { QWidget::mouseReleaseEvent(event); }
void TCustomRChart::mouseMoveEvent(QMouseEvent* event) { QWidget::mouseMoveEvent(event); }
void TCustomRChart::mouseDoubleClickEvent(QMouseEvent* event) { QWidget::mouseDoubleClickEvent(event); }
void TCustomRChart::wheelEvent(QWheelEvent* event) { QWidget::wheelEvent(event); }
void TCustomRChart::enterEvent(QEnterEvent* event) { QWidget::enterEvent(event); }
void TCustomRChart::leaveEvent(QEvent* event) { QWidget::leaveEvent(event); }
void TCustomRChart::keyPressEvent(QKeyEvent* event) { QWidget::keyPressEvent(event); }
void TCustomRChart::keyReleaseEvent(QKeyEvent* event) { QWidget::keyReleaseEvent(event); }
