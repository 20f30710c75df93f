// The window's texts and keys: the captions in the current language with their mnemonics, the
// shortcuts, the labels' buddies and the Tab order.
#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <array>

#include "app/floatedit.h"
#include "app/frmmain.h"
#include "app/speedbutton.h"
#include "app/spinedit.h"
#include "app/valuegrid.h"
#include "numlab/numlab.h"

void TFrmMain::SetUpKeyboard()
{
    WerteTabelleladen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    WerteTabellespeichern1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // Ctrl+C copies the value table's cells; the result has a shortcut of its own.
    ErgebnisAnClipboard->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
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
    const std::array<QWidget*, 18> order = {
        SBNewPnts,  SBClear,         BButLinFit,    BButLogFit,       BButParabolFit,   BButCalcReciprLine,
        SBRecipLog, SBExpo,          BButPolynomial, SEPolyOrder,     BButSpline,       SBarSmoothSpline,
        GraphXmaxEdit, GraphYmaxEdit, ResetAxisButton, WerteTabelleGrid, BitBtn2,        WerteUebernehmenBtn};
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TFrmMain::RetranslateUi()
{
    setWindowTitle(tr(kCaption));
    Datei1->setText(tr("&Datei"));
    ErgebnisAnClipboard->setText(tr("&Ergebnis an Clipboard"));
    WerteTabellespeichern1->setText(tr("Werte-Tabelle &speichern"));
    WerteTabelleladen1->setText(tr("Werte-Tabelle &laden"));
    Ende1->setText(tr("E&nde"));
    Hilfe1->setText(tr("&Hilfe"));
    Info1->setText(tr("&Info"));
    SBNewPnts->setText(tr("&Test-Eingabe"));
    SBClear->setText(tr("&Grafik Clear"));
    NLabFitQual->SetLeftText(tr("Anpassungsgrad:  ").toStdString());
    Label2->setText(tr("Wertetabelle (man&uelle Eingabe)"));
    WerteUebernehmenBtn->setText(tr("&Werte übernehmen"));
}

void TFrmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) RetranslateUi();
    QMainWindow::changeEvent(event);
}
