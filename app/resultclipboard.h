#pragma once
// The result of a fit as a small tab-separated table for the clipboard: it pastes into a
// spreadsheet as rows of a name and a value.
#include <string>

#include "curvefit/models.h"

// Rows "Modell", "Formel" (not for the spline), one row per parameter with its name as the
// window shows it, "Anpassungsgrad" and "Punkte"; numbers with every digit that reads back as
// the same double, with the given decimal separator. Where the fit holds its statistics, two
// blocks follow, each after an empty row: the parameters as a table under a header row
// ("Parameter", "Wert", "Standardfehler", "95 %-Intervall von", "bis", "t", "p"; t and p empty
// where the standard error is 0) and the statistics as rows of a name and a value
// ("Freiheitsgrade", "Residuenquadratsumme", ...). Lines end in CR LF. The names follow the
// window's language: these are the German ones.
std::string ResultClipboardText(const TFitResult& fit, int points, char decimalSeparator);
