// The main window under the keyboard: mnemonics, shortcuts, arrow keys and Tab; and the
// smoothing bar's steps and its redraws while dragged.
#include <gtest/gtest.h>
#include <QKeySequence>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <bit>
#include <cstdint>
#include <set>

#include "app/filedialog.h"
#include "app/floatedit.h"
#include "app/frmmain.h"
#include "app/helpwindow.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/valuegrid.h"
#include "chartprobe.h"
#include "platform/msgbox.h"

namespace {

class Keyboard : public ::testing::Test {
protected:
    Keyboard() : m_hook([this](const TMessageBoxRequest& r) { Boxes.push_back(r.Text); })
    {
        W.show();
        QApplication::setActiveWindow(&W);
        W.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&W));
    }
    ~Keyboard() override { W.hide(); }

    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &W;
        QTest::keyClick(target, Qt::Key(key), mods);
    }
    // Points with whole-number coordinates, read the same in any locale.
    void EnterPoints(const std::vector<std::pair<int, int>>& pts)
    {
        int row = 1;
        for (auto [x, y] : pts) {
            W.WerteTabelleGrid->Model().SetCell(0, row, std::to_string(x));
            W.WerteTabelleGrid->Model().SetCell(1, row, std::to_string(y));
            ++row;
        }
        W.WerteUebernehmenBtnClick();
    }
    std::vector<TProbeItem> Curve()
    {
        std::vector<TProbeItem> c;
        for (const TProbeItem& it : Items(*W.RChart1)) if (it.Kind != ikMark) c.push_back(it);
        return c;
    }

    std::vector<std::string> Boxes;
    TFrmMain W;

private:
    TMessageBoxHookScope m_hook;
};

// The mnemonic of a caption, as the text a user reads: "&Lin" gives "L".
QString Mnemonic(const QString& caption)
{
    return QKeySequence::mnemonic(caption).toString().remove("Alt+");
}

}  // namespace

TEST_F(Keyboard, EveryMenuAndButtonHasAMnemonicOfItsOwn)
{
    struct Entry { QString caption; const char* letter; };
    const std::vector<Entry> windowWide = {
        {W.Datei1->text(), "D"},         {W.Hilfe1->text(), "H"},           {W.Info1->text(), "I"},
        {W.SBNewPnts->text(), "T"},      {W.SBClear->text(), "G"},          {W.BButLinFit->text(), "L"},
        {W.BButLogFit->text(), "O"},     {W.BButParabolFit->text(), "P"},   {W.BButCalcReciprLine->text(), "R"},
        {W.SBRecipLog->text(), "C"},     {W.SBExpo->text(), "E"},           {W.BButPolynomial->text(), "N"},
        {W.BButSpline->text(), "S"},     {W.ResetAxisButton->text(), "A"},  {W.BitBtn2->text(), "B"},
        {W.WerteUebernehmenBtn->text(), "W"}, {W.LblSmoothSpline->text(), "M"}, {W.GraphXmaxLabel->text(), "X"},
        {W.GraphYmaxLabel->text(), "Y"}, {W.Label2->text(), "U"},
    };
    std::set<QString> seen;
    for (const Entry& e : windowWide) {
        EXPECT_EQ(Mnemonic(e.caption), e.letter) << e.caption.toStdString();
        EXPECT_TRUE(seen.insert(Mnemonic(e.caption)).second) << e.caption.toStdString();
    }
    // Every button of the window is in the list.
    for (QAbstractButton* b : W.findChildren<QAbstractButton*>())
        if (b == W.BtnSplineAuto) {
            // Every letter of "Auto" is taken: it has the fit keys' next shortcut instead.
            EXPECT_EQ(b->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_9));
        } else if (b->isVisibleTo(&W)) {
            EXPECT_TRUE(seen.count(Mnemonic(b->text()))) << b->text().toStdString();
        }
    for (QMenu* menu : W.menuBar()->findChildren<QMenu*>()) {
        std::set<QString> inMenu;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            EXPECT_FALSE(Mnemonic(a->text()).isEmpty()) << a->text().toStdString();
            EXPECT_TRUE(inMenu.insert(Mnemonic(a->text())).second) << a->text().toStdString();
        }
    }
}

