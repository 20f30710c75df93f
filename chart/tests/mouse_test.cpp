// The chart driven by synthetic mouse and key events on the offscreen platform.
//
// The chart is 400 x 300 pixels with margins 50/20/20/40 and no shadow: the chart area runs from
// x 50 to 380 and y 20 to 260 (AreaWidth 330, AreaHeight 240); layer 1 shows 0..10 on both axes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "platform/cursors.h"

namespace {

constexpr double kTol = 1e-9;

struct Range {
    double low, high;
};

::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
    int differing = 0;
    QPoint first;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y) && differing++ == 0) first = QPoint(x, y);
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << first.x() << ", "
                                         << first.y() << ")";
}

class ChartMouse : public ::testing::Test {
protected:
    TRChart chart;
    std::vector<std::string> log;   // the events in the order they fired

    void SetUp() override
    {
        chart.SetBounds(0, 0, 400, 300);
        SetRanges({0, 10}, {0, 10});
        chart.show();
        chart.Paint();
        chart.OnZoomPan = [this](TCustomRChart&) { log.push_back("ZoomPan"); };
        chart.OnMouseDown = [this](TCustomRChart&, TMouseButton, TShiftState, int, int) { log.push_back("Down"); };
        chart.OnMouseUp = [this](TCustomRChart&, TMouseButton, TShiftState, int, int) { log.push_back("Up"); };
        chart.OnDblClick = [this](TCustomRChart&) { log.push_back("DblClick"); };
        chart.OnClick = [this](TCustomRChart&) { log.push_back("Click"); };
    }
    void TearDown() override { SetScreenCursor(crDefault); }

    void SetRanges(Range x, Range y)
    {
        chart.SetLayerRange(1, x.low, y.low, x.high, y.high);
    }
    Range X() { return {chart.Scale1X().RangeLow(), chart.Scale1X().RangeHigh()}; }
    Range Y() { return {chart.Scale1Y().RangeLow(), chart.Scale1Y().RangeHigh()}; }

    void Move(int x, int y, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        const QPoint p(x, y);
        QMouseEvent event(QEvent::MouseMove, p, chart.mapToGlobal(p), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&chart, &event);
    }
    void Press(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(&chart, button, {}, QPoint(x, y));
    }
    void Release(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(&chart, button, {}, QPoint(x, y));
    }
    // A left-button drag: press, the first move (the anchor), then the moves.
    void Drag(QPoint from, const std::vector<QPoint>& to)
    {
        Press(from.x(), from.y());
        Move(from.x(), from.y());
        for (const QPoint& p : to) Move(p.x(), p.y());
        Release(to.back().x(), to.back().y());
        Move(to.back().x(), to.back().y(), Qt::NoButton);
    }
    // A rubber band from `from` through `to`, released with `button`.
    void Band(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        Press(from.x(), from.y());
        Move(to.x(), to.y());
        Release(to.x(), to.y(), button);
    }
    int Count(const std::string& name) const { return int(std::count(log.begin(), log.end(), name)); }
    QImage Screen() const { return chart.ScreenImage().copy(); }
    // Every pixel of the screen image equals what a full repaint draws now.
    ::testing::AssertionResult ScreenIsAFreshRepaint()
    {
        const QImage shown = Screen();
        chart.Paint();
        return SameImage(shown, Screen());
    }
};

void ExpectRange(Range actual, Range expected, const char* what)
{
    EXPECT_NEAR(actual.low, expected.low, kTol) << what;
    EXPECT_NEAR(actual.high, expected.high, kTol) << what;
}

bool Finite(Range r) { return std::isfinite(r.low) && std::isfinite(r.high); }

}  // namespace

// --- pan ---------------------------------------------------------------------------------------

struct PanCase {
    const char* name;
    TMouseActMode mode;
    Range x, y;
};
void PrintTo(const PanCase& c, std::ostream* os) { *os << c.name; }

class ChartPan : public ChartMouse, public ::testing::WithParamInterface<PanCase> {};

TEST_P(ChartPan, MovesTheRangesWithTheMouse)
{
    const PanCase& tc = GetParam();
    chart.SetMouseAction(tc.mode);
    Press(100, 100);
    Move(100, 100);
    EXPECT_EQ(Count("ZoomPan"), 0);  // the first move only records the anchor
    ExpectRange(X(), {0, 10}, "x after anchor");
    Move(133, 124);
    ExpectRange(X(), tc.x, "x");
    ExpectRange(Y(), tc.y, "y");
    EXPECT_EQ(Count("ZoomPan"), 1);
}

