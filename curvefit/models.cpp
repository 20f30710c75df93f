#include "curvefit/models.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <span>

#include "common/errors.h"
#include "common/fpguard.h"
#include "common/numtext.h"
#include "curvefit/builtinmodels.h"
#include "curvefit/curvefit.h"
#include "curvefit/formula.h"
#include "curvefit/nonlinear.h"

namespace {

// The texts of the closed-form models, in TModelKind order up to mkExp. The parameter caption
// puts `gap` blanks between its values: four, five for the reciprocal models.
struct TClosedFormTexts {
    const char* formula;   // plain notation
    const char* caption;   // the window's
    std::vector<std::string> names;
    int gap;
};

const TClosedFormTexts& ClosedFormTexts(TModelKind kind)
{
    static const TClosedFormTexts texts[] = {
        {"y = k*x + d", "y = k*x + d", {"k", "d"}, 4},
        {"y = k0 + k1*x + k2*x^2", "y = k0 + k1*x + k2*sqr(x)", {"k0", "k1", "k2"}, 4},
        {"y = 1/(k0 + k1*x)", "y = 1/(k0 + k1*x)", {"k0", "k1"}, 5},
        {"y = k0 + k1*ln(x)", "y = k0 + k1*ln(x)", {"k0", "k1"}, 4},
        {"y = 1/(k0 + k1*ln(x))", "y = 1/(k0 + k1*ln(x))", {"k0", "k1"}, 5},
        {"y = k0*exp(k1*x)", "y = k0*exp(k1*x)", {"k0", "k1"}, 4},
    };
    return texts[kind];
}

int PolyOrder(const TModel& model) { return std::clamp(model.Order, 0, kMaxPolyOrder); }

std::string N(double v) { return NumberToText(v, 1, 3); }

// The formula a nonlinear model stands for: the built-in's, or the user's own.
std::string NonlinearFormula(const TModel& model)
{
    if (model.Builtin.empty()) return model.Formula;
    const TBuiltinModel* builtin = FindBuiltinModel(model.Builtin);
    if (!builtin) throw EQZLMath2Error(ecUnknownBuiltin, {model.Builtin});
    return builtin->Formula;
}

// The starting values in the formula's parameter order: those given by name, the rest the
// built-in's own from the data, or 1 for a formula of the user's. A name the formula does not
// hold is an error, since a mistyped name would otherwise start silently at 1.
std::vector<double> StartingValues(const TModel& model, const TFormula& formula, std::span<const double> x,
                                   std::span<const double> y)
{
    const std::vector<std::string>& names = formula.Parameters();
    const TBuiltinModel* builtin = model.Builtin.empty() ? nullptr : FindBuiltinModel(model.Builtin);
    std::vector<double> start = builtin && model.Start.size() < names.size() ? builtin->Start(x, y)
                                                                              : std::vector<double>(names.size(), 1.0);
    for (const auto& [name, value] : model.Start) {
        const auto at = std::find(names.begin(), names.end(), name);
        if (at == names.end()) {
            std::string list;
            for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
            throw EQZLMath2Error(ecNoSuchParameter, {name, list});
        }
        start[std::size_t(at - names.begin())] = value;
    }
    return start;
}

// Fits a nonlinear model by least squares in y and takes over what the fit reports: the
// estimates with their standard errors, the covariance, the residuals and the statistics. A fit
// that did not converge fails with the reason, never with the values where the search stopped.
void FitNonlinearModel(const TCurveFit& engine, TFitResult& fit)
{
    auto formula = std::make_shared<const TFormula>(NonlinearFormula(fit.Model));
    const std::size_t n = std::size_t(engine.PointCount());
    const std::span<const double> x(engine.PointTable().ColumnData(1), n), y(engine.PointTable().ColumnData(2), n);
    const TNonlinearResult r = FitNonlinear(*formula, x, y, StartingValues(fit.Model, *formula, x, y));
    fit.Formula = std::move(formula);
    fit.Iterations = r.Iterations;
    if (!r.Converged) {
        fit.Status = fsFailed;
        fit.Failure = r.Message;
        fit.FailureStop = r.Stop;
        fit.FailureArgs = r.StopArgs;
        if (r.Fault) fit.FailureFault = std::make_shared<const EFormulaError>(*r.Fault);
        return;
    }
    fit.Status = fsFitted;
    fit.Coefficients = r.Values;
    fit.Quality = r.RSquared;
    fit.Covariance = r.Covariance;
    fit.Residuals = r.Residuals;
    fit.HasErrors = !r.Covariance.empty() && r.DegreesOfFreedom > 0;
    for (std::size_t j = 0; j < r.Values.size(); ++j)
        fit.Parameters.push_back({r.Names[j], r.Values[j], fit.HasErrors ? r.StdErrors[j] : 0.0, r.Determined[j]});

    TFitStatistics& st = fit.Statistics;
    const int k = static_cast<int>(r.Values.size());
    st.Points = r.Points;
    st.Rank = k;
    st.Dof = r.DegreesOfFreedom;
    st.Rss = r.Rss;
    st.ResidualStdError = r.ResidualStdError;
    st.RSquared = r.RSquared;
    st.AdjRSquared = 1 - (1 - r.RSquared) * (r.Points - 1) / double(r.DegreesOfFreedom);
    if (r.Rss > 0) {
        // -2 log L of the normal model with the maximum-likelihood variance RSS / n, the
        // variance counted as a parameter, as for the linear models.
        const double minus2LogL =
            r.Points * (std::log(2 * std::numbers::pi) + 1 - std::log(double(r.Points)) + std::log(r.Rss));
        st.HasInformation = true;
        st.Aic = minus2LogL + 2.0 * (k + 1);
        st.Bic = minus2LogL + std::log(double(r.Points)) * (k + 1);
    }
}

}  // namespace

