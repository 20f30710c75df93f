#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "alloc_failure.h"
#include "common/errors.h"
#include "curvefit/curvefit.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

struct FlagCase {
    const char* name;
    Points points;
    std::uint8_t flags;
};

class StoreFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(StoreFlags, RecordWhichTransformsSkippedAPoint)
{
    TCurveFit fit;
    for (auto [x, y] : GetParam().points) fit.AddPoint(x, y);
    EXPECT_EQ(fit.SumFlags(), GetParam().flags);
}

const FlagCase kFlagCases[] = {
    {"Positive", {{1, 2}, {3, 4}}, 0},
    {"XZero", {{0, 2}}, sfXNotPositive},
    {"XNegative", {{-1, 2}}, sfXNotPositive},
    {"YTinyPositive", {{1, 1e-31}}, sfYNearZero},
    {"DoubleNearestTo1e30IsAboveTheLimit", {{1, 1e-30}}, 0},  // compared in extended precision
    {"YJustAboveLimit", {{1, 1.0000001e-30}}, 0},
    {"YZeroXPositive", {{1, 0}}, sfYNearZero | sfYNotPositive},
    {"YNegative", {{1, -2}}, sfYNotPositive},
    {"YTinyNegative", {{1, -1e-31}}, sfYNearZero | sfYNotPositive},
    {"Everything", {{1, 2}, {-1, 0}}, sfXNotPositive | sfYNearZero | sfYNotPositive},
};
INSTANTIATE_TEST_SUITE_P(Store, StoreFlags, ::testing::ValuesIn(kFlagCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The sums of the transforms are added when a fit first needs them: fits between additions,
// after a clear and after a single point give, bit for bit, what fits on the whole store give.
TEST(Store, TransformedFitsBetweenAdditionsEqualFitsAtTheEnd)
{
    using Fit = void (TCurveFit::*)(double&, double&, double&);
    const Fit fits[] = {&TCurveFit::CalcReciLinFit, &TCurveFit::CalcLogFit, &TCurveFit::CalcReciLogFit,
                        &TCurveFit::CalcExponentialFit};
    Points points;
    for (int i = 1; i <= 40; ++i) points.emplace_back(0.37 * i, 2.0 + std::sin(0.5 * i));
    TCurveFit interleaved, atEnd;
    interleaved.AddPoint(5, 5);
    EXPECT_EQ(interleaved.SumFlags(), 0);
    interleaved.ClearData();
    for (std::size_t i = 0; i < points.size(); ++i) {
        interleaved.AddPoint(points[i].first, points[i].second);
        atEnd.AddPoint(points[i].first, points[i].second);
        double k0, k1, q;
        if (i % 7 == 3)
            for (Fit fit : fits) (interleaved.*fit)(k0, k1, q);
    }
    for (Fit fit : fits) {
        double a0, a1, aq, b0, b1, bq;
        (interleaved.*fit)(a0, a1, aq);
        (atEnd.*fit)(b0, b1, bq);
        EXPECT_EQ(a0, b0);
        EXPECT_EQ(a1, b1);
        EXPECT_EQ(aq, bq);
    }
}

TEST(Store, StartsEmpty)
{
    TCurveFit fit;
    EXPECT_EQ(fit.PointCount(), 0);
    EXPECT_EQ(fit.MinX(), 1.7e308);
    EXPECT_EQ(fit.SumFlags(), 0);
    EXPECT_EQ(fit.MeanY(), 0.0);
    EXPECT_EQ(fit.SplineSmoothing(), 0.5);
    EXPECT_EQ(fit.PointTable().NrOfColumns(), 2);
    EXPECT_EQ(fit.PointTable().NrOfRows(), 1000);
}

TEST(Store, KeepsPointsInEntryOrderWithMinXAndMeanY)
{
    TCurveFit fit;
    fit.AddPoint(3, 1);
    fit.AddPoint(-2, 5);
    fit.AddPoint(7, 0);
    EXPECT_EQ(fit.PointCount(), 3);
    EXPECT_EQ(fit.MinX(), -2.0);
    EXPECT_EQ(fit.MeanY(), 2.0);
    const TMatrix& t = fit.PointTable();
    EXPECT_EQ(std::make_pair(t.Elem(1, 1), t.Elem(2, 1)), std::make_pair(3.0, 1.0));
    EXPECT_EQ(std::make_pair(t.Elem(1, 2), t.Elem(2, 2)), std::make_pair(-2.0, 5.0));
    EXPECT_EQ(std::make_pair(t.Elem(1, 3), t.Elem(2, 3)), std::make_pair(7.0, 0.0));
    EXPECT_EQ(t.Elem(1, 4), 0.0);
}

TEST(Store, GrowsByThousandRowsAndClearKeepsCapacity)
{
    TCurveFit fit;
    for (int i = 1; i <= 1001; ++i) fit.AddPoint(i, -i);
    EXPECT_EQ(fit.PointTable().NrOfRows(), 2000);
    for (int i = 1; i <= 1001; i += 100) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fit.PointTable().Elem(1, i), i);
        EXPECT_EQ(fit.PointTable().Elem(2, i), -i);
    }
    EXPECT_EQ(fit.PointTable().Elem(1, 1001), 1001.0);

    fit.ClearData();
    EXPECT_EQ(fit.PointCount(), 0);
    EXPECT_EQ(fit.PointTable().NrOfRows(), 2000);
    EXPECT_EQ(fit.PointTable().Elem(1, 500), 0.0);
    EXPECT_EQ(fit.PointTable().Elem(2, 1001), 0.0);
    EXPECT_EQ(fit.MinX(), 1.7e308);
    EXPECT_EQ(fit.SumFlags(), 0);  // bits 1, 2 and 8 had been set by the negative y
    EXPECT_EQ(fit.MeanY(), 0.0);

    // After clearing, the sums start over: a fit sees only the new points.
    fit.AddPoint(1, 2);
    fit.AddPoint(2, 4);
    fit.AddPoint(3, 8);
    double k0, k1, q;
    fit.CalcExponentialFit(k0, k1, q);
    EXPECT_DOUBLE_EQ(k0, 1.0);
    EXPECT_DOUBLE_EQ(k1, std::log(2.0));
}

