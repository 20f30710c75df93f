// The main window walked as a user walks it: clicks, typed table cells, the fit buttons, the
// option widgets, the menu and closing.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <bit>
#include <cstdint>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <sstream>

#include "chartprobe.h"
#include "app/errorbox.h"
#include "app/floatedit.h"
#include "app/formhilfe.h"
#include "app/helpwindow.h"
#include <QTextBrowser>
#include "app/panel.h"
#include <QApplication>
#include <QClipboard>
#include "common/numtext.h"
#include "app/frmmain.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/valuegrid.h"
#include <QLineEdit>
#include "numlab/numlab.h"
#include "platform/cursors.h"
#include "platform/localefmt.h"
#include <QMouseEvent>
#include <QWheelEvent>
#include "testsupport/testsupport.h"
#include "platform/msgbox.h"

namespace {

constexpr int kMark = 1, kLineTo = 3, kMoveTo = 8;

// A comma locale while the window is built and used; the old settings come back after.
class CommaLocale {
public:
    CommaLocale() : m_old(FormatSettings())
    {
        TFormatSettings s = TFormatSettings::English();
        s.DecimalSeparator = ',';
        SetFormatSettings(s);
    }
    ~CommaLocale() { SetFormatSettings(m_old); }

private:
    TFormatSettings m_old;
};

class MainWindow : public ::testing::Test {
protected:
    MainWindow() : m_hook([this](const TMessageBoxRequest& r) { Boxes.push_back(r); })
    {
        W.show();
        QApplication::processEvents();
    }
    ~MainWindow() override { W.hide(); }

    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // A click into the chart at pixel (x, y) with the given button.
    void ClickChart(int x, int y, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(W.RChart1, b, Qt::NoModifier, QPoint(x, y));
    }
    void EnterByClicks(const std::vector<QPoint>& pixels)
    {
        if (!W.SBNewPnts->Down()) Click(W.SBNewPnts);
        for (const QPoint& p : pixels) ClickChart(p.x(), p.y());
    }
    void Type(int col, int row, const std::string& text)
    {
        W.WerteTabelleGrid->Model().SetCell(col, row, text);
    }
    void EnterTable(const std::vector<std::pair<double, double>>& points)
    {
        W.WerteTabelleGrid->Model().ClearCells();
        int row = 1;
        for (auto [x, y] : points) {
            std::ostringstream sx, sy;
            sx.precision(17);
            sy.precision(17);
            sx << x;
            sy << y;
            Type(0, row, ReplaceDot(sx.str()));
            Type(1, row, ReplaceDot(sy.str()));
            ++row;
        }
        Click(W.WerteUebernehmenBtn);
    }
    static std::string ReplaceComma(std::string s)
    {
        for (char& c : s) if (c == ',') c = '.';
        return s;
    }
    static std::string ReplaceDot(std::string s)
    {
        for (char& c : s) if (c == '.') c = ',';
        return s;
    }
    std::vector<TProbeItem> Curve()
    {
        std::vector<TProbeItem> all = Items(*W.RChart1), curve;
        for (const TProbeItem& it : all) if (it.Kind != kMark) curve.push_back(it);
        return curve;
    }
    int Marks()
    {
        int n = 0;
        for (const TProbeItem& it : Items(*W.RChart1)) n += it.Kind == kMark;
        return n;
    }
    std::string Formula() const { return W.LblFormula->text().toStdString(); }
    std::string Params() const { return W.LblParams->text().toStdString(); }

    CommaLocale m_locale;
    std::vector<TMessageBoxRequest> Boxes;
    TFrmMain W;

private:
    TMessageBoxHookScope m_hook;
};

}  // namespace

TEST_F(MainWindow, StartsWithItsLayout)
{
    EXPECT_EQ(W.windowTitle().toStdString(), "      Kalmira    -    Univariante Regression");
    // The outer size, the frame included.
    EXPECT_EQ(W.frameGeometry().size(), QSize(841, 657));
    EXPECT_EQ(W.minimumSize() + (W.frameGeometry().size() - W.size()), QSize(841, 657));
    struct Place { QWidget* w; QRect r; };
    const Place places[] = {
        {W.SBNewPnts, {19, 1, 125, 39}},   {W.SBClear, {144, 1, 125, 39}},
        {W.NLabFitQual, {608, 8, 193, 22}}, {W.Label1, {17, 17, 61, 23}},
        {W.LblFormula, {99, 6, 726, 22}},   {W.LblParams, {99, 41, 726, 16}},
        {W.BButLinFit, {8, 10, 80, 26}},    {W.SBExpo, {177, 40, 80, 26}},
        {W.SEPolyOrder, {100, 87, 57, 26}}, {W.BButSpline, {9, 128, 80, 26}},
        {W.SBarSmoothSpline, {100, 130, 109, 24}}, {W.ResetAxisButton, {192, 178, 65, 41}},
        {W.GraphXmaxEdit, {8, 192, 80, 24}}, {W.GraphYmaxEdit, {102, 192, 80, 24}},
    };
    for (const Place& p : places) EXPECT_EQ(p.w->geometry(), p.r) << p.w->metaObject()->className();
    EXPECT_EQ(W.Panel3->height(), 41);
    EXPECT_EQ(W.Panel1->height(), 64);
    EXPECT_EQ(W.Panel2->width(), 270);
    EXPECT_EQ(W.RChart1->x() + W.RChart1->width(), W.Panel2->x());
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
    EXPECT_FALSE(W.LblPolyOrder->isEnabled());
    EXPECT_TRUE(W.SBarSmoothSpline->isEnabled());
    EXPECT_FALSE(W.LblSmoothSpline->isEnabled());
    EXPECT_EQ(W.SBarSmoothSpline->value(), 1000);
    EXPECT_EQ(W.SEPolyOrder->Value(), 1);
    EXPECT_EQ(W.GraphXmaxEdit->text(), "10,00");
    EXPECT_EQ(W.WerteTabelleGrid->Model().rowCount(), 24);
    EXPECT_EQ(W.NLabFitQual->DisplayedText(), "0.0000");

    // The bottom of the command panel stays inside the window and clear of the table.
    EXPECT_LE(W.WerteUebernehmenBtn->geometry().bottom(), W.Panel2->height());
    EXPECT_GT(W.BitBtn2->y(), W.WerteTabelleGrid->geometry().bottom());
}

