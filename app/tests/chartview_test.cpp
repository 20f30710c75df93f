// The chart as the user works it: points entered by clicking, panning, zooming and the axes.
#include "mainwindow.h"

TEST_F(MainWindow, ThreeClicksThenLinDrawsTheLineAcrossTheAxis)
{
    EnterByClicks({{100, 300}, {200, 200}, {300, 100}});
    ASSERT_EQ(Marks(), 3);
    EXPECT_EQ(W.Stats1().PointCount(), 3);
    Click(W.BButLinFit);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    const std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].Kind, ikMoveTo);
    EXPECT_EQ(c[1].Kind, ikLineTo);
    EXPECT_EQ(c[0].X, W.RChart1->Scale1X().RangeLow());
    EXPECT_EQ(c[1].X, W.RChart1->Scale1X().RangeHigh());
    double k = 0, d = 0, q = 0;
    W.Stats1().CalcLinFit(k, d, q);
    EXPECT_DOUBLE_EQ(c[1].Y, k * c[1].X + d);
    EXPECT_EQ(Formula(), "y = k*x + d");
    EXPECT_EQ(Params(), "k = " + NumberToText(k, 1, 3) + "    d = " + NumberToText(d, 1, 3));
    EXPECT_TRUE(W.LblFormula->isVisible());
    EXPECT_TRUE(W.BButLinFit->Down());
    EXPECT_FALSE(W.SBNewPnts->Down()) << "a fit ends entry mode";
    EXPECT_FALSE(W.NLabFitQual->Empty());
    EXPECT_DOUBLE_EQ(W.NLabFitQual->Value(), q);
}

TEST_F(MainWindow, ClicksBecomeMarksAndTheLineIsDrawn)
{
    const std::vector<QPoint> clicks = {{100, 300}, {200, 200}, {300, 100}};
    EnterByClicks(clicks);
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        double x = 0, y = 0;
        W.RChart1->MouseToWorld(1, clicks[i].x(), clicks[i].y(), x, y);
        EXPECT_EQ(W.Stats1().PointTable().Elem(1, int(i) + 1), x);
        EXPECT_EQ(W.Stats1().PointTable().Elem(2, int(i) + 1), y);
    }
    Click(W.BButLinFit);
    QApplication::processEvents();
    const QImage& img = W.RChart1->ScreenImage();
    const std::uint32_t green = 0x008000;
    // Each mark is drawn in the data colour around its click.
    for (const QPoint& p : clicks)
        EXPECT_GT(testsupport::CountPixels(img, green, p.x() - 3, p.y() - 3, p.x() + 4, p.y() + 4), 4)
            << p.x() << "," << p.y();
    // The line runs from the left to the right edge of the chart area: green pixels in the
    // columns just inside both edges, at the fitted height.
    double k = 0, d = 0, q = 0;
    W.Stats1().CalcLinFit(k, d, q);
    const TChartArea area = W.RChart1->ChartArea();
    double x1 = 0, x3 = 0, unused = 0;
    W.RChart1->MouseToWorld(1, clicks[0].x(), clicks[0].y(), x1, unused);
    W.RChart1->MouseToWorld(1, clicks[2].x(), clicks[2].y(), x3, unused);
    for (double x : {0.85 * x1 + 0.15 * x3, 0.6 * x1 + 0.4 * x3, 0.35 * x1 + 0.65 * x3}) {  // away from the marks
        int px = 0, py = 0;
        W.RChart1->WorldToMouse(1, x, k * x + d, px, py);
        ASSERT_TRUE(area.Contains(px, py)) << x;
        EXPECT_GT(testsupport::CountPixels(img, green, px - 1, py - 2, px + 2, py + 3), 0) << x;
    }
}

TEST_F(MainWindow, DoubleClickInEntryModeEntersOnePoint)
{
    Click(W.SBNewPnts);
    // What the toolkit delivers for a double click: press, release, double click, release.
    const QPointF at(150, 150), global = W.RChart1->mapToGlobal(at);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                           QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(t, at, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(W.RChart1, &e);
    }
    EXPECT_EQ(W.Stats1().PointCount(), 1);
    EXPECT_EQ(Marks(), 1);
}

