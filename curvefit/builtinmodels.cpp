#include "curvefit/builtinmodels.h"

// Each model's start comes from a linearisation that is exact for noise-free data, fitted by
// least squares over the points where it is defined, or, where none is, from the data's shape:
//
//   power       ln|y| = ln|a| + b ln x                  (x > 0, y of the data's sign)
//   exp-y       ln|y| = ln|a| + b x                     (y of the data's sign)
//   saturation  x/y = b/a + x/a                         (Hanes-Woolf: y != 0)
//   logistic    ln(y / (A - y)) = b x - b c             (A a little beyond the largest |y|)
//   gauss       ln|y| = ln|a| - (x-b)^2 / (2 c^2)       (a parabola, each point weighted by y^2,
//                                                        so the noisy tails count little)
//   exp-offset  for each rate b on a wide grid, a and c are a straight line in e^(b x); the
//               rate with the least residual wins
//
// The search then fits the model itself in y.

#include "curvefit/ownfloatflags.h"

#include <Eigen/Dense>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace {

struct TLine {
    double Intercept = 0.0;
    double Slope = 0.0;
};

[[noreturn]] void NoStart(const char* model, TErrorCode need)
{
    throw EQZLMath2Error(need, {model});
}

// The least-squares line v = Intercept + Slope u through the pairs, each weighted by w (all 1
// when w is empty); false when the u do not spread.
bool FitLine(const std::vector<double>& u, const std::vector<double>& v, TLine& line,
             const std::vector<double>& w = {})
{
    long double sw = 0.0L, su = 0.0L, sv = 0.0L;
    for (std::size_t i = 0; i < u.size(); ++i) {
        const long double wi = w.empty() ? 1.0L : w[i];
        sw += wi;
        su += wi * u[i];
        sv += wi * v[i];
    }
    if (sw <= 0.0L) return false;
    const long double um = su / sw, vm = sv / sw;
    long double suu = 0.0L, suv = 0.0L;
    for (std::size_t i = 0; i < u.size(); ++i) {
        const long double wi = w.empty() ? 1.0L : w[i];
        suu += wi * (u[i] - um) * (u[i] - um);
        suv += wi * (u[i] - um) * (v[i] - vm);
    }
    if (!(suu > 0.0L)) return false;
    line.Slope = static_cast<double>(suv / suu);
    line.Intercept = static_cast<double>(vm - line.Slope * um);
    return std::isfinite(line.Slope) && std::isfinite(line.Intercept);
}

// +1 when most y are positive, -1 otherwise: the sign of a, which the linearisations divide out.
double DataSign(std::span<const double> y)
{
    const auto positive = std::count_if(y.begin(), y.end(), [](double v) { return v > 0.0; });
    return 2 * positive >= static_cast<std::ptrdiff_t>(y.size()) ? 1.0 : -1.0;
}

// The index of the y largest in size.
std::size_t PeakIndex(std::span<const double> y)
{
    return std::max_element(y.begin(), y.end(), [](double p, double q) { return std::abs(p) < std::abs(q); }) -
           y.begin();
}

std::vector<double> PowerStart(std::span<const double> x, std::span<const double> y)
{
    const double sign = DataSign(y);
    std::vector<double> u, v;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] > 0.0 && sign * y[i] > 0.0) {
            u.push_back(std::log(x[i]));
            v.push_back(std::log(sign * y[i]));
        }
    TLine line;
    if (!FitLine(u, v, line)) NoStart("power", ecNoStartPower);
    return {sign * std::exp(line.Intercept), line.Slope};
}

std::vector<double> ExpYStart(std::span<const double> x, std::span<const double> y)
{
    const double sign = DataSign(y);
    std::vector<double> u, v;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (sign * y[i] > 0.0) {
            u.push_back(x[i]);
            v.push_back(std::log(sign * y[i]));
        }
    TLine line;
    if (!FitLine(u, v, line)) NoStart("exp-y", ecNoStartExpY);
    return {sign * std::exp(line.Intercept), line.Slope};
}

