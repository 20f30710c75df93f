// The data-area pass, a replay of a frame value. In order: the frame's BeforeItems hook (the
// chart's OnBeforeRenderData), the grid, every visible item, the text labels from 30 down to 1,
// the AfterLabels hook (OnDataRendered) and the frame line.
//
// Item positions: the axis maps of the item's layer give control pixels, which are clamped to
// +-kDrawClamp and moved to the canvas (minus the margins, plus the pass's offsets). Kinds with
// pixel offsets add them before the clamp.
//
// Line-to chains are batched: the pending polyline starts at the current point P (the last
// move-to, the end of the previous chain, or the data area's top-left corner) and is drawn when
// it reaches 200 points, when the next item is of another kind, or when colour, pen style, fill
// colour or pen width change; a full batch hands its last point on as the first of the next, so
// the chain has no gaps.
//
// Marks take the glyph stamps: for a run of marks with a plain one-pixel pen the pass finds the
// centres and hands them to the stamp, which stores the pixels exactly as the general glyph
// drawing would.
#include "chart/render.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

#include "chart/glyphs.h"
#include "chart/grid.h"
#include "chart/labeldraw.h"
#include "common/mathutil.h"
#include "platform/colors.h"
#include "platform/cpu.h"
#include "platform/stamp.h"

namespace {

// Fill colour of filled kinds in monochrome passes.
constexpr TColor kMonochromeFill = clSilver;
// The head strokes of an arrow stand this far from its shaft.
constexpr double kArrowHeadAngle = 0.3490658503988659;  // 20 degrees
// Font sizes of text items beyond this many points are cut to it: a hostile size would make the
// font machinery build glyphs of gigantic size.
constexpr int kMaxTextPoints = 1000;
// Polygons whose extent exceeds this many pixels are first cut to a band around the image: the
// canvas fills polygons through a mask as large as the polygon.
constexpr int kPolygonClipExtent = 4096;
constexpr int kPolygonClipMargin = 16;
// How many items ahead the mark loop asks the memory for.
constexpr int kPrefetchAhead = 32;
// Below this many marks a run never remembers where it stamped.
constexpr int kSkipRepeatsFrom = 256;
// From this many marks a run goes to a canvas's mirror as one layer.
constexpr int kMirrorLayerFrom = 20000;

int ClampPixel(long long v)
{
    return int(std::clamp<long long>(v, -TChartRenderer::kPixelLimit, TChartRenderer::kPixelLimit));
}

// Sutherland-Hodgman clipping of a polygon against one half-plane.
template <class Inside, class Cut>
std::vector<TPoint> ClipEdge(const std::vector<TPoint>& in, Inside inside, Cut cut)
{
    std::vector<TPoint> out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const TPoint p = in[i], q = in[(i + 1) % in.size()];
        const bool pin = inside(p), qin = inside(q);
        if (pin) out.push_back(p);
        if (pin != qin) out.push_back(cut(p, q));
    }
    return out;
}

TPoint CutAtX(TPoint p, TPoint q, int x)
{
    const double t = double(x - p.X) / double(q.X - p.X);
    return {x, RoundToInt(p.Y + t * (q.Y - p.Y))};
}

TPoint CutAtY(TPoint p, TPoint q, int y)
{
    const double t = double(y - p.Y) / double(q.Y - p.Y);
    return {RoundToInt(p.X + t * (q.X - p.X)), y};
}

std::vector<TPoint> ClipPolygon(std::vector<TPoint> pts, const TRect& r)
{
    pts = ClipEdge(pts, [&](TPoint p) { return p.X >= r.Left; }, [&](TPoint p, TPoint q) { return CutAtX(p, q, r.Left); });
    pts = ClipEdge(pts, [&](TPoint p) { return p.X <= r.Right; }, [&](TPoint p, TPoint q) { return CutAtX(p, q, r.Right); });
    pts = ClipEdge(pts, [&](TPoint p) { return p.Y >= r.Top; }, [&](TPoint p, TPoint q) { return CutAtY(p, q, r.Top); });
    pts = ClipEdge(pts, [&](TPoint p) { return p.Y <= r.Bottom; }, [&](TPoint p, TPoint q) { return CutAtY(p, q, r.Bottom); });
    return pts;
}

}  // namespace

TChartRenderer::TChartRenderer(TRenderFrame frame, TCanvas& canvas) : m_frame(std::move(frame)), m_canvas(canvas)
{
}

