// Hostile values through the store, the containers and the closed-form fits: every call ends,
// and a fit either raises one of the program's errors or gives finite parameters with a quality
// in 0..1. (The polynomial fit and the spline have their own fault tests.)
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/errors.h"
#include "curvefit/curvefit.h"
#include "curvefit/matrix.h"
#include "curvefit/vector.h"
#include "testsupport/testsupport.h"

namespace {

// Sizes and indices near the containers' ends, but never allocations of gigabytes.
int SizeOrIndex(testsupport::THostile& h)
{
    if (h.Chance(0.8)) return h.Between(-3, 40);
    const int special[] = {INT_MIN, INT_MIN + 1, -1, 0, INT_MAX, INT_MAX - 1};
    return special[h.Between(0, 5)];
}

}  // namespace

TEST(CurveFitRobustness, ContainersWithHostileSizesIndicesAndValues)
{
    testsupport::THostile h(12);
    testsupport::TRounds rounds(20000, 3);
    TVector v(5);
    TMatrix m(3, 4);
    while (rounds.Next()) {
        const int a = SizeOrIndex(h), b = SizeOrIndex(h);
        const bool small = a >= -3 && a <= 40 && b >= -3 && b <= 40;
        try {
            switch (h.Between(0, 11)) {
            case 0: if (small) v.SetNrOfElem(a); break;
            case 1: v.SetElem(a, h.Double()); break;
            case 2: v.Elem(a); break;
            case 3: v.Fill(h.Double()); break;
            case 4: v.SortAscending(a, b); break;
            case 5: v.SortDescending(a, b); break;
            case 6: if (small) m.Resize(a, b); break;
            case 7: m.SetElem(a, b, h.Double()); break;
            case 8: m.Elem(a, b); break;
            case 9: m.ColumnMean(a, b, SizeOrIndex(h), SizeOrIndex(h)); break;
            case 10: m.CopyColumnToVector(v, a, b, SizeOrIndex(h)); break;
            case 11: m.Fill(h.Double()); break;
            }
        } catch (const EQZLError&) {
        }
        ASSERT_GE(v.NrOfElem(), 1);
        ASSERT_GE(m.NrOfColumns(), 0);  // counts may be 0 (the storage stays 1 x 1)
        ASSERT_GE(m.NrOfRows(), 0);
    }
}

TEST(CurveFitRobustness, ClosedFormFitsRaiseOrGiveNumbers)
{
    testsupport::THostile h(13);
    testsupport::TRounds rounds(3000, 4);
    TCurveFit fit;
    while (rounds.Next()) {
        fit.ClearData();
        const int n = h.Between(0, 8);
        bool allFinite = true;
        for (int i = 0; i < n; ++i) {
            // often ordinary points with one hostile coordinate among them
            const double x = h.Chance(0.7) ? h.Between(-50, 50) + 0.25 * i : h.Double();
            const double y = h.Chance(0.7) ? h.Between(-50, 50) * 0.5 : h.Double();
            allFinite = allFinite && std::isfinite(x) && std::isfinite(y);
            try {
                fit.AddPoint(x, y);
            } catch (const std::runtime_error&) {
            }
        }
        ASSERT_TRUE(std::isfinite(fit.MeanY()) || !allFinite);
        double p[3] = {0, 0, 0}, quality = 0;
        for (int which = 0; which < 6; ++which) {
            SCOPED_TRACE(testing::Message() << "fit " << which << " of " << fit.PointCount() << " points");
            try {
                switch (which) {
                case 0: fit.CalcLinFit(p[0], p[1], quality); break;
                case 1: fit.CalcParabolFit(p[0], p[1], p[2], quality); break;
                case 2: fit.CalcReciLinFit(p[0], p[1], quality); break;
                case 3: fit.CalcLogFit(p[0], p[1], quality); break;
                case 4: fit.CalcReciLogFit(p[0], p[1], quality); break;
                case 5: fit.CalcExponentialFit(p[0], p[1], quality); break;
                }
            } catch (const std::runtime_error&) {
                continue;  // EQZLMath2Error or a floating-point error: a clear refusal
            }
            for (double v : p) ASSERT_TRUE(std::isfinite(v));
            ASSERT_TRUE(quality >= 0.0 && quality <= 1.0) << quality;
        }
    }
}