TEST_F(MainWindow, GrowingGivesTheChartAndTheTableTheRoom)
{
    const int chartW = W.RChart1->width(), gridH = W.WerteTabelleGrid->height();
    const int gap = W.Panel2->height() - W.BitBtn2->y();
    W.resize(W.width() + 200, W.height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(W.RChart1->width(), chartW + 200);
    EXPECT_EQ(W.WerteTabelleGrid->height(), gridH + 100);
    EXPECT_EQ(W.Panel2->height() - W.BitBtn2->y(), gap);
    EXPECT_EQ(W.WerteTabelleGrid->y(), 245);
}

TEST_F(MainWindow, ThreeClicksThenLinDrawsTheLineAcrossTheAxis)
{
    EnterByClicks({{100, 300}, {200, 200}, {300, 100}});
    ASSERT_EQ(Marks(), 3);
    EXPECT_EQ(W.Stats1().PointCount(), 3);
    Click(W.BButLinFit);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    const std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].Kind, kMoveTo);
    EXPECT_EQ(c[1].Kind, kLineTo);
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

TEST_F(MainWindow, MovingOverTheBarePanelsGivesTheDefaultCursorBack)
{
    SetScreenCursor(crChartHand);
    QTest::mouseMove(W.Panel2, QPoint(260, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(260, 300), W.Panel2->mapToGlobal(QPointF(260, 300)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(W.Panel2, &move);
    EXPECT_EQ(ScreenCursor(), crDefault);
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

TEST_F(MainWindow, EachFitCommandGivesItsCurveCaptionsAndQuality)
{
    struct Case {
        const char* name;
        TSpeedButton* TFrmMain::*button;
        std::function<double(double)> model;
        const char* formula;
        std::string params;
        std::size_t curveItems;
    };
    const double xs[] = {1, 2, 3, 4, 5, 6};
    const std::vector<Case> cases = {
        {"Lin", &TFrmMain::BButLinFit, [](double x) { return 2 * x - 0.5; }, "y = k*x + d",
         "k = 2.000    d = -0.500", 2},
        {"Parabolic", &TFrmMain::BButParabolFit, [](double x) { return 1 + 2 * x + 0.5 * x * x; },
         "y = k0 + k1*x + k2*sqr(x)", "k0 = 1.000    k1 = 2.000    k2 = 0.500", 201},
        {"Reciproc", &TFrmMain::BButCalcReciprLine, [](double x) { return 1 / (0.5 + 0.25 * x); },
         "y = 1/(k0 + k1*x)", "k0 = 0.500     k1 = 0.250", 201},
        {"Log", &TFrmMain::BButLogFit, [](double x) { return 3 + 2 * std::log(x); }, "y = k0 + k1*ln(x)",
         "k0 = 3.000    k1 = 2.000", 201},
        {"RecipLog", &TFrmMain::SBRecipLog, [](double x) { return 1 / (1 + 0.5 * std::log(x)); },
         "y = 1/(k0 + k1*ln(x))", "k0 = 1.000     k1 = 0.500", 200},
        {"Expon", &TFrmMain::SBExpo, [](double x) { return 2 * std::exp(0.3 * x); }, "y = k0*exp(k1*x)",
         "k0 = 2.000    k1 = 0.300", 201},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<double, double>> pts;
        for (double x : xs) pts.push_back({x, c.model(x)});
        Click(W.SBClear);
        EnterTable(pts);
        Click(W.*c.button);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        EXPECT_EQ(Formula(), c.formula);
        EXPECT_EQ(Params(), c.params);
        EXPECT_NEAR(W.NLabFitQual->Value(), 1.0, 1e-9);
        const std::vector<TProbeItem> curve = Curve();
        ASSERT_EQ(curve.size(), c.curveItems);
        for (const TProbeItem& it : curve) {
            if (it.X <= 0 && c.curveItems != 2 && it.Kind == kMoveTo) continue;  // the log start below the axis
            EXPECT_NEAR(it.Y, c.model(it.X), 1e-9 * (1 + std::abs(it.Y))) << it.X;
        }
        EXPECT_TRUE((W.*c.button)->Down());
        EXPECT_EQ(Marks(), 6);
    }
}

TEST_F(MainWindow, LogAndRecipLogFromAnAxisStartingAtZero)
{
    EnterTable({{1, 3}, {2, 3 + 2 * std::log(2.0)}, {4, 3 + 2 * std::log(4.0)}});
    Click(W.BButLogFit);
    std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), 201u);
    EXPECT_EQ(c[0].Kind, kMoveTo);
    EXPECT_EQ(c[0].X, 0.0);
    EXPECT_EQ(c[0].Y, -1000000.0);
    EXPECT_DOUBLE_EQ(c[1].X, 0.05);

    Click(W.SBRecipLog);
    c = Curve();
    ASSERT_EQ(c.size(), 200u) << "no start point at x = 0";
    EXPECT_EQ(c[0].Kind, kLineTo);
}

TEST_F(MainWindow, PolynomialFollowsTheOrderEdit)
{
    EnterTable({{0, 1}, {1, 2}, {2, 9}, {3, 28}, {4, 65}});   // 1 + x^3
    Click(W.BButPolynomial);
    EXPECT_TRUE(W.SEPolyOrder->isEnabled());
    EXPECT_TRUE(W.LblPolyOrder->isEnabled());
    EXPECT_FALSE(W.SBarSmoothSpline->isEnabled());
    EXPECT_EQ(Formula(), "y = k0+k1*x");
    std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), 201u);
    EXPECT_DOUBLE_EQ(c[0].X, 0.05) << "the polynomial starts one step right of the axis start";
    EXPECT_EQ(c[0].X, c[1].X);

    W.SEPolyOrder->stepBy(2);                 // order 3: the change reruns the command
    EXPECT_EQ(Formula(), "y = k0+k1*x+k2*x^2 +k3*x^3 ");
    std::array<double, 11> k{};
    double q = 0;
    bool truncated = false;
    ASSERT_TRUE(W.Stats1().CalcPolynomialFit(3, k, q, truncated));
    EXPECT_EQ(Params(), "k0=" + NumberToText(k[0], 1, 3) + "  k1=" + NumberToText(k[1], 1, 3) + "  k2=" +
                            NumberToText(k[2], 1, 3) + "  k3=" + NumberToText(k[3], 1, 3) + "  ");
    EXPECT_EQ(NumberToText(k[3], 1, 3), "1.000");
    EXPECT_NEAR(W.NLabFitQual->Value(), 1.0, 1e-12);
    c = Curve();
    ASSERT_EQ(c.size(), 201u);
    EXPECT_NEAR(c.back().Y, 1001.0, 1e-6);
}

