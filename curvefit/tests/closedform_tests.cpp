#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "testsupport/testsupport.h"

using testsupport::AgreesTo;

namespace {

using Points = std::vector<std::pair<double, double>>;

void Fill(TCurveFit& fit, const Points& points)
{
    fit.ClearData();
    for (auto [x, y] : points) fit.AddPoint(x, y);
}

// One of the six fits. It writes its outputs (parameters in declaration order, quality last)
// into `out`, which first holds 7s, so a failing fit shows what it left there.
using FitCall = std::function<void(TCurveFit&, std::vector<double>& out)>;
const FitCall kLin = [](TCurveFit& f, std::vector<double>& o) { o.assign(3, 7); f.CalcLinFit(o[0], o[1], o[2]); };
const FitCall kParabol = [](TCurveFit& f, std::vector<double>& o) {
    o.assign(4, 7);
    f.CalcParabolFit(o[0], o[1], o[2], o[3]);
};
FitCall TwoParameters(void (TCurveFit::*calc)(double&, double&, double&))
{
    return [calc](TCurveFit& f, std::vector<double>& o) { o.assign(3, 7); (f.*calc)(o[0], o[1], o[2]); };
}
const FitCall kReciLin = TwoParameters(&TCurveFit::CalcReciLinFit);
const FitCall kLog = TwoParameters(&TCurveFit::CalcLogFit);
const FitCall kReciLog = TwoParameters(&TCurveFit::CalcReciLogFit);
const FitCall kExp = TwoParameters(&TCurveFit::CalcExponentialFit);

std::vector<double> Outputs(const FitCall& call, TCurveFit& fit)
{
    std::vector<double> out;
    call(fit, out);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Results on small exact data.

struct ResultCase {
    const char* name;
    FitCall fit;
    Points points;
    std::vector<double> expected;  // parameters, quality
};

class ClosedFormResult : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ClosedFormResult, MatchesTheExactLeastSquaresSolution)
{
    const ResultCase& c = GetParam();
    TCurveFit fit;
    Fill(fit, c.points);
    const std::vector<double> got = Outputs(c.fit, fit);
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(got[i], c.expected[i], 1e-13 * std::max(1.0, std::fabs(c.expected[i])));
    }
}

