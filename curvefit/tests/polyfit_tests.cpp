#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "curvefit/kernels.h"
#include "testsupport/testsupport.h"

using testsupport::AgreesTo;

namespace {

using Points = std::vector<std::pair<double, double>>;

void Fill(TCurveFit& fit, const Points& points)
{
    fit.ClearData();
    for (auto [x, y] : points) fit.AddPoint(x, y);
}

double Sign(double a, double b) { return a >= 0.0 ? std::fabs(b) : -std::fabs(b); }
double Hypot(double a, double b) { return std::sqrt(a * a + b * b); }

// The decomposition written element by element through the containers' guarded access, in the
// plainest order: the oracle for the blocked solver, which must agree with it bit for bit.
bool ReferenceSvd(TMatrix& A, TMatrix& V, TVector& W)
{
    const int m = A.NrOfRows();
    const int n = A.NrOfColumns();
    auto a = [&A](int r, int c) { return A.Elem(c, r); };
    auto setA = [&A](int r, int c, double value) { A.SetElem(c, r, value); };
    auto v = [&V](int r, int c) { return V.Elem(c, r); };
    auto setV = [&V](int r, int c, double value) { V.SetElem(c, r, value); };
    V.Resize(n, n);
    W.SetNrOfElem(n);
    std::vector<double> w(n + 2, 0.0), e(n + 2, 0.0);
    double g = 0.0, scale = 0.0, anorm = 0.0;
    int l = 0;
    for (int i = 1; i <= n; ++i) {
        l = i + 1;
        e[i] = scale * g;
        g = 0.0;
        double s = 0.0;
        scale = 0.0;
        for (int k = i; k <= m; ++k) scale += std::fabs(a(k, i));
        if (scale != 0.0) {
            for (int k = i; k <= m; ++k) {
                setA(k, i, a(k, i) / scale);
                s += a(k, i) * a(k, i);
            }
            const double f = a(i, i);
            g = -Sign(f, std::sqrt(s));
            const double h = f * g - s;
            setA(i, i, f - g);
            for (int j = l; j <= n; ++j) {
                s = 0.0;
                for (int k = i; k <= m; ++k) s += a(k, i) * a(k, j);
                const double ff = s / h;
                for (int k = i; k <= m; ++k) setA(k, j, a(k, j) + ff * a(k, i));
            }
            for (int k = i; k <= m; ++k) setA(k, i, a(k, i) * scale);
        }
        w[i] = scale * g;
        g = s = scale = 0.0;
        if (i <= m && i != n) {
            for (int k = l; k <= n; ++k) scale += std::fabs(a(i, k));
            if (scale != 0.0) {
                for (int k = l; k <= n; ++k) {
                    setA(i, k, a(i, k) / scale);
                    s += a(i, k) * a(i, k);
                }
                const double f = a(i, l);
                g = -Sign(f, std::sqrt(s));
                const double h = f * g - s;
                setA(i, l, f - g);
                for (int k = l; k <= n; ++k) e[k] = a(i, k) / h;
                for (int j = l; j <= m; ++j) {
                    s = 0.0;
                    for (int k = l; k <= n; ++k) s += a(j, k) * a(i, k);
                    for (int k = l; k <= n; ++k) setA(j, k, a(j, k) + s * e[k]);
                }
                for (int k = l; k <= n; ++k) setA(i, k, a(i, k) * scale);
            }
        }
        anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
    }
    for (int i = n; i >= 1; --i) {
        if (i < n) {
            if (g != 0.0) {
                for (int j = l; j <= n; ++j) setV(j, i, (a(i, j) / a(i, l)) / g);
                for (int j = l; j <= n; ++j) {
                    double s = 0.0;
                    for (int k = l; k <= n; ++k) s += a(i, k) * v(k, j);
                    for (int k = l; k <= n; ++k) setV(k, j, v(k, j) + s * v(k, i));
                }
            }
            for (int j = l; j <= n; ++j) {
                setV(i, j, 0.0);
                setV(j, i, 0.0);
            }
        }
        setV(i, i, 1.0);
        g = e[i];
        l = i;
    }
    for (int i = n; i >= 1; --i) {
        l = i + 1;
        g = w[i];
        for (int j = l; j <= n; ++j) setA(i, j, 0.0);
        if (g != 0.0) {
            g = 1.0 / g;
            for (int j = l; j <= n; ++j) {
                double s = 0.0;
                for (int k = l; k <= m; ++k) s += a(k, i) * a(k, j);
                const double f = (s / a(i, i)) * g;
                for (int k = i; k <= m; ++k) setA(k, j, a(k, j) + f * a(k, i));
            }
            for (int j = i; j <= m; ++j) setA(j, i, a(j, i) * g);
        } else {
            for (int j = i; j <= m; ++j) setA(j, i, 0.0);
        }
        setA(i, i, a(i, i) + 1.0);
    }
    auto negligible = [&anorm](double value) { return std::fabs(value) + anorm == anorm; };
    bool ok = true;
    for (int k = n; k >= 1; --k) {
        for (int its = 1; its <= 30; ++its) {
            bool flag = true;
            int nm = 0;
            for (l = k; l >= 1; --l) {
                nm = l - 1;
                if (negligible(e[l])) {
                    flag = false;
                    break;
                }
                if (negligible(w[nm])) break;
            }
            if (flag) {
                double c = 0.0, s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * e[i];
                    e[i] = c * e[i];
                    if (negligible(f)) break;
                    g = w[i];
                    double h = Hypot(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    for (int j = 1; j <= m; ++j) {
                        const double y = a(j, nm), z = a(j, i);
                        setA(j, nm, y * c + z * s);
                        setA(j, i, z * c - y * s);
                    }
                }
            }
            double z = w[k];
            if (l == k) {
                if (z < 0.0) {
                    w[k] = -z;
                    for (int j = 1; j <= n; ++j) setV(j, k, -v(j, k));
                }
                break;
            }
            if (its == 30) ok = false;
            double x = w[l];
            nm = k - 1;
            double y = w[nm];
            g = e[nm];
            double h = e[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = Hypot(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + Sign(f, g))) - h)) / x;
            double c = 1.0, s = 1.0;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = e[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = Hypot(f, h);
                e[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                for (int jj = 1; jj <= n; ++jj) {
                    const double vx = v(jj, j), vz = v(jj, i);
                    setV(jj, j, vx * c + vz * s);
                    setV(jj, i, vz * c - vx * s);
                }
                z = Hypot(f, h);
                w[j] = z;
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                for (int jj = 1; jj <= m; ++jj) {
                    const double uy = a(jj, j), uz = a(jj, i);
                    setA(jj, j, uy * c + uz * s);
                    setA(jj, i, uz * c - uy * s);
                }
            }
            e[l] = 0.0;
            e[k] = f;
            w[k] = x;
        }
    }
    for (int i = 1; i <= n; ++i) W.SetElem(i, w[i]);
    return ok;
}