INSTANTIATE_TEST_SUITE_P(Chart, ChartPan,
                         ::testing::Values(PanCase{"Both", maPan, {-1, 9}, {1, 11}},
                                           PanCase{"Horiz", maPanHoriz, {-1, 9}, {0, 10}},
                                           PanCase{"Vert", maPanVert, {0, 10}, {1, 11}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartMouse, PanKeepsTheWorldPointUnderTheMouse)
{
    chart.SetMouseAction(maPan);
    double wx0 = 0, wy0 = 0;
    chart.MouseToWorld(1, 120, 200, wx0, wy0);
    Press(120, 200);
    Move(120, 200);
    for (QPoint p : {QPoint(150, 180), QPoint(300, 60), QPoint(61, 259)}) {
        Move(p.x(), p.y());
        double wx = 0, wy = 0;
        chart.MouseToWorld(1, p.x(), p.y(), wx, wy);
        EXPECT_NEAR(wx, wx0, kTol) << p.x() << "," << p.y();
        EXPECT_NEAR(wy, wy0, kTol) << p.x() << "," << p.y();
    }
}

TEST_F(ChartMouse, LogarithmicPanScalesTheRange)
{
    SetRanges({1, 100}, {0, 10});
    chart.Scale1X().SetLogarithmic(true);
    ASSERT_TRUE(chart.Scale1X().Logarithmic());
    chart.SetMouseAction(maPan);
    Drag({100, 100}, {{265, 100}});
    ExpectRange(X(), {0.1, 10}, "x");
}

TEST_F(ChartMouse, PanPausesInTheMarginAndResumesFromTheAnchor)
{
    chart.SetMouseAction(maPan);
    Press(100, 100);
    Move(100, 100);
    Move(20, 100);       // left margin: nothing moves
    ExpectRange(X(), {0, 10}, "x in margin");
    EXPECT_EQ(Count("ZoomPan"), 0);
    Move(133, 124);
    ExpectRange(X(), {-1, 9}, "x");
    ExpectRange(Y(), {1, 11}, "y");
}

TEST_F(ChartMouse, RightButtonDoesNotPanAndEndsTheDrag)
{
    chart.SetMouseAction(maPan);
    Press(100, 100);
    Move(100, 100);
    Move(133, 124, Qt::RightButton);
    ExpectRange(X(), {0, 10}, "x");
    Move(166, 148);      // left again: a new anchor, no step
    ExpectRange(X(), {0, 10}, "x");
    Move(199, 148);
    ExpectRange(X(), {-1, 9}, "x");
}

TEST_F(ChartMouse, ZoomDragZoomsAboutTheCentre)
{
    chart.SetMouseAction(maZoomDrag);
    Drag({100, 100}, {{200, 100}});
    ExpectRange(X(), {1.25, 8.75}, "x");
    ExpectRange(Y(), {0, 10}, "y");
    SetRanges({0, 10}, {0, 10});
    Drag({100, 100}, {{100, 250}});
    ExpectRange(X(), {0, 10}, "x");
    ExpectRange(Y(), {-2.5, 12.5}, "y");
    EXPECT_EQ(Count("ZoomPan"), 2);
}

// --- rubber band -------------------------------------------------------------------------------

struct BandCase {
    const char* name;
    TMouseActMode mode;
    Range x, y;
};
void PrintTo(const BandCase& c, std::ostream* os) { *os << c.name; }

class ChartZoomWindow : public ChartMouse, public ::testing::WithParamInterface<BandCase> {};

TEST_P(ChartZoomWindow, RectangleBecomesTheRanges)
{
    const BandCase& tc = GetParam();
    chart.SetMouseAction(tc.mode);
    Band({50, 20}, {215, 140});
    ExpectRange(X(), tc.x, "x");
    ExpectRange(Y(), tc.y, "y");
    EXPECT_EQ(Count("ZoomPan"), 1);
    EXPECT_TRUE(ScreenIsAFreshRepaint());
}

INSTANTIATE_TEST_SUITE_P(Chart, ChartZoomWindow,
                         ::testing::Values(BandCase{"KeepsDirections", maZoomWindPos, {0, 5}, {5, 10}},
                                           BandCase{"DragDirection", maZoomWind, {0, 5}, {10, 5}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartMouse, RubberBandReportsTheRectangleAndKeepsTheRanges)
{
    chart.SetMouseAction(maRubberBand);
    std::vector<double> reported;
    chart.OnRubberBand = [&](TCustomRChart&, int layer, double loX, double loY, double hiX, double hiY) {
        reported = {double(layer), loX, loY, hiX, hiY};
        log.push_back("RubberBand");
    };
    Band({50, 20}, {215, 140});
    ASSERT_EQ(reported.size(), 5u);
    const double expected[] = {1, 0, 5, 5, 10};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(reported[std::size_t(i)], expected[i], kTol) << i;
    EXPECT_EQ(log, (std::vector<std::string>{"Down", "Click", "Up", "RubberBand", "ZoomPan"}));
    ExpectRange(X(), {0, 10}, "x");
    ExpectRange(Y(), {0, 10}, "y");
    EXPECT_TRUE(ScreenIsAFreshRepaint());
}

TEST_F(ChartMouse, RubberBandIsAnExclusiveOrOutlineOverTheChart)
{
    chart.SetMouseAction(maZoomWind);
    const QImage before = Screen();
    Press(100, 50);
    Move(200, 150);
    const QImage during = Screen();
    // Top edge, left edge and the last pixels of the outline are inverted, the inside is not.
    for (QPoint p : {QPoint(100, 50), QPoint(150, 50), QPoint(100, 120), QPoint(199, 149), QPoint(199, 80)})
        EXPECT_EQ(during.pixel(p) & 0xFFFFFF, ~before.pixel(p) & 0xFFFFFF) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(150, 100), QPoint(200, 150), QPoint(99, 49)})
        EXPECT_EQ(during.pixel(p), before.pixel(p)) << p.x() << "," << p.y();
    Move(120, 70);       // shrinking takes the old outline away exactly
    Move(200, 150);
    EXPECT_TRUE(SameImage(Screen(), during));
    Release(200, 150, Qt::RightButton);
    EXPECT_TRUE(SameImage(Screen(), before));
}

struct CancelCase {
    const char* name;
    QPoint to;
    Qt::MouseButton button;
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class ChartBandCancel : public ChartMouse, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(ChartBandCancel, ErasesTheRectangleAndChangesNothing)
{
    const CancelCase& tc = GetParam();
    chart.SetMouseAction(maZoomWind);
    Press(100, 100);
    Move(150, 150);
    Move(tc.to.x(), tc.to.y());
    Release(tc.to.x(), tc.to.y(), tc.button);
    ExpectRange(X(), {0, 10}, "x");
    ExpectRange(Y(), {0, 10}, "y");
    EXPECT_EQ(Count("ZoomPan"), 0);
    EXPECT_TRUE(ScreenIsAFreshRepaint());
}

INSTANTIATE_TEST_SUITE_P(Chart, ChartBandCancel,
                         ::testing::Values(CancelCase{"RightButton", {200, 200}, Qt::RightButton},
                                           CancelCase{"MiddleButton", {200, 200}, Qt::MiddleButton},
                                           CancelCase{"NoWidth", {100, 200}, Qt::LeftButton},
                                           CancelCase{"NoHeight", {200, 100}, Qt::LeftButton}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartMouse, RubberBandSurvivesARepaintWhileDragged)
{
    chart.SetMouseAction(maZoomWind);
    chart.OnMouseMove = [this](TCustomRChart&, TShiftState, int x, int) {
        if (x == 170) chart.Paint();   // a handler that repaints the chart in the middle of a band
    };
    Press(100, 100);
    Move(150, 150);
    Move(170, 160);
    Move(200, 190);
    Release(200, 190, Qt::RightButton);
    EXPECT_TRUE(ScreenIsAFreshRepaint());
}

TEST_F(ChartMouse, RubberBandStartsOnlyInsideAndIsClampedToTheChartArea)
{
    chart.SetMouseAction(maZoomWind);
    const QImage before = Screen();
    Press(30, 100);      // left margin
    Move(200, 200);
    EXPECT_TRUE(SameImage(Screen(), before));
    Release(200, 200);
    ExpectRange(X(), {0, 10}, "x");

    Press(215, 140);
    Move(500, 400);      // beyond the right and bottom edges: the corner is (380, 260)
    Release(500, 400);
    ExpectRange(X(), {5, 10}, "x");
    ExpectRange(Y(), {5, 0}, "y");
}

TEST_F(ChartMouse, IsometricRubberBandStaysSquare)
{
    chart.SetIsometric(true);
    chart.Paint();
    chart.SetMouseAction(maRubberBand);
    const QImage before = Screen();
    Press(100, 100);
    Move(160, 120);      // the corner follows x: (160, 160)
    const QImage during = Screen();
    EXPECT_NE(during.pixel(100, 159), before.pixel(100, 159));
    EXPECT_EQ(during.pixel(100, 160), before.pixel(100, 160));
    Move(40, 120);       // x clamped to 50; dx * dy < 0 gives y = 100 + 50 = 150
    EXPECT_NE(Screen().pixel(50, 149), before.pixel(50, 149));
    Release(40, 120, Qt::RightButton);
    EXPECT_TRUE(SameImage(Screen(), before));
}

// --- clicks ------------------------------------------------------------------------------------

TEST_F(ChartMouse, DoubleClickGivesOneDownTwoUpsAndOneDoubleClick)
{
    QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    EXPECT_EQ(log, (std::vector<std::string>{"Down", "Click", "Up", "DblClick", "Up"}));
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(200, 150));  // nothing pending any more
    EXPECT_EQ(Count("Down"), 2);
}

TEST_F(ChartMouse, DoubleClickInZoomWindowDoesNotStartASecondBand)
{
    chart.SetMouseAction(maZoomWind);
    const QImage before = Screen();
    QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, QPoint(200, 150));
    Move(250, 200);
    EXPECT_TRUE(SameImage(Screen(), before));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(250, 200));
    ExpectRange(X(), {0, 10}, "x");
}

// --- crosshairs and labels ---------------------------------------------------------------------

struct CrossHairCase {
    const char* name;
    TCrossHMode mode1, mode2;
    int startX;
    int moved;
};
void PrintTo(const CrossHairCase& c, std::ostream* os) { *os << c.name; }

class ChartCrossHairDrag : public ChartMouse, public ::testing::WithParamInterface<CrossHairCase> {};

TEST_P(ChartCrossHairDrag, MovesTheNearestCrossHair)
{
    const CrossHairCase& tc = GetParam();
    chart.SetMouseAction(maDragCrossH);
    double wx = 0, wy = 0;
    chart.MouseToWorld(chart.CrossHair1().Layer(), 100, 140, wx, wy);
    chart.CrossHair1().SetPosX(wx);
    chart.CrossHair1().SetMode(tc.mode1);
    chart.MouseToWorld(chart.CrossHair2().Layer(), 120, 140, wx, wy);
    chart.CrossHair2().SetPosX(wx);
    chart.CrossHair2().SetMode(tc.mode2);
    int moves = 0;
    TCrossHair* moved = nullptr;
    chart.OnCrossHairMove = [&](TCustomRChart&, TCrossHair& hair) { ++moves; moved = &hair; };
    Drag({tc.startX, 140}, {{300, 200}, {10, 290}});   // the second step lies outside the chart area
    EXPECT_EQ(moves, 2);
    ASSERT_EQ(moved, &chart.CrossHair(tc.moved));
    double ex = 0, ey = 0;
    chart.MouseToWorld(moved->Layer(), 10, 290, ex, ey);
    EXPECT_NEAR(moved->PosX(), ex, kTol);
    EXPECT_NEAR(moved->PosY(), ey, kTol);
}

INSTANTIATE_TEST_SUITE_P(Chart, ChartCrossHairDrag,
                         ::testing::Values(CrossHairCase{"Nearer", chVert, chVert, 111, 2},
                                           CrossHairCase{"TieKeepsLower", chVert, chVert, 110, 1},
                                           CrossHairCase{"AllOff", chOff, chOff, 119, 1},
                                           CrossHairCase{"BoxNeverChosen", chVert, chBox, 119, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A crosshair exactly 65536 pixels away is far, not at distance 0 as a wrapped 32-bit square says.
TEST_F(ChartMouse, CrossHairDragIgnoresACrossHairFarOutside)
{
    chart.SetMouseAction(maDragCrossH);
    double wx = 0, wy = 0;
    chart.MouseToWorld(chart.CrossHair1().Layer(), 111 + 65536, 140, wx, wy);
    chart.CrossHair1().SetPosX(wx);
    chart.CrossHair1().SetMode(chVert);
    chart.MouseToWorld(chart.CrossHair2().Layer(), 120, 140, wx, wy);
    chart.CrossHair2().SetPosX(wx);
    chart.CrossHair2().SetMode(chVert);
    TCrossHair* moved = nullptr;
    chart.OnCrossHairMove = [&](TCustomRChart&, TCrossHair& hair) { moved = &hair; };
    Drag({111, 140}, {{300, 200}});
    EXPECT_EQ(moved, &chart.CrossHair(2));
}

TEST_F(ChartMouse, LabelDragMovesTheNearestShownLabel)
{
    chart.SetMouseAction(maDragLabel);
    for (int j : {1, 2, 3}) {
        chart.TextLabel(j).SetMode(tlBox);
        chart.TextLabel(j).SetVisible(true);
        chart.TextLabel(j).SetCaption("L" + std::to_string(j));
        chart.TextLabel(j).SetAttachToData(tlamNone);
    }
    chart.TextLabel(1).SetPosX(100);
    chart.TextLabel(1).SetPosY(100);
    chart.TextLabel(2).SetPosX(200);
    chart.TextLabel(2).SetPosY(100);
    chart.TextLabel(2).SetAttachToData(tlamXOnly);
    double wx = 0, wy = 0;
    chart.MouseToWorld(1, 200, 100, wx, wy);
    chart.TextLabel(2).SetPosX(wx);
    chart.TextLabel(3).SetPosX(180);
    chart.TextLabel(3).SetPosY(100);
    chart.TextLabel(3).SetVisible(false);   // nearer, but hidden
    int moves = 0;
    chart.OnTextLabelMove = [&](TCustomRChart&, TTextLabel& label) {
        ++moves;
        EXPECT_EQ(&label, &chart.TextLabel(2));
    };
    Drag({185, 110}, {{250, 150}});
    EXPECT_EQ(moves, 1);
    chart.MouseToWorld(1, 250, 150, wx, wy);
    EXPECT_NEAR(chart.TextLabel(2).PosX(), wx, kTol);   // world units along x
    EXPECT_EQ(chart.TextLabel(2).PosY(), 150);          // pixels along y
    EXPECT_EQ(chart.TextLabel(1).PosX(), 100);
}

// --- position report, cursors, keys ------------------------------------------------------------

TEST_F(ChartMouse, MouseMoveInChartReportsWorldPositionOfLayer1)
{
    struct Report { bool inChart; TShiftState shift; double x, y; };
    std::vector<Report> reports;
    chart.OnMouseMoveInChart = [&](TCustomRChart&, bool inChart, TShiftState shift, double x, double y) {
        reports.push_back({inChart, shift, x, y});
    };
    Move(25, 280, Qt::NoButton);
    Move(215, 140, Qt::RightButton);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[0].inChart);
    EXPECT_NEAR(reports[0].x, -25.0 / 33.0, kTol);
    EXPECT_NEAR(reports[0].y, -20.0 / 24.0, kTol);
    EXPECT_TRUE(reports[1].inChart);
    EXPECT_EQ(reports[1].shift, TShiftState(ssRight));
    EXPECT_NEAR(reports[1].x, 5, kTol);
    EXPECT_NEAR(reports[1].y, 5, kTol);
}

TEST_F(ChartMouse, OneMoveRunsTheHandlersInOrderAndReportsThePannedPosition)
{
    chart.SetMouseAction(maPan);
    double wx0 = 0, wy0 = 0;
    chart.MouseToWorld(1, 100, 100, wx0, wy0);
    chart.OnMouseMove = [this](TCustomRChart&, TShiftState, int, int) { log.push_back("Move"); };
    double rx = 0, ry = 0;
    chart.OnMouseMoveInChart = [&](TCustomRChart&, bool, TShiftState, double x, double y) {
        log.push_back("InChart");
        rx = x;
        ry = y;
    };
    Press(100, 100);
    Move(100, 100);
    log.clear();
    Move(133, 124);
    EXPECT_EQ(log, (std::vector<std::string>{"Move", "ZoomPan", "InChart"}));
    EXPECT_NEAR(rx, wx0, kTol);
    EXPECT_NEAR(ry, wy0, kTol);
}

struct CursorCase {
    const char* name;
    TMouseActMode mode;
    bool fixed;
    TCursor inside;
};
void PrintTo(const CursorCase& c, std::ostream* os) { *os << c.name; }

class ChartCursorRule : public ChartMouse, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(ChartCursorRule, SetsTheScreenCursorInsideTheChartArea)
{
    const CursorCase& tc = GetParam();
    chart.SetMouseAction(tc.mode);
    chart.SetMouseCursorFixed(tc.fixed);
    SetScreenCursor(crArrow);   // what the rule leaves alone shows as this
    Move(200, 150, Qt::NoButton);
    EXPECT_EQ(ScreenCursor(), tc.inside);
    Move(20, 150, Qt::NoButton);
    EXPECT_EQ(ScreenCursor(), crDefault);
}

INSTANTIATE_TEST_SUITE_P(
    Chart, ChartCursorRule,
    ::testing::Values(CursorCase{"Fixed", maPan, true, crDefault}, CursorCase{"None", maNone, false, crCross},
                      CursorCase{"Pan", maPan, false, crChartHand},
                      CursorCase{"PanVert", maPanVert, false, crChartHand},
                      CursorCase{"ZoomWind", maZoomWind, false, crChartZoomWind},
                      CursorCase{"ZoomDrag", maZoomDrag, false, crChartZoomDrag},
                      CursorCase{"ZoomWindPos", maZoomWindPos, false, crChartZoomWindPos},
                      CursorCase{"RubberBand", maRubberBand, false, crDefault},
                      CursorCase{"DragLabel", maDragLabel, false, crDefault},
                      CursorCase{"ZoomUntouched", maZoom, false, crArrow},
                      CursorCase{"RotateUntouched", maRotate, false, crArrow}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartMouse, EnterAndLeaveFireAfterTheToolkit)
{
    chart.OnMouseEnter = [this](TCustomRChart&) { log.push_back("Enter"); };
    chart.OnMouseLeave = [this](TCustomRChart&) { log.push_back("Leave"); };
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), chart.mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(&chart, &enter);
    chart.SetMouseCursorFixed(false);
    chart.SetMouseAction(maPan);
    Move(200, 150, Qt::NoButton);
    EXPECT_EQ(ScreenCursor(), crChartHand);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&chart, &leave);
    EXPECT_EQ(log, (std::vector<std::string>{"Enter", "Leave"}));
    EXPECT_EQ(ScreenCursor(), crDefault);   // the hand stays with the chart
}

TEST(ChartKeys, ArrowsAndTabReachTheChartAndKeepTheFocus)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* chart = new TRChart(&window);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(chart);
    layout->addWidget(edit);
    chart->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    chart->setFocus();
    std::vector<int> keys;
    chart->OnKeyDown = [&](TCustomRChart&, int& key, TShiftState) { keys.push_back(key); };
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab})
        QTest::keyClick(chart, key);
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab}));
    EXPECT_TRUE(chart->hasFocus());
}