const double e = std::exp(1.0);
const ResultCase kResultCases[] = {
    {"LinThreePoints", kLin, {{1, 2}, {2, 4}, {3, 6}}, {2, 0, 1}},
    {"LinTwoPoints", kLin, {{0, 1}, {1, 3}}, {2, 1, 1}},
    {"LinSharedXGivesZeros", kLin, {{2, 1}, {2, 3}, {2, 5}}, {0, 0, 0}},
    {"LinNoSpreadOfY", kLin, {{1, 4}, {2, 4}, {5, 4}}, {0, 4, 1}},
    {"LinNoisy", kLin, {{0, 0}, {1, 2}, {2, 1}, {3, 3}}, {0.8, 0.3, 0.64}},
    {"ParabolUnit", kParabol, {{-1, 1}, {0, 0}, {1, 1}}, {0, 0, 1, 1}},
    {"ParabolSharedXGivesMean", kParabol, {{3, 1}, {3, 2}, {3, 6}}, {3, 0, 0, 0}},
    {"ParabolShifted", kParabol, {{1, 6}, {2, 11}, {3, 18}, {4, 27}}, {3, 2, 1, 1}},
    {"ExponentialUnit", kExp, {{1, e}, {2, e * e}, {3, e * e * e}}, {1, 1, 1}},
    {"ReciLinExact", kReciLin, {{1, 1.0 / 3}, {2, 0.2}, {3, 1.0 / 7}}, {1, 2, 1}},
    {"LogExact", kLog, {{1, 2}, {e, 5}, {e * e, 8}}, {2, 3, 1}},
    {"ReciLogExact", kReciLog, {{1, 0.5}, {e, 0.2}, {e * e, 0.125}}, {2, 3, 1}},
};
INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormResult, ::testing::ValuesIn(kResultCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Checks: message, class, order; outputs stay 0.

struct CheckCase {
    const char* name;
    FitCall fit;
    Points points;
    const char* message;
};

class ClosedFormCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ClosedFormCheck, RaisesItsMessageAndLeavesOutputsZero)
{
    const CheckCase& c = GetParam();
    TCurveFit fit;
    Fill(fit, c.points);
    std::vector<double> out;
    try {
        c.fit(fit, out);
        FAIL() << "no error";
    } catch (const EQZLMath2Error& error) {
        EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(out, std::vector<double>(out.size(), 0.0));
}

// Points with x <= 0 and y <= 0 together: the count test comes first, then y before x.
const Points kBadXY = {{0, 0}, {1, -1}};
const Points kBadXY3 = {{0, 0}, {1, -1}, {2, 3}};
const CheckCase kCheckCases[] = {
    {"LinNone", kLin, {}, "CalcLinFit: not enough data points"},
    {"LinOne", kLin, {{1, 1}}, "CalcLinFit: not enough data points"},
    {"ParabolTwo", kParabol, {{1, 1}, {2, 2}}, "CalcParabolFit: not enough data points"},
    {"ReciLinCountFirst", kReciLin, kBadXY, "CalcReciLinFit: not enough data points"},
    {"LogCountFirst", kLog, kBadXY, "CalcLogFit: not enough data points"},
    {"ReciLogCountFirst", kReciLog, kBadXY, "CalcReciLogFit: not enough data points"},
    {"ExpCountFirst", kExp, kBadXY, "CalcExponentialFit: not enough data points"},
    {"ReciLinOneZeroY", kReciLin, {{1, 1}, {2, 0}, {3, 3}}, "CalcReciLinFit: y values must not be zero"},
    {"ReciLinTinyY", kReciLin, {{1, 1}, {2, 1e-31}, {3, 3}}, "CalcReciLinFit: y values must not be zero"},
    {"LogXZero", kLog, {{0, 1}, {2, 2}, {3, 3}}, "CalcLogFit: x values must not be negative or zero"},
    {"ReciLogYBeforeX", kReciLog, kBadXY3, "CalcReciLogFit: y values must not be negative or zero"},
    {"ReciLogTinyY", kReciLog, {{1, 1}, {2, 1e-31}, {3, 3}}, "CalcReciLogFit: y values must not be negative or zero"},
    {"ReciLogXNegative", kReciLog, {{-1, 1}, {2, 2}, {3, 3}}, "CalcReciLogFit: x values must not be negative or zero"},
    {"ExpYBeforeX", kExp, kBadXY3, "CalcExponentialFit: y values must not be negative or zero"},
    {"ExpXZero", kExp, {{0, 1}, {2, 2}, {3, 3}}, "CalcExponentialFit: x values must not be negative or zero"},
};
INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormCheck, ::testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClosedForm, ExponentialRefusesAFactorBelowTheSmallestDouble)
{
    TCurveFit fit;
    Fill(fit, {{1, 1e-290}, {2, 1e-200}, {3, 1e-100}});
    std::vector<double> out;
    try {
        kExp(fit, out);
        FAIL() << "no error";
    } catch (const EQZLMath2Error& error) {
        EXPECT_STREQ(error.what(), "CalcExponentialFit: cannot fit function");
    }
    EXPECT_NEAR(out[1], 95 * std::log(10.0), 1e-9);  // the slope is already out
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[2], 0.0);
}

// ---------------------------------------------------------------------------------------------
// Floating-point faults become the platform's errors (this file is built with -O2).

struct FaultCase {
    const char* name;
    FitCall fit;
    Points points;
    const char* message;
};

class ClosedFormFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ClosedFormFault, RaisesThePlatformErrorAndKeepsTheStore)
{
    const FaultCase& c = GetParam();
    TCurveFit fit;
    Fill(fit, c.points);
    std::vector<double> out;
    try {
        c.fit(fit, out);
        FAIL() << "no error";
    } catch (const EMathError& error) {
        EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(fit.PointCount(), static_cast<int>(c.points.size()));
    for (int i = 1; i <= fit.PointCount(); ++i) {
        EXPECT_EQ(fit.PointTable().Elem(1, i), c.points[i - 1].first);
        EXPECT_EQ(fit.PointTable().Elem(2, i), c.points[i - 1].second);
    }
    // The same store is usable again after clearing.
    Fill(fit, {{1, 2}, {2, 4}, {3, 6}});
    const std::vector<double> line = Outputs(kLin, fit);
    EXPECT_DOUBLE_EQ(line[0], 2.0);
    EXPECT_DOUBLE_EQ(line[2], 1.0);
}

const FaultCase kFaultCases[] = {
    // All X the same: the determinant vanishes. The intercept's numerator SXX SY - SX SXY from
    // the raw sums decides, as in the uncentred formula: where its rounding leaves something,
    // division by zero; where it is zero (always so when every X is 0), invalid operation.
    {"ExpSharedX", kExp, {{0.1, 2}, {0.1, 5}, {0.1, 7}}, kMsgZeroDivide},
    {"ReciLinSharedX", kReciLin, {{0.3, 2}, {0.3, 5}, {0.3, 7}}, kMsgZeroDivide},
    {"ReciLinSharedXNumeratorZero", kReciLin, {{3, 2}, {3, 5}, {3, 7}}, kMsgInvalidOp},
    {"LogSharedX", kLog, {{5, 2}, {5, 5}, {5, 7}}, kMsgZeroDivide},
    {"ReciLogSharedX", kReciLog, {{5, 2}, {5, 5}, {5, 7}}, kMsgZeroDivide},
    {"ReciLinAllXZero", kReciLin, {{0, 2}, {0, 5}, {0, 7}}, kMsgInvalidOp},
    {"LogAllXOne", kLog, {{1, 2}, {1, 5}, {1, 7}}, kMsgInvalidOp},
    {"ReciLogAllXOne", kReciLog, {{1, 2}, {1, 5}, {1, 7}}, kMsgInvalidOp},
    // Overflow.
    {"LinHugeY", kLin, {{1, 1e300}, {2, -1e300}, {3, 1e300}}, kMsgOverflow},
    {"LinHugeMean", kLin, {{1, 1.7e308}, {2, 1.7e308}, {3, 1.7e308}}, kMsgOverflow},
    {"ParabolHugeX", kParabol, {{1e100, 1}, {-1e100, 2}, {0, 3}}, kMsgOverflow},
    {"ReciLinHugeX", kReciLin, {{1e300, 1}, {-1e300, 2}, {0, 3}}, kMsgOverflow},
    {"ExpHugeFactor", kExp, {{1, 1e300}, {2, 1e200}, {3, 1e100}}, kMsgOverflow},
    // Not a number at all: the infinity itself passes silently, infinity minus infinity does not.
    {"LinInfiniteY", kLin, {{1, 1}, {2, HUGE_VAL}, {3, 3}}, kMsgInvalidOp},
    {"ExpInfiniteX", kExp, {{1, 1}, {HUGE_VAL, 2}, {3, 3}}, kMsgInvalidOp},
};
INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormFault, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClosedForm, TinyMagnitudesNeverFault)
{
    TCurveFit fit;
    Fill(fit, {{1e-300, 1e-300}, {2e-300, 3e-300}, {3e-300, 2e-300}});
    for (const FitCall& call : {kLin, kParabol, kLog}) EXPECT_NO_THROW(Outputs(call, fit));
    EXPECT_EQ(fit.PointCount(), 3);
}

// ---------------------------------------------------------------------------------------------
// Certified data.

struct NistData {
    Points points;  // (x, y)
    std::vector<double> parameters;  // B0, B1, ...
    double rSquared = 0;
};

NistData ReadNist(const std::string& name)
{
    std::ifstream in(std::string(KALMIRA_NIST_DIR) + "/" + name);
    EXPECT_TRUE(in.good()) << name;
    NistData data;
    std::string line;
    bool inData = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (inData) {
            double y, x;
            std::istringstream numbers(line);
            if (numbers >> y >> x) data.points.emplace_back(x, y);
        } else if (first.size() == 2 && first[0] == 'B' && std::isdigit(static_cast<unsigned char>(first[1]))) {
            double value;
            words >> value;
            data.parameters.push_back(value);
        } else if (first == "R-Squared") {
            words >> data.rSquared;
        } else if (first == "Data:" && line.find('y') != std::string::npos && line.find('x') != std::string::npos &&
                   line.find("Response") == std::string::npos) {
            inData = true;
        }
    }
    return data;
}

struct NistCase {
    const char* name;
    const char* file;
    FitCall fit;
    double digits;         // significant digits the parameters must reach on this data
    double qualityDigits;  // and the quality
};

class ClosedFormNist : public ::testing::TestWithParam<NistCase> {};

