#include "platform/msgbox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

TMessageBoxHook& Hook()
{
    static TMessageBoxHook hook;
    return hook;
}

QMessageBox::Icon QtIcon(TMsgBoxIcon icon)
{
    switch (icon) {
    case mbiInformation: return QMessageBox::Information;
    case mbiWarning: return QMessageBox::Warning;
    case mbiError: return QMessageBox::Critical;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook)
{
    TMessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

void ShowMessageBox(const std::string& text, const std::string& caption, TMsgBoxIcon icon, bool topMost)
{
    if (Hook()) {
        Hook()(TMessageBoxRequest{text, caption, icon, topMost});
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;  // no windows to show it in
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    if (topMost) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}