bool CalcModelFit(TCurveFit& engine, const TModel& model, TFitResult& fit)
{
    fit = {};
    fit.Model = model;
    double a = 0, b = 0, c = 0, q = 0;
    switch (model.Kind) {
    case mkLine: engine.CalcLinFit(a, b, q); fit.Coefficients = {a, b}; break;
    case mkParabola: engine.CalcParabolFit(a, b, c, q, fit.Centered); fit.Coefficients = {a, b, c}; break;
    case mkReciprocal: engine.CalcReciLinFit(a, b, q); fit.Coefficients = {a, b}; break;
    case mkLog: engine.CalcLogFit(a, b, q); fit.Coefficients = {a, b}; break;
    case mkReciprocalLog: engine.CalcReciLogFit(a, b, q); fit.Coefficients = {a, b}; break;
    case mkExp: engine.CalcExponentialFit(a, b, q); fit.Coefficients = {a, b}; break;
    case mkPoly: {
        const int m = PolyOrder(model);
        fit.Model.Order = m;
        std::vector<double> k(std::size_t(m) + 1, 0.0);
        bool truncated = false;
        if (!engine.CalcPolynomialFit(static_cast<std::uint8_t>(m), k, q, truncated, fit.Centered)) return false;
        fit.Coefficients = std::move(k);
        fit.Truncated = truncated;
        break;
    }
    case mkSpline: {
        if (model.SplineAuto)
            engine.ChooseSplineSmoothingByGcv();
        else if (model.SplineDf > 0.0)
            engine.ChooseSplineSmoothingForDf(model.SplineDf);
        else
            engine.SetSplineSmoothing(model.Smoothing);
        bool valid = false;
        engine.SplineValue(engine.MinX(), q, valid);  // prepares the spline; raises on bad data
        fit.Coefficients = {engine.SplineSmoothing()};
        if (model.SplineAuto || model.SplineDf > 0.0) {
            const TSplineStats stats = engine.SplineStats();
            fit.Coefficients.insert(fit.Coefficients.end(), {stats.Df, stats.Gcv});
        }
        fit.Spline = std::make_shared<const TSplineCurve>(engine.SplineCurve());
        break;
    }
    case mkNonlinear:
        // Its status, parameters and statistics all come from the search.
        FitNonlinearModel(engine, fit);
        return true;
    }
    fit.Quality = q;
    fit.Status = fit.Truncated ? fsUndetermined : fsFitted;
    const std::vector<std::string> names = ParameterNames(fit.Model);
    for (std::size_t j = 0; j < names.size(); ++j) fit.Parameters.push_back({names[j], fit.Coefficients[j]});
    return true;
}

