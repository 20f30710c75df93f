// The English interface beside the German one: the menu switch, the command line, the settings
// that keep the choice, and the messages that reach the user.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QRegularExpression>
#include <QSettings>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <cerrno>
#include <stdexcept>

#include "app/errorbox.h"
#include "app/formhilfe.h"
#include "app/frmmain.h"
#include "app/spinedit.h"
#include "app/helpwindow.h"
#include "app/language.h"
#include "app/resultclipboard.h"
#include "app/speedbutton.h"
#include "app/valuegrid.h"
#include "common/errors.h"
#include "curvefit/fitresult.h"
#include "curvefit/models.h"
#include "numlab/numlab.h"
#include "platform/msgbox.h"

namespace {

// Settings of a test organisation in a folder of the test's own: the user's are never read or
// written. German again at the end.
class Languages : public ::testing::Test {
protected:
    Languages()
        : m_org(QCoreApplication::organizationName()), m_app(QCoreApplication::applicationName()),
          m_hook([this](const TMessageBoxRequest& r) { Boxes.push_back(r.Text); })
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        QCoreApplication::setOrganizationName("KalmiraTests");
        QCoreApplication::setApplicationName("language_test");
        W.show();
        QApplication::processEvents();
    }
    ~Languages() override
    {
        SetLanguage(kLanguageGerman);
        QCoreApplication::setOrganizationName(m_org);
        QCoreApplication::setApplicationName(m_app);
    }

    // Every text the window shows: title, menus, captions, tooltips, the quality label's text
    // and the table's header.
    std::vector<QString> VisibleTexts()
    {
        std::vector<QString> out = {W.windowTitle(), QString::fromStdString(W.NLabFitQual->LeftText())};
        for (QAction* a : W.menuBar()->actions()) {
            out.push_back(a->text());
            if (!a->menu()) continue;
            for (QAction* b : a->menu()->actions()) {
                // The two languages are named each in its own, in both.
                if (b->isSeparator()) continue;
                out.push_back(b->text());
                if (b->menu()) {
                    for (QAction* c : b->menu()->actions())
                        if (c != W.Deutsch1 && c != W.English1) out.push_back(c->text());
                }
            }
        }
        for (QWidget* c : W.findChildren<QWidget*>()) {
            if (!c->isVisible()) continue;
            if (auto* l = qobject_cast<QLabel*>(c)) out.push_back(l->text());
            if (auto* b = qobject_cast<QAbstractButton*>(c)) out.push_back(b->text());
            if (!c->toolTip().isEmpty()) out.push_back(c->toolTip());
        }
        const TValueGridModel& m = W.WerteTabelleGrid->Model();
        for (int col = 0; col < 2; ++col) out.push_back(m.headerData(col, Qt::Horizontal, Qt::DisplayRole).toString());
        std::erase_if(out, [](const QString& s) { return s.trimmed().isEmpty(); });
        return out;
    }
    static bool LooksGerman(const QString& text)
    {
        static const QRegularExpression german(
            "[äöüÄÖÜß„]|Datei|Ergebnis|Werte|Tabelle|speichern|laden|Ende|Hilfe|Eingabe|Grafik|Anpassung|manuell|"
            "Univariante|Sprache|Zeile|Fehler|leer");
        return german.match(text).hasMatch();
    }

    std::vector<std::string> Boxes;
    TFrmMain W;

private:
    QTemporaryDir m_settings;
    QString m_org, m_app;
    TMessageBoxHookScope m_hook;
};

}  // namespace

