// The chart's public face: a program reads the display list but changes it only through the
// chart's operations, cannot make the key to the chart's internals, and moves a crosshair or a
// text label with one notification, so a dragged one repaints once per step.
#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "chartfixture.h"

namespace {

using ListFromOutside = decltype(std::declval<TRChart&>().DisplayList());
static_assert(std::is_const_v<std::remove_reference_t<ListFromOutside>>,
              "outside the chart the display list is read-only");
static_assert(!std::is_default_constructible_v<TChartKey>, "only the chart and its parts make a TChartKey");

TEST(ChartFace, CrossHairTakesBothCoordinatesInOneNotification)
{
    TCrossHair hair;
    int notices = 0;
    hair.OnChange = [&](TCrossHair& sender) {
        ++notices;
        EXPECT_EQ(sender.PosX(), 2.5);
        EXPECT_EQ(sender.PosY(), -4.0);
    };
    hair.SetPos(2.5, -4.0);
    EXPECT_EQ(notices, 1);
}

TEST(ChartFace, TextLabelTakesBothCoordinatesInOneNotification)
{
    TTextLabel label;
    int notices = 0;
    label.OnChange = [&](TCustomTextLabel& sender) {
        ++notices;
        EXPECT_EQ(sender.PosX(), 7.0);
        EXPECT_EQ(sender.PosY(), 1e-3);
    };
    label.SetPos(7.0, 1e-3);
    EXPECT_EQ(notices, 1);
}

using ChartFaceFixture = ChartFixture;

TEST_F(ChartFaceFixture, AMovedCrossHairRepaintsOnce)
{
    Show();
    chart.SetAutoRedraw(true);
    const int before = paints;
    chart.CrossHair1().SetPos(3.0, 4.0);
    EXPECT_EQ(paints, before + 1);
}

}  // namespace
