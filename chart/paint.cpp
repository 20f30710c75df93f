// The paint pipeline. A full repaint draws window colour, shadow, caption and the 32 scales
// into the control image, the chart area into the data image, copies the data image into the
// control image and the control image onto the screen image, which paintEvent puts on the
// widget. The data-area refresh redraws only the data image and copies it to its place on the
// screen image. Crosshairs are drawn on every image as it is presented.
#include "chart/chart.h"

#include <QPaintEvent>
#include <QPainter>

#include "chart/grid.h"
#include "chart/labeldraw.h"
#include "chart/render.h"
#include "platform/widgetpaint.h"

void TCustomRChart::Paint()
{
    if (isHidden() || m_loading || m_paintLock) return;
    RenderFrameAndScales(m_controlImage.Canvas());
    RenderChartBackground(TChartKey(), m_dataImage.Canvas(), 0, 0);
    RenderData(TChartKey(), m_dataImage.Canvas(), 0, 0, false, false);
    m_controlImage.Canvas().Draw(m_marginLeft, m_marginTop, m_dataImage);
    if (m_screenImage.width() != width() || m_screenImage.height() != height())
        m_screenImage = QImage(std::max(width(), 0), std::max(height(), 0), QImage::Format_RGB32);
    PresentImage(TChartKey(), 0, 0, *m_screenCanvas, m_controlImage);
    ++m_screenSerial;
    m_screenFresh = true;
    update();
}

void TCustomRChart::RefreshDataArea()
{
    // Without a whole picture on the screen yet, a part alone would show beside nothing: the
    // full repaint runs instead.
    if (!m_screenFresh || m_screenImage.width() != width() || m_screenImage.height() != height()) {
        Paint();
        return;
    }
    RenderChartBackground(TChartKey(), m_dataImage.Canvas(), 0, 0);
    RenderData(TChartKey(), m_dataImage.Canvas(), 0, 0, false, false);
    PresentImage(TChartKey(), m_marginLeft, m_marginTop, *m_screenCanvas, m_dataImage);
    ++m_screenSerial;
    update();
}

void TCustomRChart::RenderData(TChartKey, TCanvas& canvas, int offsetX, int offsetY, bool monochrome, bool noGrid)
{
    TChartRenderer(RenderFrame(TChartKey(), offsetX, offsetY, monochrome), canvas).Run(noGrid);
}

TRenderFrame TCustomRChart::RenderFrame(TChartKey, int offsetX, int offsetY, bool monochrome)
{
    TRenderFrame f;
    f.MapX = m_mapX;
    f.MapY = m_mapY;
    f.MarginLeft = m_marginLeft;
    f.MarginTop = m_marginTop;
    f.OffsetX = offsetX;
    f.OffsetY = offsetY;
    f.AreaWidth = AreaWidth();
    f.AreaHeight = AreaHeight();
    f.Monochrome = monochrome;
    f.LineWidth = LineWidth();
    f.ChartColor = m_chartColor;
    f.ChartFrameColor = m_chartFrameColor;
    f.TextFontStyle = m_textFontStyle;
    f.TextBkStyle = m_textBkStyle;
    f.TextBkColor = m_textBkColor;
    f.ClassVisible = m_classVisible;
    f.LayerVisible = m_layerVisible;
    f.GridStyle = m_gridStyle;
    f.GridColor = m_gridColor;
    f.GridLayer = ActiveLayer();
    if (m_gridStyle != gsNone) GridPositionsOf(f.GridLayer, f.GridXs, f.GridYs);
    f.Store = m_list.Store();
    for (int j = 1; j <= kMaxTextLabels; ++j) f.Labels[std::size_t(j - 1)] = &TextLabel(j);
    // The events are looked up when the pass reaches them: a handler may assign the other one.
    f.BeforeItems = [this](TCanvas& canvas, int top, int left) {
        if (!OnBeforeRenderData) return false;
        OnBeforeRenderData(*this, canvas, top, left);
        return true;
    };
    f.AfterLabels = [this](TCanvas& canvas, int top, int left) {
        if (!OnDataRendered) return false;
        OnDataRendered(*this, canvas, top, left);
        return true;
    };
    return f;
}

