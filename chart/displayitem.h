#pragma once
// The record of the chart's display list and its item kinds.
#include <cstdint>

#include "common/types.h"

// Item kinds. 0, 10 and 11 are never drawn.
enum TItemKind : std::uint8_t {
    ikNone = 0,
    ikMark = 1,
    ikLine = 2,
    ikLineTo = 3,
    ikRect = 4,
    ikRect3D = 5,
    ikBar3D = 6,
    ikText = 7,
    ikMoveTo = 8,
    ikEllipse = 9,
    ikMoveRel = 12,
    ikLineRel = 13,
    ikArrow = 14,
    ikTextOffset = 15,
    ikRectCentred = 16,
};

// The longest text of a text item, in bytes.
constexpr int kItemTextLength = 17;

// One drawing request in world units of its layer, with the drawing attributes it was appended
// with. Every item has every field; each kind reads only some of them.
struct TDisplayItem {
    double X1;            // first point (ikMoveRel, ikLineRel: pixel offset)
    double Y1;
    double X2;            // second point; x radius of ikEllipse; pixel offset or half-width of others
    double Y2;
    TColor Color;         // outline and text colour
    TColor FillColor;
    TColor Color2;        // edge colours of ikRect3D
    TColor Color3;
    TPenStyle PenStyle;
    std::int32_t LineWidth;
    std::uint8_t ItemClass;  // 0..254, for class visibility
    std::uint8_t Kind;       // a TItemKind value
    std::int32_t Layer;      // 1..16
    bool Hollow;             // outline only; open arrow head for ikArrow
    std::uint8_t FrameStyle3D;
    char Text[kItemTextLength + 1];  // NUL-terminated
    std::int32_t Size;       // font size of texts; depth angle of ikBar3D; head length of ikArrow
    std::int32_t Depth;      // depth of ikBar3D in pixels
    std::uint8_t MarkKind;   // mark glyph 0..255 of ikMark; TAlignment of text items
};
