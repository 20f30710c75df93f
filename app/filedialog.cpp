#include "app/filedialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QStringList>

namespace {

TFileDialogHook& Hook()
{
    static TFileDialogHook hook;
    return hook;
}

}  // namespace

TFileDialogHook SetFileDialogHook(TFileDialogHook hook)
{
    TFileDialogHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

bool RunFileDialog(QWidget* parent, TFileDialogRequest& request)
{
    request.FileName.clear();
    if (Hook()) {
        Hook()(request);
        return !request.FileName.empty();
    }
    QFileDialog dialog(parent, QString::fromStdString(request.Title));
    // Qt's own dialog, so the load dialog can carry its check box on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.Kind == fdkSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Kind == fdkSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const std::string& f : request.Filters) filters << QString::fromStdString(f);
    dialog.setNameFilters(filters);
    QCheckBox* skip = nullptr;
    if (request.OfferSkipMissing) {
        skip = new QCheckBox(QCoreApplication::translate("TableFiles", "Zeilen mit fehlenden Werten (leer oder NA) überspringen"), &dialog);
        skip->setChecked(request.SkipMissing);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(skip, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    request.FileName = dialog.selectedFiles().first().toStdString();
    request.Filter = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    request.SkipMissing = skip && skip->isChecked();
    return true;
}
