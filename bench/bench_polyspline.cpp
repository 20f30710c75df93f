// The polynomial fit of order 9 and the smoothing spline (preparation plus the 201 evaluations
// of one drawing) on the peers' data: x uniform in [0, 10], y = 3 sin x + x + N(0, 1).
// Counters: the spline's Newton steps, and the peak of the process's resident set.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "curvefit/curvefit.h"

namespace {

struct Data {
    std::vector<double> x, y;
};

const Data& MakeData(std::size_t n)
{
    static std::vector<std::pair<std::size_t, Data>> cache;
    for (const auto& [size, data] : cache)
        if (size == n) return data;
    Data d;
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> ux(0.0, 10.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    d.x.resize(n);
    d.y.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        d.x[i] = ux(rng);
        d.y[i] = 3.0 * std::sin(d.x[i]) + d.x[i] + noise(rng);
    }
    cache.emplace_back(n, std::move(d));
    return cache.back().second;
}

void Fill(TCurveFit& fit, const Data& d)
{
    fit.ClearData();
    for (std::size_t i = 0; i < d.x.size(); ++i) fit.AddPoint(d.x[i], d.y[i]);
}

double PeakResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
}

void BM_PolynomialFit9(benchmark::State& state)
{
    TCurveFit fit;
    Fill(fit, MakeData(std::size_t(state.range(0))));
    std::vector<double> c(10);
    double quality = 0.0;
    bool truncated = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fit.CalcPolynomialFit(9, c, quality, truncated));
        benchmark::DoNotOptimize(c.data());
    }
    state.counters["quality"] = quality;
    state.counters["peakMB"] = PeakResidentMegabytes();
}

// The Newton steps the spline takes on these points with the given factor.
int NewtonSteps(TCurveFit& fit, double factor)
{
    const int n = fit.PointCount();
    std::vector<std::pair<double, double>> points(n);
    for (int i = 0; i < n; ++i) points[i] = {fit.PointTable().Elem(1, i + 1), fit.PointTable().Elem(2, i + 1)};
    std::sort(points.begin(), points.end());
    double k, d, q;
    fit.CalcLinFit(k, d, q);
    std::vector<double> x(n + 1), y(n + 1), dy(n + 1, 1.0), a(n + 1), b(n + 1), c(n + 1), dd(n + 1);
    double rss = 0.0;
    for (int i = 0; i < n; ++i) {
        x[i + 1] = points[i].first;
        y[i + 1] = points[i].second;
        const double r = y[i + 1] - k * x[i + 1] - d;
        rss += r * r;
    }
    return PenalizedCubicSpline(rss * factor, 1, n, x.data(), y.data(), dy.data(), a.data(), b.data(), c.data(),
                                dd.data());
}

void BM_SplineDrawing(benchmark::State& state)
{
    TCurveFit fit;
    Fill(fit, MakeData(std::size_t(state.range(0))));
    constexpr double kFactor = 0.5;
    double quality = 0.0;
    for (auto _ : state) {
        fit.SetSplineSmoothing(kFactor);
        bool valid = false;
        for (int i = 0; i <= 200; ++i) benchmark::DoNotOptimize(fit.SplineValue(i * 0.05, quality, valid));
    }
    state.counters["quality"] = quality;
    state.counters["newtonSteps"] = NewtonSteps(fit, kFactor);
    state.counters["peakMB"] = PeakResidentMegabytes();
}

}  // namespace

BENCHMARK(BM_PolynomialFit9)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_SplineDrawing)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(1);

BENCHMARK_MAIN();
