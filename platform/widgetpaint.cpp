#include "platform/widgetpaint.h"

#include <QPainter>
#include <cmath>

#include "platform/colors.h"

void PaintImageOnWidget(QWidget& widget, const QImage& image, int x, int y, TCopyMode mode)
{
    QPainter painter(&widget);
    if (mode == cmSrcAnd) painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(QPoint(x, y), image);
}

void FillWidgetRect(QWidget& widget, const TRect& rect, TColor color)
{
    if (rect.IsEmpty()) return;
    QPainter painter(&widget);
    painter.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), ToQColor(color));
}

QImage RenderDeviceImage(int width, int height, qreal ratio, const std::function<void(QPainter&)>& paint)
{
    if (width <= 0 || height <= 0 || !(ratio > 0.0)) return {};
    QImage image(int(std::ceil(width * ratio)), int(std::ceil(height * ratio)), QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.setDevicePixelRatio(ratio);
    image.fill(0xFFFFFFFFu);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Text is smoothed at device resolution like the toolkit's own widgets; at ratio 1 the
    // canvas keeps its unsmoothed text.
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paint(painter);
    return image;
}

QImage RenderDeviceImage(int width, int height, qreal ratio, QPainter*& mirror, const std::function<void()>& paint)
{
    return RenderDeviceImage(width, height, ratio, [&](QPainter& painter) {
        struct TMirrorOff {
            QPainter*& mirror;
            ~TMirrorOff() { mirror = nullptr; }
        } off{mirror};
        mirror = &painter;
        paint();
    });
}
