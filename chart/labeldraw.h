#pragma once
// Drawing of the chart's text labels, and the pixel clamp the labels and crosshairs share.
#include <string>
#include <vector>

#include "platform/canvas.h"

class TCustomTextLabel;

// `v` clamped into -100000000..100000000: the arithmetic of boxes and hair lines around an anchor
// never overflows.
int NearPixel(long long v);

// Where the parts of a label go on the canvas, for an anchor at canvas pixel (x, y).
struct TLabelLayout {
    int Left = 0;                 // left edge of the text block
    int Bottom = 0;               // bottom of the text block
    int MaxWidth = 0;             // width of the widest line
    int LineHeight = 0;
    TRect Box;                    // the box around the block
    std::vector<std::string> Lines;
    std::vector<TPoint> LineOrigins;  // top-left corner of each line
};

// Splits the caption at its line feeds and places the block by the label's alignments, measured
// in the canvas's current font (which the caller has set to the label's font).
TLabelLayout LayOutTextLabel(const TCanvas& canvas, const TCustomTextLabel& label, int x, int y);

// Draws `label` (its mode not tlOff) with its anchor at canvas pixel (x, y): box, underline or
// shadow by its Mode, then the text in the label's font.
void DrawTextLabel(TCanvas& canvas, const TCustomTextLabel& label, int x, int y);