// --- limits ------------------------------------------------------------------------------------

TEST_F(ChartMouse, ChartAreaWithoutWidthOrHeightNeverGivesNaN)
{
    chart.SetMarginRight(400 - 50);      // AreaWidth 0
    chart.SetMarginBottom(300 - 20);     // AreaHeight 0
    ASSERT_EQ(chart.AreaWidth(), 0);
    ASSERT_EQ(chart.AreaHeight(), 0);
    for (TMouseActMode mode : {maPan, maZoomDrag, maZoomWind, maRubberBand, maDragCrossH}) {
        chart.SetMouseAction(mode);
        Drag({50, 20}, {{50, 20}, {60, 30}});
        Band({50, 20}, {50, 20});
        EXPECT_TRUE(Finite(X()) && Finite(Y())) << mode;
    }
    EXPECT_TRUE(std::isfinite(chart.CrossHair1().PosX()));
    EXPECT_TRUE(std::isfinite(chart.CrossHair1().PosY()));
}

TEST_F(ChartMouse, ZoomingInStopsAtMinRange)
{
    chart.Scale1X().SetMinRange(1e-3);
    chart.SetMouseAction(maZoomDrag);
    for (int i = 0; i < 40; ++i) Drag({60, 200}, {{370, 30}});
    EXPECT_GE(X().high - X().low, 1e-3);
    EXPECT_GT(Y().high - Y().low, 0);
    chart.SetMouseAction(maZoomWind);
    for (int i = 0; i < 40; ++i) Band({100, 100}, {101, 101});
    EXPECT_GE(X().high - X().low, 1e-3);
    EXPECT_TRUE(Finite(X()) && Finite(Y()));
}

