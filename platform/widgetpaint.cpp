#include "platform/widgetpaint.h"

#include <QPainter>

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
