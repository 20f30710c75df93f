// Text labels and crosshairs. A label is a block of caption lines placed by its anchor: the
// vertical alignment says whether the anchor is the block's top, middle or bottom, the horizontal
// one whether it is the left edge, the middle or the right edge; lines are aligned to each other
// the same way. The box reaches 4 pixels left and right of the block and 2 above and below.
#include "chart/labeldraw.h"

#include <algorithm>

#include "chart/chart.h"
#include "chart/textlabel.h"

namespace {

// Anchors are kept this far inside the int range, so the box arithmetic never overflows; a
// label this far out lies off every image anyway.
constexpr int kFarPixel = 100000000;

int Near(long long v) { return int(std::clamp<long long>(v, -kFarPixel, kFarPixel)); }

std::vector<std::string> SplitLines(const std::string& caption)
{
    std::vector<std::string> lines(1);
    for (char c : caption) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}

}  // namespace

TLabelLayout LayOutTextLabel(const TCanvas& canvas, const TCustomTextLabel& label, int x, int y)
{
    TLabelLayout l;
    x = Near(x);
    y = Near(y);
    l.Lines = SplitLines(label.Caption());
    const int n = int(l.Lines.size());
    std::vector<int> widths;
    for (const std::string& s : l.Lines) {
        widths.push_back(canvas.TextWidth(s));
        l.MaxWidth = std::max(l.MaxWidth, widths.back());
    }
    if (l.MaxWidth == 0) l.MaxWidth = canvas.TextWidth(label.Caption());
    l.LineHeight = canvas.TextHeight(label.Caption());
    const int h = l.LineHeight;
    switch (label.VerticalAlignment()) {
    case vaTop: y += h * n; break;
    case vaCenter: y += (h * n) / 2; break;
    case vaBottom: break;
    }
    if (label.Alignment() == taRightJustify) x -= l.MaxWidth;
    else if (label.Alignment() == taCenter) x -= l.MaxWidth / 2;
    l.Left = x;
    l.Bottom = y;
    l.Box = {x - 4, y - h * n - 2, x + l.MaxWidth + 4, y + 2};
    for (int k = 0; k < n; ++k) {
        int shift = 0;
        if (label.Alignment() == taRightJustify) shift = l.MaxWidth - widths[std::size_t(k)];
        else if (label.Alignment() == taCenter) shift = (l.MaxWidth - widths[std::size_t(k)]) / 2;
        l.LineOrigins.push_back({x + shift, y - h * (n - k)});
    }
    return l;
}

void DrawTextLabel(TCanvas& canvas, const TCustomTextLabel& label, int x, int y)
{
    canvas.Font().Assign(label.Font());
    canvas.Pen().SetColor(label.ColorBorder());
    canvas.Pen().SetStyle(psSolid);
    canvas.Brush().SetColor(label.ColorBkg());
    canvas.Brush().SetStyle(label.Transparent() ? bsClear : bsSolid);
    const TLabelLayout l = LayOutTextLabel(canvas, label, x, y);
    const TRect& box = l.Box;
    switch (label.Mode()) {
    case tlsimple:
        if (!label.Transparent()) {
            canvas.Pen().SetColor(label.ColorBkg());
            canvas.Rectangle(box);
        }
        break;
    case tlBox:
        canvas.Rectangle(box);
        break;
    case tlUnderline:
        if (!label.Transparent()) {
            canvas.Pen().SetColor(label.ColorBkg());
            canvas.Rectangle(box);
        }
        canvas.Pen().SetColor(label.ColorBorder());
        canvas.MoveTo(l.Left, l.Bottom);
        canvas.LineTo(l.Left + l.MaxWidth, l.Bottom);
        break;
    case tlShadow:
        // Assigning a brush colour makes the brush solid: both boxes are filled, also on a
        // transparent label.
        canvas.Pen().SetColor(label.ColorShadow());
        canvas.Brush().SetColor(label.ColorShadow());
        canvas.Brush().SetStyle(bsSolid);
        canvas.Rectangle(box.Left + label.ShadowDx(), box.Top + label.ShadowDy(), box.Right + label.ShadowDx(),
                         box.Bottom + label.ShadowDy());
        canvas.Pen().SetColor(label.ColorBorder());
        canvas.Brush().SetColor(label.ColorBkg());
        canvas.Rectangle(box);
        break;
    case tlOff: return;
    }
    for (std::size_t k = 0; k < l.Lines.size(); ++k)
        canvas.TextOut(l.LineOrigins[k].X, l.LineOrigins[k].Y, l.Lines[k]);
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
        px = Near(px);
        py = Near(py);
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
