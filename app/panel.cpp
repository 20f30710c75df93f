#include "app/panel.h"

#include "platform/canvas.h"
#include "platform/widgetpaint.h"

TPanel::TPanel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void TPanel::SetColor(TColor value)
{
    m_color = value;
    update();
}

void TPanel::SetBevel(bool value)
{
    m_bevel = value;
    update();
}

QImage TPanel::RenderImage() const
{
    QImage image(width(), height(), QImage::Format_RGB32);
    TCanvas canvas(&image);
    canvas.Brush().SetColor(m_color);
    canvas.FillRect(TRect{0, 0, width(), height()});
    if (!m_bevel) return image;
    const int r = width() - 1, b = height() - 1;
    auto bevel = [&](int inset, TColor topLeft, TColor bottomRight) {
        canvas.Pen().SetColor(topLeft);
        canvas.MoveTo(inset, b - inset);
        canvas.LineTo(inset, inset);
        canvas.LineTo(r - inset, inset);
        canvas.Pen().SetColor(bottomRight);
        canvas.MoveTo(r - inset, inset);
        canvas.LineTo(r - inset, b - inset);
        canvas.LineTo(inset - 1, b - inset);
    };
    bevel(0, clBtnShadow, clBtnHighlight);   // lowered outer
    bevel(1, clBtnHighlight, clBtnShadow);   // raised inner
    return image;
}

void TPanel::paintEvent(QPaintEvent*)
{
    PaintImageOnWidget(*this, RenderImage());
}

void TPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove) OnMouseMove(*this);
    QWidget::mouseMoveEvent(event);
}

void TPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (OnResize) OnResize(*this);
}
