// Speed of the curve-fit store and the closed-form fits, each beside its floor:
//   - 10 million AddPoint calls vs. one plain pass that forms the same fourteen running sums in
//     long double over the same data (BM_FourteenSumsFloor); AddPoint itself adds only the sums
//     of x and y, the rest are added when a transformed fit first needs them
//     (BM_TransformedFitsFirst: that first fit at 1e7 points, summing included);
//   - CalcLinFit and CalcParabolFit at 1e6 and 1e7 points vs. one plain pass over the point
//     table that accumulates Sx, Sy, Sxx, Sxy, Syy (BM_TablePassFloor);
//   - the four transformed fits at 10 and at 1e7 points (they must cost the same).
//   - the window's curve of each model (SampleCurve, 200 steps, each value under its guard) vs. a
//     plain loop over the same 201 values with no guard and no point list (BM_SampleFloor).
// AddPoint also reports the store's resident memory for 10 million points.
//
//   bench_curvefit --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "curvefit/curvefit.h"
#include "curvefit/models.h"

namespace {

constexpr int kManyPoints = 10'000'000;

// x uniform in [0.5, 10.5], y = 20 + 3 sin x + x + N(0, 1): every point enters every sum, the
// slowest path through AddPoint.
struct Data {
    std::vector<double> x, y;
    explicit Data(int n)
    {
        std::mt19937_64 random(12345);
        std::uniform_real_distribution<double> uniform(0.5, 10.5);
        std::normal_distribution<double> noise(0.0, 1.0);
        x.resize(n);
        y.resize(n);
        for (int i = 0; i < n; ++i) {
            x[i] = uniform(random);
            y[i] = 20 + 3 * std::sin(x[i]) + x[i] + noise(random);
        }
    }
};

const Data& ManyPoints()
{
    static const Data data(kManyPoints);
    return data;
}

// Resident and peak resident size of this process in MiB, from /proc/self/status.
double StatusMiB(const char* key)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    double kib = -1;
    const std::size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, keyLength) == 0) kib = std::atof(line + keyLength);
    std::fclose(f);
    return kib / 1024.0;
}

void BM_AddPoint(benchmark::State& state)
{
    const Data& data = ManyPoints();
    double storeMiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = StatusMiB("VmRSS:");
        auto fit = std::make_unique<TCurveFit>();
        state.ResumeTiming();
        for (int i = 0; i < kManyPoints; ++i) fit->AddPoint(data.x[i], data.y[i]);
        benchmark::DoNotOptimize(fit->PointCount());
        state.PauseTiming();
        storeMiB = StatusMiB("VmRSS:") - before;
        fit.reset();
        state.ResumeTiming();
    }
    state.counters["store_MiB"] = storeMiB;
    state.counters["peak_process_MiB"] = StatusMiB("VmHWM:");
    state.SetItemsProcessed(state.iterations() * kManyPoints);
}
BENCHMARK(BM_AddPoint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The fourteen sums of the store, formed the plain way in one pass.
void BM_FourteenSumsFloor(benchmark::State& state)
{
    const Data& data = ManyPoints();
    for (auto _ : state) {
        long double sx = 0, sy = 0, sxx = 0, syy = 0, sry = 0, sryy = 0, sxry = 0;
        long double slx = 0, slxlx = 0, sylx = 0, slxry = 0, sly = 0, slyly = 0, sxly = 0;
        for (int i = 0; i < kManyPoints; ++i) {
            const long double x = data.x[i], y = data.y[i];
            sx += x;
            sy += y;
            sxx += x * x;
            syy += y * y;
            if (std::fabs(y) > 1e-30L) {
                sry += 1.0L / y;
                sryy += 1.0L / (y * y);
                sxry += x / y;
            }
            if (x > 0) {
                const long double l = std::log(x);
                slx += l;
                slxlx += l * l;
                sylx += y * l;
                if (y != 0) slxry += l / y;
            }
            if (y > 0) {
                const long double m = std::log(y);
                sly += m;
                slyly += m * m;
                sxly += x * m;
            }
        }
        for (long double s : {sx, sy, sxx, syy, sry, sryy, sxry, slx, slxlx, sylx, slxry, sly, slyly, sxly})
            benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * kManyPoints);
}
BENCHMARK(BM_FourteenSumsFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

// A store holding the first n of the many points.
TCurveFit& StoreOf(int n)
{
    static TCurveFit fit;
    static int held = -1;
    if (held != n) {
        const Data& data = ManyPoints();
        fit.ClearData();
        for (int i = 0; i < n; ++i) fit.AddPoint(data.x[i], data.y[i]);
        // The transformed sums brought up to date here, untimed: the fits below then cost what they
        // cost once the points are summed.
        fit.SumFlags();
        held = n;
    }
    return fit;
}

// One plain pass over the point table: the five sums of a straight line.
void BM_TablePassFloor(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const TMatrix& table = StoreOf(n).PointTable();
    const double* xs = table.ColumnData(1);
    const double* ys = table.ColumnData(2);
    for (auto _ : state) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
        for (int i = 0; i < n; ++i) {
            const double x = xs[i], y = ys[i];
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
            syy += y * y;
        }
        for (double s : {sx, sy, sxx, sxy, syy}) benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_TablePassFloor)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalcLinFit(benchmark::State& state)
{
    TCurveFit& fit = StoreOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double k, d, q;
        fit.CalcLinFit(k, d, q);
        benchmark::DoNotOptimize(k);
    }
}
BENCHMARK(BM_CalcLinFit)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalcParabolFit(benchmark::State& state)
{
    TCurveFit& fit = StoreOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double k0, k1, k2, q;
        fit.CalcParabolFit(k0, k1, k2, q);
        benchmark::DoNotOptimize(k0);
    }
}
BENCHMARK(BM_CalcParabolFit)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The four transformed fits, one after the other.
void BM_TransformedFits(benchmark::State& state)
{
    TCurveFit& fit = StoreOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double a, b, q;
        fit.CalcReciLinFit(a, b, q);
        benchmark::DoNotOptimize(a);
        fit.CalcLogFit(a, b, q);
        benchmark::DoNotOptimize(a);
        fit.CalcReciLogFit(a, b, q);
        benchmark::DoNotOptimize(a);
        fit.CalcExponentialFit(a, b, q);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_TransformedFits)->Arg(10)->Arg(10'000'000)->Unit(benchmark::kNanosecond);

