// The canvas's vector mirror: the same drawing, copied as figures onto a painter at any scale,
// leaves the canvas's own pixels exactly as without it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/canvas.h"
#include "platform/widgetpaint.h"
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

// A device image at ratio r: logical coordinates, r times the pixels; with hairlines a width-1
// line is one device pixel thick, wider pens are scaled.
struct DeviceCase {
    const char* name;
    double ratio;
    int width, height;   // device pixels of a 100 x 80 picture
    int thickRows;       // rows a width-3 line covers
};

class DeviceImage : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceImage, HairlinesStayOneDevicePixelAndWidePensScale)
{
    const DeviceCase& dc = GetParam();
    QImage logical(100, 80, QImage::Format_RGB32);
    logical.fill(0xFFFFFFFFu);   // a new image holds whatever the memory held, red lines of earlier cases too
    TCanvas c(&logical);
    const QImage image = RenderDeviceImage(100, 80, dc.ratio, [&](QPainter& painter) {
        c.SetMirror(&painter, 0, 0, true);
        c.Pen().SetColor(clRed);
        c.MoveTo(10, 10);
        c.LineTo(90, 10);
        c.Pen().SetWidth(3);
        c.Pen().SetColor(clBlue);
        c.MoveTo(10, 50);
        c.LineTo(90, 50);
        c.SetMirror(nullptr);
    });
    ASSERT_EQ(image.width(), dc.width);
    ASSERT_EQ(image.height(), dc.height);
    EXPECT_DOUBLE_EQ(image.devicePixelRatio(), dc.ratio);
    const int x = int(50 * dc.ratio);
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        red += PixelRgb(image, x, y) == 0xFF0000u;
        blue += PixelRgb(image, x, y) == 0x0000FFu;
    }
    EXPECT_EQ(red, 1);
    EXPECT_EQ(blue, dc.thickRows);
    // The logical canvas keeps its own one-pixel line.
    EXPECT_EQ(CountPixels(logical, 0xFF0000u, 50, 0, 51, 80), 1);
}

const DeviceCase kDeviceCases[] = {
    {"One", 1.0, 100, 80, 3},
    {"OneAndAHalf", 1.5, 150, 120, 4},   // 4.5 device pixels, rasterised without antialiasing
    {"Two", 2.0, 200, 160, 6},
    {"Three", 3.0, 300, 240, 9},
};

INSTANTIATE_TEST_SUITE_P(CanvasMirror, DeviceImage, ::testing::ValuesIn(kDeviceCases),
                         [](const auto& info) { return std::string(info.param.name); });
