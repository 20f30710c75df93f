#pragma once
// The models the engine fits, as the window and kalmira-fit both use them: their kinds, one fit
// call per model, one evaluator per model, their formula texts and parameter names, and the curve
// sampler that turns a fit into the points the window draws. No Qt.
#include <exception>
#include <string>
#include <vector>

class TCurveFit;

enum TModelKind { mkLine, mkParabola, mkReciprocal, mkLog, mkReciprocalLog, mkExp, mkPoly, mkSpline };

// The highest polynomial order: the window's coefficient places run from 0 to 10.
constexpr int kMaxPolyOrder = 10;

// The number of line-to samples of the window's curves over the visible x range.
constexpr int kCurveSamples = 200;

// Where the logarithmic curve starts when the x range starts at 0 or below.
constexpr double kLogStartBelow = -1000000;

struct TModel {
    TModelKind Kind = mkLine;
    int Order = 0;            // mkPoly: 0 to kMaxPolyOrder
    double Smoothing = 0.5;   // mkSpline: 0 to 1
    // mkSpline: the smoothing chosen instead, by generalised cross-validation (SplineAuto) or for
    // SplineDf equivalent degrees of freedom (> 0); the fit then reports the factor, df and gcv.
    bool SplineAuto = false;
    double SplineDf = 0.0;
};

struct TFittedModel {
    TModel Model;
    std::vector<double> Coefficients;  // in the order of ParameterNames; empty for the spline
    double Quality = 0.0;
    bool Truncated = false;            // mkPoly: a singular value was discarded
    TCurveFit* Engine = nullptr;       // mkSpline: the engine whose spline cache is the curve
};

// Fits `model` to the engine's points. The engine's errors (EQZLMath2Error) and floating-point
// faults raise; false only when the polynomial's decomposition did not converge. The spline is
// prepared here (its smoothing set, its first value computed), so its quality is known.
bool CalcModelFit(TCurveFit& engine, const TModel& model, TFittedModel& fit);

// The fitted value at x, each point under its own floating-point guard. False where the model
// has no value: a logarithm of x <= 0, a denominator that is exactly 0, the spline outside its
// data. An overflow or invalid operation on the way raises EOverflow or EInvalidOp. The
// polynomial is summed in increasing powers, each built by one multiplication more, and never
// forms a power beyond its last term.
bool ModelValue(const TFittedModel& fit, double x, double& y);

struct TCurvePoint {
    double X = 0.0;
    double Y = 0.0;
    bool MoveTo = false;  // the start of the curve; every other point is a line-to
};

struct TSampledCurve {
    std::vector<TCurvePoint> Points;
    std::exception_ptr Fault;  // the fault that stopped the sampling; Points holds those before it
};

// The curve of `fit` over [low, high] with `samples` steps, by the window's rules: the line is its
// two ends; the polynomial starts one step right of low; the logarithm starts at (0, -1000000)
// when low <= 0; the reciprocal models start only where they have a value; the spline starts at
// the smallest x entered. Samples where the model has no value are left out; the ones after them
// are still taken.
TSampledCurve SampleCurve(const TFittedModel& fit, double low, double high, int samples);

// The number of distinct x among the engine's points: a polynomial fit with fewer distinct x
// than coefficients is truncated, the coefficients from x^DistinctX on not determined by the data.
int DistinctX(const TCurveFit& engine);

// The model's formula and its parameter names in plain notation ("y = c0 + c1*x + c2*x^2";
// c0, c1, c2): the command line's texts.
std::string FormulaText(const TModel& model);
std::vector<std::string> ParameterNames(const TModel& model);

// The window's result captions: the formula ("y = k0 + k1*x + k2*sqr(x)") and the parameter
// line with three decimals ("k0 = 1.000    k1 = 2.000    k2 = 0.500"). The spline has none.
std::string FormulaCaption(const TModel& model);
std::string ParameterCaption(const TFittedModel& fit);
