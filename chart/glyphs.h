#pragma once
// Data-point marks: kinds 0 to 51 are small glyphs of at most 9 x 9 pixels drawn with the
// canvas's current pen; kinds 52 to 255 draw one character in the canvas's current font.
#include <cstdint>
#include <string>

#include "platform/canvas.h"
#include "platform/stamp.h"

// Draws mark `markKind` centred on pixel (x, y) with the canvas's current pen (colour, width,
// style and mode), brush and font. Glyph kinds keep the brush colour the canvas had; the brush
// style ends solid when the glyph uses the brush; the pen ends where the glyph's last line ended.
void DrawMarkGlyph(TCanvas& canvas, std::uint8_t markKind, int x, int y);

// The character a character mark (kind 52 and above) shows, as UTF-8: the code of the kind in the
// Windows-1252 code page, except kinds 200 to 209, which are the digits "0" to "9".
std::string MarkCharacter(std::uint8_t markKind);

// The stamps of the glyph kinds 0 to 51 in pen modes pmCopy and pmXor, recorded from
// DrawMarkGlyph on first use (nullptr for other kinds and modes). They live as long as the program.
class TGlyphStamp {
public:
    static const TPixelStamp* For(std::uint8_t markKind, TPenMode mode);
};