TEST_F(MainWindow, TypedOrderAboveTenNeverReachesTheEngine)
{
    EnterTable({{0, 1}, {1, 2}, {2, 9}, {3, 28}, {4, 65}, {5, 1}, {6, 2}, {7, 3}, {8, 4}, {9, 5}, {10, 6}, {11, 7}});
    Click(W.BButPolynomial);
    W.SEPolyOrder->setFocus();
    QTest::keyClick(W.SEPolyOrder, Qt::Key_End);
    for (const char* t : {"9", "9", "9"}) QTest::keyClicks(W.SEPolyOrder, t);   // "1999"
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Formula(), "y = k0+k1*x+k2*x^2 +k3*x^3 +k4*x^4 +k5*x^5 +k6*x^6 +k7*x^7 +k8*x^8 +k9*x^9 ")
        << "the order is taken as the edit's maximum, 9";
    for (int i = 0; i < 4; ++i) QTest::keyClick(W.SEPolyOrder, Qt::Key_Backspace);
    QTest::keyClicks(W.SEPolyOrder, "-3");
    EXPECT_EQ(W.SEPolyOrder->Text(), "-3");
    EXPECT_EQ(Formula(), "y = k0+k1*x") << "a negative order is taken as the minimum";
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWindow, OrderLimitFollowsThePointCount)
{
    Click(W.SBNewPnts);
    ClickChart(100, 100);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), 0);
    EXPECT_EQ(W.SEPolyOrder->Text(), "1") << "the minimum wins";
    EXPECT_TRUE(W.SBNewPnts->Down()) << "the first point does not end entry mode";
    for (int i = 2; i <= 9; ++i) ClickChart(100 + 10 * i, 100 + 5 * i);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), 8);
    ClickChart(300, 300);
    EXPECT_EQ(W.Stats1().PointCount(), 10);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), 8);

    // Order 5 chosen, then new points: lowering the order reruns the polynomial command, which
    // ends entry mode.
    W.SEPolyOrder->SetValue(5);
    Click(W.SBClear);
    Click(W.SBNewPnts);
    ClickChart(100, 100);
    EXPECT_EQ(W.SEPolyOrder->Text(), "1");
    EXPECT_FALSE(W.SBNewPnts->Down());
    EXPECT_EQ(Formula(), "y = k0+k1*x");
    EXPECT_TRUE(W.LblFormula->isVisible());
    ClickChart(150, 120);
    EXPECT_EQ(W.Stats1().PointCount(), 1);
}

