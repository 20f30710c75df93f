#pragma once
// The two button glyphs of the toolbar, 21 x 21 pixels, drawn by the program.
#include <QIcon>
#include <QImage>

QImage PenGlyphImage();        // a pen lying diagonally, tip at the bottom left (16 colours)
QImage CrossGlyphImage();      // a red cross
QIcon GlyphIcon(const QImage& glyph);  // the glyph with its bottom-left pixel colour transparent
