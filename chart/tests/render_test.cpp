#include <gtest/gtest.h>
#include <QImage>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "chart/glyphs.h"
#include "chart/tests/chartprobe.h"
#include "testsupport/testsupport.h"

using testsupport::CountPixels;
using testsupport::PixelRgb;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0x000000,
                        kSilver = 0xC0C0C0, kLime = 0x00FF00, kNavy = 0x000080, kGrid = 0x808080;

// A chart whose layer 1 maps world units one to one onto pixels of its 200 x 150 data area
// (y upwards); items drawn red and filled blue.
class RenderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.SetBounds(0, 0, 50 + 200 + 20, 20 + 150 + 40);
        chart.SetLayerRange(1, 0, 0, 200, 150);
        chart.SetDataColor(clRed);
        chart.SetFillColor(clBlue);
    }
    // The data-image pixel of a world point of layer 1.
    TPoint P(double x, double y) const
    {
        int px = 0, py = 0;
        chart.WorldToMouse(1, x, y, px, py);
        return {px - chart.MarginLeft(), py - chart.MarginTop()};
    }
    const QImage& Render(bool monochrome = false)
    {
        image = QImage(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        TCanvas canvas(&image);
        TChartRenderer r(TChartProbe::RenderFrame(chart, 0, 0, monochrome), canvas);
        polylines.clear();
        TChartProbe::WatchPolylines(r, [this](const std::vector<TPoint>& pts) { polylines.push_back(pts); });
        r.Run(false);
        return image;
    }
    // Pixels inside the frame line.
    int Inside(std::uint32_t rgb) const { return CountPixels(image, rgb, 1, 1, image.width() - 1, image.height() - 1); }
    std::uint32_t At(TPoint p, int dx = 0, int dy = 0) const { return PixelRgb(image, p.X + dx, p.Y + dy); }

    TRChart chart;
    QImage image;
    std::vector<std::vector<TPoint>> polylines;
};

// ---- one row per item kind ----

struct KindCase {
    const char* name;
    std::function<void(TRChart&)> add;
    std::function<void(RenderFixture&)> check;
};

class ItemKinds : public RenderFixture, public ::testing::WithParamInterface<KindCase> {
public:
    using RenderFixture::At;
    using RenderFixture::Inside;
    using RenderFixture::P;
    const std::vector<std::vector<TPoint>>& Polylines() const { return polylines; }
    const QImage& Image() const { return image; }
};

#define CHECK [](RenderFixture & f_)
#define F (static_cast<ItemKinds&>(f_))

