// kalmira-fit --model line on a file of 1e7 rows, end to end as a user runs it (process start,
// reading, the fit, the output), beside numpy's loadtxt and polyfit(x, y, 1) on the same file
// in the same run (BM_NumpyLoadtxtPolyfit; /usr/bin/python3 with numpy). Each reports its wall
// time, its processor time (child_cpu_s) and its peak resident memory (peak_MiB), the last two
// from the child's rusage.
//
//   bench_fitcli --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "table/tablewriter.h"

extern char** environ;

namespace {

constexpr int kRows = 10'000'000;

// x with three decimals, y = 20 + 3 sin x + x + noise with six: "12.345,35.123456".
const std::string& BigFile()
{
    static std::string path;
    if (!path.empty()) return path;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> uniform(0.0, 1000.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    TTable t;
    t.X.reserve(kRows);
    t.Y.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        const double x = std::round(uniform(random) * 1e3) / 1e3;
        t.X.push_back(x);
        t.Y.push_back(std::round((20 + 3 * std::sin(x) + x + noise(random)) * 1e6) / 1e6);
    }
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp ? tmp : "/tmp") + "/bench_fitcli_" + std::to_string(::getpid()) + ".csv";
    TTableWriteOptions o;
    o.Separator = ',';
    if (WriteTableFile(path, t, o) != 0) std::abort();
    std::atexit([] { std::remove(path.c_str()); });
    return path;
}

// Runs the program, its output to /dev/null; returns false when it fails.
bool Spawn(const std::vector<std::string>& args, char** env, double& peakMiB, double& cpuSeconds)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    peakMiB = usage.ru_maxrss / 1024.0;
    cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Run(benchmark::State& state, const std::vector<std::string>& args, char** env)
{
    double peak = 0, cpu = 0;
    for (auto _ : state)
        if (!Spawn(args, env, peak, cpu)) state.SkipWithError("the program failed");
    state.counters["rows"] = kRows;
    state.counters["peak_MiB"] = peak;
    state.counters["child_cpu_s"] = cpu;  // user + system time: less noisy than wall time on a busy machine
}

void BM_KalmiraFitLine(benchmark::State& state)
{
    Run(state, {KALMIRA_FIT_PATH, "--model", "line", BigFile()}, environ);
}
BENCHMARK(BM_KalmiraFitLine)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_NumpyLoadtxtPolyfit(benchmark::State& state)
{
    // The machine's OpenBLAS settings are left out for this one command only.
    static std::vector<std::string> kept;
    static std::vector<char*> env;
    if (env.empty()) {
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "OPENBLAS_CORETYPE=", 18) != 0 && std::strncmp(*e, "OPENBLAS_L2_SIZE=", 17) != 0)
                kept.emplace_back(*e);
        for (std::string& e : kept) env.push_back(e.data());
        env.push_back(nullptr);
    }
    const std::string script = "import sys, numpy as np\n"
                               "d = np.loadtxt(sys.argv[1], delimiter=',')\n"
                               "k, c = np.polyfit(d[:, 0], d[:, 1], 1)\n"
                               "print(repr(k), repr(c))\n";
    Run(state, {"/usr/bin/python3", "-c", script, BigFile()}, env.data());
}
BENCHMARK(BM_NumpyLoadtxtPolyfit)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
