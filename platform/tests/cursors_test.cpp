#include <gtest/gtest.h>

#include <QBitmap>
#include <QGuiApplication>

#include "platform/cursors.h"

namespace {

struct ChartCursorCase {
    const char* name;
    TCursor number;
    QPoint hotSpot;
};

const ChartCursorCase kChartCursors[] = {
    {"Hand", crChartHand, {12, 3}},
    {"ZoomWind", crChartZoomWind, {7, 9}},
    {"ZoomDrag", crChartZoomDrag, {15, 15}},
    {"ZoomWindPos", crChartZoomWindPos, {7, 8}},
};

// Leaves the screen cursor at the default after each test, as the application expects.
class ScreenCursorTest : public ::testing::Test {
protected:
    void TearDown() override { SetScreenCursor(crDefault); }
};

}  // namespace

class ChartCursor : public ::testing::TestWithParam<ChartCursorCase> {};

TEST_P(ChartCursor, PictureIsTwoColoursWithOpaqueHotSpot)
{
    const ChartCursorCase& tc = GetParam();
    const TCursorImage picture = ChartCursorImage(tc.number);
    ASSERT_EQ(picture.Image.size(), QSize(32, 32));
    EXPECT_EQ(picture.HotSpot, tc.hotSpot);
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb p = picture.Image.pixel(x, y);
            if (p == 0xFF000000) {
                ++black;
            } else if (p == 0xFFFFFFFF) {
                ++white;
            } else {
                EXPECT_EQ(qAlpha(p), 0) << x << "," << y;
            }
        }
    EXPECT_GT(black, 40);
    EXPECT_GT(white, 40);  // a white rim or inside keeps it visible on black
    EXPECT_EQ(picture.Image.pixel(tc.hotSpot), 0xFF000000u);
}

TEST_P(ChartCursor, RegisteredCursorCarriesThePicture)
{
    const ChartCursorCase& tc = GetParam();
    RegisterChartCursors();
    const QCursor cursor = CursorShape(tc.number);
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), tc.hotSpot);
    const QImage bits = cursor.bitmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage mask = cursor.mask().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = ChartCursorImage(tc.number).Image;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb p = picture.pixel(x, y);
            const bool opaque = qAlpha(p) != 0;
            ASSERT_EQ(qGray(mask.pixel(x, y)) == 0, opaque) << x << "," << y;
            if (opaque) {
                ASSERT_EQ(qGray(bits.pixel(x, y)) == 0, p == 0xFF000000) << x << "," << y;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Platform, ChartCursor, ::testing::ValuesIn(kChartCursors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScreenCursorTest, OverridesAndReleasesTheApplicationCursor)
{
    RegisterChartCursors();
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    SetScreenCursor(crCross);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    SetScreenCursor(crChartZoomDrag);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(15, 15));
    EXPECT_EQ(ScreenCursor(), crChartZoomDrag);
    SetScreenCursor(crChartZoomDrag);  // setting it again leaves one override, not two
    SetScreenCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(ScreenCursorTest, UnknownNumbersShowTheArrow)
{
    EXPECT_EQ(CursorShape(77).shape(), Qt::ArrowCursor);
    EXPECT_EQ(CursorShape(crDefault).shape(), Qt::ArrowCursor);
    RegisterCursor(0, QCursor(Qt::CrossCursor));  // the toolkit's numbers cannot be replaced
    EXPECT_EQ(CursorShape(crDefault).shape(), Qt::ArrowCursor);
}
