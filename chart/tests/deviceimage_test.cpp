// The chart on a screen of device pixel ratio 2: the device image is drawn at device
// resolution, not enlarged from the screen image. An enlarged picture is made of uniform 2 x 2
// blocks; the device image's thin lines and text are not.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <cmath>
#include <functional>
#include <vector>

#include "chart/chart.h"
#include "testsupport/testsupport.h"

namespace {

using testsupport::PixelRgb;
using testsupport::SolidBlockShare;

// 400 x 300, layer 1 from 0 to 10: a red fitted line, ten navy marks of kinds 0..9 at y 9.
void Furnish(TRChart& chart)
{
    chart.SetBounds(0, 0, 400, 300);
    chart.Scale1X().SetRangeHigh(10);
    chart.Scale1Y().SetRangeHigh(10);
    chart.SetDataColor(clNavy);
    for (int k = 0; k < 10; ++k) chart.AddMark(std::uint8_t(k), 1 + k * 0.9, 9.0);
    chart.SetDataColor(clRed);
    chart.AddMoveTo(0, 1);
    for (int i = 1; i <= 250; ++i) chart.AddLineTo(i * 0.04, 1 + 0.8 * i * 0.04 + 0.5 * std::sin(i * 0.04));
}

bool Red(std::uint32_t rgb) { return rgb == 0xFF0000u; }

struct Box {
    double cx = 0, cy = 0;   // centre of the covered pixels, pixel centres at +0.5
    int w = 0, h = 0;
    int n = 0;
};

Box NavyBox(const QImage& image, int x1, int y1, int x2, int y2)
{
    Box b;
    int l = x2, r = x1 - 1, t = y2, bo = y1 - 1;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            if (PixelRgb(image, x, y) == 0x000080u) {
                l = std::min(l, x); r = std::max(r, x); t = std::min(t, y); bo = std::max(bo, y);
                ++b.n;
            }
    b.cx = (l + r + 1) / 2.0;
    b.cy = (t + bo + 1) / 2.0;
    b.w = r - l + 1;
    b.h = bo - t + 1;
    return b;
}

class ChartDeviceImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        Furnish(chart);
        chart.show();
        chart.Paint();
    }
    TRChart chart;
};

}  // namespace

TEST_F(ChartDeviceImage, HasDeviceSizeAndRatio)
{
    const QImage& image = chart.DeviceImage(2.0);
    EXPECT_EQ(image.width(), 800);
    EXPECT_EQ(image.height(), 600);
    EXPECT_DOUBLE_EQ(image.devicePixelRatio(), 2.0);
    EXPECT_EQ(chart.DeviceImage(1.5).size(), QSize(600, 450));
}

TEST_F(ChartDeviceImage, TickLabelsAndCurveAreNotEnlargedPixels)
{
    const QImage device = chart.DeviceImage(2.0);
    const QImage enlarged = chart.ScreenImage().scaled(800, 600, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    // The curve inside the chart area, and the labels of both scales below and left of it.
    struct Region {
        const char* name;
        std::function<bool(std::uint32_t)> ink;
        int x1, y1, x2, y2;   // logical pixels
        double most;          // the largest share of solid blocks in the device image
    };
    const Region regions[] = {
        {"curve", Red, 51, 21, 380, 260, 0.2},
        {"x labels", testsupport::IsDark, 40, 264, 395, 300, 0.3},
        {"y labels", testsupport::IsDark, 0, 10, 44, 270, 0.3},
    };
    for (const Region& r : regions) {
        SCOPED_TRACE(r.name);
        EXPECT_DOUBLE_EQ(SolidBlockShare(enlarged, r.ink, 2 * r.x1, 2 * r.y1, 2 * r.x2, 2 * r.y2), 1.0);
        const double share = SolidBlockShare(device, r.ink, 2 * r.x1, 2 * r.y1, 2 * r.x2, 2 * r.y2);
        EXPECT_GE(share, 0.0) << "no ink found";
        EXPECT_LE(share, r.most);
    }
}

TEST_F(ChartDeviceImage, MarksSitAtTwiceTheirPositionsWithTheirShapesScaled)
{
    const QImage& screen = chart.ScreenImage();
    const QImage device = chart.DeviceImage(2.0);
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        int px = 0, py = 0;
        chart.WorldToMouse(1, 1 + k * 0.9, 9.0, px, py);
        const Box one = NavyBox(screen, px - 10, py - 10, px + 11, py + 11);
        const Box two = NavyBox(device, 2 * (px - 10), 2 * (py - 10), 2 * (px + 11), 2 * (py + 11));
        ASSERT_GT(one.n, 0);
        EXPECT_NEAR(two.cx, 2 * one.cx, 1.0);
        EXPECT_NEAR(two.cy, 2 * one.cy, 1.0);
        EXPECT_NEAR(two.w, 2 * one.w, 2);
        EXPECT_NEAR(two.h, 2 * one.h, 2);
    }
}