TEST_F(ChartMouse, ZoomingOutStopsBeforeTheNumbersRunOut)
{
    SetRanges({-1e295, 1e295}, {-1e295, 1e295});
    chart.SetMouseAction(maZoomDrag);
    for (int i = 0; i < 40; ++i) Drag({370, 30}, {{60, 250}});
    for (Range r : {X(), Y()}) {
        EXPECT_TRUE(Finite(r));
        EXPECT_LE(std::fabs(r.low), 1e300);
        EXPECT_GT(r.high - r.low, 1e299);   // it got there
    }
    double wx = 0, wy = 0;
    chart.MouseToWorld(1, 100, 100, wx, wy);
    EXPECT_TRUE(std::isfinite(wx) && std::isfinite(wy));
    chart.SetMouseAction(maPan);
    for (int i = 0; i < 10; ++i) Drag({60, 250}, {{370, 30}});
    EXPECT_TRUE(Finite(X()) && Finite(Y()));
    EXPECT_NO_THROW(chart.Paint());
}

TEST_F(ChartMouse, LogarithmicAxesDraggedTowardsZeroStayPositive)
{
    SetRanges({1, 100}, {1, 100});
    chart.Scale1X().SetLogarithmic(true);
    chart.Scale1Y().SetLogarithmic(true);
    chart.SetMouseAction(maPan);
    for (int i = 0; i < 150; ++i) Drag({60, 30}, {{370, 250}});   // pushes both ranges down
    for (Range r : {X(), Y()}) {
        EXPECT_GE(r.low, 1e-100);
        EXPECT_NEAR(std::log10(r.high / r.low), 2, 1e-6);   // the span is kept, not squeezed
    }
    SetRanges({1, 100}, {1, 100});
    chart.SetMouseAction(maZoomDrag);
    for (int i = 0; i < 20; ++i) Drag({370, 30}, {{60, 250}});     // zooms out past zero
    for (Range r : {X(), Y()}) {
        EXPECT_TRUE(Finite(r));
        EXPECT_GE(r.low, 1e-100);
        EXPECT_GT(r.high, r.low);
    }
    EXPECT_NO_THROW(chart.Paint());
}

