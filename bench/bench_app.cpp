// The main window's speed as a user meets it.
//   AppStartup: spawn to the chart's first paint of Kalmira's window (app_startup_probe) beside
//     the minimal Qt window of the peers (startup_app), alternating, in one run; medians and the
//     ratio as counters. The peer is found in $PEERS_BUILD or /tmp/kalmira-peers/build.
//   FitCommand/<command>/<n>: one click on a fit button with n points entered through the engine
//     and the chart: fit, marks and curve repainted, captions; the window's pending paints
//     included.
//   SplineScrollStep/<n>: one step of the smoothing scroll bar (1 % of its range, between the
//     factors 0.50 and 0.51) after the spline command, the curve drawn.
//   SplineCommandFirst/<n>: the spline command on n points the engine has not seen before (sorted
//     anew, p searched from its start), the curve drawn.
//   LoadTable/<n>: "Werte-Tabelle laden" of an n-row CSV file into the value table, beside
//     ReadTable/<n>, the reader alone keeping the same file as a table; counters give the bytes a
//     row that the grid holds and the peak growth of the process while loading.
//   TakeOver/<n>: "Werte übernehmen" of n table rows (engine and chart marks) and the full
//     repaint after it.
//   WindowMemory/<n>: the window's memory per point with n rows taken over and drawn (value
//     table, engine, marks), the peak while taking them over, and both again after the spline
//     command; measured on the process's resident memory.
// GUI runs need QT_QPA_PLATFORM=offscreen (set here when no platform is chosen).
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/frmmain.h"
#include "app/tablefiles.h"
#include "app/valuegrid.h"
#include "table/tablereader.h"
#include <fstream>
#include <sys/resource.h>
#include "app/speedbutton.h"
#include "chart/chart.h"

extern char** environ;

