#pragma once
// THelpWindow: the help text of the program, in German or English as the interface, in a window
// of its own that stays open beside the main window.
#include <QDialog>

class QTextBrowser;

class THelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent = nullptr);

    QTextBrowser* Text;

    static QString HelpHtml();         // the whole help text
    static QString HelpHtmlEnglish();  // the same in English

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();
};
