// Pixel stamps: a recorded figure stored many times at once equals the drawing made at each
// centre, for the disc that takes the unrolled stores, for wide runs that take the 4-pixel
// stores, for figures that combine by exclusive or, inside, at and beyond the clip.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <vector>

#include "platform/canvas.h"
#include "platform/stamp.h"

namespace {

QImage Noise(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, 0xFF000000u | ((x * 73 + y * 151) * 2654435761u >> 8));
    return img;
}

// rows of 3, 5, 5, 5 and 3 pixels
void Disc(TCanvas& c, int x, int y)
{
    const TColor pen = c.Pen().Color();
    for (int dy = -2; dy <= 2; ++dy) {
        const int half = dy == -2 || dy == 2 ? 1 : 2;
        for (int dx = -half; dx <= half; ++dx) c.SetPixel(x + dx, y + dy, pen);
    }
}

// runs of 1, 2, 3, 5, 8 and 11 pixels, and a pen left at the end of the last line
void Runs(TCanvas& c, int x, int y)
{
    const int widths[] = {1, 2, 3, 5, 8, 11};
    for (int k = 0; k < 6; ++k) {
        c.MoveTo(x - 5, y - 3 + k);
        c.LineTo(x - 5 + widths[k], y - 3 + k);
    }
}

// a hollow box and its diagonal, drawn with the canvas's pen mode
void Box(TCanvas& c, int x, int y)
{
    c.Brush().SetStyle(bsClear);
    c.Rectangle(x - 3, y - 3, x + 4, y + 4);
    c.MoveTo(x - 3, y - 3);
    c.LineTo(x + 4, y + 4);
}

struct StampCase {
    const char* name;
    TPixelStamp::TDrawing draw;
    TPenMode mode;
};

class Stamps : public ::testing::TestWithParam<StampCase> {};

TEST_P(Stamps, ManyAtOnceEqualTheDrawingAtEachCentre)
{
    const StampCase& c = GetParam();
    const auto stamp = TPixelStamp::Record(c.mode, c.draw);
    ASSERT_NE(stamp, nullptr);
    const std::vector<TPoint> centres = {{20, 15}, {2, 15}, {37, 3}, {20, 0}, {20, 29}, {-3, -3}, {45, 40},
                                         {9, 9},   {30, 21}, {24, 16}, {20, 15}, {1000, 1000}, {-1000, 5}};
    for (bool clip : {false, true}) {
        SCOPED_TRACE(clip ? "clipped" : "whole image");
        QImage drawn = Noise(40, 30), stamped = Noise(40, 30);
        TCanvas d(&drawn), s(&stamped);
        for (TCanvas* canvas : {&d, &s}) {
            canvas->Pen().SetColor(clTeal);
            canvas->Pen().SetMode(c.mode);
            canvas->Brush().SetStyle(bsClear);
            if (clip) canvas->SetClipRect({8, 6, 31, 22});
        }
        for (const TPoint& p : centres) c.draw(d, p.X, p.Y);
        stamp->DrawMany(s, centres.data(), centres.size());
        EXPECT_EQ(stamped, drawn);
        EXPECT_EQ(s.PenPos(), d.PenPos());
        EXPECT_EQ(s.Brush().Style(), d.Brush().Style());
    }
}

INSTANTIATE_TEST_SUITE_P(Figures, Stamps,
                         ::testing::Values(StampCase{"Disc", Disc, pmCopy}, StampCase{"Runs", Runs, pmCopy},
                                           StampCase{"Box", Box, pmCopy}, StampCase{"BoxXor", Box, pmXor},
                                           StampCase{"RunsXor", Runs, pmXor}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Stamps, FiguresBeyondTheProbeOrOtherModesHaveNoStamp)
{
    EXPECT_EQ(TPixelStamp::Record(pmCopy, [](TCanvas& c, int x, int y) { c.SetPixel(x + 15, y, clRed); }), nullptr);
    EXPECT_EQ(TPixelStamp::Record(pmNotXor, Disc), nullptr);
}

}  // namespace
