#pragma once
// The data-area renderer: grid, display-list items, text labels and the frame line, drawn in
// one pass into the chart's data image; and appending operations for the item kinds the
// chart's own operations do not append.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "chart/chart.h"

class TGlyphStamp;

// One pass of the chart's RenderData. The pass is a replay of the display list: it remembers only
// the attributes it set itself, and sets pen, brush and font attributes only when a value
// differs from the last one it set.
class TChartRenderer {
public:
    // Line-to chains are drawn as polylines of at most this many points; consecutive polylines
    // share their joint point.
    static constexpr int kMaxPolylinePoints = 200;
    // Item positions are clamped to this many pixels around the control's origin, so extreme zoom
    // never overflows the drawing.
    static constexpr int kPixelLimit = kDrawClamp;

    TChartRenderer(TCustomRChart& chart, TCanvas& canvas, int offsetX, int offsetY, bool monochrome);

    // Grid (unless noGrid), items, labels from 30 down to 1, then the frame, with the chart's
    // OnBeforeRenderData and OnDataRendered around them.
    void Run(bool noGrid);

    // Called with the points of every polyline the pass draws (for tests of the batching).
    std::function<void(const std::vector<TPoint>&)> OnPolyline;

    // Appends an item of `kind` at (x, y) with the chart's current attributes (FillColor too),
    // hands the list to the sharing group and returns its slot, for the appending operations below.
    static TDisplayItem& Append(TCustomRChart& chart, TItemKind kind, double x, double y);

private:
    void DrawItems();
    void DrawItem(const TDisplayItem& item);
    void DrawMarkRun(const TDisplayItem* items, int& i, int count);

    struct TMarkLoop {
        QRgb* Bits;
        int Stride;
        TRect Bounds;
        QRgb Rgb;
        const TGlyphStamp* Stamp;
        int XLo, XHi, YLo, YHi;     // centres whose stamp lies wholly inside the clip
        int ShiftX, ShiftY;         // control pixel to canvas
        const TAxisMap* X;
        const TAxisMap* Y;
    };
    template <class Store>
    TPoint RunMarks(const TMarkLoop& loop, const TDisplayItem* items, int& i, int count, Store store);
    void DrawLabels();
    void DrawFrame();

    // attributes, set only on a difference
    void PenColor(TColor c);
    void PenStyle(TPenStyle s);
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
    const TGlyphStamp* StampFor(std::uint8_t markKind);

    TCustomRChart& m_chart;
    TCanvas& m_canvas;
    int m_offsetX, m_offsetY;
    bool m_monochrome;
    TColor m_penColor = 0, m_brushColor = 0, m_fontColor = 0;
    TPenStyle m_penStyle = psSolid;
    int m_penWidth = 1;
    TPoint m_current;                          // the current point P
    std::vector<TPoint> m_pending;
    std::array<const TGlyphStamp*, 52> m_stamps{};
    std::array<bool, 52> m_stampLooked{};
    // The pixel runs of stamp m_runsOf in an image of m_runsStride pixels per row.
    struct TRowRun {
        std::ptrdiff_t Offset;  // of the run's first pixel from the centre
        int Width;
    };
    std::vector<TRowRun> m_runs;
    const TGlyphStamp* m_runsOf = nullptr;
    int m_runsStride = 0;
};

// Appending operations for the other item kinds. Each appends one item on the ActiveLayer with
// the chart's DataColor, FillColor, PenStyle, LineWidth and ClassDefault, as AddMark does, and
// fills the fields its kind reads. Nothing is repainted.
void AddLine(TCustomRChart& chart, double x1, double y1, double x2, double y2);
void AddRect(TCustomRChart& chart, double x1, double y1, double x2, double y2, bool hollow = false);
// frameStyle: 2 raised, 3 lowered, 4 and 5 double-line groove, others plain.
void AddRect3D(TCustomRChart& chart, double x1, double y1, double x2, double y2, TColor color2, TColor color3,
               int frameStyle);
// The depth face leans `angle` degrees from the x axis, `depth` pixels long.
void AddBar3D(TCustomRChart& chart, double x1, double y1, double x2, double y2, int depth, int angle);
// Text of at most 17 bytes (longer texts are cut at a character boundary), `size` in points.
void AddText(TCustomRChart& chart, double x, double y, const std::string& text, int size,
             TAlignment alignment = taLeftJustify);
void AddTextOffset(TCustomRChart& chart, double x, double y, int dx, int dy, const std::string& text, int size,
                   TAlignment alignment = taLeftJustify);
// Centre and radii in world units.
void AddEllipse(TCustomRChart& chart, double x, double y, double rx, double ry, bool hollow = false);
void AddMoveRel(TCustomRChart& chart, int dx, int dy);
void AddLineRel(TCustomRChart& chart, int dx, int dy);
// headSize: the length of the head's strokes in pixels, 0 for none; hollow: an open head.
void AddArrow(TCustomRChart& chart, double x1, double y1, double x2, double y2, int headSize, bool hollow = false);
// Centre in world units, half-sizes in pixels.
void AddRectCentred(TCustomRChart& chart, double x, double y, int halfWidth, int halfHeight, bool hollow = false);
