// Canvas fills, copies and far-reaching lines on a chart-sized image. The pixel-by-pixel loops
// (QImage::setPixel per pixel) run side by side as the reference for the row-wise fills and
// copies; the far line shows that its cost follows the visible pixels.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <climits>

#include "platform/canvas.h"

namespace {

constexpr int kWidth = 841;
constexpr int kHeight = 550;

void FillRectRowWise(benchmark::State& state)
{
    TBitmap bmp(kWidth, kHeight);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetColor(clRed);
    for (auto _ : state) {
        c.FillRect({0, 0, kWidth, kHeight});
        benchmark::DoNotOptimize(bmp.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(FillRectRowWise);

void FillRectPixelByPixel(benchmark::State& state)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) img.setPixel(x, y, 0xFFFF0000u);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(FillRectPixelByPixel);

void XorRectangleRowWise(benchmark::State& state)
{
    TBitmap bmp(kWidth, kHeight);
    TCanvas& c = bmp.Canvas();
    c.Pen().SetMode(pmXor);
    for (auto _ : state) {
        c.Rectangle(10, 10, kWidth - 10, kHeight - 10);
        benchmark::DoNotOptimize(bmp.Image().constBits());
    }
}
BENCHMARK(XorRectangleRowWise);

void DrawBitmapRowWise(benchmark::State& state)
{
    TBitmap src(kWidth, kHeight), dst(kWidth, kHeight);
    for (auto _ : state) {
        dst.Canvas().Draw(0, 0, src);
        benchmark::DoNotOptimize(dst.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(DrawBitmapRowWise);

void DrawBitmapPixelByPixel(benchmark::State& state)
{
    QImage src(kWidth, kHeight, QImage::Format_RGB32), dst(kWidth, kHeight, QImage::Format_RGB32);
    src.fill(0xFFFFFFFFu);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) dst.setPixel(x, y, src.pixel(x, y) | 0xFF000000u);
        benchmark::DoNotOptimize(dst.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(DrawBitmapPixelByPixel);

// A dotted line from one end of int to the other across the image, and one across the image only.
void DottedLineAcrossIntRange(benchmark::State& state)
{
    TBitmap bmp(kWidth, kHeight);
    TCanvas& c = bmp.Canvas();
    c.Pen().SetStyle(psDot);
    for (auto _ : state) {
        c.MoveTo(INT_MIN, -1000000000);
        c.LineTo(INT_MAX, 1000000000);
    }
}
BENCHMARK(DottedLineAcrossIntRange);

void DottedLineAcrossImage(benchmark::State& state)
{
    TBitmap bmp(kWidth, kHeight);
    TCanvas& c = bmp.Canvas();
    c.Pen().SetStyle(psDot);
    for (auto _ : state) {
        c.MoveTo(0, 0);
        c.LineTo(kWidth, kHeight);
    }
}
BENCHMARK(DottedLineAcrossImage);

}  // namespace
