#pragma once
// The value table: a QTableView over TValueGridModel, which keeps the numbers themselves (two
// doubles a row) and the typed text only for the rare cell that is not a number. Row 0 of the
// cell interface is the header ("X", "Y"); data rows count from 1. The last data row is always
// empty: a value typed or pasted into it adds the next one, so there is always a row to type on.
#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class TValueGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TValueGridModel(int dataRows, QObject* parent = nullptr);

    // the cells; col 0 or 1, row 0 the header, data rows 1..DataRows()
    int DataRows() const { return static_cast<int>(m_values.size() / 2); }
    void SetDataRows(int rows);                  // new rows are empty; one more when the last is filled
    bool CellEmpty(int col, int row) const;      // outside the table counts as empty
    // The cell read as a number: a number cell gives its value; a text cell is read with the
    // locale's separator; an empty cell or a text that is not a number raises EConvertError.
    double CellValue(int col, int row) const;
    std::string CellText(int col, int row) const;  // header, typed text or the value's shortest text
    void SetCell(int col, int row, const std::string& text);  // rows beyond the end are added
    void SetNumbers(const std::vector<double>& x, const std::vector<double>& y);  // whole table
    void TakeRows(std::vector<double>&& rows);   // whole table, x and y interleaved, no copy
    void ClearCells();                           // every data cell empty, the rows stay
    int FirstFilledRowFrom(int row) const;       // the first data row from row on with a cell, 0 if none
    // The smallest and largest number of a column (0 or 1); false when it holds none.
    bool NumberRange(int col, double& low, double& high) const;

    // the model for the view
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The rows as numbers for a file: data rows up to the last filled one, wholly empty rows left
    // out. A row with one empty cell or a cell that is not a number raises EConvertError naming it.
    void FilledRows(std::vector<double>& x, std::vector<double>& y) const;
    // Names of the columns when the table came from a file that named them, else empty.
    const std::vector<std::string>& ColumnNames() const { return m_columnNames; }
    void SetColumnNames(std::vector<std::string> names) { m_columnNames = std::move(names); }
    // The bytes the numbers hold (typed texts and names not counted).
    std::size_t MemoryBytes() const { return m_values.capacity() * sizeof(double); }

private:
    enum TCellState : std::uint8_t { csEmpty, csNumber, csText };
    std::size_t Slot(int col, int row) const { return std::size_t(row - 1) * 2 + std::size_t(col); }
    TCellState State(std::size_t slot) const;
    void StoreText(std::size_t slot, const std::string& text);
    bool RowEmpty(int row) const { return CellEmpty(0, row) && CellEmpty(1, row); }
    void KeepEmptyLastRow();                     // appends an empty row when the last one is filled

    // Row-major, two per row. An empty cell and a cell of typed text hold one of two NaN patterns
    // that no number has, so a row costs its 16 bytes and no more.
    std::vector<double> m_values;
    std::unordered_map<std::size_t, std::string> m_texts;  // only for csText cells
    std::vector<std::string> m_columnNames;
};

class TValueGrid : public QTableView {
    Q_OBJECT

public:
    explicit TValueGrid(QWidget* parent = nullptr);

    TValueGridModel& Model() { return m_model; }
    const TValueGridModel& Model() const { return m_model; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    void PasteClipboard();
    void ClearSelection();

    TValueGridModel m_model;
};
