// Text labels and crosshairs. A label is a block of caption lines placed by its anchor: the
// vertical alignment says whether the anchor is the block's top, middle or bottom, the horizontal
// one whether it is the left edge, the middle or the right edge; lines are aligned to each other
// the same way. The box reaches 4 pixels left and right of the block and 2 above and below.
#include "chart/labeldraw.h"

#include <algorithm>

#include "chart/textlabel.h"

int NearPixel(long long v)
{
    // A pixel this far out lies off every image anyway.
    constexpr long long kFarPixel = 100000000;
    return int(std::clamp<long long>(v, -kFarPixel, kFarPixel));
}

namespace {

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
    x = NearPixel(x);
    y = NearPixel(y);
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