TEST_F(ChartMouse, EachPanOrZoomStepPaintsOnce)
{
    int paints = 0;
    chart.OnScalesRendered = [&](TCustomRChart&, TCanvas&, int, int) { ++paints; };
    for (TMouseActMode mode : {maPan, maZoomDrag, maDragCrossH, maDragLabel}) {
        chart.SetMouseAction(mode);
        Press(100, 100);
        Move(100, 100);
        paints = 0;
        Move(120, 110);
        Move(140, 120);
        EXPECT_EQ(paints, 2) << mode;
        Release(140, 120);
    }
}

TEST_F(ChartMouse, IsometricZoomWindowKeepsTheScreenAspect)
{
    chart.SetIsometric(true);
    chart.SetMouseAction(maZoomWindPos);
    double ax = 0, ay = 0, cx = 0, cy = 0;
    chart.MouseToWorld(1, 100, 100, ax, ay);
    chart.MouseToWorld(1, 160, 160, cx, cy);
    Band({100, 100}, {160, 140});   // the corner is made square: (160, 160)
    ExpectRange(X(), {ax, cx}, "x");
    const double expectedSpan = (cx - ax) * (chart.AreaHeight() + 1) / (chart.AreaWidth() + 1) *
                                chart.AspectY() / chart.AspectX();
    EXPECT_NEAR(Y().high - Y().low, expectedSpan, kTol);
    EXPECT_NEAR((Y().high + Y().low) / 2, (ay + cy) / 2, kTol);
}