TEST_F(MainWindow, SplineWithTheScrollBarAtZeroPassesThroughEveryPoint)
{
    const std::vector<std::pair<double, double>> pts = {{1, 2}, {2, 5}, {3, 3}, {5, 7}, {7, 4}, {9, 8}};
    EnterTable(pts);
    Click(W.BButSpline);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_FALSE(W.LblParams->isVisible());
    EXPECT_TRUE(W.LblSmoothSpline->isEnabled());
    std::vector<TProbeItem> c = Curve();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c[0].Kind, kMoveTo);
    EXPECT_EQ(c[0].X, 1.0);

    W.SBarSmoothSpline->setValue(0);
    c = Curve();
    for (auto [x, y] : pts) {
        bool valid = false;
        double q = 0;
        EXPECT_NEAR(W.Stats1().SplineValue(x, q, valid), y, 1e-9) << x;
    }
    // The samples at x = 2, 3, 5, 7, 9 (every 20th) lie on the points.
    for (const TProbeItem& it : c) {
        for (auto [x, y] : pts) {
            if (std::abs(it.X - x) < 1e-12) {
                EXPECT_NEAR(it.Y, y, 1e-9) << x;
            }
        }
    }
    EXPECT_LE(c.back().X, 9.0 + 1e-12);
    EXPECT_FALSE(W.LblFormula->isVisible()) << "the scroll bar only redraws the curve";
}

TEST_F(MainWindow, FailuresLeaveWhatWasDoneBefore)
{
    EnterTable({{1, 1}, {2, 3}, {3, 5}});
    Click(W.BButLinFit);
    const std::string oldParams = Params();
    EnterTable({{1, 1}});
    Click(W.BButLinFit);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "CalcLinFit: not enough data points.");
    EXPECT_EQ(Boxes[0].Icon, mbiError);
    EXPECT_EQ(Boxes[0].Caption, "app_tests");
    EXPECT_EQ(Params(), oldParams);
    EXPECT_EQ(Formula(), "y = k*x + d");
    EXPECT_FALSE(W.SBNewPnts->Down());
    EXPECT_EQ(Marks(), 4);

    // A failing fit right after a good one: the old curve is gone, the old texts stay.
    Boxes.clear();
    Click(W.SBClear);
    EnterTable({{1, 1}, {2, -3}, {3, 5}});
    Click(W.BButLinFit);
    const std::string linParams = Params();
    ASSERT_EQ(Curve().size(), 2u);
    Click(W.SBExpo);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Curve().empty()) << "the old curve was removed before the fit failed";
    EXPECT_EQ(Params(), linParams);
    EXPECT_TRUE(W.LblFormula->isVisible());

    Boxes.clear();
    EnterTable({{2, 1}, {2, 3}});
    Click(W.BButSpline);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "PenalizedCubicSpline: two or more x-values are identical.");
}

TEST_F(MainWindow, OverflowWhileSamplingKeepsTheQualityAndTheSamplesSoFar)
{
    EnterTable({{1, std::exp(100.0)}, {2, std::exp(200.0)}, {3, std::exp(300.0)}});   // k1 = 100
    Click(W.SBExpo);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Gleitkommaüberlauf.");
    EXPECT_NEAR(W.NLabFitQual->Value(), 1.0, 1e-9) << "the quality was shown before the curve";
    const std::vector<TProbeItem> c = Curve();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c[0].Kind, kMoveTo);
    EXPECT_LT(c.back().X, 7.1) << "e^(100 x) leaves the double range above x = 7.09";
    for (const TProbeItem& it : c) EXPECT_TRUE(std::isfinite(it.Y));
    EXPECT_FALSE(W.LblFormula->isVisible()) << "the texts of the failed command are not written";
}

TEST_F(MainWindow, TableAfterAFitLeavesTheOldCurveInFrontOfTheNewMarks)
{
    EnterTable({{1, 1}, {2, 2}, {3, 3}});
    Click(W.BButLinFit);
    EnterTable({{1, 2}, {2, 3}, {3, 5}});
    Click(W.BButLinFit);
    const std::vector<TProbeItem> all = Items(*W.RChart1);
    ASSERT_EQ(all.size(), 3u + 2u + 3u + 2u);
    EXPECT_EQ(all[3].Kind, kMoveTo) << "the first curve stays where it was";
    EXPECT_EQ(all[5].Kind, kMark);
    Click(W.SBClear);
    EXPECT_TRUE(Items(*W.RChart1).empty());
}

TEST_F(MainWindow, ScrollBarBeforeAnyCommandReportsTooFewPoints)
{
    W.SBarSmoothSpline->setValue(500);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "CalcLinFit: not enough data points.");
}

TEST_F(MainWindow, TableTransferTwiceShowsEveryMarkTwice)
{
    EnterTable({{1, 1}, {2, 2}, {3, 4}});
    Click(W.WerteUebernehmenBtn);
    EXPECT_EQ(W.Stats1().PointCount(), 3);
    EXPECT_EQ(Marks(), 6);

    W.WerteTabelleGrid->Model().ClearCells();
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Tabelle ist leer");
    EXPECT_EQ(Boxes[0].Icon, mbiWarning);
    EXPECT_TRUE(Boxes[0].TopMost);
    EXPECT_EQ(W.Stats1().PointCount(), 0);
    EXPECT_EQ(Marks(), 6);
}