const KindCase kKinds[] = {
    {"MarkAloneDrawsOnlyTheMark", [](TRChart& c) { c.AddMark(26, 100, 75); },
     CHECK {
         EXPECT_EQ(F.Inside(kRed), 21);
         EXPECT_EQ(F.At(F.P(100, 75)), kRed);
         EXPECT_TRUE(F.Polylines().empty());
     }},
    {"LineOnOnePixelIsThatPixel", [](TRChart& c) { AddLine(c, 100, 75, 100.2, 75.2); },
     CHECK {
         EXPECT_EQ(F.Inside(kRed), 1);
         EXPECT_EQ(F.At(F.P(100, 75)), kRed);
     }},
    {"LineLeavesItsEndPixel", [](TRChart& c) { AddLine(c, 20, 75, 60, 75); },
     CHECK {
         EXPECT_EQ(F.Inside(kRed), 40);
         EXPECT_EQ(F.At(F.P(20, 75)), kRed);
         EXPECT_EQ(F.At(F.P(60, 75)), kWhite);
     }},
    {"RectWhoseCornersMeetSetsOnePixel", [](TRChart& c) { AddRect(c, 100, 75, 100, 75); },
     CHECK {
         EXPECT_EQ(F.Inside(kRed), 1);
         EXPECT_EQ(F.Inside(kBlue), 0);
     }},
    {"RectIncludesBothCorners", [](TRChart& c) { AddRect(c, 60, 50, 20, 20); },
     CHECK {
         const TPoint a = F.P(20, 50), b = F.P(60, 20);  // top-left and bottom-right pixels
         EXPECT_EQ(F.At(a), kRed);
         EXPECT_EQ(F.At(b), kRed);
         EXPECT_EQ(F.At(b, 1, 0), kWhite);
         EXPECT_EQ(F.At(b, 0, 1), kWhite);
         EXPECT_EQ(F.At(F.P(40, 35)), kBlue);
         EXPECT_EQ(F.Inside(kRed) + F.Inside(kBlue), 41 * 31);
     }},
    {"HollowRectHasNoFill", [](TRChart& c) { AddRect(c, 20, 20, 60, 50, true); },
     CHECK {
         EXPECT_EQ(F.At(F.P(40, 35)), kWhite);
         EXPECT_EQ(F.Inside(kRed), 2 * 41 + 2 * 29);
     }},
    {"Rect3DRaisedLightsLeftAndTop",
     [](TRChart& c) { AddRect3D(c, 20, 20, 60, 50, clLime, clNavy, 2); },
     CHECK {
         const TPoint bl = F.P(20, 20), tr = F.P(60, 50);
         EXPECT_EQ(F.At({bl.X, (bl.Y + tr.Y) / 2}), kLime);
         EXPECT_EQ(F.At({(bl.X + tr.X) / 2, tr.Y}), kLime);
         EXPECT_EQ(F.At({tr.X, (bl.Y + tr.Y) / 2}), kNavy);
         EXPECT_EQ(F.At({(bl.X + tr.X) / 2, bl.Y}), kNavy);
         EXPECT_EQ(F.At(F.P(40, 35)), kBlue);
     }},
    {"Rect3DLoweredSwapsTheColours",
     [](TRChart& c) { AddRect3D(c, 20, 20, 60, 50, clLime, clNavy, 3); },
     CHECK {
         const TPoint bl = F.P(20, 20), tr = F.P(60, 50);
         EXPECT_EQ(F.At({bl.X, (bl.Y + tr.Y) / 2}), kNavy);
         EXPECT_EQ(F.At({tr.X, (bl.Y + tr.Y) / 2}), kLime);
     }},
    {"Rect3DGrooveHasTwoLines",
     [](TRChart& c) { AddRect3D(c, 20, 20, 60, 50, clLime, clNavy, 4); },
     CHECK {
         const TPoint bl = F.P(20, 20), tr = F.P(60, 50);
         const int midY = (bl.Y + tr.Y) / 2;
         EXPECT_EQ(F.At({bl.X, midY}), kNavy);
         EXPECT_EQ(F.At({bl.X + 1, midY}), kLime);
         EXPECT_EQ(F.At({tr.X - 1, midY}), kNavy);
         EXPECT_EQ(F.At({tr.X, midY}), kLime);
     }},
    {"Rect3DGrooveSwappedForStyle5",
     [](TRChart& c) { AddRect3D(c, 20, 20, 60, 50, clLime, clNavy, 5); },
     CHECK {
         const TPoint bl = F.P(20, 20), tr = F.P(60, 50);
         const int midY = (bl.Y + tr.Y) / 2;
         EXPECT_EQ(F.At({bl.X, midY}), kLime);
         EXPECT_EQ(F.At({bl.X + 1, midY}), kNavy);
     }},
    {"Rect3DOtherStylesHaveNoFrame",
     [](TRChart& c) { AddRect3D(c, 20, 20, 60, 50, clLime, clNavy, 7); },
     CHECK {
         EXPECT_EQ(F.Inside(kLime) + F.Inside(kNavy), 0);
         EXPECT_EQ(F.At(F.P(40, 35)), kBlue);
     }},
    {"Bar3DAt45HasItsSideFaceRight", [](TRChart& c) { AddBar3D(c, 60, 40, 100, 100, 20, 45); },
     CHECK {
         const TPoint tl = F.P(60, 100), br = F.P(100, 40);
         const int midY = (tl.Y + br.Y) / 2;
         EXPECT_NE(F.At({br.X + 5, midY}), kWhite);
         EXPECT_EQ(F.At({tl.X - 5, midY}), kWhite);
         EXPECT_NE(F.At({(tl.X + br.X) / 2, tl.Y - 5}), kWhite);  // top face above
     }},
    {"Bar3DAt120HasItsSideFaceLeft", [](TRChart& c) { AddBar3D(c, 60, 40, 100, 100, 20, 120); },
     CHECK {
         const TPoint tl = F.P(60, 100), br = F.P(100, 40);
         const int midY = (tl.Y + br.Y) / 2;
         EXPECT_NE(F.At({tl.X - 5, midY}), kWhite);
         EXPECT_EQ(F.At({br.X + 5, midY}), kWhite);
     }},
    {"TextStartsAtItsPointWhenLeftJustified", [](TRChart& c) { AddText(c, 100, 75, "Hi", 12); },
     CHECK {
         const TPoint p = F.P(100, 75);
         EXPECT_GT(F.Inside(kRed), 5);
         EXPECT_EQ(CountPixels(F.Image(), kRed, 0, 0, p.X, F.Image().height()), 0);
     }},
    {"RightJustifiedTextEndsAtItsPoint",
     [](TRChart& c) { AddText(c, 100, 75, "Hi", 12, taRightJustify); },
     CHECK {
         const TPoint p = F.P(100, 75);
         EXPECT_GT(F.Inside(kRed), 5);
         EXPECT_EQ(CountPixels(F.Image(), kRed, p.X + 1, 0, F.Image().width(), F.Image().height()), 0);
     }},
    {"TextOffsetMovesByPixels", [](TRChart& c) { AddTextOffset(c, 100, 75, 30, 0, "Hi", 12); },
     CHECK {
         const TPoint p = F.P(100, 75);
         EXPECT_GT(F.Inside(kRed), 5);
         EXPECT_EQ(CountPixels(F.Image(), kRed, 0, 0, p.X + 30, F.Image().height()), 0);
     }},
    {"EllipseIsInscribedInItsRadii", [](TRChart& c) { AddEllipse(c, 100, 75, 20, 10); },
     CHECK {
         const TPoint p = F.P(100, 75);
         EXPECT_EQ(F.At(p), kBlue);
         EXPECT_EQ(F.At(p, -20, 0), kRed);
         EXPECT_EQ(F.At(p, 20, 0), kRed);
         EXPECT_EQ(F.At(p, 21, 0), kWhite);
         EXPECT_EQ(F.At(p, 0, 11), kWhite);
     }},
    {"RelativeLinesIncludeTheirEndPixel",
     [](TRChart& c) {
         c.AddMoveTo(20, 75);
         AddLineRel(c, 10, 0);
         AddMoveRel(c, 0, 5);
         AddLineRel(c, 5, 0);
     },
     CHECK {
         const TPoint p = F.P(20, 75);
         EXPECT_EQ(F.Inside(kRed), 11 + 6);
         EXPECT_EQ(F.At(p, 10, 0), kRed);
         EXPECT_EQ(F.At(p, 10, 5), kRed);
         EXPECT_EQ(F.At(p, 15, 5), kRed);
     }},
    {"ArrowHeadPointsBackAtTwentyDegrees", [](TRChart& c) { AddArrow(c, 10, 75, 110, 75, 10); },
     CHECK {
         const TPoint b = F.P(110, 75);
         EXPECT_EQ(F.At(b, -9, -3), kRed);
         EXPECT_EQ(F.At(b, -9, 3), kRed);
         EXPECT_EQ(F.At(b), kRed);
     }},
    {"OpenArrowHeadIsTwoStrokes", [](TRChart& c) { AddArrow(c, 10, 75, 110, 75, 10, true); },
     CHECK {
         const TPoint b = F.P(110, 75);
         EXPECT_EQ(F.At(b, -8, -3), kRed);
         EXPECT_EQ(F.At(b, -8, 3), kRed);
         EXPECT_EQ(F.At(b, -6, -1), kWhite);  // open: nothing between a stroke and the shaft
         EXPECT_EQ(F.Inside(kBlue), 0);
     }},
    {"ArrowOfSizeZeroIsAPlainLine", [](TRChart& c) { AddArrow(c, 10, 75, 110, 75, 0); },
     CHECK { EXPECT_EQ(F.Inside(kRed), 100); }},
    {"RectCentredSpansItsHalfSizes", [](TRChart& c) { AddRectCentred(c, 100, 75, 5, 3); },
     CHECK {
         const TPoint p = F.P(100, 75);
         EXPECT_EQ(F.At(p, -5, -3), kRed);
         EXPECT_EQ(F.At(p, 5, 3), kRed);
         EXPECT_EQ(F.At(p, 6, 0), kWhite);
         EXPECT_EQ(F.At(p), kBlue);
         EXPECT_EQ(F.Inside(kRed) + F.Inside(kBlue), 11 * 7);
     }},
    {"KindsWithoutMeaningDrawNothing",
     [](TRChart& c) {
         for (int kind : {0, 10, 11, 17, 200}) {
             AppendItem(c, TItemKind(kind), 100, 75);
         }
     },
     CHECK { EXPECT_EQ(F.Inside(kRed) + F.Inside(kBlue), 0); }},
};

