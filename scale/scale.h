#pragma once
// TScale draws one axis: baseline, long and short ticks, tick labels and a caption, inside its
// own rectangle. Placed on a form it is a stand-alone control that paints itself (on a framed
// background unless transparent); a chart owns 32 of them as embedded scales that never show a
// window and draw only inside RenderNow, into the chart's canvas.
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "common/framestyle.h"
#include "common/types.h"
#include "platform/canvas.h"
#include "platform/font.h"
#include "scale/axismap.h"
#include "scale/dtlabel.h"
#include "scale/scaletypes.h"
#include "scale/tickplan.h"

class TScale;

// After each tick drawn: the drawing canvas, the tick's value and its point on the baseline.
using TScaleTickDrawnEvent = std::function<void(TScale& Sender, TCanvas& Canvas, TScaleType ScaleType,
                                                double CurrentTickPos, int ChartX, int ChartY)>;
// Before each label is measured and drawn; the handler may change the text.
using TBeforeTickLabelEvent =
    std::function<void(TScale& Sender, TScaleType ScaleType, double CurrentTickPos, std::string& TickLabel)>;
// Around each painting, with the canvas drawn on.
using TScaleRenderedEvent = std::function<void(TScale& Sender, TCanvas& Canvas)>;

// Largest margin in pixels, and largest distance of an external canvas offset from 0: far beyond
// any screen, small enough that positions computed from them never overflow.
constexpr int kMaxScaleMargin = 1000000;
constexpr int kMaxCanvasOffset = 100000000;
// A scale paints only up to this size: at most kMaxScaleSide pixels on a side and kMaxScalePixels
// in all (its pictures are kept in memory); a larger one keeps its transform but draws nothing.
constexpr int kMaxScaleSide = 32767;
constexpr long long kMaxScalePixels = 1LL << 26;

// Capacity of the list of drawn ticks that the chart's grid reads back.
constexpr int kTickListSize = 250;

class TScale : public QWidget {
    Q_OBJECT
public:
    // A scale of 400 x 400 pixels with 20-pixel margins, 0 to 100, painting suspended until its
    // window is first shown.
    explicit TScale(QWidget* parent = nullptr);
    ~TScale() override;