// "Clear Table" with the table scrolled down: typing goes on in row 1, in sight.
TEST_F(MainWindow, ClearTableReturnsToTheFirstRow)
{
    TValueGrid& grid = *W.WerteTabelleGrid;
    for (int row = 1; row <= 60; ++row) Type(0, row, std::to_string(row));
    grid.scrollToBottom();
    grid.setCurrentIndex(grid.Model().index(59, 1));
    ASSERT_GT(grid.verticalScrollBar()->value(), 0);
    Click(W.BitBtn2);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid.currentIndex(), grid.Model().index(0, 0));
    EXPECT_EQ(grid.Model().FirstFilledRowFrom(1), 0);
}

// An empty X cell still ends the table; values below it are named in the box.
TEST_F(MainWindow, TransferSaysWhereValuesBelowTheEndAreLeft)
{
    const struct {
        std::vector<int> filledRows;
        int points;
        std::string box;
    } rows[] = {
        {{2, 3, 4}, 0, "Tabelle ist leer: Zeile 1 hat keinen X-Wert: die Werte ab Zeile 2 wurden nicht übernommen"},
        {{1, 2, 5}, 2, "Zeile 3 hat keinen X-Wert: die Werte ab Zeile 5 wurden nicht übernommen"},
        {{1, 2, 3}, 3, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.box);
        Boxes.clear();
        W.WerteTabelleGrid->Model().ClearCells();
        for (int row : r.filledRows) {
            Type(0, row, std::to_string(row));
            Type(1, row, std::to_string(2 * row));
        }
        Click(W.WerteUebernehmenBtn);
        EXPECT_EQ(W.Stats1().PointCount(), r.points);
        if (r.box.empty()) {
            EXPECT_TRUE(Boxes.empty());
        } else {
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, r.box);
        }
    }
}

TEST_F(MainWindow, BadCellStopsTheTransferAtItsRow)
{
    Click(W.BButPolynomial);
    const int maxBefore = W.SEPolyOrder->MaxValue();
    Type(0, 1, "1");  Type(1, 1, "1");
    Type(0, 2, "2");  Type(1, 2, "4");
    Type(0, 3, "3");  Type(1, 3, "");
    Type(0, 4, "4");  Type(1, 4, "5");
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "'' ist kein gültiger Gleitkommawert.");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
    EXPECT_EQ(Marks(), 2);
    EXPECT_EQ(W.SEPolyOrder->MaxValue(), maxBefore) << "the order limit is not updated";
}

TEST_F(MainWindow, EmptyXCellEndsTheTable)
{
    Type(0, 1, "1"); Type(1, 1, "1");
    Type(0, 2, "2"); Type(1, 2, "2");
    Type(0, 4, "4"); Type(1, 4, "4");
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Zeile 3 hat keinen X-Wert: die Werte ab Zeile 4 wurden nicht übernommen");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
}

struct TypedCase {
    const char* name;
    char separator;
    const char* text;
    bool ok;
    double value;
};

class TypedInput : public MainWindow, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedInput, GivesItsValueOrItsMessage)
{
    const TypedCase& c = GetParam();
    TFormatSettings s = TFormatSettings::English();
    s.DecimalSeparator = c.separator;
    SetFormatSettings(s);
    EnterTable({{1, 1}, {2, 2}});
    ASSERT_EQ(W.Stats1().PointCount(), 2);
    Type(0, 3, c.text);
    Type(1, 3, "7");
    QTest::mouseClick(W.WerteTabelleGrid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 70));
    Click(W.WerteUebernehmenBtn);
    if (c.ok) {
        EXPECT_TRUE(Boxes.empty()) << Boxes[0].Text;
        ASSERT_EQ(W.Stats1().PointCount(), 3);
        const double x = W.Stats1().PointTable().Elem(1, 3);
        EXPECT_EQ(x, c.value);
        EXPECT_EQ(std::signbit(x), std::signbit(c.value));
    } else {
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(Boxes[0].Text, std::string("'") + c.text + "' ist kein gültiger Gleitkommawert.");
        EXPECT_EQ(W.Stats1().PointCount(), 2) << "the rows before the bad one are kept";
    }
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellText(0, 3), c.ok ? W.WerteTabelleGrid->Model().CellText(0, 3) : c.text)
        << "what the user typed stays in the table";
}