TEST_F(MainWindow, DraggingPansTheAxesAndTheNextCurveFollows)
{
    EnterTable({{1, 1}, {2, 2}, {3, 3}});
    const double low = W.RChart1->Scale1X().RangeLow();
    QTest::mousePress(W.RChart1, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    QTest::mouseMove(W.RChart1, QPoint(250, 200));
    QTest::mouseMove(W.RChart1, QPoint(200, 200));
    QTest::mouseRelease(W.RChart1, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    EXPECT_EQ(W.Stats1().PointCount(), 3) << "entry mode is off: a press enters nothing";
    const double newLow = W.RChart1->Scale1X().RangeLow();
    EXPECT_GT(newLow, low) << "dragging to the left shows larger x";
    Click(W.BButLinFit);
    ASSERT_EQ(Curve().size(), 2u);
    EXPECT_EQ(Curve()[0].X, newLow);
    Click(W.ResetAxisButton);
    EXPECT_EQ(W.RChart1->Scale1X().RangeLow(), 0.0);
    EXPECT_EQ(W.RChart1->Scale1X().RangeHigh(), 10.0);
}

TEST_F(MainWindow, EveryButtonOfTheMouseEntersOnePointOnlyInEntryMode)
{
    ClickChart(100, 100);
    EXPECT_EQ(W.Stats1().PointCount(), 0);
    EXPECT_EQ(Marks(), 0);
    Click(W.SBNewPnts);
    EXPECT_EQ(Params(), "click into chart to enter new data points");
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) ClickChart(150, 150, b);
    EXPECT_EQ(W.Stats1().PointCount(), 3);
    EXPECT_EQ(Marks(), 3);
    Click(W.SBNewPnts);
    EXPECT_EQ(Params(), "");
}

TEST_F(MainWindow, ResetAxisTakesTheEdits)
{
    W.GraphXmaxEdit->setText("25,5");
    W.GraphYmaxEdit->setText("");
    W.RChart1->Scale1X().SetRangeLow(3);
    Click(W.ResetAxisButton);
    EXPECT_EQ(W.RChart1->Scale1X().RangeLow(), 0.0);
    EXPECT_EQ(W.RChart1->Scale1X().RangeHigh(), 25.5);
    EXPECT_EQ(W.RChart1->Scale1Y().RangeHigh(), 0.0) << "an empty edit reads as 0";
    EXPECT_EQ(W.RChart1->Scale1Y().RangeLow(), -1e-10) << "the axis keeps its smallest range";

    W.GraphYmaxEdit->setText("zehn");
    Click(W.ResetAxisButton);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "'zehn' ist kein gültiger Gleitkommawert.");
}

// --- zoom on the chart -------------------------------------------------------------------------

namespace {

void WheelOn(TRChart& chart, QPoint at, int delta)
{
    const QPointF p(at);
    QWheelEvent e(p, chart.mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &e);
}

void RightDrag(TRChart& chart, QPoint from, QPoint to)
{
    QTest::mousePress(&chart, Qt::RightButton, Qt::NoModifier, from);
    for (const QPoint& p : {from, to}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), chart.mapToGlobal(QPointF(p)), Qt::NoButton, Qt::RightButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&chart, &move);
    }
    QTest::mouseRelease(&chart, Qt::RightButton, Qt::NoModifier, to);
}

