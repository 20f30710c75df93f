// The axis map: the quick way and the exact way give the same pixel, the rules at the edges of
// the number line, the way back from pixels, and the drag of a range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>
#include <algorithm>

#include "scale/axismap.h"

namespace {

struct MapRow {
    const char* name;
    double low, high;
    int lowPixel, highPixel;
    double value;
    int pixel;   // the exact pixel, or kAny where only the agreement of the two ways is asked
};

constexpr int kAny = -1;

class AxisMapRows : public ::testing::TestWithParam<MapRow> {};

// Rows of the chart's 400 x 300 test chart (area x 50..380, y 260..20) and of ranges whose
// pixels land on or a hair beside half pixels, where a double result may round apart.
TEST_P(AxisMapRows, QuickAndExactWayGiveTheSamePixel)
{
    const MapRow& r = GetParam();
    const TAxisMap map = TAxisMap::Between(r.low, r.high, false, r.lowPixel, r.highPixel, 0);
    if (r.pixel != kAny) {
        EXPECT_EQ(map.ToPixel(r.value), r.pixel);
    }
    int fast = 0;
    ASSERT_TRUE(map.FastToPixel(r.value, fast));
    EXPECT_EQ(fast, map.ToPixel(r.value));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AxisMapRows,
    ::testing::Values(MapRow{"Origin", 0, 10, 50, 380, 0, 50}, MapRow{"End", 0, 10, 50, 380, 10, 380},
                      MapRow{"Middle", 0, 10, 50, 380, 5, 215},
                      MapRow{"HalfToEvenDown", 0, 10, 50, 380, 2.5, 132},   // 132.5
                      MapRow{"HalfToEvenUp", 0, 10, 50, 380, 7.5, 298},     // 297.5
                      MapRow{"YAxis", 0, 10, 260, 20, 7.5, 80},
                      MapRow{"YHalf", 0, 10, 260, 20, 0.5625, 246},         // 246.5
                      MapRow{"ThirdHalf", 0, 3, 0, 7, 1.5, kAny},           // about 3.5, from thirds
                      MapRow{"TenthsHalf", 0, 0.3, 0, 3, 0.15, kAny},        // about 1.5, from tenths
                      MapRow{"Reversed", 10, 0, 50, 380, 2.5, 298},
                      MapRow{"FarOut", 0, 10, 50, 380, 1e7, 330000050},
                      MapRow{"Negative", -1e-3, 1e-3, 0, 1000, -7.5e-4, kAny}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AxisMap, QuickWayAgreesOnRandomValuesNearHalfPixels)
{
    std::mt19937 rng(19);
    std::uniform_real_distribution<double> range(-1e3, 1e3), unit(0, 1);
    int near = 0;
    for (int i = 0; i < 20000; ++i) {
        const double low = range(rng), high = low + 1e-3 + unit(rng) * 100;
        const TAxisMap map = TAxisMap::Between(low, high, false, 50, 380 + int(unit(rng) * 500), 0);
        // a value whose exact pixel lies within a few units in the last place of a half pixel
        const double target = 60.5 + std::floor(unit(rng) * 300);
        double v = double((target - map.D()) / map.K());
        for (int k = 0; k < 3; ++k, v = std::nextafter(v, high)) {
            int fast = 0;
            ASSERT_TRUE(map.FastToPixel(v, fast));
            ASSERT_EQ(fast, map.ToPixel(v)) << low << " " << high << " " << v;
            near += std::fabs(double(map.K() * v + map.D()) - target) < 1e-9;
        }
    }
    EXPECT_GT(near, 1000);
}

TEST(AxisMap, QuickWayStepsAsideWhereItCannotAnswer)
{
    int p = 0;
    EXPECT_FALSE(TAxisMap::Between(0, 10, false, 50, 380, 0).FastToPixel(1e12, p));
    EXPECT_FALSE(TAxisMap::Between(0, 10, false, 50, 380, 0).FastToPixel(std::nan(""), p));
    EXPECT_FALSE(TAxisMap::Between(1, 100, true, 50, 380, 0).FastToPixel(10, p));
    EXPECT_FALSE(TAxisMap::Collapsed(0, 10, false, 50, 40, 200, 0).FastToPixel(5, p));
}

// The pair way answers only where both single quick ways answer, and then with their pixels:
// values near half pixels (left to the caller's exact way), far out, not finite, and maps it
// does not take.
TEST(AxisMap, PairWayEqualsTheQuickWayOfEachMap)
{
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> unit(0, 1);
    const double specials[] = {1e12, -1e12, std::nan(""), HUGE_VAL, 0.0, 5.0};
    int answered = 0;
    for (int i = 0; i < 20000; ++i) {
        const double low = unit(rng) * 200 - 100, high = low + 1e-3 + unit(rng) * 100;
        const TAxisMap mx = TAxisMap::Between(low, high, false, 50, 380 + int(unit(rng) * 500), 0);
        const TAxisMap my = i % 50 == 0 ? TAxisMap::Between(1, 100, true, 260, 20, 0)
                                        : TAxisMap::Between(high, low, false, 260, 20 - int(unit(rng) * 300), 0);
        double v[2];
        for (int k = 0; k < 2; ++k) {
            const TAxisMap& map = k == 0 ? mx : my;
            const double target = 60.5 + std::floor(unit(rng) * 300);
            v[k] = i % 7 == 0   ? specials[std::size_t(i / 7 + k) % 6]
                   : i % 2 == 0 ? map.ToValue(unit(rng) * 400)
                                : double((target - map.D()) / map.K());
            if (i % 3 == 1) v[k] = std::nextafter(v[k], 1e300);
        }
        int sx = 0, sy = 0, px = -1, py = -1;
        const bool single = mx.FastToPixel(v[0], sx) && my.FastToPixel(v[1], sy);
        const bool pair = TAxisMap::FastToPixelPair(mx, my, v, px, py);
        if (!single) {
            ASSERT_FALSE(pair) << v[0] << " " << v[1];
        }
        answered += pair;
        if (pair) {
            ASSERT_EQ(px, sx);
            ASSERT_EQ(py, sy);
        }
    }
    EXPECT_GT(answered, 5000);
}

// The collecting way, two marks at a time: every mark is either collected at the place of its
// exact pixels inside the area, left to the caller, or dropped where its exact pixels lie outside
// the outer rectangle; values near half pixels, on the area's edges, far out and not finite, in
// runs of odd and even length.
TEST(AxisMap, CollectWayPlacesEveryMarkAsTheExactWayDoes)
{
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> unit(0, 1);
    const double specials[] = {1e12, -1e12, std::nan(""), HUGE_VAL, -HUGE_VAL};
    // The maps' pixels run 0..600 and 0..400 and go into the image 10 right and 5 up.
    const cpu::TPlaceArea area{10, -5, 12, 598, 3, 390, 700, 8, 602, 0, 394, -5000, 5000, -5000, 5000};
    int collectedAll = 0, unknownAll = 0;
    for (int round = 0; round < 200; ++round) {
        const double low = unit(rng) * 200 - 100, high = low + 1e-3 + unit(rng) * 100;
        const TAxisMap mx = TAxisMap::Between(low, high, false, 0, 600, 0);
        const TAxisMap my = TAxisMap::Between(high, low, false, 400, 0, 0);
        const int count = 101 + round % 2;
        std::vector<double> xy(2 * std::size_t(count));
        for (int i = 0; i < count; ++i)
            for (int k = 0; k < 2; ++k) {
                const TAxisMap& map = k == 0 ? mx : my;
                const double pixel = std::floor(unit(rng) * 700) - 50 + (i % 4 == 1 ? 0.5 : unit(rng));
                double& v = xy[2 * std::size_t(i) + std::size_t(k)];
                v = i % 29 == 3 ? specials[std::size_t(i + k) % 5] : double((pixel - map.D()) / map.K());
                if (i % 3 == 2) v = std::nextafter(v, 1e300);
            }
        std::vector<std::int32_t> collected;
        std::vector<bool> unknown(std::size_t(count), false);
        TAxisMap::FastCollect(
            mx, my, xy.data(), count, area, [&](std::int32_t place) { collected.push_back(place); },
            [&](int i) { unknown[std::size_t(i)] = true; });
        std::vector<std::int32_t> expected;
        for (int i = 0; i < count; ++i) {
            if (unknown[std::size_t(i)]) continue;
            const int x = mx.ToPixel(xy[2 * std::size_t(i)]) + area.OffsetX;
            const int y = my.ToPixel(xy[2 * std::size_t(i) + 1]) + area.OffsetY;
            if (x >= area.XLo && x <= area.XHi && y >= area.YLo && y <= area.YHi) {
                expected.push_back(y * area.Stride + x);
                continue;
            }
            // dropped: its exact pixels must place nothing
            EXPECT_FALSE(x >= area.OuterXLo && x <= area.OuterXHi && y >= area.OuterYLo && y <= area.OuterYHi)
                << i << ": " << x << ", " << y;
        }
        ASSERT_EQ(collected, expected) << "round " << round;
        collectedAll += int(collected.size());
        unknownAll += int(std::count(unknown.begin(), unknown.end(), true));
    }
    EXPECT_GT(collectedAll, 5000);
    EXPECT_GT(unknownAll, 1000);  // the half pixels and the specials
}

TEST(AxisMap, EdgesOfTheNumberLine)
{
    const TAxisMap lin = TAxisMap::Between(0, 10, false, 50, 380, 0);
    EXPECT_EQ(lin.ToPixel(1e300), kMapPixelLimit);
    EXPECT_EQ(lin.ToPixel(-1e300), -kMapPixelLimit);
    EXPECT_EQ(lin.ToPixel(std::nan("")), -kMapPixelLimit);
    const TAxisMap log = TAxisMap::Between(1, 100, true, 50, 380, 0);
    EXPECT_EQ(log.ToPixel(10), 215);
    EXPECT_EQ(log.ToPixel(100), 380);
    EXPECT_EQ(log.ToPixel(0), 0);    // beyond the end holding the smaller values
    EXPECT_EQ(TAxisMap::Between(100, 1, true, 50, 380, 400).ToPixel(-5), 400);
    EXPECT_EQ(TAxisMap::Collapsed(0, 10, false, 50, 40, 200, 0).ToPixel(3), 200);
    EXPECT_FALSE(TAxisMap::Mappable(0, 10, true));
    EXPECT_TRUE(TAxisMap::Mappable(0, 10, false));
}

TEST(AxisMap, BackFromPixels)
{
    EXPECT_DOUBLE_EQ(TAxisMap::Between(0, 10, false, 50, 380, 0).ToValue(215), 5.0);
    EXPECT_NEAR(TAxisMap::Between(0, 10, false, 260, 20, 0).ToValue(280), -0.8333333333, 1e-9);
    EXPECT_NEAR(TAxisMap::Between(1, 100, true, 50, 380, 0).ToValue(215), 10.0, 1e-12);
    EXPECT_DOUBLE_EQ(TAxisMap::Collapsed(2, 8, true, 50, 40, 200, 0).ToValue(7), 4.0);   // geometric middle
    EXPECT_DOUBLE_EQ(TAxisMap::Collapsed(2, 8, false, 50, 40, 200, 0).ToValue(7), 5.0);
}

TEST(AxisMap, DraggedRangesFollowTheMouse)
{
    long double lo = 0, hi = 0;
    // 33 pixels right on 0..10 over 330 pixels, 24 pixels down on 0..10 over 240 pixels
    ASSERT_TRUE(TAxisMap::Between(0, 10, false, 50, 380, 0).Dragged(0, 10, 33, lo, hi));
    EXPECT_DOUBLE_EQ(double(lo), -1.0);
    EXPECT_DOUBLE_EQ(double(hi), 9.0);
    ASSERT_TRUE(TAxisMap::Between(0, 10, false, 260, 20, 0).Dragged(0, 10, 24, lo, hi));
    EXPECT_DOUBLE_EQ(double(lo), 1.0);
    EXPECT_DOUBLE_EQ(double(hi), 11.0);
    ASSERT_TRUE(TAxisMap::Between(1, 100, true, 50, 215, 0).Dragged(1, 100, 165, lo, hi));
    EXPECT_NEAR(double(lo), 0.01, 1e-15);
    EXPECT_FALSE(TAxisMap::Collapsed(0, 10, false, 50, 40, 200, 0).Dragged(0, 10, 5, lo, hi));
}

TEST(AxisMap, ScaleMapsKeepTheScaleArithmetic)
{
    // a default scale: 0..100 from x = 20 to x = 379, and its vertical twin
    const TAxisMap h = TAxisMap::Scaled(0, 100, false, 20, 379, false, 200, 0);
    EXPECT_DOUBLE_EQ(double(h.K()), 3.59);
    EXPECT_EQ(h.ToPixel(50), 200);   // 199.5 in double rounds to even
    EXPECT_EQ(h.ToPixel(std::nan("")), 0);
    const TAxisMap v = TAxisMap::Scaled(0, 100, false, 379, 20, true, 200, 0);
    EXPECT_EQ(v.ToPixel(100), 20);
    EXPECT_EQ(v.ToPixel(0), 379);
    EXPECT_EQ(TAxisMap::Scaled(0, 100, false, 20, 10, false, 200, 0).ToPixel(70), 200);   // shorter than its margins
}

}  // namespace