TEST_P(ItemKinds, DrawTheirGeometry)
{
    GetParam().add(chart);
    Render();
    GetParam().check(*this);
}

INSTANTIATE_TEST_SUITE_P(Render, ItemKinds, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

#undef CHECK
#undef F

// ---- polyline batching ----

using Batching = RenderFixture;

TEST_F(Batching, MoveToAnd200LineTosAreTwoPolylinesSharingTheirJoint)
{
    chart.AddMoveTo(0, 10);
    for (int i = 1; i <= 200; ++i) chart.AddLineTo(i * 0.5, 10 + (i % 7));
    Render();
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_EQ(polylines[0].size(), 200u);
    ASSERT_EQ(polylines[1].size(), 2u);
    EXPECT_EQ(polylines[1][0], polylines[0].back());
    EXPECT_EQ(polylines[0][0], P(0, 10));
    EXPECT_EQ(polylines[1][1], P(100, 10 + 200 % 7));
}

TEST_F(Batching, ColourChangesDrawEachSegmentInItsColour)
{
    const std::vector<TPoint> pts{{10, 20}, {60, 20}, {60, 90}, {120, 40}, {180, 40}, {180, 120}};
    const TColor colours[] = {clRed, clBlue};
    chart.AddMoveTo(pts[0].X, pts[0].Y);
    for (std::size_t i = 1; i < pts.size(); ++i) {
        chart.SetDataColor(colours[i % 2]);
        chart.AddLineTo(pts[i].X, pts[i].Y);
    }
    Render();
    EXPECT_EQ(polylines.size(), pts.size() - 1);

    QImage expected(image.size(), QImage::Format_RGB32);
    expected.fill(0xFFFFFFFFu);
    {
        TCanvas c(&expected);
        for (std::size_t i = 1; i < pts.size(); ++i) {
            c.Pen().SetColor(colours[i % 2]);
            const TPoint a = P(pts[i - 1].X, pts[i - 1].Y), b = P(pts[i].X, pts[i].Y);
            c.MoveTo(a.X, a.Y);
            c.LineTo(b.X, b.Y);
        }
    }
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x) ASSERT_EQ(PixelRgb(image, x, y), PixelRgb(expected, x, y)) << x << "," << y;
}