namespace {

// The value at x with no guard of its own; false where the model has no value. A fault leaves
// its flag for the caller's guard.
bool UnguardedValue(const TFitResult& fit, double x, double& y)
{
    const std::vector<double>& k = fit.Coefficients;
    const TModelKind kind = fit.Model.Kind;
    switch (kind) {
    case mkLine: y = k[0] * x + k[1]; return true;
    case mkParabola:
    case mkPoly: y = fit.Centered.Value(x); return true;
    case mkReciprocal:
    case mkReciprocalLog: {
        if (kind == mkReciprocalLog && !(x > 0)) return false;
        const double denominator = k[0] + k[1] * (kind == mkReciprocal ? x : std::log(x));
        y = denominator;
        if (denominator == 0.0) return false;
        y = 1.0 / denominator;
        return true;
    }
    case mkLog:
        if (!(x > 0)) return false;
        y = k[0] + k[1] * std::log(x);
        return true;
    case mkExp: y = k[0] * std::exp(k[1] * x); return true;
    case mkSpline: return fit.Spline->Value(x, y);
    case mkNonlinear:
        try {
            y = fit.Formula->Value(x, k);
            return true;
        } catch (const EFormulaError& e) {
            // An overflow is a fault of the curve; a point outside the formula's domain (ln of a
            // negative number, a division by 0) is one where the model has no value.
            if (e.Code == ffOverflow) throw EOverflow();
            return false;
        }
    }
    return false;
}

// The curve by the window's rules with `value` for every point; a fault raised by `value` ends it
// and is kept with the points before it.
template <class Value>
TSampledCurve Sample(const TFitResult& fit, double low, double high, int samples, Value&& value)
{
    TSampledCurve curve;
    std::vector<TCurvePoint>& points = curve.Points;
    points.reserve(std::size_t(std::max(samples, 1)) + 1);
    const auto add = [&](double x, bool moveTo) {
        double y = 0.0;
        if (value(fit, x, y)) points.push_back({x, y, moveTo});
    };
    try {
        const TModelKind kind = fit.Model.Kind;
        if (kind == mkLine) {
            // A straight line needs only its two ends.
            add(low, true);
            add(high, false);
            return curve;
        }
        const double step = (high - low) / samples;
        if (kind == mkPoly) {
            add(low + step, true);
        } else if (kind == mkLog && !(low > 0)) {
            points.push_back({0.0, kLogStartBelow, true});
        } else if (kind == mkSpline) {
            // The spline starts at its first data point whether or not the range shows it.
            const double first = fit.Spline->LowX();
            double y = 0.0;
            value(fit, first, y);
            points.push_back({first, y, true});
        } else {
            add(low, true);
        }
        for (int i = 1; i <= samples; ++i) add(low + i * step, false);
    } catch (...) {
        curve.Fault = std::current_exception();
    }
    return curve;
}

}  // namespace

bool ModelValue(const TFitResult& fit, double x, double& y)
{
    // The spline's values are its curve's, read as they are.
    if (fit.Model.Kind == mkSpline) return UnguardedValue(fit, x, y);
    TFloatGuard guard;
    const bool defined = UnguardedValue(fit, x, y);
    guard.Check(y);
    return defined;
}