TEST_P(ClosedFormNist, ReachesTheCertifiedValues)
{
    const NistCase& c = GetParam();
    const NistData data = ReadNist(c.file);
    ASSERT_GE(data.points.size(), 30u);
    TCurveFit fit;
    Fill(fit, data.points);
    const std::vector<double> got = Outputs(c.fit, fit);
    ASSERT_EQ(got.size(), data.parameters.size() + 1);
    for (std::size_t i = 0; i < data.parameters.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(AgreesTo(got[i], data.parameters[i], c.digits));
    }
    EXPECT_TRUE(AgreesTo(got.back(), data.rSquared, c.qualityDigits));
}

// The line's parameters are (d, k) against the certified (B0, B1): swap them into place.
const FitCall kLinB0B1 = [](TCurveFit& f, std::vector<double>& o) {
    kLin(f, o);
    std::swap(o[0], o[1]);
};
const NistCase kNistCases[] = {
    // The ceiling of the exact least-squares solution of the given doubles: 14.1 and 13.5.
    {"NorrisLine", "Norris.dat", kLinB0B1, 14.0, 12},
    {"PontiusParabola", "Pontius.dat", kParabol, 13.4, 9},
};
INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormNist, ::testing::ValuesIn(kNistCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Far from the origin.

class ClosedFormFarFromOrigin : public ::testing::TestWithParam<double> {};

// x = x0 + i/1024 is exact in doubles for x0 up to 1e9, and so are y of the centred line and
// parabola below: the fits must recover the uncentred parameters.
TEST_P(ClosedFormFarFromOrigin, LineAndParabolaStayExact)
{
    const double x0 = GetParam();
    TCurveFit fit;
    for (int i = 0; i <= 1024; ++i) {
        const double t = i / 1024.0;
        fit.AddPoint(x0 + t, 5 + 3 * t);
    }
    const std::vector<double> line = Outputs(kLin, fit);
    EXPECT_TRUE(AgreesTo(line[0], 3, 9));
    EXPECT_TRUE(AgreesTo(line[1], 5 - 3 * x0, 9));
    EXPECT_TRUE(AgreesTo(line[2], 1, 9));

    fit.ClearData();
    for (int i = 0; i <= 1024; ++i) {
        const double t = i / 1024.0;
        fit.AddPoint(x0 + t, 5 + 3 * t + 2 * t * t);
    }
    const std::vector<double> parabola = Outputs(kParabol, fit);
    EXPECT_TRUE(AgreesTo(parabola[0], 5 - 3 * x0 + 2 * x0 * x0, 9));
    EXPECT_TRUE(AgreesTo(parabola[1], 3 - 4 * x0, 9));
    EXPECT_TRUE(AgreesTo(parabola[2], 2, 9));
    EXPECT_TRUE(AgreesTo(parabola[3], 1, 9));
}

INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormFarFromOrigin, ::testing::Values(1e6, 1e9),
                         [](const auto& info) { return info.param == 1e6 ? "Near1e6" : "Near1e9"; });

// The exact least-squares line of Y on X, by two passes in 128-bit floating point.
struct Reference {
    double slope, intercept, quality;
};
Reference ExactLine(const std::vector<long double>& X, const std::vector<long double>& Y)
{
    using Q = __float128;
    const Q n = X.size();
    Q mx = 0, my = 0;
    for (std::size_t i = 0; i < X.size(); ++i) {
        mx += X[i];
        my += Y[i];
    }
    mx /= n;
    my /= n;
    Q cxx = 0, cyy = 0, cxy = 0;
    for (std::size_t i = 0; i < X.size(); ++i) {
        const Q dx = X[i] - mx, dy = Y[i] - my;
        cxx += dx * dx;
        cyy += dy * dy;
        cxy += dx * dy;
    }
    const Q slope = cxy / cxx;
    return {static_cast<double>(slope), static_cast<double>(my - slope * mx),
            static_cast<double>(cxy * cxy / (cxx * cyy))};
}

struct TransformedCase {
    const char* name;
    FitCall fit;
    bool logX;     // X = ln x, else X = x
    int yKind;     // Y = 1/y (0), y (1), ln y (2)
    std::function<double(double t, double noise)> y;  // y at x = 1e6 + t
    double digits;
};

class ClosedFormTransformed : public ::testing::TestWithParam<TransformedCase> {};