// --- zoom gestures (WheelZoom, RightButtonZoom) ------------------------------------------------

namespace {

void SendWheel(TRChart& chart, int x, int y, int delta)
{
    const QPointF p(x, y);
    QWheelEvent event(p, chart.mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &event);
}

// A right-button drag from `from` to `to`, released with `button`.
void RightBand(TRChart& chart, QPoint from, QPoint to, Qt::MouseButton button = Qt::RightButton)
{
    QTest::mousePress(&chart, Qt::RightButton, {}, from);
    const QPoint pts[] = {from, to};
    for (const QPoint& p : pts) {
        QMouseEvent move(QEvent::MouseMove, p, chart.mapToGlobal(p), Qt::NoButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&chart, &move);
    }
    QTest::mouseRelease(&chart, button, {}, to);
}

double Relative(double a, double b) { return std::fabs(a - b) / std::max({std::fabs(a), std::fabs(b), 1e-300}); }

}  // namespace

TEST_F(ChartMouse, ZoomGesturesAreOffUntilTheOwnerSwitchesThemOn)
{
    EXPECT_FALSE(chart.WheelZoom());
    EXPECT_FALSE(chart.RightButtonZoom());
    int resets = 0;
    chart.OnZoomReset = [&](TCustomRChart&) { ++resets; };
    SendWheel(chart, 200, 150, 120);
    RightBand(chart, {100, 50}, {250, 200});
    QTest::mouseDClick(&chart, Qt::RightButton, {}, QPoint(200, 150));
    ExpectRange(X(), {0, 10}, "x");
    ExpectRange(Y(), {0, 10}, "y");
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(Count("ZoomPan"), 0);
}

