#pragma once
// Puts a finished off-screen image on a widget inside its paintEvent, in one copy.
#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/canvas.h"

// Copies `image` to the widget at (x, y). With cmSrcAnd the image is combined with what the
// widget's parent has already painted there by bitwise AND: white leaves the parent visible.
void PaintImageOnWidget(QWidget& widget, const QImage& image, int x = 0, int y = 0,
                        TCopyMode mode = cmSrcCopy);

// Fills `rect` of the widget in `color` (used before an AND copy).
void FillWidgetRect(QWidget& widget, const TRect& rect, TColor color);

// A white image of `width` x `height` logical pixels at device resolution `ratio` (its size is
// the logical size times the ratio, rounded up; its devicePixelRatio is `ratio`), painted by
// `paint` in logical coordinates: figures without antialiasing, text at device resolution.
QImage RenderDeviceImage(int width, int height, qreal ratio, const std::function<void(QPainter&)>& paint);
// The same for a component that copies its drawing to the painter held in `mirror`: `mirror`
// points at the image's painter while `paint` runs and is null again however `paint` ends.
QImage RenderDeviceImage(int width, int height, qreal ratio, QPainter*& mirror, const std::function<void()>& paint);