TSampledCurve SampleCurve(const TFitResult& fit, double low, double high, int samples)
{
    // One guard over the whole curve; only a curve that faults somewhere is sampled again point
    // by point, which finds the first fault and keeps the points before it. Both passes compute
    // the same values.
    {
        TSampledCurve curve;
        bool clean = true;
        {
            TFloatGuard guard;
            curve = Sample(fit, low, high, samples, UnguardedValue);
            try {
                guard.Check(curve.Points.data());
            } catch (const EMathError&) {
                clean = false;
            }
        }
        if (clean && !curve.Fault) return curve;
    }
    return Sample(fit, low, high, samples, ModelValue);
}

namespace {

// The formula as the user wrote it, with "y = " in front where it starts with its right side.
std::string WithResponse(const std::string& formula)
{
    std::string text = formula;
    text.erase(0, text.find_first_not_of(" \t"));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text.find('=') == std::string::npos ? "y = " + text : text;
}

}  // namespace

std::string FormulaText(const TModel& model)
{
    switch (model.Kind) {
    case mkPoly: {
        std::string f = "y = c0";
        for (int j = 1; j <= PolyOrder(model); ++j)
            f += " + c" + std::to_string(j) + "*x" + (j > 1 ? "^" + std::to_string(j) : std::string());
        return f;
    }
    case mkSpline: return "y = cubic smoothing spline";
    case mkNonlinear: return WithResponse(NonlinearFormula(model));
    default: return ClosedFormTexts(model.Kind).formula;
    }
}

std::vector<std::string> ParameterNames(const TModel& model)
{
    switch (model.Kind) {
    case mkPoly: {
        std::vector<std::string> names;
        for (int j = 0; j <= PolyOrder(model); ++j) names.push_back("c" + std::to_string(j));
        return names;
    }
    case mkSpline:
        if (model.SplineAuto || model.SplineDf > 0.0) return {"smoothing", "df", "gcv"};
        return {"smoothing"};
    case mkNonlinear: return TFormula(NonlinearFormula(model)).Parameters();
    default: return ClosedFormTexts(model.Kind).names;
    }
}

std::string FormulaCaption(const TModel& model)
{
    switch (model.Kind) {
    case mkPoly: {
        // Every term from x^2 on ends in a blank; order 0 still shows the linear term.
        std::string t = "y = k0+k1*x";
        for (int j = 2; j <= PolyOrder(model); ++j) t += "+k" + std::to_string(j) + "*x^" + std::to_string(j) + " ";
        return t;
    }
    case mkSpline: return {};
    case mkNonlinear: return WithResponse(NonlinearFormula(model));
    default: return ClosedFormTexts(model.Kind).caption;
    }
}

std::string ParameterCaption(const TFitResult& fit)
{
    std::string t;
    switch (fit.Model.Kind) {
    case mkPoly:
        for (std::size_t j = 0; j < fit.Coefficients.size(); ++j)
            t += "k" + std::to_string(j) + "=" + N(fit.Coefficients[j]) + "  ";
        return t;
    case mkSpline: return t;
    case mkNonlinear:
        for (std::size_t j = 0; j < fit.Parameters.size(); ++j)
            t += (j > 0 ? "    " : "") + fit.Parameters[j].Name + " = " + N(fit.Parameters[j].Value);
        return t;
    default: {
        const TClosedFormTexts& texts = ClosedFormTexts(fit.Model.Kind);
        for (std::size_t j = 0; j < texts.names.size(); ++j) {
            if (j > 0) t += std::string(std::size_t(texts.gap), ' ');
            t += texts.names[j] + " = " + N(fit.Coefficients[j]);
        }
        return t;
    }
    }
}

int DistinctX(const TCurveFit& engine)
{
    const double* x = engine.PointTable().ColumnData(1);
    std::vector<double> xs(x, x + engine.PointCount());
    std::sort(xs.begin(), xs.end());
    return static_cast<int>(std::unique(xs.begin(), xs.end()) - xs.begin());
}