TMatrix MakeMatrix(int cols, int rows, const std::function<double(int, int)>& element)
{
    TMatrix A(cols, rows);
    for (int c = 1; c <= cols; ++c)
        for (int r = 1; r <= rows; ++r) A.SetElem(c, r, element(c, r));
    return A;
}

struct SvdCase {
    const char* name;
    int cols, rows;
    std::function<double(int, int)> element;   // (column, row), 1-based
};

double RandomElement(int c, int r)
{
    std::mt19937_64 rng(std::uint64_t(c) * 7919 + std::uint64_t(r));
    return std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
}

const SvdCase kSvdCases[] = {
    {"Random7x4", 4, 7, RandomElement},
    {"Random600x6CrossesRowBlocks", 6, 600, RandomElement},
    {"Vandermonde50x10", 10, 50, [](int c, int r) { return std::pow(0.2 * r, c - 1); }},
    {"WiderThanTall3x5", 5, 3, RandomElement},
    {"SingleRow", 4, 1, RandomElement},
    {"EqualColumnsRank1", 3, 20, [](int c, int) { return double(c); }},
    {"DuplicateColumns", 5, 30, [](int c, int r) { return RandomElement(c % 2, r); }},
    {"ZeroMatrix", 3, 4, [](int, int) { return 0.0; }},
    {"ZeroColumnInside", 4, 9, [](int c, int r) { return c == 2 ? 0.0 : RandomElement(c, r); }},
    // A zero first column leaves w_1 = 0 above a non-zero e_2: the superdiagonal is cancelled.
    {"ZeroFirstColumn", 4, 9, [](int c, int r) { return c == 1 ? 0.0 : RandomElement(c, r); }},
    {"ShiftMatrix", 4, 4, [](int c, int r) { return c == r + 1 ? 1.0 + 0.5 * r : 0.0; }},
    {"OneColumn", 1, 5, RandomElement},
    {"BadlyScaled", 4, 40, [](int c, int r) { return std::pow(1e3 * r, c - 1); }},
};

class SvdMatrices : public ::testing::TestWithParam<SvdCase> {};