TEST_F(Keyboard, AltLetterPressesTheButtonAndOpensTheMenu)
{
    EnterPoints({{1, 1}, {2, 3}, {3, 4}});
    Key(Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return W.BButLinFit->Down(); }, 2000));
    EXPECT_EQ(Curve().size(), 2u) << "the line is drawn";
    Key(Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return W.BButPolynomial->Down(); }, 2000));
    EXPECT_TRUE(W.SEPolyOrder->isEnabled());

    Key(Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, 2000));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->menuAction(), W.Datei1);
    menu->close();
}

TEST_F(Keyboard, ShortcutsRunTheirCommands)
{
    std::vector<TFileDialogRequest> dialogs;
    const TFileDialogHook old = SetFileDialogHook([&](TFileDialogRequest& r) { dialogs.push_back(r); });
    Key(Qt::Key_O, Qt::ControlModifier);
    Key(Qt::Key_S, Qt::ControlModifier);
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    SetFileDialogHook(old);
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].Kind, fdkOpen);
    EXPECT_EQ(dialogs[0].Title, "Werte-Tabelle laden");
    EXPECT_EQ(dialogs[1].Kind, fdkSave);
    EXPECT_EQ(dialogs[1].Title, "Werte-Tabelle speichern");
    EXPECT_EQ(dialogs[2].Title, "Grafik speichern");

    int results = 0;
    QObject::connect(W.ErgebnisAnClipboard, &QAction::triggered, [&] { ++results; });
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(results, 1);
    Boxes.clear();   // no result yet

    Key(Qt::Key_F1);
    ASSERT_NE(W.HelpWindow, nullptr);
    EXPECT_TRUE(W.HelpWindow->isVisible());
    W.HelpWindow->close();
    QApplication::setActiveWindow(&W);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&W));

    // Ctrl+1 to Ctrl+8 run the fit commands in the order of their buttons.
    EnterPoints({{1, 2}, {2, 3}, {3, 5}, {4, 4}, {5, 7}});
    Boxes.clear();
    const TSpeedButton* fits[] = {W.BButLinFit, W.BButLogFit, W.BButParabolFit, W.BButCalcReciprLine,
                                  W.SBRecipLog, W.SBExpo,     W.BButPolynomial, W.BButSpline};
    for (int i = 0; i < 8; ++i) {
        Key(Qt::Key_1 + i, Qt::ControlModifier);
        EXPECT_TRUE(fits[i]->Down()) << "Ctrl+" << i + 1;
        EXPECT_FALSE(Curve().empty()) << "Ctrl+" << i + 1;
    }
    EXPECT_TRUE(Boxes.empty()) << Boxes.front();
}

TEST_F(Keyboard, CtrlQQuits)
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(W.isVisible());
    EXPECT_TRUE(QFile::exists(dir.filePath("cfit.asc")));
    QDir::setCurrent(old);
}

TEST_F(Keyboard, TabFollowsTheLayout)
{
    W.BButPolynomialClick();   // the order edit takes part once it is enabled
    const std::vector<QWidget*> expected = {
        W.SBNewPnts,  W.SBClear,  W.BButLinFit,     W.BButLogFit,    W.BButParabolFit, W.BButCalcReciprLine,
        W.SBRecipLog, W.SBExpo,   W.BButPolynomial, W.SEPolyOrder,   W.BButSpline,     W.GraphXmaxEdit,
        W.GraphYmaxEdit, W.ResetAxisButton, W.WerteTabelleGrid};
    W.SBNewPnts->setFocus(Qt::TabFocusReason);
    auto focused = [&]() -> QWidget* {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (std::find(expected.begin(), expected.end(), w) != expected.end()) return w;
        return QApplication::focusWidget();
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(focused(), expected[i]) << "step " << i;
        Key(Qt::Key_Tab);
    }
    // The smoothing bar is switched off by the polynomial command; with the spline on it follows
    // the spline button. Within the table Tab moves between the cells; the buttons follow it.
    W.SetOptionWidgets(false, true);
    W.BButSpline->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), W.SBarSmoothSpline);
    W.BitBtn2->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), W.WerteUebernehmenBtn);
}