void TCustomRChart::RenderFrameAndScales(TCanvas& canvas)
{
    const int w = width(), h = height();
    m_controlImage.SetSize(w, h);
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetMode(pmCopy);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(m_windColor);
    canvas.Pen().SetColor(m_windColor);
    // The data image covers the chart area once the scales are drawn, so only the frame around
    // it needs the window colour; the picture is the same as after filling the whole image.
    const int dw = AreaWidth() + 1, dh = AreaHeight() + 1;
    const int l = m_marginLeft, t = m_marginTop;
    if (dw > 0 && dh > 0 && l >= 0 && t >= 0 && l + dw <= w && t + dh <= h) {
        canvas.FillRect(TRect{0, 0, w, t});
        canvas.FillRect(TRect{0, t + dh, w, h});
        canvas.FillRect(TRect{0, t, l, t + dh});
        canvas.FillRect(TRect{l + dw, t, w, t + dh});
    } else {
        canvas.Rectangle(0, 0, w, h);
    }

    const int s = m_shadowWidth;
    if (s > 0) {
        canvas.Brush().SetColor(m_shadowBakColor);
        canvas.Pen().SetColor(m_shadowBakColor);
        canvas.Rectangle(w - s, 0, w, s);
        canvas.Rectangle(0, h - s, s, h);
        canvas.Brush().SetColor(m_shadowColor);
        int e;
        if (m_shadowStyle == ssFlying) {
            canvas.Pen().SetColor(m_shadowColor);
            e = s - 1;
        } else {
            canvas.Pen().SetColor(clBlack);
            e = 0;
        }
        canvas.Polygon({{e, h - s}, {s - 1, h - 1}, {w - 1, h - 1}, {w - s, h - s}});
        canvas.Polygon({{w - s, h - s}, {w - 1, h - 1}, {w - 1, s - 1}, {w - s, e}});
        canvas.Pen().SetColor(clBlack);
        canvas.Pen().SetStyle(psSolid);
        canvas.Polyline({{0, 0}, {w - s, 0}, {w - s, h - s}, {0, h - s}, {0, 0}});
    }

    canvas.Pen().SetColor(m_chartFrameColor);
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(m_font);

    if (!m_caption.empty()) {
        const int tw = canvas.TextWidth(m_caption);
        int x = m_captionPosX, y = m_captionPosY;
        switch (m_captionAnchorHoriz) {
        case cahControlLeft: break;
        case cahChartLeft: x += m_marginLeft; break;
        case cahChartCenter: x += m_marginLeft + AreaWidth() / 2; break;
        case cahChartRight: x += w - m_marginRight - m_shadowWidth; break;
        case cahControlRight: x += w; break;
        }
        switch (m_captionAnchorVert) {
        case cavControlTop: break;
        case cavChartTop: y += m_marginTop; break;
        case cavChartCenter: y += m_marginTop + AreaHeight() / 2; break;
        case cavChartBottom: y += h - m_marginBottom; break;
        case cavControlBottom: y += h; break;
        }
        if (m_captionAlignment == taRightJustify) x -= tw;
        if (m_captionAlignment == taCenter) x -= tw / 2;
        canvas.TextOut(x, y, m_caption);
    }

    RecalcTransforms();
    for (TScale* scale : m_scaleObjX) scale->RenderNow();
    for (TScale* scale : m_scaleObjY) scale->RenderNow();
    if (OnScalesRendered) OnScalesRendered(*this, canvas, 0, 0);
}

void TCustomRChart::SizeDataImage(int extra)
{
    m_dataImage.SetSize(std::max(AreaWidth() + extra, 0), std::max(AreaHeight() + extra, 0));
}

