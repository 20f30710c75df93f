#pragma once
// Enumerations of the chart control and its settings objects.
#include <cstdint>

#include "scale/axismap.h"  // kLogFloor: a value at or below it is not positive on a logarithmic axis

// How the shadow of the chart area looks: a drop shadow with square-cut near ends, or bevelled
// sides that reach the corner, outlined in black.
enum TShadowStyle { ssFlying, ssBox };

enum GridStyleType {
    gsNone, gsPoints, gsVertLines, gsHorizLines, gsLines, gsHorizDotLines, gsVertDotLines, gsDotLines
};

// Reference edges of the chart caption.
enum TCaptionAnchorHoriz { cahControlLeft, cahChartLeft, cahChartCenter, cahChartRight, cahControlRight };
enum TCaptionAnchorVert { cavControlTop, cavChartTop, cavChartCenter, cavChartBottom, cavControlBottom };

// Background of text items.
enum TTextBkg { tbClear, tbSolid };

// What a left-button drag does in the chart.
enum TMouseActMode : std::uint8_t {
    maNone, maPan, maPanHoriz, maPanVert, maRubberBand, maZoom, maZoomWind, maZoomWindPos,
    maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly, maRotZOnly
};

// Mouse buttons of the mouse events.
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The layout presets: margins, chart caption and which axes of layers 1..4 show where.
enum TrcLayout {
    rcl_X1Bottom_Y1Left, rcl_X1Bottom_Y2Left, rcl_X1Bottom_Y3Left, rcl_X1Bottom_Y4Left,
    rcl_X1Bottom_Y2Both, rcl_X2Bottom_Y2Left, rcl_X2Both_Y2Both
};

// How a background picture covers the chart area.
enum TBkgFill { bfSimple, bfStretch, bfTile };

// A coloured region of the chart area drawn when no picture is set.
enum TBGAreaMode { bamNone, bamLeft, bamRight, bamTop, bamBottom, bamVStripe, bamHStripe, bamRect };

// Which side of the chart area an axis lies on.
enum TScaleLocationHoriz { slTop, slBottom };
enum TScaleLocationVert { slLeft, slRight };

// Crosshair forms.
enum TCrossHMode { chOff, chHoriz, chVert, chBoth, chBox };

// Which coordinates of a text label are world units (the others are control pixels).
enum TTxtLblAttachMode { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };

// Where a text label's anchor lies on its text block.
enum TVerticalAlignment { vaTop, vaCenter, vaBottom };

enum TTxtLblMode { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };

// The layers of a chart, counted from 1.
constexpr int kMaxLayers = 16;
// The number of crosshairs and of text labels a chart owns.
constexpr int kMaxCrossHairs = 4;
constexpr int kMaxTextLabels = 30;
