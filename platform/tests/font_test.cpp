#include <gtest/gtest.h>

#include "platform/font.h"

TEST(Font, SizeAndHeightConvertAt96Dpi)
{
    TFont font;
    font.SetSize(10);
    EXPECT_EQ(font.Height(), 13);
    EXPECT_EQ(font.Size(), 10);
    font.SetHeight(-16);
    EXPECT_EQ(font.PixelHeight(), 16);
    EXPECT_EQ(font.Size(), 12);
}
