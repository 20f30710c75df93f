#include "curvefit/nonlinear.h"

// The search is Eigen's Levenberg-Marquardt (a port of MINPACK's lmder: a trust region over
// steps scaled by the Jacobian's column norms, each step from a pivoted QR factor). The Jacobian
// comes exactly from the formula. Two things are added around it:
//
// - A step into a region where the model has no value (ln of a negative number, an overflow)
//   is not an error but a failed step: the residuals then read as huge, the trust region
//   shrinks and the search goes on from where it was.
// - Levenberg-Marquardt stops when its steps no longer reduce the sum of squares by more than
//   its tolerance, which can leave the last digits of a badly conditioned problem unsettled.
//   Gauss-Newton steps, each a least-squares solve on the column-scaled Jacobian's pivoted QR
//   factor, then polish the solution for as long as they lower the sum of squares.
//
// At the solution the same factor gives the rank (a parameter without effect leaves a column
// that is zero or a combination of the others) and the covariance s^2 (J^T J)^-1.

#include "curvefit/ownfloatflags.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/NonLinearOptimization>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

// Relative tolerances of the search on the sum of squares and on the scaled step, a few units
// of rounding: on the certified problems looser ones leave digits behind, and tighter ones only
// spend evaluations on rounding noise.
constexpr double kSearchTolerance = 1e-15;
// The first step may reach this multiple of the start's size in the scaled units. With the
// customary 100, the first step from BoxBOD's first start overshoots onto the plateau where
// exp(-b2 x) has vanished and b2 no longer acts; 10 and 1 solve every certified problem.
constexpr double kFirstStepFactor = 10.0;
// At most this many Gauss-Newton steps polish a solution. Where the residuals are large the
// steps shrink only linearly (ENSO takes some 25); where they are small, two or three do.
constexpr int kPolishSteps = 30;
// A double whose shortest decimal has at most this many significant digits is taken as that
// decimal: any decimal of 15 digits survives the trip through a double.
constexpr int kDecimalDigits = 15;
// The relative rounding noise of a sum of squares of residuals held in double.
constexpr long double kRssNoise = 1e-15L;
// A pivot of the column-scaled Jacobian's QR factor below this share of the largest one marks a
// column that the others already explain (a parameter without effect). The certified problems,
// badly conditioned as some are, stay above 3e-5.
constexpr double kRankTolerance = 1e-12;
// A parameter b_j whose whole value moves the model by less than this share of its size,
// |J_j| |b_j| <= share |f|, changes no model value beyond rounding: the search has run off onto
// a plateau (an exponential's rate grown so large that exp(-b x) vanished), and the parameter
// is taken as without effect.
constexpr double kNoEffectShare = 1e-14;

// The decimal a point's value was read from, in extended precision: a value whose shortest
// decimal text has at most 15 significant digits was typed or read as that decimal, and the
// long double nearest to it is 2048 times closer than the double. Other values (computed ones
// with 16 or 17 digits) stay exactly as they are. Residuals at a solution are formed from these;
// on data given to 13 digits and fitted to 13 (Lanczos1), the doubles' own rounding would
// otherwise decide the last digits of the sum of squares.
long double DecimalValue(double v)
{
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), v).ptr;
    const std::string_view mantissa(text.data(), std::find_if(text.data(), end, [](char c) { return c == 'e'; }));
    int digits = 0;
    bool leading = true;
    for (char c : mantissa) {
        if (c < '0' || c > '9' || (leading && c == '0')) continue;
        leading = false;
        ++digits;
    }
    if (digits > kDecimalDigits) return v;
    long double decimal = v;
    std::from_chars(text.data(), end, decimal);
    return decimal;
}