const std::string k300Digits = "1" + std::string(299, '0');
const TypedCase kTypedCases[] = {
    {"GermanComma", ',', "1,5", true, 1.5},
    {"GermanPoint", ',', "1.5", false, 0},
    {"EnglishPoint", '.', "1.5", true, 1.5},
    {"EnglishComma", '.', "1,5", false, 0},
    {"Overflow", '.', "1e400", false, 0},
    {"NotANumber", '.', "nan", false, 0},
    {"Infinity", '.', "inf", false, 0},
    {"MinusZero", '.', "-0", true, -0.0},
    {"ThreeHundredDigits", '.', k300Digits.c_str(), true, 1e299},
    {"PastedText", ',', "zwölf Äpfel", false, 0},
    {"Blank", ',', " ", false, 0},
};
INSTANTIATE_TEST_SUITE_P(Table, TypedInput, ::testing::ValuesIn(kTypedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, TypingIntoTheCellsWithTheKeyboard)
{
    TValueGrid* grid = W.WerteTabelleGrid;
    grid->setFocus();
    grid->setCurrentIndex(grid->Model().index(0, 0));
    // Keys go where the keyboard focus is, as they do for a user: the first opens the editor.
    const auto type = [](const char* text) {
        for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    };
    type("2,5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);      // to Y, the X cell is taken
    type("1234567890123456");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);      // to the next row's X
    type("x1y");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();                                   // the editor commits queued
    EXPECT_EQ(grid->Model().CellValue(0, 1), 2.5);
    EXPECT_EQ(grid->Model().CellValue(1, 1), 123456789012.0) << "the cell editor takes 12 characters";
    EXPECT_EQ(grid->Model().CellText(0, 2), "1") << "letters are not taken";
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

TEST_F(MainWindow, PastedBlockFillsTheTable)
{
    QApplication::clipboard()->setText("1\t2\n3\t4\nfoo\t6\n");
    W.WerteTabelleGrid->setFocus();
    W.WerteTabelleGrid->setCurrentIndex(W.WerteTabelleGrid->Model().index(0, 0));
    QTest::keyClick(W.WerteTabelleGrid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellValue(1, 2), 4.0);
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellText(0, 3), "foo");
    Click(W.WerteUebernehmenBtn);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "'foo' ist kein gültiger Gleitkommawert.");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
}

TEST_F(MainWindow, ClearTableKeepsEngineAndChart)
{
    EnterTable({{1, 1}, {2, 2}});
    Click(W.BitBtn2);
    EXPECT_TRUE(W.WerteTabelleGrid->Model().CellEmpty(0, 1));
    EXPECT_EQ(W.WerteTabelleGrid->Model().CellText(0, 0), "X");
    EXPECT_EQ(W.Stats1().PointCount(), 2);
    EXPECT_EQ(Marks(), 2);
}

TEST_F(MainWindow, GrafikClearForgetsEverything)
{
    EnterTable({{1, 1}, {2, 2}, {3, 3}});
    Click(W.BButPolynomial);
    Click(W.SBNewPnts);
    Click(W.SBClear);
    EXPECT_EQ(W.Stats1().PointCount(), 0);
    EXPECT_TRUE(Items(*W.RChart1).empty());
    EXPECT_FALSE(W.SBNewPnts->Down());
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_TRUE(W.LblParams->isVisible());
    EXPECT_EQ(Params(), "");
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
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

// "Ergebnis an Clipboard": with no fit a box says so; after one, the result pastes into a
// spreadsheet as rows of a name and a value, with every digit and the locale's separator.
TEST_F(MainWindow, ResultGoesToTheClipboard)
{
    QApplication::clipboard()->setText("unchanged");
    W.ErgebnisAnClipboard->trigger();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Noch kein Ergebnis: erst Punkte eingeben und eine Kurve anpassen");
    EXPECT_EQ(QApplication::clipboard()->text(), "unchanged");

    EnterTable({{1, 2}, {2, 4.5}, {3, 6}, {4, 8.25}});
    Click(W.BButLinFit);
    W.ErgebnisAnClipboard->trigger();
    double k = 0, d = 0, quality = 0;
    W.Stats1().CalcLinFit(k, d, quality);
    const QStringList rows = QApplication::clipboard()->text().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], "Modell\tGerade");
    EXPECT_EQ(rows[1], "Formel\ty = k*x + d");
    const struct {
        int row;
        const char* name;
        double value;
    } values[] = {{2, "k", k}, {3, "d", d}, {4, "Anpassungsgrad", quality}, {5, "Punkte", 4}};
    for (const auto& v : values) {
        const QStringList cells = rows[v.row].split('\t');
        ASSERT_EQ(cells.size(), 2);
        EXPECT_EQ(cells[0], v.name);
        EXPECT_FALSE(cells[1].contains('.')) << "the locale's separator is a comma";
        EXPECT_EQ(std::stod(ReplaceComma(cells[1].toStdString())), v.value) << v.name;
    }
}

// A polynomial that the data do not determine says which coefficients are open; one that they
// determine says nothing.
TEST_F(MainWindow, TruncatedPolynomialNamesTheOpenCoefficients)
{
    EnterTable({{1, 1}, {1, 2}, {2, 3}, {2, 5}});
    W.SEPolyOrder->SetValue(3);
    Boxes.clear();
    Click(W.BButPolynomial);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "k2 bis k3 sind durch die Daten nicht bestimmt (nur 2 verschiedene x-Werte); "
                             "gezeigt wird die Lösung mit der kleinsten Norm");
    EnterTable({{1, 1}, {2, 2}, {3, 3}, {4, 5}});
    Boxes.clear();
    Click(W.BButPolynomial);
    EXPECT_TRUE(Boxes.empty());
}