TEST_P(SvdMatrices, AgreesBitForBitWithTheElementwiseDecomposition)
{
    const SvdCase& tc = GetParam();
    TMatrix A = MakeMatrix(tc.cols, tc.rows, tc.element);
    TMatrix R = MakeMatrix(tc.cols, tc.rows, tc.element);
    TMatrix V, RV;
    TVector W, RW;
    const bool ok = SingularValueDecomposition(A, V, W);
    const bool refOk = ReferenceSvd(R, RV, RW);
    EXPECT_EQ(ok, refOk);
    ASSERT_EQ(W.NrOfElem(), tc.cols);
    for (int c = 1; c <= tc.cols; ++c) {
        EXPECT_EQ(W.Elem(c), RW.Elem(c)) << "w " << c;
        for (int r = 1; r <= tc.rows; ++r) EXPECT_EQ(A.Elem(c, r), R.Elem(c, r)) << "U " << c << "," << r;
        for (int r = 1; r <= tc.cols; ++r) EXPECT_EQ(V.Elem(c, r), RV.Elem(c, r)) << "V " << c << "," << r;
    }
}

TEST_P(SvdMatrices, ReconstructsTheMatrixWithOrthonormalFactors)
{
    const SvdCase& tc = GetParam();
    TMatrix A = MakeMatrix(tc.cols, tc.rows, tc.element);
    const TMatrix original = MakeMatrix(tc.cols, tc.rows, tc.element);
    TMatrix V;
    TVector W;
    ASSERT_TRUE(SingularValueDecomposition(A, V, W));
    double wmax = 0.0;
    for (int c = 1; c <= tc.cols; ++c) {
        EXPECT_GE(W.Elem(c), 0.0);
        wmax = std::max(wmax, W.Elem(c));
    }
    const double tolerance = 1e-13 * std::max(wmax, 1.0);
    for (int r = 1; r <= tc.rows; ++r)
        for (int c = 1; c <= tc.cols; ++c) {
            double sum = 0.0;
            for (int k = 1; k <= tc.cols; ++k) sum += A.Elem(k, r) * W.Elem(k) * V.Elem(k, c);
            EXPECT_NEAR(sum, original.Elem(c, r), tolerance) << "row " << r << ", column " << c;
        }
    for (int i = 1; i <= tc.cols; ++i)
        for (int j = 1; j <= tc.cols; ++j) {
            double vv = 0.0;
            for (int k = 1; k <= tc.cols; ++k) vv += V.Elem(i, k) * V.Elem(j, k);
            EXPECT_NEAR(vv, i == j ? 1.0 : 0.0, 1e-13) << "V columns " << i << ", " << j;
        }
    if (tc.rows < tc.cols) return;   // U of a wide matrix keeps only the first rows
    for (int i = 1; i <= tc.cols; ++i)
        for (int j = 1; j <= tc.cols; ++j) {
            if (W.Elem(i) == 0.0 || W.Elem(j) == 0.0) continue;   // a zero value's column of U is zero
            double uu = 0.0;
            for (int r = 1; r <= tc.rows; ++r) uu += A.Elem(i, r) * A.Elem(j, r);
            EXPECT_NEAR(uu, i == j ? 1.0 : 0.0, 1e-12) << "U columns " << i << ", " << j;
        }
}

INSTANTIATE_TEST_SUITE_P(Svd, SvdMatrices, ::testing::ValuesIn(kSvdCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SvdLeastSquares, SolvesAConsistentSystemAndGivesUAndTruncation)
{
    // 2x + y = 5, x - y = 1, x + 2y = 4 has the exact solution (2, 1).
    TMatrix A = MakeMatrix(2, 3, [](int c, int r) {
        const double e[3][2] = {{2, 1}, {1, -1}, {1, 2}};
        return e[r - 1][c - 1];
    });
    TVector b(3), x(2);
    b.SetElem(1, 5);
    b.SetElem(2, 1);
    b.SetElem(3, 4);
    bool truncated = true;
    ASSERT_TRUE(SvdLeastSquares(A, b, x, truncated));
    EXPECT_FALSE(truncated);
    EXPECT_NEAR(x.Elem(1), 2.0, 1e-14);
    EXPECT_NEAR(x.Elem(2), 1.0, 1e-14);
    double norm = 0.0;   // A now holds U: orthonormal columns
    for (int r = 1; r <= 3; ++r) norm += A.Elem(1, r) * A.Elem(1, r);
    EXPECT_NEAR(norm, 1.0, 1e-14);
}

TEST(SvdLeastSquares, RankDeficientSystemGivesTheMinimumNormSolution)
{
    // Two equal columns: x1 + x2 = 2 on every row; the minimum-norm answer splits evenly.
    TMatrix A = MakeMatrix(2, 4, [](int, int) { return 1.0; });
    TVector b(4), x(2);
    b.Fill(2.0);
    bool truncated = false;
    ASSERT_TRUE(SvdLeastSquares(A, b, x, truncated));
    EXPECT_TRUE(truncated);
    EXPECT_NEAR(x.Elem(1), 1.0, 1e-14);
    EXPECT_NEAR(x.Elem(2), 1.0, 1e-14);
}

TEST(SvdBackSubstitute, ZeroSingularValuesContributeNothing)
{
    TMatrix U = MakeMatrix(2, 2, [](int c, int r) { return c == r ? 1.0 : 0.0; });
    TMatrix V = MakeMatrix(2, 2, [](int c, int r) { return c == r ? 1.0 : 0.0; });
    TVector W(2), b(2), x(2);
    W.SetElem(1, 4.0);
    b.SetElem(1, 8.0);
    b.SetElem(2, 5.0);
    EXPECT_TRUE(SvdBackSubstitute(U, V, W, b, x));
    EXPECT_EQ(x.Elem(1), 2.0);
    EXPECT_EQ(x.Elem(2), 0.0);
}

// ---- the polynomial fit ----

struct PolyResult {
    bool ok = false;
    std::vector<double> c;
    double quality = -1.0;
    bool truncated = false;
};

PolyResult Poly(TCurveFit& fit, int m)
{
    PolyResult r;
    r.c.assign(std::size_t(m) + 2, 7.0);   // one spare place that must stay untouched
    r.ok = fit.CalcPolynomialFit(std::uint8_t(m), r.c, r.quality, r.truncated);
    return r;
}

TEST(CalcPolynomialFit, OrderOneOnALineEqualsTheClosedFormLine)
{
    TCurveFit fit;
    Fill(fit, {{-3.5, -6.0}, {0.25, 1.5}, {2.0, 5.0}, {10.0, 21.0}, {1e3, 2001.0}});
    double k, d, q;
    fit.CalcLinFit(k, d, q);
    const PolyResult r = Poly(fit, 1);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(AgreesTo(r.c[1], k, 13));
    EXPECT_TRUE(AgreesTo(r.c[0], d, 12));
    EXPECT_TRUE(AgreesTo(r.quality, 1.0, 14));
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.c[2], 7.0);
}

