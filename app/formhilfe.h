#pragma once
// TFormHilfe: the about box, shown modally from the main window's "Info" command.
#include <QDialog>

class QLabel;
class QPushButton;

class TFormHilfe : public QDialog {
    Q_OBJECT

public:
    explicit TFormHilfe(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label3;
    QPushButton* Button1;

    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();
};
