// Fits the 26 one-predictor certified nonlinear problems from both of their starts and prints,
// for each run, the correct digits (log relative error, at most the certified digits) of every
// estimate and standard error, the iterations and the time of the fit; then the means.
//
//   nist_nonlinear_digits [--markdown] [DIR]
//
// DIR defaults to the repository's testdata/nist-nonlinear. --markdown prints the same as a
// table for the README, one row a run.
#include "curvefit/nonlinear.h"
#include "nist_nonlinear.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct TRun {
    std::string Problem, Difficulty;
    int Start = 0;
    bool Converged = false;
    std::string Message;
    int Iterations = 0;
    double Milliseconds = 0.0;
    double RssDigits = 0.0;
    std::vector<double> ValueDigits, ErrorDigits;  // in the order b1, b2, ...
    double MinValueDigits() const { return *std::min_element(ValueDigits.begin(), ValueDigits.end()); }
    double MinErrorDigits() const { return *std::min_element(ErrorDigits.begin(), ErrorDigits.end()); }
};

TRun Run(const TNistProblem& problem, int start)
{
    const TFormula model(problem.Formula);
    const std::vector<double> b0 = NistStart(problem, model.Parameters(), start);
    const auto begin = std::chrono::steady_clock::now();
    const TNonlinearResult fit = FitNonlinear(model, problem.X, problem.Y, b0);
    const auto end = std::chrono::steady_clock::now();

    TRun run;
    run.Problem = problem.Name;
    run.Difficulty = problem.Difficulty;
    run.Start = start;
    run.Converged = fit.Converged;
    run.Message = fit.Message;
    run.Iterations = fit.Iterations;
    run.Milliseconds = std::chrono::duration<double, std::milli>(end - begin).count();
    run.RssDigits = LogRelativeError(fit.Rss, problem.Rss, 11);
    for (const TNistParameter& p : problem.Parameters) {
        const auto at = std::find(fit.Names.begin(), fit.Names.end(), p.Name) - fit.Names.begin();
        run.ValueDigits.push_back(LogRelativeError(fit.Values[at], p.Value, p.ValueDigits));
        run.ErrorDigits.push_back(fit.Converged ? LogRelativeError(fit.StdErrors[at], p.StdDev, p.StdDevDigits) : 0.0);
    }
    return run;
}

void PrintText(const std::vector<TRun>& runs)
{
    std::printf("%-9s %-8s %5s %5s %8s %5s %6s %6s  %s\n", "problem", "level", "start", "iter", "ms", "rss", "min b", "min se",
                "digits of b1.. / of their standard errors");
    for (const TRun& r : runs) {
        std::printf("%-9s %-8s %5d %5d %8.3f %5.1f %6.1f %6.1f ", r.Problem.c_str(), r.Difficulty.c_str(), r.Start,
                    r.Iterations, r.Milliseconds, r.RssDigits, r.MinValueDigits(), r.MinErrorDigits());
        for (double d : r.ValueDigits) std::printf(" %4.1f", d);
        std::printf("  /");
        for (double d : r.ErrorDigits) std::printf(" %4.1f", d);
        if (!r.Converged) std::printf("  NOT CONVERGED: %s", r.Message.c_str());
        std::printf("\n");
    }
}

void PrintMarkdown(const std::vector<TRun>& runs)
{
    std::printf("| problem | difficulty | start | smallest LRE | LRE of b1, b2, ... | LRE of their standard errors | ms |\n"
                "|---|---|---|---|---|---|---|\n");
    for (const TRun& r : runs) {
        std::printf("| %s | %s | %d | %.1f |", r.Problem.c_str(), r.Difficulty.c_str(), r.Start, r.MinValueDigits());
        for (double d : r.ValueDigits) std::printf(" %.1f", d);
        std::printf(" |");
        for (double d : r.ErrorDigits) std::printf(" %.1f", d);
        std::printf(" | %.2f |\n", r.Milliseconds);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool markdown = false;
    std::string dir = NistNonlinearDir();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--markdown") == 0) markdown = true;
        else dir = argv[i];
    }

    std::vector<TRun> runs;
    for (const char* name : NistNonlinearNames()) {
        const TNistProblem problem = ReadNistProblem(dir, name);
        for (int start : {1, 2}) runs.push_back(Run(problem, start));
    }

    if (markdown) PrintMarkdown(runs);
    else PrintText(runs);

    double sumMin = 0.0, sumAll = 0.0, sumErrorMin = 0.0, totalMs = 0.0, worst = 99.0, worstError = 99.0;
    int parameters = 0, converged = 0;
    for (const TRun& r : runs) {
        sumMin += r.MinValueDigits();
        sumErrorMin += r.MinErrorDigits();
        for (double d : r.ValueDigits) sumAll += d;
        parameters += static_cast<int>(r.ValueDigits.size());
        worst = std::min(worst, r.MinValueDigits());
        worstError = std::min(worstError, r.MinErrorDigits());
        totalMs += r.Milliseconds;
        converged += r.Converged;
    }
    const double count = static_cast<double>(runs.size());
    std::printf("\n%d runs, %d converged; the whole set in %.1f ms\n", int(runs.size()), converged, totalMs);
    std::printf("mean over the runs of the smallest digits of the estimates: %.2f (lowest %.1f)\n", sumMin / count, worst);
    std::printf("mean over all %d estimates: %.2f\n", parameters, sumAll / parameters);
    std::printf("mean over the runs of the smallest digits of the standard errors: %.2f (lowest %.1f)\n",
                sumErrorMin / count, worstError);
    return converged == static_cast<int>(runs.size()) ? 0 : 1;
}
