#include "curvefit/matrix.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "common/errors.h"

// Storage: column c (1-based) occupies m_data[(c - 1) * m_storedRows, c * m_storedRows). The
// storage height m_storedRows may exceed NrOfRows: when a matrix only grows by rows it grows its
// storage geometrically, so that a table that gains 1000 rows at a time still costs amortised
// constant time per row. Storage rows beyond NrOfRows always hold 0.0.

namespace {

// Growth factor of the storage height when rows are added beyond it.
constexpr double kRowGrowthFactor = 1.5;

[[noreturn]] void ThrowNoMemory(const std::string& name)
{
    throw EQZLMatrixError(ecNoMemoryOnHeap, {name});
}

std::vector<double> ZeroStorage(std::size_t columns, std::size_t rows, const std::string& name)
{
    if (rows != 0 && columns > std::vector<double>().max_size() / rows) ThrowNoMemory(name);
    try {
        return std::vector<double>(columns * rows, 0.0);
    } catch (const std::bad_alloc&) {
        ThrowNoMemory(name);
    } catch (const std::length_error&) {
        ThrowNoMemory(name);
    }
}

// Normalises a 1-based index range against a size: both ends 0 mean the whole range; otherwise
// each end is clamped into 1..size and reversed ends are exchanged.
void NormaliseRange(int& first, int& last, int size)
{
    if (first == 0 && last == 0) {
        first = 1;
        last = size;
        return;
    }
    first = std::clamp(first, 1, std::max(size, 1));
    last = std::clamp(last, 1, std::max(size, 1));
    if (last < first) std::swap(first, last);
}

}  // namespace

TMatrix::TMatrix(int nrOfColumns, int nrOfRows, std::string name)
    : m_name(std::move(name))
{
    m_columns = std::max(nrOfColumns, 0);
    m_rows = std::max(nrOfRows, 0);
    m_storedRows = std::max(m_rows, 1);
    m_data = ZeroStorage(static_cast<std::size_t>(std::max(m_columns, 1)), static_cast<std::size_t>(m_storedRows),
                         m_name);
}

double TMatrix::Elem(int column, int row) const
{
    if (column < 1 || column > m_columns || row < 1 || row > m_rows) return 0.0;
    return m_data[static_cast<std::size_t>(column - 1) * m_storedRows + static_cast<std::size_t>(row - 1)];
}

void TMatrix::SetElem(int column, int row, double value)
{
    if (column < 1 || column > m_columns || row < 1 || row > m_rows) return;
    m_data[static_cast<std::size_t>(column - 1) * m_storedRows + static_cast<std::size_t>(row - 1)] = value;
    Changed();
}

void TMatrix::Resize(int columns, int rows)
{
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    const int storedColumns = std::max(m_columns, 1);
    const int wantedColumns = std::max(columns, 1);

    if (wantedColumns == storedColumns && rows <= m_storedRows) {
        // Fits the present storage: elements that come into use are already 0.0; elements that
        // drop out of use are cleared so that they read 0.0 if they come back.
        for (int c = 0; c < storedColumns; ++c) {
            double* column = m_data.data() + static_cast<std::size_t>(c) * m_storedRows;
            const int keepRows = c < columns ? std::min(rows, m_rows) : 0;
            if (keepRows < m_rows) std::fill(column + keepRows, column + m_rows, 0.0);
        }
    } else {
        int newStoredRows = std::max(rows, 1);
        if (wantedColumns == storedColumns && rows > m_storedRows) {
            const double grown = m_storedRows * kRowGrowthFactor;
            const double limit = std::numeric_limits<int>::max();
            newStoredRows = std::max(newStoredRows, static_cast<int>(std::min(grown, limit)));
        }
        std::vector<double> fresh = ZeroStorage(static_cast<std::size_t>(wantedColumns),
                                                static_cast<std::size_t>(newStoredRows), m_name);
        const int keepColumns = std::min(m_columns, columns);
        const int keepRows = std::min(m_rows, rows);
        for (int c = 0; c < keepColumns; ++c) {
            const double* from = m_data.data() + static_cast<std::size_t>(c) * m_storedRows;
            std::copy_n(from, keepRows, fresh.data() + static_cast<std::size_t>(c) * newStoredRows);
        }
        m_data.swap(fresh);
        m_storedRows = newStoredRows;
    }
    m_columns = columns;
    m_rows = rows;
    Changed();
}

void TMatrix::Fill(double value)
{
    for (int c = 0; c < m_columns; ++c) {
        double* column = m_data.data() + static_cast<std::size_t>(c) * m_storedRows;
        std::fill(column, column + m_rows, value);
    }
    Changed();
}

namespace {

// Sum of count doubles in four interleaved partial sums, so the additions need not wait for one
// another (four times the speed of a single running sum, and no less accurate).
double SumOf(const double* p, int count)
{
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        s0 += p[i];
        s1 += p[i + 1];
        s2 += p[i + 2];
        s3 += p[i + 3];
    }
    for (; i < count; ++i) s0 += p[i];
    return (s0 + s1) + (s2 + s3);
}

}  // namespace

double TMatrix::ColumnMean(int firstColumn, int firstRow, int lastColumn, int lastRow) const
{
    if (m_columns < 1 || m_rows < 1) return 0.0;
    NormaliseRange(firstColumn, lastColumn, m_columns);
    NormaliseRange(firstRow, lastRow, m_rows);
    const int rowCount = lastRow - firstRow + 1;
    double sum = 0.0;
    for (int c = firstColumn; c <= lastColumn; ++c) {
        const double* column = m_data.data() + static_cast<std::size_t>(c - 1) * m_storedRows;
        sum += SumOf(column + (firstRow - 1), rowCount);
    }
    return sum / (static_cast<double>(lastColumn - firstColumn + 1) * rowCount);
}

void TMatrix::CopyColumnToVector(TVector& vector, int column, int firstRow, int lastRow) const
{
    NormaliseRange(firstRow, lastRow, m_rows);
    lastRow = std::min(lastRow, firstRow + vector.NrOfElem() - 1);
    column = std::clamp(column, 1, std::max(m_columns, 1));
    vector.Fill(0.0);
    if (m_rows < 1 || m_columns < 1) return;
    const double* from = m_data.data() + static_cast<std::size_t>(column - 1) * m_storedRows;
    for (int r = firstRow; r <= lastRow; ++r) vector.SetElem(r - firstRow + 1, from[r - 1]);
}

const double* TMatrix::ColumnData(int column) const
{
    column = std::clamp(column, 1, std::max(m_columns, 1));
    return m_data.data() + static_cast<std::size_t>(column - 1) * m_storedRows;
}