// The first of the transformed fits after n points were entered: it adds up the transformed sums.
void BM_TransformedFitsFirst(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const Data& data = ManyPoints();
    auto fit = std::make_unique<TCurveFit>();
    for (auto _ : state) {
        state.PauseTiming();
        fit->ClearData();
        for (int i = 0; i < n; ++i) fit->AddPoint(data.x[i], data.y[i]);
        state.ResumeTiming();
        double a, b, q;
        fit->CalcLogFit(a, b, q);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_TransformedFitsFirst)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Coefficients that keep every model defined on [0.5, 10.5]; the polynomial has order 9.
TFitResult SampledModel(TModelKind kind)
{
    TFitResult fit;
    fit.Model = {kind, 9};
    fit.Coefficients = kind == mkPoly ? std::vector<double>(10, 0.01) : std::vector<double>{1.0, 0.25, 0.125};
    // The polynomials' values come from their centred form: at 0 with scale 1, the same coefficients.
    if (kind == mkPoly || kind == mkParabola) fit.Centered = {0.0, 1.0, fit.Coefficients};
    return fit;
}

const char* const kKindNames[] = {"line", "parabola", "reciprocal", "log", "reciprocal-log", "exp", "poly:9"};

void BM_SampleCurve(benchmark::State& state)
{
    const TFitResult fit = SampledModel(TModelKind(state.range(0)));
    for (auto _ : state) {
        TSampledCurve c = SampleCurve(fit, 0.5, 10.5, kCurveSamples);
        benchmark::DoNotOptimize(c.Points.data());
    }
    state.SetLabel(kKindNames[state.range(0)]);
}
BENCHMARK(BM_SampleCurve)->DenseRange(mkLine, mkPoly)->Unit(benchmark::kMicrosecond);

void BM_SampleFloor(benchmark::State& state)
{
    const TFitResult fit = SampledModel(TModelKind(state.range(0)));
    const std::vector<double>& k = fit.Coefficients;
    for (auto _ : state) {
        double total = 0;
        for (int i = 0; i <= kCurveSamples; ++i) {
            const double x = 0.5 + i * (10.0 / kCurveSamples);
            switch (fit.Model.Kind) {
            case mkLine: total += k[0] * x + k[1]; break;
            case mkParabola: total += k[0] + k[1] * x + k[2] * x * x; break;
            case mkReciprocal: total += 1.0 / (k[0] + k[1] * x); break;
            case mkLog: total += k[0] + k[1] * std::log(x); break;
            case mkReciprocalLog: total += 1.0 / (k[0] + k[1] * std::log(x)); break;
            case mkExp: total += k[0] * std::exp(k[1] * x); break;
            default: {
                double sum = 0, power = 1;
                for (double c : k) {
                    sum += c * power;
                    power *= x;
                }
                total += sum;
            }
            }
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetLabel(kKindNames[state.range(0)]);
}
BENCHMARK(BM_SampleFloor)->DenseRange(mkLine, mkPoly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
