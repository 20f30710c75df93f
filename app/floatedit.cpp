#include "app/floatedit.h"

#include <cstdio>

#include "common/numtext.h"
#include "platform/localefmt.h"

TFloatEdit::TFloatEdit(QWidget* parent) : QLineEdit(parent) {}

double TFloatEdit::Value() const
{
    const std::string t = text().trimmed().toStdString();
    if (t.empty() || t == "-") return 0.0;
    return StrToFloat(t);
}

void TFloatEdit::SetValue(double value)
{
    std::string t = NumberToText(value, 1, m_decimals);
    // Written with the locale's separator, so what we write reads back.
    setText(QString::fromStdString(ReplaceCharacter(t, '.', FormatSettings().DecimalSeparator)));
}
