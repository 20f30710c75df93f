#include <gtest/gtest.h>

#include <limits>

#include "platform/aspect.h"

struct AspectCase {
    const char* name;
    double dpiX, dpiY;
    int x, y;
};

const AspectCase kAspectCases[] = {
    {"Square", 96, 96, 1, 1},
    {"NearlySquare", 96, 95, 1, 1},
    {"TallPixels", 96, 48, 1, 2},    // half the rows per inch: pixels twice as high as wide
    {"WidePixels", 120, 240, 2, 1},
    {"Unknown", 0, 96, 1, 1},
    {"NaN", 96, std::numeric_limits<double>::quiet_NaN(), 1, 1},
};

class PixelAspect : public ::testing::TestWithParam<AspectCase> {};

TEST_P(PixelAspect, FromResolutions)
{
    const AspectCase& c = GetParam();
    const TPixelAspect a = PixelAspectFromDpi(c.dpiX, c.dpiY);
    EXPECT_EQ(a.X, c.x);
    EXPECT_EQ(a.Y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Platform, PixelAspect, ::testing::ValuesIn(kAspectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PixelAspect, OffscreenIsSquare)
{
    const TPixelAspect a = DisplayPixelAspect();
    EXPECT_EQ(a.X, 1);
    EXPECT_EQ(a.Y, 1);
}
