// The "Kurve" menu and the formula dialog: a built-in fitted from the menu, a formula typed with
// its starting values, a parse fault shown at once, and a fit that does not converge.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "app/formuladialog.h"
#include "app/frmmain.h"
#include "app/language.h"
#include "chart/chart.h"
#include "chartprobe.h"
#include "numlab/numlab.h"
#include "platform/msgbox.h"

namespace {

constexpr int kLineTo = 3, kMoveTo = 8;

// The yeast culture of examples/yeast.csv: a logistic growth curve.
const double kYeast[] = {9.6,   18.3,  29.0,  47.2,  71.1,  119.1, 174.6, 257.3, 350.7, 441.0,
                         513.3, 559.7, 594.8, 629.4, 640.8, 651.1, 655.9, 659.6, 661.8};

class CurveMenu : public ::testing::Test {
protected:
    CurveMenu() : m_hook([this](const TMessageBoxRequest& r) { Boxes.push_back(r); })
    {
        W.show();
        QApplication::processEvents();
    }
    ~CurveMenu() override { W.hide(); }

    void AddYeast()
    {
        for (int i = 0; i < 19; ++i) W.Stats1().AddPoint(i, kYeast[i]);
    }
    int CurveSamples()
    {
        int lines = 0;
        for (const TProbeItem& item : Items(*W.RChart1)) lines += item.Kind == kLineTo || item.Kind == kMoveTo;
        return lines;
    }

    TFrmMain W;
    std::vector<TMessageBoxRequest> Boxes;

private:
    TMessageBoxHookScope m_hook;
};

TEST_F(CurveMenu, HoldsTheBuiltinsAndTheFormula)
{
    ASSERT_NE(W.Kurve1, nullptr);
    EXPECT_EQ(W.Kurve1->title(), "&Kurve");
    ASSERT_EQ(W.KurveModelle.size(), 6u);
    EXPECT_EQ(W.KurveModelle[1]->text(), "&Logistisch\ty = a/(1+exp(-b*(x-c)))");
    EXPECT_EQ(W.Formel1->text(), "&Formel …");
}

TEST_F(CurveMenu, FitsTheLogisticCurve)
{
    AddYeast();
    W.KurveModelle[1]->trigger();
    EXPECT_TRUE(Boxes.empty()) << (Boxes.empty() ? "" : Boxes[0].Text);
    EXPECT_EQ(W.LblFormula->text(), "y = a/(1+exp(-b*(x-c)))");
    EXPECT_TRUE(W.LblParams->text().startsWith("a = 66")) << W.LblParams->text().toStdString();
    // Anpassungsgrad: R^2 in y.
    EXPECT_GT(W.NLabFitQual->Value(), 0.99);
    EXPECT_LE(W.NLabFitQual->Value(), 1.0);
    EXPECT_GT(CurveSamples(), 100);
}

// The dialog parses every keystroke: a fault names its position and what was expected, and
// "Anpassen" waits for a formula that parses.
TEST(FormulaDialog, ShowsAParseFaultAtOnce)
{
    TFormulaDialog dialog;
    dialog.FormulaEdit->clear();
    QTest::keyClicks(dialog.FormulaEdit, "y = a*(x+");
    EXPECT_FALSE(dialog.FitButton->isEnabled());
    EXPECT_EQ(dialog.StatusLabel->text(), "Position 10: erwartet wird eine Zahl, ein Name oder '('");
    QTest::keyClicks(dialog.FormulaEdit, "b)");
    EXPECT_TRUE(dialog.FitButton->isEnabled());
    EXPECT_EQ(dialog.StatusLabel->text(), "Parameter: a, b");

    QTest::keyClicks(dialog.StartEdit, "a = 2,5; c = 1");
    EXPECT_FALSE(dialog.FitButton->isEnabled());
    EXPECT_EQ(dialog.StatusLabel->text(), "Die Formel hat keinen Parameter 'c'.");
    dialog.StartEdit->setText("a = 2,5; b = 1e-3");
    ASSERT_TRUE(dialog.FitButton->isEnabled());
    const TModel& model = dialog.Model();
    EXPECT_EQ(model.Kind, mkNonlinear);
    EXPECT_EQ(model.Formula, "y = a*(x+b)");
    ASSERT_EQ(model.Start.size(), 2u);
    EXPECT_EQ(model.Start[0].second, 2.5);
    EXPECT_EQ(model.Start[1].second, 1e-3);
}

// "Formel ..." through its dialog: the typed formula and starts are fitted and shown.
TEST_F(CurveMenu, FitsATypedFormula)
{
    AddYeast();
    QTimer::singleShot(0, [this] {
        ASSERT_NE(W.FormelDialog, nullptr);
        W.FormelDialog->FormulaEdit->setText("y = K/(1+exp(r*(m-x)))");
        W.FormelDialog->StartEdit->setText("K = 600; r = 0.5; m = 8");
        QTest::mouseClick(W.FormelDialog->FitButton, Qt::LeftButton);
    });
    W.Formel1->trigger();
    EXPECT_TRUE(Boxes.empty()) << (Boxes.empty() ? "" : Boxes[0].Text);
    EXPECT_EQ(W.LblFormula->text(), "y = K/(1+exp(r*(m-x)))");
    EXPECT_TRUE(W.LblParams->text().startsWith("K = 66")) << W.LblParams->text().toStdString();
    EXPECT_GT(W.NLabFitQual->Value(), 0.99);
    EXPECT_GT(CurveSamples(), 100);
}

// A fit that does not converge says why in the error box and draws no curve.
TEST_F(CurveMenu, ANonConvergingFitShowsWhy)
{
    AddYeast();
    QTimer::singleShot(0, [this] {
        W.FormelDialog->FormulaEdit->setText("y = a*x + 0*c");
        W.FormelDialog->StartEdit->clear();
        QTest::mouseClick(W.FormelDialog->FitButton, Qt::LeftButton);
    });
    W.Formel1->trigger();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text.rfind("Die Anpassung ist nicht konvergiert: ", 0), 0u) << Boxes[0].Text;
    EXPECT_EQ(CurveSamples(), 0);
}

