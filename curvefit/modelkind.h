#pragma once
// The models the engine fits, named: their kinds and the choice of one with its order or
// smoothing. No Qt.

enum TModelKind { mkLine, mkParabola, mkReciprocal, mkLog, mkReciprocalLog, mkExp, mkPoly, mkSpline };

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
};