// The model's residuals f(x_i; b) - y_i and its Jacobian, in the form Eigen's search calls.
class TResidualFunctor {
public:
    using Scalar = double;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };
    using InputType = VectorXd;
    using ValueType = VectorXd;
    using JacobianType = MatrixXd;

    TResidualFunctor(const TFormula& model, std::span<const double> x, std::span<const double> y)
        : m_model(model), m_x(x), m_y(y), m_values(x.size()), m_extended(x.size())
    {
        for (double v : x) m_xExtended.push_back(DecimalValue(v));
        for (double v : y) m_yExtended.push_back(DecimalValue(v));
    }
    int inputs() const { return m_model.ParameterCount(); }
    int values() const { return static_cast<int>(m_x.size()); }

    // The residuals at b; a model without a value there gives residuals so large that the
    // search rejects the step. Returns 0, the search's "go on".
    int operator()(const VectorXd& b, VectorXd& residuals)
    {
        ++Evaluations;
        if (!TryResiduals(b, residuals)) residuals.setConstant(RejectedResidual());
        return 0;
    }

    // The Jacobian at b, a point whose residuals had values; a derivative without a value
    // there stops the search (returns -1) with the fault kept in JacobianFault.
    int df(const VectorXd& b, MatrixXd& jacobian)
    {
        ++JacobianEvaluations;
        try {
            jacobian.resize(values(), inputs());
            m_model.Evaluate(m_x, {b.data(), std::size_t(b.size())}, m_values,
                             {jacobian.data(), std::size_t(jacobian.size())});
            return 0;
        } catch (const EFormulaError& e) {
            JacobianFault = e;
            return -1;
        }
    }

    // The residuals at b, or false with the fault in `fault` where the model has no value.
    // Once Extended is set, the model is evaluated in extended precision and y subtracted
    // there: near a solution f and y share most of their digits, and a residual formed in double
    // would keep only the rounding errors of f (Lanczos1's residuals are 1e-13 of y). The search
    // itself needs no more than double.
    bool TryResiduals(const VectorXd& b, VectorXd& residuals, std::optional<EFormulaError>* fault = nullptr)
    {
        residuals.resize(values());
        const std::span<const double> parameters(b.data(), std::size_t(b.size()));
        try {
            if (Extended)
                m_model.EvaluateExtended(m_xExtended, parameters, m_extended);
            else
                m_model.Evaluate(m_x, parameters, m_values);
        } catch (const EFormulaError& e) {
            if (fault) *fault = e;
            return false;
        }
        for (int i = 0; i < values(); ++i)
            residuals[i] = Extended ? static_cast<double>(m_extended[i] - m_yExtended[i]) : m_values[i] - m_y[i];
        return true;
    }

    bool Extended = false;
    int Evaluations = 0;
    int JacobianEvaluations = 0;
    std::optional<EFormulaError> JacobianFault;

private:
    // Large enough that no step towards it counts as progress, small enough that the norm of
    // all residuals stays finite.
    double RejectedResidual() const
    {
        return std::numeric_limits<double>::max() / (4.0 * std::sqrt(double(values())));
    }

    const TFormula& m_model;
    std::span<const double> m_x, m_y;
    std::vector<long double> m_xExtended, m_yExtended;  // the points as the decimals they came from
    std::vector<double> m_values;
    std::vector<long double> m_extended;  // the model's values in extended precision
};

long double SumOfSquares(const VectorXd& r)
{
    long double sum = 0.0L;
    for (double v : r) sum += static_cast<long double>(v) * v;
    return sum;
}

// The Jacobian's columns scaled to unit length (a zero column stays zero); `scale` receives the
// lengths, 1 for a zero column.
MatrixXd ScaledColumns(const MatrixXd& jacobian, VectorXd& scale)
{
    scale = jacobian.colwise().norm().transpose();
    for (double& s : scale)
        if (s == 0.0) s = 1.0;
    return jacobian * scale.cwiseInverse().asDiagonal();
}

// Gauss-Newton steps from b while they contract: each step must be less than half the one
// before (in the column-scaled units of the Jacobian), and must not raise the sum of squares
// beyond its rounding noise. Close to a solution the sum of squares changes by less than its
// last digit, so its fall cannot be the test; the shrinking steps are. b and residuals stay
// those of the last point taken. Returns the number of steps taken.
int Polish(TResidualFunctor& functor, VectorXd& b, VectorXd& residuals)
{
    MatrixXd jacobian;
    VectorXd scale, trial, trialResiduals;
    long double rss = SumOfSquares(residuals);
    double lastStep = std::numeric_limits<double>::infinity();
    int steps = 0;
    while (steps < kPolishSteps) {
        if (functor.df(b, jacobian) != 0) break;
        Eigen::ColPivHouseholderQR<MatrixXd> qr(ScaledColumns(jacobian, scale));
        qr.setThreshold(kRankTolerance);
        const VectorXd scaledStep = -qr.solve(residuals);
        const double stepSize = scaledStep.norm();
        if (!(stepSize < lastStep)) break;
        trial = b + scaledStep.cwiseQuotient(scale);
        if (trial == b || !functor.TryResiduals(trial, trialResiduals)) break;
        const long double trialRss = SumOfSquares(trialResiduals);
        if (trialRss > rss * (1.0L + kRssNoise)) break;
        b = trial;
        residuals = trialResiduals;
        rss = trialRss;
        lastStep = stepSize;
        ++steps;
    }
    return steps;
}