void TChartRenderer::Run(bool noGrid)
{
    const TRenderFrame& f = m_frame;
    const int top = f.MarginTop - f.OffsetY, left = f.MarginLeft - f.OffsetX;
    if (f.BeforeItems) {
        const TColor brush = m_canvas.Brush().Color(), pen = m_canvas.Pen().Color();
        if (f.BeforeItems(m_canvas, top, left)) {
            m_canvas.Brush().SetColor(brush);
            m_canvas.Pen().SetColor(pen);
        }
    }
    if (f.GridStyle != gsNone && !noGrid) DrawGrid();

    m_penWidth = f.LineWidth;
    m_canvas.Pen().SetWidth(m_penWidth);
    m_current = {f.OffsetX, f.OffsetY};
    m_canvas.MoveTo(m_current.X, m_current.Y);
    m_penColor = f.ChartColor;
    m_canvas.Pen().SetColor(m_penColor);
    m_penStyle = psSolid;
    m_canvas.Pen().SetStyle(m_penStyle);
    m_brushColor = f.ChartColor;
    m_canvas.Brush().SetColor(m_brushColor);
    m_fontColor = f.ChartColor;

    DrawItems();
    Flush();
    m_penWidth = 1;
    m_canvas.Pen().SetWidth(1);

    DrawLabels();
    if (f.AfterLabels) f.AfterLabels(m_canvas, top, left);
    DrawFrame();
}

// ---- the grid ----

void TChartRenderer::DrawGrid()
{
    const TRenderFrame& f = m_frame;
    const TAxisMap& mapX = f.MapXOf(f.GridLayer);
    const TAxisMap& mapY = f.MapYOf(f.GridLayer);
    // Grid positions lie inside the axis ranges; the clamp only keeps a broken map from handing
    // the canvas a line millions of pixels long.
    auto place = [](int v) { return std::clamp(v, -kDrawClamp, kDrawClamp); };
    auto pixel = [&](double x, double y) {
        return TPoint{place(mapX.ToPixel(x)) - f.MarginLeft + f.OffsetX, place(mapY.ToPixel(y)) - f.MarginTop + f.OffsetY};
    };
    m_canvas.Pen().SetColor(f.GridColor);
    m_canvas.Brush().SetColor(f.ChartColor);
    const GridStyleType style = f.GridStyle;
    if (style == gsPoints) {
        int dots = 0;
        for (double x : f.GridXs)
            for (double y : f.GridYs) {
                if (dots++ >= kMaxGridDots) return;
                const TPoint p = pixel(x, y);
                m_canvas.SetPixel(p.X, p.Y, f.GridColor);
            }
        return;
    }
    const bool dotted = style == gsHorizDotLines || style == gsVertDotLines || style == gsDotLines;
    m_canvas.Pen().SetStyle(dotted ? psDot : psSolid);
    if (style == gsVertLines || style == gsVertDotLines || style == gsLines || style == gsDotLines)
        for (double x : f.GridXs) {
            const TPoint a = pixel(x, mapY.Low()), b = pixel(x, mapY.High());
            m_canvas.MoveTo(a.X, a.Y);
            m_canvas.LineTo(b.X, b.Y);
        }
    if (style == gsHorizLines || style == gsHorizDotLines || style == gsLines || style == gsDotLines)
        for (double y : f.GridYs) {
            const TPoint a = pixel(mapX.Low(), y), b = pixel(mapX.High(), y);
            m_canvas.MoveTo(a.X, a.Y);
            m_canvas.LineTo(b.X, b.Y);
        }
    if (dotted) m_canvas.Pen().SetStyle(psSolid);
}

// ---- attributes ----

void TChartRenderer::PenColor(TColor c)
{
    if (c == m_penColor) return;
    m_penColor = c;
    m_canvas.Pen().SetColor(c);
}

// A new width ends the pending polyline, which is drawn with the old one.
void TChartRenderer::PenWidth(int w)
{
    if (w == m_penWidth) return;
    Flush();
    m_penWidth = w;
    m_canvas.Pen().SetWidth(w);
}

void TChartRenderer::PenStyle(TPenStyle s)
{
    if (s == m_penStyle) return;
    m_penStyle = s;
    m_canvas.Pen().SetStyle(s);
}

