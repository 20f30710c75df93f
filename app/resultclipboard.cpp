#include "app/resultclipboard.h"

#include <charconv>

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
    std::string t = "Modell\t" + ModelName(model) + "\r\n";
    if (model.Kind == mkSpline) {
        t += "Glättungsfaktor\t" + Number(model.Smoothing, decimalSeparator) + "\r\n";
    } else {
        t += "Formel\t" + FormulaCaption(model) + "\r\n";
        // The polynomial's coefficients are named as the window's parameter line names them.
        const std::vector<std::string> names = ParameterNames(model);
        for (std::size_t j = 0; j < fit.Coefficients.size(); ++j) {
            const std::string name = model.Kind == mkPoly ? "k" + std::to_string(j) : j < names.size() ? names[j] : "";
            t += name + "\t" + Number(fit.Coefficients[j], decimalSeparator) + "\r\n";
        }
    }
    t += "Anpassungsgrad\t" + Number(fit.Quality, decimalSeparator) + "\r\n";
    t += "Punkte\t" + std::to_string(points) + "\r\n";
    return t;
}
