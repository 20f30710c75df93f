#pragma once
// Nonlinear least squares: y = f(x; b1..bk) for a model formula, minimising the sum of squared
// residuals in y by Levenberg-Marquardt with the formula's exact Jacobian. No Qt.
#include "curvefit/formula.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// Why a fit ended.
enum TNonlinearStop {
    nsConverged,        // the solution is found
    nsIterationLimit,   // the evaluation budget ran out before the steps became small
    nsNoEffect,         // a parameter has no effect on the model there (a singular Jacobian)
    nsStartFault,       // the model has no finite value or derivative at the starting values
    nsEvaluationFault   // the model lost its derivative at a point the search had accepted
};

// The outcome of a nonlinear fit, one plain value. A fit that did not converge keeps the
// parameter values it ended at (for a look at where it stuck) but no standard errors.
struct TNonlinearResult {
    bool Converged = false;
    TNonlinearStop Stop = nsConverged;
    std::string Message;                 // why the fit did not converge; empty when it did
    // The particulars of Message as values, for a caller that words it itself: nsIterationLimit,
    // the evaluations; nsNoEffect, the name of each parameter without effect. nsStartFault and
    // nsEvaluationFault: the formula's fault.
    std::vector<std::string> StopArgs;
    std::optional<EFormulaError> Fault;

    std::vector<std::string> Names;      // the parameters, in the formula's order
    std::vector<double> Values;          // the estimates (the start when the start had a fault)
    std::vector<double> StdErrors;       // sqrt of the covariance's diagonal; empty unless converged
    std::vector<double> Covariance;      // k x k row-major, s^2 (J^T J)^-1; empty unless converged
    std::vector<bool> Determined;        // false for a parameter without effect
    std::vector<double> Residuals;       // y_i - f(x_i; b) at Values; empty after a start fault

    int Points = 0;
    int DegreesOfFreedom = 0;            // points - parameters
    int Iterations = 0;                  // Jacobian evaluations, the polishing steps included
    int Evaluations = 0;                 // model evaluations over all points, Jacobians excluded
    double Rss = 0.0;                    // residual sum of squares
    double ResidualStdError = 0.0;       // s = sqrt(Rss / DegreesOfFreedom)
    double Tss = 0.0;                    // total sum of squares of y about its mean
    double RSquared = 0.0;               // 1 - Rss/Tss in y; 1 for a perfect fit to constant y
};

struct TNonlinearOptions {
    // The budget of model evaluations per parameter; a fit that needs more stops with
    // nsIterationLimit. The hardest certified problems need a few hundred in all.
    int MaxEvaluationsPerParameter = 1000;
};

// Fits `model` to the points (x, y) from the starting values `start` (in the order of
// model.Parameters()). Standard errors follow the usual convention for nonlinear least
// squares: from the Jacobian J at the solution, s^2 (J^T J)^-1 with s^2 = Rss / (n - k).
// Throws EQZLMath2Error for input that cannot be fitted at all: x and y of different lengths,
// a start of the wrong length or not finite, a model without parameters, no more points than
// parameters, a point that is not finite. Numbers of the result beyond the range of double
// (data near its ends) raise EOverflow or EInvalidOp. Everything else, including
// non-convergence, is told by the result.
TNonlinearResult FitNonlinear(const TFormula& model, std::span<const double> x, std::span<const double> y,
                              std::span<const double> start, const TNonlinearOptions& options = {});

// The general message of a stop reason ("the iteration limit was reached before the fit
// converged"); a result's Message adds the particulars (the evaluations, the parameters named,
// the formula's fault).
std::string NonlinearStopText(TNonlinearStop stop);