void TChartRenderer::BrushColor(TColor c)
{
    if (c == m_brushColor) return;
    m_brushColor = c;
    m_canvas.Brush().SetColor(c);
}

void TChartRenderer::FontColor(TColor c)
{
    if (c == m_fontColor) return;
    m_fontColor = c;
    m_canvas.Font().SetColor(c);
}

void TChartRenderer::ShapeAttributes(const TDisplayItem& item, TColor outline)
{
    PenColor(outline);
    BrushColor(m_frame.Monochrome ? kMonochromeFill : item.FillColor);
    PenStyle(item.PenStyle);
    m_canvas.Brush().SetStyle(item.Hollow ? bsClear : bsSolid);
}

// ---- positions ----

TPoint TChartRenderer::ToCanvas(long long px, long long py) const
{
    return {ClampPixel(px) - m_frame.MarginLeft + m_frame.OffsetX, ClampPixel(py) - m_frame.MarginTop + m_frame.OffsetY};
}

// The control pixel of a world point, as WorldToMouse gives it.
void TChartRenderer::ControlPixel(int layer, double x, double y, int& px, int& py) const
{
    const TAxisMap& mx = m_frame.MapXOf(layer);
    const TAxisMap& my = m_frame.MapYOf(layer);
    if (!mx.FastToPixel(x, px)) px = mx.ToPixel(x);
    if (!my.FastToPixel(y, py)) py = my.ToPixel(y);
}

// The canvas position of a world point of `layer`, moved by (dx, dy) pixels before the clamp.
TPoint TChartRenderer::Pixel(int layer, double x, double y, double dx, double dy) const
{
    int px = 0, py = 0;
    ControlPixel(layer, x, y, px, py);
    return ToCanvas(px + (long long)RoundToInt(dx), py + (long long)RoundToInt(dy));
}

// Makes the far edges of a rectangle a-b include their corner pixel.
void TChartRenderer::Enlarge(TPoint& a, TPoint& b) const
{
    (a.X >= b.X ? a.X : b.X) += 1;
    (a.Y >= b.Y ? a.Y : b.Y) += 1;
}

// ---- the pending polyline ----

void TChartRenderer::AddPoint(TPoint q)
{
    if (m_pending.empty()) m_pending.push_back(m_current);
    m_pending.push_back(q);
    if (int(m_pending.size()) == kMaxPolylinePoints) {
        Flush();
        m_pending.push_back(q);
    }
}

void TChartRenderer::Flush()
{
    if (m_pending.empty()) return;
    // A lone point is the joint a full batch handed on: it was drawn with that batch.
    if (m_pending.size() > 1) {
        if (m_polylineWatcher) m_polylineWatcher(m_pending);
        m_canvas.Polyline(m_pending);
    }
    m_current = m_pending.back();
    m_canvas.MoveTo(m_current.X, m_current.Y);
    m_pending.clear();
}

// ---- items ----

const TPixelStamp* TChartRenderer::StampFor(std::uint8_t markKind)
{
    if (markKind >= 52) return nullptr;
    if (!m_stampLooked[markKind]) {
        m_stamps[markKind] = TGlyphStamp::For(markKind, m_canvas.Pen().Mode());
        m_stampLooked[markKind] = true;
    }
    return m_stamps[markKind];
}

void TChartRenderer::DrawItems()
{
    if (!m_frame.Store) {
        DrawItemSpan(m_frame.Items.data(), int(m_frame.Items.size()));
        return;
    }
    for (const TItemStore::TSegment& segment : m_frame.Store->Segments()) {
        if (segment.Marks)
            DrawMarkRunOf(segment.Run);
        else
            DrawItemSpan(segment.Slots.data(), segment.Used);
    }
}

// A run of marks of one look, block by block: what a run of item records of that look draws.
void TChartRenderer::DrawMarkRunOf(const TItemStore::TMarkRun& run)
{
    const TDisplayItem& look = run.Look;
    if (run.Count == 0 || !m_frame.ClassVisible[look.ItemClass] || !m_frame.ShowsLayer(look.Layer)) return;
    PenWidth(look.LineWidth);
    std::vector<TMarkBlock> blocks;
    for (int k = 0; k < run.Count; k += TItemStore::kBlockMarks)
        blocks.push_back({run.XY(k), 2, std::min(TItemStore::kBlockMarks, run.Count - k)});
    DrawMarks(look, blocks);
}

