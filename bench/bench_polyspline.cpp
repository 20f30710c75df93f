// The polynomial fit of order 9 and the smoothing spline on the peers' data: x uniform in [0, 10],
// y = 3 sin x + x + N(0, 1).
//  - BM_NormalSums9: one pass forming the sums of the order-9 normal equations over the point
//    table, the floor a one-pass fit cannot beat (not a stable method; for comparison only).
//  - BM_PolynomialFit9: CalcPolynomialFit(9); BM_PolynomialStatistics9: the statistics of that
//    fit (AddStatistics), without and with the residuals kept.
//  - BM_SplineFirstDrawing: the first drawing after the points were entered (sort, preparation
//    and the 201 values), factor 0.5; BM_SplineRedraw: a further drawing of the same points at
//    the same factor, which finds the spline kept (the 201 values only).
// Counters: extraMB, the peak of the resident set during the call above what was resident before
// it; tables, that peak in copies of the point table (16 bytes per point); newtonSteps, the
// spline's passes of the band solver on these points.
//  - BM_SplineFirstDrawingInApplication: BM_SplineFirstDrawing after a QApplication was created
//    (the window's setting: its libraries may leave the wide vector registers dirty).
#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "curvefit/curvefit.h"
#include "curvefit/models.h"

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
    cache.clear();   // one size at a time keeps the process small for the largest one
    cache.emplace_back(n, std::move(d));
    return cache.back().second;
}

void Fill(TCurveFit& fit, const Data& d)
{
    fit.ClearData();
    for (std::size_t i = 0; i < d.x.size(); ++i) fit.AddPoint(d.x[i], d.y[i]);
}

double StatusMegabytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(key) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0) return std::stod(line.substr(prefix.size())) / 1024.0;
    return 0.0;
}

// Peak of the resident set during the calls between Start() and Stop(), above the resident set
// at Start() (the kernel's high-water mark is reset there).
class TPeakMeter {
public:
    void Start()
    {
        std::ofstream("/proc/self/clear_refs") << "5";
        m_base = StatusMegabytes("VmRSS");
    }
    double Stop() const { return StatusMegabytes("VmHWM") - m_base; }

private:
    double m_base = 0.0;
};

void Report(benchmark::State& state, double extraMB, std::size_t n)
{
    state.counters["extraMB"] = extraMB;
    state.counters["tables"] = extraMB * 1024.0 * 1024.0 / (16.0 * double(n));
}

void BM_NormalSums9(benchmark::State& state)
{
    TCurveFit fit;
    Fill(fit, MakeData(std::size_t(state.range(0))));
    const int n = fit.PointCount();
    const double* xs = fit.PointTable().ColumnData(1);
    const double* ys = fit.PointTable().ColumnData(2);
    for (auto _ : state) {
        double powers[19] = {}, moments[10] = {};
        for (int i = 0; i < n; ++i) {
            const double x = xs[i], y = ys[i];
            double p = 1.0;
            for (int j = 0; j < 19; ++j) {
                powers[j] += p;
                if (j < 10) moments[j] += p * y;
                p *= x;
            }
        }
        benchmark::DoNotOptimize(powers);
        benchmark::DoNotOptimize(moments);
    }
}

void BM_PolynomialFit9(benchmark::State& state)
{
    TCurveFit fit;
    const std::size_t n = std::size_t(state.range(0));
    Fill(fit, MakeData(n));
    std::vector<double> c(10);
    double quality = 0.0;
    bool truncated = false;
    TPeakMeter meter;
    double extra = 0.0;
    for (auto _ : state) {
        meter.Start();
        benchmark::DoNotOptimize(fit.CalcPolynomialFit(9, c, quality, truncated));
        extra = std::max(extra, meter.Stop());
        benchmark::DoNotOptimize(c.data());
    }
    state.counters["quality"] = quality;
    Report(state, extra, n);
}

// The statistics of an order-9 fit (AddStatistics: standard errors, residual figures,
// covariance) on top of the fit, timed alone; with range(1) the residuals are kept too.
void BM_PolynomialStatistics9(benchmark::State& state)
{
    TCurveFit engine;
    const std::size_t n = std::size_t(state.range(0));
    Fill(engine, MakeData(n));
    TFitResult fit;
    CalcModelFit(engine, {mkPoly, 9}, fit);
    TStatisticsOptions options;
    options.Residuals = state.range(1) != 0;
    for (auto _ : state) {
        TFitResult withStatistics = fit;
        AddStatistics(engine, withStatistics, options);
        benchmark::DoNotOptimize(withStatistics.Statistics.Rss);
    }
}

