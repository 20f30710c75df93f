// Full repaint of the chart at 841 x 550 with N data marks of kind 26 (the 5 x 5 disc) and one
// 201-point curve, as the main window draws them: scales, dotted grid, marks, curve, frame. Beside
// it, in the same process, the floor: a 5 x 5 disc stamped straight into the pixel buffer for
// every point, with grid, curve and axes through QPainter (the peers' "stamp" picture). The
// data are those of the peers' render benchmark: x uniform in [0, 10], y = 3 sin x + x + N(0, 1).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "chart/chart.h"
#include "chart/tests/chartprobe.h"
#include "keptchart.h"

namespace {

constexpr int kWidth = 841, kHeight = 550;
constexpr double kXMin = 0.0, kXMax = 10.0, kYMin = -8.0, kYMax = 18.0;

struct Data {
    std::vector<double> x, y, cx, cy;
};

const Data& DataOf(std::size_t n)
{
    static std::size_t cachedN = std::size_t(-1);
    static Data d;
    if (cachedN == n) return d;
    cachedN = n;
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> ux(kXMin, kXMax);
    std::normal_distribution<double> noise(0.0, 1.0);
    d.x.resize(n);
    d.y.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        d.x[i] = ux(rng);
        d.y[i] = 3.0 * std::sin(d.x[i]) + d.x[i] + noise(rng);
    }
    d.cx.resize(201);
    d.cy.resize(201);
    for (int i = 0; i <= 200; ++i) {
        d.cx[std::size_t(i)] = kXMin + (kXMax - kXMin) * i / 200.0;
        d.cy[std::size_t(i)] = 3.0 * std::sin(d.cx[std::size_t(i)]) + d.cx[std::size_t(i)];
    }
    return d;
}

// The chart as the main window sets it up, holding the marks and the curve.
std::unique_ptr<TRChart> MainWindowChart(std::size_t n, bool bulk = false)
{
    auto chart = std::make_unique<TRChart>();
    chart->SetBounds(0, 0, kWidth, kHeight);
    chart->SetGridStyle(gsDotLines);
    chart->SetGridColor(clSilver);
    chart->SetDataColor(clGreen);
    for (TScaleProps* s : {static_cast<TScaleProps*>(&chart->Scale1X()), static_cast<TScaleProps*>(&chart->Scale1Y())}) {
        s->SetMinTicks(6);
        s->SetShortTicks(false);
    }
    chart->SetLayerRange(1, kXMin, kYMin, kXMax, kYMax);
    const Data& d = DataOf(n);
    if (bulk)
        chart->AddMarks(26, d.x, d.y);
    else
        for (std::size_t i = 0; i < n; ++i) chart->AddMark(26, d.x[i], d.y[i]);
    chart->SetDataColor(clRed);
    chart->AddMoveTo(d.cx[0], d.cy[0]);
    for (std::size_t i = 1; i < d.cx.size(); ++i) chart->AddLineTo(d.cx[i], d.cy[i]);
    chart->show();
    chart->SetPaintLock(false);
    return chart;
}

// The chart for n marks, kept (see keptchart.h).
TRChart& Kept(std::size_t n, bool bulk = false)
{
    return KeptChart(std::pair(n, bulk), [&] { return MainWindowChart(n, bulk); });
}

void BM_ChartRepaint(benchmark::State& state)
{
    const auto n = std::size_t(state.range(0));
    TRChart* chart = &Kept(n);
    for (auto _ : state) {
        chart->Paint();
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
    state.counters["marks/s"] = benchmark::Counter(double(n) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChartRepaint)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUp);

// The same with the marks appended in one call, as a taken-over table holds them.
void BM_ChartRepaintBulk(benchmark::State& state)
{
    const auto n = std::size_t(state.range(0));
    TRChart* chart = &Kept(n, true);
    for (auto _ : state) {
        chart->Paint();
        benchmark::DoNotOptimize(chart->ScreenImage().constBits());
    }
    state.counters["marks/s"] = benchmark::Counter(double(n) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChartRepaintBulk)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUp);

// A repaint on a screen of device pixel ratio 2: the full repaint, then the picture drawn once
// more at device resolution, as paintEvent shows it.
void BM_ChartRepaintRatio2(benchmark::State& state)
{
    const auto n = std::size_t(state.range(0));
    TRChart* chart = &Kept(n);
    for (auto _ : state) {
        chart->Paint();
        benchmark::DoNotOptimize(chart->DeviceImage(2.0).constBits());
    }
    state.counters["marks/s"] = benchmark::Counter(double(n) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChartRepaintRatio2)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUp);

// The data area alone: background, grid, items, frame.
void BM_ChartRenderData(benchmark::State& state)
{
    const auto n = std::size_t(state.range(0));
    TRChart* chart = &Kept(n);
    chart->Paint();
    TBitmap& data = TChartProbe::DataImage(*chart);
    for (auto _ : state) {
        TChartProbe::RenderChartBackground(*chart, data.Canvas(), 0, 0);
        TChartProbe::RenderData(*chart, data.Canvas(), 0, 0, false, false);
        benchmark::DoNotOptimize(data.Image().constBits());
    }
}
BENCHMARK(BM_ChartRenderData)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUp);