void TChartRenderer::DrawItemSpan(const TDisplayItem* items, int count)
{
    if (!items) return;
    for (int i = 0; i < count; ++i) {
        const TDisplayItem& item = items[i];
        if (!m_frame.ClassVisible[item.ItemClass] || !m_frame.ShowsLayer(item.Layer)) continue;
        PenWidth(item.LineWidth);
        if (item.Kind == ikMark) DrawMarkRun(items, i, count);
        else DrawItem(item);
    }
}

namespace {

// The canvas pixel of a mark at (xy[0], xy[1]) on the maps of its layer, in one loop with its
// caller.
KALMIRA_INLINE TPoint MarkCentre(const TRenderFrame& f, const TAxisMap& mx, const TAxisMap& my, const double* xy)
{
    int px, py;
    if (!TAxisMap::FastToPixelPair(mx, my, xy, px, py)) {
        px = mx.ToPixel(xy[0]);
        py = my.ToPixel(xy[1]);
    }
    return {std::clamp(px, -TChartRenderer::kPixelLimit, TChartRenderer::kPixelLimit) + f.OffsetX - f.MarginLeft,
            std::clamp(py, -TChartRenderer::kPixelLimit, TChartRenderer::kPixelLimit) + f.OffsetY - f.MarginTop};
}

// One mark the quick way cannot place, out of the collecting loop.
[[gnu::noinline]] void PutOne(TPixelStamp::TStampRun& run, const TRenderFrame& f, const TAxisMap& mx, const TAxisMap& my,
                              const double* xy)
{
    run.Put(MarkCentre(f, mx, my, xy));
}

// The places of `count` packed marks at xy on linear maps, collected by the run; only the marks
// the quick way cannot place (near a half pixel, clipped) go one by one. A function of its own, so
// that its loop keeps every counter in a register.
[[gnu::noinline]] void CollectMarks(TPixelStamp::TStampRun& run, const TRenderFrame& f, const TAxisMap& mx,
                                    const TAxisMap& my, const cpu::TPlaceArea& area, const double* xy, int count)
{
    TAxisMap::FastCollect(
        mx, my, xy, count, area, [&](std::int32_t place) { run.Collect(place); },
        [&](int k) { PutOne(run, f, mx, my, xy + 2 * k); });
}

}  // namespace

// Marks from item i on, as long as they are visible marks of one layer with the same pen; i ends
// on the last mark of the run. Where the canvas takes stamps, the run is found and drawn in one
// pass, so the items are read once.
void TChartRenderer::DrawMarkRun(const TDisplayItem* items, int& i, int count)
{
    const TDisplayItem& first = items[i];
    const auto joins = [&](const TDisplayItem& next) {
        return next.Kind == ikMark && next.MarkKind == first.MarkKind && next.Layer == first.Layer &&
               next.Color == first.Color && next.PenStyle == first.PenStyle && next.LineWidth == first.LineWidth &&
               m_frame.ClassVisible[next.ItemClass];
    };
    Flush();
    PenColor(m_frame.Monochrome ? clBlack : first.Color);
    PenStyle(first.PenStyle);
    if (const TPixelStamp* stamp = TPixelStamp::CanvasTakes(m_canvas) ? StampFor(first.MarkKind) : nullptr) {
        const TAxisMap& mx = m_frame.MapXOf(first.Layer);
        const TAxisMap& my = m_frame.MapYOf(first.Layer);
        TPixelStamp::TStampRun run(*stamp, m_canvas, Repeats(count - i, false));
        int j = i;
        for (;; ++j) {
            // The list is read front to back; asking for items a little ahead hides memory latency.
            if (j + kPrefetchAhead < count) cpu::Prefetch(&items[j + kPrefetchAhead]);
            run.Put(MarkCentre(m_frame, mx, my, &items[j].X1));
            if (j + 1 >= count || !joins(items[j + 1])) break;
        }
        run.Finish();
        i = j;
        return;
    }
    int last = i;
    while (last + 1 < count && joins(items[last + 1])) ++last;
    static_assert(sizeof(TDisplayItem) % sizeof(double) == 0 && offsetof(TDisplayItem, Y1) == offsetof(TDisplayItem, X1) + sizeof(double));
    const TMarkBlock block{&first.X1, std::ptrdiff_t(sizeof(TDisplayItem) / sizeof(double)), last - i + 1};
    DrawMarks(first, {&block, 1});
    i = last;
}

