#pragma once
// The steps of Reinsch's smoothing spline (internal to curvefit; tests may include it): the band
// solver's passes, the iteration on the Lagrange parameter p that strings them together, and the
// pieces of the natural cubic spline it leaves. The story of the algorithm is at the top of
// reinsch.cpp. Arrays are indexed like the points, n1..n2.
#include <atomic>

namespace reinsch {

// The points (x_i, y_i) with standard deviations dy_i, i = n1..n2, x increasing; dy == nullptr
// means every dy_i = 1.
struct TPoints {
    int n1 = 0, n2 = 0;
    const double* x = nullptr;
    const double* y = nullptr;
    const double* dy = nullptr;
    double Weight(int i) const { return dy ? dy[i] : 1.0; }
};

// The least-squares line through the points weighted by 1 / dy_i^2, taken about the weighted
// means; residual = sum(((y_i - line(x_i)) / dy_i)^2), the residual the smoothing spline
// approaches as p grows.
struct TLine {
    double meanX, meanY, slope, residual;
};
TLine LineFit(const TPoints& points);

// The passes of the band solver over one set of points. The arrays it is given (n1..n2 places
// each) hold the unknowns u (halved second derivatives at the inner knots m1..m2 = n1+1..n2-1)
// and the factor of the last pass as rows sqrt(r0_j) (1, r1_j, r2_j) in the columns j..j+2.
class TBandSolver {
public:
    TBandSolver(const TPoints& points, double* u, double* r0, double* r1, double* r2);
    bool HasUnknowns() const { return m_m1 <= m_m2; }
    // u := T^-1 Q^T y, the natural interpolating spline (p = 0); keeps the factor of T.
    void SolveInterpolating();
    // u := (p Q^T D^2 Q + T)^-1 Q^T y as a least-squares problem by Gentleman's rotations. Returns
    // false when a row of the factor stayed empty (a zero weight): the factor cannot be reused.
    bool SolveByRotations(double p);
    // e = |D Q u|^2 (the residual sum of squares is p^2 e) and the relative rounding noise of e,
    // estimated from its terms.
    struct TResidual {
        double e, noise;
    };
    TResidual Residual() const;
    // f = z^T (p Q^T D^2 Q + T)^-1 z with z = Q^T D^2 Q u, for the slope F'(p) = 2 p (e - p f).
    // After a pass by rotations the forward sweep stays in r0 for StepOnFactor.
    double SlopeTerm(double p);
    // u(p (1 + ratio)) to first order, on the factor and forward sweep SlopeTerm left.
    void StepOnFactor(double ratio);
    // a = y - p D^2 Q u, written over u.
    void WriteValues(double p);
    // u at any index: 0 at the two ends.
    double U(int i) const { return i >= m_m1 && i <= m_m2 ? m_u[i] : 0.0; }

private:
    double Slope(int i) const { return (U(i + 1) - U(i)) / (m_points.x[i + 1] - m_points.x[i]); }

    TPoints m_points;
    int m_m1, m_m2;
    double* m_u;
    double *m_r0, *m_r1, *m_r2;
};

// Where the iteration on p starts and what a preparation leaves for the next one: p (0: at the
// interpolating spline) and, after a settled iteration, its allowance and d ln F / d ln p there.
struct TStart {
    double p = 0.0;
    double settledS = -1.0;
    double settledPower = 0.0;
};

// Newton's step on ln F over ln p from p, where F = p^2 e and f is SlopeTerm's: exact where F grows
// like a power of p; near the straight line's residual, where F flattens like F_inf - C / p, the
// step for that form when it reaches S. power receives d ln F / d ln p at p. Returns -1 where F
// no longer grows (e <= p f).
double NewtonStep(double S, double p, double F, double e, double f, double& power);

// The secant step on ln F over ln p through (previousP, previousF) and (p, F), aimed at S.
double SecantStep(double S, double p, double F, double previousP, double previousF);

// Reinsch's smoothing spline of the points under the allowance S: writes a_i and c_i for
// i = n1..n2; b and d are work space and receive nothing. The iteration starts as start says and
// leaves its p (and, where it settled, its slope) there. cancel, when set between two passes,
// stops it with ESplineCancelled. lineResidual is the points' line residual where the caller has
// it (negative: not known). Returns the number of passes of the band solver.
int SmoothingSpline(double S, const TPoints& points, double* a, double* b, double* c, double* d, TStart& start,
                    const std::atomic<bool>* cancel = nullptr, double lineResidual = -1.0);

// The halved second derivatives c of the natural cubic spline through (x_i, a_i), i = n1..n2;
// upper is scratch space (n1..n2).
void NaturalSplineCurvatures(int n1, int n2, const double* x, const double* a, double* c, double* upper);

// The piece i's linear and cubic coefficients from the values a and halved curvatures c.
inline void PieceCoefficients(const double* x, const double* a, const double* c, int i, double& b, double& d)
{
    const double h = x[i + 1] - x[i];
    d = (c[i + 1] - c[i]) / (3.0 * h);
    b = (a[i + 1] - a[i]) / h - (h * d + c[i]) * h;
}

}  // namespace reinsch
