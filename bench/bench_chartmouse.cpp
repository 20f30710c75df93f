// Time per pan step of the chart: one mouse move with the left button held, which moves the
// ranges of layer 1 and repaints the whole chart once, with N marks in the display list. The
// full repaint alone (Paint) at the same N runs beside it as the floor of what a step costs.
//
// The chart is 841 x 550 pixels on axes 0..10, the marks (kind 26) uniformly spread over it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>

#include <memory>
#include <random>
#include <vector>

#include "chart/chart.h"
#include "keptchart.h"

namespace {

constexpr int kChartWidth = 841;
constexpr int kChartHeight = 550;

std::unique_ptr<TRChart> MakeChart(int marks, bool bulk = false)
{
    auto chart = std::make_unique<TRChart>();
    chart->SetBounds(0, 0, kChartWidth, kChartHeight);
    chart->SetLayerRange(1, 0, 0, 10, 10);
    chart->SetDataColor(clGreen);
    chart->SetAllocSize(1000000);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0.0, 10.0);
    if (bulk) {
        std::vector<double> xs(static_cast<std::size_t>(marks)), ys(static_cast<std::size_t>(marks));
        for (int i = 0; i < marks; ++i) {
            xs[std::size_t(i)] = coordinate(random);
            ys[std::size_t(i)] = coordinate(random);
        }
        chart->AddMarks(26, xs, ys);
    } else {
        for (int i = 0; i < marks; ++i) chart->AddMark(26, coordinate(random), coordinate(random));
    }
    chart->SetMouseAction(maPan);
    chart->show();
    chart->Paint();
    return chart;
}

// The chart for `marks`, kept (see keptchart.h).
TRChart& Kept(int marks, bool bulk = false)
{
    return KeptChart(std::pair(marks, bulk), [&] { return MakeChart(marks, bulk); });
}

void SendMove(TRChart& chart, QPoint p, Qt::MouseButtons buttons)
{
    QMouseEvent event(QEvent::MouseMove, p, chart.mapToGlobal(p), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&chart, &event);
}

// Pan steps of a drag on `chart`, back and forth by up to 20 pixels so the picture stays on the
// marks; `picture` is what the step shows.
template <class Picture>
void PanSteps(benchmark::State& state, TRChart& chart, Picture picture)
{
    const QPoint anchor(400, 300);
    SendMove(chart, anchor, Qt::LeftButton);   // the drag's first move: the anchor
    int step = 0;
    for (auto _ : state) {
        const int d = (step++ % 20) - 10;
        SendMove(chart, anchor + QPoint(d, d / 2), Qt::LeftButton);
        benchmark::DoNotOptimize(picture().constBits());
    }
    state.counters["steps_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PanStep(benchmark::State& state)
{
    TRChart* chart = &Kept(int(state.range(0)));
    PanSteps(state, *chart, [&]() -> const QImage& { return chart->ScreenImage(); });
}
BENCHMARK(BM_PanStep)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUp);

// The same with the marks appended in one call, as a taken-over table holds them.
void BM_PanStepBulk(benchmark::State& state)
{
    TRChart* chart = &Kept(int(state.range(0)), true);
    PanSteps(state, *chart, [&]() -> const QImage& { return chart->ScreenImage(); });
}
BENCHMARK(BM_PanStepBulk)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUp);

// The same step on a screen of device pixel ratio 2: the step, then the device image the next
// paint event shows.
void BM_PanStepRatio2(benchmark::State& state)
{
    TRChart* chart = &Kept(int(state.range(0)));
    PanSteps(state, *chart, [&] { return chart->DeviceImage(2.0); });
}
BENCHMARK(BM_PanStepRatio2)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUp);

void BM_FullRepaint(benchmark::State& state)
{
    TRChart* chart = &Kept(int(state.range(0)));
    for (auto _ : state) {
        chart->Paint();
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
    state.counters["paints_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullRepaint)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(kWarmUp);

}  // namespace