// The passes of the band solver on these points with the given factor, from the interpolating
// spline.
int NewtonSteps(TCurveFit& fit, double factor)
{
    const int n = fit.PointCount();
    std::vector<std::pair<double, double>> points(n);
    for (int i = 0; i < n; ++i) points[i] = {fit.PointTable().Elem(1, i + 1), fit.PointTable().Elem(2, i + 1)};
    std::sort(points.begin(), points.end());
    double k, d, q;
    fit.CalcLinFit(k, d, q);
    std::vector<double> x(n + 1), y(n + 1), a(n + 1), b(n + 1), c(n + 1), dd(n + 1);
    double rss = 0.0;
    for (int i = 0; i < n; ++i) {
        x[i + 1] = points[i].first;
        y[i + 1] = points[i].second;
        const double r = y[i + 1] - k * x[i + 1] - d;
        rss += r * r;
    }
    return PenalizedCubicSpline(rss * factor, 1, n, x.data(), y.data(), nullptr, a.data(), b.data(), c.data(),
                                dd.data());
}

constexpr double kFactor = 0.5;

double Draw(TCurveFit& fit)
{
    double quality = 0.0, sum = 0.0;
    fit.SetSplineSmoothing(kFactor);
    bool valid = false;
    for (int i = 0; i <= 200; ++i) sum += fit.SplineValue(i * 0.05, quality, valid);
    return sum + quality;
}

void BM_SplineFirstDrawing(benchmark::State& state)
{
    const std::size_t n = std::size_t(state.range(0));
    const Data& data = MakeData(n);
    TPeakMeter meter;
    double extra = 0.0;
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A new engine each time, so no arrays of an earlier drawing are resident.
        auto fit = std::make_unique<TCurveFit>();
        Fill(*fit, data);
        meter.Start();
        state.ResumeTiming();
        benchmark::DoNotOptimize(Draw(*fit));
        state.PauseTiming();
        extra = std::max(extra, meter.Stop());
        if (steps == 0) steps = NewtonSteps(*fit, kFactor);
        fit.reset();
        state.ResumeTiming();
    }
    Report(state, extra, n);
    state.counters["newtonSteps"] = steps;
}

void BM_SplineRedraw(benchmark::State& state)
{
    const std::size_t n = std::size_t(state.range(0));
    TCurveFit fit;
    Fill(fit, MakeData(n));
    Draw(fit);
    TPeakMeter meter;
    double extra = 0.0;
    for (auto _ : state) {
        meter.Start();
        benchmark::DoNotOptimize(Draw(fit));
        extra = std::max(extra, meter.Stop());
    }
    Report(state, extra, n);
}

// The spline smoothed by generalised cross-validation (kalmira-fit's spline:auto) on new points,
// with its 201 drawn values: the peer is R's smooth.spline(x, y, all.knots = TRUE) on the same
// data, timed beside it by bench/peer_smooth_spline.R.
void BM_SplineAuto(benchmark::State& state)
{
    const std::size_t n = std::size_t(state.range(0));
    const Data& data = MakeData(n);
    double df = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto fit = std::make_unique<TCurveFit>();
        Fill(*fit, data);
        state.ResumeTiming();
        fit->ChooseSplineSmoothingByGcv();
        double quality = 0.0, sum = 0.0;
        bool valid = false;
        for (int i = 0; i <= 200; ++i) sum += fit->SplineValue(i * 0.05, quality, valid);
        benchmark::DoNotOptimize(sum);
        state.PauseTiming();
        df = fit->SplineStats().Df;
        fit.reset();
        state.ResumeTiming();
    }
    state.counters["df"] = df;
}

void BM_SplineFirstDrawingInApplication(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "bench_polyspline";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    BM_SplineFirstDrawing(state);
}

}  // namespace

BENCHMARK(BM_NormalSums9)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_PolynomialStatistics9)->Args({10000, 0})->Args({1000000, 0})->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PolynomialFit9)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_SplineFirstDrawing)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(1);
BENCHMARK(BM_SplineRedraw)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(1);
BENCHMARK(BM_SplineFirstDrawing)->Arg(10000000)->Unit(benchmark::kMillisecond)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Iterations(1);

BENCHMARK(BM_SplineAuto)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Iterations(1);

// Last: the application stays for the rest of the run.
BENCHMARK(BM_SplineFirstDrawingInApplication)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
