#include "app/formhilfe.h"

#include <algorithm>

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/uifont.h"

TFormHilfe::TFormHilfe(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("FormHilfe");
    setModal(true);
    setFont(UiFont("MS Sans Serif", 13));
    setFixedSize(325, 374);
    move(1196, 301);

    Label1 = new QLabel(this);
    Label1->setGeometry(40, 16, 249, 57);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setFont(UiFont("Arial", 20, true));

    Label3 = new QLabel(this);
    Label3->setGeometry(56, 88, 217, 209);
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setWordWrap(true);

    Button1 = new QPushButton(this);
    Button1->setGeometry(128, 312, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    Retranslate();
}

void TFormHilfe::Retranslate()
{
    Label1->setText(tr("Kalmira\nUnivariante Regression"));
    Label3->setText(tr("Version 0.5\n\n"
                       "Modelle:\n"
                       "Gerade, Parabel, reziproke Gerade,\n"
                       "Logarithmus, reziproker Logarithmus,\n"
                       "Exponentialfunktion, Polynom bis zur\n"
                       "9. Ordnung und Glättungsspline.\n\n"
                       "Punkte per Mausklick (Test-Eingabe)\n"
                       "oder über die Wertetabelle eingeben.\n\n"
                       "Beim Beenden werden die Punkte\n"
                       "in die Datei cfit.asc geschrieben."));
    Button1->setText(tr("Close"));
}

void TFormHilfe::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) Retranslate();
}

void TFormHilfe::Button1Click()
{
    close();
}

void TFormHilfe::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The box's place is meant for a wide screen; on a smaller one it moves inside, so nothing
    // of it is cut off.
    if (const QScreen* screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        const QSize outer = frameGeometry().size();
        const int x = std::clamp(frameGeometry().x(), avail.left(), std::max(avail.left(), avail.right() + 1 - outer.width()));
        const int y = std::clamp(frameGeometry().y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - outer.height()));
        if (x != frameGeometry().x() || y != frameGeometry().y()) move(x, y);
    }
}
