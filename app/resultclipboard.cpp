#include "app/resultclipboard.h"

#include <QCoreApplication>
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

// A row name or model name, marked with QT_TRANSLATE_NOOP, in the window's language.
std::string Text(const char* german)
{
    return QCoreApplication::translate("ResultClipboard", german).toStdString();
}

std::string ModelName(const TModel& model)
{
    switch (model.Kind) {
        case mkLine: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Gerade"));
        case mkParabola: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Parabel"));
        case mkReciprocal: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Reziproke Gerade"));
        case mkLog: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Logarithmisch"));
        case mkReciprocalLog: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Reziprok-logarithmisch"));
        case mkExp: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Exponentiell"));
        case mkPoly:
            return QCoreApplication::translate("ResultClipboard", "Polynom %1. Ordnung").arg(model.Order).toStdString();
        case mkSpline: return Text(QT_TRANSLATE_NOOP("ResultClipboard", "Glättungsspline"));
        case mkNonlinear: return model.Builtin.empty() ? Text(QT_TRANSLATE_NOOP("ResultClipboard", "Formel")) : model.Builtin;
    }
    return {};
}

}  // namespace

std::string ResultClipboardText(const TFitResult& fit, int points, char decimalSeparator)
{
    const TModel& model = fit.Model;
    const std::vector<TParameterRow> parameters = ParameterRows(fit);
    std::string t = Text(QT_TRANSLATE_NOOP("ResultClipboard", "Modell")) + "\t" + ModelName(model) + "\r\n";
    if (model.Kind == mkSpline) {
        // The factor fitted: the model's own, or the one chosen for the user.
        t += Text(QT_TRANSLATE_NOOP("ResultClipboard", "Glättungsfaktor")) + "\t" + Number(fit.Coefficients.front(), decimalSeparator) + "\r\n";
    } else {
        t += Text(QT_TRANSLATE_NOOP("ResultClipboard", "Formel")) + "\t" + FormulaCaption(model) + "\r\n";
        for (const TParameterRow& row : parameters) t += row.Name + "\t" + Number(row.Value, decimalSeparator) + "\r\n";
    }
    t += Text(QT_TRANSLATE_NOOP("ResultClipboard", "Anpassungsgrad")) + "\t" + Number(fit.Quality, decimalSeparator) + "\r\n";
    t += Text(QT_TRANSLATE_NOOP("ResultClipboard", "Punkte")) + "\t" + std::to_string(points) + "\r\n";
    // The statistics follow as blocks of their own, each after an empty row.
    if (fit.HasErrors) {
        t += "\r\n" + Text(QT_TRANSLATE_NOOP("ResultClipboard", "Parameter")) + "\t" + Text(QT_TRANSLATE_NOOP("ResultClipboard", "Wert")) + "\t" + Text(QT_TRANSLATE_NOOP("ResultClipboard", "Standardfehler")) + "\t" +
             Text(QT_TRANSLATE_NOOP("ResultClipboard", "95 %-Intervall von")) + "\t" + Text(QT_TRANSLATE_NOOP("ResultClipboard", "bis")) + "\tt\tp\r\n";
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
        t += QCoreApplication::translate("FitReport", row.Name).toStdString() + "\t" +
             (row.Count ? std::to_string(static_cast<long long>(row.Value)) : Number(row.Value, decimalSeparator)) +
             "\r\n";
    return t;
}