TEST_F(Languages, TheMenuSwitchesEveryTextToEnglishAndBack)
{
    EXPECT_EQ(CurrentLanguage(), kLanguageGerman);
    EXPECT_TRUE(W.Deutsch1->isChecked());
    const std::vector<QString> german = VisibleTexts();
    int germanTexts = 0;
    for (const QString& t : german) germanTexts += LooksGerman(t);
    EXPECT_GE(germanTexts, 10) << "the German window is the one this test reads";

    W.English1->trigger();
    EXPECT_EQ(CurrentLanguage(), kLanguageEnglish);
    EXPECT_TRUE(W.English1->isChecked());
    const std::vector<QString> english = VisibleTexts();
    ASSERT_EQ(english.size(), german.size());
    for (const QString& t : english) EXPECT_FALSE(LooksGerman(t)) << t.toStdString();
    EXPECT_EQ(W.windowTitle(), "      Kalmira    -    Univariate Regression");
    EXPECT_EQ(W.Datei1->text(), "&File");
    EXPECT_EQ(W.WerteTabelleladen1->text(), "&Load value table");
    EXPECT_EQ(W.NLabFitQual->LeftText(), "Goodness of fit:  ");
    EXPECT_EQ(W.WerteUebernehmenBtn->text(), "Take &values");
    EXPECT_EQ(W.AchsenAnpassen1->text(), "Fit &axes to the data");
    // The choice is kept for the next start.
    EXPECT_EQ(QSettings().value("language").toString(), "en");
    EXPECT_EQ(StoredLanguage(), kLanguageEnglish);

    W.Deutsch1->trigger();
    EXPECT_EQ(VisibleTexts(), german);
    EXPECT_EQ(StoredLanguage(), kLanguageGerman);
    EXPECT_TRUE(Boxes.empty());
}

// The help window (open while the language changes) and the about box follow the language.
TEST_F(Languages, HelpAndAboutBoxFollowTheLanguage)
{
    W.Hilfe1Click();
    ASSERT_NE(W.HelpWindow, nullptr);
    const QString germanHelp = W.HelpWindow->Text->toPlainText();
    const QString germanAbout = W.FormHilfe->Label3->text();
    ASSERT_TRUE(LooksGerman(germanHelp));
    ASSERT_TRUE(LooksGerman(W.FormHilfe->Label1->text() + germanAbout));

    const QString germanTitle = W.HelpWindow->windowTitle(), germanHeading = W.FormHilfe->Label1->text(),
                  germanClose = W.FormHilfe->Button1->text();
    W.English1->trigger();
    QApplication::processEvents();   // the toolkit posts the language change to every window
    const QString help = W.HelpWindow->Text->toPlainText();
    EXPECT_FALSE(LooksGerman(help)) << help.toStdString();
    static const QRegularExpression helpWords("Punkt|Modell|Beenden|Knopf|Glättung|Ordnung|Schieberegler");
    EXPECT_FALSE(helpWords.match(help).hasMatch()) << helpWords.match(help).captured().toStdString();
    EXPECT_TRUE(help.contains("Take values")) << "the buttons by their English names";
    EXPECT_EQ(W.HelpWindow->windowTitle(), "Kalmira - Help");
    for (const QString& t : {W.FormHilfe->Label1->text(), W.FormHilfe->Label3->text(), W.FormHilfe->Button1->text()})
        EXPECT_FALSE(LooksGerman(t)) << t.toStdString();

    W.Deutsch1->trigger();
    QApplication::processEvents();
    EXPECT_EQ(W.HelpWindow->Text->toPlainText(), germanHelp);
    EXPECT_EQ(W.FormHilfe->Label3->text(), germanAbout);
    EXPECT_EQ(W.HelpWindow->windowTitle(), germanTitle);
    EXPECT_EQ(W.FormHilfe->Label1->text(), germanHeading);
    EXPECT_EQ(W.FormHilfe->Button1->text(), germanClose);
    W.HelpWindow->close();
}

TEST_F(Languages, EnglishChosenBeforeTheWindowIsMadeShowsAtOnce)
{
    ASSERT_TRUE(SetLanguage(kLanguageEnglish));
    TFrmMain w;
    EXPECT_EQ(w.SBNewPnts->text(), "&Test input");
    EXPECT_TRUE(w.English1->isChecked());
    EXPECT_FALSE(SetLanguage("fr")) << "no such language";
    EXPECT_EQ(CurrentLanguage(), kLanguageEnglish);
}

TEST(LanguageArgument, IsTakenOutOfTheArguments)
{
    struct Case { QStringList args; QString language; QStringList rest; };
    const Case cases[] = {
        {{"--lang", "en", "data.csv"}, "en", {"data.csv"}},
        {{"data.csv", "--lang=en"}, "en", {"data.csv"}},
        {{"data.csv"}, "", {"data.csv"}},
        {{"--lang"}, "", {"--lang"}},
    };
    for (Case c : cases) {
        EXPECT_EQ(TakeLanguageArgument(c.args), c.language) << c.rest.join(' ').toStdString();
        EXPECT_EQ(c.args, c.rest);
    }
}