TEST_F(Keyboard, ArrowKeysStepTheOrderEdit)
{
    EnterPoints({{1, 2}, {2, 3}, {3, 5}, {4, 4}, {5, 7}});
    W.BButPolynomialClick();
    W.SEPolyOrder->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(W.SEPolyOrder->Value(), 3);
    EXPECT_NE(W.LblParams->text().indexOf("k3="), -1) << W.LblParams->text().toStdString();
    Key(Qt::Key_Down);
    EXPECT_EQ(W.SEPolyOrder->Value(), 2);
    EXPECT_EQ(W.LblParams->text().indexOf("k3="), -1);
    EXPECT_TRUE(Boxes.empty());
}

// Arrow keys and arrow buttons move 1 % of the range, Page keys and the trough 10 %, a notch of
// the wheel 1 %.
TEST_F(Keyboard, SmoothingBarSteps)
{
    EnterPoints({{1, 2}, {2, 3}, {3, 5}, {4, 4}, {5, 7}});
    W.BButSplineClick();
    QScrollBar* bar = W.SBarSmoothSpline;
    auto wheel = [&](int dy) {
        const QPointF at(bar->width() / 2.0, bar->height() / 2.0);
        QWheelEvent e(at, bar->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &e);
    };
    bar->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(bar->hasFocus());
    struct Step { std::function<void()> act; int value; const char* what; };
    const Step steps[] = {
        {[&] { Key(Qt::Key_Left); }, 990, "left arrow key"},
        {[&] { Key(Qt::Key_Left); }, 980, "left arrow key"},
        {[&] { Key(Qt::Key_Right); }, 990, "right arrow key"},
        {[&] { Key(Qt::Key_PageDown); }, 890, "page down"},     // Qt's page keys, the trough's step
        {[&] { Key(Qt::Key_PageUp); }, 990, "page up"},
        {[&] { wheel(-120); }, 1000, "wheel towards the user"},
        {[&] { wheel(120); }, 990, "wheel away"},
        {[&] { wheel(60); wheel(60); }, 980, "two halves of a notch"},
        {[&] { QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, bar->height() / 2)); }, 970,
         "left arrow button"},
        {[&] { bar->setValue(0); QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                                                   QPoint(bar->width() - 25, bar->height() / 2)); }, 100,
         "trough right of the handle"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(bar->value(), s.value) << s.what;
    }
    EXPECT_TRUE(Boxes.empty()) << Boxes.front();
}

// While the handle is dragged, each move starts the spline of its position on the worker and
// cancels the one before: only the newest position is drawn.
TEST_F(Keyboard, DraggedBarDrawsOnlyTheNewestPosition)
{
    QScrollBar* bar = W.SBarSmoothSpline;
    const auto settle = [&] {
        for (int i = 0; i < 2000 && W.SplineBusy(); ++i) QTest::qWait(5);
        QApplication::processEvents();
    };
    bar->setSliderDown(true);   // the handle is held; no points yet, so every redraw fails
    for (int v : {900, 800, 700}) bar->setSliderPosition(v);
    EXPECT_TRUE(Boxes.empty()) << "nothing is drawn before the waiting moves are taken";
    settle();
    EXPECT_EQ(Boxes.size(), 1u) << "one redraw for three moves";
    bar->setSliderDown(false);

    EnterPoints({{1, 2}, {2, 3}, {3, 5}, {4, 4}, {5, 7}});
    W.BButSplineClick();
    Boxes.clear();
    bar->setSliderDown(true);
    for (int v : {600, 300, 250}) bar->setSliderPosition(v);
    settle();
    bar->setSliderDown(false);
    ASSERT_TRUE(Boxes.empty()) << Boxes.front();
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(W.Stats1(), {mkSpline, 0, 0.25}, fit));
    const TSampledCurve expected =
        SampleCurve(fit, W.RChart1->Scale1X().RangeLow(), W.RChart1->Scale1X().RangeHigh(), kCurveSamples);
    const std::vector<TProbeItem> c = Curve();
    ASSERT_EQ(c.size(), expected.Points.size());
    for (std::size_t i = 0; i < c.size(); ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(c[i].Y), std::bit_cast<std::uint64_t>(expected.Points[i].Y)) << i;
}

