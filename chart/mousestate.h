#pragma once
// What the chart remembers between mouse notifications (drags, rubber band, double click).
// Pixel positions are control client pixels, y growing downwards.
#include <QtGlobal>

#include "platform/canvas.h"

// The mouse position and layer 1's range ends when a drag started.
struct TDragAnchor {
    int X = 0;
    int Y = 0;
    double XLow = 0.0;
    double YLow = 0.0;
    double XHigh = 0.0;
    double YHigh = 0.0;
};

struct TMouseState {
    // A left-button drag of the pan, zoom-drag, crosshair or label kind has started.
    bool DragActive = false;
    TDragAnchor DragAnchor;

    // A rubber-band rectangle is being dragged from RubberBandAnchor to RubberBandCorner.
    bool RubberBandActive = false;
    TPoint RubberBandAnchor;
    TPoint RubberBandCorner;
    // The band was started by the right button (RightButtonZoom): it zooms to its rectangle
    // whatever MouseAction is, and ends with the right button's release.
    bool RubberBandRight = false;
    // The outline from RubberBandAnchor to RubberBandCorner is on the screen image, which then
    // carried the cache key RubberBandScreenKey. Any other drawing into the screen image (a
    // repaint) changes the key and means the outline is gone.
    bool RubberBandShown = false;
    qint64 RubberBandScreenKey = 0;

    // Set by a double click; the next mouse-down or mouse-up is swallowed.
    bool DblClickPending = false;
    // The press that completed a double click was already handled as the double click, so the
    // toolkit's double-click notification that follows it is not handled again.
    bool DblClickTaken = false;
    // A left press reached the chart; a left release over the control is a click.
    bool ClickPending = false;

    int SelectedCrossHair = 1;   // 1..4
    int SelectedTextLabel = 1;   // 1..30
};