std::vector<double> SaturationStart(std::span<const double> x, std::span<const double> y)
{
    std::vector<double> u, v;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (y[i] != 0.0) {
            u.push_back(x[i]);
            v.push_back(x[i] / y[i]);
        }
    TLine line;
    const double xMin = *std::min_element(x.begin(), x.end());
    if (FitLine(u, v, line) && line.Slope != 0.0) {
        const double a = 1.0 / line.Slope;
        const double b = line.Intercept * a;
        // b + x must keep its sign over the data, or the curve has a pole among the points.
        if (std::isfinite(a) && std::isfinite(b) && b + xMin > 0.0) return {a, b};
    }
    // The shape: the plateau is near the largest |y|, the half-saturation constant near the x
    // where |y| first reaches half of it.
    const std::size_t peak = PeakIndex(y);
    std::size_t half = peak;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::abs(y[i]) >= 0.5 * std::abs(y[peak]) && x[i] < x[half]) half = i;
    if (y[peak] == 0.0 || x[half] <= 0.0) NoStart("saturation", ecNoStartSaturation);
    return {y[peak], x[half]};
}

std::vector<double> LogisticStart(std::span<const double> x, std::span<const double> y)
{
    const double sign = DataSign(y);
    double top = 0.0;
    for (double v : y) top = std::max(top, sign * v);
    // The asymptote a little beyond the largest value, so every y/(A - y) is finite.
    constexpr double kBeyondLargest = 1.05;
    const double asymptote = kBeyondLargest * top;
    std::vector<double> u, v;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double s = sign * y[i];
        if (s > 0.0) {
            u.push_back(x[i]);
            v.push_back(std::log(s / (asymptote - s)));
        }
    }
    TLine line;
    if (!FitLine(u, v, line) || line.Slope == 0.0)
        NoStart("logistic", ecNoStartLogistic);
    return {sign * asymptote, line.Slope, -line.Intercept / line.Slope};
}

std::vector<double> GaussStart(std::span<const double> x, std::span<const double> y)
{
    const std::size_t peak = PeakIndex(y);
    const double sign = y[peak] < 0.0 ? -1.0 : 1.0;
    const double xMin = *std::min_element(x.begin(), x.end());
    const double xMax = *std::max_element(x.begin(), x.end());
    const double mid = 0.5 * (xMin + xMax), halfRange = 0.5 * (xMax - xMin);
    if (y[peak] == 0.0 || halfRange <= 0.0) NoStart("gauss", ecNoStartGauss);

    // ln|y| = p0 + p1 u + p2 u^2 in u = (x - mid) / halfRange, weighted by y^2.
    std::vector<Eigen::Index> rows;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (sign * y[i] > 0.0) rows.push_back(static_cast<Eigen::Index>(i));
    if (rows.size() >= 3) {
        Eigen::MatrixXd design(rows.size(), 3);
        Eigen::VectorXd rhs(rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const double u = (x[rows[r]] - mid) / halfRange, w = std::abs(y[rows[r]]);
            design.row(r) << w, w * u, w * u * u;
            rhs[r] = w * std::log(sign * y[rows[r]]);
        }
        const Eigen::Vector3d p = design.colPivHouseholderQr().solve(rhs);
        if (p[2] < 0.0) {
            const double centre = mid - halfRange * p[1] / (2.0 * p[2]);
            const double width = halfRange * std::sqrt(-1.0 / (2.0 * p[2]));
            const double height = sign * std::exp(p[0] - p[1] * p[1] / (4.0 * p[2]));
            // A centre more than a data range outside the data, or a height ten times the
            // largest |y|, means the parabola followed noise; the shape below is safer then.
            constexpr double kFarCentre = 2.0, kTallPeak = 10.0;
            const bool plausible = std::abs(centre - mid) <= kFarCentre * halfRange && std::isfinite(height) &&
                                   std::abs(height) <= kTallPeak * std::abs(y[peak]) && width > 0.0;
            if (plausible) return {height, centre, width};
        }
    }
    // The shape: the peak's place and height, the width from the second moment of the points
    // on the peak's side of zero.
    long double moment = 0.0L, mass = 0.0L;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (sign * y[i] > 0.0) {
            moment += sign * y[i] * (x[i] - x[peak]) * (x[i] - x[peak]);
            mass += sign * y[i];
        }
    const double width = std::sqrt(static_cast<double>(moment / mass));
    return {y[peak], x[peak], width > 0.0 ? width : halfRange};
}

