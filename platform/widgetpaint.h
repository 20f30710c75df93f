#pragma once
// Puts a finished off-screen image on a widget inside its paintEvent, in one copy.
#include <QImage>
#include <QWidget>

#include "platform/canvas.h"

// Copies `image` to the widget at (x, y). With cmSrcAnd the image is combined with what the
// widget's parent has already painted there by bitwise AND: white leaves the parent visible.
void PaintImageOnWidget(QWidget& widget, const QImage& image, int x = 0, int y = 0,
                        TCopyMode mode = cmSrcCopy);

// Fills `rect` of the widget in `color` (used before an AND copy).
void FillWidgetRect(QWidget& widget, const TRect& rect, TColor color);
