#pragma once
// The data-area renderer: grid, display-list items, text labels and the frame line, drawn in
// one pass from a frame value (maps, placement, attributes, a read-only span of items, labels).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "chart/chartkey.h"
#include "chart/charttypes.h"
#include "chart/displayitem.h"
#include "chart/itemstore.h"
#include "chart/textlabel.h"
#include "platform/canvas.h"
#include "scale/axismap.h"

enum TStampRepeats : std::uint8_t;   // platform/stamp.h

class TPixelStamp;

// Everything one pass draws, taken from the chart when the pass starts. Positions: the map of an
// item's layer gives control pixels, which are clamped to +-kDrawClamp and moved to the canvas by
// (OffsetX - MarginLeft, OffsetY - MarginTop).
struct TRenderFrame {
    std::array<TAxisMap, kMaxLayers> MapX{};   // layers 1..16
    std::array<TAxisMap, kMaxLayers> MapY{};
    int MarginLeft = 0;
    int MarginTop = 0;
    int OffsetX = 0;                  // added to every position
    int OffsetY = 0;
    int AreaWidth = 0;                // the frame line runs around AreaWidth x AreaHeight
    int AreaHeight = 0;
    bool Monochrome = false;          // outlines and texts black, fills silver
    // attributes
    std::uint8_t LineWidth = 1;       // the pen width a pass starts with
    TColor ChartColor = clWhite;
    TColor ChartFrameColor = clBlack;
    TFontStyles TextFontStyle = 0;
    TTextBkg TextBkStyle = tbClear;
    TColor TextBkColor = clWhite;
    std::array<bool, 256> ClassVisible{};
    std::array<bool, kMaxLayers> LayerVisible{};
    // the grid on layer GridLayer: lines (or dots) at GridXs and GridYs
    GridStyleType GridStyle = gsNone;
    TColor GridColor = clBlack;
    int GridLayer = 1;
    std::vector<double> GridXs;
    std::vector<double> GridYs;
    // the items (those of Store when it is set, else Items) and the text labels 1..30
    const TItemStore* Store = nullptr;
    std::span<const TDisplayItem> Items;
    std::array<const TTextLabel*, kMaxTextLabels> Labels{};
    // Called before the grid and after the labels with the canvas and the control pixel of its
    // origin (top, left); they return whether they drew anything (an event was assigned).
    std::function<bool(TCanvas& canvas, int top, int left)> BeforeItems;
    std::function<bool(TCanvas& canvas, int top, int left)> AfterLabels;

    const TAxisMap& MapXOf(int layer) const { return MapX[std::size_t(std::clamp(layer, 1, kMaxLayers) - 1)]; }
    const TAxisMap& MapYOf(int layer) const { return MapY[std::size_t(std::clamp(layer, 1, kMaxLayers) - 1)]; }
    bool ShowsLayer(int layer) const { return layer >= 1 && layer <= kMaxLayers && LayerVisible[std::size_t(layer - 1)]; }
};

// One pass of the chart's RenderData, a replay of a frame: it remembers only the attributes it
// set itself, and sets pen, brush and font attributes only when a value differs from the last
// one it set.
class TChartRenderer {
public:
    // Line-to chains are drawn as polylines of at most this many points; consecutive polylines
    // share their joint point.
    static constexpr int kMaxPolylinePoints = 200;
    // Item positions are clamped to this many pixels around the control's origin, so extreme zoom
    // never overflows the drawing.
    static constexpr int kPixelLimit = kDrawClamp;

    TChartRenderer(TRenderFrame frame, TCanvas& canvas);

    // Grid (unless noGrid), items, labels from 30 down to 1, then the frame line, with the
    // frame's BeforeItems and AfterLabels around them.
    void Run(bool noGrid = false);

    // Hands the points of every polyline the pass draws to `watcher`, which sees how line-to
    // chains are batched.
    void WatchPolylines(TChartKey, std::function<void(const std::vector<TPoint>&)> watcher)
    {
        m_polylineWatcher = std::move(watcher);
    }

private:
    void DrawGrid();
    void DrawItems();
    void DrawItemSpan(const TDisplayItem* items, int count);
    void DrawMarkRunOf(const TItemStore::TMarkRun& run);
    void DrawItem(const TDisplayItem& item);
    void DrawMarkRun(const TDisplayItem* items, int& i, int count);
    // Coordinates of marks: the k-th at (XY[k * Stride], XY[k * Stride + 1]).
    struct TMarkBlock {
        const double* XY;
        std::ptrdiff_t Stride;
        int Count;
    };
    void DrawMarks(const TDisplayItem& look, std::span<const TMarkBlock> blocks);
    // How a run of `count` marks treats places it meets again (packed: coordinates in a run).
    TStampRepeats Repeats(std::int64_t count, bool packed) const;
    void DrawLabels();
    void DrawFrame();

    // attributes, set only on a difference
    void PenColor(TColor c);
    void PenStyle(TPenStyle s);
    void PenWidth(int w);
    void BrushColor(TColor c);
    void FontColor(TColor c);
    void ShapeAttributes(const TDisplayItem& item, TColor outline);   // ikRect and its relatives

    // positions
    TPoint Pixel(int layer, double x, double y, double dx = 0.0, double dy = 0.0) const;
    void ControlPixel(int layer, double x, double y, int& px, int& py) const;
    TPoint ToCanvas(long long px, long long py) const;
    void Enlarge(TPoint& a, TPoint& b) const;

    // the pending polyline
    void AddPoint(TPoint q);
    void Flush();

    void DrawText(const TDisplayItem& item, TPoint p, TColor color);
    void DrawRect3D(const TDisplayItem& item, TPoint a, TPoint b, TColor fill);
    void DrawBar3D(const TDisplayItem& item, TPoint a, TPoint b, TColor outline, TColor fill);
    void DrawArrow(const TDisplayItem& item, TPoint a, TPoint b, TColor outline, TColor fill);
    void Polygon(std::vector<TPoint> points);
    const TPixelStamp* StampFor(std::uint8_t markKind);

    TRenderFrame m_frame;
    TCanvas& m_canvas;
    TColor m_penColor = 0, m_brushColor = 0, m_fontColor = 0;
    TPenStyle m_penStyle = psSolid;
    int m_penWidth = 1;
    TPoint m_current;                          // the current point P
    std::vector<TPoint> m_pending;
    std::array<const TPixelStamp*, 52> m_stamps{};
    std::array<bool, 52> m_stampLooked{};
    std::function<void(const std::vector<TPoint>&)> m_polylineWatcher;
};