void RightDoubleClick(TRChart& chart, QPoint at)
{
    QTest::mousePress(&chart, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(&chart, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseDClick(&chart, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(&chart, Qt::RightButton, Qt::NoModifier, at);
}

}  // namespace

TEST_F(MainWindow, WheelZoomsAboutThePointUnderTheMouseAndTheNextFitSamplesTheNewRange)
{
    EnterTable({{1, 1.5}, {2, 2.5}, {4, 3.8}, {5, 6.1}});
    TRChart& c = *W.RChart1;
    const QPoint at(180, 120);
    double wx = 0, wy = 0, zx = 0, zy = 0;
    c.MouseToWorld(1, at.x(), at.y(), wx, wy);
    WheelOn(c, at, 240);
    c.MouseToWorld(1, at.x(), at.y(), zx, zy);
    EXPECT_NEAR(zx, wx, 1e-9 * std::fabs(wx));
    EXPECT_NEAR(zy, wy, 1e-9 * std::fabs(wy));
    const double low = c.Scale1X().RangeLow(), high = c.Scale1X().RangeHigh();
    EXPECT_NEAR(high - low, 10 / 1.5625, 1e-9) << "two notches forward";
    for (QAbstractButton* fit : {static_cast<QAbstractButton*>(W.BButLinFit),
                                 static_cast<QAbstractButton*>(W.BButParabolFit)}) {
        Click(fit);
        const std::vector<TProbeItem> curve = Curve();
        ASSERT_GE(curve.size(), 2u);
        EXPECT_NEAR(curve.front().X, low, 1e-12) << fit->text().toStdString();
        EXPECT_NEAR(curve.back().X, high, 1e-12) << fit->text().toStdString();
    }
    WheelOn(c, at, -240);
    EXPECT_NEAR(c.Scale1X().RangeLow(), 0, 1e-9);
    EXPECT_NEAR(c.Scale1X().RangeHigh(), 10, 1e-9);
}

TEST_F(MainWindow, RightDragZoomsToTheRectangleAndRightDoubleClickResetsTheAxes)
{
    EnterTable({{1, 1}, {2, 2}, {3, 3}});
    TRChart& c = *W.RChart1;
    W.GraphXmaxEdit->setText("20");
    W.GraphYmaxEdit->setText("15,5");
    double ax = 0, ay = 0, cx = 0, cy = 0;
    c.MouseToWorld(1, 120, 260, ax, ay);
    c.MouseToWorld(1, 340, 90, cx, cy);
    RightDrag(c, {340, 90}, {120, 260});
    EXPECT_EQ(c.Scale1X().RangeLow(), ax);
    EXPECT_EQ(c.Scale1X().RangeHigh(), cx);
    EXPECT_EQ(c.Scale1Y().RangeLow(), ay);
    EXPECT_EQ(c.Scale1Y().RangeHigh(), cy);
    RightDoubleClick(c, {200, 150});
    EXPECT_EQ(c.Scale1X().RangeLow(), 0.0);
    EXPECT_EQ(c.Scale1X().RangeHigh(), 20.0);
    EXPECT_EQ(c.Scale1Y().RangeLow(), 0.0);
    EXPECT_EQ(c.Scale1Y().RangeHigh(), 15.5);
    EXPECT_EQ(W.Stats1().PointCount(), 3) << "outside entry mode the zoom enters nothing";
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWindow, InEntryModeTheRightButtonEntersPointsInsteadOfZooming)
{
    TRChart& c = *W.RChart1;
    Click(W.SBNewPnts);
    RightDrag(c, {100, 80}, {300, 220});
    EXPECT_EQ(W.Stats1().PointCount(), 1) << "the press enters its point";
    EXPECT_EQ(c.Scale1X().RangeLow(), 0.0);
    EXPECT_EQ(c.Scale1X().RangeHigh(), 10.0);
    EXPECT_EQ(c.Scale1Y().RangeHigh(), 10.0);
    c.Scale1X().SetRangeHigh(30);
    RightDoubleClick(c, {200, 150});
    EXPECT_EQ(c.Scale1X().RangeHigh(), 30.0) << "no reset in entry mode";
    EXPECT_EQ(W.Stats1().PointCount(), 3) << "both presses of a right double click enter a point, as before";
    Click(W.BButLinFit);   // ends entry mode: the right button zooms again
    RightDrag(c, {100, 80}, {300, 220});
    EXPECT_LT(c.Scale1X().RangeHigh(), 30.0);
}

// "Achsen an Daten anpassen" (Ctrl+0) fits both axes to the points, as a wide table does.
TEST_F(MainWindow, FittingTheAxesToTheDataShowsEveryPoint)
{
    W.AchsenAnpassen1->trigger();
    EXPECT_EQ(W.RChart1->Scale1X().RangeHigh(), 10.0) << "no points, nothing to fit";
    EnterTable({{1, 2}, {3, 4}, {6, 7}});
    W.Stats1().AddPoint(30, 60);   // as if clicked beyond the axes
    EXPECT_EQ(W.AchsenAnpassen1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    QApplication::setActiveWindow(&W);
    W.activateWindow();
    QTest::keyClick(&W, Qt::Key_0, Qt::ControlModifier);
    const TRChart& c = *W.RChart1;
    EXPECT_EQ(c.ScalePropsX(1).RangeLow(), 0.0);
    EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeHigh(), 30 + 29 * 0.05);
    EXPECT_EQ(c.ScalePropsY(1).RangeLow(), 0.0);
    EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeHigh(), 60 + 58 * 0.05);
    EXPECT_EQ(W.GraphXmaxEdit->text(), "31,45");
    EXPECT_EQ(W.GraphYmaxEdit->text(), "62,90");
    // "Reset Axis" then gives the same view.
    Click(W.ResetAxisButton);
    EXPECT_NEAR(c.ScalePropsX(1).RangeHigh(), 31.45, 1e-12);
    EXPECT_TRUE(Boxes.empty());
}
