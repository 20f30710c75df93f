#include "app/valuegrid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/errors.h"
#include "common/numtext.h"
#include "platform/font.h"
#include "platform/localefmt.h"

namespace {

constexpr int kMaxCellChars = 12;   // the cell editor takes at most this many characters

std::string LocaleText(std::string text)
{
    return ReplaceCharacter(text, '.', FormatSettings().DecimalSeparator);
}

// The shortest text that reads back as v.
std::string ShortestText(double v)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return LocaleText(std::string(buf, r.ptr));
}

// Number cells show two decimals.
std::string DisplayText(double v)
{
    std::vector<char> buf(400);
    const int n = std::snprintf(buf.data(), buf.size(), "%.2f", v);
    return LocaleText(std::string(buf.data(), n > 0 ? std::size_t(n) : 0));
}

// The cell editor: at most 12 characters of digits, signs, exponent letters and separators;
// the current cell and the header are bold.
class TCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setMaxLength(kMaxCellChars);
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[-+0-9eE.,]*"), edit));
        }
        return w;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_HasFocus) option->font.setBold(true);
    }
};

// The two NaN patterns of empty and text cells; parsed numbers are never NaN.
constexpr std::uint64_t kEmptyBits = 0x7ff8'0000'0000'0e01ULL;
constexpr std::uint64_t kTextBits = 0x7ff8'0000'0000'0e02ULL;
const double kEmptyCell = std::bit_cast<double>(kEmptyBits);
const double kTextCell = std::bit_cast<double>(kTextBits);

}  // namespace

TValueGridModel::TValueGridModel(int dataRows, QObject* parent) : QAbstractTableModel(parent)
{
    m_values.assign(std::size_t(std::max(dataRows, 0)) * 2, kEmptyCell);
}

TValueGridModel::TCellState TValueGridModel::State(std::size_t slot) const
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(m_values[slot]);
    return bits == kEmptyBits ? csEmpty : bits == kTextBits ? csText : csNumber;
}

void TValueGridModel::SetDataRows(int rows)
{
    if (rows < 0) rows = 0;
    beginResetModel();
    m_values.resize(std::size_t(rows) * 2, kEmptyCell);
    std::erase_if(m_texts, [&](const auto& kv) { return kv.first >= m_values.size(); });
    endResetModel();
    KeepEmptyLastRow();
}

void TValueGridModel::KeepEmptyLastRow()
{
    const int n = DataRows();
    if (n > 0 && RowEmpty(n)) return;
    beginInsertRows(QModelIndex(), n, n);
    m_values.push_back(kEmptyCell);
    m_values.push_back(kEmptyCell);
    endInsertRows();
}

bool TValueGridModel::CellEmpty(int col, int row) const
{
    if (col < 0 || col > 1 || row < 0 || row > DataRows()) return true;
    if (row == 0) return false;
    return State(Slot(col, row)) == csEmpty;
}

double TValueGridModel::CellValue(int col, int row) const
{
    if (col < 0 || col > 1 || row < 0 || row > DataRows()) return StrToFloat("");
    if (row == 0) return StrToFloat(CellText(col, row));
    const std::size_t s = Slot(col, row);
    switch (State(s)) {
        case csNumber: return m_values[s];
        case csText: return StrToFloat(m_texts.at(s));
        case csEmpty: break;
    }
    return StrToFloat("");
}

std::string TValueGridModel::CellText(int col, int row) const
{
    if (col < 0 || col > 1 || row < 0 || row > DataRows()) return {};
    if (row == 0) return col == 0 ? "X" : "Y";
    const std::size_t s = Slot(col, row);
    switch (State(s)) {
        case csNumber: return ShortestText(m_values[s]);
        case csText: return m_texts.at(s);
        case csEmpty: break;
    }
    return {};
}

void TValueGridModel::StoreText(std::size_t slot, const std::string& text)
{
    m_texts.erase(slot);
    double v = 0.0;
    if (text.empty()) {
        m_values[slot] = kEmptyCell;
    } else if (TryStrToFloat(text, v) && !std::isnan(v)) {
        m_values[slot] = v;
    } else {
        // Kept as typed: reading it later names the text in the conversion error.
        m_values[slot] = kTextCell;
        m_texts[slot] = text;
    }
}

void TValueGridModel::SetCell(int col, int row, const std::string& text)
{
    if (col < 0 || col > 1 || row < 1) return;
    if (row > DataRows()) {
        beginInsertRows(QModelIndex(), DataRows(), row - 1);
        m_values.resize(std::size_t(row) * 2, kEmptyCell);
        endInsertRows();
    }
    StoreText(Slot(col, row), text);
    const QModelIndex i = index(row - 1, col);
    emit dataChanged(i, i);
    KeepEmptyLastRow();
}

void TValueGridModel::SetNumbers(const std::vector<double>& x, const std::vector<double>& y)
{
    beginResetModel();
    const std::size_t n = std::max(x.size(), y.size());
    m_texts.clear();
    m_values.clear();
    m_values.shrink_to_fit();
    m_values.assign((n + 1) * 2, kEmptyCell);   // with the empty row to type on
    for (std::size_t i = 0; i < x.size(); ++i) m_values[2 * i] = std::isnan(x[i]) ? kEmptyCell : x[i];
    for (std::size_t i = 0; i < y.size(); ++i) m_values[2 * i + 1] = std::isnan(y[i]) ? kEmptyCell : y[i];
    endResetModel();
}