TEST(CalcPolynomialFit, ThreePointParabola)
{
    TCurveFit fit;
    Fill(fit, {{-1, 1}, {0, 0}, {1, 1}});
    const PolyResult r = Poly(fit, 2);
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(r.c[0], 0.0, 1e-15);
    EXPECT_NEAR(r.c[1], 0.0, 1e-15);
    EXPECT_NEAR(r.c[2], 1.0, 1e-15);
    EXPECT_NEAR(r.quality, 1.0, 1e-15);
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.c[3], 7.0);
}

TEST(CalcPolynomialFit, OrderZeroIsTheMeanWithQualityZero)
{
    TCurveFit fit;
    Fill(fit, {{1, 0.1}, {2, 0.7}, {3, 0.3}, {4, 1.9}, {5, 0.45}, {6, 3.3}, {7, 0.2}});
    const PolyResult r = Poly(fit, 0);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(AgreesTo(r.c[0], (0.1 + 0.7 + 0.3 + 1.9 + 0.45 + 3.3 + 0.2) / 7, 14));
    EXPECT_EQ(r.quality, 0.0);
    EXPECT_EQ(r.c[1], 7.0);
}

TEST(CalcPolynomialFit, AllXEqualTruncatesAndFitsTheMean)
{
    TCurveFit fit;
    Fill(fit, {{2, 1}, {2, 4}, {2, 2.5}, {2, 3.1}});
    const PolyResult r = Poly(fit, 2);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.truncated);
    const double fitted = r.c[0] + r.c[1] * 2 + r.c[2] * 4;
    EXPECT_TRUE(AgreesTo(fitted, (1 + 4 + 2.5 + 3.1) / 4, 13));
    EXPECT_EQ(r.quality, 0.0);
}

TEST(CalcPolynomialFit, AllXZeroFitsTheMean)
{
    // The power columns are zero, so the decomposition starts with a zero singular value above a
    // non-zero superdiagonal element and has to cancel it.
    TCurveFit fit;
    Fill(fit, {{0, 1}, {0, 4}, {0, 2.5}, {0, 3.1}, {0, -2}});
    const PolyResult r = Poly(fit, 3);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.truncated);
    EXPECT_TRUE(AgreesTo(r.c[0], (1 + 4 + 2.5 + 3.1 - 2) / 5, 13));
}

TEST(CalcPolynomialFit, NoPointsGivesZeros)
{
    TCurveFit fit;
    const PolyResult r = Poly(fit, 3);
    EXPECT_TRUE(r.ok);
    for (int j = 0; j <= 3; ++j) EXPECT_EQ(r.c[j], 0.0);
    EXPECT_EQ(r.quality, 0.0);
    EXPECT_EQ(r.c[4], 7.0);
}