void TCustomRChart::RenderChartBackground(TChartKey, TCanvas& canvas, int offsetX, int offsetY)
{
    SizeDataImage(canvas.IsPrinter() ? 0 : 1);
    const int dw = m_dataImage.Width(), dh = m_dataImage.Height();
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetMode(pmCopy);
    canvas.Pen().SetWidth(1);
    // The last pass may have left the brush clear (hollow shapes, text without background,
    // transparent labels); the chart area is filled all the same.
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(m_chartColor);
    canvas.Pen().SetColor(m_chartFrameColor);
    if (dw == 0 || dh == 0) return;

    TBakGndImg& bkg = *m_backGroundImg;
    if (!bkg.Name().empty()) {
        if (!m_backgroundPicture.LoadFromFile(bkg.Name())) {
            // Forgotten quietly: the next repaints do not try again.
            canvas.Rectangle(offsetX, offsetY, offsetX + dw, offsetY + dh);
            bkg.ForgetName();
            return;
        }
        const int pw = m_backgroundPicture.Width(), ph = m_backgroundPicture.Height();
        switch (bkg.FillMode()) {
        case bfSimple:
            canvas.Rectangle(0, 0, dw, dh);
            canvas.Draw(0, 0, m_backgroundPicture);
            break;
        case bfStretch:
            canvas.StretchDraw(TRect{0, 0, dw, dh}, m_backgroundPicture);
            break;
        case bfTile:
            if (pw <= 0 || ph <= 0) break;
            for (int c = 0; c < (dw - 1) / pw + 1; ++c)
                for (int r = 0; r < (dh - 1) / ph + 1; ++r)
                    canvas.StretchDraw(TRect{pw * c, ph * r, pw * (c + 1), ph * (r + 1)}, m_backgroundPicture);
            break;
        }
        return;
    }

    canvas.Rectangle(offsetX, offsetY, offsetX + dw, offsetY + dh);
    if (bkg.AreaMode() == bamNone) return;
    canvas.Brush().SetColor(bkg.AreaColor());
    canvas.Pen().SetColor(bkg.AreaColor());
    int l, t, r, b;
    WorldToMouse(1, bkg.AreaLeft(), bkg.AreaTop(), l, t);
    WorldToMouse(1, bkg.AreaRight(), bkg.AreaBottom(), r, b);
    auto place = [](int v, int margin, int offset) { return std::clamp(v, -kDrawClamp, kDrawClamp) - margin + offset; };
    l = place(l, m_marginLeft, offsetX);
    r = place(r, m_marginLeft, offsetX);
    t = place(t, m_marginTop, offsetY);
    b = place(b, m_marginTop, offsetY);
    const int x0 = offsetX, x1 = offsetX + dw, y0 = offsetY, y1 = offsetY + dh;
    switch (bkg.AreaMode()) {
    case bamNone: break;
    case bamLeft: canvas.Rectangle(x0, y0, l, y1); break;
    case bamRight: canvas.Rectangle(r, y0, x1, y1); break;
    case bamTop: canvas.Rectangle(x0, y0, x1, t); break;
    case bamBottom: canvas.Rectangle(x0, b, x1, y1); break;
    case bamVStripe: canvas.Rectangle(l, y0, r, y1); break;
    case bamHStripe: canvas.Rectangle(x0, t, x1, b); break;
    case bamRect: canvas.Rectangle(l, t, r, b); break;
    }
}

void TCustomRChart::PresentImage(TChartKey, int x, int y, TCanvas& target, TBitmap& image)
{
    bool anyHair = false;
    for (const auto& hair : m_crossHairs) anyHair = anyHair || hair->Mode() != chOff;
    if (anyHair) {
        TCanvas& c = image.Canvas();
        const TColor color = c.Pen().Color();
        const int penWidth = c.Pen().Width();
        const TPenStyle style = c.Pen().Style();
        DrawCrossHairs(c, x, y);
        c.Pen().SetColor(color);
        c.Pen().SetWidth(penWidth);
        c.Pen().SetStyle(style);
    }
    target.Draw(x, y, image);
}

