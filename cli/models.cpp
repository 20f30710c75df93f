#include "cli/models.h"

#include <array>
#include <charconv>
#include <cmath>
#include <new>

#include "common/errors.h"
#include "common/fpguard.h"
#include "curvefit/curvefit.h"

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

// The engine's messages as they are, ended with a full stop as the window shows them; the
// platform's floating-point faults in English, since this program speaks English, after the
// model's name.
std::string FailureText(const TModelChoice& choice, const std::exception& e)
{
    if (dynamic_cast<const EZeroDivide*>(&e)) return choice.Text + ": floating-point division by zero";
    if (dynamic_cast<const EInvalidOp*>(&e)) return choice.Text + ": invalid floating-point operation";
    if (dynamic_cast<const EOverflow*>(&e)) return choice.Text + ": floating-point overflow";
    std::string text = e.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

// The model's value at x by its formula; the polynomial summed in increasing powers, each
// power built by repeated multiplication.
double Evaluate(const TModelFit& fit, double x)
{
    const auto p = [&](std::size_t i) { return fit.Parameters[i].Value; };
    switch (fit.Choice.Kind) {
    case mkLine: return p(0) * x + p(1);
    case mkParabola: return p(0) + p(1) * x + p(2) * x * x;
    case mkReciprocal: return FloatDiv(1.0, p(0) + p(1) * x);
    case mkLog: return p(0) + p(1) * std::log(x);
    case mkReciprocalLog: return FloatDiv(1.0, p(0) + p(1) * std::log(x));
    case mkExp: return p(0) * std::exp(p(1) * x);
    case mkPoly: {
        double sum = 0.0, power = 1.0;
        for (std::size_t j = 0; j < fit.Parameters.size(); ++j) {
            sum += p(j) * power;
            power *= x;
        }
        return sum;
    }
    case mkSpline: break;
    }
    return 0.0;
}

bool AllXEqual(const TCurveFit& engine)
{
    const int n = engine.PointCount();
    for (int i = 2; i <= n; ++i)
        if (engine.PointTable().Elem(1, i) != engine.PointTable().Elem(1, 1)) return false;
    return true;
}

void FitClosedForm(TCurveFit& engine, TModelFit& fit)
{
    double a = 0, b = 0, c = 0, q = 0;
    std::vector<TParameter>& p = fit.Parameters;
    switch (fit.Choice.Kind) {
    case mkLine:
        engine.CalcLinFit(a, b, q);
        // With every x equal the engine hands back k = d = 0, which a script would take for a
        // fitted line.
        if (engine.PointCount() >= 2 && AllXEqual(engine)) {
            fit.Message = fit.Choice.Text + ": all x values are equal, so no line is determined";
            return;
        }
        p = {{"k", a}, {"d", b}};
        break;
    case mkParabola:
        engine.CalcParabolFit(a, b, c, q);
        p = {{"k0", a}, {"k1", b}, {"k2", c}};
        break;
    case mkReciprocal: engine.CalcReciLinFit(a, b, q); p = {{"k0", a}, {"k1", b}}; break;
    case mkLog: engine.CalcLogFit(a, b, q); p = {{"k0", a}, {"k1", b}}; break;
    case mkReciprocalLog: engine.CalcReciLogFit(a, b, q); p = {{"k0", a}, {"k1", b}}; break;
    case mkExp: engine.CalcExponentialFit(a, b, q); p = {{"k0", a}, {"k1", b}}; break;
    default: break;
    }
    fit.Quality = q;
    fit.Ok = true;
}

void FitPolynomial(TCurveFit& engine, TModelFit& fit)
{
    const int m = fit.Choice.Order;
    // With fewer points than coefficients the engine returns one of many polynomials through
    // the points; a script is better told than handed an arbitrary answer.
    if (engine.PointCount() < m + 1) {
        fit.Message = fit.Choice.Text + " needs at least " + std::to_string(m + 1) + " points; the data hold " +
                      std::to_string(engine.PointCount());
        return;
    }
    std::vector<double> c(static_cast<std::size_t>(m) + 1);
    double quality = 0;
    bool truncated = false;
    if (!engine.CalcPolynomialFit(static_cast<std::uint8_t>(m), c, quality, truncated)) {
        fit.Message = fit.Choice.Text + ": the singular value decomposition did not converge";
        return;
    }
    for (int j = 0; j <= m; ++j) fit.Parameters.push_back({"c" + std::to_string(j), c[j]});
    fit.Quality = quality;
    fit.Truncated = truncated;
    fit.Ok = true;
}

void FitSpline(TCurveFit& engine, TModelFit& fit, const std::vector<double>& at)
{
    engine.SetSplineSmoothing(fit.Choice.Smoothing);
    bool valid = false;
    double quality = 0;
    engine.SplineValue(engine.PointTable().Elem(1, 1), quality, valid);  // prepares the spline
    fit.Parameters = {{"smoothing", fit.Choice.Smoothing}};
    fit.Quality = quality;
    fit.Ok = true;
    for (double x : at) {
        TValueAt v{x, false, 0.0, {}};
        v.Y = engine.SplineValue(x, quality, valid);
        v.Defined = valid;
        if (!valid) v.Note = "outside the data";
        fit.Values.push_back(v);
    }
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
              "' (models: line, parabola, reciprocal, log, reciprocal-log, exp, poly:N, spline:F, all)";
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

std::string Formula(const TModelChoice& choice)
{
    switch (choice.Kind) {
    case mkLine: return "y = k*x + d";
    case mkParabola: return "y = k0 + k1*x + k2*x^2";
    case mkReciprocal: return "y = 1/(k0 + k1*x)";
    case mkLog: return "y = k0 + k1*ln(x)";
    case mkReciprocalLog: return "y = 1/(k0 + k1*ln(x))";
    case mkExp: return "y = k0*exp(k1*x)";
    case mkPoly: {
        std::string f = "y = c0";
        for (int j = 1; j <= choice.Order; ++j)
            f += " + c" + std::to_string(j) + "*x" + (j > 1 ? "^" + std::to_string(j) : std::string());
        return f;
    }
    case mkSpline: return "y = cubic smoothing spline";
    }
    return {};
}

TModelFit FitModel(TCurveFit& engine, const TModelChoice& choice, const std::vector<double>& at)
{
    TModelFit fit;
    fit.Choice = choice;
    try {
        if (choice.Kind == mkSpline) {
            FitSpline(engine, fit, at);
            return fit;
        }
        if (choice.Kind == mkPoly)
            FitPolynomial(engine, fit);
        else
            FitClosedForm(engine, fit);
    } catch (const std::bad_alloc&) {
        fit = {choice, false, choice.Text + ": not enough memory", {}, 0.0, false, {}};
    } catch (const std::exception& e) {
        fit = {choice, false, FailureText(choice, e), {}, 0.0, false, {}};
    }
    if (!fit.Ok) return fit;
    // A result that is no finite number is no result: it would print as "nan" and read as
    // success.
    bool finite = std::isfinite(fit.Quality);
    for (const TParameter& p : fit.Parameters) finite = finite && std::isfinite(p.Value);
    if (!finite) return {choice, false, choice.Text + ": the fit gave a value that is not a finite number", {}, 0.0, false, {}};
    for (double x : at) {
        TValueAt v{x, false, 0.0, {}};
        try {
            TFloatGuard guard;
            v.Y = Evaluate(fit, x);
            guard.Check(v.Y);
            v.Defined = true;
        } catch (const EMathError&) {
            v.Note = "undefined";
        }
        fit.Values.push_back(v);
    }
    return fit;
}