// Everything a fit or the file can see of the store, for before/after comparisons.
struct Snapshot {
    int count;
    double minX, meanY;
    std::uint8_t flags;
    std::vector<double> table;
    std::vector<double> fits;

    static Snapshot Of(TCurveFit& fit)
    {
        Snapshot s{fit.PointCount(), fit.MinX(), fit.MeanY(), fit.SumFlags(), {}, {}};
        for (int r = 1; r <= fit.PointTable().NrOfRows(); ++r)
            s.table.insert(s.table.end(), {fit.PointTable().Elem(1, r), fit.PointTable().Elem(2, r)});
        double a, b, c, q;
        fit.CalcLinFit(a, b, q);
        s.fits.insert(s.fits.end(), {a, b, q});
        fit.CalcParabolFit(a, b, c, q);
        s.fits.insert(s.fits.end(), {a, b, c, q});
        for (auto calc : {&TCurveFit::CalcReciLinFit, &TCurveFit::CalcLogFit, &TCurveFit::CalcReciLogFit,
                          &TCurveFit::CalcExponentialFit}) {
            (fit.*calc)(a, b, q);
            s.fits.insert(s.fits.end(), {a, b, q});
        }
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

TEST(Store, FailedGrowthLeavesTheStoreExactlyAsItWas)
{
    TCurveFit fit;
    for (int i = 1; i <= 1000; ++i) fit.AddPoint(1 + 0.01 * i, 2 + std::sin(i));
    const Snapshot before = Snapshot::Of(fit);

    try {
        FailLargeAllocations failing(16000);  // the grown table needs 2 x 2000 doubles
        fit.AddPoint(-5, 0);                  // would set every flag and change MinX
        FAIL() << "no error";
    } catch (const EQZLMatrixError& e) {
        EXPECT_STREQ(e.what(), "Component \"\": not enough memory on heap");
    }
    EXPECT_TRUE(Snapshot::Of(fit) == before);

    fit.AddPoint(-5, 0);
    EXPECT_EQ(fit.PointCount(), 1001);
    EXPECT_EQ(fit.PointTable().Elem(1, 1001), -5.0);
    EXPECT_EQ(fit.MinX(), -5.0);
}

}  // namespace
