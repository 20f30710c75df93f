// The chart drawn once more for a saved picture: the same pipeline as a full repaint, with every
// canvas copying its figures and texts onto the caller's painter, so a picture at twice the
// screen's size or as SVG comes from the very drawing operations of the screen.
#include "chart/chart.h"

#include <QPainter>

void TCustomRChart::PaintTo(QPainter& painter)
{
    if (m_loading) return;
    TCanvas& control = m_controlImage.Canvas();
    TCanvas& data = m_dataImage.Canvas();
    control.SetMirror(&painter, 0, 0);
    RenderFrameAndScales(control);
    control.SetMirror(nullptr);
    data.SetMirror(&painter, m_marginLeft, m_marginTop);
    RenderChartBackground(data, 0, 0);
    RenderData(data, 0, 0, false, false);
    data.SetMirror(nullptr);
    // The data image joins the control image as on the screen, without a copy on the painter.
    control.Draw(m_marginLeft, m_marginTop, m_dataImage);
}
