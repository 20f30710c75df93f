// The data area: grid, display-list items, text labels, frame line and crosshairs.
#include "chart/chart.h"

void TCustomRChart::RenderData(TCanvas& canvas, int offsetX, int offsetY, bool monochrome, bool noGrid)
{
    (void)monochrome;
    const int top = m_marginTop - offsetY, left = m_marginLeft - offsetX;
    {
        const TColor brush = canvas.Brush().Color(), pen = canvas.Pen().Color();
        if (OnBeforeRenderData) OnBeforeRenderData(*this, canvas, top, left);
        canvas.Brush().SetColor(brush);
        canvas.Pen().SetColor(pen);
    }
    if (m_gridStyle != gsNone && !noGrid) DrawGrid(canvas, offsetX, offsetY);
    canvas.Pen().SetWidth(1);
    if (OnDataRendered) OnDataRendered(*this, canvas, top, left);
    const int w = AreaWidth(), h = AreaHeight();
    canvas.Pen().SetColor(m_chartFrameColor);
    canvas.Pen().SetStyle(psSolid);
    canvas.MoveTo(offsetX, offsetY);
    canvas.LineTo(offsetX + w, offsetY);
    canvas.LineTo(offsetX + w, offsetY + h);
    canvas.LineTo(offsetX, offsetY + h);
    canvas.LineTo(offsetX, offsetY);
}

void TCustomRChart::DrawGrid(TCanvas&, int, int) {}

void TCustomRChart::DrawCrossHairs(TCanvas&, int, int) {}
