#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "alloc_failure.h"
#include "common/errors.h"
#include "curvefit/matrix.h"
#include "curvefit/vector.h"

namespace {

std::vector<double> Elements(const TVector& v)
{
    std::vector<double> out;
    for (int i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.Elem(i));
    return out;
}

TVector MakeVector(const std::vector<double>& values)
{
    TVector v(static_cast<int>(values.size()));
    for (int i = 0; i < static_cast<int>(values.size()); ++i) v.SetElem(i + 1, values[i]);
    return v;
}

TEST(Vector, StartsWithOneZeroAndGuardsItsRange)
{
    TVector v;
    EXPECT_EQ(v.NrOfElem(), 1);
    EXPECT_EQ(v.Elem(1), 0.0);
    int changes = 0;
    v.OnChange = [&](TVector&) { ++changes; };
    v.SetElem(0, 5.0);
    v.SetElem(2, 5.0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(v.Elem(0), 0.0);
    EXPECT_EQ(v.Elem(2), 0.0);
    v.SetElem(1, 7.5);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(v.Elem(1), 7.5);
}

TEST(Vector, ResizeKeepsTheOverlapAndIgnoresNonsense)
{
    TVector v = MakeVector({1, 2, 3});
    int changes = 0;
    v.OnChange = [&](TVector&) { ++changes; };
    v.SetNrOfElem(0);
    v.SetNrOfElem(-4);
    v.SetNrOfElem(3);
    EXPECT_EQ(changes, 0);
    v.SetNrOfElem(5);
    EXPECT_EQ(Elements(v), (std::vector<double>{1, 2, 3, 0, 0}));
    v.SetNrOfElem(2);
    v.SetNrOfElem(4);
    EXPECT_EQ(Elements(v), (std::vector<double>{1, 2, 0, 0}));
    EXPECT_EQ(changes, 3);
    v.Fill(-1.5);
    EXPECT_EQ(Elements(v), (std::vector<double>{-1.5, -1.5, -1.5, -1.5}));
    EXPECT_EQ(changes, 4);
}

TEST(Vector, FailedGrowthNamesTheComponentAndKeepsTheVector)
{
    TVector v(2, "Werte");
    v.SetElem(1, 4.0);
    try {
        FailLargeAllocations failing(1000);
        v.SetNrOfElem(1000);
        FAIL() << "no error";
    } catch (const EQZLVectorError& e) {
        EXPECT_STREQ(e.what(), "Component \"Werte\": not enough memory");
    }
    EXPECT_EQ(Elements(v), (std::vector<double>{4.0, 0.0}));
}

struct SortCase {
    const char* name;
    std::vector<double> values;
    int first, last;
    bool ascending;
    std::vector<double> sorted;
};

class VectorSort : public ::testing::TestWithParam<SortCase> {};

// The exchanges reported through OnSortExchange, replayed on a copy, give the sorted result:
// this is how the spline keeps y beside its x.
TEST_P(VectorSort, SortsAndReportsEveryExchange)
{
    const SortCase& c = GetParam();
    TVector v = MakeVector(c.values);
    std::vector<double> shadow = c.values;
    int changes = 0;
    v.OnChange = [&](TVector&) { ++changes; };
    v.OnSortExchange = [&](TVector& sender, std::uint8_t what, int i1, int i2, int first, int last) {
        EXPECT_EQ(&sender, &v);
        EXPECT_EQ(what, 0);
        EXPECT_EQ(std::make_tuple(first, last), std::make_tuple(0, 0));
        std::swap(shadow[i1 - 1], shadow[i2 - 1]);
    };
    if (c.ascending)
        v.SortAscending(c.first, c.last);
    else
        v.SortDescending(c.first, c.last);
    EXPECT_EQ(Elements(v), c.sorted);
    EXPECT_EQ(shadow, c.sorted);
    const bool hadWork = c.values.size() > 1 && c.first != c.last;
    EXPECT_EQ(changes, hadWork ? 1 : 0);
}

const SortCase kSortCases[] = {
    {"ThreeOneTwo", {3, 1, 2}, 1, 3, true, {1, 2, 3}},
    {"ReversedEnds", {3, 1, 2}, 3, 1, true, {1, 2, 3}},
    {"EndsClampedIntoRange", {5, 4, 3, 2, 1}, -7, 99, true, {1, 2, 3, 4, 5}},
    {"PartOnly", {9, 8, 7, 6, 5}, 2, 4, true, {9, 6, 7, 8, 5}},
    {"Descending", {1, 5, 2, 4, 3}, 1, 5, false, {5, 4, 3, 2, 1}},
    {"Duplicates", {2, 1, 2, 1, 2, 1, 0}, 1, 7, true, {0, 1, 1, 1, 2, 2, 2}},
    {"SingleElementRangeDoesNothing", {4, 3}, 2, 2, true, {4, 3}},
    {"Longer", {13, 2, 11, 7, 5, 17, 3, 19, 1, 23, 29, 0, -4, 8, 6, 14, 12, 10, 9, 15},
     1, 20, true, {-4, 0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 19, 23, 29}},
};
INSTANTIATE_TEST_SUITE_P(Containers, VectorSort, ::testing::ValuesIn(kSortCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Matrix, StartsOneByOneAndGuardsItsRange)
{
    TMatrix m;
    EXPECT_EQ(m.NrOfColumns(), 1);
    EXPECT_EQ(m.NrOfRows(), 1);
    EXPECT_EQ(m.DataID(), "");
    int changes = 0;
    m.OnChange = [&](TMatrix&) { ++changes; };
    m.SetElem(0, 1, 3.0);
    m.SetElem(1, 0, 3.0);
    m.SetElem(2, 1, 3.0);
    m.SetElem(1, 2, 3.0);
    EXPECT_EQ(changes, 0);
    m.SetElem(1, 1, 3.0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(m.Elem(1, 1), 3.0);
    EXPECT_EQ(m.Elem(2, 1), 0.0);
    EXPECT_EQ(m.Elem(1, 0), 0.0);
}

TEST(Matrix, ResizeKeepsOverlapAndNewElementsReadZero)
{
    TMatrix m(2, 3);
    for (int c = 1; c <= 2; ++c)
        for (int r = 1; r <= 3; ++r) m.SetElem(c, r, 10 * c + r);
    int changes = 0;
    m.OnChange = [&](TMatrix&) { ++changes; };

    m.Resize(3, 5);
    EXPECT_EQ(m.Elem(2, 3), 23.0);
    EXPECT_EQ(m.Elem(1, 4), 0.0);
    EXPECT_EQ(m.Elem(3, 1), 0.0);
    // Shrinking and growing again must not bring old values back.
    m.SetNrOfRows(1);
    m.SetNrOfRows(3);
    EXPECT_EQ(m.Elem(1, 1), 11.0);
    EXPECT_EQ(m.Elem(1, 2), 0.0);
    m.SetNrOfColumns(1);
    m.SetNrOfColumns(2);
    EXPECT_EQ(m.Elem(2, 1), 0.0);
    EXPECT_EQ(changes, 5);

    m.Resize(-3, 0);  // counts may be 0; storage stays
    EXPECT_EQ(m.NrOfColumns(), 0);
    EXPECT_EQ(m.NrOfRows(), 0);
    EXPECT_EQ(m.Elem(1, 1), 0.0);
    m.Resize(1, 1);
    EXPECT_EQ(m.Elem(1, 1), 0.0);
}

TEST(Matrix, GrowingByRowsKeepsEveryValue)
{
    TMatrix m(2, 1000);
    for (int step = 0; step < 20; ++step) {
        const int rows = m.NrOfRows();
        m.SetElem(1, rows, rows);
        m.SetElem(2, rows, -rows);
        m.Resize(2, rows + 1000);
    }
    for (int r = 1000; r <= 20000; r += 1000) {
        SCOPED_TRACE(r);
        EXPECT_EQ(m.Elem(1, r), r);
        EXPECT_EQ(m.Elem(2, r), -r);
        EXPECT_EQ(m.Elem(1, r + 1), 0.0);
    }
}

TEST(Matrix, FailedAllocationNamesTheComponentAndKeepsTheMatrix)
{
    TMatrix m(2, 2, "Punkte");
    m.SetElem(2, 2, 8.0);
    try {
        FailLargeAllocations failing(1000);
        m.Resize(20, 20);
        FAIL() << "no error";
    } catch (const EQZLMatrixError& e) {
        EXPECT_STREQ(e.what(), "Component \"Punkte\": not enough memory on heap");
    }
    EXPECT_EQ(m.NrOfColumns(), 2);
    EXPECT_EQ(m.NrOfRows(), 2);
    EXPECT_EQ(m.Elem(2, 2), 8.0);
    EXPECT_THROW(m.Resize(INT_MAX, INT_MAX), EQZLMatrixError);  // more than the address space
    EXPECT_EQ(m.Elem(2, 2), 8.0);
    FailLargeAllocations failing(1000);
    try {
        TMatrix big(20, 20, "Gross");
        FAIL() << "no error";
    } catch (const EQZLMatrixError& e) {
        EXPECT_STREQ(e.what(), "Component \"Gross\": not enough memory on heap");
    }
    try {
        TVector big(1000, "Lang");
        FAIL() << "no error";
    } catch (const EQZLVectorError& e) {
        EXPECT_STREQ(e.what(), "Component \"Lang\": not enough memory on heap");
    }
}

struct MeanCase {
    const char* name;
    int firstColumn, firstRow, lastColumn, lastRow;
    double mean;
};

class MatrixColumnMean : public ::testing::TestWithParam<MeanCase> {};

// Matrix 3 columns x 4 rows, element (c, r) = 10 c + r.
TEST_P(MatrixColumnMean, NormalisesTheBlockFirst)
{
    const MeanCase& c = GetParam();
    TMatrix m(3, 4);
    for (int col = 1; col <= 3; ++col)
        for (int row = 1; row <= 4; ++row) m.SetElem(col, row, 10 * col + row);
    EXPECT_DOUBLE_EQ(m.ColumnMean(c.firstColumn, c.firstRow, c.lastColumn, c.lastRow), c.mean);
}

const MeanCase kMeanCases[] = {
    {"OneColumn", 1, 1, 1, 4, 12.5},
    {"ZerosMeanWholeRange", 0, 0, 0, 0, 22.5},
    {"RowsZeroColumnsGiven", 2, 0, 2, 0, 22.5},
    {"EndsClamped", -5, -1, 1, 99, 12.5},
    {"ReversedEnds", 3, 3, 2, 2, 27.5},
    {"SingleElement", 3, 4, 3, 4, 34.0},
};
INSTANTIATE_TEST_SUITE_P(Containers, MatrixColumnMean, ::testing::ValuesIn(kMeanCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Matrix, CopyColumnToVectorFillsAndShortens)
{
    TMatrix m(2, 5);
    for (int r = 1; r <= 5; ++r) {
        m.SetElem(1, r, r);
        m.SetElem(2, r, -r);
    }
    TVector v(4);
    v.Fill(9.0);
    m.CopyColumnToVector(v, 2, 4, 2);  // reversed rows
    EXPECT_EQ(Elements(v), (std::vector<double>{-2, -3, -4, 0}));
    m.CopyColumnToVector(v, 7, 0, 0);  // beyond the last column: the last column; whole range cut to 4
    EXPECT_EQ(Elements(v), (std::vector<double>{-1, -2, -3, -4}));
    m.CopyColumnToVector(v, -1, 5, 9);  // below column 1: column 1
    EXPECT_EQ(Elements(v), (std::vector<double>{5, 0, 0, 0}));
}

}  // namespace
