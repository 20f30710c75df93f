#pragma once
// TColor to Qt colour conversion. System colours ($FF0000nn) take the matching role of the
// application's palette; without an application object they fall back to the classic grey
// scheme (button face silver, shadow grey, highlight white).
#include <QColor>
#include <QRgb>

#include "common/types.h"

// The RGB colour a TColor stands for, system colours resolved through the palette.
TColor ColorToRGB(TColor color);

QColor ToQColor(TColor color);

// 0xFFRRGGBB, the pixel value a Format_RGB32 image stores for the colour.
QRgb ToQRgb(TColor color);

// The TColor ($00BBGGRR) of a pixel or Qt colour; alpha is dropped.
TColor FromQRgb(QRgb rgb);
TColor FromQColor(const QColor& color);
