#pragma once
// TFormulaDialog: the user's own model. A formula ("y = b1*(1-exp(-b2*x))") and optional
// starting values ("b1 = 500; b2 = 1e-4"); every keystroke parses both, a fault shows at once
// with its position and what was expected there, and "Anpassen" is enabled only for a model that
// can be fitted.
#include <QDialog>
#include <QString>

#include "curvefit/modelkind.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormulaDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFormulaDialog(QWidget* parent = nullptr);

    QLineEdit* FormulaEdit;
    QLineEdit* StartEdit;
    QLabel* StatusLabel;   // the parameters of a formula that parses, or the fault
    QPushButton* FitButton;

    // The model the texts describe; only meaningful while FitButton is enabled.
    const TModel& Model() const { return m_model; }
    // Parses both texts again and shows the outcome.
    void Check();
    void RetranslateUi();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Reads "name = value" entries separated by ';' into the model's starts; a decimal comma is
    // taken as a point. False with the fault's text.
    bool ReadStart(const std::vector<std::string>& names, QString& fault);

    QLabel* m_formulaLabel;
    QLabel* m_startLabel;
    QDialogButtonBox* m_buttons;
    TModel m_model;
};