TEST_F(Batching, ALineToFirstStartsAtTheTopLeftCorner)
{
    chart.AddLineTo(100, 75);
    Render();
    ASSERT_EQ(polylines.size(), 1u);
    EXPECT_EQ(polylines[0][0], (TPoint{0, 0}));
    EXPECT_EQ(polylines[0][1], P(100, 75));
}

TEST_F(Batching, MarksBetweenLineTosKeepTheChainGoing)
{
    chart.AddMoveTo(10, 10);
    chart.AddLineTo(50, 10);
    chart.AddMark(26, 30, 100);
    chart.AddLineTo(90, 10);
    Render();
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_EQ(polylines[1][0], P(50, 10));
}

TEST_F(Batching, ALineWidthChangeEndsThePolyline)
{
    chart.AddMoveTo(10, 10);
    chart.AddLineTo(50, 10);
    chart.SetLineWidth(3);
    chart.AddLineTo(90, 10);
    Render();
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_GT(CountPixels(image, kRed, P(60, 10).X, 0, P(80, 10).X, image.height()), 20 * 2);
}

// ---- far, broken and numerous items ----

using Hostile = RenderFixture;

TEST_F(Hostile, ALineToAFarPointIsClampedAndKeepsItsDirection)
{
    chart.AddMoveTo(100, 75);
    chart.AddLineTo(1e12, 75);
    Render();
    const TPoint p = P(100, 75);
    for (int x = p.X; x < image.width() - 1; ++x) EXPECT_EQ(PixelRgb(image, x, p.Y), kRed) << x;
    EXPECT_EQ(polylines[0][1].X, 30000 - chart.MarginLeft());
}

