// The fit-quality label on a screen of device pixel ratio 2 is drawn at device resolution, not
// enlarged: its texts are not made of uniform 2 x 2 blocks.
#include <gtest/gtest.h>

#include <QImage>

#include "numlab/tests/mainwindowlabel.h"
#include "testsupport/testsupport.h"

using testsupport::IsDark;
using testsupport::SolidBlockShare;

class NumLabDeviceImage : public ::testing::TestWithParam<bool> {};

TEST_P(NumLabDeviceImage, IsDrawnAtDeviceResolution)
{
    TNumLab lab;
    ConfigureAsMainWindowLabel(lab);
    lab.SetTransparent(GetParam());
    lab.SetValue(0.98765);
    const QImage one = lab.RenderImage();
    const QImage two = lab.DeviceImage(2.0);
    ASSERT_EQ(two.size(), QSize(386, 44));
    EXPECT_DOUBLE_EQ(two.devicePixelRatio(), 2.0);
    const QImage enlarged = one.scaled(386, 44, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_DOUBLE_EQ(SolidBlockShare(enlarged, IsDark, 0, 0, 386, 44), 1.0);
    const double share = SolidBlockShare(two, IsDark, 0, 0, 386, 44);
    EXPECT_GE(share, 0.0);
    EXPECT_LE(share, 0.5);   // the 26-pixel glyphs have stems of 2 and 3 pixels
    // The texts keep their places: the value's ink lies in the field, the caption's left of it.
    EXPECT_GT(testsupport::CountPixels(two, 0x000000u, 2 * 124, 0, 2 * 180, 44), 0);
    EXPECT_GT(testsupport::CountPixels(two, 0x000000u, 0, 0, 2 * 118, 44), 0);
}

INSTANTIATE_TEST_SUITE_P(NumLab, NumLabDeviceImage, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Transparent" : "Opaque"); });