std::string ParameterList(const std::vector<std::string>& names)
{
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? " and " : ", ";
        list += names[i];
    }
    return list;
}

void CheckInput(const TFormula& model, std::span<const double> x, std::span<const double> y,
                std::span<const double> start)
{
    const std::string op = "FitNonlinear";
    const int k = model.ParameterCount();
    if (x.size() != y.size()) throw EQZLMath2Error(ecLengthMismatch, {op});
    if (k == 0) throw EQZLMath2Error(ecNoParameter, {op});
    if (start.size() != static_cast<std::size_t>(k))
        throw EQZLMath2Error(ecStartCount, {op, std::to_string(k), std::to_string(start.size())});
    if (x.size() <= static_cast<std::size_t>(k))
        throw EQZLMath2Error(ecTooFewPoints, {op, std::to_string(k)});
    for (double v : start)
        if (!std::isfinite(v)) throw EQZLMath2Error(ecStartNotFinite, {op});
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]))
            throw EQZLMath2Error(ecPointNotFinite, {op, std::to_string(i + 1)});
}

// Rank, covariance and standard errors at the solution, from the pivoted QR factor of the
// column-scaled Jacobian: with J D^-1 P = Q R, (J^T J)^-1 = D^-1 P (R^T R)^-1 P^T D^-1.
void Conclude(const MatrixXd& jacobian, std::span<const double> y, TNonlinearResult& result)
{
    const int k = static_cast<int>(jacobian.cols());
    VectorXd scale;
    Eigen::ColPivHouseholderQR<MatrixXd> qr(ScaledColumns(jacobian, scale));
    qr.setThreshold(kRankTolerance);
    const int rank = static_cast<int>(qr.rank());
    result.Determined.assign(k, true);
    for (int i = rank; i < k; ++i) result.Determined[qr.colsPermutation().indices()[i]] = false;

    long double modelSquares = 0.0L;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const long double f = static_cast<long double>(y[i]) - result.Residuals[i];
        modelSquares += f * f;
    }
    const double modelSize = std::sqrt(static_cast<double>(modelSquares));
    for (int j = 0; j < k; ++j)
        if (result.Values[j] != 0.0 && jacobian.col(j).norm() * std::abs(result.Values[j]) <= kNoEffectShare * modelSize)
            result.Determined[j] = false;

    std::vector<std::string> idle;
    for (int j = 0; j < k; ++j)
        if (!result.Determined[j]) idle.push_back(result.Names[j]);
    if (!idle.empty()) {
        result.Converged = false;
        result.Stop = nsNoEffect;
        result.StopArgs = idle;
        result.Message = (idle.size() == 1 ? "the parameter " : "the parameters ") + ParameterList(idle) +
                         (idle.size() == 1 ? " has" : " have") +
                         " no effect on the model beyond that of the others (a singular Jacobian)";
        return;
    }
    const MatrixXd r = qr.matrixR().topLeftCorner(k, k).triangularView<Eigen::Upper>();
    const MatrixXd rInverse = r.triangularView<Eigen::Upper>().solve(MatrixXd::Identity(k, k));
    const MatrixXd scaledInverse = qr.colsPermutation() * (rInverse * rInverse.transpose()) *
                                   qr.colsPermutation().transpose();
    const double s2 = result.Rss / result.DegreesOfFreedom;
    result.Covariance.resize(std::size_t(k) * k);
    result.StdErrors.resize(k);
    for (int i = 0; i < k; ++i) {
        for (int j = 0; j < k; ++j)
            result.Covariance[std::size_t(i) * k + j] = s2 * scaledInverse(i, j) / (scale[i] * scale[j]);
        result.StdErrors[i] = std::sqrt(result.Covariance[std::size_t(i) * k + i]);
    }
}

void Summarise(std::span<const double> y, const VectorXd& residuals, TNonlinearResult& result)
{
    result.Residuals.resize(residuals.size());
    for (int i = 0; i < residuals.size(); ++i) result.Residuals[i] = -residuals[i];
    result.Rss = static_cast<double>(SumOfSquares(residuals));
    result.ResidualStdError = std::sqrt(result.Rss / result.DegreesOfFreedom);
    long double mean = 0.0L;
    for (double v : y) mean += v;
    mean /= y.size();
    long double tss = 0.0L;
    for (double v : y) tss += (v - mean) * (v - mean);
    result.Tss = static_cast<double>(tss);
    result.RSquared = result.Tss > 0.0 ? 1.0 - result.Rss / result.Tss : (result.Rss == 0.0 ? 1.0 : 0.0);
}

