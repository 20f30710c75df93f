#pragma once
// File dialogs for loading and saving. Every dialog goes through a replaceable hook, so tests
// answer it instead of blocking on it.
#include <functional>
#include <string>
#include <vector>

class QWidget;

enum TFileDialogKind { fdkOpen, fdkSave };

struct TFileDialogRequest {
    TFileDialogKind Kind = fdkOpen;
    std::string Title;
    std::vector<std::string> Filters;  // "CSV-Tabelle (*.csv)", ...; the first is preselected
    bool OfferSkipMissing = false;     // the open dialog shows the "skip rows with gaps" box
    // the answer
    std::string FileName;              // UTF-8 path; empty when the dialog was cancelled
    int Filter = 0;                    // index of the chosen filter
    bool SkipMissing = false;
};

using TFileDialogHook = std::function<void(TFileDialogRequest& request)>;

// Shows the dialog (through the hook when one is installed); false when it was cancelled.
bool RunFileDialog(QWidget* parent, TFileDialogRequest& request);

// Installs `hook` in place of the toolkit's dialog; an empty hook restores the dialog. Returns
// the hook that was installed before.
TFileDialogHook SetFileDialogHook(TFileDialogHook hook);
