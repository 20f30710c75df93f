#include "app/spinedit.h"

#include <QLineEdit>
#include <limits>

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    lineEdit()->setText("0");
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(*this);
    });
}

QString TSpinEdit::Text() const { return lineEdit()->text(); }

int TSpinEdit::Value() const
{
    bool ok = false;
    const int v = lineEdit()->text().trimmed().toInt(&ok);
    return ok ? v : m_minValue;
}

int TSpinEdit::CheckValue(int value) const
{
    if (m_minValue == 0 && m_maxValue == 0) return value;
    if (value > m_maxValue) value = m_maxValue;
    if (value < m_minValue) value = m_minValue;
    return value;
}

void TSpinEdit::SetValue(int value)
{
    const QString text = QString::number(CheckValue(value));
    if (lineEdit()->text() != text) lineEdit()->setText(text);
}

void TSpinEdit::stepBy(int steps)
{
    const long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * m_increment;
    const long long lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    SetValue(static_cast<int>(next < lo ? lo : next > hi ? hi : next));
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

QValidator::State TSpinEdit::validate(QString&, int&) const
{
    // Any text may stand while typing; a text that is not a number reads as the minimum.
    return QValidator::Acceptable;
}

void TSpinEdit::fixup(QString&) const {}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    SetValue(Value());
}