// "Hilfe" opens one help window beside the main window, in German, naming every model.
TEST_F(MainWindow, HelpShowsTheHelpWindow)
{
    W.Hilfe1->trigger();
    W.Hilfe1->trigger();
    ASSERT_NE(W.HelpWindow, nullptr);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(W.HelpWindow->isVisible());
    EXPECT_FALSE(W.HelpWindow->isModal());
    EXPECT_EQ(W.findChildren<THelpWindow*>().size(), 1);
    const QString text = W.HelpWindow->Text->toPlainText();
    for (const char* word : {"Test-Eingabe", "Werte übernehmen", "Lin", "Parabolic", "Reciproc", "Log", "Recip.Log.",
                             "Expon.", "Polynom", "Spline", "Anpassungsgrad", "cfit.asc", "kalmira-fit"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word;
    W.HelpWindow->close();
}

TEST_F(MainWindow, InfoShowsTheAboutBoxModally)
{
    bool wasModal = false;
    QString title;
    QTimer::singleShot(0, [&] {
        wasModal = W.FormHilfe->isVisible() && W.FormHilfe->isModal();
        title = W.FormHilfe->windowTitle();
        QTest::mouseClick(W.FormHilfe->Button1, Qt::LeftButton);
    });
    W.Info1->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(title, "FormHilfe");
    EXPECT_FALSE(W.FormHilfe->isVisible());
    EXPECT_EQ(W.FormHilfe->size(), QSize(325, 374));
}

class Closing : public MainWindow {
protected:
    Closing() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~Closing() override { QDir::setCurrent(m_old); }
    QTemporaryDir m_dir;
    QString m_old;
};

TEST_F(Closing, WritesTheDataFileByteExact)
{
    EnterTable({{1, 2.5}, {-0.25, 3}});
    EXPECT_TRUE(W.close());
    std::ifstream in(m_dir.filePath("cfit.asc").toStdString(), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_EQ(all.str(),
              "Data exported from QZL TCurveFit\r\n"
              "2\t;nr. of columns\r\n"
              "2\t;nr. of rows\r\n"
              "FALSE TRUE FALSE\t;row attributes, column names, row names\r\n"
              "x   y\r\n"
              "1.000000\t2.500000\r\n"
              "-0.250000\t3.000000\r\n");
}

TEST_F(Closing, EndeClosesAndWritesTheFile)
{
    W.Ende1->trigger();
    EXPECT_FALSE(W.isVisible());
    EXPECT_TRUE(QFile::exists(m_dir.filePath("cfit.asc")));
}

TEST_F(Closing, AnUnwritableFolderDoesNotStopClosing)
{
    QDir(m_dir.path()).mkdir("ro");
    QDir::setCurrent(m_dir.filePath("ro"));
    QFile::setPermissions(m_dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // A folder entry named like the file stands in for a folder we may not write to (root may
    // write everywhere).
    QDir(m_dir.filePath("ro")).mkdir("cfit.asc");
    EnterTable({{1, 2}});
    EXPECT_TRUE(W.close());
    EXPECT_FALSE(W.isVisible());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Closing, AFullDiskIsReportedAndTheWindowStaysOpen)
{
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    ASSERT_TRUE(QFile::link("/dev/full", m_dir.filePath("cfit.asc")));
    EnterTable({{1, 2}, {3, 4}});
    EXPECT_FALSE(W.close());
    EXPECT_TRUE(W.isVisible()) << "nothing is lost: the points are still there to be saved";
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Icon, mbiError);
    EXPECT_EQ(Boxes[0].Text, ErrorBoxText(FileErrorMessage(ENOSPC)));
    QFile::remove(m_dir.filePath("cfit.asc"));
    EXPECT_TRUE(W.close()) << "once the file can be written the window closes";
}

// The order edit keeps the focus while the user clicks a speed button; the command that then
// disables the edit leaves the state of its own model, not that of the polynomial.
TEST_F(MainWindow, CommandsAfterAnOrderTypedAwayLeaveTheirOwnState)
{
    EnterTable({{1, 1}, {2, 3}, {3, 2}, {4, 5}});
    Click(W.BButPolynomial);
    QApplication::setActiveWindow(&W);
    W.SEPolyOrder->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(W.SEPolyOrder->hasFocus());
    QTest::keyClick(W.SEPolyOrder, Qt::Key_End);
    QTest::keyClick(W.SEPolyOrder, Qt::Key_Backspace);   // the text is empty now
    Click(W.BButSpline);
    EXPECT_TRUE(W.SBarSmoothSpline->isEnabled());
    EXPECT_TRUE(W.LblSmoothSpline->isEnabled());
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
    EXPECT_FALSE(W.LblPolyOrder->isEnabled());
    EXPECT_EQ(W.SEPolyOrder->Text(), "1") << "the typed text is clamped as the focus leaves";

    Click(W.BButPolynomial);
    W.SEPolyOrder->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(W.SEPolyOrder->hasFocus());
    QTest::keyClick(W.SEPolyOrder, Qt::Key_Backspace);
    Click(W.SBClear);
    EXPECT_TRUE(Items(*W.RChart1).empty()) << "no curve is left after Grafik Clear";
    EXPECT_FALSE(W.LblFormula->isVisible());
    EXPECT_FALSE(W.SEPolyOrder->isEnabled());
    EXPECT_TRUE(Boxes.empty());
}

// A disabled option label looks disabled: its text is not drawn in the black of an enabled one.
TEST_F(MainWindow, DisabledOptionLabelsAreGreyed)
{
    auto hasBlack = [](QWidget* w) {
        const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 40) return true;
        return false;
    };
    ASSERT_FALSE(W.LblPolyOrder->isEnabled());
    EXPECT_FALSE(hasBlack(W.LblPolyOrder));
    EXPECT_FALSE(hasBlack(W.LblSmoothSpline));
    EnterTable({{1, 1}, {2, 3}, {3, 2}});
    Click(W.BButPolynomial);
    EXPECT_TRUE(hasBlack(W.LblPolyOrder));
}

// A press held on the scroll bar's arrow steps again and again; the error box of the first step
// takes the mouse, so the release never reaches the bar. One press gives one box.
TEST(ScrollBarPress, OnePressOnTheArrowGivesOneErrorBox)
{
    CommaLocale locale;
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    int boxes = 0;
    TMessageBoxHookScope hook([&](const TMessageBoxRequest&) {
        ++boxes;
        QTest::qWait(700);   // the box stays open while the user reads it
    });
    QTest::mousePress(w.SBarSmoothSpline, Qt::LeftButton, Qt::NoModifier, QPoint(4, 12));
    QTest::qWait(300);
    EXPECT_EQ(boxes, 1);
    QTest::mouseRelease(w.SBarSmoothSpline, Qt::LeftButton, Qt::NoModifier, QPoint(4, 12));
}

// Every fit command draws the engine's sampled curve of its model over the x axis, to the bit:
// the window keeps no evaluator of its own.
TEST_F(MainWindow, EveryCurveIsTheEnginesSampledCurve)
{
    EnterTable({{0.5, 1.5}, {1, 2.5}, {2, 2.25}, {3, 4}, {5, 4.5}, {8, 7}});
    W.RChart1->Scale1X().SetRangeLow(-2);   // a range where the log models leave samples out
    W.SEPolyOrder->SetValue(4);
    const std::vector<std::pair<TSpeedButton*, TModel>> commands = {
        {W.BButLinFit, {mkLine}},           {W.BButParabolFit, {mkParabola}}, {W.BButCalcReciprLine, {mkReciprocal}},
        {W.BButLogFit, {mkLog}},            {W.SBRecipLog, {mkReciprocalLog}}, {W.SBExpo, {mkExp}},
        {W.BButPolynomial, {mkPoly, 4}},    {W.BButSpline, {mkSpline, 0, 1.0}},
    };
    for (const auto& [button, model] : commands) {
        SCOPED_TRACE(FormulaText(model));
        Click(button);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
        TFittedModel fit;
        ASSERT_TRUE(CalcModelFit(W.Stats1(), model, fit));
        const TSampledCurve expected =
            SampleCurve(fit, W.RChart1->Scale1X().RangeLow(), W.RChart1->Scale1X().RangeHigh(), kCurveSamples);
        const std::vector<TProbeItem> curve = Curve();
        ASSERT_FALSE(expected.Fault);
        ASSERT_EQ(curve.size(), expected.Points.size());
        for (std::size_t i = 0; i < curve.size(); ++i) {
            EXPECT_EQ(curve[i].Kind, expected.Points[i].MoveTo ? kMoveTo : kLineTo);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(curve[i].X), std::bit_cast<std::uint64_t>(expected.Points[i].X));
            EXPECT_EQ(std::bit_cast<std::uint64_t>(curve[i].Y), std::bit_cast<std::uint64_t>(expected.Points[i].Y));
        }
    }
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

// "Auto" beside the smoothing bar fits the spline with the smoothing generalised cross-validation
// chooses and moves the bar to its nearest position; tied x are smoothed, not refused.
TEST_F(MainWindow, AutoSetsTheBarToTheCrossValidatedSmoothing)
{
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < 30; ++i) pts.emplace_back(i % 10, std::sin(0.6 * (i % 10)) + 0.3 * ((i * 7) % 4));
    EXPECT_FALSE(W.BtnSplineAuto->isEnabled()) << "an option of the spline, like the bar";
    EnterTable(pts);
    Click(W.BButSpline);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    ASSERT_TRUE(W.BtnSplineAuto->isEnabled());
    Click(W.BtnSplineAuto);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    TCurveFit reference;
    for (auto [x, y] : pts) reference.AddPoint(x, y);
    const double chosen = reference.ChooseSplineSmoothingByGcv();
    EXPECT_EQ(W.Stats1().SplineSmoothing(), chosen);
    EXPECT_EQ(W.SBarSmoothSpline->value(), int(std::lround(chosen * 1000.0)));
    const std::vector<TProbeItem> c = Curve();
    ASSERT_FALSE(c.empty());
    bool valid = false;
    double q = 0.0;
    EXPECT_EQ(c[0].Y, reference.SplineValue(c[0].X, q, valid));
    EXPECT_EQ(W.NLabFitQual->Value(), q);
}