void TValueGridModel::TakeRows(std::vector<double>&& rows)
{
    beginResetModel();
    m_texts.clear();
    m_values = std::move(rows);
    if (m_values.size() % 2 != 0) m_values.push_back(kEmptyCell);
    for (double& v : m_values)
        if (std::isnan(v)) v = kEmptyCell;
    // The empty row to type on, and no spare capacity: a long table is held once, at 16 bytes a row.
    if (DataRows() == 0 || !RowEmpty(DataRows())) m_values.insert(m_values.end(), 2, kEmptyCell);
    m_values.shrink_to_fit();
    endResetModel();
}

void TValueGridModel::ClearCells()
{
    std::fill(m_values.begin(), m_values.end(), kEmptyCell);
    m_texts.clear();
    m_columnNames.clear();
    if (DataRows() > 0) emit dataChanged(index(0, 0), index(DataRows() - 1, 1));
}

void TValueGridModel::FilledRows(std::vector<double>& x, std::vector<double>& y) const
{
    x.clear();
    y.clear();
    for (int row = 1; row <= DataRows(); ++row) {
        const bool emptyX = CellEmpty(0, row), emptyY = CellEmpty(1, row);
        if (emptyX && emptyY) continue;
        x.push_back(CellValue(0, row));
        y.push_back(CellValue(1, row));
    }
}

int TValueGridModel::FirstFilledRowFrom(int row) const
{
    for (int r = std::max(row, 1); r <= DataRows(); ++r)
        if (!CellEmpty(0, r) || !CellEmpty(1, r)) return r;
    return 0;
}

bool TValueGridModel::NumberRange(int col, double& low, double& high) const
{
    bool found = false;
    for (std::size_t s = std::size_t(col); s < m_values.size(); s += 2) {
        if (State(s) != csNumber) continue;
        const double v = m_values[s];
        low = found ? std::min(low, v) : v;
        high = found ? std::max(high, v) : v;
        found = true;
    }
    return found;
}

int TValueGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : DataRows(); }

int TValueGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TValueGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const int col = index.column(), row = index.row() + 1;
    const std::size_t s = Slot(col, row);
    switch (role) {
        case Qt::DisplayRole:
            if (State(s) == csNumber) return QString::fromStdString(DisplayText(m_values[s]));
            return QString::fromStdString(CellText(col, row));
        case Qt::EditRole:
            return QString::fromStdString(CellText(col, row));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

bool TValueGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole) return false;
    SetCell(index.column(), index.row() + 1, value.toString().toStdString());
    return true;
}

QVariant TValueGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal) return section == 0 ? QString("X") : QString("Y");
    return section + 1;
}

Qt::ItemFlags TValueGridModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

TValueGrid::TValueGrid(QWidget* parent) : QTableView(parent), m_model(24, this)
{
    setModel(&m_model);
    setItemDelegate(new TCellDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(21);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setFixedHeight(21);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 116);
    setColumnWidth(1, 108);
    QFont bold = font();
    bold.setBold(true);
    horizontalHeader()->setFont(bold);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(true);
    setShowGrid(true);
    // A click on the current cell opens no editor: its editor would open only after the double
    // click time and take over from the one that the first keystroke opened, losing what was typed
    // so far. Typing edits at once; a double click or F2 edits the text that is there.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
}

// Tab stops at the last cell and Shift+Tab at the first instead of going round to the other end,
// where the next value would overwrite a row already filled.
QModelIndex TValueGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int lastRow = m_model.rowCount() - 1;
    if (current.isValid() && cursorAction == MoveNext && current.row() == lastRow && current.column() == 1)
        return current;
    if (current.isValid() && cursorAction == MovePrevious && current.row() == 0 && current.column() == 0)
        return current;
    return QTableView::moveCursor(cursorAction, modifiers);
}

void TValueGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        PasteClipboard();
        return;
    }
    if (event->key() == Qt::Key_Delete && state() != EditingState) {
        ClearSelection();
        return;
    }
    QTableView::keyPressEvent(event);
}

// Pastes a block of text (rows by line, cells by tab or semicolon) from the current cell on;
// the table grows by the rows the block needs. A cell that is not a number keeps its text.
void TValueGrid::PasteClipboard()
{
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty()) return;
    const QModelIndex cur = currentIndex();
    const int col0 = cur.isValid() ? cur.column() : 0;
    int row = cur.isValid() ? cur.row() + 1 : 1;
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    for (QString line : lines) {
        if (line.endsWith('\r')) line.chop(1);
        const QStringList cells = line.split(QRegularExpression("[\t;]"));
        for (int c = 0; c < cells.size() && col0 + c < 2; ++c)
            m_model.SetCell(col0 + c, row, cells[c].trimmed().toStdString());
        ++row;
    }
}

void TValueGrid::ClearSelection()
{
    for (const QModelIndex& i : selectionModel()->selectedIndexes()) m_model.SetCell(i.column(), i.row() + 1, "");
}
