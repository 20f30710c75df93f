#pragma once
// TSpinEdit: an integer edit with up and down arrows. Unlike a stock spin box it keeps whatever
// text the user types (the value is read from the text when asked for) and it may hold a
// maximum below its minimum, in which case the minimum wins.
#include <QAbstractSpinBox>
#include <functional>

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // properties
    // The text read as an integer; MinValue when the text is not an integer.
    int Value() const;
    // Clamps (when MinValue or MaxValue is non-zero) and writes the text; OnChange fires when the
    // text changed.
    void SetValue(int value);
    int MinValue() const { return m_minValue; }
    void SetMinValue(int value) { m_minValue = value; }
    int MaxValue() const { return m_maxValue; }
    void SetMaxValue(int value) { m_maxValue = value; }
    QString Text() const;
    int Increment() const { return m_increment; }
    void SetIncrement(int value) { m_increment = value; }

    // The value clamped by the edit's rule: above MaxValue gives MaxValue, then below MinValue
    // gives MinValue; no clamp when both limits are 0.
    int CheckValue(int value) const;

    // events
    std::function<void(TSpinEdit& Sender)> OnChange;  // every change of the text

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_minValue = 0;
    int m_maxValue = 0;
    int m_increment = 1;
};
