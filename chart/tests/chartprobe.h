#pragma once
// The chart's test support: what the tests and benchmarks reach beyond the control's public face,
// through the TChartKey the chart gives its test support. The control's own code never includes
// this header.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "chart/glyphs.h"
#include "chart/render.h"
#include "platform/stamp.h"

class TChartProbe {
public:
    // The chart's paint passes and the images they paint into.
    static TBitmap& ControlImage(TCustomRChart& chart) { return chart.ControlImage(TChartKey()); }
    static TBitmap& DataImage(TCustomRChart& chart) { return chart.DataImage(TChartKey()); }
    static void RenderChartBackground(TCustomRChart& chart, TCanvas& canvas, int offsetX, int offsetY)
    {
        chart.RenderChartBackground(TChartKey(), canvas, offsetX, offsetY);
    }
    static void RenderData(TCustomRChart& chart, TCanvas& canvas, int offsetX, int offsetY, bool monochrome,
                           bool noGrid)
    {
        chart.RenderData(TChartKey(), canvas, offsetX, offsetY, monochrome, noGrid);
    }
    static TRenderFrame RenderFrame(TCustomRChart& chart, int offsetX, int offsetY, bool monochrome)
    {
        return chart.RenderFrame(TChartKey(), offsetX, offsetY, monochrome);
    }
    static void PresentImage(TCustomRChart& chart, int x, int y, TCanvas& target, TBitmap& image)
    {
        chart.PresentImage(TChartKey(), x, y, target, image);
    }
    // The display list to append to (no repaint follows).
    static TDisplayList& List(TCustomRChart& chart) { return chart.DisplayList(TChartKey()); }
    // Hands the points of every polyline `renderer` draws to `watcher`.
    static void WatchPolylines(TChartRenderer& renderer, std::function<void(const std::vector<TPoint>&)> watcher)
    {
        renderer.WatchPolylines(TChartKey(), std::move(watcher));
    }
};

// Appending the item kinds the chart's own operations do not append. Each appends one item on the
// ActiveLayer with the chart's DataColor, FillColor, PenStyle, LineWidth and ClassDefault, as
// AddMark does, and fills the fields its kind reads. Nothing is repainted.
inline TDisplayItem& AppendItem(TCustomRChart& chart, TItemKind kind, double x, double y)
{
    return TChartProbe::List(chart).Append(kind, x, y);
}
inline void AddLine(TCustomRChart& chart, double x1, double y1, double x2, double y2)
{
    TChartProbe::List(chart).AddLine(x1, y1, x2, y2);
}
inline void AddRect(TCustomRChart& chart, double x1, double y1, double x2, double y2, bool hollow = false)
{
    TChartProbe::List(chart).AddRect(x1, y1, x2, y2, hollow);
}
// frameStyle: 2 raised, 3 lowered, 4 and 5 double-line groove, others plain.
inline void AddRect3D(TCustomRChart& chart, double x1, double y1, double x2, double y2, TColor color2, TColor color3,
                      int frameStyle)
{
    TChartProbe::List(chart).AddRect3D(x1, y1, x2, y2, color2, color3, frameStyle);
}
// The depth face leans `angle` degrees from the x axis, `depth` pixels long.
inline void AddBar3D(TCustomRChart& chart, double x1, double y1, double x2, double y2, int depth, int angle)
{
    TChartProbe::List(chart).AddBar3D(x1, y1, x2, y2, depth, angle);
}
// Text of at most 17 bytes (longer texts are cut at a character boundary), `size` in points.
inline void AddText(TCustomRChart& chart, double x, double y, const std::string& text, int size,
                    TAlignment alignment = taLeftJustify)
{
    TChartProbe::List(chart).AddText(x, y, text, size, alignment);
}
inline void AddTextOffset(TCustomRChart& chart, double x, double y, int dx, int dy, const std::string& text, int size,
                          TAlignment alignment = taLeftJustify)
{
    TChartProbe::List(chart).AddTextOffset(x, y, dx, dy, text, size, alignment);
}
// Centre and radii in world units.
inline void AddEllipse(TCustomRChart& chart, double x, double y, double rx, double ry, bool hollow = false)
{
    TChartProbe::List(chart).AddEllipse(x, y, rx, ry, hollow);
}
inline void AddMoveRel(TCustomRChart& chart, int dx, int dy) { TChartProbe::List(chart).AddMoveRel(dx, dy); }
inline void AddLineRel(TCustomRChart& chart, int dx, int dy) { TChartProbe::List(chart).AddLineRel(dx, dy); }
// headSize: the length of the head's strokes in pixels, 0 for none; hollow: an open head.
inline void AddArrow(TCustomRChart& chart, double x1, double y1, double x2, double y2, int headSize,
                     bool hollow = false)
{
    TChartProbe::List(chart).AddArrow(x1, y1, x2, y2, headSize, hollow);
}
// Centre in world units, half-sizes in pixels.
inline void AddRectCentred(TCustomRChart& chart, double x, double y, int halfWidth, int halfHeight,
                           bool hollow = false)
{
    TChartProbe::List(chart).AddRectCentred(x, y, halfWidth, halfHeight, hollow);
}

// DrawMarkGlyph through a stamp where one applies, otherwise the general drawing: the way the
// renderer draws a single mark, for comparing the two.
inline void DrawMarkGlyphFast(TCanvas& canvas, std::uint8_t markKind, int x, int y)
{
    const TPixelStamp* stamp =
        TPixelStamp::CanvasTakes(canvas) ? TGlyphStamp::For(markKind, canvas.Pen().Mode()) : nullptr;
    if (stamp) stamp->Draw(canvas, x, y);
    else DrawMarkGlyph(canvas, markKind, x, y);
}