    // properties; every setter ends with Redraw, which does nothing while painting is suspended
    TScaleType ScaleType() const { return m_scaleType; }
    void SetScaleType(TScaleType value);
    double RangeLow() const { return m_rangeLow; }
    void SetRangeLow(double value);    // equal to RangeHigh moves RangeHigh to value + 1; NaN and infinities are ignored
    double RangeHigh() const { return m_rangeHigh; }
    void SetRangeHigh(double value);   // equal to RangeLow moves RangeLow to value + 1; NaN and infinities are ignored
    bool Logarithmic() const { return m_logarithmic; }
    // true is refused (quietly) once loading has finished when an end is below 1e-100 or the
    // labels are date-times.
    void SetLogarithmic(bool value);
    int MinTicks() const { return m_minTicks; }
    void SetMinTicks(int value);       // 0 stays 0 (unit steps); others are clamped into 2..10
    int NumTicks() const { return m_numTicks; }
    bool ShortTicks() const { return m_shortTicks; }
    void SetShortTicks(bool value);
    int DecPlaces() const { return m_decPlaces; }
    void SetDecPlaces(int value);      // clamped into -3..12
    TFigType LabelType() const { return m_labelType; }
    void SetLabelType(TFigType value); // ftDateTime clears Logarithmic; ftTime sets DecPlaces 4
    TDTLabel& DateFormat() { return m_dateFormat; }
    const TDTLabel& DateFormat() const { return m_dateFormat; }
    void SetDateFormat(const TDTLabel& value);  // copies the settings into the owned object
    const std::string& UserTickText() const { return m_userTickText; }
    void SetUserTickText(const std::string& value);
    const std::string& ScaleInscript() const { return m_scaleInscript; }
    void SetScaleInscript(const std::string& value);
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& value);
    // Caption offsets are clamped into -kMaxCanvasOffset..kMaxCanvasOffset.
    int CaptionPosX() const { return m_captionPosX; }
    void SetCaptionPosX(int value);
    int CaptionPosY() const { return m_captionPosY; }
    void SetCaptionPosY(int value);
    TAlignment CaptionAlignment() const { return m_captionAlignment; }
    void SetCaptionAlignment(TAlignment value);
    TScaleUnitAnchor CaptionAnchor() const { return m_captionAnchor; }
    void SetCaptionAnchor(TScaleUnitAnchor value);
    int MarginTop() const { return m_marginTop; }
    // Margins are clamped into 0..kMaxScaleMargin pixels.
    void SetMarginTop(int value);
    int MarginBottom() const { return m_marginBottom; }
    void SetMarginBottom(int value);
    int MarginLeft() const { return m_marginLeft; }
    void SetMarginLeft(int value);
    int MarginRight() const { return m_marginRight; }
    void SetMarginRight(int value);
    bool ShowBaseLine() const { return m_showBaseLine; }
    void SetShowBaseLine(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    TColor ColorScale() const { return m_colorScale; }
    void SetColorScale(TColor value);
    TColor ColorBackGnd() const { return m_colorBackGnd; }
    void SetColorBackGnd(TColor value);
    TColorScheme ColorScheme() const { return m_colorScheme; }
    void SetColorScheme(TColorScheme value);
    TFrameStyle FrameStyle() const { return m_frameStyle; }
    void SetFrameStyle(TFrameStyle value);
    // The font of labels and caption; a change redraws.
    TFont& Font() { return m_font; }
    const TFont& Font() const { return m_font; }
    // Whether the scale draws at all. A stand-alone scale also shows or hides its window.
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    // transform (read-only): always that of the current size, range and margins, whether the
    // widget is shown, hidden or embedded (a hidden widget gets no resize events)
    double PixelsPerUnit() const { EnsureTransform(); return double(m_map.K()); }
    double PixelOffset() const { EnsureTransform(); return double(m_map.D()); }
    // The map of values to pixels along the scale (x or y in the control's coordinates).
    const TAxisMap& AxisMap() const { EnsureTransform(); return m_map; }
    bool Embedded() const { return m_embedded; }
    bool PaintSuspended() const { return m_paintSuspended; }
    bool Constructing() const { return m_constructing; }

    // events
    TScaleTickDrawnEvent OnScaleTickDrawn;
    TBeforeTickLabelEvent OnBeforeTickLabel;
    TScaleRenderedEvent OnBeforeScaleRendered;
    TScaleRenderedEvent OnAfterScaleRendered;

    // operations
    // Recomputes PixelsPerUnit and PixelOffset from the range, the margins and the size:
    // RangeLow lands on the left (horizontal) or bottom (vertical) end of the scale.
    void UpdateTransform();
    // Pixel coordinate of a value along the scale (x or y in the control's coordinates).
    int ValueToPixel(double value) const;
    // Value of the tick `index` (1..NumTicks) drawn by the last rendering; 0 otherwise.
    double TickPosition(int index) const;
    // Item n (from 1) of UserTickText.
    std::string UserTickItem(int n) const;

    // Paints now (a transparent stand-alone scale invalidates instead, so its parent's
    // background is painted first).
    void Redraw();
    // Suspends or resumes painting; resuming redraws.
    void SuspendPaint(bool suspend);
    // Draws once even while suspended (how a chart draws its scales).
    void RenderNow();
    // Draws into `canvas` (not owned) with the scale's rectangle at (offsetX, offsetY) from now on;
    // the offsets are clamped into -kMaxCanvasOffset..kMaxCanvasOffset.
    void SetExternalCanvas(TCanvas* canvas, int offsetX, int offsetY);
    // A stand-alone scale's picture at device pixel ratio `ratio`, drawn at device resolution
    // (what the widget shows on a screen of a ratio other than 1); null for an embedded scale.
    QImage DeviceImage(qreal ratio);
    // Marks the scale as an axis owned by a chart (hides its widget); only changes redraw.
    void SetEmbedded(bool embedded);
    // The end of loading stored settings: transform, Constructing := false, Redraw.
    void Loaded();
    // Moves and resizes the control, then recomputes the transform and redraws. Positions are
    // clamped into -QWIDGETSIZE_MAX..QWIDGETSIZE_MAX and sizes into 0..QWIDGETSIZE_MAX (Qt's limits).
    void SetBounds(int left, int top, int width, int height);
    // Copies every setting of `source` except font, size, visibility, Embedded, Constructing
    // and the two rendering events, then redraws.
    void Assign(const TScale& source);

    // Ticks, labels and caption into `canvas` along the baseline at x = baselineX or
    // y = baselineY (the baseline itself is drawn by the painting).
    void DrawVerticalScale(TCanvas& canvas, int baselineX);
    void DrawHorizontalScale(TCanvas& canvas, int baselineY);

    // The settings that decide ticks and labels, as the tick planner reads them.
    TTickSettings TickSettings() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Paint();  // the paint handler: the whole picture into the target canvas
    void DrawScale(TCanvas& canvas, int baseline);
    void DrawScaleBody(TCanvas& canvas, int baseline);
    void DrawBaseLine(TCanvas& canvas, int baseline);
    void DrawTick(TCanvas& canvas, const TTickMark& mark, int baseline);
    void DrawLabel(TCanvas& canvas, int baseline, int pos, double value, std::string& text, bool ownHeight);
    void DrawDateLabel(TCanvas& canvas, int baseline, int pos, double value, std::string& text);
    void DrawMessage(TCanvas& canvas, int baseline, TScaleMessage message);
    void DrawCaption(TCanvas& canvas, int baseline);
    void DrawFrame(TCanvas& canvas, int left, int top, int right, int bottom);
    void Record(double value);
    void EnsureTransform() const;  // recomputes when the size changed since the last computation
    void ComputeTransform() const;
    bool IsVertical() const { return IsVerticalScale(m_scaleType); }

    TScaleType m_scaleType = sctXB;
    double m_rangeLow = 0.0;
    double m_rangeHigh = 100.0;
    bool m_logarithmic = false;
    int m_minTicks = 3;
    int m_numTicks = 0;
    bool m_shortTicks = true;
    int m_decPlaces = -2;
    TFigType m_labelType = ftNum;
    TDTLabel m_dateFormat;
    std::string m_userTickText;
    std::string m_scaleInscript;
    std::string m_caption;
    int m_captionPosX = 4;
    int m_captionPosY = 4;
    TAlignment m_captionAlignment = taCenter;
    TScaleUnitAnchor m_captionAnchor = uaSclTopLft;
    int m_marginTop = 20;
    int m_marginBottom = 20;
    int m_marginLeft = 20;
    int m_marginRight = 20;
    bool m_showBaseLine = true;
    bool m_transparent = false;
    TColor m_colorScale = clBlack;
    TColor m_colorBackGnd = clBtnFace;
    TColorScheme m_colorScheme = csBWG;
    TFrameStyle m_frameStyle = fsLowered;
    TFont m_font;
    bool m_visible = true;

    TColor m_frameColorDark = clBlack;
    TColor m_frameColorShadow = RGBColor(128, 128, 128);
    TColor m_frameColorLight = clWhite;
    // the transform, a cache of range, margins and size
    mutable TAxisMap m_map = TAxisMap().WithCoefficients(1.0L, 0.0L);
    mutable int m_transformWidth = -1;   // size the transform was computed for
    mutable int m_transformHeight = -1;
    std::array<double, kTickListSize> m_tickList{};
    TCanvas* m_externalCanvas = nullptr;
    int m_externalOffsetX = 0;
    int m_externalOffsetY = 0;
    bool m_paintSuspended = true;
    bool m_embedded = false;
    bool m_constructing = true;
    bool m_windowShown = false;
    bool m_surfaceFresh = false; // the own surface holds the current picture

    // Reused between renderings: the tick plan, the own surface and the opaque scale's image.
    TTickPlan m_plan;
    QImage m_surface;
    std::unique_ptr<TCanvas> m_surfaceCanvas;
    std::unique_ptr<TBitmap> m_image;
    int m_zeroHeight = 0;        // text height of "0" in the current rendering
    QPainter* m_deviceMirror = nullptr;  // while DeviceImage draws: the painter the picture is copied to
};