void TCustomRChart::paintEvent(QPaintEvent*)
{
    if (!m_screenFresh || m_screenImage.width() != width() || m_screenImage.height() != height()) {
        try {
            Paint();
        } catch (const std::exception&) {
            // An error of the picture (a logarithmic axis over non-positive values) has been
            // raised by the change that caused it; a window exposure keeps the last picture.
        }
    }
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
        PaintImageOnWidget(*this, m_screenImage);
        return;
    }
    QPainter painter(this);
    try {
        PaintDevicePicture(painter, ratio);
    } catch (const std::exception&) {
        painter.drawImage(QPoint(0, 0), m_screenImage);
    }
}

namespace {

TGridAxis AxisOf(const TScaleProps& props, const TScale& scale, double spacing)
{
    TGridAxis a;
    a.RangeLow = props.RangeLow();
    a.RangeHigh = props.RangeHigh();
    a.Logarithmic = props.Logarithmic();
    a.Spacing = spacing;
    for (int k = 1; k <= scale.NumTicks(); ++k) a.Ticks.push_back(scale.TickPosition(k));
    a.ScaleRangeLow = scale.RangeLow();
    a.ScaleRangeHigh = scale.RangeHigh();
    return a;
}

}  // namespace

void TCustomRChart::GridPositionsOf(int layer, std::vector<double>& xs, std::vector<double>& ys) const
{
    xs = GridPositions(AxisOf(ScalePropsX(layer), ScaleObjectX(layer), m_gridDx));
    ys = GridPositions(AxisOf(ScalePropsY(layer), ScaleObjectY(layer), m_gridDy));
}

// Crosshairs 1 to 4 on the image being presented, whose origin lies at control pixel (x0, y0).
// Hair lines stay inside the chart area, by half their width; the box form goes anywhere.
void TCustomRChart::DrawCrossHairs(TCanvas& canvas, int x0, int y0)
{
    const TColor penColor = canvas.Pen().Color();
    const int penWidth = canvas.Pen().Width();
    const TPenStyle penStyle = canvas.Pen().Style();
    const int r = width() - m_marginRight - m_shadowWidth;
    const int b = height() - m_marginBottom - m_shadowWidth;
    for (int k = 1; k <= kMaxCrossHairs; ++k) {
        const TCrossHair& ch = CrossHair(k);
        if (ch.Mode() == chOff) continue;
        int px = 0, py = 0;
        WorldToMouse(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
        px = NearPixel(px);
        py = NearPixel(py);
        canvas.Pen().SetColor(ch.Color());
        canvas.Pen().SetWidth(ch.LineWid());
        canvas.Pen().SetStyle(ch.LineType());
        canvas.Brush().SetColor(m_chartColor);
        const int half = ch.LineWid() / 2;
        if ((ch.Mode() == chHoriz || ch.Mode() == chBoth) && m_marginTop + half < py && py < b - half) {
            canvas.MoveTo(m_marginLeft + half + 1 - x0, py - y0);
            canvas.LineTo(r - half - x0, py - y0);
        }
        if ((ch.Mode() == chVert || ch.Mode() == chBoth) && m_marginLeft + half < px && px < r - half) {
            canvas.MoveTo(px - x0, m_marginTop + half + 1 - y0);
            canvas.LineTo(px - x0, b - half - y0);
        }
        if (ch.Mode() == chBox) {
            const int cx = px - x0, cy = py - y0;
            canvas.MoveTo(cx - 10, cy);
            canvas.LineTo(cx + 10, cy);
            canvas.MoveTo(cx, cy - 10);
            canvas.LineTo(cx, cy + 10);
            canvas.Brush().SetStyle(bsSolid);
            canvas.Rectangle(cx - 2, cy - 2, cx + 3, cy + 3);
        }
    }
    canvas.Pen().SetColor(penColor);
    canvas.Pen().SetWidth(penWidth);
    canvas.Pen().SetStyle(penStyle);
}
