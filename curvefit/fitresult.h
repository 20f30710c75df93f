#pragma once
// TFitResult: one fit as one value. The model, whether it was fitted, each parameter with its
// standard error, the fit's statistics, the covariance of the parameters, the residuals on
// request, and the regression behind the model from which bands are computed. The window, its
// statistics window and clipboard, the smoothing bar's worker and kalmira-fit only format it.
// No Qt.
//
// The statistics follow the conventions of the usual statistics packages, so a user can check
// them there: s^2 = RSS / (n - p); the covariance s^2 (X^T W X)^-1; t = estimate / standard
// error on n - p degrees of freedom; intervals estimate +- t-quantile * standard error;
// F = ((TSS - RSS) / (p - 1)) / s^2; AIC and BIC of a normal linear model with the variance
// counted as a parameter. The transformed models are regressions in the variables they regress
// (reciprocal: 1/y on x; log: y on ln x; reciprocal-log: 1/y on ln x; exp: ln y on x), as their
// quality is; exp's k0 = e^b0 gets the standard error k0 se(b0) and the interval e^(interval of b0).
// A nonlinear model is fitted in y itself and brings its statistics from its fit: the standard
// errors from the Jacobian at the solution, R^2 in y, AIC and BIC as for a linear model with k
// parameters, and no F (a curve through no intercept has no null model that F would test).
#include <memory>
#include <string>
#include <vector>

#include "curvefit/centeredpoly.h"
#include "curvefit/modelkind.h"
#include "curvefit/nonlinear.h"

class TCurveFit;
class TFormula;
class TSplineCurve;

enum TFitStatus {
    fsFitted,        // every parameter is determined by the data
    fsUndetermined,  // the data leave some parameters open (Determined false); the rest is shown
    fsFailed         // no result; Failure says why
};

struct TFitParameter {
    std::string Name;
    double Value = 0.0;
    double StdError = 0.0;   // only where the result HasErrors and the parameter is Determined
    bool Determined = true;  // false where the data do not fix it (fewer distinct x than coefficients)
};

struct TFitStatistics {
    int Points = 0;               // n
    int Rank = 0;                 // p: the coefficients the data determine
    int Dof = 0;                  // n - p
    double Rss = 0.0;             // residual sum of squares in the regressed variable (weighted)
    double ResidualStdError = 0.0;  // sqrt(Rss / Dof); 0 without degrees of freedom
    double RSquared = 0.0;        // the model's own quality
    double AdjRSquared = 0.0;     // 1 - (1 - R^2)(n - 1)/(n - p)
    bool HasF = false;            // F needs p > 1 and a residual variance above 0
    double FStatistic = 0.0;
    double FPValue = 0.0;
    bool HasInformation = false;  // AIC and BIC need a residual sum above 0
    double Aic = 0.0;
    double Bic = 0.0;
    // the smoothing spline
    double Df = 0.0;   // equivalent degrees of freedom, the trace of the smoother matrix
    double Gcv = 0.0;  // generalised cross-validation score n RSS / (n - Df)^2
};

// What the regression behind a linear model keeps for its bands: Y = sum c_k T_k(t) with the
// Chebyshev polynomials T_k of t = (X - Centre) / Scale, X = x or ln x, Y = y, 1/y or ln y. The
// variances of the fitted values come from the covariance of c in this basis, in which it is
// well conditioned whatever the origin and unit of x.
enum TXOf { xoX, xoLnX };
enum TYOf { yoY, yoReciprocal, yoLnY };

struct TRegressionBasis {
    TXOf XOf = xoX;
    TYOf YOf = yoY;
    double Centre = 0.0, Scale = 1.0;
    int Rank = 0;                    // the leading polynomials that take part
    std::vector<double> Covariance;  // Rank x Rank, row by row: s^2 (T^T W T)^-1
    double NewPointVariance = 0.0;   // the variance of one new observation in Y: s^2 (1 when known)
    int Dof = 0;
};

