// The chart's paint paths and its display list, each beside its floor measured in the same run:
// - a full Paint of an empty 841 x 550 chart with the main window's settings, and a data-area
//   refresh, against one fill of an 841 x 550 image plus one copy of it to another image (what
//   double buffering costs at the least);
// - appending 1e7 marks to the display list against a plain std::vector push of the same record.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>
#include <vector>

#include "chart/chart.h"

namespace {

constexpr int kWidth = 841;
constexpr int kHeight = 550;
constexpr int kItems = 10'000'000;

// The main window's chart settings on an 841 x 550 control.
std::unique_ptr<TRChart> MainWindowChart()
{
    auto c = std::make_unique<TRChart>();
    c->BeginLoading();
    c->SetBounds(0, 0, kWidth, kHeight);
    c->Font().SetName("Microsoft Sans Serif");
    c->Font().SetHeight(17);
    c->Font().SetColor(clBlack);
    c->SetAllocSize(1000);
    c->SetMarginRight(16);
    c->SetMarginTop(20);
    c->SetMarginBottom(40);
    c->SetGridStyle(gsDotLines);
    c->SetGridColor(clSilver);
    c->SetDataColor(clGreen);
    c->SetMouseAction(maPan);
    c->SetMouseCursorFixed(false);
    c->SetShadowColor(clGray);
    c->SetShadowBakColor(clSilver);
    c->SetCaptionAlignment(taCenter);
    for (TScaleProps* s : {static_cast<TScaleProps*>(&c->Scale1X()), static_cast<TScaleProps*>(&c->Scale1Y())}) {
        s->SetRangeHigh(10);
        s->SetMinTicks(6);
        s->SetShortTicks(false);
        s->Font().SetName("MS Sans Serif");
        s->Font().SetHeight(13);
    }
    c->Loaded();
    c->show();
    c->Paint();
    return c;
}

void BM_FloorFillAndCopy(benchmark::State& state)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    TCanvas target(&screen);
    unsigned colour = 0xFFF0F0F0u;
    for (auto _ : state) {
        image.fill(colour ^= 1);
        target.Draw(0, 0, image);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_FloorFillAndCopy)->Unit(benchmark::kMicrosecond);

void BM_FullPaint(benchmark::State& state)
{
    auto chart = MainWindowChart();
    for (auto _ : state) {
        chart->Paint();
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMicrosecond);

void BM_DataAreaRefresh(benchmark::State& state)
{
    auto chart = MainWindowChart();
    for (auto _ : state) {
        chart->RefreshDataArea();
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
}
BENCHMARK(BM_DataAreaRefresh)->Unit(benchmark::kMicrosecond);

// One axis assignment (the axis-reset command makes four): every scale object is synchronised,
// every layer's range rules re-applied, and the chart painted once.
void BM_AxisAssignment(benchmark::State& state)
{
    auto chart = MainWindowChart();
    double high = 10;
    for (auto _ : state) {
        chart->Scale1X().SetRangeHigh(high = high == 10 ? 11 : 10);
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
}
BENCHMARK(BM_AxisAssignment)->Unit(benchmark::kMicrosecond);

// One pan step: a new range for layer 1 and a full paint.
void BM_PanStep(benchmark::State& state)
{
    auto chart = MainWindowChart();
    double shift = 0;
    for (auto _ : state) {
        shift = shift == 0 ? 0.5 : 0;
        chart->SetLayerRange(1, shift, shift, 10 + shift, 10 + shift);
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
}
BENCHMARK(BM_PanStep)->Unit(benchmark::kMicrosecond);

void BM_AppendMarks(benchmark::State& state)
{
    TRChart chart;
    chart.SetAllocSize(int(state.range(0)));
    double bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kItems; ++i) chart.AddMark(26, i, -i);
        state.PauseTiming();
        bytes = double(chart.ItemStorageBytes()) / chart.ItemCount();
        chart.ClearItems();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    state.counters["bytes_per_item"] = bytes;
}
BENCHMARK(BM_AppendMarks)->Arg(1000)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_VectorPush(benchmark::State& state)
{
    double bytes = 0;
    for (auto _ : state) {
        std::vector<TDisplayItem> items;
        for (int i = 0; i < kItems; ++i) {
            TDisplayItem item{};
            item.Kind = ikMark;
            item.X1 = i;
            item.Y1 = -i;
            item.Layer = 1;
            item.Color = clGreen;
            item.PenStyle = psSolid;
            item.LineWidth = 1;
            item.MarkKind = 26;
            items.push_back(item);
        }
        bytes = double(items.capacity() * sizeof(TDisplayItem)) / items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    state.counters["bytes_per_item"] = bytes;
}
BENCHMARK(BM_VectorPush)->Unit(benchmark::kMillisecond);

}  // namespace
