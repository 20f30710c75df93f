#pragma once
// TMatrix: a resizable two-dimensional array of doubles, addressed by column then row, both
// 1-based, stored column by column. Reads outside the size give 0.0, writes there are dropped.
#include <functional>
#include <string>
#include <vector>

#include "curvefit/vector.h"

class TMatrix;
using TOnCalcDistanceEvent = std::function<void(TMatrix& Sender, int Row1, int Row2, double& Distance)>;

class TMatrix {
public:
    explicit TMatrix(int nrOfColumns = 1, int nrOfRows = 1, std::string name = {});

    // properties
    int NrOfColumns() const { return m_columns; }
    int NrOfRows() const { return m_rows; }
    void SetNrOfColumns(int n) { Resize(n, m_rows); }
    void SetNrOfRows(int n) { Resize(m_columns, n); }
    const std::string& DataID() const { return m_dataID; }
    void SetDataID(const std::string& id) { m_dataID = id; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    // events
    std::function<void(TMatrix& Sender)> OnChange;
    std::function<void(TMatrix& Sender, std::uint8_t ExchgWhat, int Index1, int Index2, int First, int Last)>
        OnSortExchange;
    TOnCalcDistanceEvent OnCalcDistance;

    // operations
    double Elem(int column, int row) const;
    void SetElem(int column, int row, double value);
    // Negative counts count as 0; storage is at least 1 x 1 while the counts take the values
    // asked for. Overlapping elements keep their values. A failed allocation raises
    // EQZLMatrixError and leaves the matrix as it was.
    void Resize(int columns, int rows);
    void Fill(double value);
    double ColumnMean(int firstColumn, int firstRow, int lastColumn, int lastRow) const;
    void CopyColumnToVector(TVector& vector, int column, int firstRow, int lastRow) const;

    // Contiguous storage of one column (rows 1..NrOfRows), for numeric inner loops.
    const double* ColumnData(int column) const;

private:
    void Changed() { if (OnChange) OnChange(*this); }
    int m_columns = 1;
    int m_rows = 1;
    int m_storedRows = 1;      // storage height, at least 1
    std::vector<double> m_data;  // column by column, m_storedRows per column
    std::string m_dataID;
    std::string m_name;
};
