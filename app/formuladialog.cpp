#include "app/formuladialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <algorithm>

#include "app/errortext.h"
#include "curvefit/formula.h"

TFormulaDialog::TFormulaDialog(QWidget* parent) : QDialog(parent)
{
    m_model.Kind = mkNonlinear;
    FormulaEdit = new QLineEdit(this);
    StartEdit = new QLineEdit(this);
    StatusLabel = new QLabel(this);
    StatusLabel->setWordWrap(true);
    m_formulaLabel = new QLabel(this);
    m_startLabel = new QLabel(this);
    m_formulaLabel->setBuddy(FormulaEdit);
    m_startLabel->setBuddy(StartEdit);
    m_buttons = new QDialogButtonBox(this);
    FitButton = m_buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    m_buttons->addButton(QDialogButtonBox::Cancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_formulaLabel, 0, 0);
    grid->addWidget(FormulaEdit, 0, 1);
    grid->addWidget(m_startLabel, 1, 0);
    grid->addWidget(StartEdit, 1, 1);
    grid->addWidget(StatusLabel, 2, 0, 1, 2);
    grid->addWidget(m_buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    FormulaEdit->setMinimumWidth(FormulaEdit->fontMetrics().horizontalAdvance(QString(40, 'x')));

    connect(FormulaEdit, &QLineEdit::textChanged, this, &TFormulaDialog::Check);
    connect(StartEdit, &QLineEdit::textChanged, this, &TFormulaDialog::Check);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    FormulaEdit->setText("y = b1*(1-exp(-b2*x))");
    RetranslateUi();
}

void TFormulaDialog::RetranslateUi()
{
    setWindowTitle(tr("Formel"));
    m_formulaLabel->setText(tr("&Formel:"));
    m_startLabel->setText(tr("&Startwerte:"));
    StartEdit->setPlaceholderText(tr("zum Beispiel b1 = 500; b2 = 1e-4 (sonst 1)"));
    FitButton->setText(tr("&Anpassen"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(tr("Abbrechen"));
    Check();
}

void TFormulaDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) RetranslateUi();
    QDialog::changeEvent(event);
}

void TFormulaDialog::Check()
{
    QString status;
    bool ok = false;
    try {
        const TFormula formula(FormulaEdit->text().toStdString());
        QString fault;
        if (formula.ParameterCount() == 0) {
            status = tr("Die Formel hat keinen Parameter.");
        } else if (!ReadStart(formula.Parameters(), fault)) {
            status = fault;
        } else {
            QStringList names;
            for (const std::string& n : formula.Parameters()) names << QString::fromStdString(n);
            status = tr("Parameter: %1").arg(names.join(", "));
            m_model.Formula = formula.Text();
            ok = true;
        }
    } catch (const EFormulaError& e) {
        // Positions count characters of the UTF-8 text; a formula is ASCII where it parses.
        status = ErrorTextOf(e);
    }
    StatusLabel->setText(status);
    FitButton->setEnabled(ok);
}

bool TFormulaDialog::ReadStart(const std::vector<std::string>& names, QString& fault)
{
    m_model.Start.clear();
    const QStringList entries = StartEdit->text().split(';', Qt::SkipEmptyParts);
    for (const QString& entry : entries) {
        if (entry.trimmed().isEmpty()) continue;
        const qsizetype equals = entry.indexOf('=');
        const QString name = entry.left(equals).trimmed();
        bool number = false;
        const double value = QLocale::c().toDouble(entry.mid(equals + 1).trimmed().replace(',', '.'), &number);
        if (equals < 0 || name.isEmpty() || !number || !std::isfinite(value)) {
            fault = tr("Startwert '%1': erwartet wird Name = Zahl").arg(entry.trimmed());
            return false;
        }
        if (std::find(names.begin(), names.end(), name.toStdString()) == names.end()) {
            fault = tr("Die Formel hat keinen Parameter '%1'.").arg(name);
            return false;
        }
        m_model.Start.emplace_back(name.toStdString(), value);
    }
    return true;
}