TEST_F(Hostile, NonFiniteCoordinatesAndHugeSizesDrawWithoutHarm)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, 1e300, -1e300}) {
        chart.AddMark(26, v, 75);
        chart.AddMark(65, 75, v);
        chart.AddMoveTo(v, v);
        chart.AddLineTo(100, v);
        AddLine(chart, v, 0, 100, v);
        AddRect(chart, v, v, 10, 10);
        AddRect3D(chart, 10, v, v, 10, clLime, clNavy, 4);
        AddBar3D(chart, 10, 10, v, v, std::numeric_limits<int>::max(), 120);
        AddText(chart, v, v, "x", std::numeric_limits<int>::max());
        AddTextOffset(chart, v, 10, std::numeric_limits<int>::min(), 0, "y", 10);
        AddEllipse(chart, 100, 75, v, v);
        AddMoveRel(chart, std::numeric_limits<int>::max(), 0);
        AddLineRel(chart, std::numeric_limits<int>::min(), 0);
        AddArrow(chart, 10, 10, v, 75, std::numeric_limits<int>::max());
        AddArrow(chart, v, 10, 100, 75, 1000000, true);
        AddRectCentred(chart, v, 75, std::numeric_limits<int>::max(), 3);
    }
    Render();
    SUCCEED();
}

TEST_F(Hostile, AMillionMarksOnOnePixelDraw)
{
    for (int i = 0; i < 1000000; ++i) chart.AddMark(26, 100, 75);
    Render();
    EXPECT_EQ(Inside(kRed), 21);
}

// ---- monochrome passes ----

TEST_F(RenderFixture, MonochromeOutlinesBlackFillsSilverAndKeeps3DFrameColours)
{
    AddRect(chart, 20, 20, 60, 50);
    AddRect3D(chart, 100, 20, 140, 50, clLime, clNavy, 2);
    chart.AddMark(26, 170, 100);
    Render(true);
    EXPECT_EQ(At(P(20, 20)), kBlack);
    EXPECT_EQ(At(P(40, 35)), kSilver);
    EXPECT_EQ(At(P(120, 35)), kSilver);
    EXPECT_EQ(At({P(100, 20).X, P(100, 35).Y}), kLime);
    EXPECT_EQ(At(P(170, 100)), kBlack);
    EXPECT_EQ(Inside(kRed) + Inside(kBlue), 0);
}

// ---- the pass ----

