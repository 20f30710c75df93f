#pragma once
// The certified nonlinear least-squares problems of NIST's Statistical Reference Datasets: a
// reader of their file layout and each one-predictor problem's model as a formula. Shared by the
// engine's tests, tools/nist_nonlinear and bench_nonlinear. No Qt.
#include <span>
#include <string>
#include <vector>

struct TNistParameter {
    std::string Name;      // b1, b2, ...
    double Start1 = 0.0, Start2 = 0.0;
    double Value = 0.0, StdDev = 0.0;  // certified
    int ValueDigits = 0, StdDevDigits = 0;  // significant digits the file gives them with
};

struct TNistProblem {
    std::string Name;
    std::string Difficulty;  // "Lower", "Average" or "Higher"
    std::string Formula;     // the model in the formula language
    std::vector<TNistParameter> Parameters;
    double Rss = 0.0;        // certified residual sum of squares
    std::vector<double> X, Y;
};

// The one-predictor problems (all but Nelson), in alphabetical order.
std::span<const char* const> NistNonlinearNames();

// Reads <dir>/<name>.dat (CR LF or LF) with the model formula of `name`; throws
// std::runtime_error for a file that cannot be read or does not have the layout.
TNistProblem ReadNistProblem(const std::string& dir, const std::string& name);

// The folder of the problem files in the repository.
std::string NistNonlinearDir();

// The log relative error: -log10(|fitted - certified| / |certified|), between 0 and `digits`
// (the number of significant digits of the certified value); `digits` when they are equal.
double LogRelativeError(double fitted, double certified, int digits);

// The certified parameter named `name` (b1, ...); throws std::runtime_error when there is none.
const TNistParameter& NistParameter(const TNistProblem& problem, const std::string& name);

// Starting values 1 or 2 in the order of `parameterNames` (a formula's order of appearance).
std::vector<double> NistStart(const TNistProblem& problem, const std::vector<std::string>& parameterNames, int start);