// The numbers of a result are finite, or the fit ends in the platform's error: data near the
// ends of the double range can square to infinity on the way to the sum of squares or the
// covariance.
void CheckResultFinite(const TNonlinearResult& result)
{
    for (const std::vector<double>* numbers : {&result.Values, &result.StdErrors, &result.Covariance, &result.Residuals})
        for (double v : *numbers) CheckFinite(v);
    for (double v : {result.Rss, result.ResidualStdError, result.Tss, result.RSquared}) CheckFinite(v);
}

}  // namespace

std::string NonlinearStopText(TNonlinearStop stop)
{
    switch (stop) {
    case nsConverged:
        return "converged";
    case nsIterationLimit:
        return "the iteration limit was reached before the fit converged";
    case nsNoEffect:
        return "a parameter has no effect on the model (a singular Jacobian)";
    case nsStartFault:
        return "the model has no value at the starting values";
    case nsEvaluationFault:
        return "the model has no derivative at a point of the search";
    }
    return {};
}

TNonlinearResult FitNonlinear(const TFormula& model, std::span<const double> x, std::span<const double> y,
                              std::span<const double> start, const TNonlinearOptions& options)
{
    CheckInput(model, x, y, start);
    const TOwnFloatFlags flags;
    const int k = model.ParameterCount();
    TNonlinearResult result;
    result.Names = model.Parameters();
    result.Points = static_cast<int>(x.size());
    result.DegreesOfFreedom = result.Points - k;
    result.Values.assign(start.begin(), start.end());

    TResidualFunctor functor(model, x, y);
    VectorXd b = Eigen::Map<const VectorXd>(start.data(), k);
    VectorXd residuals;
    MatrixXd jacobian;
    std::optional<EFormulaError> fault;
    if (!functor.TryResiduals(b, residuals, &fault) || functor.df(b, jacobian) != 0) {
        result.Stop = nsStartFault;
        result.Fault = fault ? fault : functor.JacobianFault;
        result.Message = NonlinearStopText(nsStartFault) + ": " + result.Fault->what();
        return result;
    }

    Eigen::LevenbergMarquardt<TResidualFunctor> search(functor);
    search.parameters.ftol = kSearchTolerance;
    search.parameters.xtol = kSearchTolerance;
    search.parameters.maxfev = static_cast<Eigen::Index>(options.MaxEvaluationsPerParameter) * k;
    search.parameters.factor = kFirstStepFactor;
    const auto status = search.minimize(b);
    residuals = search.fvec;

    using namespace Eigen::LevenbergMarquardtSpace;
    if (status == TooManyFunctionEvaluation) {
        result.Stop = nsIterationLimit;
        result.StopArgs = {std::to_string(search.nfev)};
        result.Message = NonlinearStopText(nsIterationLimit) + " (" + std::to_string(search.nfev) + " evaluations)";
    } else if (status == UserAsked) {
        result.Stop = nsEvaluationFault;
        result.Fault = functor.JacobianFault;
        result.Message = NonlinearStopText(nsEvaluationFault) + ": " + functor.JacobianFault->what();
    }
    int polishSteps = 0;
    if (result.Stop == nsConverged) {
        functor.Extended = true;
        if (functor.TryResiduals(b, residuals))
            polishSteps = Polish(functor, b, residuals);
        else
            residuals = search.fvec;  // a value at the edge of a domain, in double only: kept as found
    }

    result.Values.assign(b.data(), b.data() + k);
    Summarise(y, residuals, result);
    result.Evaluations = functor.Evaluations;
    result.Iterations = static_cast<int>(search.njev) + polishSteps;
    if (result.Stop == nsConverged && functor.df(b, jacobian) != 0) {
        result.Stop = nsEvaluationFault;
        result.Fault = functor.JacobianFault;
        result.Message = NonlinearStopText(nsEvaluationFault) + ": " + functor.JacobianFault->what();
    }
    if (result.Stop == nsConverged) {
        result.Converged = true;
        Conclude(jacobian, y, result);
    }
    CheckResultFinite(result);
    return result;
}
