// Time per rendering of axis scales, as the chart draws them on every full repaint: one scale
// into a chart-sized image (opaque and transparent), 32 hidden scales, and two visible ones
// with 30 hidden. A plain QPainter axis with the same ticks and labels runs side by side as
// the reference (the floor of what drawing this picture costs with Qt alone).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include <array>
#include <memory>

#include "common/mathutil.h"
#include "platform/canvas.h"
#include "scale/scale.h"

namespace {

constexpr int kChartWidth = 841;
constexpr int kChartHeight = 550;

struct ChartImage {
    QImage image{kChartWidth, kChartHeight, QImage::Format_RGB32};
    TCanvas canvas{&image};
    ChartImage() { image.fill(0xFFFFFFFFu); }
};

// The main window's axis: 0 to 10, MinTicks 6, labels 0.0 to 10.0.
void MainWindowAxis(TScale& s, TScaleType type, bool shortTicks)
{
    s.resize(kChartWidth, kChartHeight);
    s.SuspendPaint(true);
    s.SetEmbedded(true);
    s.SetTransparent(true);
    s.SetFrameStyle(fsNone);
    s.SetScaleType(type);
    s.SetRangeLow(0);
    s.SetRangeHigh(10);
    s.SetMinTicks(6);
    s.SetShortTicks(shortTicks);
    s.SetMarginLeft(60);
    s.SetMarginRight(226);
    s.SetMarginTop(20);
    s.SetMarginBottom(30);
}

void BM_TransparentScale(benchmark::State& state)
{
    ChartImage chart;
    TScale s;
    MainWindowAxis(s, state.range(0) ? sctYR : sctXT, true);
    s.SetExternalCanvas(&chart.canvas, 0, 0);
    for (auto _ : state) {
        s.RenderNow();
        benchmark::DoNotOptimize(chart.image.constBits());
    }
    state.SetLabel(state.range(0) ? "vertical, 11 labels, 51 short ticks" : "horizontal, 11 labels, 51 short ticks");
}
BENCHMARK(BM_TransparentScale)->Arg(0)->Arg(1);

void BM_OpaqueScale(benchmark::State& state)
{
    ChartImage chart;
    TScale s;  // the stand-alone default: 400 x 400, 0 to 100, lowered frame
    s.SetExternalCanvas(&chart.canvas, 0, 0);
    for (auto _ : state) {
        s.RenderNow();
        benchmark::DoNotOptimize(chart.image.constBits());
    }
}
BENCHMARK(BM_OpaqueScale);

void BM_DateTimeScale(benchmark::State& state)
{
    ChartImage chart;
    TScale s;
    MainWindowAxis(s, sctXT, true);
    s.SetLabelType(ftDateTime);
    s.SetRangeLow(38000);
    s.SetRangeHigh(38001);
    s.SetExternalCanvas(&chart.canvas, 0, 0);
    for (auto _ : state) {
        s.RenderNow();
        benchmark::DoNotOptimize(chart.image.constBits());
    }
}
BENCHMARK(BM_DateTimeScale);

// 32 scales, `visible` of them shown, as one full repaint of the chart's axes.
void BM_ChartAxes(benchmark::State& state)
{
    const int visible = int(state.range(0));
    ChartImage chart;
    std::array<std::unique_ptr<TScale>, 32> scales;
    for (int i = 0; i < 32; ++i) {
        scales[i] = std::make_unique<TScale>();
        MainWindowAxis(*scales[i], i < 16 ? sctXT : sctYR, false);
        scales[i]->SetExternalCanvas(&chart.canvas, 0, 0);
        scales[i]->SetVisible(i == 0 ? visible >= 1 : i == 16 ? visible >= 2 : false);
    }
    for (auto _ : state) {
        for (auto& s : scales) s->RenderNow();
        benchmark::DoNotOptimize(chart.image.constBits());
    }
    state.SetLabel(visible == 0 ? "32 hidden" : "2 visible + 30 hidden");
}
BENCHMARK(BM_ChartAxes)->Arg(0)->Arg(2);

// The reference: the same horizontal axis drawn with QPainter alone (baseline, 51 short and 11
// long ticks, 11 centred labels), without tick computation or label formatting.
void BM_QPainterAxis(benchmark::State& state)
{
    ChartImage chart;
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    const QStringList labels = {"0.0", "1.0", "2.0", "3.0", "4.0", "5.0", "6.0", "7.0", "8.0", "9.0", "10.0"};
    const int left = 60, right = kChartWidth - 226 - 1, by = 20;
    for (auto _ : state) {
        QPainter p(&chart.image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::black);
        p.setFont(font);
        const double ppu = (right - left) / 10.0;
        for (int j = 0; j <= 50; ++j) {
            const int x = RoundToInt(left + j * 0.2 * ppu);
            p.drawLine(x, by, x, by + 3);
        }
        for (int i = 0; i <= 10; ++i) {
            const int x = RoundToInt(left + i * ppu);
            p.drawLine(x, by, x, by + 6);
            p.drawText(QRect(x - 20, by + 7, 40, 14), Qt::AlignHCenter | Qt::AlignTop, labels[i]);
        }
        p.drawLine(left, by, right - 1, by);
        p.end();
        benchmark::DoNotOptimize(chart.image.constBits());
    }
}
BENCHMARK(BM_QPainterAxis);

}  // namespace