// Messages of the engine, the platform and the table files, in the error box and the window's
// own boxes: English when English is shown, German (as worded) otherwise.
TEST_F(Languages, MessagesReachTheUserInTheWindowsLanguage)
{
    struct Case { std::function<void()> act; const char* german; const char* english; };
    const Case cases[] = {
        {[&] { RunHandler([] { throw EOverflow(); }); }, "Gleitkommaüberlauf.", "Floating point overflow."},
        {[&] { RunHandler([] { throw EConvertError("abc"); }); }, "'abc' ist kein gültiger Gleitkommawert.",
         "'abc' is not a valid floating point value."},
        {[&] { RunHandler([] { throw EInOutError(EIO); }); }, "E/A-Fehler 5.", "I/O error 5."},
        {[&] { RunHandler([] { throw EQZLMath2Error(ecNoStartGauss, {"gauss"}); }); },
         "gauss: keine Startwerte: nötig ist ein Gipfel über Punkten mit verschiedenem x.",
         "gauss: no starting values: needs a peak over points of different x."},
        {[&] { RunHandler([] { throw 42; }); }, "Unbekannter Fehler.", "Unknown error."},
        {[&] { W.SBarSmoothSpline->setValue(W.SBarSmoothSpline->value() == 500 ? 600 : 500); },
         "CalcLinFit: not enough data points.", "CalcLinFit: not enough data points."},
        {[&] { W.WerteUebernehmenBtnClick(); }, "Tabelle ist leer", "The table is empty"},
        {[&] { W.ErgebnisAnClipboard->trigger(); }, "Noch kein Ergebnis: erst Punkte eingeben und eine Kurve anpassen",
         "No result yet: enter points and fit a curve first"},
        {[&] { RunHandler([&] { W.LoadTableFile("/nonexistent/kalmira/none.csv"); }); },
         "Die Datei „none.csv“ lässt sich nicht öffnen: Datei nicht gefunden.",
         "The file “none.csv” cannot be opened: File not found."},
        {[&] {
             W.Stats1().ClearData();
             W.Stats1().AddPoint(2, 1);
             W.Stats1().AddPoint(2, 3);
             W.SEPolyOrder->SetValue(1);
             W.BButPolynomialClick();
             W.Stats1().ClearData();
         },
         "k1 ist durch die Daten nicht bestimmt (nur 1 verschiedener x-Wert); gezeigt wird die Lösung mit der "
         "kleinsten Norm",
         "k1 is not determined by the data (only 1 distinct x value); the solution of the smallest norm is shown"},
    };
    for (const char* language : {kLanguageGerman, kLanguageEnglish, kLanguageGerman}) {
        ASSERT_TRUE(SetLanguage(language));
        for (const Case& c : cases) {
            Boxes.clear();
            c.act();
            ASSERT_EQ(Boxes.size(), 1u) << c.english;
            EXPECT_EQ(Boxes[0], CurrentLanguage() == kLanguageEnglish ? c.english : c.german);
        }
    }
}

// "Ergebnis an Clipboard" in the English window: the names of the rows, the model and the
// statistics are English, the numbers as ever.
TEST_F(Languages, TheClipboardTableFollowsTheLanguage)
{
    TCurveFit engine;
    for (const auto& [x, y] : {std::pair{1.0, 2.0}, {2.0, 4.5}, {3.0, 6.0}, {4.0, 8.25}}) engine.AddPoint(x, y);
    TFitResult fit;
    ASSERT_TRUE(CalcModelFit(engine, {mkLine}, fit));
    AddStatistics(engine, fit);
    SetLanguage(kLanguageEnglish);
    const QStringList rows = QString::fromStdString(ResultClipboardText(fit, 4, '.')).split("\r\n");
    ASSERT_GE(rows.size(), 10);
    EXPECT_EQ(rows[0], "Model\tStraight line");
    EXPECT_TRUE(rows[1].startsWith("Formula\t")) << rows[1].toStdString();
    EXPECT_TRUE(rows[4].startsWith("Goodness of fit\t")) << rows[4].toStdString();
    EXPECT_EQ(rows[5], "Points\t4");
    EXPECT_EQ(rows[7], "Parameter\tValue\tStd. error\t95 % interval from\tto\tt\tp");
    EXPECT_TRUE(rows.filter(QRegularExpression("^Degrees of freedom\t2$")).size() == 1) << rows.join('|').toStdString();
    for (const QString& row : rows) EXPECT_FALSE(LooksGerman(row)) << row.toStdString();
}