// Whether a run of (at most) `count` marks remembers its places: where the marks are few against
// the canvas's pixels, few of them share a pixel and the bookkeeping costs more than it saves.
// Packed coordinates collect their places two at a time, which pays from a sixteenth of the pixels
// on; marks one by one skip repeated places from half of them on.
TStampRepeats TChartRenderer::Repeats(std::int64_t count, bool packed) const
{
    const QImage& image = m_canvas.Image();
    const std::int64_t pixels = std::int64_t(image.width()) * image.height();
    if (count < std::max<std::int64_t>(kSkipRepeatsFrom, packed ? pixels / 16 : pixels / 2))
        return rpEvery;
    return packed ? rpCollect : rpSkip;
}

// Marks that look like `look` (kind, layer, colour, pen), block after block. With a stamp the
// pass only finds the centres and hands each to the stamp's run, whose inline stores keep it one
// loop.
void TChartRenderer::DrawMarks(const TDisplayItem& look, std::span<const TMarkBlock> blocks)
{
    Flush();
    const TColor color = m_frame.Monochrome ? clBlack : look.Color;
    PenColor(color);
    PenStyle(look.PenStyle);
    std::int64_t count = 0;
    for (const TMarkBlock& b : blocks) count += b.Count;
    const TPixelStamp* stamp = TPixelStamp::CanvasTakes(m_canvas) ? StampFor(look.MarkKind) : nullptr;
    // A canvas with a mirror (a picture at another resolution) takes its figures one by one; a
    // long run instead goes to the mirror as one layer of stamped marks, enlarged as the image
    // pixels are: figure by figure, a million marks would take seconds.
    std::optional<QImage> layer;
    std::optional<TCanvas> layerCanvas;
    if (!stamp && m_canvas.Mirror() && count >= kMirrorLayerFrom && m_canvas.Pen().Mode() == pmCopy &&
        TPixelStamp::ImageTakes(m_canvas)) {
        stamp = StampFor(look.MarkKind);
        if (stamp) {
            layer.emplace(m_canvas.Image().size(), QImage::Format_ARGB32);
            layer->fill(0u);
            layerCanvas.emplace(&*layer);
            layerCanvas->Pen().SetColor(m_canvas.Pen().Color());
            if (m_canvas.HasClipRect()) layerCanvas->SetClipRect(m_canvas.ClipRect());
        }
    }
    if (!stamp) {
        for (const TMarkBlock& b : blocks)
            for (int k = 0; k < b.Count; ++k) {
                const double* at = b.XY + k * b.Stride;
                const TPoint p = Pixel(look.Layer, at[0], at[1]);
                DrawMarkGlyph(m_canvas, look.MarkKind, p.X, p.Y);
            }
        return;
    }
    const TAxisMap& mx = m_frame.MapXOf(look.Layer);
    const TAxisMap& my = m_frame.MapYOf(look.Layer);
    // Long runs do not stamp a place twice (many marks share a pixel).
    TPixelStamp::TStampRun run(*stamp, m_canvas, Repeats(count, true));
    std::optional<TPixelStamp::TStampRun> layerRun;
    if (layerCanvas) layerRun.emplace(*stamp, *layerCanvas);
    // Packed coordinates on linear maps have their places collected two at a time, within
    // the pixels MarkCentre's clamp leaves as they are.
    const bool collect = run.Collects() && !layerRun && TAxisMap::BothFast(mx, my);
    const cpu::TPlaceArea area =
        run.CollectArea(m_frame.OffsetX - m_frame.MarginLeft, m_frame.OffsetY - m_frame.MarginTop, kPixelLimit);
    for (const TMarkBlock& b : blocks) {
        const double* xy = b.XY;
        const std::ptrdiff_t stride = b.Stride;
        if (collect && stride == 2 && b.Count > 0) {
            CollectMarks(run, m_frame, mx, my, area, xy, b.Count);
            run.SetLast(MarkCentre(m_frame, mx, my, xy + 2 * (b.Count - 1)));
            continue;
        }
        for (int k = 0; k < b.Count; ++k) {
            const double* at = xy + k * stride;
            // The marks are read front to back; asking for marks a little ahead hides memory latency.
            if (k + kPrefetchAhead < b.Count) cpu::Prefetch(at + kPrefetchAhead * stride);
            const TPoint centre = MarkCentre(m_frame, mx, my, at);
            run.Put(centre);
            if (layerRun) layerRun->Put(centre);
        }
    }
    run.Finish();
    if (layer) m_canvas.MirrorOnly(0, 0, *layer);
}

