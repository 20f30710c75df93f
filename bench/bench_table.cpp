// Reading a table of 1e6 rows, beside its floor: std::from_chars over the same bytes already in
// memory, storing into arrays made beforehand (BM_FromCharsFloor). ReadTableFile reads the file
// from the page cache; ReadTableText reads the bytes in memory, the floor's own input. Both
// report the peak of live heap memory during a reading per row (the numbers themselves are 16
// bytes a row). Three files: short numbers as measured data have them ("12.345,0.0123456"), the
// 17 digits a double needs ("0.84018771715470952,..."), and the short numbers under a column of
// quoted row labels as R writes its CSV files ("\"17\",12.345,0.0123456"), which leave the
// reader's fast path for two plain numbers (the floor reads them as if unquoted, past the label).
//
//   bench_table --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "table/tablereader.h"
#include "table/tablewriter.h"

// Live and peak heap bytes, counted by replacing the global allocation functions.
namespace {
std::atomic<long long> g_live{0}, g_peak{0};
constexpr std::size_t kHead = 16;  // keeps the block's size; 16 keeps the alignment of new
}  // namespace

void* operator new(std::size_t size)
{
    void* raw = std::malloc(size + kHead);
    if (!raw) throw std::bad_alloc();
    *static_cast<std::size_t*>(raw) = size;
    const long long live = g_live += static_cast<long long>(size);
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {}
    return static_cast<char*>(raw) + kHead;
}
void operator delete(void* p) noexcept
{
    if (!p) return;
    void* raw = static_cast<char*>(p) - kHead;
    g_live -= static_cast<long long>(*static_cast<std::size_t*>(raw));
    std::free(raw);
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace {

constexpr int kRows = 1'000'000;

struct TCsv {
    std::string path;
    std::string bytes;
};

// kind 0: short numbers; kind 1: 17 significant digits; kind 2: short numbers with R's row labels.
const TCsv& Csv(int kind)
{
    static TCsv files[3];
    TCsv& f = files[kind];
    if (!f.path.empty()) return f;
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    TTable t;
    for (int i = 0; i < kRows; ++i) {
        const double x = uniform(random), y = uniform(random);
        t.X.push_back(kind != 1 ? std::round(x * 1e6) / 1e3 : x);
        t.Y.push_back(kind != 1 ? std::round(y * 1e7) / 1e9 : y);
    }
    TTableWriteOptions o;
    o.Separator = ',';
    if (kind == 2) {
        f.bytes = "\"\",\"x\",\"y\"\n";
        for (int i = 0; i < kRows; ++i)
            f.bytes += "\"" + std::to_string(i + 1) + "\"," + ShortestText(t.X[i]) + "," + ShortestText(t.Y[i]) + "\n";
    } else {
        f.bytes = TableText(t, o);
    }
    const char* tmp = std::getenv("TMPDIR");
    f.path = std::string(tmp ? tmp : "/tmp") + "/bench_table_" + std::to_string(::getpid()) + "_" +
             std::to_string(kind) + ".csv";
    std::ofstream(f.path, std::ios::binary) << f.bytes;
    std::atexit([] {
        for (const TCsv& c : files)
            if (!c.path.empty()) std::remove(c.path.c_str());
    });
    return f;
}

void Report(benchmark::State& state, std::size_t bytes, long long peakDuringRead)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["rows"] = kRows;
    state.counters["peak_heap_B_per_row"] = static_cast<double>(peakDuringRead) / kRows;
}

void BM_ReadTableFile(benchmark::State& state)
{
    const TCsv& csv = Csv(static_cast<int>(state.range(0)));
    long long peak = 0;
    for (auto _ : state) {
        const long long before = g_live;
        g_peak = before;
        TTableReadResult r = ReadTableFile(csv.path);
        peak = g_peak - before;
        if (!r.Ok() || r.Table.X.size() != kRows) state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(r.Table.X.data());
    }
    Report(state, csv.bytes.size(), peak);
}
BENCHMARK(BM_ReadTableFile)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ReadTableText(benchmark::State& state)
{
    const TCsv& csv = Csv(static_cast<int>(state.range(0)));
    long long peak = 0;
    for (auto _ : state) {
        const long long before = g_live;
        g_peak = before;
        TTableReadResult r = ReadTableText(csv.bytes);
        peak = g_peak - before;
        if (!r.Ok() || r.Table.X.size() != kRows) state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(r.Table.X.data());
    }
    Report(state, csv.bytes.size(), peak);
}
BENCHMARK(BM_ReadTableText)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The floor: the bytes are in memory and known to be "x,y\n" rows; std::from_chars reads each
// number into arrays that exist already.
void BM_FromCharsFloor(benchmark::State& state)
{
    const TCsv& csv = Csv(static_cast<int>(state.range(0)));
    std::vector<double> x(kRows), y(kRows);
    for (auto _ : state) {
        const char* p = csv.bytes.data();
        const char* end = p + csv.bytes.size();
        const bool labels = csv.bytes[0] == '"';
        if (labels) p = static_cast<const char*>(std::memchr(p, '\n', csv.bytes.size())) + 1;
        for (int i = 0; p < end; ++i) {
            if (labels) p = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p))) + 1;
            p = std::from_chars(p, end, x[i]).ptr + 1;
            p = std::from_chars(p, end, y[i]).ptr + 1;
        }
        benchmark::DoNotOptimize(x.data());
        benchmark::DoNotOptimize(y.data());
    }
    Report(state, csv.bytes.size(), 0);
}
BENCHMARK(BM_FromCharsFloor)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