TEST_F(RenderFixture, EventsSurroundGridItemsAndLabelsAndTheFrameComesLast)
{
    chart.SetGridStyle(gsLines);
    chart.SetGridColor(TColor(kGrid));
    chart.SetGridDx(50);
    chart.SetGridDy(50);
    TTextLabel& label = chart.TextLabel(1);
    label.SetAttachToData(tlamBoth);
    label.SetPosX(100);
    label.SetPosY(75);
    label.SetCaption("L");
    label.SetMode(tlBox);
    label.SetColorBorder(clNavy);
    label.SetVisible(true);
    chart.AddMark(26, 150, 30);
    std::vector<std::string> calls;
    chart.OnBeforeRenderData = [&](TCustomRChart&, TCanvas& c, int top, int left) {
        calls.push_back("before");
        EXPECT_EQ(top, chart.MarginTop());
        EXPECT_EQ(left, chart.MarginLeft());
        EXPECT_EQ(CountPixels(c.Image(), kGrid, 0, 0, c.Width(), c.Height()), 0);
        c.Brush().SetColor(clYellow);
    };
    chart.OnDataRendered = [&](TCustomRChart&, TCanvas& c, int, int) {
        calls.push_back("after");
        EXPECT_GT(CountPixels(c.Image(), kNavy, 0, 0, c.Width(), c.Height()), 0);
        EXPECT_EQ(PixelRgb(c.Image(), 0, 0), kWhite);  // no frame yet
    };
    Render();
    EXPECT_EQ(calls, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(PixelRgb(image, 0, 0), kBlack);
    EXPECT_EQ(At(P(150, 30)), kRed);
    EXPECT_EQ(At(P(50, 10)), kGrid);
}

}  // namespace

namespace {

// The mark loop converts positions itself; every mark must land where WorldToMouse puts it: ties
// (half pixels), points a hair beside a half pixel, reversed axes and ranges far from zero.
TEST(MarkPositions, MarksLandWhereWorldToMousePutsThem)
{
    struct Range { double x1, y1, x2, y2; };
    const Range ranges[] = {{0, 0, 200, 150}, {200, 150, 0, 0}, {0.1, -3.7, 7.3, 11.9}, {1e12, 5e11, 1e12 + 10, 5e11 + 3}};
    for (const Range& r : ranges) {
        SCOPED_TRACE(testing::Message() << r.x1 << " " << r.y1 << " " << r.x2 << " " << r.y2);
        TRChart chart;
        chart.SetBounds(0, 0, 50 + 200 + 20, 20 + 150 + 40);
        chart.SetLayerRange(1, r.x1, r.y1, r.x2, r.y2);
        chart.SetDataColor(clRed);
        const TAxisMap& mx = chart.AxisMapX(1);
        const TAxisMap& my = chart.AxisMapY(1);
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i < 40; ++i) {
            // near a half pixel: the world value of pixel n + 1/2, and its neighbours one step away
            const long double hx = 60 + 3 * i + 0.5L, hy = 30 + 3 * i + 0.5L;
            const double x = double((hx - mx.D()) / mx.K()), y = double((hy - my.D()) / my.K());
            const int m = i % 3;
            points.emplace_back(m == 0 ? x : m == 1 ? std::nextafter(x, 1e300) : std::nextafter(x, -1e300),
                                m == 0 ? y : m == 2 ? std::nextafter(y, 1e300) : std::nextafter(y, -1e300));
        }
        for (const auto& [x, y] : points) chart.AddMark(0, x, y);
        QImage image(chart.AreaWidth() + 1, chart.AreaHeight() + 1, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        TCanvas canvas(&image);
        TChartProbe::RenderData(chart, canvas, 0, 0, false, false);
        QImage expected(image.size(), QImage::Format_RGB32);
        expected.fill(0xFFFFFFFFu);
        for (const auto& [x, y] : points) {
            int px = 0, py = 0;
            chart.WorldToMouse(1, x, y, px, py);
            expected.setPixel(px - chart.MarginLeft(), py - chart.MarginTop(), 0xFFFF0000u);
        }
        for (int py = 1; py < image.height() - 1; ++py)
            for (int px = 1; px < image.width() - 1; ++px)
                ASSERT_EQ(PixelRgb(image, px, py), PixelRgb(expected, px, py)) << px << ", " << py;
    }
}

}  // namespace