// 1000 points with x in [1e6, 1e6 + 1] and mildly noisy y: raw sums lose every digit here,
// the fits must not. At least 12 digits are needed for (x, 1/y) and (x, ln y) and 8 for the
// logarithmic fits, whose ln x spreads over only 1e-6; the rows ask for more, which the
// centred moments give.
TEST_P(ClosedFormTransformed, AgreesWithTheExactLeastSquaresFarFromTheOrigin)
{
    const TransformedCase& c = GetParam();
    TCurveFit fit;
    std::vector<long double> X, Y;
    for (int i = 0; i < 1000; ++i) {
        const double x = 1e6 + i / 999.0;
        const double noise = std::sin(1.7 * i) * std::cos(0.31 * i * i);  // in [-1, 1], no pattern
        const double y = c.y(x - 1e6, noise);
        fit.AddPoint(x, y);
        X.push_back(c.logX ? std::log(static_cast<long double>(x)) : x);
        Y.push_back(c.yKind == 0 ? 1.0L / y : c.yKind == 1 ? static_cast<long double>(y) : std::log((long double)y));
    }
    const Reference ref = ExactLine(X, Y);
    const std::vector<double> got = Outputs(c.fit, fit);
    const double k0 = c.yKind == 2 ? std::log(got[0]) : got[0];
    EXPECT_TRUE(AgreesTo(got[1], ref.slope, c.digits));
    EXPECT_TRUE(AgreesTo(k0, ref.intercept, c.digits));
    EXPECT_TRUE(AgreesTo(got[2], ref.quality, c.digits));
    EXPECT_GE(got[2], 0.0);
    EXPECT_LE(got[2], 1.0);
}

const TransformedCase kTransformedCases[] = {
    {"ReciLin", kReciLin, false, 0, [](double t, double n) { return 1 / (0.5 + 0.25 * t + 0.002 * n); }, 14},
    {"Exponential", kExp, false, 2, [](double t, double n) { return std::exp(0.3 + 5e-4 * t + 1e-5 * n); }, 14},
    {"Log", kLog, true, 1, [](double t, double n) { return 1 + std::log1p(t * 1e-6) * 1e6 + 0.01 * n; }, 12},
    {"ReciLog", kReciLog, true, 0,
     [](double t, double n) { return 1 / (1 + std::log1p(t * 1e-6) * 1e6 + 0.01 * n); }, 12},
};
INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormTransformed, ::testing::ValuesIn(kTransformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A million points: the intercept keeps the digits of the slope (cancellation in long sums of
// the first pass must not reach it).
TEST(ClosedForm, LineOnAMillionPointsKeepsItsIntercept)
{
    TCurveFit fit;
    std::vector<long double> X, Y;
    for (int i = 0; i < 1'000'000; ++i) {
        const double x = 3.0 + i * 1e-5 + 1e-6 * std::sin(0.7 * i);
        const double y = 2.5 + 0.7 * x + std::sin(1.3 * i) * std::cos(0.017 * i);
        fit.AddPoint(x, y);
        X.push_back(x);
        Y.push_back(y);
    }
    const Reference ref = ExactLine(X, Y);
    const std::vector<double> got = Outputs(kLin, fit);
    EXPECT_TRUE(AgreesTo(got[0], ref.slope, 14));
    EXPECT_TRUE(AgreesTo(got[1], ref.intercept, 14));
    EXPECT_TRUE(AgreesTo(got[2], ref.quality, 12));
}

class ClosedFormNoSpread : public ::testing::TestWithParam<double> {};

// All y equal and not a binary fraction: no spread of the dependent variable, quality 1.
TEST_P(ClosedFormNoSpread, TransformedQualityIsOne)
{
    TCurveFit fit;
    for (int i = 0; i < 200; ++i) fit.AddPoint(GetParam() + i / 199.0, 0.1);
    for (const FitCall& call : {kReciLin, kLog, kReciLog, kExp}) {
        const std::vector<double> got = Outputs(call, fit);
        EXPECT_EQ(got[2], 1.0);
        EXPECT_EQ(got[1], 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(ClosedForm, ClosedFormNoSpread, ::testing::Values(1.0, 1e6),
                         [](const auto& info) { return info.param == 1.0 ? "NearOne" : "Near1e6"; });

}  // namespace