TEST(CalcPolynomialFit, FewerPointsThanCoefficientsGivesTheMinimumNormSolution)
{
    // Two points and order 3: among all cubics through them the one with the least sum of
    // squared coefficients. With x = 1 and x = -1 the conditions split into c0 + c2 = 2 and
    // c1 + c3 = -1 (for y = 1 at x = 1 and y = 3 at x = -1), so c0 = c2 = 1, c1 = c3 = -0.5.
    TCurveFit fit;
    Fill(fit, {{1, 1}, {-1, 3}});
    const PolyResult r = Poly(fit, 3);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.truncated);
    EXPECT_NEAR(r.c[0], 1.0, 1e-14);
    EXPECT_NEAR(r.c[1], -0.5, 1e-14);
    EXPECT_NEAR(r.c[2], 1.0, 1e-14);
    EXPECT_NEAR(r.c[3], -0.5, 1e-14);
    EXPECT_NEAR(r.quality, 1.0, 1e-14);
}

TEST(CalcPolynomialFit, ExactPolynomialDataOfEveryOrderGivesQualityOne)
{
    for (int m = 1; m <= 9; ++m) {
        SCOPED_TRACE("order " + std::to_string(m));
        TCurveFit fit;
        for (int i = 0; i < 40; ++i) {
            const double x = -1.0 + i * 0.05;
            double y = 0.0;
            for (int j = m; j >= 0; --j) y = y * x + (j % 2 ? 1.0 : -0.5) * (j + 1);
            fit.AddPoint(x, y);
        }
        const PolyResult r = Poly(fit, m);
        ASSERT_TRUE(r.ok);
        EXPECT_FALSE(r.truncated);
        EXPECT_TRUE(AgreesTo(r.quality, 1.0, 12));
        for (int j = 0; j <= m; ++j) EXPECT_NEAR(r.c[j], (j % 2 ? 1.0 : -0.5) * (j + 1), 1e-7) << "c" << j;
    }
}

TEST(CalcPolynomialFit, QualityKeepsItsDigitsFarFromTheOrigin)
{
    TCurveFit near, far;
    const double ys[] = {0.3, -0.2, 0.9, 1.4, 1.1, 2.8, 3.0, 4.4};
    for (int i = 0; i < 8; ++i) {
        near.AddPoint(i, ys[i]);
        far.AddPoint(i, 1e9 + ys[i]);
    }
    const PolyResult a = Poly(near, 2);
    const PolyResult b = Poly(far, 2);
    EXPECT_TRUE(AgreesTo(b.quality, a.quality, 6));
}

// Points that are not numbers, or infinite, are refused like the closed-form fits refuse them.
struct NonFiniteCase {
    const char* name;
    Points points;
    int order;
};

const NonFiniteCase kNonFiniteCases[] = {
    {"MinusInfinityYOrder0", {{1, -HUGE_VAL}, {2, -HUGE_VAL}}, 0},
    {"InfinityYOrder2", {{1, 1}, {2, HUGE_VAL}, {3, 2}, {4, 0}}, 2},
    {"InfinityXOrder1", {{HUGE_VAL, 1}, {2, 3}, {3, 2}}, 1},
    {"NanYOrder3", {{1, 1}, {2, std::nan("")}, {3, 2}, {4, 0}, {5, 1}}, 3},
    {"NanXOrder9", {{std::nan(""), 1}, {2, 3}}, 9},
};

class PolynomialNonFinite : public ::testing::TestWithParam<NonFiniteCase> {};

TEST_P(PolynomialNonFinite, RaisesInvalidOperationAndKeepsTheStore)
{
    const NonFiniteCase& tc = GetParam();
    TCurveFit fit;
    Fill(fit, tc.points);
    EXPECT_THROW(Poly(fit, tc.order), EInvalidOp);
    EXPECT_EQ(fit.PointCount(), int(tc.points.size()));
    Fill(fit, {{0, 1}, {1, 3}, {2, 5}});
    const PolyResult r = Poly(fit, 1);
    EXPECT_TRUE(AgreesTo(r.c[1], 2.0, 14));
}

