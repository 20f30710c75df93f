#include "app/glyphs.h"

#include "platform/canvas.h"
#include "platform/colors.h"

namespace {

constexpr int kGlyphSize = 21;
constexpr TColor kGlyphBack = clOlive;   // the transparent colour: the bottom-left pixel

QImage BlankGlyph()
{
    QImage image(kGlyphSize, kGlyphSize, QImage::Format_RGB32);
    image.fill(ToQRgb(kGlyphBack));
    return image;
}

// A thick diagonal stroke from (x1, y1) towards (x2, y2), `halfWidth` pixels to each side.
void Stroke(TCanvas& canvas, int x1, int y1, int x2, int y2, int halfWidth, TColor color)
{
    canvas.Pen().SetColor(color);
    for (int k = -halfWidth; k <= halfWidth; ++k) {
        canvas.MoveTo(x1 + k, y1);
        canvas.LineTo(x2 + k, y2);
    }
}

}  // namespace

QImage PenGlyphImage()
{
    QImage image = BlankGlyph();
    TCanvas canvas(&image);
    // Body from the top right down to the bottom left: a blue barrel with a dark edge, a metal
    // ferrule, a wooden cone and a black tip; 16-colour palette shades only.
    Stroke(canvas, 17, 1, 7, 11, 2, clNavy);
    Stroke(canvas, 17, 2, 8, 11, 1, clBlue);
    Stroke(canvas, 19, 3, 18, 2, 1, clRed);           // the cap's end
    Stroke(canvas, 8, 10, 6, 12, 2, clSilver);        // ferrule
    Stroke(canvas, 6, 12, 4, 14, 1, clYellow);        // cone
    canvas.Pen().SetColor(clMaroon);
    canvas.MoveTo(6, 14); canvas.LineTo(3, 17);
    canvas.MoveTo(4, 12); canvas.LineTo(2, 15);
    canvas.Pen().SetColor(clBlack);
    canvas.MoveTo(3, 16); canvas.LineTo(1, 18);       // the tip
    canvas.MoveTo(2, 16); canvas.LineTo(1, 17);
    canvas.SetPixel(1, 18, clBlack);
    // a line written by the pen
    canvas.Pen().SetColor(clGray);
    canvas.MoveTo(3, 19); canvas.LineTo(19, 19);
    return image;
}

QImage CrossGlyphImage()
{
    QImage image = BlankGlyph();
    TCanvas canvas(&image);
    const TColor dark = RGBColor(0x80, 0, 0), red = clRed, light = RGBColor(0xFF, 0x60, 0x60);
    for (int k = -2; k <= 2; ++k) {
        const TColor c = k == -2 || k == 2 ? dark : k == 0 ? light : red;
        canvas.Pen().SetColor(c);
        canvas.MoveTo(3 + k, 3); canvas.LineTo(18 + k, 18);
        canvas.MoveTo(17 + k, 3); canvas.LineTo(2 + k, 18);
    }
    return image;
}

QIcon GlyphIcon(const QImage& glyph)
{
    QImage argb = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = glyph.pixel(0, glyph.height() - 1);
    for (int y = 0; y < argb.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if ((line[x] | 0xFF000000u) == (key | 0xFF000000u)) line[x] = 0;
    }
    return QIcon(QPixmap::fromImage(argb));
}
