// A stand-alone scale on a screen of device pixel ratio 2 is drawn at device resolution, not
// enlarged: its labels and ticks are not made of uniform 2 x 2 blocks.
#include <gtest/gtest.h>

#include <QImage>

#include "scale/scale.h"
#include "testsupport/testsupport.h"

using testsupport::IsDark;
using testsupport::SolidBlockShare;

class ScaleDeviceImage : public ::testing::TestWithParam<bool> {};

TEST_P(ScaleDeviceImage, IsDrawnAtDeviceResolution)
{
    TScale scale;
    scale.SetBounds(0, 0, 300, 70);
    scale.SetScaleType(sctXB);
    scale.SetCaption("Achse");
    scale.Font().SetName("Arial");
    scale.Font().SetHeight(12);
    scale.SetTransparent(GetParam());
    scale.SuspendPaint(false);
    const QImage one = scale.grab().toImage();
    const QImage two = scale.DeviceImage(2.0);
    ASSERT_EQ(two.size(), QSize(600, 140));
    EXPECT_DOUBLE_EQ(two.devicePixelRatio(), 2.0);
    const QImage enlarged = one.scaled(600, 140, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_DOUBLE_EQ(SolidBlockShare(enlarged, IsDark, 0, 0, 600, 140), 1.0);
    const double share = SolidBlockShare(two, IsDark, 0, 0, 600, 140);
    EXPECT_GE(share, 0.0);
    EXPECT_LE(share, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Scale, ScaleDeviceImage, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Transparent" : "Opaque"); });

TEST(ScaleDeviceImage, EmbeddedScaleHasNone)
{
    TScale scale;
    QImage image(100, 100, QImage::Format_RGB32);
    TCanvas canvas(&image);
    scale.SetExternalCanvas(&canvas, 0, 0);
    EXPECT_TRUE(scale.DeviceImage(2.0).isNull());
}
