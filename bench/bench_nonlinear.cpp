// Nonlinear least squares on the certified problems and on a large table.
//  - BM_NistSet: all 26 one-predictor certified problems from both starts (52 fits), with
//    FitNonlinear: Levenberg-Marquardt, residuals in extended precision, the Gauss-Newton polish
//    and the covariance.
//  - BM_NistSetPlainLevenbergMarquardt: the peer, the same 52 fits by Eigen's
//    Levenberg-Marquardt alone with the same exact Jacobian and tolerances, residuals in double,
//    no polish, no covariance (what the polish and the extended residuals cost).
//  - BM_NistFit/<problem>: one fit from start 1, for the easiest and the costliest problems.
//  - BM_BuiltinLogistic/<n>: the built-in logistic model with its own start on n noisy points.
#include <benchmark/benchmark.h>

#include <unsupported/Eigen/NonLinearOptimization>

#include <random>
#include <string>
#include <vector>

#include "curvefit/builtinmodels.h"
#include "nist_nonlinear.h"

namespace {

const std::vector<TNistProblem>& Problems()
{
    static const std::vector<TNistProblem> problems = [] {
        std::vector<TNistProblem> all;
        for (const char* name : NistNonlinearNames()) all.push_back(ReadNistProblem(NistNonlinearDir(), name));
        return all;
    }();
    return problems;
}

void BM_NistSet(benchmark::State& state)
{
    std::vector<TFormula> models;
    for (const TNistProblem& p : Problems()) models.emplace_back(p.Formula);
    for (auto _ : state) {
        for (std::size_t i = 0; i < models.size(); ++i)
            for (int start : {1, 2}) {
                const TNistProblem& p = Problems()[i];
                benchmark::DoNotOptimize(
                    FitNonlinear(models[i], p.X, p.Y, NistStart(p, models[i].Parameters(), start)).Values.data());
            }
    }
}
BENCHMARK(BM_NistSet)->Unit(benchmark::kMillisecond);

// The model's residuals in double and its Jacobian, as Eigen's search calls them.
struct TPlainFunctor {
    using Scalar = double;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;
    const TFormula& model;
    const TNistProblem& problem;
    std::vector<double> fitted, jacobian;
    int inputs() const { return model.ParameterCount(); }
    int values() const { return static_cast<int>(problem.X.size()); }
    int operator()(const Eigen::VectorXd& b, Eigen::VectorXd& r)
    {
        try {
            model.Evaluate(problem.X, {b.data(), std::size_t(b.size())}, fitted, jacobian);
        } catch (const EFormulaError&) {
            r.setConstant(1e150);
            return 0;
        }
        for (int i = 0; i < values(); ++i) r[i] = fitted[i] - problem.Y[i];
        return 0;
    }
    int df(const Eigen::VectorXd& b, Eigen::MatrixXd& J)
    {
        model.Evaluate(problem.X, {b.data(), std::size_t(b.size())}, fitted, {J.data(), std::size_t(J.size())});
        return 0;
    }
};

void BM_NistSetPlainLevenbergMarquardt(benchmark::State& state)
{
    std::vector<TFormula> models;
    for (const TNistProblem& p : Problems()) models.emplace_back(p.Formula);
    for (auto _ : state) {
        for (std::size_t i = 0; i < models.size(); ++i)
            for (int start : {1, 2}) {
                const TNistProblem& p = Problems()[i];
                const std::vector<double> b0 = NistStart(p, models[i].Parameters(), start);
                TPlainFunctor functor{models[i], p, std::vector<double>(p.X.size()),
                                      std::vector<double>(p.X.size() * b0.size())};
                Eigen::LevenbergMarquardt<TPlainFunctor> search(functor);
                search.parameters.ftol = search.parameters.xtol = 1e-15;
                search.parameters.factor = 10.0;
                search.parameters.maxfev = 1000 * static_cast<Eigen::Index>(b0.size());
                Eigen::VectorXd b = Eigen::Map<const Eigen::VectorXd>(b0.data(), b0.size());
                search.minimize(b);
                benchmark::DoNotOptimize(b.data());
            }
    }
}
BENCHMARK(BM_NistSetPlainLevenbergMarquardt)->Unit(benchmark::kMillisecond);

void BM_NistFit(benchmark::State& state, const char* name)
{
    const TNistProblem* problem = nullptr;
    for (const TNistProblem& p : Problems())
        if (p.Name == name) problem = &p;
    const TFormula model(problem->Formula);
    const std::vector<double> start = NistStart(*problem, model.Parameters(), 1);
    for (auto _ : state) benchmark::DoNotOptimize(FitNonlinear(model, problem->X, problem->Y, start).Values.data());
}
BENCHMARK_CAPTURE(BM_NistFit, Misra1a, "Misra1a")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_NistFit, ENSO, "ENSO")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_NistFit, Bennett5, "Bennett5")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_NistFit, MGH09, "MGH09")->Unit(benchmark::kMicrosecond);

void BM_BuiltinLogistic(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 8.0);
    std::vector<double> x(n), y(n);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = 120.0 * i / (n - 1);
        y[i] = 350.0 / (1.0 + std::exp(-0.08 * (x[i] - 60.0))) + noise(rng);
    }
    const TBuiltinModel& model = *FindBuiltinModel("logistic");
    for (auto _ : state) benchmark::DoNotOptimize(FitBuiltinModel(model, x, y).Values.data());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(BM_BuiltinLogistic)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
