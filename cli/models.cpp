#include "cli/models.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <new>
#include <numbers>

#include "cli/errorwords.h"
#include "common/errors.h"
#include "curvefit/builtinmodels.h"
#include "curvefit/curvefit.h"
#include "curvefit/formula.h"

namespace {

struct TNamedModel {
    const char* name;
    TModelKind kind;
};

constexpr std::array<TNamedModel, 6> kClosedForms{{
    {"line", mkLine},
    {"parabola", mkParabola},
    {"reciprocal", mkReciprocal},
    {"log", mkLog},
    {"reciprocal-log", mkReciprocalLog},
    {"exp", mkExp},
}};

bool ReadDouble(std::string_view text, double& value)
{
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value);
}

// The engine's errors in their words, ended with a full stop as the window shows them; the
// platform's, which name no operation, after the model's name.
std::string FailureText(const TModelChoice& choice, const std::exception& e)
{
    const auto* coded = dynamic_cast<const ECodedError*>(&e);
    if (coded && IsPlatformError(coded->Code)) return choice.Text + ": " + ErrorWordsOf(e);
    std::string text = ErrorWordsOf(e);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

bool AllXEqual(const TCurveFit& engine)
{
    const int n = engine.PointCount();
    for (int i = 2; i <= n; ++i)
        if (engine.PointTable().Elem(1, i) != engine.PointTable().Elem(1, 1)) return false;
    return true;
}

// Why the data leave the model open, or the empty text. With every x equal the engine hands back
// a line k = d = 0, which a script would take for a fitted line; with fewer points than
// coefficients it returns one of many polynomials through the points.
std::string Undetermined(const TCurveFit& engine, const TModelChoice& choice)
{
    const int n = engine.PointCount();
    if (choice.Kind == mkLine && n >= 2 && AllXEqual(engine))
        return choice.Text + ": all x values are equal, so no line is determined";
    if (choice.Kind == mkPoly && n < choice.Order + 1)
        return choice.Text + " needs at least " + std::to_string(choice.Order + 1) + " points; the data hold " +
               std::to_string(n);
    return {};
}

// The value at x as the window computes it, with the reason where there is none.
TValueAt ValueAt(const TFitResult& fit, double x)
{
    TValueAt v{x, false, 0.0, {}};
    try {
        v.Defined = ModelValue(fit, x, v.Y);
        if (!v.Defined) v.Note = fit.Model.Kind == mkSpline ? "outside the data" : "undefined";
    } catch (const EMathError& e) {
        v.Note = ErrorWordsOf(e);
    }
    if (!v.Defined) v.Y = 0.0;
    return v;
}

}  // namespace

bool ParseModel(std::string_view text, TModelChoice& choice, std::string& message)
{
    choice = {};
    choice.Text = std::string(text);
    for (const TNamedModel& m : kClosedForms) {
        if (text == m.name) {
            choice.Kind = m.kind;
            return true;
        }
    }
    // "spline:df=N" names a model of its own; any other text with "=" is a formula.
    if (text.find('=') != std::string_view::npos && !text.starts_with("spline:")) {
        try {
            TFormula formula(text);
        } catch (const EFormulaError& e) {
            message = "the formula '" + std::string(text) + "' does not parse: " + ErrorWordsOf(e);
            return false;
        }
        choice.Kind = mkNonlinear;
        choice.Formula = std::string(text);
        return true;
    }
    if (FindBuiltinModel(text)) {
        choice.Kind = mkNonlinear;
        choice.Builtin = std::string(text);
        return true;
    }
    if (text.starts_with("poly:")) {
        const std::string_view number = text.substr(5);
        int order = -1;
        const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), order);
        if (ec != std::errc() || ptr != number.data() + number.size() || order < 0 || order > kMaxPolyOrder) {
            message = "poly:N takes an order N from 0 to " + std::to_string(kMaxPolyOrder) + ", not '" +
                      std::string(number) + "'";
            return false;
        }
        choice.Kind = mkPoly;
        choice.Order = order;
        return true;
    }
    if (text == "spline:auto") {
        choice.Kind = mkSpline;
        choice.SplineAuto = true;
        return true;
    }
    if (text.starts_with("spline:df=")) {
        const std::string_view number = text.substr(10);
        double df = 0;
        if (!ReadDouble(number, df) || df < 2) {
            message = "spline:df=N takes degrees of freedom N from 2 (the line) to the number of distinct x, not '" +
                      std::string(number) + "'";
            return false;
        }
        choice.Kind = mkSpline;
        choice.SplineDf = df;
        return true;
    }
    if (text.starts_with("spline:")) {
        const std::string_view number = text.substr(7);
        double factor = -1;
        if (!ReadDouble(number, factor) || factor < 0 || factor > 1) {
            message = "spline:F takes a smoothing factor F from 0 to 1, not '" + std::string(number) + "'";
            return false;
        }
        choice.Kind = mkSpline;
        choice.Smoothing = factor;
        return true;
    }
    message = "unknown model '" + std::string(text) +
              "' (models: line, parabola, reciprocal, log, reciprocal-log, exp, poly:N, spline:F, spline:auto, "
              "spline:df=N, power, logistic, gauss, saturation, exp-offset, exp-y, a formula such as \"y = a*x^b\", "
              "all)";
    return false;
}

