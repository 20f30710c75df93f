// The window's texts and keys: the captions in the current language with their mnemonics, the
// shortcuts, the labels' buddies and the Tab order.
#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/errorbox.h"
#include "app/floatedit.h"
#include "app/frmmain.h"
#include "app/language.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/uifont.h"
#include "app/valuegrid.h"
#include "numlab/numlab.h"

// "Sprache" in the file menu, above "Ende": the two languages, each named in its own.
void TFrmMain::CreateLanguageMenu()
{
    Sprache1 = new QMenu(this);
    Datei1->menu()->insertMenu(Ende1, Sprache1);
    auto* group = new QActionGroup(this);
    Deutsch1 = Sprache1->addAction("&Deutsch");
    English1 = Sprache1->addAction("&English");
    for (QAction* a : {Deutsch1, English1}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    connect(Deutsch1, &QAction::triggered, this, [this] { RunHandler([this] { SpracheClick(kLanguageGerman); }); });
    connect(English1, &QAction::triggered, this, [this] { RunHandler([this] { SpracheClick(kLanguageEnglish); }); });
}

void TFrmMain::SpracheClick(const QString& language)
{
    SetLanguage(language);
    StoreLanguage(CurrentLanguage());
    // The change event that Qt posts to every window comes later; this one shows it now.
    RetranslateUi();
}

void TFrmMain::SetUpKeyboard()
{
    WerteTabelleladen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    WerteTabellespeichern1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // Ctrl+C copies the value table's cells; the result has a shortcut of its own.
    ErgebnisAnClipboard->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    Grafikspeichern1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Ctrl+0 beside the fit commands' Ctrl+1 to Ctrl+8: the view that shows all the data.
    AchsenAnpassen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    Hilfe1->setShortcut(QKeySequence(Qt::Key_F1));
    Ende1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // The fit commands in the order of their buttons: Ctrl+1 to Ctrl+8 besides their mnemonics.
    const std::array<TSpeedButton*, 8> fits = {BButLinFit,  BButLogFit, BButParabolFit, BButCalcReciprLine,
                                               SBRecipLog,  SBExpo,     BButPolynomial, BButSpline};
    for (std::size_t i = 0; i < fits.size(); ++i) {
        auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + int(i))), this);
        TSpeedButton* b = fits[i];
        connect(key, &QShortcut::activated, b, [b] { b->click(); });
    }
    // Every letter of "Auto" is another button's mnemonic: it takes the next of the fit keys.
    BtnSplineAuto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_9));

    // The captions that read the same in every language. Each button has a mnemonic of its own
    // that no menu title of either language takes.
    BButLinFit->setText("&Lin");
    BButLogFit->setText("L&og");
    BButParabolFit->setText("&Parabolic");
    BButCalcReciprLine->setText("&Reciproc");
    SBRecipLog->setText("Re&cip.Log.");
    SBExpo->setText("&Expon.");
    BButPolynomial->setText("Poly&nom");
    BButSpline->setText("&Spline");
    LblSmoothSpline->setText("S&moot\nFactor");
    GraphXmaxLabel->setText("Graph &Xmax");
    GraphYmaxLabel->setText("Graph &Ymax");
    ResetAxisButton->setText("Reset\n&Axis");
    BitBtn2->setText("Clear Ta&ble");
    LblSmoothSpline->setBuddy(SBarSmoothSpline);
    GraphXmaxLabel->setBuddy(GraphXmaxEdit);
    GraphYmaxLabel->setBuddy(GraphYmaxEdit);
    Label2->setBuddy(WerteTabelleGrid);
    LblPolyOrder->setBuddy(SEPolyOrder);

    // Speed buttons take the focus by Tab only, so a click on one leaves the focus where it was
    // (the order edit keeps what is typed into it); Space presses the focused one.
    for (TSpeedButton* b : {SBNewPnts, SBClear}) b->setFocusPolicy(Qt::TabFocus);
    for (TSpeedButton* b : fits) b->setFocusPolicy(Qt::TabFocus);
    // Tab goes through the controls as they are laid out: toolbar, fit commands row by row with
    // their options, axis edits, table and its buttons.
    const std::array<QWidget*, 19> order = {
        SBNewPnts,  SBClear,         BButLinFit,    BButLogFit,       BButParabolFit,   BButCalcReciprLine,
        SBRecipLog, SBExpo,          BButPolynomial, SEPolyOrder,     BButSpline,       SBarSmoothSpline,
        BtnSplineAuto, GraphXmaxEdit, GraphYmaxEdit, ResetAxisButton, WerteTabelleGrid, BitBtn2,        WerteUebernehmenBtn};
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TFrmMain::RetranslateUi()
{
    setWindowTitle(tr(kCaption));
    Datei1->setText(tr("&Datei"));
    ErgebnisAnClipboard->setText(tr("&Ergebnis an Clipboard"));
    WerteTabellespeichern1->setText(tr("Werte-Tabelle &speichern"));
    WerteTabelleladen1->setText(tr("Werte-Tabelle &laden"));
    Grafikspeichern1->setText(tr("&Grafik speichern"));
    AchsenAnpassen1->setText(tr("&Achsen an Daten anpassen"));
    Ende1->setText(tr("E&nde"));
    Hilfe1->setText(tr("&Hilfe"));
    Info1->setText(tr("&Info"));
    SBNewPnts->setText(tr("&Test-Eingabe"));
    SBClear->setText(tr("&Grafik Clear"));
    NLabFitQual->SetLeftText(tr("Anpassungsgrad:  ").toStdString());
    Label2->setText(tr("Wertetabelle (man&uelle Eingabe)"));
    WerteUebernehmenBtn->setText(tr("&Werte übernehmen"));
    // The entry keeps the other language's word beside its own, for a user who reads only that.
    Sprache1->setTitle(tr("Sp&rache (Language)"));
    RetranslateCurveMenu();
    Deutsch1->setChecked(CurrentLanguage() == kLanguageGerman);
    English1->setChecked(CurrentLanguage() == kLanguageEnglish);
    RetranslateStatisticsMenu();
}

void TFrmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) RetranslateUi();
    QMainWindow::changeEvent(event);
}

namespace {

constexpr int kParamsPixels = 13;         // the line's own font height
constexpr int kParamsSmallestPixels = 9;  // the smallest height that still shows one line
constexpr int kParamsTwoLinePixels = 7;   // two lines of this height fit the line's 16 pixels

// The text's width in `font`, the widest of its lines.
int TextWidth(const QFont& font, const QString& text)
{
    int w = 0;
    for (const QString& line : text.split('\n')) w = std::max(w, QFontMetrics(font).horizontalAdvance(line));
    return w;
}

// The text broken at the run of blanks between two parameters that lies nearest its middle.
QString SplitInTwo(const QFont& font, const QString& text)
{
    const QFontMetrics fm(font);
    const int half = fm.horizontalAdvance(text) / 2;
    int best = -1, bestDistance = 0;
    for (int i = 1; i < text.size(); ++i) {
        if (text[i] != ' ' || text[i - 1] == ' ') continue;  // the start of a run of blanks
        const int d = std::abs(fm.horizontalAdvance(text.left(i)) - half);
        if (best < 0 || d < bestDistance) best = i, bestDistance = d;
    }
    if (best < 0) return text;
    int end = best;
    while (end < text.size() && text[end] == ' ') ++end;
    return text.left(best) + '\n' + text.mid(end);
}

}  // namespace

void TFrmMain::SetParamsText(const QString& text)
{
    // The line keeps its place and size. A text wider than the line is drawn in a smaller font,
    // and when even that is too wide, on two lines of a yet smaller one; the whole text is the
    // line's tooltip.
    const int width = LblParams->contentsRect().width();
    QFont font = UiFont("Tahoma", kParamsPixels);
    while (font.pixelSize() > kParamsSmallestPixels && TextWidth(font, text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    QString shown = text;
    if (TextWidth(font, text) > width) {
        font.setPixelSize(kParamsTwoLinePixels);
        shown = SplitInTwo(font, text.trimmed());
        while (font.pixelSize() > 1 && TextWidth(font, shown) > width) font.setPixelSize(font.pixelSize() - 1);
    }
    LblParams->setFont(font);
    LblParams->setText(shown);
    LblParams->setToolTip(text.trimmed());
}
