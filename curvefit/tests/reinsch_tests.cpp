// The steps of Reinsch's smoothing spline, each against the equations it solves, formed densely in
// long double on a few points.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "curvefit/reinsch.h"

namespace {

using reinsch::TBandSolver;

// Twelve random points (arrays from index 1) with standard deviations between 0.5 and 2, and the
// band solver's arrays for them.
struct TProblem {
    static constexpr int n = 12;
    std::vector<double> x, y, dy, u, r0, r1, r2;
    TProblem()
    {
        std::mt19937_64 rng(17);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        x.assign(n + 1, 0.0);
        y = dy = u = r0 = r1 = r2 = x;
        for (int i = 1; i <= n; ++i) {
            x[i] = x[i - 1] + 0.05 + unit(rng);
            y[i] = std::sin(x[i]) + unit(rng);
            dy[i] = 0.5 + 1.5 * unit(rng);
        }
    }
    reinsch::TPoints Points() const { return {1, n, x.data(), y.data(), dy.data()}; }
    TBandSolver Solver() { return TBandSolver(Points(), u.data(), r0.data(), r1.data(), r2.data()); }
};

using Matrix = std::vector<std::vector<long double>>;
using Vector = std::vector<long double>;

// Q (knots 1..n by inner knots 2..n-1, both from 0), T and the solution of A w = b by Gaussian
// elimination, A = p Q^T D^2 Q + T.
struct TDense {
    Matrix Q, A;
    Vector qty;   // Q^T y
    TDense(const TProblem& problem, long double p)
    {
        const int n = TProblem::n, m = n - 2;
        const auto& x = problem.x;
        Q.assign(n, Vector(m, 0.0L));
        A.assign(m, Vector(m, 0.0L));
        for (int j = 0; j < m; ++j) {
            const int k = j + 2;   // the knot of unknown j
            const long double left = 1.0L / (x[k] - x[k - 1]), right = 1.0L / (x[k + 1] - x[k]);
            Q[k - 2][j] = left;
            Q[k - 1][j] = -left - right;
            Q[k][j] = right;
            A[j][j] = 2.0L * ((x[k] - x[k - 1]) + (x[k + 1] - x[k])) / 3.0L;
            if (j + 1 < m) A[j][j + 1] = A[j + 1][j] = (x[k + 1] - x[k]) / 3.0L;
        }
        qty.assign(m, 0.0L);
        for (int j = 0; j < m; ++j)
            for (int i = 0; i < n; ++i) {
                qty[j] += Q[i][j] * problem.y[i + 1];
                const long double w2 = problem.dy[i + 1] * (long double)problem.dy[i + 1];
                for (int l = 0; l < m; ++l) A[j][l] += p * Q[i][j] * w2 * Q[i][l];
            }
    }
    Vector Solve(Vector b) const
    {
        Matrix a = A;
        const int m = int(b.size());
        for (int k = 0; k < m; ++k)
            for (int i = k + 1; i < m; ++i) {
                const long double factor = a[i][k] / a[k][k];
                for (int l = k; l < m; ++l) a[i][l] -= factor * a[k][l];
                b[i] -= factor * b[k];
            }
        Vector w(m);
        for (int k = m - 1; k >= 0; --k) {
            long double s = b[k];
            for (int l = k + 1; l < m; ++l) s -= a[k][l] * w[l];
            w[k] = s / a[k][k];
        }
        return w;
    }
    // D^2 Q u at the knots.
    Vector V(const TProblem& problem, const Vector& u) const
    {
        Vector v(Q.size(), 0.0L);
        for (std::size_t i = 0; i < Q.size(); ++i) {
            for (std::size_t j = 0; j < u.size(); ++j) v[i] += Q[i][j] * u[j];
            v[i] *= problem.dy[i + 1] * (long double)problem.dy[i + 1];
        }
        return v;
    }
};

Vector Unknowns(const TProblem& problem)
{
    return Vector(problem.u.begin() + 2, problem.u.begin() + TProblem::n);
}

void ExpectClose(const Vector& got, const Vector& expected, long double tolerance)
{
    long double scale = 0.0L;
    for (long double v : expected) scale = std::max(scale, std::fabs(v));
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(double(got[i]), double(expected[i]), double(tolerance * scale)) << i;
}

TEST(BandSolver, InterpolatingPassSolvesTheSpacingSystem)
{
    TProblem problem;
    TBandSolver solver = problem.Solver();
    solver.SolveInterpolating();
    const TDense dense(problem, 0.0L);
    ExpectClose(Unknowns(problem), dense.Solve(dense.qty), 1e-14L);
}

// At every p, from the interpolating spline's end to the straight line's, the pass by rotations
// solves (p Q^T D^2 Q + T) u = Q^T y, and the residual and slope terms are those of its solution.
TEST(BandSolver, PassByRotationsSolvesThePenalisedSystem)
{
    for (const double p : {1e-4, 1.0, 1e4}) {
        SCOPED_TRACE(p);
        TProblem problem;
        TBandSolver solver = problem.Solver();
        ASSERT_TRUE(solver.SolveByRotations(p));
        const TDense dense(problem, p);
        const Vector u = dense.Solve(dense.qty);
        ExpectClose(Unknowns(problem), u, 1e-12L);
        // e = |D Q u|^2 = sum(v_i^2 / dy_i^2)
        const Vector v = dense.V(problem, u);
        long double e = 0.0L;
        for (std::size_t i = 0; i < v.size(); ++i) e += v[i] * v[i] / (problem.dy[i + 1] * (long double)problem.dy[i + 1]);
        EXPECT_NEAR(solver.Residual().e, double(e), 1e-12 * double(e));
        // f = z^T A^-1 z with z = Q^T v
        Vector z(u.size(), 0.0L);
        for (std::size_t j = 0; j < z.size(); ++j)
            for (std::size_t i = 0; i < v.size(); ++i) z[j] += dense.Q[i][j] * v[i];
        const Vector w = dense.Solve(z);
        long double f = 0.0L;
        for (std::size_t j = 0; j < z.size(); ++j) f += z[j] * w[j];
        EXPECT_NEAR(solver.SlopeTerm(p), double(f), 1e-11 * double(f));
        // a = y - p v
        solver.WriteValues(p);
        for (int i = 1; i <= TProblem::n; ++i)
            EXPECT_NEAR(problem.u[i], double(problem.y[i] - p * v[i - 1]), 1e-13) << i;
    }
}

// A small step of p on the factor at hand agrees with a full pass at the new p to second order
// in the step.
TEST(BandSolver, StepOnTheFactorIsFirstOrderInTheStep)
{
    const double p = 1.0;
    for (const double ratio : {1e-2, 1e-3}) {
        SCOPED_TRACE(ratio);
        TProblem stepped, full;
        TBandSolver solver = stepped.Solver();
        solver.SolveByRotations(p);
        solver.SlopeTerm(p);
        solver.StepOnFactor(ratio);
        full.Solver().SolveByRotations(p * (1.0 + ratio));
        ExpectClose(Unknowns(stepped), Unknowns(full), 4.0L * ratio * ratio);
        // (the full pass does move u: the agreement is the step's own)
        const double largestChange = std::fabs(stepped.u[5] - full.u[5]);
        EXPECT_GT(largestChange, 0.0);
    }
}

// Newton's step on ln F over ln p lands on S in one step where F is a power of p, and where F
// flattens like F_inf - C / p near the straight line's residual.
TEST(IterationSteps, NewtonStepIsExactForTheFormsOfTheResidual)
{
    struct TCase {
        const char* name;
        double F, slope;   // F(p) and F'(p) at p = 2
        double S, expected;
    };
    // F = p^2 (e = 1, f = 0): S = 36 at p = 6. F = 10 - 8 / p: F(2) = 6, F' = 2; S = 8 at p = 4.
    const TCase cases[] = {{"Square", 4.0, 4.0, 36.0, 6.0}, {"TowardsTheLine", 6.0, 2.0, 8.0, 4.0}};
    for (const TCase& tc : cases) {
        const double p = 2.0, e = tc.F / (p * p);
        // F' = 2 p (e - p f)
        const double f = (e - tc.slope / (2.0 * p)) / p;
        double power = 0.0;
        EXPECT_NEAR(reinsch::NewtonStep(tc.S, p, tc.F, e, f, power), tc.expected, 1e-12) << tc.name;
        EXPECT_NEAR(power, p * tc.slope / tc.F, 1e-15) << tc.name;
    }
    double power = 0.0;
    EXPECT_EQ(reinsch::NewtonStep(1.0, 2.0, 4.0, 1.0, 0.5, power), -1.0) << "F no longer grows";
}

TEST(IterationSteps, SecantStepIsExactForAPowerOfP)
{
    // F = 3 p^1.5 through p = 1 and 2, aimed at F(5).
    auto F = [](double p) { return 3.0 * std::pow(p, 1.5); };
    EXPECT_NEAR(reinsch::SecantStep(F(5.0), 2.0, F(2.0), 1.0, F(1.0)), 5.0, 1e-12);
}

}  // namespace