struct TFitResult {
    TModel Model;
    TFitStatus Status = fsFailed;
    std::string Failure;               // fsFailed: the reason
    // fsFailed, a nonlinear fit: the reason as values, for a caller that words it itself (the
    // search's stop, its particulars and the formula's fault, as TNonlinearResult holds them).
    TNonlinearStop FailureStop = nsConverged;
    std::vector<std::string> FailureArgs;
    std::shared_ptr<const EFormulaError> FailureFault;
    std::vector<double> Coefficients;  // the model's numbers in the order of ParameterNames; empty for the spline
    double Quality = 0.0;
    bool Truncated = false;            // mkPoly: a singular value was discarded
    TCenteredPoly Centered;            // mkPoly, mkParabola: the form every value is computed from
    // mkSpline: the curve, copied from the engine once per fit; copies of the result share it,
    // and it stays the fitted curve whatever the engine does next.
    std::shared_ptr<const TSplineCurve> Spline;
    std::shared_ptr<const TFormula> Formula;  // mkNonlinear: the compiled model the values come from
    int Iterations = 0;                // mkNonlinear: the Jacobian evaluations of the search

    // Filled by AddStatistics; for mkNonlinear by CalcModelFit, with the residuals always.
    bool HasErrors = false;            // standard errors, intervals and bands are there
    std::vector<TFitParameter> Parameters;
    TFitStatistics Statistics;
    std::vector<double> Covariance;    // of the parameters, Parameters.size() squared, row by row
    std::vector<double> Residuals;     // in the regressed variable, in the order of the points, on request
    TRegressionBasis Basis;
};

struct TStatisticsOptions {
    bool Residuals = false;
    // Standard deviations of y, one per point (empty: none). The covariance is scaled by s^2
    // unless AbsoluteSigma, which takes them as they are.
    std::vector<double> Sigma;
    bool AbsoluteSigma = false;
};

// The statistics of a fitted model (Status fsFitted or fsUndetermined) over the engine's points,
// which are to be the ones it was fitted to; for the spline its residual sum, equivalent degrees
// of freedom and GCV score, which the engine works out for the spline of the fit's factor (so the
// engine is not const: where it has moved on to another factor since, it is set back to the
// fit's and prepares that spline again).
// With Sigma given, the line, the parabola and the polynomial are fitted again by weighted least
// squares, and their coefficients become the weighted ones. Raises EQZLMath2Error for a sigma
// that is not a positive finite number, naming its row, and for a model that takes no weights.
void AddStatistics(TCurveFit& engine, TFitResult& fit, const TStatisticsOptions& options = {});

// The confidence and prediction band of a fit with errors at x, at the level (0.95 for 95 %).
// A nonlinear model's band is the delta method's: the variance of f(x) is g^T C g with the
// gradient g of f in its parameters at x and their covariance C.
struct TBandPoint {
    double X = 0.0;
    bool Defined = false;  // false where the model has no value or the band does not map back
    double Y = 0.0;
    double ConfLow = 0.0, ConfHigh = 0.0;
    double PredLow = 0.0, PredHigh = 0.0;
};
TBandPoint BandAt(const TFitResult& fit, double x, double level);

// The two-sided Student-t quantile for the level on dof degrees of freedom (dof > 0).
double StudentQuantile(double level, int dof);
// The two-sided tail probability of |t| on dof degrees of freedom.
double StudentTwoSidedP(double t, int dof);

// The interval estimate +- quantile * standard error of parameter j; exp's k0 maps the interval
// of its regressed coefficient.
void ParameterInterval(const TFitResult& fit, std::size_t j, double level, double& low, double& high);

// Parameter j of a fit with errors as a table shows it: its standard error, t = estimate /
// standard error with its two-sided p (TDefined: only for a standard error above 0), and its
// interval at the level.
struct TParameterUncertainty {
    double StdError = 0, TValue = 0, PValue = 0, Low = 0, High = 0;
    bool TDefined = false;
};
TParameterUncertainty ParameterUncertainty(const TFitResult& fit, std::size_t j, double level);

// The residual sum of squares in y itself over the engine's points (the same variable for every
// model), for comparing models; false where the model has no value at some point.
bool ResidualSumInY(const TCurveFit& engine, const TFitResult& fit, double& rss);
