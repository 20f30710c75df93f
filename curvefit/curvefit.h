#pragma once
// TCurveFit: the curve-fitting engine. It stores observed points (x, y) in entry order, keeps
// running sums for the closed-form fits, and fits lines, parabolas, four transformed models,
// polynomials and a smoothing spline to them. No Qt: it runs headless.
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "curvefit/centeredpoly.h"
#include "curvefit/matrix.h"
#include "curvefit/vector.h"

// Bits of SumFlags: which transformed sums skipped a point.
constexpr std::uint8_t sfXNotPositive = 1;   // some x <= 0 was entered
constexpr std::uint8_t sfYNotPositive = 2;   // some y <= 0 was entered
constexpr std::uint8_t sfYNearZero = 8;      // some |y| <= 1e-30 was entered

// A spline preparation stopped by its cancel flag. Not one of the engine's math errors: nothing
// is wrong with the data, and the next call prepares the spline again.
class ESplineCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "spline preparation cancelled"; }
};

// The smoothing spline's statistics over every point entered (tied x included).
struct TSplineStats {
    double Rss = 0.0;        // residual sum of squares over every point
    double Df = 0.0;         // equivalent degrees of freedom: the trace of the smoother matrix
    double Gcv = 0.0;        // generalised cross-validation score n RSS / (n - df)^2
    double Smoothing = 0.0;  // the factor: the allowance as a share of the straight line's residual
};

// The smoothing spline as a value of its own: its knots and the values and halved curvatures of
// its pieces there, as the engine keeps them (scaled by powers of two). Value gives exactly what
// the engine's SplineValue gives, without the engine.
class TSplineCurve {
public:
    // The spline at x: false (y = 0) outside the smallest and largest x entered.
    bool Value(double x, double& y) const;
    // The smallest x entered: where the curve starts.
    double LowX() const { return m_lowX; }

private:
    friend class TCurveFit;
    std::vector<double> m_x, m_a, m_c;   // indices 1..knots
    int m_xExponent = 0, m_yExponent = 0;
    double m_lowX = 0.0, m_highX = 0.0;
};

class TCurveFit {
public:
    TCurveFit();
    ~TCurveFit();
    TCurveFit(const TCurveFit&) = delete;
    TCurveFit& operator=(const TCurveFit&) = delete;

    // properties
    int PointCount() const { return m_pointCount; }
    double MinX() const { return m_minX; }               // 1.7e308 when there is no point
    std::uint8_t SumFlags() const
    {
        SumTransformed();
        return m_sumFlags;
    }
    double SplineSmoothing() const { return m_splineSmoothing; }
    void SetSplineSmoothing(double factor);              // no range check; invalidates the spline
    // A flag another thread may set to stop a spline preparation between two passes of its
    // solver (nullptr: none). A stopped preparation raises ESplineCancelled, leaves the spline to
    // be prepared again, and the next one starts from the p it reached. The search of
    // ChooseSplineSmoothingByGcv stops between two of its tries the same way, SplineSmoothing at
    // the factor last tried.
    void SetSplineCancel(const std::atomic<bool>* flag) { m_splineCancel = flag; }
    // The passes of the band solver the last preparation of the spline took on all the points.
    int SplinePasses() const { return m_splinePasses; }
    const TMatrix& PointTable() const { return m_points; }  // column 1 x, column 2 y, rows 1..PointCount
    double MeanY() const;                                // running sum of y / PointCount; 0 when empty

    // the store
    void ClearData();
    void AddPoint(double x, double y);
    // Room for `count` points in all, so that adding that many does not grow the table on the
    // way (no copy, no spare room). Raises EQZLMatrixError when the memory is not there.
    void ReservePoints(int count);

    // closed-form fits: outputs are 0 on entry, EQZLMath2Error on bad data
    void CalcLinFit(double& k, double& d, double& quality);
    void CalcParabolFit(double& k0, double& k1, double& k2, double& quality);
    // The same parabola, also in the centred form its values are computed from (centre and scale
    // as the polynomial fit takes them).
    void CalcParabolFit(double& k0, double& k1, double& k2, double& quality, TCenteredPoly& centered);
    void CalcReciLinFit(double& k0, double& k1, double& quality);
    void CalcLogFit(double& k0, double& k1, double& quality);
    void CalcReciLogFit(double& k0, double& k1, double& quality);
    void CalcExponentialFit(double& k0, double& k1, double& quality);