// A run of very many marks reaches the device image as one layer: each mark pixel of the screen
// image stands there as a 2 x 2 block of its colour, every other pixel of the area as before.
TEST(ChartDeviceImageMarks, AVeryLongRunIsTheScreenMarksEnlarged)
{
    TRChart chart;
    chart.SetBounds(0, 0, 400, 300);
    chart.Scale1X().SetRangeHigh(10);
    chart.Scale1Y().SetRangeHigh(10);
    chart.SetDataColor(clNavy);
    std::vector<double> xs, ys;
    for (int i = 0; i < 30000; ++i) {
        xs.push_back(0.5 + 9.0 * double((i * 7919LL) % 30000) / 30000.0);
        ys.push_back(0.5 + 4.0 * double((i * 104729LL) % 30000) / 30000.0);
    }
    chart.AddMarks(26, xs, ys);
    chart.show();
    chart.Paint();
    const QImage& screen = chart.ScreenImage();
    const QImage device = chart.DeviceImage(2.0);
    int navy = 0;
    for (int y = chart.MarginTop() + 1; y < chart.MarginTop() + chart.AreaHeight(); ++y)
        for (int x = chart.MarginLeft() + 1; x < chart.MarginLeft() + chart.AreaWidth(); ++x) {
            if (PixelRgb(screen, x, y) != 0x000080u) continue;
            ++navy;
            for (int d = 0; d < 4; ++d)
                ASSERT_EQ(PixelRgb(device, 2 * x + d % 2, 2 * y + d / 2), 0x000080u) << x << " " << y;
        }
    EXPECT_GT(navy, 10000);
}

TEST_F(ChartDeviceImage, FollowsTheDataAreaRefresh)
{
    const QImage before = chart.DeviceImage(2.0);
    chart.SetDataColor(clNavy);
    chart.AddMark(26, 5.0, 5.0);
    chart.ShowItems();
    int px = 0, py = 0;
    chart.WorldToMouse(1, 5.0, 5.0, px, py);
    const QImage after = chart.DeviceImage(2.0);
    EXPECT_NE(PixelRgb(before, 2 * px, 2 * py), 0x000080u);
    EXPECT_EQ(PixelRgb(after, 2 * px, 2 * py), 0x000080u);
}

TEST_F(ChartDeviceImage, ShowsTheRubberBandOverTheDeviceImage)
{
    chart.SetMouseAction(maZoomWind);
    auto picture = [this] {
        QImage image(800, 600, QImage::Format_RGB32);
        image.setDevicePixelRatio(2.0);
        QPainter painter(&image);
        chart.PaintDevicePicture(painter, 2.0);
        return image;
    };
    const QImage before = picture();
    QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(100, 50));
    const QPoint to(200, 150);
    QMouseEvent move(QEvent::MouseMove, to, chart.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&chart, &move);
    const QImage during = picture();
    // The outline's logical pixels are inverted as 2 x 2 blocks; the inside is untouched.
    for (QPoint p : {QPoint(150, 50), QPoint(100, 120), QPoint(199, 80)})
        for (QPoint d : {QPoint(0, 0), QPoint(1, 1)}) {
            const QPoint q = 2 * p + d;
            EXPECT_EQ(during.pixel(q), chart.ScreenImage().pixel(p)) << q.x() << "," << q.y();
        }
    EXPECT_EQ(during.pixel(300, 200), before.pixel(300, 200));
    QTest::mouseRelease(&chart, Qt::RightButton, {}, to);
    EXPECT_EQ(picture(), before);
}