INSTANTIATE_TEST_SUITE_P(Poly, PolynomialNonFinite, ::testing::ValuesIn(kNonFiniteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The quality is a squared correlation: always within 0..1, also where the fitted values lie far
// from the mean of y or span many decades.
struct QualityCase {
    const char* name;
    Points points;
    int order;
    double expected;   // negative: only the range is checked
};

const QualityCase kQualityCases[] = {
    // Two points are fitted exactly by any non-constant fit.
    {"TwoPointsFarApart", {{-400, 10}, {1e10, 2.384185791015625e-07}}, 2, 1.0},
    {"TwoPointsOrder5", {{1e-3, 5}, {1e8, -7}}, 5, 1.0},
    {"ThreePointsHugeSpread", {{-1e9, 1}, {0, 1e-300}, {1e9, 3}}, 4, -1.0},
    {"FarOffset", {{1e9, 1e12}, {1e9 + 1, 1e12 + 1}, {1e9 + 2, 1e12 - 3}, {1e9 + 3, 1e12 + 2}}, 3, -1.0},
};

class PolynomialQuality : public ::testing::TestWithParam<QualityCase> {};

TEST_P(PolynomialQuality, LiesWithinZeroAndOne)
{
    const QualityCase& tc = GetParam();
    TCurveFit fit;
    Fill(fit, tc.points);
    const PolyResult r = Poly(fit, tc.order);
    EXPECT_GE(r.quality, 0.0);
    EXPECT_LE(r.quality, 1.0);
    if (tc.expected >= 0.0) {
        EXPECT_NEAR(r.quality, tc.expected, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Poly, PolynomialQuality, ::testing::ValuesIn(kQualityCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Certified data (NIST StRD): the coefficients and R^2 to the digits each set allows.
struct NistCase {
    const char* name;
    const char* file;
    int order;
    double coefficientDigits;
    double qualityDigits;
};

struct NistData {
    Points points;
    std::vector<double> b;
    double rSquared = 0.0;
};

NistData ReadNist(const std::string& file)
{
    std::ifstream in(std::string(KALMIRA_NIST_DIR) + "/" + file);
    NistData data;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    int first = 0, last = -1;
    const std::regex range(R"(Data\s+\(lines\s+(\d+)\s+to\s+(\d+)\))");
    const std::regex param(R"(^\s+B(\d+)\s+(\S+))");
    const std::regex r2(R"(R-Squared\s+(\S+))");
    for (const std::string& line : lines) {
        std::smatch m;
        if (last < 0 && std::regex_search(line, m, range)) {
            first = std::stoi(m[1]);
            last = std::stoi(m[2]);
        } else if (std::regex_search(line, m, param)) {
            const std::size_t k = std::stoul(m[1]);
            if (data.b.size() <= k) data.b.resize(k + 1);
            data.b[k] = std::stod(m[2]);
        } else if (std::regex_search(line, m, r2)) {
            data.rSquared = std::stod(m[1]);
        }
    }
    for (int i = first; i <= last && i <= int(lines.size()); ++i) {
        std::istringstream fields(lines[i - 1]);
        double x, y;
        if (fields >> y >> x) data.points.emplace_back(x, y);
    }
    return data;
}

// The digits each data set allows: its exact least-squares solution of the given doubles reaches
// about 14.1, 13.5, 13.2 (Wampler2's decimal y are not binary fractions), 14.0 (Filip) and 15
// elsewhere. The common numerical libraries reach 13.0, 12.7, 9.8, 13.6, 9.3, 7.9 and 5.9, and
// 8.0 on Filip.
const NistCase kNistCases[] = {
    {"Norris", "Norris.dat", 1, 14.0, 11},
    {"Pontius", "Pontius.dat", 2, 13.4, 11},
    {"Wampler1", "Wampler1.dat", 5, 15.0, 12},
    {"Wampler2", "Wampler2.dat", 5, 13.1, 12},
    {"Wampler3", "Wampler3.dat", 5, 15.0, 10},
    {"Wampler4", "Wampler4.dat", 5, 15.0, 10},
    {"Wampler5", "Wampler5.dat", 5, 15.0, 10},
    // Condition near 5e9 in the raw powers with equal column norms, near 2e3 in the centred t.
    {"Filip", "Filip.dat", 10, 13.5, 10},
};

class NistPolynomial : public ::testing::TestWithParam<NistCase> {};

TEST_P(NistPolynomial, MatchesTheCertifiedValues)
{
    const NistCase& tc = GetParam();
    const NistData data = ReadNist(tc.file);
    ASSERT_FALSE(data.points.empty());
    ASSERT_EQ(data.b.size(), std::size_t(tc.order + 1));
    TCurveFit fit;
    Fill(fit, data.points);
    const PolyResult r = Poly(fit, tc.order);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.truncated);
    for (int j = 0; j <= tc.order; ++j)
        EXPECT_TRUE(AgreesTo(r.c[j], data.b[j], tc.coefficientDigits)) << "B" << j;
    EXPECT_TRUE(AgreesTo(r.quality, data.rSquared, tc.qualityDigits));
    // The loops for machines without wide vectors give the same numbers.
    kernels::UsePortableKernels(true);
    const PolyResult portable = Poly(fit, tc.order);
    kernels::UsePortableKernels(false);
    for (int j = 0; j <= tc.order; ++j) EXPECT_EQ(portable.c[j], r.c[j]) << "B" << j;
    EXPECT_EQ(portable.quality, r.quality);
}

INSTANTIATE_TEST_SUITE_P(Nist, NistPolynomial, ::testing::ValuesIn(kNistCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The fitted values do not depend on the unit of x: x in thousands or in thousandths gives the
// same values at the data, and nothing is truncated, at every order the window offers.
struct UnitCase {
    const char* name;
    Points points;
};

Points OwnData()
{
    Points points;
    for (int i = 0; i < 30; ++i) {
        const double x = 0.37 * i;
        points.emplace_back(x, std::exp(0.1 * x) * std::sin(x) + 0.01 * ((i * 7919) % 13));
    }
    return points;
}

// The polynomial at x, evaluated in long double so that the evaluation adds no noise of its own.
long double Evaluate(const std::vector<double>& c, int m, double x)
{
    long double value = 0.0L;
    for (int j = m; j >= 0; --j) value = value * x + c[j];
    return value;
}

TEST(CalcPolynomialFit, FittedValuesDoNotDependOnTheUnitOfX)
{
    const UnitCase cases[] = {
        {"Pontius", ReadNist("Pontius.dat").points},
        {"Norris", ReadNist("Norris.dat").points},
        {"Own", OwnData()},
    };
    for (const UnitCase& tc : cases) {
        ASSERT_FALSE(tc.points.empty());
        for (int m = 1; m <= 9; ++m) {
            SCOPED_TRACE(std::string(tc.name) + " order " + std::to_string(m));
            TCurveFit plain, thousands, thousandths;
            for (const auto& [x, y] : tc.points) {
                plain.AddPoint(x, y);
                thousands.AddPoint(x * 1000.0, y);
                thousandths.AddPoint(x / 1000.0, y);
            }
            const PolyResult a = Poly(plain, m), b = Poly(thousands, m), c = Poly(thousandths, m);
            EXPECT_FALSE(a.truncated);
            EXPECT_FALSE(b.truncated);
            EXPECT_FALSE(c.truncated);
            long double largest = 0.0L;
            for (const auto& p : tc.points) largest = std::max(largest, std::fabs(Evaluate(a.c, m, p.first)));
            for (const auto& [x, y] : tc.points) {
                const long double fitted = Evaluate(a.c, m, x);
                EXPECT_LE(std::fabs(double(Evaluate(b.c, m, x * 1000.0) - fitted)), 1e-10 * double(largest)) << x;
                EXPECT_LE(std::fabs(double(Evaluate(c.c, m, x / 1000.0) - fitted)), 1e-10 * double(largest)) << x;
            }
            EXPECT_TRUE(AgreesTo(b.quality, a.quality, 10));
            EXPECT_TRUE(AgreesTo(c.quality, a.quality, 10));
        }
    }
}

// The design as SvdLeastSquares takes it, one row per point and one column per coefficient:
// x, x^2, ..., x^m by repeated multiplication, the constant last.
TMatrix Design(const Points& points, int m)
{
    TMatrix A(m + 1, int(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        double power = points[i].first;
        for (int j = 1; j <= m; ++j) {
            if (j > 1) power *= points[i].first;
            A.SetElem(j, int(i) + 1, power);
        }
        A.SetElem(m + 1, int(i) + 1, 1.0);
    }
    return A;
}

// Truncation is decided on the design with its columns scaled to equal norms. Designs that are
// rank-deficient there (all x equal, fewer distinct x or fewer points than coefficients) truncate
// exactly as the whole raw design's decomposition does, with the same fitted values. Others are
// not truncated, however far from the origin or however small x is: their fitted values are those
// of a well-conditioned design in t = (x - shift) 2^exponent, which spans the same polynomials.
struct TruncationCase {
    const char* name;
    Points points;
    int order;
    bool truncates;
    double shift = 0.0;   // the reference design's t = (x - shift) 2^exponent (cases that do not truncate)
    int exponent = 0;
};

Points Spaced(double first, double step, int count, double (*f)(double))
{
    Points points;
    for (int i = 0; i < count; ++i) points.emplace_back(first + i * step, f(first + i * step));
    return points;
}

double Wave(double x) { return std::sin(3 * x) + 0.1 * x; }

const TruncationCase kTruncationCases[] = {
    {"ThreeDistinctXOrder4", {{1, 2}, {2, 3}, {3, 1}, {1, 2.5}, {2, 2}, {3, 0}, {1, 1}}, 4, true},
    {"DuplicateRowsOrder3", {{0.5, 1}, {0.5, 1}, {-1, 2}, {-1, 2}, {2, 0}, {2, 0}}, 3, true},
    {"AllXEqualOrder2", {{2, 1}, {2, 4}, {2, 2.5}, {2, 3.1}}, 2, true},
    {"AllXEqualOrder5", {{-3, 1}, {-3, 4}, {-3, 2.5}}, 5, true},
    {"FewerPointsThanCoefficients", {{1, 1}, {-1, 3}, {4, 0}}, 5, true},
    {"OnePointOrder1", {{7, 3}}, 1, true},
    // Far from the origin: the raw powers differ by decades, the scaled columns do not.
    {"Near1000Order2", Spaced(1000, 0.1, 11, Wave), 2, false, 1000.5, 0},
    {"Near1000Order3", Spaced(1000, 0.1, 11, Wave), 3, false, 1000.5, 0},
    {"WellPosedOrder4", Spaced(-1, 0.1, 21, Wave), 4, false},
    // Tiny x, whose square ends below the normal doubles.
    {"TinyXOrder1", {{1e-160, 1}, {2e-160, 2}, {3e-160, 1.5}, {-1e-160, 0.5}}, 1, false, 0.0, 532},
    {"SubnormalY", {{1, 1e-310}, {2, 3e-310}, {3, 2e-310}, {4, 0}}, 1, false},
};

class PolynomialTruncation : public ::testing::TestWithParam<TruncationCase> {};

TEST_P(PolynomialTruncation, TruncatesOnlyWhatTheDataLeaveOpen)
{
    const TruncationCase& tc = GetParam();
    TCurveFit fit;
    Fill(fit, tc.points);
    const PolyResult r = Poly(fit, tc.order);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.truncated, tc.truncates);
    const int cols = tc.order + 1;
    Points reference = tc.points;
    for (auto& p : reference) p.first = std::ldexp(p.first - tc.shift, tc.exponent);
    TMatrix A = Design(reference, tc.order);
    TVector b(int(tc.points.size())), x(cols);
    for (std::size_t i = 0; i < tc.points.size(); ++i) b.SetElem(int(i) + 1, tc.points[i].second);
    bool truncated = false;
    ASSERT_TRUE(SvdLeastSquares(A, b, x, truncated));
    EXPECT_EQ(truncated, tc.truncates);
    double scale = 0.0;
    for (const auto& p : tc.points) scale = std::max(scale, std::fabs(p.second));
    for (std::size_t i = 0; i < tc.points.size(); ++i) {
        double mine = 0.0, part = 0.0;
        for (int j = tc.order; j >= 0; --j) {
            mine = mine * tc.points[i].first + r.c[j];
            part = part * reference[i].first + (j == 0 ? x.Elem(cols) : x.Elem(j));
        }
        EXPECT_NEAR(mine, part, 1e-7 * scale) << "x = " << tc.points[i].first;
    }
}

// The same tiny x at order 2 determine a coefficient of x^2 near 1e320: beyond the doubles, so the
// fit raises the overflow instead of returning it truncated away.
TEST(CalcPolynomialFit, CoefficientBeyondTheDoublesRaisesOverflow)
{
    TCurveFit fit;
    Fill(fit, {{1e-160, 1}, {2e-160, 2}, {3e-160, 1.5}, {-1e-160, 0.5}});
    EXPECT_THROW(Poly(fit, 2), EOverflow);
}

INSTANTIATE_TEST_SUITE_P(Poly, PolynomialTruncation, ::testing::ValuesIn(kTruncationCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Random inputs of awkward shapes: every call returns (or raises a platform error for an
// overflowing power), and the decomposition reports convergence.
TEST(CalcPolynomialFit, ReturnsOnAwkwardRandomInputs)
{
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto start = std::chrono::steady_clock::now();
    int converged = 0, runs = 0;
    for (int run = 0; run < 400; ++run) {
        TCurveFit fit;
        const int n = 1 + int(unit(rng) * 60);
        const int shape = run % 5;
        for (int i = 0; i < n; ++i) {
            double x = 0.0;
            switch (shape) {
            case 0: x = std::pow(10.0, -8.0 + 16.0 * unit(rng)) * (unit(rng) < 0.5 ? -1 : 1); break;
            case 1: x = 1.0 + 1e-12 * unit(rng); break;              // nearly equal x
            case 2: x = std::floor(unit(rng) * 3.0); break;          // few distinct x
            case 3: x = 1e4 * (unit(rng) - 0.5); break;
            default: x = unit(rng); break;
            }
            const double y = shape == 4 ? 5.0 : std::pow(10.0, 6.0 * (unit(rng) - 0.5));
            fit.AddPoint(x, y);
        }
        const int m = run % 10;
        SCOPED_TRACE("run " + std::to_string(run));
        ++runs;
        const PolyResult r = Poly(fit, m);
        converged += r.ok;
        EXPECT_GE(r.quality, 0.0);
        EXPECT_LE(r.quality, 1.0);
        for (int j = 0; j <= m; ++j) EXPECT_TRUE(std::isfinite(r.c[j]));
    }
    EXPECT_EQ(converged, runs);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
