#pragma once
// TFloatEdit: a one-line edit for a floating-point number, read with the locale's decimal
// separator.
#include <QLineEdit>
#include <string>

class TFloatEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TFloatEdit(QWidget* parent = nullptr);

    // properties
    // The number in the text: an empty text or a lone "-" gives 0; any other text that is not a
    // number raises EConvertError with the text.
    double Value() const;
    void SetValue(double value);                 // writes the value with Decimals decimals
    int Decimals() const { return m_decimals; }
    void SetDecimals(int value) { m_decimals = value < 0 ? 0 : value; }

private:
    int m_decimals = 2;
};