// ---- the floor ----

const int kHalf[5] = {1, 2, 2, 2, 1};  // disc rows of widths 3, 5, 5, 5, 3

struct Plot {
    QRect plot{60, 20, 555, 500};
    double sx = (plot.width() - 1) / (kXMax - kXMin);
    double sy = (plot.height() - 1) / (kYMax - kYMin);
    double px(double x) const { return plot.left() + (x - kXMin) * sx; }
    double py(double y) const { return plot.top() + (kYMax - y) * sy; }
};

void StampFrame(QImage& img, const Data& d, const Plot& g)
{
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setPen(QPen(QColor(200, 200, 200), 0, Qt::DotLine));
        for (int i = 0; i <= 10; ++i) p.drawLine(QPointF(g.px(i), g.plot.top()), QPointF(g.px(i), g.plot.bottom()));
        for (int v = -8; v <= 18; v += 2) p.drawLine(QPointF(g.plot.left(), g.py(v)), QPointF(g.plot.right(), g.py(v)));
    }
    const quint32 c = QColor(31, 119, 180).rgba();
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    const int L = g.plot.left(), R = g.plot.right(), T = g.plot.top(), B = g.plot.bottom();
    const double ox = g.plot.left() - kXMin * g.sx + 0.5, oy = g.plot.top() + kYMax * g.sy + 0.5;
    for (std::size_t i = 0; i < d.x.size(); ++i) {
        const double fx = ox + d.x[i] * g.sx, fy = oy - d.y[i] * g.sy;
        if (!(fx >= L && fx < R + 1 && fy >= T && fy < B + 1)) continue;
        const int cx = int(fx), cy = int(fy);
        if (cx - 2 >= L && cx + 2 <= R && cy - 2 >= T && cy + 2 <= B) {
            quint32* row = reinterpret_cast<quint32*>(bits + (cy - 2) * bpl) + cx;
            row[-1] = row[0] = row[1] = c;
            for (int r = 1; r <= 3; ++r) {
                row = reinterpret_cast<quint32*>(reinterpret_cast<uchar*>(row) + bpl);
                row[-2] = row[-1] = row[0] = row[1] = row[2] = c;
            }
            row = reinterpret_cast<quint32*>(reinterpret_cast<uchar*>(row) + bpl);
            row[-1] = row[0] = row[1] = c;
        } else {
            for (int r = 0; r < 5; ++r) {
                const int y = cy - 2 + r;
                if (y < T || y > B) continue;
                quint32* line = reinterpret_cast<quint32*>(bits + y * bpl);
                for (int x = std::max(L, cx - kHalf[r]); x <= std::min(R, cx + kHalf[r]); ++x) line[x] = c;
            }
        }
    }
    QPainter p(&img);
    QPolygonF poly(int(d.cx.size()));
    for (std::size_t i = 0; i < d.cx.size(); ++i) poly[int(i)] = QPointF(g.px(d.cx[i]), g.py(d.cy[i]));
    p.setClipRect(g.plot);
    p.setPen(QPen(QColor(214, 39, 40), 0));
    p.drawPolyline(poly);
    p.setClipping(false);
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(g.plot.adjusted(0, 0, -1, -1));
    for (int i = 0; i <= 10; ++i) {
        const double x = g.px(i);
        p.drawLine(QPointF(x, g.plot.bottom()), QPointF(x, g.plot.bottom() + 5));
        p.drawText(QRectF(x - 20, g.plot.bottom() + 7, 40, 14), Qt::AlignCenter, QString::number(i));
    }
    for (int v = -8; v <= 18; v += 2) {
        const double y = g.py(v);
        p.drawLine(QPointF(g.plot.left() - 5, y), QPointF(g.plot.left(), y));
        p.drawText(QRectF(g.plot.left() - 50, y - 7, 43, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
}

void BM_StampFloor(benchmark::State& state)
{
    const Data& d = DataOf(std::size_t(state.range(0)));
    QImage img(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const Plot g;
    for (auto _ : state) {
        StampFrame(img, d, g);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_StampFloor)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUp);

}  // namespace