std::vector<TModelChoice> AllModels()
{
    std::vector<TModelChoice> all;
    std::string unused;
    for (const char* name : {"line", "parabola", "reciprocal", "log", "reciprocal-log", "exp", "poly:3", "spline:0.5"}) {
        all.emplace_back();
        ParseModel(name, all.back(), unused);
    }
    for (const TBuiltinModel& builtin : BuiltinModels()) {
        all.emplace_back();
        ParseModel(builtin.Name, all.back(), unused);
    }
    return all;
}

bool ParseModelList(std::string_view text, std::vector<TModelChoice>& choices, std::string& message)
{
    choices.clear();
    if (text == "all") {
        choices = AllModels();
        return true;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        TModelChoice choice;
        if (!ParseModel(text.substr(0, comma), choice, message)) return false;
        choices.push_back(choice);
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

bool ApplyStart(std::string_view text, std::vector<TModelChoice>& choices, std::string& message)
{
    std::vector<std::pair<std::string, double>> start;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const std::size_t equals = part.find('=');
        double value = 0;
        if (equals == std::string_view::npos || equals == 0 || !ReadDouble(part.substr(equals + 1), value)) {
            message = "--start takes starting values such as b1=500,b2=1e-4; not '" + std::string(part) + "'";
            return false;
        }
        const std::string name(part.substr(0, equals));
        for (const auto& given : start)
            if (given.first == name) {
                message = "--start gives " + name + " twice";
                return false;
            }
        start.emplace_back(name, value);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    bool any = false;
    for (TModelChoice& choice : choices) {
        if (choice.Kind != mkNonlinear) continue;
        any = true;
        const std::vector<std::string> names = ParameterNames(choice);
        for (const auto& given : start)
            if (std::find(names.begin(), names.end(), given.first) == names.end()) {
                std::string list;
                for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
                message = "--start: the model '" + choice.Text + "' has no parameter '" + given.first +
                          "' (its parameters: " + list + ")";
                return false;
            }
        choice.Start = start;
    }
    if (!any) {
        message = "--start applies to a formula or a built-in nonlinear model only";
        return false;
    }
    return true;
}

namespace {

// The residual sum, R^2 and AIC of the fitted curve in y itself. The number of parameters of
// the information criterion is the model's rank, the spline's its equivalent degrees of freedom.
void AddInY(const TCurveFit& engine, TModelFit& fit)
{
    const int n = engine.PointCount();
    if (!ResidualSumInY(engine, fit.Result, fit.RssY)) return;
    fit.HasY = true;
    const double* ys = engine.PointTable().ColumnData(2);
    long double mean = 0, tss = 0;
    for (int i = 0; i < n; ++i) mean += ys[i];
    mean /= n;
    for (int i = 0; i < n; ++i) tss += (ys[i] - mean) * (ys[i] - mean);
    fit.RSquaredY = tss > 0 ? static_cast<double>(1 - fit.RssY / tss) : 1.0;
    const double parameters = fit.Result.Model.Kind == mkSpline ? fit.Result.Statistics.Df
                                                                : double(fit.Result.Statistics.Rank);
    if (fit.RssY > 0 && parameters > 0) {
        fit.HasAicY = true;
        fit.AicY = n * (std::log(2 * std::numbers::pi) + 1 - std::log(double(n)) + std::log(fit.RssY)) +
                   2 * (parameters + 1);
    }
}

}  // namespace

TModelFit FitModel(TCurveFit& engine, const TModelChoice& choice, const TFitRequest& request)
{
    TModelFit fit;
    fit.Choice = choice;
    fit.Message = Undetermined(engine, choice);
    TFitResult& model = fit.Result;
    try {
        if (!fit.Message.empty()) return fit;
        if (!CalcModelFit(engine, choice, model)) {
            fit.Message = choice.Text + ": the singular value decomposition did not converge";
            return fit;
        }
        if (model.Status == fsFailed) {
            fit.Message = choice.Text + ": " + model.Failure;
            return fit;
        }
        AddStatistics(engine, model, request.Statistics);
    } catch (const std::bad_alloc&) {
        fit.Message = choice.Text + ": not enough memory";
        return fit;
    } catch (const std::exception& e) {
        fit.Message = FailureText(choice, e);
        return fit;
    }
    // A result that is no finite number is no result: it would print as "nan" and read as
    // success.
    bool finite = std::isfinite(model.Quality);
    for (double k : model.Coefficients) finite = finite && std::isfinite(k);
    if (!finite) {
        fit.Message = choice.Text + ": the fit gave a value that is not a finite number";
        return fit;
    }
    if (!model.Centered.Coefficients.empty())
        fit.RawCancellation = RawFormCancellation(model.Centered, model.Coefficients);
    fit.Ok = true;
    for (double x : request.At) fit.Values.push_back(ValueAt(model, x));
    for (double x : request.Band) fit.Band.push_back(BandAt(model, x, request.Level));
    if (request.InY) AddInY(engine, fit);
    return fit;
}
