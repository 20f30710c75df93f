#include "app/resultclipboard.h"

#include <charconv>

#include "app/fitreport.h"

namespace {

std::string Number(double v, char decimalSeparator)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == '.') c = decimalSeparator;
    return s;
}

std::string ModelName(const TModel& model)
{
    switch (model.Kind) {
        case mkLine: return "Gerade";
        case mkParabola: return "Parabel";
        case mkReciprocal: return "Reziproke Gerade";
        case mkLog: return "Logarithmisch";
        case mkReciprocalLog: return "Reziprok-logarithmisch";
        case mkExp: return "Exponentiell";
        case mkPoly: return "Polynom " + std::to_string(model.Order) + ". Ordnung";
        case mkSpline: return "Glättungsspline";
        case mkNonlinear: return model.Builtin.empty() ? "Formel" : model.Builtin;
    }
    return {};
}

}  // namespace

std::string ResultClipboardText(const TFitResult& fit, int points, char decimalSeparator)
{
    const TModel& model = fit.Model;
    const std::vector<TParameterRow> parameters = ParameterRows(fit);
    std::string t = "Modell\t" + ModelName(model) + "\r\n";
    if (model.Kind == mkSpline) {
        // The factor fitted: the model's own, or the one chosen for the user.
        t += "Glättungsfaktor\t" + Number(fit.Coefficients.front(), decimalSeparator) + "\r\n";
    } else {
        t += "Formel\t" + FormulaCaption(model) + "\r\n";
        for (const TParameterRow& row : parameters) t += row.Name + "\t" + Number(row.Value, decimalSeparator) + "\r\n";
    }
    t += "Anpassungsgrad\t" + Number(fit.Quality, decimalSeparator) + "\r\n";
    t += "Punkte\t" + std::to_string(points) + "\r\n";
    // The statistics follow as blocks of their own, each after an empty row.
    if (fit.HasErrors) {
        t += "\r\nParameter\tWert\tStandardfehler\t95 %-Intervall von\tbis\tt\tp\r\n";
        for (const TParameterRow& row : parameters) {
            t += row.Name + "\t" + Number(row.Value, decimalSeparator) + "\t" +
                 Number(row.StdError, decimalSeparator) + "\t" + Number(row.Low, decimalSeparator) + "\t" +
                 Number(row.High, decimalSeparator) + "\t";
            if (row.HasT) t += Number(row.T, decimalSeparator) + "\t" + Number(row.P, decimalSeparator);
            else t += "\t";
            t += "\r\n";
        }
    }
    const std::vector<TStatisticRow> statistics = StatisticRows(fit);
    if (!statistics.empty()) t += "\r\n";
    for (const TStatisticRow& row : statistics)
        t += std::string(row.Name) + "\t" +
             (row.Count ? std::to_string(static_cast<long long>(row.Value)) : Number(row.Value, decimalSeparator)) +
             "\r\n";
    return t;
}