// A spline still being prepared for the dragged bar never comes back after a command that
// removed the curve.
TEST_F(Keyboard, ClearingWhileTheBarsSplineIsPreparedKeepsTheChartEmpty)
{
    std::vector<double> x, y;
    for (int i = 0; i < 3000; ++i) {
        x.push_back(0.001 * i + 1.0);
        y.push_back(std::sin(0.01 * i) + 2.0);
    }
    W.WerteTabelleGrid->Model().SetNumbers(x, y);
    W.WerteUebernehmenBtnClick();
    W.BButSplineClick();
    QScrollBar* bar = W.SBarSmoothSpline;
    bar->setSliderDown(true);
    bar->setSliderPosition(400);
    W.SBClearClick();
    EXPECT_FALSE(W.SplineBusy());
    QTest::qWait(50);
    bar->setSliderDown(false);
    EXPECT_TRUE(Curve().empty());
    EXPECT_EQ(W.RChart1->ItemCount(), 0);
}

// The parameter line shows every parameter at every order, inside its own 726 × 16 pixels; a
// short text keeps the line's font.
TEST_F(Keyboard, ParameterLineShowsEveryParameterAtOrderNine)
{
    struct Case { const char* name; std::vector<std::pair<int, int>> points; int order; };
    const Case cases[] = {
        {"order 9", {{1, 2}, {2, 3}, {3, 5}, {4, 4}, {5, 7}, {6, 1}, {7, 9}, {8, 3}, {9, 8}, {10, 2}, {11, 6}}, 9},
        {"order 9, one line in a smaller font",
         {{1, 2000}, {2, 3000}, {3, 5000}, {4, 4000}, {5, 7000}, {6, 1000}, {7, 9000}, {8, 3000}, {9, 8000},
          {10, 2000}, {11, 6000}},
         9},
        {"order 9, two lines",
         {{1, 200000000}, {2, 300000000}, {3, 500000000}, {4, 400000000}, {5, 700000000}, {6, 100000000},
          {7, 900000000}, {8, 300000000}, {9, 800000000}, {10, 200000000}, {11, 600000000}},
         9},
        // last: three points lower the order's limit for good
        {"line", {{1, 2}, {2, 3}, {3, 5}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        W.SBClearClick();
        W.WerteTabelleGrid->Model().ClearCells();
        EnterPoints(c.points);
        if (c.order == 0) {
            W.BButLinFitClick();
        } else {
            W.SEPolyOrder->SetValue(c.order);
            W.BButPolynomialClick();
        }
        ASSERT_TRUE(Boxes.empty()) << Boxes.front();
        QLabel* l = W.LblParams;
        const QString full = l->toolTip();
        EXPECT_EQ(l->geometry(), QRect(99, 41, 726, 16));
        for (int k = 0; c.order > 0 && k <= c.order; ++k)
            EXPECT_NE(full.indexOf(QString("k%1=").arg(k)), -1) << full.toStdString();
        // What is shown is the whole text, at most broken once between two parameters.
        QString shown = l->text();
        EXPECT_LE(shown.count('\n'), 1);
        EXPECT_EQ(shown.simplified(), full.simplified());
        const QFontMetrics fm(l->font());
        for (const QString& line : shown.split('\n')) EXPECT_LE(fm.horizontalAdvance(line), 726) << line.toStdString();
        EXPECT_LE(fm.height() * int(shown.split('\n').size()), 16 + 1);
        if (c.order == 0) {
            EXPECT_EQ(l->font().pixelSize(), 13) << "a short text keeps its font";
        }
        // On the screen: ink in the line, none cut at its right edge.
        const QImage img = l->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int right = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) right = std::max(right, x);
        EXPECT_GT(right, 0);
        EXPECT_LT(right, img.width() - 2) << "the text runs into the edge";
    }
}
