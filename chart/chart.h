#pragma once
// The chart control. TCustomRChart shows up to 16 layers of world-coordinate drawings (its
// display list) with 32 axis scales, a grid, a caption, a drop shadow, crosshairs and text
// labels; TRChart is the control the windows place. Everything is painted into off-screen
// images and reaches the widget in one copy.
//
// Pixel coordinates are control client pixels: origin at the top left, y growing downwards.
// Layers are counted from 1 to 16.
//
// The control's code is split by concern: chart.cpp (construction, properties, loading and the
// paint lock), layers.cpp (the axis maps of the layers and the range rules), axes.cpp (axis
// synchronisation and layout presets), sharing.cpp (clearing and showing the display list, data
// sharing), paint.cpp (the paint pipeline, the render frame with its grid positions, the
// crosshairs), export.cpp (the picture drawn once more onto a painter: saved pictures and
// screens of a higher pixel ratio) and chartevents.cpp (the widget's mouse and key events). Its
// parts are objects of their own: the display list (displaylist.h) holds the items and the
// sharing group, the renderer (render.h) draws a frame value with the grid (grid.h) and label
// drawing (labeldraw.h), and none of them includes this header; the mouse handling (mouse.h)
// works on the chart through its public operations, and only chartevents.cpp includes it. What a program using the control does not need
// takes a TChartKey (chartkey.h), which only the chart, its mouse handling and its test support
// can make.
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "chart/bakgndimg.h"
#include "chart/chartkey.h"
#include "chart/charttypes.h"
#include "chart/crosshair.h"
#include "chart/displayitem.h"
#include "chart/displaylist.h"
#include "chart/jointlayers.h"
#include "chart/render.h"
#include "chart/scaleprops.h"
#include "chart/textlabel.h"
#include "common/errors.h"
#include "common/types.h"
#include "platform/canvas.h"
#include "platform/font.h"
#include "scale/axismap.h"
#include "scale/dtlabel.h"
#include "scale/scale.h"

class QPainter;

class TChartMouse;
struct TChartMouseDeleter {
    void operator()(TChartMouse* mouse) const;
};
class TCustomRChart;

// events
using TChartNotifyEvent = std::function<void(TCustomRChart& Sender)>;
// Around the drawing of the data area and after the scales: the canvas drawn on and the control
// pixel of the canvas origin (a control point (cx, cy) is at (cx - Left, cy - Top)).
using TRenderEvent = std::function<void(TCustomRChart& Sender, TCanvas& Canvas, int Top, int Left)>;
using TMouseMoveInChartEvent = std::function<void(TCustomRChart& Sender, bool InChart, TShiftState Shift,
                                                  double rMousePosX, double rMousePosY)>;
using TZoomPanEvent = TChartNotifyEvent;
using TRubberBandEvent =
    std::function<void(TCustomRChart& Sender, int Layer, double LoX, double LoY, double HiX, double HiY)>;