void TChartRenderer::DrawItem(const TDisplayItem& item)
{
    const TColor color = m_frame.Monochrome ? clBlack : item.Color;
    const TColor fill = m_frame.Monochrome ? kMonochromeFill : item.FillColor;
    switch (item.Kind) {
    case ikLine: {
        Flush();
        PenColor(color);
        PenStyle(item.PenStyle);
        BrushColor(item.FillColor);
        const TPoint a = Pixel(item.Layer, item.X1, item.Y1), b = Pixel(item.Layer, item.X2, item.Y2);
        if (a == b) {
            m_canvas.SetPixel(a.X, a.Y, color);
        } else {
            m_canvas.MoveTo(a.X, a.Y);
            m_canvas.LineTo(b.X, b.Y);
        }
        break;
    }
    case ikLineTo: {
        const TPoint q = Pixel(item.Layer, item.X1, item.Y1);
        if (color != m_penColor || item.PenStyle != m_penStyle || item.FillColor != m_brushColor) {
            Flush();
            PenColor(color);
            PenStyle(item.PenStyle);
            BrushColor(item.FillColor);
        }
        AddPoint(q);
        break;
    }
    case ikRect:
    case ikRectCentred: {
        Flush();
        ShapeAttributes(item, color);
        TPoint a, b;
        if (item.Kind == ikRect) {
            a = Pixel(item.Layer, item.X1, item.Y1);
            b = Pixel(item.Layer, item.X2, item.Y2);
        } else {
            int cx = 0, cy = 0;
            ControlPixel(item.Layer, item.X1, item.Y1, cx, cy);
            const long long hx = RoundToInt(item.X2), hy = RoundToInt(item.Y2);
            a = ToCanvas(cx - hx, cy - hy);
            b = ToCanvas(cx + hx, cy + hy);
        }
        if (a == b) {
            m_canvas.SetPixel(a.X, a.Y, color);
        } else {
            Enlarge(a, b);
            m_canvas.Rectangle(a.X, a.Y, b.X, b.Y);
        }
        break;
    }
    case ikRect3D:
        Flush();
        DrawRect3D(item, Pixel(item.Layer, item.X1, item.Y1), Pixel(item.Layer, item.X2, item.Y2), fill);
        break;
    case ikBar3D:
        Flush();
        DrawBar3D(item, Pixel(item.Layer, item.X1, item.Y1), Pixel(item.Layer, item.X2, item.Y2), color, fill);
        break;
    case ikText:
        Flush();
        DrawText(item, Pixel(item.Layer, item.X1, item.Y1), color);
        break;
    case ikTextOffset:
        Flush();
        DrawText(item, Pixel(item.Layer, item.X1, item.Y1, item.X2, item.Y2), color);
        break;
    case ikMoveTo: {
        const TPoint p = Pixel(item.Layer, item.X1, item.Y1);
        Flush();
        m_current = p;
        m_canvas.MoveTo(p.X, p.Y);
        break;
    }
    case ikEllipse: {
        Flush();
        ShapeAttributes(item, color);
        TPoint a = Pixel(item.Layer, item.X1 - item.X2, item.Y1 + item.Y2);
        TPoint b = Pixel(item.Layer, item.X1 + item.X2, item.Y1 - item.Y2);
        if (a == b) {
            m_canvas.SetPixel(a.X, a.Y, color);
        } else {
            Enlarge(a, b);
            m_canvas.Ellipse(a.X, a.Y, b.X, b.Y);
        }
        break;
    }
    case ikMoveRel:
    case ikLineRel: {
        Flush();
        const TPoint pos = m_canvas.PenPos();
        // Relative steps stay within the item clamp, so a chain of them cannot run away.
        const TPoint q{ClampPixel(pos.X + (long long)RoundToInt(item.X1)),
                       ClampPixel(pos.Y + (long long)RoundToInt(item.Y1))};
        if (item.Kind == ikMoveRel) {
            m_current = q;
            m_canvas.MoveTo(q.X, q.Y);
            break;
        }
        PenColor(color);
        PenStyle(item.PenStyle);
        BrushColor(item.FillColor);
        m_canvas.LineTo(q.X, q.Y);
        m_canvas.SetPixel(q.X, q.Y, color);
        break;
    }
    case ikArrow:
        Flush();
        DrawArrow(item, Pixel(item.Layer, item.X1, item.Y1), Pixel(item.Layer, item.X2, item.Y2), color, fill);
        break;
    default: break;  // kinds without a meaning draw nothing
    }
}