namespace {

double NowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Spawns `program` with the clock reading in STARTUP_T0_NS and returns its first-paint
// milestone (the fourth number it prints), or a negative value when it failed.
double SpawnFirstPaint(const std::string& program)
{
    int fds[2];
    if (pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "STARTUP_T0_NS=", 14) != 0) env.emplace_back(*e);
    const double t0 = NowNs();
    env.push_back("STARTUP_T0_NS=" + std::to_string(static_cast<long long>(t0)));
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), envp.data());
    close(fds[1]);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    std::string out;
    char buf[256];
    ssize_t k;
    while ((k = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, std::size_t(k));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    double v[4] = {0, 0, 0, 0};
    if (std::sscanf(out.c_str(), "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]) != 4 || status != 0) return -1;
    return v[3];
}

std::string ProbePath()
{
    return QCoreApplication::applicationDirPath().toStdString() + "/app_startup_probe";
}

std::string PeerPath()
{
    const char* b = std::getenv("PEERS_BUILD");
    return std::string(b ? b : "/tmp/kalmira-peers/build") + "/startup_app";
}

void AppStartup(benchmark::State& state)
{
    constexpr int kWarmup = 3, kRuns = 20;
    const std::string probe = ProbePath(), peer = PeerPath();
    if (access(peer.c_str(), X_OK) != 0) {
        state.SkipWithError(("peer missing: " + peer + " (bash ../shared/peers/build.sh)").c_str());
        return;
    }
    QTemporaryDir work;                      // the window writes its data file when it closes
    const QString old = QDir::currentPath();
    QDir::setCurrent(work.path());
    std::vector<double> ours, theirs;
    for (auto _ : state) {
        for (int r = -kWarmup; r < kRuns; ++r) {
            const double a = SpawnFirstPaint(probe);
            const double b = SpawnFirstPaint(peer);
            if (a < 0 || b < 0) {
                state.SkipWithError("a start-up run failed");
                break;
            }
            if (r >= 0) {
                ours.push_back(a);
                theirs.push_back(b);
            }
        }
    }
    QDir::setCurrent(old);
    state.counters["kalmira_ms"] = Median(ours);
    state.counters["peer_ms"] = Median(theirs);
    state.counters["ratio"] = Median(theirs) > 0 ? Median(ours) / Median(theirs) : 0;
}
BENCHMARK(AppStartup)->Iterations(1)->Unit(benchmark::kMillisecond);

// Noisy points on a wavy rising curve inside the default axes (0..10), all x > 0 and y > 0 so
// every model fits.
void EnterPoints(TFrmMain& w, int n)
{
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> ux(0.05, 10.0);
    std::normal_distribution<double> noise(0.0, 0.3);
    w.Stats1().ClearData();
    w.RChart1->ClearItems();
    for (int i = 0; i < n; ++i) {
        const double x = ux(rng);
        const double y = std::max(0.05, 1 + 0.6 * x + 0.8 * std::sin(x) + noise(rng));
        w.RChart1->AddMark(26, x, y);
        w.Stats1().AddPoint(x, y);
    }
    w.UpdateOrderLimit();
    w.RChart1->ShowItems();
    QApplication::processEvents();
}

TSpeedButton* Button(TFrmMain& w, int index)
{
    TSpeedButton* buttons[] = {w.BButLinFit, w.BButParabolFit, w.BButCalcReciprLine, w.BButLogFit,
                               w.SBRecipLog, w.SBExpo, w.BButPolynomial, w.BButSpline};
    return buttons[index];
}

const char* kCommandNames[] = {"Lin", "Parabolic", "Reciproc", "Log", "RecipLog", "Expon", "Polynom", "Spline"};

void FitCommand(benchmark::State& state)
{
    const int command = int(state.range(0)), n = int(state.range(1));
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    EnterPoints(w, n);
    TSpeedButton* b = Button(w, command);
    // One click before the timing: the first fit of a transformed model after new points adds up
    // their transformed sums (TakeOver no longer does).
    b->click();
    QApplication::processEvents();
    for (auto _ : state) {
        b->click();
        QApplication::processEvents();
    }
    state.SetLabel(kCommandNames[command]);
    state.counters["points"] = n;
}
BENCHMARK(FitCommand)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7}, {100000, 1000000}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// The same fit commands while the statistics window is open: each fit also computes its
// statistics and residuals and shows them with the residual plot. FitCommand of the same command
// is the peer, the command with the window closed.
void FitCommandWithStatistics(benchmark::State& state)
{
    const int command = int(state.range(0)), n = int(state.range(1));
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    EnterPoints(w, n);
    w.Statistik1->trigger();
    TSpeedButton* b = Button(w, command);
    b->click();
    QApplication::processEvents();
    for (auto _ : state) {
        b->click();
        QApplication::processEvents();
    }
    state.SetLabel(kCommandNames[command]);
    state.counters["points"] = n;
}
BENCHMARK(FitCommandWithStatistics)
    ->ArgsProduct({{0, 1, 6}, {1000000}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

void SplineScrollStep(benchmark::State& state)
{
    const int n = int(state.range(0));
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    EnterPoints(w, n);
    w.BButSpline->click();
    w.SBarSmoothSpline->setValue(500);   // factor 1 is the straight line, taken at once
    QApplication::processEvents();
    int pos = 500;
    for (auto _ : state) {
        pos = pos == 500 ? 510 : 500;
        w.SBarSmoothSpline->setValue(pos);
        QApplication::processEvents();
    }
    state.counters["points"] = n;
}
BENCHMARK(SplineScrollStep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(SplineScrollStep)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(4);

void SplineCommandFirst(benchmark::State& state)
{
    const int n = int(state.range(0));
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        EnterPoints(w, n);
        state.ResumeTiming();
        w.BButSpline->click();
        QApplication::processEvents();
    }
    state.counters["points"] = n;
}
BENCHMARK(SplineCommandFirst)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SplineCommandFirst)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// An n-row CSV file of two 17-digit columns, made once per size in the temporary folder.
std::string TableFile(int n)
{
    static QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/table" + std::to_string(n) + ".csv";
    if (access(path.c_str(), R_OK) == 0) return path;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(-1000, 1000);
    std::ofstream out(path);
    out.precision(17);
    out << "x,y\n";
    for (int i = 0; i < n; ++i) out << u(rng) << ',' << u(rng) << '\n';
    return path;
}

long PeakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void ReadTable(benchmark::State& state)
{
    const int n = int(state.range(0));
    const std::string path = TableFile(n);
    for (auto _ : state) {
        TTableReadResult r = ReadTableFile(path);
        if (!r.Ok() || int(r.Table.X.size()) != n) state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(r.Table.X.data());
    }
    state.counters["rows"] = n;
}
BENCHMARK(ReadTable)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void LoadTable(benchmark::State& state)
{
    const int n = int(state.range(0));
    const std::string path = TableFile(n);
    const long before = PeakRssKb();
    double bytesPerRow = 0;
    for (auto _ : state) {
        TValueGridModel grid(24);
        // The file's rows and the empty row to type on.
        if (!LoadTableIntoGrid(nullptr, grid, path, false) || grid.DataRows() != n + 1) state.SkipWithError("loading failed");
        bytesPerRow = double(grid.MemoryBytes()) / n;
    }
    state.counters["rows"] = n;
    state.counters["grid_bytes_per_row"] = bytesPerRow;
    state.counters["peak_growth_bytes_per_row"] = double(PeakRssKb() - before) * 1024.0 / n;
}
BENCHMARK(LoadTable)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// n rows of random values in (0.05, 10) in the window's value table.
void FillTable(TFrmMain& w, int n)
{
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(0.05, 10.0);
    std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[std::size_t(i)] = u(rng);
        y[std::size_t(i)] = u(rng);
    }
    w.WerteTabelleGrid->Model().SetNumbers(x, y);
}

void TakeOver(benchmark::State& state)
{
    const int n = int(state.range(0));
    TFrmMain w;
    w.show();
    QApplication::processEvents();
    FillTable(w, n);
    for (auto _ : state) {
        // Each round starts from an empty chart: the marks of the rounds before would add up.
        state.PauseTiming();
        w.RChart1->ClearItems();
        state.ResumeTiming();
        w.WerteUebernehmenBtn->click();
        w.RChart1->Paint();
        QApplication::processEvents();
    }
    state.counters["points"] = n;
}
BENCHMARK(TakeOver)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(TakeOver)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The resident memory and its peak since the last ResetPeak, in bytes (Linux).
long StatusBytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t len = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, len, field) == 0) return std::stol(line.substr(len + 1)) * 1024;
    return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void WindowMemory(benchmark::State& state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        TFrmMain w;
        w.show();
        QApplication::processEvents();
        w.RChart1->Paint();
        const long base = StatusBytes("VmRSS:");
        FillTable(w, n);
        ResetPeak();
        w.WerteUebernehmenBtn->click();
        w.RChart1->Paint();
        QApplication::processEvents();
        state.counters["bytes_per_point"] = double(StatusBytes("VmRSS:") - base) / n;
        state.counters["peak_bytes_per_point"] = double(StatusBytes("VmHWM:") - base) / n;
        ResetPeak();
        w.BButSpline->click();
        QApplication::processEvents();
        state.counters["with_spline_bytes_per_point"] = double(StatusBytes("VmRSS:") - base) / n;
        state.counters["spline_peak_bytes_per_point"] = double(StatusBytes("VmHWM:") - base) / n;
    }
}
BENCHMARK(WindowMemory)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