// The menu and the dialog in English; German comes back after.
TEST_F(CurveMenu, SpeakEnglish)
{
    ASSERT_TRUE(SetLanguage(kLanguageEnglish));
    QApplication::processEvents();
    EXPECT_EQ(W.Kurve1->title(), "Cur&ve");
    EXPECT_EQ(W.KurveModelle[1]->text(), "&Logistic\ty = a/(1+exp(-b*(x-c)))");
    EXPECT_EQ(W.Formel1->text(), "&Formula …");
    TFormulaDialog dialog;
    dialog.FormulaEdit->setText("y = a*(x+");
    EXPECT_EQ(dialog.StatusLabel->text(), "position 10: expected a number, a name or '('");
    EXPECT_EQ(dialog.FitButton->text(), "&Fit");
    SetLanguage(kLanguageGerman);
}

}  // namespace

// Why a fit stopped reads in the window's language, down to the formula's fault: the parts come
// from the fit as values, not from the engine's English message.
TEST_F(CurveMenu, WhyAFitStoppedFollowsTheLanguage)
{
    AddYeast();
    struct TCase {
        const char* formula;
        const char* start;
        const char* language;
        const char* expected;
    };
    const TCase cases[] = {
        {"y = a*x + 0*c", "", kLanguageGerman,
         "Die Anpassung ist nicht konvergiert: ohne Wirkung auf das Modell neben den übrigen Parametern: c "
         "(singuläre Jacobi-Matrix)"},
        {"y = a*x + 0*c", "", kLanguageEnglish,
         "The fit did not converge: no effect on the model beside the other parameters: c (a singular Jacobian)"},
        {"y = ln(a - x)", "a = 1", kLanguageEnglish, "The fit did not converge: the model has no value at the starting values: "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.formula) + " " + c.language);
        ASSERT_TRUE(SetLanguage(c.language));
        Boxes.clear();
        QTimer::singleShot(0, [this, &c] {
            W.FormelDialog->FormulaEdit->setText(c.formula);
            W.FormelDialog->StartEdit->setText(c.start);
            QTest::mouseClick(W.FormelDialog->FitButton, Qt::LeftButton);
        });
        W.Formel1->trigger();
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(Boxes[0].Text.rfind(c.expected, 0), 0u) << Boxes[0].Text;
    }
    ASSERT_TRUE(SetLanguage(kLanguageGerman));
}
