#pragma once
// The result of a fit as a small tab-separated table for the clipboard: it pastes into a
// spreadsheet as rows of a name and a value.
#include <string>

#include "curvefit/models.h"

// Rows "Modell", "Formel" (not for the spline), one row per parameter with its name as the
// window shows it, "Anpassungsgrad" and "Punkte"; numbers with every digit that reads back as
// the same double, with the given decimal separator. Lines end in CR LF.
std::string ResultClipboardText(const TFitResult& fit, int points, char decimalSeparator);