void TChartRenderer::DrawText(const TDisplayItem& item, TPoint p, TColor color)
{
    FontColor(color);
    m_canvas.Font().SetStyle(m_frame.TextFontStyle);
    m_canvas.Font().SetSize(std::clamp(item.Size, -kMaxTextPoints, kMaxTextPoints));
    BrushColor(m_frame.TextBkColor);
    m_canvas.Brush().SetStyle(m_frame.TextBkStyle == tbSolid ? bsSolid : bsClear);
    const std::string text(item.Text, strnlen(item.Text, sizeof item.Text));
    const int w = m_canvas.TextWidth(text), h = m_canvas.TextHeight(text);
    p.Y -= h / 2;
    if (item.MarkKind == taRightJustify) p.X -= w;
    else if (item.MarkKind == taCenter) p.X -= w / 2;
    m_canvas.TextOut(p.X, p.Y, text);
}

void TChartRenderer::DrawRect3D(const TDisplayItem& item, TPoint a, TPoint b, TColor fill)
{
    PenColor(fill);
    BrushColor(fill);
    m_canvas.Brush().SetStyle(bsSolid);
    PenStyle(item.PenStyle);
    // a bottom-left, b top-right
    const TPoint bl{std::min(a.X, b.X), std::max(a.Y, b.Y)}, tr{std::max(a.X, b.X), std::min(a.Y, b.Y)};
    a = bl;
    b = tr;
    if (a == b) {
        m_canvas.SetPixel(a.X, a.Y, fill);
        return;
    }
    m_canvas.Rectangle(a.X, a.Y, b.X, b.Y);
    TColor first = item.Color2, second = item.Color3;
    switch (item.FrameStyle3D) {
    case 3: std::swap(first, second); [[fallthrough]];
    case 2:
        PenColor(first);
        m_canvas.MoveTo(a.X, a.Y);
        m_canvas.LineTo(a.X, b.Y);
        m_canvas.LineTo(b.X, b.Y);
        PenColor(second);
        m_canvas.LineTo(b.X, a.Y);
        m_canvas.LineTo(a.X, a.Y);
        break;
    case 5: std::swap(first, second); [[fallthrough]];
    case 4:
        PenColor(first);
        m_canvas.MoveTo(a.X + 1, a.Y);
        m_canvas.LineTo(a.X + 1, b.Y + 1);
        m_canvas.LineTo(b.X, b.Y + 1);
        m_canvas.LineTo(b.X, a.Y);
        m_canvas.LineTo(a.X + 1, a.Y);
        PenColor(second);
        m_canvas.MoveTo(a.X, a.Y - 1);
        m_canvas.LineTo(a.X, b.Y);
        m_canvas.LineTo(b.X - 1, b.Y);
        m_canvas.LineTo(b.X - 1, a.Y - 1);
        m_canvas.LineTo(a.X, a.Y - 1);
        break;
    default: break;
    }
}

void TChartRenderer::DrawBar3D(const TDisplayItem& item, TPoint a, TPoint b, TColor outline, TColor fill)
{
    PenColor(outline);
    BrushColor(fill);
    m_canvas.Brush().SetStyle(bsSolid);
    PenStyle(item.PenStyle);
    // a top-left, b bottom-right
    const TPoint tl{std::min(a.X, b.X), std::min(a.Y, b.Y)}, br{std::max(a.X, b.X), std::max(a.Y, b.Y)};
    a = tl;
    b = br;
    const double angle = item.Size * std::numbers::pi / 180.0;
    // The depth offsets join the item clamp, so a hostile depth stays within the drawing range.
    const int limit = 2 * kPixelLimit;
    const int dx = std::clamp(RoundToInt(std::cos(angle) * item.Depth), -limit, limit);
    const int dy = std::clamp(-RoundToInt(std::sin(angle) * item.Depth), -limit, limit);
    if (item.Size > 90) std::swap(a.X, b.X);
    Polygon({{a.X, a.Y}, {a.X + dx, a.Y + dy}, {b.X + dx, a.Y + dy}, {b.X, a.Y}});
    Polygon({{b.X + dx, a.Y + dy}, {b.X, a.Y}, {b.X, b.Y}, {b.X + dx, b.Y + dy}});
    Enlarge(a, b);
    m_canvas.Rectangle(a.X, a.Y, b.X, b.Y);
}

