// The renderer replays a frame value without a chart: maps, placement, a span of items and the
// attributes decide every pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "chart/tests/chartprobe.h"
#include "testsupport/testsupport.h"

using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000, kBlue = 0x0000FF;

TDisplayItem Item(TItemKind kind, double x, double y, TColor color, int layer = 1)
{
    TDisplayItem it{};
    it.Kind = kind;
    it.X1 = x;
    it.Y1 = y;
    it.Color = color;
    it.LineWidth = 1;
    it.Layer = layer;
    it.MarkKind = 26;
    return it;
}

// A 101 x 61 data area at control pixel (10, 20): layer 1 maps 0..10 onto it, layer 2 0..100.
TRenderFrame Frame(const std::vector<TDisplayItem>& items)
{
    TRenderFrame f;
    f.MarginLeft = 10;
    f.MarginTop = 20;
    f.AreaWidth = 100;
    f.AreaHeight = 60;
    for (int layer = 1; layer <= kMaxLayers; ++layer) {
        const double high = layer == 2 ? 100 : 10;
        f.MapX[std::size_t(layer - 1)] = TAxisMap::Between(0, high, false, 10, 110, 0);
        f.MapY[std::size_t(layer - 1)] = TAxisMap::Between(0, high, false, 80, 20, 0);
    }
    f.ClassVisible.fill(true);
    f.LayerVisible.fill(true);
    f.Items = items;
    return f;
}

TEST(RenderFrame, ItemsLandWhereTheirLayersMapsPutThem)
{
    const std::vector<TDisplayItem> items = {Item(ikMark, 5, 5, clRed), Item(ikMoveTo, 0, 80, clBlue, 2),
                                             Item(ikLineTo, 100, 80, clBlue, 2), Item(ikMark, 60, 50, clBlue, 2)};
    QImage img(101, 61, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    TCanvas canvas(&img);
    TChartRenderer(Frame(items), canvas).Run();
    // the red disc of layer 1 at (5, 5): canvas pixel (50, 30), 5 x 5 with cut corners
    EXPECT_EQ(PixelRgb(img, 50, 30), kRed);
    EXPECT_EQ(PixelRgb(img, 52, 30), kRed);
    EXPECT_EQ(PixelRgb(img, 52, 32), kWhite);
    // the blue mark of layer 2 at (60, 50): 10 pixels right of the red one
    EXPECT_EQ(PixelRgb(img, 60, 30), kBlue);
    EXPECT_EQ(PixelRgb(img, 58, 31), kBlue);
    // the blue line of layer 2 at y = 80: canvas row 12, without its end pixel (the frame's)
    EXPECT_EQ(PixelRgb(img, 0, 12), kBlack);
    EXPECT_EQ(PixelRgb(img, 1, 12), kBlue);
    EXPECT_EQ(PixelRgb(img, 99, 12), kBlue);
    EXPECT_EQ(PixelRgb(img, 50, 13), kWhite);
    // the frame line around the area
    EXPECT_EQ(PixelRgb(img, 100, 0), kBlack);
    EXPECT_EQ(PixelRgb(img, 0, 0), kBlack);
}

TEST(RenderFrame, HiddenLayersAndClassesAndTheOffsetsComeFromTheFrame)
{
    std::vector<TDisplayItem> items = {Item(ikMark, 5, 5, clRed), Item(ikMark, 2, 2, clBlue, 3)};
    items[0].ItemClass = 7;
    TRenderFrame f = Frame(items);
    f.ClassVisible[7] = false;
    f.OffsetX = 3;
    f.OffsetY = 4;
    QImage img(110, 70, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    TCanvas canvas(&img);
    TChartRenderer(f, canvas).Run();
    EXPECT_EQ(PixelRgb(img, 53, 34), kWhite);  // class 7 hidden
    EXPECT_EQ(PixelRgb(img, 23, 52), kBlue);   // layer 3 at (2, 2): (20, 48) moved by the offsets
    EXPECT_EQ(PixelRgb(img, 3, 4), kBlack);    // the frame starts at the offsets
    f.LayerVisible[2] = false;
    img.fill(0xFFFFFFFFu);
    TChartRenderer(f, canvas).Run();
    EXPECT_EQ(PixelRgb(img, 23, 52), kWhite);
}

}  // namespace