struct WheelCase {
    const char* name;
    bool logarithmic;
    QPoint at;
    int delta;   // eighths of a degree; 120 is one notch
};
void PrintTo(const WheelCase& c, std::ostream* os) { *os << c.name; }

class ChartWheel : public ChartMouse, public ::testing::WithParamInterface<WheelCase> {};

TEST_P(ChartWheel, KeepsTheWorldPointUnderTheMouseAndTurnsBack)
{
    const WheelCase& tc = GetParam();
    if (tc.logarithmic) {
        SetRanges({1, 100}, {1, 100});
        chart.Scale1X().SetLogarithmic(true);
        chart.Scale1Y().SetLogarithmic(true);
    }
    chart.SetWheelZoom(true);
    const Range x0 = X(), y0 = Y();
    double wx = 0, wy = 0, zx = 0, zy = 0;
    chart.MouseToWorld(1, tc.at.x(), tc.at.y(), wx, wy);
    SendWheel(chart, tc.at.x(), tc.at.y(), tc.delta);
    chart.MouseToWorld(1, tc.at.x(), tc.at.y(), zx, zy);
    EXPECT_LT(Relative(zx, wx), 1e-9);
    EXPECT_LT(Relative(zy, wy), 1e-9);
    const double factor = std::pow(1.25, -tc.delta / 120.0);
    auto span = [&](Range r) { return tc.logarithmic ? std::log(r.high / r.low) : r.high - r.low; };
    EXPECT_NEAR(span(X()) / span(x0), factor, 1e-9) << "forward shrinks the span, back widens it";
    EXPECT_NEAR(span(Y()) / span(y0), factor, 1e-9);
    EXPECT_EQ(Count("ZoomPan"), 1);
    EXPECT_TRUE(ScreenIsAFreshRepaint());

    SendWheel(chart, tc.at.x(), tc.at.y(), -tc.delta);
    // back where it started, to 1e-9 of the span (an end at 0 has no relative error of its own)
    for (auto [now, was] : {std::pair{X(), x0}, std::pair{Y(), y0}}) {
        const double scale = std::max({std::fabs(was.high - was.low), std::fabs(was.low), std::fabs(was.high)});
        EXPECT_LT(std::fabs(now.low - was.low) / scale, 1e-9);
        EXPECT_LT(std::fabs(now.high - was.high) / scale, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Chart, ChartWheel,
                         ::testing::Values(WheelCase{"InAtTheCentre", false, {215, 140}, 120},
                                           WheelCase{"OutNearACorner", false, {60, 250}, -240},
                                           WheelCase{"FineTouchpadStep", false, {300, 40}, 15},
                                           WheelCase{"LogarithmicIn", true, {100, 200}, 360}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartMouse, WheelOutsideTheChartAreaOrTakenByTheOwnerDoesNotZoom)
{
    chart.SetWheelZoom(true);
    SendWheel(chart, 25, 150, 120);    // over the left scale
    SendWheel(chart, 200, 280, 120);   // over the bottom scale
    ExpectRange(X(), {0, 10}, "margins");
    chart.OnMouseWheel = [](TCustomRChart&, TShiftState, int, int, int, bool& handled) { handled = true; };
    SendWheel(chart, 200, 150, 120);
    ExpectRange(X(), {0, 10}, "taken by OnMouseWheel");
    ExpectRange(Y(), {0, 10}, "taken by OnMouseWheel");
}

TEST_F(ChartMouse, RightDragZoomsToTheDraggedRectangleInAnyDirection)
{
    chart.SetMouseAction(maPan);   // the left button keeps its pan
    chart.SetRightButtonZoom(true);
    for (auto [from, to] : {std::pair{QPoint(50, 20), QPoint(215, 140)}, std::pair{QPoint(215, 140), QPoint(50, 20)}}) {
        SetRanges({0, 10}, {0, 10});
        log.clear();
        RightBand(chart, from, to);
        ExpectRange(X(), {0, 5}, "x");
        ExpectRange(Y(), {5, 10}, "y");
        EXPECT_EQ(Count("ZoomPan"), 1);
        EXPECT_TRUE(ScreenIsAFreshRepaint());
    }
    // exactly the world rectangle under the mouse, on odd ranges too
    SetRanges({-3.7, 12.1}, {0.25, 0.75});
    double ax = 0, ay = 0, cx = 0, cy = 0;
    chart.MouseToWorld(1, 77, 233, ax, ay);
    chart.MouseToWorld(1, 301, 61, cx, cy);
    RightBand(chart, {77, 233}, {301, 61});
    EXPECT_EQ(X().low, ax);
    EXPECT_EQ(X().high, cx);
    EXPECT_EQ(Y().low, ay);
    EXPECT_EQ(Y().high, cy);
    Drag({200, 150}, {{233, 150}});
    EXPECT_NEAR(X().low, ax - (cx - ax) * 33 / 330, kTol) << "the left drag still pans";
}

TEST_F(ChartMouse, RightBandThatIsAClickOrEndsWithAnotherButtonChangesNothing)
{
    chart.SetRightButtonZoom(true);
    RightBand(chart, {100, 100}, {102, 103});                      // shorter than a drag
    RightBand(chart, {100, 100}, {200, 200}, Qt::LeftButton);      // ended by another button
    ExpectRange(X(), {0, 10}, "x");
    ExpectRange(Y(), {0, 10}, "y");
    EXPECT_EQ(Count("ZoomPan"), 0);
    EXPECT_TRUE(ScreenIsAFreshRepaint());
    chart.SetMouseAction(maZoomWindPos);
    Band({50, 20}, {215, 140}, Qt::RightButton);                   // a left band still ends with the right button
    ExpectRange(X(), {0, 10}, "left band released with the right button");
}

TEST_F(ChartMouse, RightDoubleClickAsksTheOwnerForItsRanges)
{
    chart.SetRightButtonZoom(true);
    chart.OnZoomReset = [&](TCustomRChart&) { log.push_back("ZoomReset"); };
    QTest::mousePress(&chart, Qt::RightButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&chart, Qt::RightButton, {}, QPoint(200, 150));
    QTest::mouseDClick(&chart, Qt::RightButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&chart, Qt::RightButton, {}, QPoint(200, 150));
    EXPECT_EQ(Count("ZoomReset"), 1);
    EXPECT_EQ(Count("DblClick"), 0) << "OnDblClick stays the left button's";
    EXPECT_EQ(Count("ZoomPan"), 0);
    ExpectRange(X(), {0, 10}, "the chart itself changes no range");
}