    // polynomial of order m by least squares through a truncated SVD; c[0] is the constant,
    // c[j] the coefficient of x^j. Returns the decomposition's success.
    bool CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated);
    // The same fit, also in the centred form t = (x - centre) / scale in which it was solved and
    // from which its values are to be computed; c holds its raw coefficients, converted.
    bool CalcPolynomialFit(std::uint8_t m, std::span<double> c, double& quality, bool& truncated,
                           TCenteredPoly& centered);

    // the smoothing spline at x; valid is true for x inside [smallest x, largest x]
    double SplineValue(double x, double& quality, bool& valid);
    // The spline of the current points and factor (prepared first when needed) as a value, and
    // its statistics.
    TSplineCurve SplineCurve();
    TSplineStats SplineStats();
    // Smoothing chosen for the user: each sets SplineSmoothing to the factor that minimises the
    // generalised cross-validation score, or that gives `df` equivalent degrees of freedom (from 2,
    // the straight line, to the number of distinct x, the interpolating spline), prepares that
    // spline and returns the factor.
    double ChooseSplineSmoothingByGcv();
    double ChooseSplineSmoothingForDf(double df);

    // writes the points as a tab-separated text file with CR LF line ends
    void WriteDataFile(const std::string& fileName, const std::string& comment, int decimals,
                       std::string& errorText) const;

private:
    void PrepareSpline();
    void SortSplinePoints();
    double SplineDf() const;
    void PrepareSplineAtP(double p);
    void FinishSpline();

    TMatrix m_points{2, 1000};
    int m_pointCount = 0;
    double m_minX = 1.7e308;
    double m_maxX = -1.7e308;    // the largest x entered: with m_minX the range the centred forms span
    mutable std::uint8_t m_sumFlags = 0;

    // running sums of the transformed fits (owned by the store; see curvefit.cpp)
    struct TRunningSums;
    std::unique_ptr<TRunningSums> m_sums;
    mutable int m_summedCount = 0;   // the points the transformed sums hold
    void SumTransformed() const
    {
        if (m_summedCount < m_pointCount) AddUpTransformed();
    }
    void AddUpTransformed() const;
    void AddTransformed(TRunningSums& s, double x, double y) const;

    // smoothing spline cache
    double m_splineSmoothing = 0.5;
    bool m_splineValid = false;
    double m_splineQuality = 0.0;
    // the knots (the sorted x, ties merged) and the mean y there, the spline's values and halved
    // curvatures; indices 1..knots
    std::vector<double> m_splineX, m_splineY, m_splineA, m_splineC;
    // the standard deviation of each knot's mean y, 1 / sqrt(points merged into it); empty when
    // no points were merged
    std::vector<double> m_splineDy;
    double m_splineWithin = 0.0;     // the scatter of y about their knots' means, which no curve removes
    double m_splineLineResidual = 0.0, m_splineLineMeanX = 0.0, m_splineLineMeanY = 0.0, m_splineLineSlope = 0.0;
    double m_splineSpread = 0.0;     // sum((y - mean y)^2) over every point
    double m_splineRss = 0.0;        // the spline's residual sum of squares over every point
    bool m_splineIsLine = false;     // the spline is the straight line (factor 1 or more)
    bool m_splineSorted = false;     // the knots above belong to the current points
    int m_splineXExponent = 0;       // m_splineX holds x 2^-m_splineXExponent, |x| < 1
    int m_splineYExponent = 0;       // m_splineY and m_splineA hold y 2^-m_splineYExponent, |y| < 1
    double m_splineLowX = 0.0, m_splineHighX = 0.0;  // the smallest and largest x, unscaled
    double m_splineStartP = 0.0;     // where the next preparation's iteration starts; 0 after new points
    double m_splineSettledS = -1.0;  // the allowance at which that p was found
    double m_splineSettledPower = 0.0;  // d ln F / d ln p near that p: the next allowance's first step
    const std::atomic<bool>* m_splineCancel = nullptr;
    int m_splinePasses = 0;
    // m_splineA, m_splineC and m_splineQuality hold the whole spline of the current points for
    // the factor m_splineHeldFactor: setting that factor again finds it there.
    bool m_splineHeld = false;
    double m_splineHeldFactor = 0.0;
};

// Reinsch's smoothing spline on the points n1..n2 (1-based) of x, y with standard deviations dy
// and the bound S on sum(((s(x_i) - y_i) / dy_i)^2). Writes a_i, c_i for i = n1..n2 and b_i, d_i
// for i = n1..n2-1; all arrays are indexed from 1 (element 0 unused); dy may be nullptr for all 1.
// Returns the number of Newton steps it took.
int PenalizedCubicSpline(double S, int n1, int n2, const double* x, const double* y, const double* dy,
                         double* a, double* b, double* c, double* d);

// Least-squares solution of A x ~ b through a singular value decomposition; A receives U.
// Singular values below 1e-14 of the largest are discarded (truncated := true).
bool SvdLeastSquares(TMatrix& A, const TVector& b, TVector& x, bool& truncated);
// Golub-Reinsch: A (NrOfRows x NrOfColumns) becomes U with A = U diag(W) V^T; W unsorted.
bool SingularValueDecomposition(TMatrix& A, TMatrix& V, TVector& W);
// x := V diag(1/w) U^T b, a zero w contributing nothing.
bool SvdBackSubstitute(const TMatrix& U, const TMatrix& V, const TVector& W, const TVector& b, TVector& x);