std::vector<double> ExpOffsetStart(std::span<const double> x, std::span<const double> y)
{
    const double xMin = *std::min_element(x.begin(), x.end());
    const double xMax = *std::max_element(x.begin(), x.end());
    const double range = xMax - xMin;
    if (range <= 0.0) NoStart("exp-offset", ecNoStartSpreadX);
    const double xAbsMax = std::max(std::abs(xMin), std::abs(xMax));

    // Rates b = t / range with |t| from 0.01 to 100, 20 steps a decade: curves from nearly
    // straight to a rise by a factor of e^100 over the data.
    constexpr int kStepsPerDecade = 20;
    constexpr double kLowestTurn = 0.01, kDecades = 4.0;
    // exp of more than this stays well inside the range of double.
    constexpr double kLargestExponent = 700.0;
    double bestRss = std::numeric_limits<double>::infinity();
    std::vector<double> best;
    std::vector<double> e(x.size()), yy(y.begin(), y.end());
    for (int step = 0; step <= kStepsPerDecade * kDecades; ++step) {
        for (double sign : {1.0, -1.0}) {
            const double b = sign * kLowestTurn * std::pow(10.0, step / double(kStepsPerDecade)) / range;
            if (std::abs(b) * xAbsMax > kLargestExponent) continue;
            for (std::size_t i = 0; i < x.size(); ++i) e[i] = std::exp(b * x[i]);
            TLine line;
            if (!FitLine(e, yy, line)) continue;
            long double rss = 0.0L;
            for (std::size_t i = 0; i < x.size(); ++i) {
                const long double r = y[i] - (line.Intercept + line.Slope * e[i]);
                rss += r * r;
            }
            if (rss < bestRss && line.Slope != 0.0) {
                bestRss = static_cast<double>(rss);
                best = {line.Slope, b, line.Intercept};
            }
        }
    }
    if (best.empty()) NoStart("exp-offset", ecNoStartSpreadX);
    return best;
}

constexpr std::array<TBuiltinModel, 6> kModels{{
    {"power", "y = a*x^b", PowerStart},
    {"logistic", "y = a/(1+exp(-b*(x-c)))", LogisticStart},
    {"gauss", "y = a*exp(-(x-b)^2/(2*c^2))", GaussStart},
    {"saturation", "y = a*x/(b+x)", SaturationStart},
    {"exp-offset", "y = a*exp(b*x)+c", ExpOffsetStart},
    {"exp-y", "y = a*exp(b*x)", ExpYStart},
}};

}  // namespace

std::span<const TBuiltinModel> BuiltinModels() { return kModels; }

const TBuiltinModel* FindBuiltinModel(std::string_view name)
{
    for (const TBuiltinModel& model : kModels)
        if (name == model.Name) return &model;
    return nullptr;
}

TNonlinearResult FitBuiltinModel(const TBuiltinModel& model, std::span<const double> x, std::span<const double> y)
{
    if (x.size() != y.size()) throw EQZLMath2Error(ecLengthMismatch, {model.Name});
    if (x.empty()) NoStart(model.Name, ecNoStartNoPoints);
    const TFormula formula(model.Formula);
    std::vector<double> start;
    {
        const TOwnFloatFlags flags;  // a linearisation may overflow in a candidate it then drops
        start = model.Start(x, y);
    }
    return FitNonlinear(formula, x, y, start);
}
