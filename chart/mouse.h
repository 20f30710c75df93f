#pragma once
// The chart's mouse handling as an object of its own: it holds the mouse state (drags, rubber
// band, double click) and changes the chart only through the chart's public operations
// (SetLayerRange, the crosshair and label setters, the events) under the chart's paint-lock
// guard, and draws the rubber band on the screen canvas, which its TChartKey opens. The chart
// owns one and hands it its notifications.
#include <QMouseEvent>
#include <QPoint>
#include <QRegion>

#include "chart/charttypes.h"
#include "chart/mousestate.h"
#include "common/types.h"

class TCustomRChart;
class TScaleProps;
class TAxisMap;

// The chart's shift state (keys and buttons held) of the toolkit's modifiers and buttons.
TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

class TChartMouse {
public:
    explicit TChartMouse(TCustomRChart& chart) : m_chart(chart) {}
    TChartMouse(const TChartMouse&) = delete;
    TChartMouse& operator=(const TChartMouse&) = delete;

    // The toolkit's notifications.
    void Press(const QMouseEvent& event);
    void DoubleClickPress(const QMouseEvent& event);
    void Release(const QMouseEvent& event);
    void Move(const QMouseEvent& event);
    // A wheel turn at pixel (x, y) by `delta` eighths of a degree; true when it zoomed.
    bool Wheel(int x, int y, int delta);

    const TMouseState& State() const { return m_state; }

private:
    void DoubleClick();
    void DoubleClickOf(Qt::MouseButton qtButton);
    bool TakeButton(Qt::MouseButton qtButton, TMouseButton& button);
    void MouseDown(Qt::MouseButton qtButton, TShiftState shift, QPoint pos);
    void MouseUp(Qt::MouseButton qtButton, TShiftState shift, QPoint pos);
    void MouseMove(TShiftState shift, QPoint pos);
    // drags
    void DragMove(TMouseActMode mode, TShiftState shift, int x, int y);
    void PanStep(TMouseActMode mode, int x, int y);
    static void PanAxis(const TAxisMap& map, const TScaleProps& s, double anchorLow, double anchorHigh, int pixels,
                        double& low, double& high);
    void ZoomDragStep(int x, int y);
    static void ZoomAxis(const TAxisMap& map, const TScaleProps& s, int pixel, long double factor, double& low,
                         double& high);
    int NearestCrossHair(int x, int y);
    int NearestTextLabel(int x, int y);
    void CrossHairStep(int x, int y);
    void TextLabelStep(int x, int y);
    // rubber band
    void StartRubberBand(QPoint pos, bool right);
    void FollowRubberBand(int x, int y);
    QRegion XorOutline();
    static QRegion OutlineRegion(TPoint a, TPoint b);
    QRegion DrawRubberBand();
    QRegion EraseRubberBand();
    void EndRubberBand(TMouseButton button);
    // cursor
    void SetCursor(TMouseActMode mode, int x, int y);

    TCustomRChart& m_chart;
    TMouseState m_state;
};
