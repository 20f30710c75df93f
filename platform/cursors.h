#pragma once
// Mouse cursors: the application-wide screen cursor and the numbered cursors that components
// register for it.
//
// A cursor is a number. The toolkit's own shapes are 0 and below (crDefault, crArrow, crCross);
// numbers 1 and up are cursors a component registers with RegisterCursor. The chart registers its
// four cursors as numbers 1 to 4 (crChartHand .. crChartZoomWindPos).
//
// The screen cursor overrides the cursor of every widget while it is anything but crDefault;
// setting crDefault lets each widget show its own cursor again.
#include <QCursor>
#include <QImage>
#include <QPoint>

using TCursor = int;

constexpr TCursor crDefault = 0;    // each widget's own cursor (normally the arrow)
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;

// The chart's cursors, 32 x 32 pixels in black and white.
constexpr TCursor crChartHand = 1;         // an open hand, fingers up; hot spot (12, 3)
constexpr TCursor crChartZoomWind = 2;     // a cross at the top left of a window frame; (7, 9)
constexpr TCursor crChartZoomDrag = 3;     // four arrow heads around a centre square; (15, 15)
constexpr TCursor crChartZoomWindPos = 4;  // as crChartZoomWind with marks in the corners; (7, 8)

// Registers `cursor` under `number` (1 and up; other numbers are ignored), replacing an earlier
// registration. A screen cursor showing that number takes the new shape.
void RegisterCursor(TCursor number, const QCursor& cursor);

// The shape of a cursor number: the toolkit's shape for 0 and below, the registered cursor for
// 1 and up, and the arrow for a number that nothing registered.
QCursor CursorShape(TCursor number);

// Sets the application-wide cursor; crDefault removes the override.
void SetScreenCursor(TCursor number);
TCursor ScreenCursor();

// One of the chart's cursor pictures: a 32 x 32 ARGB image whose pixels are opaque black, opaque
// white or transparent, and its hot spot. Numbers other than 1..4 give a null image.
struct TCursorImage {
    QImage Image;
    QPoint HotSpot;
};
TCursorImage ChartCursorImage(TCursor number);

// Registers the four chart cursors as numbers 1 to 4. Cheap after the first call.
void RegisterChartCursors();
