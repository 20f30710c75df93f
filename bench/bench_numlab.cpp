// Repaint cost of the numeric display label with the main window's settings, 10000 repaints
// with a changing value per run:
//   NumLabSetValueRepaint: the setter on a shown label (off-screen image, one copy to the
//     widget's backing store), what a fit costs the label;
//   NumLabRenderImage: only the off-screen image;
//   PlainQPainterFloor: the least a label can cost: one QImage of the same size, a fill, one
//     drawText of the number and nothing else.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <cstdio>

#include "numlab/numlab.h"

namespace {

constexpr int kRepaints = 10000;

void Configure(TNumLab& lab)
{
    lab.resize(193, 22);
    lab.Font().SetName("Arial");
    lab.Font().SetHeight(13);
    lab.SetLeftText("Anpassungsgrad:  ");
    lab.SetLeftSpace(120);
    lab.SetLabelWidth(60);
    lab.SetDisplayType(dtFixP);
    lab.SetPrecision(4);
    lab.SetColorLabBakG(clSilver);
}

void NumLabSetValueRepaint(benchmark::State& state)
{
    QWidget window;
    window.resize(220, 40);
    TNumLab* lab = new TNumLab(&window);
    Configure(*lab);
    window.show();
    QApplication::processEvents();
    int i = 0;
    for (auto _ : state) lab->SetValue(0.5 + 1e-5 * (++i));
    state.SetItemsProcessed(state.iterations());
}

void NumLabRenderImage(benchmark::State& state)
{
    TNumLab lab;
    Configure(lab);
    int i = 0;
    for (auto _ : state) {
        lab.SetValue(0.5 + 1e-5 * (++i));
        benchmark::DoNotOptimize(lab.RenderImage());
    }
    state.SetItemsProcessed(state.iterations());
}

void PlainQPainterFloor(benchmark::State& state)
{
    QFont font("Liberation Sans");
    font.setPixelSize(13);
    font.setStyleStrategy(QFont::NoAntialias);
    int i = 0;
    for (auto _ : state) {
        QImage image(193, 22, QImage::Format_RGB32);
        image.fill(Qt::lightGray);
        QPainter painter(&image);
        painter.setFont(font);
        painter.drawText(QPoint(140, 15), QString::number(0.5 + 1e-5 * (++i), 'f', 4));
        painter.end();
        benchmark::DoNotOptimize(image);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(PlainQPainterFloor)->Iterations(kRepaints)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(NumLabRenderImage)->Iterations(kRepaints)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(NumLabSetValueRepaint)->Iterations(kRepaints)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