using TCrossHairMoveEvent = std::function<void(TCustomRChart& Sender, TCrossHair& WhichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(TCustomRChart& Sender, TTextLabel& WhichTextLabel)>;
using TChartMouseEvent =
    std::function<void(TCustomRChart& Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TChartMouseMoveEvent = std::function<void(TCustomRChart& Sender, TShiftState Shift, int X, int Y)>;
// Wheel turned by WheelDelta (120 per notch); set Handled to stop the default handling.
using TChartMouseWheelEvent = std::function<void(TCustomRChart& Sender, TShiftState Shift, int WheelDelta,
                                                 int X, int Y, bool& Handled)>;
using TChartKeyEvent = std::function<void(TCustomRChart& Sender, int& Key, TShiftState Shift)>;
using TChartKeyPressEvent = std::function<void(TCustomRChart& Sender, char& Key)>;
// The scale events, forwarded with the chart as sender.
using TChartScaleTickDrawnEvent = std::function<void(TCustomRChart& Sender, TCanvas& Canvas, TScaleType ScaleType,
                                                     double CurrentTickPos, int ChartX, int ChartY)>;
using TChartBeforeTickLabelEvent = std::function<void(TCustomRChart& Sender, TScaleType ScaleType,
                                                      double CurrentTickPos, std::string& TickLabel)>;

// The chart area in control pixels; a pixel lies inside when Left <= x <= Right and
// Top <= y <= Bottom (both ends included).
struct TChartArea {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int x, int y) const { return Left <= x && x <= Right && Top <= y && y <= Bottom; }
};

class TCustomRChart : public QWidget {
    Q_OBJECT
public:
    // A chart of 280 x 200 pixels with the layout rcl_X1Bottom_Y1Left. It does not paint until
    // its window is first shown (PaintLock).
    explicit TCustomRChart(QWidget* parent = nullptr);
    ~TCustomRChart() override;

    // ---------------------------------------------------------------- properties
    // Setters marked "repaint" paint at once when AutoRedraw is true; "stored" setters never paint.

    // Margins between the control's edges and the chart area, clamped into -4000..4000 (a
    // negative chart area is possible). Resize the data image, resynchronise the axes,
    // recompute the transforms; repaint.
    int MarginLeft() const { return m_marginLeft; }
    void SetMarginLeft(int value);
    int MarginRight() const { return m_marginRight; }
    void SetMarginRight(int value);
    int MarginTop() const { return m_marginTop; }
    void SetMarginTop(int value);
    int MarginBottom() const { return m_marginBottom; }
    void SetMarginBottom(int value);
    int LRim() const { return m_marginLeft; }
    void SetLRim(int value) { SetMarginLeft(value); }
    int RRim() const { return m_marginRight; }
    void SetRRim(int value) { SetMarginRight(value); }
    int TRim() const { return m_marginTop; }
    void SetTRim(int value) { SetMarginTop(value); }
    int BRim() const { return m_marginBottom; }
    void SetBRim(int value) { SetMarginBottom(value); }
    int ShadowWidth() const { return m_shadowWidth; }
    void SetShadowWidth(int value);            // clamped into 0..32; repaint
    TShadowStyle ShadowStyle() const { return m_shadowStyle; }
    void SetShadowStyle(TShadowStyle value);   // repaint
    TColor ShadowColor() const { return m_shadowColor; }
    void SetShadowColor(TColor value);         // repaint
    TColor ShadowBakColor() const { return m_shadowBakColor; }
    void SetShadowBakColor(TColor value);      // repaint
    TColor WindColor() const { return m_windColor; }
    void SetWindColor(TColor value);           // repaint; the control outside the chart area
    TColor ChartColor() const { return m_chartColor; }
    void SetChartColor(TColor value);          // repaint; the chart area
    TColor ChartFrameColor() const { return m_chartFrameColor; }
    void SetChartFrameColor(TColor value);     // repaint
    GridStyleType GridStyle() const { return m_gridStyle; }
    void SetGridStyle(GridStyleType value);    // repaint
    TColor GridColor() const { return m_gridColor; }
    void SetGridColor(TColor value);           // repaint
    // Grid spacing: 0 follows the ticks, > 0 a fixed spacing, -1..-3 decade rules on logarithmic
    // axes. Values below -3 (and NaN) are ignored; otherwise repaint.
    double GridDx() const { return m_gridDx; }
    void SetGridDx(double value);
    double GridDy() const { return m_gridDy; }
    void SetGridDy(double value);
    // Attributes of items appended later; stored.
    TColor DataColor() const { return m_list.Attributes().Color; }
    void SetDataColor(TColor value) { m_list.SetColor(value); }
    TColor FillColor() const { return m_list.Attributes().FillColor; }
    void SetFillColor(TColor value) { m_list.SetFillColor(value); }
    TPenStyle PenStyle() const { return m_list.Attributes().PenStyle; }
    void SetPenStyle(TPenStyle value) { m_list.SetPenStyle(value); }
    std::uint8_t LineWidth() const { return m_list.Attributes().LineWidth; }
    void SetLineWidth(std::uint8_t value) { m_list.SetLineWidth(value); }
    std::uint8_t ClassDefault() const { return m_list.Attributes().ItemClass; }
    void SetClassDefault(std::uint8_t value) { m_list.SetItemClass(value); }  // 255 is ignored
    // Growth step of the display list's visible capacity; values outside 1..1000000 are ignored.
    int AllocSize() const { return m_list.AllocSize(); }
    void SetAllocSize(int value) { m_list.SetAllocSize(value); }
    bool AutoRedraw() const { return m_autoRedraw; }
    void SetAutoRedraw(bool value);            // stored
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& value); // repaint
    int CaptionPosX() const { return m_captionPosX; }
    void SetCaptionPosX(int value);            // repaint
    int CaptionPosY() const { return m_captionPosY; }
    void SetCaptionPosY(int value);            // repaint
    TAlignment CaptionAlignment() const { return m_captionAlignment; }
    void SetCaptionAlignment(TAlignment value);  // repaint
    TCaptionAnchorHoriz CaptionAnchorHoriz() const { return m_captionAnchorHoriz; }
    void SetCaptionAnchorHoriz(TCaptionAnchorHoriz value);  // repaint
    TCaptionAnchorVert CaptionAnchorVert() const { return m_captionAnchorVert; }
    void SetCaptionAnchorVert(TCaptionAnchorVert value);    // repaint
    // Text item attributes; repaint.
    TFontStyles TextFontStyle() const { return m_textFontStyle; }
    void SetTextFontStyle(TFontStyles value);
    TTextBkg TextBkStyle() const { return m_textBkStyle; }
    void SetTextBkStyle(TTextBkg value);
    TColor TextBkColor() const { return m_textBkColor; }
    void SetTextBkColor(TColor value);
    TAlignment TextAlignment() const { return m_textAlignment; }
    void SetTextAlignment(TAlignment value);
    // true makes every layer's Y span match its X span in screen distance, then repaints;
    // false is only stored.
    bool Isometric() const { return m_isometric; }
    void SetIsometric(bool value);
    TMouseActMode MouseAction() const { return m_mouseAction; }
    void SetMouseAction(TMouseActMode value);  // stored
    bool MouseCursorFixed() const { return m_mouseCursorFixed; }
    void SetMouseCursorFixed(bool value);      // stored
    // Zoom gestures beside MouseAction, both off after construction so that a chart reacts to the
    // mouse only as its MouseAction says until its owner asks for more. WheelZoom: the wheel over
    // the chart area scales layer 1's ranges about the world point under the mouse (forward zooms
    // in). RightButtonZoom: a right-button drag inside the chart area zooms layer 1 to the dragged
    // rectangle, each axis keeping its direction, and a right-button double click fires
    // OnZoomReset.
    bool WheelZoom() const { return m_wheelZoom; }
    void SetWheelZoom(bool value) { m_wheelZoom = value; }              // stored
    bool RightButtonZoom() const { return m_rightButtonZoom; }
    void SetRightButtonZoom(bool value) { m_rightButtonZoom = value; }  // stored
    // Applies a layout preset; the value is not kept: reading always gives rcl_X1Bottom_Y1Left.
    TrcLayout StandardLayout() const { return rcl_X1Bottom_Y1Left; }
    void SetStandardLayout(TrcLayout value);
    // The caption font, also given to the text labels at construction; a change repaints.
    TFont& Font() { return m_font; }
    const TFont& Font() const { return m_font; }

    // Axes of layers 1..4 (never replaced, only edited).
    TScalePropsHoriz& Scale1X() { return *m_scaleX[0]; }
    TScalePropsHoriz& Scale2X() { return *m_scaleX[1]; }
    TScalePropsHoriz& Scale3X() { return *m_scaleX[2]; }
    TScalePropsHoriz& Scale4X() { return *m_scaleX[3]; }
    TScalePropsVert& Scale1Y() { return *m_scaleY[0]; }
    TScalePropsVert& Scale2Y() { return *m_scaleY[1]; }
    TScalePropsVert& Scale3Y() { return *m_scaleY[2]; }
    TScalePropsVert& Scale4Y() { return *m_scaleY[3]; }
    // Axes of any layer 1..16 (clamped).
    TScalePropsHoriz& ScalePropsX(int layer) { return *m_scaleX[LayerIndex(layer)]; }
    TScalePropsVert& ScalePropsY(int layer) { return *m_scaleY[LayerIndex(layer)]; }
    const TScalePropsHoriz& ScalePropsX(int layer) const { return *m_scaleX[LayerIndex(layer)]; }
    const TScalePropsVert& ScalePropsY(int layer) const { return *m_scaleY[LayerIndex(layer)]; }
    TCrossHair& CrossHair1() { return *m_crossHairs[0]; }
    TCrossHair& CrossHair2() { return *m_crossHairs[1]; }
    TCrossHair& CrossHair3() { return *m_crossHairs[2]; }
    TCrossHair& CrossHair4() { return *m_crossHairs[3]; }
    TCrossHair& CrossHair(int k) { return *m_crossHairs[std::size_t(std::clamp(k, 1, kMaxCrossHairs) - 1)]; }
    const TCrossHair& CrossHair(int k) const
    {
        return *m_crossHairs[std::size_t(std::clamp(k, 1, kMaxCrossHairs) - 1)];
    }
    // Text labels 1..30 (clamped); they have no published access of their own.
    TTextLabel& TextLabel(int j) { return *m_textLabels[std::size_t(std::clamp(j, 1, kMaxTextLabels) - 1)]; }
    const TTextLabel& TextLabel(int j) const
    {
        return *m_textLabels[std::size_t(std::clamp(j, 1, kMaxTextLabels) - 1)];
    }
    TJointLayers& JointLayers() { return *m_jointLayers; }
    TBakGndImg& BackGroundImg() { return *m_backGroundImg; }
    const TBakGndImg& BackGroundImg() const { return *m_backGroundImg; }
    // The chart whose display list this chart shows (nullptr: its own). Wrong requests show an
    // information box and change nothing.
    TCustomRChart* UseDataOf() const { return m_list.Owner() ? &m_list.Owner()->Host() : nullptr; }
    void SetUseDataOf(TCustomRChart* value);

    // ---------------------------------------------------------------- state (read-only)
    bool PaintLock() const { return m_paintLock; }
    bool Loading() const { return m_loading; }
    int ActiveLayer() const { return m_list.Attributes().Layer; }
    bool ClassVisible(int itemClass) const { return itemClass >= 0 && itemClass < 256 && m_classVisible[std::size_t(itemClass)]; }
    bool LayerVisible(int layer) const { return layer >= 1 && layer <= kMaxLayers && m_layerVisible[std::size_t(layer - 1)]; }
    int AspectX() const { return m_aspectX; }
    int AspectY() const { return m_aspectY; }
    int ShareUserCount() const { return m_list.UserCount(); }
    // 1..ShareUserCount, nullptr otherwise
    TCustomRChart* ShareUser(int i) const { return m_list.User(i - 1) ? &m_list.User(i - 1)->Host() : nullptr; }
    // The internal scale objects of a layer (1..16, clamped).
    TScale& ScaleObjectX(int layer) { return *m_scaleObjX[LayerIndex(layer)]; }
    TScale& ScaleObjectY(int layer) { return *m_scaleObjY[LayerIndex(layer)]; }
    const TScale& ScaleObjectX(int layer) const { return *m_scaleObjX[LayerIndex(layer)]; }
    const TScale& ScaleObjectY(int layer) const { return *m_scaleObjY[LayerIndex(layer)]; }

    // ---------------------------------------------------------------- events
    TMouseMoveInChartEvent OnMouseMoveInChart;
    TZoomPanEvent OnZoomPan;
    // A right-button double click while RightButtonZoom is set: the owner puts back its own ranges.
    TChartNotifyEvent OnZoomReset;
    TRubberBandEvent OnRubberBand;
    TCrossHairMoveEvent OnCrossHairMove;
    TTextLabelMoveEvent OnTextLabelMove;
    TChartNotifyEvent OnMouseEnter;
    TChartNotifyEvent OnMouseLeave;
    TRenderEvent OnBeforeRenderData;
    TRenderEvent OnDataRendered;
    TRenderEvent OnScalesRendered;
    TChartScaleTickDrawnEvent OnScaleTickDrawn;
    TChartBeforeTickLabelEvent OnBeforeTickLabel;
    TChartNotifyEvent OnClick;
    TChartNotifyEvent OnDblClick;
    TChartMouseEvent OnMouseDown;
    TChartMouseEvent OnMouseUp;
    TChartMouseMoveEvent OnMouseMove;
    TChartMouseWheelEvent OnMouseWheel;
    TChartKeyEvent OnKeyDown;
    TChartKeyEvent OnKeyUp;
    TChartKeyPressEvent OnKeyPress;
    TChartNotifyEvent OnResize;

    // Holds the paint lock for a compound update: set while the guard lives. Release() gives the
    // remembered state back through SetPaintLock (which paints when the lock clears),
    // ReleaseQuietly() without painting; an update that ends by an error gets the remembered
    // state back without painting.
    class TPaintLockGuard {
    public:
        explicit TPaintLockGuard(TCustomRChart& chart) : m_chart(chart), m_was(chart.m_paintLock)
        {
            chart.m_paintLock = true;
        }
        ~TPaintLockGuard()
        {
            if (!m_released) m_chart.m_paintLock = m_was;
        }
        TPaintLockGuard(const TPaintLockGuard&) = delete;
        TPaintLockGuard& operator=(const TPaintLockGuard&) = delete;
        void Release()
        {
            m_released = true;
            m_chart.SetPaintLock(m_was);
        }
        void ReleaseQuietly()
        {
            m_released = true;
            m_chart.m_paintLock = m_was;
        }

    private:
        TCustomRChart& m_chart;
        bool m_was;
        bool m_released = false;
    };

    // ---------------------------------------------------------------- operations: lifecycle
    // The host is about to apply stored settings: painting and RecalcTransforms do nothing
    // until Loaded.
    void BeginLoading();
    // The host has applied stored settings: synchronise the scale objects, clear the axes'
    // loading flags, compute the transforms and paint.
    virtual void Loaded();
    // Sets or clears the paint lock; clearing it paints at once.
    virtual void SetPaintLock(bool value);
    // An axis setting changed: resynchronise all scales, re-apply every layer's range rules
    // and joins, then paint (which does nothing while an outer update holds the lock).
    void ScalePropsChanged();
    // Moves and resizes the control. The size is raised so the chart area is at least 80 x 20.
    void SetBounds(int left, int top, int width, int height);

    // ---------------------------------------------------------------- operations: coordinates
    TChartArea ChartArea() const;
    int AreaWidth() const;                     // Width - MarginLeft - MarginRight - ShadowWidth
    int AreaHeight() const;                    // Height - MarginTop - MarginBottom - ShadowWidth
    // Recomputes the coefficients of all 16 layers (nothing while loading). Raises
    // EQZLRChartError "Logarithmic axis must not be negative." for a logarithmic axis with an
    // end <= 0; the axes visited before keep their new coefficients.
    virtual void RecalcTransforms();
    // The maps of a layer's axes (1..16, clamped) as the last RecalcTransforms left them: world
    // values to control pixels and back.
    const TAxisMap& AxisMapX(int layer) const { return m_mapX[LayerIndex(layer)]; }
    const TAxisMap& AxisMapY(int layer) const { return m_mapY[LayerIndex(layer)]; }
    // World point of a layer (clamped into 1..16) to control pixels, clamped to
    // +-2147483647 and rounded half to even.
    void WorldToMouse(int layer, double x, double y, int& px, int& py) const;
    // Control pixels to world units of a layer (1..16).
    void MouseToWorld(int layer, int px, int py, double& x, double& y) const;
    // Sets the world rectangle of a layer (joined axes keep theirs), carries it to the layers
    // joined to it and paints once.
    void SetLayerRange(int layer, double xLow, double yLow, double xHigh, double yHigh);
    // Gives one layer the Y span that matches its X span in screen distance, around the Y centre.
    void IsometricAdjust(int layer);

    // ---------------------------------------------------------------- operations: display list
    // The list itself, to read: items, attributes and sharing. It changes only through the
    // chart's operations, which keep the sharing group in step and repaint.
    const TDisplayList& DisplayList() const { return m_list; }
    void AddMark(std::uint8_t markKind, double x, double y) { m_list.AddMark(markKind, x, y); }
    // xs.size() marks at once, as as many AddMark calls would append them.
    void AddMarks(std::uint8_t markKind, std::span<const double> xs, std::span<const double> ys)
    {
        m_list.AddMarks(markKind, xs, ys);
    }
    void AddMoveTo(double x, double y) { m_list.AddMoveTo(x, y); }
    void AddLineTo(double x, double y) { m_list.AddLineTo(x, y); }
    // Kind of the last item, 0 for an empty list.
    std::uint8_t KindOfLastItem() const { return m_list.KindOfLast(); }
    void DropLastItem() { m_list.DropLast(); }
    // Empties the list and blanks the data image (the screen is not updated).
    void ClearItems();
    // Makes the current list visible now, and repaints the charts sharing it.
    void ShowItems();
    int ItemCount() const { return m_list.Count(); }
    int ItemCapacity() const { return m_list.Capacity(); }
    // Item i (0..ItemCount-1).
    TDisplayItem Item(int i) const { return m_list.Item(i); }
    // The storage the sharing group holds in common (nullptr when empty).
    const TItemStore* Items() const { return m_list.Store(); }
    // Bytes of memory held by the item storage.
    std::size_t ItemStorageBytes() const { return m_list.StorageBytes(); }

    // ---------------------------------------------------------------- operations: painting
    // The full repaint (nothing while locked, loading or hidden).
    void Paint();
    // Draws the whole chart once more onto `painter`, as lines, figures and text at the painter's
    // own scale (a picture at a multiple of the screen's size, or SVG); the screen stays as it is.
    void PaintTo(QPainter& painter);
    // Redraws the chart area alone and puts it on the screen.
    void RefreshDataArea();
    // What the widget shows: every repaint path ends with a copy into this image, which
    // paintEvent puts on the widget.
    const QImage& ScreenImage() const { return m_screenImage; }
    // What the widget shows on a screen of device pixel ratio `ratio` other than 1: the picture
    // of the screen image drawn once more at device resolution (lines one device pixel thin,
    // text at device resolution, marks scaled). Kept until the next repaint of the screen image.
    const QImage& DeviceImage(qreal ratio);
    // What paintEvent draws at a ratio other than 1, onto `painter` in logical pixels: the device
    // image, and over it what was drawn into the screen image since its last repaint (the
    // rubber band), as logical pixels.
    void PaintDevicePicture(QPainter& painter, qreal ratio);

    // ---------------------------------------------------------------- internals
    // The paint passes, the images they paint into and the mutable display list, for the chart's
    // own parts and its test support: a TChartKey opens them.
    // Sizes the data image and paints the chart area's background (colour, picture or area).
    void RenderChartBackground(TChartKey, TCanvas& canvas, int offsetX, int offsetY);
    // Grid, display-list items, text labels and the frame line of the chart area: a replay of
    // RenderFrame.
    void RenderData(TChartKey, TCanvas& canvas, int offsetX, int offsetY, bool monochrome, bool noGrid);
    // What the data-area pass draws, as a value: maps, placement, attributes, the grid
    // positions, a view of the items and the text labels, and the render events as hooks.
    TRenderFrame RenderFrame(TChartKey, int offsetX, int offsetY, bool monochrome);
    // Draws the crosshairs into `image` (its origin at control pixel (x, y)) and copies it onto
    // `target` at (x, y).
    void PresentImage(TChartKey, int x, int y, TCanvas& target, TBitmap& image);
    TBitmap& ControlImage(TChartKey) { return m_controlImage; }
    TBitmap& DataImage(TChartKey) { return m_dataImage; }
    // The canvas over the screen image (the rubber band is drawn on it).
    TCanvas& ScreenCanvas(TChartKey) { return *m_screenCanvas; }
    // The list to append to; its appends keep the sharing group in step but do not repaint.
    TDisplayList& DisplayList(TChartKey) { return m_list; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Mouse and keyboard handling (chartevents.cpp).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Hands Tab to keyPressEvent instead of moving the focus (chartevents.cpp).
    bool event(QEvent* event) override;
    // The window exists: painting may start.
    void WindowCreated();

private:
    static std::size_t LayerIndex(int layer) { return std::size_t(std::clamp(layer, 1, kMaxLayers) - 1); }
    // Paints when AutoRedraw (the reaction of the "repaint" setters).
    void Repaint() { if (m_autoRedraw) Paint(); }
    // A crosshair, text label, background or join setting changed: paint when AutoRedraw.
    void PartChanged() { Repaint(); }
    // Stores the world rectangle of one layer by the range rules, without notifications, then
    // resynchronises its scales and recomputes the transforms.
    void StoreLayerRange(int layer, double xLow, double yLow, double xHigh, double yHigh);
    // A new join: layer `layer` takes the X (isX) or Y range of `controller` (jointlayers.h).
    void FollowJoin(int layer, int controller, bool isX);
    // Copies the axis settings into a scale object (placement, margin, range and look).
    void SyncScale(TScale& scale, const TScaleProps& props);
    // Window colour, shadow, caption and the 32 scales into the control image's canvas.
    void RenderFrameAndScales(TCanvas& canvas);
    // After a margin or shadow change: data image size, isometric rule, scales, transforms.
    void MarginsChanged(bool applyIsometric);
    // Per layer: isometric rule (when asked), SyncScale, size (when asked) and margins of both
    // scale objects.
    void ResyncLayers(bool applyIsometric, bool resizeScales);
    // SyncScale of every layer's horizontal, then vertical scale object.
    void SyncAllScales();
    void SetScaleMargins(TScale& scale, bool horizontal);
    void SizeDataImage(int extra);
    void RepaintShareGroup();
    // The full repaint's drawing copied onto `painter`; `screen` adds the crosshairs and keeps
    // width-1 lines one device pixel thin (export.cpp).
    void MirrorPicture(QPainter& painter, bool screen);
    // Draws what was put on the screen image after its last repaint (the rubber band) over the
    // device image on the widget.
    void PaintScreenOverlay(QPainter& painter) const;
    void ConnectScale(int layer, bool horizontal);
    void InitMouse();              // chartevents.cpp: cursors and the idle mouse state
    void DrawCrossHairs(TCanvas& canvas, int x0, int y0);  // paint.cpp
    // The grid positions along both axes of a layer (paint.cpp).
    void GridPositionsOf(int layer, std::vector<double>& xs, std::vector<double>& ys) const;

    // layout and look
    int m_marginLeft = 50;
    int m_marginRight = 10;
    int m_marginTop = 16;
    int m_marginBottom = 32;
    int m_shadowWidth = 0;
    TShadowStyle m_shadowStyle = ssFlying;
    TColor m_shadowColor = clGrayText;
    TColor m_shadowBakColor = clBtnFace;
    TColor m_windColor = clBtnFace;
    TColor m_chartColor = clWhite;
    TColor m_chartFrameColor = clBlack;
    GridStyleType m_gridStyle = gsNone;
    TColor m_gridColor = clBlack;
    double m_gridDx = 0.0;
    double m_gridDy = 0.0;
    bool m_autoRedraw = false;
    std::string m_caption;
    int m_captionPosX = 0;
    int m_captionPosY = -15;
    TAlignment m_captionAlignment = taRightJustify;
    TCaptionAnchorHoriz m_captionAnchorHoriz = cahChartRight;
    TCaptionAnchorVert m_captionAnchorVert = cavChartTop;
    TFontStyles m_textFontStyle = 0;
    TTextBkg m_textBkStyle = tbClear;
    TColor m_textBkColor = clWhite;
    TAlignment m_textAlignment = taCenter;
    bool m_isometric = false;
    TMouseActMode m_mouseAction = maNone;
    bool m_mouseCursorFixed = true;
    bool m_wheelZoom = false;
    bool m_rightButtonZoom = false;
    TFont m_font;

    // owned objects
    std::array<std::unique_ptr<TScalePropsHoriz>, kMaxLayers> m_scaleX;
    std::array<std::unique_ptr<TScalePropsVert>, kMaxLayers> m_scaleY;
    std::array<TScale*, kMaxLayers> m_scaleObjX{};  // children of the chart
    std::array<TScale*, kMaxLayers> m_scaleObjY{};
    std::array<std::unique_ptr<TCrossHair>, kMaxCrossHairs> m_crossHairs;
    std::array<std::unique_ptr<TTextLabel>, kMaxTextLabels> m_textLabels;
    std::unique_ptr<TBakGndImg> m_backGroundImg;
    std::unique_ptr<TJointLayers> m_jointLayers;
    TBitmap m_dataImage;
    TBitmap m_controlImage;
    TBitmap m_backgroundPicture;
    QImage m_screenImage;
    std::unique_ptr<TCanvas> m_screenCanvas;
    // Counts the repaints of the screen image; the device image and the screen image as that
    // repaint left it belong to repaint m_deviceSerial.
    std::uint64_t m_screenSerial = 0;
    std::uint64_t m_deviceSerial = 0;
    qreal m_deviceRatio = 0.0;
    QImage m_deviceImage;
    QImage m_cleanScreen;
    bool m_screenFresh = false;    // the screen image holds a finished picture of the current size

    // state
    bool m_paintLock = true;
    bool m_loading = false;
    bool m_windowCreated = false;
    bool m_inSetBounds = false;
    std::array<bool, 256> m_classVisible;
    std::array<bool, kMaxLayers> m_layerVisible;
    int m_aspectX = 1;
    int m_aspectY = 1;
    std::array<TAxisMap, kMaxLayers> m_mapX{};
    std::array<TAxisMap, kMaxLayers> m_mapY{};

    // display list, shared with the charts of a group
    TDisplayList m_list{*this};

    // the mouse handling, deleted where its class is known (chartevents.cpp), so that the chart's
    // own code needs no mouse.h
    std::unique_ptr<TChartMouse, TChartMouseDeleter> m_mouse;
};

// The chart control placed on windows.
class TRChart : public TCustomRChart {
    Q_OBJECT
public:
    explicit TRChart(QWidget* parent = nullptr);

protected:
    // The first showing creates the window: the paint lock is cleared (without painting).
    void showEvent(QShowEvent* event) override;
};
