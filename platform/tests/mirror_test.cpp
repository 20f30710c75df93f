// The canvas's vector mirror: the same drawing, copied as figures onto a painter at any scale,
// leaves the canvas's own pixels exactly as without it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/canvas.h"
#include "testsupport/testsupport.h"

namespace {

using testsupport::CountPixels;
using testsupport::PixelRgb;

void DrawScene(TCanvas& c)
{
    c.Brush().SetColor(clWhite);
    c.FillRect(TRect{0, 0, 100, 80});
    c.Pen().SetColor(clRed);
    c.MoveTo(10, 10);
    c.LineTo(90, 10);
    c.Pen().SetColor(clBlue);
    c.Brush().SetColor(clLime);
    c.Rectangle(20, 20, 40, 40);
    c.Ellipse(50, 20, 70, 40);
    c.Pen().SetStyle(psDot);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(5, 50, 60, 70);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetMode(pmXor);
    c.Pen().SetColor(clWhite);
    c.MoveTo(0, 75);
    c.LineTo(100, 75);
    c.Pen().SetMode(pmCopy);
    c.Font().SetColor(clBlack);
    c.TextOut(70, 50, "Ab");
}

}  // namespace

TEST(CanvasMirror, CopiesFiguresAtTheScaleOfThePainterAndLeavesThePixels)
{
    QImage plain(100, 80, QImage::Format_RGB32), mirrored(100, 80, QImage::Format_RGB32);
    TCanvas a(&plain), b(&mirrored);
    DrawScene(a);

    QImage big(200, 160, QImage::Format_RGB32);
    big.fill(Qt::white);
    {
        QPainter painter(&big);
        painter.scale(2, 2);
        b.SetMirror(&painter);
        DrawScene(b);
        b.SetMirror(nullptr);
    }
    EXPECT_EQ(plain, mirrored) << "the mirror changes no pixel of the canvas";

    // The red line at y 10 (centre 10.5) lies at rows 20..21 of the doubled picture, x 20..180.
    EXPECT_EQ(PixelRgb(big, 100, 20), 0xFF0000u);
    EXPECT_EQ(PixelRgb(big, 100, 21), 0xFF0000u);
    EXPECT_EQ(PixelRgb(big, 100, 18), 0xFFFFFFu);
    // The rectangle's lime inside and blue outline, doubled.
    EXPECT_EQ(PixelRgb(big, 60, 60), 0x00FF00u);
    EXPECT_EQ(PixelRgb(big, 41, 60), 0x0000FFu);
    // The ellipse's centre is lime.
    EXPECT_EQ(PixelRgb(big, 120, 60), 0x00FF00u);
    // The exclusive-or line is not copied: row 151 stays white.
    EXPECT_EQ(CountPixels(big, 0xFFFFFFu, 0, 150, 200, 152), 400);
    // Text is drawn as text: black pixels in the doubled text box.
    EXPECT_GT(CountPixels(big, 0x000000u, 140, 100, 200, 140), 20);
    // The clip rectangle clips the copy too.
    QImage clipped(100, 80, QImage::Format_RGB32);
    TCanvas c(&clipped);
    big.fill(Qt::white);
    {
        QPainter painter(&big);
        painter.scale(2, 2);
        c.SetMirror(&painter, 0, 0);
        c.SetClipRect(TRect{0, 0, 50, 80});
        c.Pen().SetColor(clRed);
        c.MoveTo(10, 10);
        c.LineTo(90, 10);
        c.SetMirror(nullptr);
    }
    EXPECT_EQ(PixelRgb(big, 80, 20), 0xFF0000u);
    EXPECT_EQ(PixelRgb(big, 120, 20), 0xFFFFFFu);
}