void TChartRenderer::DrawArrow(const TDisplayItem& item, TPoint a, TPoint b, TColor outline, TColor)
{
    ShapeAttributes(item, outline);
    if (a == b) {
        m_canvas.SetPixel(a.X, a.Y, outline);
        return;
    }
    m_canvas.MoveTo(a.X, a.Y);
    m_canvas.LineTo(b.X, b.Y);
    if (item.Size < 1) return;
    const double pi = std::numbers::pi;
    double theta;
    if (a.X == b.X) theta = b.Y > a.Y ? pi : 2 * pi;
    else theta = std::atan(double(b.Y - a.Y) / double(b.X - a.X)) + (b.X < a.X ? 3 * pi / 2 : pi / 2);
    const double size = item.Size;
    auto head = [&](double t) {
        return TPoint{ClampPixel(b.X - (long long)RoundToInt(std::sin(t) * size)),
                      ClampPixel(b.Y + (long long)RoundToInt(std::cos(t) * size))};
    };
    const TPoint e1 = head(theta + kArrowHeadAngle), e2 = head(theta - kArrowHeadAngle);
    if (item.Hollow) {
        m_canvas.LineTo(e1.X, e1.Y);
        m_canvas.MoveTo(b.X, b.Y);
        m_canvas.LineTo(e2.X, e2.Y);
    } else {
        Polygon({b, e1, e2});
    }
}

void TChartRenderer::Polygon(std::vector<TPoint> points)
{
    int left = points[0].X, right = left, top = points[0].Y, bottom = top;
    for (const TPoint& p : points) {
        left = std::min(left, p.X); right = std::max(right, p.X);
        top = std::min(top, p.Y); bottom = std::max(bottom, p.Y);
    }
    if (right - left > kPolygonClipExtent || bottom - top > kPolygonClipExtent) {
        // Only the part near the image can show; the cut edges lie outside it.
        const TRect r{-kPolygonClipMargin, -kPolygonClipMargin, m_canvas.Width() + kPolygonClipMargin,
                      m_canvas.Height() + kPolygonClipMargin};
        points = ClipPolygon(std::move(points), r);
        if (points.empty()) return;
    }
    m_canvas.Polygon(points);
}

// ---- labels and frame ----

void TChartRenderer::DrawLabels()
{
    const TRenderFrame& f = m_frame;
    for (int j = kMaxTextLabels; j >= 1; --j) {
        const TTextLabel* label = f.Labels[std::size_t(j - 1)];
        if (!label || label->Mode() == tlOff || !label->Visible() || !f.ShowsLayer(label->Layer())) continue;
        long long x = RoundToInt(label->PosX()), y = RoundToInt(label->PosY());
        if (label->AttachToData() != tlamNone) {
            const int px = f.MapXOf(label->Layer()).ToPixel(label->PosX());
            const int py = f.MapYOf(label->Layer()).ToPixel(label->PosY());
            if (label->AttachToData() != tlamYOnly) x = px;
            if (label->AttachToData() != tlamXOnly) y = py;
        }
        DrawTextLabel(m_canvas, *label, int(std::clamp<long long>(x + f.OffsetX - f.MarginLeft, INT32_MIN / 2, INT32_MAX / 2)),
                      int(std::clamp<long long>(y + f.OffsetY - f.MarginTop, INT32_MIN / 2, INT32_MAX / 2)));
    }
}

void TChartRenderer::DrawFrame()
{
    const int w = m_frame.AreaWidth, h = m_frame.AreaHeight;
    const int x = m_frame.OffsetX, y = m_frame.OffsetY;
    m_canvas.Pen().SetColor(m_frame.ChartFrameColor);
    m_canvas.Pen().SetStyle(psSolid);
    m_canvas.MoveTo(x, y);
    m_canvas.LineTo(x + w, y);
    m_canvas.LineTo(x + w, y + h);
    m_canvas.LineTo(x, y + h);
    m_canvas.LineTo(x, y);
}
