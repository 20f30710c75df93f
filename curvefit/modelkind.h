#pragma once
// The models the engine fits, named: their kinds and the choice of one with its order or
// smoothing. No Qt.
#include <string>
#include <utility>
#include <vector>

enum TModelKind { mkLine, mkParabola, mkReciprocal, mkLog, mkReciprocalLog, mkExp, mkPoly, mkSpline,
                  mkNonlinear };

// The highest polynomial order: the window's coefficient places run from 0 to 10.
constexpr int kMaxPolyOrder = 10;

struct TModel {
    TModelKind Kind = mkLine;
    int Order = 0;            // mkPoly: 0 to kMaxPolyOrder
    double Smoothing = 0.5;   // mkSpline: 0 to 1
    // mkSpline: the smoothing chosen instead, by generalised cross-validation (SplineAuto) or for
    // SplineDf equivalent degrees of freedom (> 0); the fit then reports the factor, df and gcv.
    bool SplineAuto = false;
    double SplineDf = 0.0;
    // mkNonlinear: a built-in model by its name ("logistic"), or else a formula of the model
    // language ("y = b1*(1-exp(-b2*x))"), with starting values by parameter name. A built-in
    // takes its starts from the data where none is given; a formula's parameters without one
    // start at 1. (The braces keep brace-initialised models of the other kinds free of warnings.)
    std::string Builtin{};
    std::string Formula{};
    std::vector<std::pair<std::string, double>> Start{};
};
