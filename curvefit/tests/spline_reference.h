#pragma once
// The smoothing spline of the engine's problem solved in quadruple precision (113-bit mantissa),
// for the tests that hold the engine's double arithmetic to it.
#include <utility>
#include <vector>

namespace splinereference {

using Points = std::vector<std::pair<double, double>>;

// The spline TCurveFit draws for these points and factor (0 <= factor < 1), solved again: the same
// knots (runs of x within 1e-8 of the range of x of their neighbour merged into one knot at their
// mean x, as the engine forms them in double), the same allowance over every point (the factor
// times the straight line's residual), and the same equations, each step in quadruple precision,
// the Lagrange parameter p found until the residual meets the allowance to its last bits.
class TReferenceSpline {
public:
    TReferenceSpline(const Points& points, double factor);
    // The spline at x, for x within the knots.
    double Value(double x) const;
    // The knots, increasing.
    const std::vector<double>& Knots() const { return m_x; }

private:
    std::vector<double> m_x;
    std::vector<__float128> m_a, m_c;   // the values and halved curvatures at the knots
};

}  // namespace splinereference
