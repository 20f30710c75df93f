// The table reader works line by line over a fixed buffer, so its memory is the numbers it keeps
// plus one buffer, whatever the file's size. The lines are found in one pass that also looks
// for NUL bytes (binary files) and bytes above 127 (which must form UTF-8). The numbers are kept
// in blocks while the file is read and handed over as two exact-size vectors at the end, so a
// failure anywhere leaves nothing half read.
#include "table/tablereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "table/tablefields.h"

namespace {

using tablefields::IsBlank;
using tablefields::LooksNumeric;
using tablefields::TFieldSplitter;
using tablefields::Trim;

constexpr std::size_t kReadBytes = std::size_t{1} << 18;  // one read() from the file
// The buffer holds an unfinished line of up to kMaxLineBytes (and the CR that may end it) and
// room for one more read behind it.
constexpr std::size_t kBufferBytes = static_cast<std::size_t>(kMaxLineBytes) + 2 + kReadBytes;
constexpr std::size_t kBlockPoints = std::size_t{1} << 15;  // points per storage block
constexpr std::ptrdiff_t kBinaryLookBytes = 8192;            // the start that is looked at for NUL bytes

// The number of line ends (CR LF, LF or CR) in [p, end).
std::int64_t LineEnds(const char* p, const char* end)
{
    std::int64_t n = 0;
    for (; p < end; ++p)
        if (*p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'))) ++n;
    return n;
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing
// beyond U+10FFFF.
bool IsUtf8(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        const unsigned c = *p;
        if (c < 0x80) { ++p; continue; }
        int more = 0;
        unsigned low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) more = 1;
        else if (c == 0xE0) { more = 2; low = 0xA0; }
        else if (c == 0xED) { more = 2; high = 0x9F; }
        else if (c >= 0xE1 && c <= 0xEF) more = 2;
        else if (c == 0xF0) { more = 3; low = 0x90; }
        else if (c == 0xF4) { more = 3; high = 0x8F; }
        else if (c >= 0xF1 && c <= 0xF3) more = 3;
        else return false;
        if (end - p <= more) return false;
        if (p[1] < low || p[1] > high) return false;
        for (int i = 2; i <= more; ++i)
            if (p[i] < 0x80 || p[i] > 0xBF) return false;
        p += more + 1;
    }
    return true;
}

enum TNumberStatus { nsNumber, nsNotANumber, nsOutOfRange };

// One trimmed field as a finite double: an optional sign, digits with an optional point and an
// optional exponent. With decimalComma a comma stands for the point.
TNumberStatus ParseNumber(std::string_view field, bool decimalComma, double& value)
{
    const char* b = field.data();
    const char* e = b + field.size();
    if (b == e) return nsNotANumber;
    if (*b == '+') {
        ++b;
        if (b == e || *b == '-' || *b == '+') return nsNotANumber;
    }
    char shortCopy[64];
    std::string longCopy;
    if (decimalComma && std::memchr(b, ',', static_cast<std::size_t>(e - b))) {
        const auto n = static_cast<std::size_t>(e - b);
        char* copy = shortCopy;
        if (n > sizeof shortCopy) {
            longCopy.assign(b, n);
            copy = longCopy.data();
        } else {
            std::memcpy(shortCopy, b, n);
        }
        std::replace(copy, copy + n, ',', '.');
        b = copy;
        e = copy + n;
    }
    const auto [ptr, ec] = std::from_chars(b, e, value);
    if (ptr != e) return nsNotANumber;
    if (ec == std::errc::result_out_of_range) return nsOutOfRange;
    if (ec != std::errc() || !std::isfinite(value)) return nsNotANumber;  // "nan", "inf"
    return nsNumber;
}

// The marks that spreadsheets and statistics programs write for a missing value.
bool IsMissingMark(std::string_view f)
{
    const auto is = [&](std::string_view mark) {
        if (f.size() != mark.size()) return false;
        for (std::size_t i = 0; i < f.size(); ++i)
            if ((f[i] >= 'a' && f[i] <= 'z' ? f[i] - 32 : f[i]) != mark[i]) return false;
        return true;
    };
    return is("NA") || is("N/A") || is("#N/A");
}

// Whether a line holds only separators and blanks: a row of empty cells.
bool OnlySeparators(std::string_view line)
{
    return line.find_first_not_of(" \t,;") == std::string_view::npos;
}

// The fields of a line, trailing empty ones not counted.
std::vector<std::string> Fields(std::string_view line, char separator)
{
    TFieldSplitter fields(line, separator);
    std::vector<std::string> all;
    std::string_view f;
    while (fields.Next(f)) all.emplace_back(f);
    while (!all.empty() && all.back().empty()) all.pop_back();
    return all;
}

bool ReadCount(std::string_view text, std::int64_t& count)
{
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    return ec == std::errc() && ptr == text.data() + text.size() && count >= 0;
}

// A header line of the data file: "<count><blanks>;<label>".
bool ReadHeaderCount(std::string_view line, std::string_view label, std::int64_t& count)
{
    line = Trim(line);
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string_view::npos || Trim(line.substr(semicolon + 1)) != label) return false;
    return ReadCount(Trim(line.substr(0, semicolon)), count);
}

class TTableParser {
public:
    TTableParser(const TTableReadOptions& options, const std::string& name, TTableReadResult& result,
                 const TTableSink* sink = nullptr)
        : m_options(options), m_result(result), m_sink(sink && *sink ? sink : nullptr)
    {
        m_result = {};
        m_result.Failure.FileName = name;
        m_columnsChosen = options.ColumnX > 0 || options.ColumnY > 0;
        // A chosen column below 1 reads as column 1, so no choice can index before the first value.
        m_columnX = m_columnsChosen ? std::max(1, options.ColumnX) : 1;
        m_columnY = m_columnsChosen ? std::max(1, options.ColumnY) : 2;
    }

    // Takes the lines in [p, end); with `eof`, text after the last line end is a line too.
    // Returns where the unfinished rest starts, or nullptr when the reading failed.
    const char* Take(const char* p, const char* end, bool eof)
    {
        if (!m_bomChecked) {
            if (end - p < 3 && !eof) return p;
            if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
            m_bomChecked = true;
            // A NUL near the start is told as a binary file even where a byte before it is no
            // UTF-8 (most binary formats start with such a byte).
            const char* head = p + std::min<std::ptrdiff_t>(end - p, kBinaryLookBytes);
            if (const void* nul = std::memchr(p, 0, static_cast<std::size_t>(head - p))) {
                m_line = 1 + LineEnds(p, static_cast<const char*>(nul));
                Fail(tfBinary, {});
                return nullptr;
            }
        }
        while (p < end) {
            if (m_fastRows) {
                if (const char* next = FastRow(p, end)) {
                    p = next;
                    continue;
                }
            }
            const char* q = p;
            bool high = false;
            for (; q < end; ++q) {
                const auto c = static_cast<unsigned char>(*q);
                if (c - 0x20u < 0x60u) continue;  // printable ASCII
                if (c == '\n' || c == '\r') break;
                if (c == 0) {
                    m_line = m_lineCount + 1;
                    Fail(tfBinary, {});
                    return nullptr;
                }
                if (c >= 0x80) high = true;
            }
            if (q - p > kMaxLineBytes) {
                m_line = m_lineCount + 1;
                Fail(tfLineTooLong, {p, static_cast<std::size_t>(q - p)});
                return nullptr;
            }
            if (q == end && !eof) return p;
            if (q + 1 == end && *q == '\r' && !eof) return p;  // a LF may follow in the next piece
            m_line = ++m_lineCount;
            if (!Line({p, static_cast<std::size_t>(q - p)}, high)) return nullptr;
            if (q == end) return end;
            p = q + 1;
            if (*q == '\r' && p < end && *p == '\n') ++p;
        }
        return p;
    }

    // Ends the reading: checks what only the whole file shows and hands over the numbers.
    bool Finish()
    {
        if (m_mode == mDetect && m_readLines == 1) {
            m_mode = mPlain;
            m_line = m_firstLineNumber;
            if (!PlainLine(m_firstLine)) return false;
        }
        m_line = 0;
        if (m_mode == mDataFile) {
            if (m_stage != sRows) {
                m_line = m_lineCount + 1;
                return Fail(tfBadLayout, {});
            }
            const auto counted = static_cast<std::int64_t>(m_count) + m_result.SkippedRows;
            if (counted != m_declaredRows) {
                m_result.Failure.Declared = m_declaredRows;
                m_result.Failure.Counted = counted;
                return Fail(tfRowCount, {});
            }
        } else if (m_count == 0) {
            return Fail(tfNoData, {});
        }
        if (m_sink) {
            const std::size_t rest = m_count % kBlockPoints;
            if (rest != 0) (*m_sink)(m_blocks.back().get(), rest);
            m_blocks.clear();
            return true;
        }
        TTable& table = m_result.Table;
        table.X.reserve(m_count);
        table.Y.reserve(m_count);
        for (std::size_t i = 0; i < m_count; ++i) {
            const double* point = m_blocks[i / kBlockPoints].get() + 2 * (i % kBlockPoints);
            table.X.push_back(point[0]);
            table.Y.push_back(point[1]);
            if ((i + 1) % kBlockPoints == 0) m_blocks[i / kBlockPoints].reset();
        }
        m_blocks.clear();
        return true;
    }

private:
    enum TMode { mDetect, mPlain, mDataFile };

    // The common row "x<separator>y" with its line end, read in one pass: blanks, a number, the
    // separator, a number, blanks, the line end. Returns the start of the next line, or nullptr
    // when the line is anything else (a decimal comma, a sign '+', a comment, a fault, a line
    // that ends beyond `end`); the full path then reads it, to the same result where this one
    // would have read it.
    const char* FastRow(const char* p, const char* end)
    {
        const bool blankSeparated = m_separator == ' ';
        const auto skipBlanks = [&](const char* s) {
            while (s < end && (*s == ' ' || (blankSeparated && *s == '\t'))) ++s;
            return s;
        };
        double x, y;
        const char* s = skipBlanks(p);
        if (m_rowNames) {
            // A row label in front: quoted without a quote inside, or plain text, then the
            // separator (never the blank one, see UpdateFastRows).
            if (s < end && *s == '"') {
                ++s;
                while (s < end && *s != '"' && *s != '\n' && *s != '\r') ++s;
                if (s == end || *s != '"') return nullptr;
                s = skipBlanks(s + 1);
            } else {
                while (s < end && *s != m_separator && *s != '"' && *s != '\n' && *s != '\r') ++s;
            }
            if (s == end || *s != m_separator) return nullptr;
            s = skipBlanks(s + 1);
        }
        auto read = std::from_chars(s, end, x);
        if (read.ec != std::errc()) return nullptr;
        s = read.ptr;
        if (blankSeparated) {
            if (s == end || !IsBlank(*s)) return nullptr;
            s = skipBlanks(s);
        } else {
            s = skipBlanks(s);
            if (s == end || *s != m_separator) return nullptr;
            s = skipBlanks(s + 1);
        }
        read = std::from_chars(s, end, y);
        if (read.ec != std::errc()) return nullptr;
        s = skipBlanks(read.ptr);
        if (end - s < 2) return nullptr;  // the line end must be known, CR LF included
        if (*s != '\n' && *s != '\r') return nullptr;
        if (s - p > kMaxLineBytes || !std::isfinite(x) || !std::isfinite(y)) return nullptr;
        const char* next = s + 1;
        if (*s == '\r' && *next == '\n') ++next;
        ++m_lineCount;
        Store(x, y);
        return next;
    }

    // Rows take the fast path once the separator is known and a row is just x and y.
    void UpdateFastRows()
    {
        m_fastRows = m_separator != 0 && !m_columnsChosen && !(m_rowNames && m_separator == ' ') &&
                     (m_mode == mPlain || (m_mode == mDataFile && m_stage == sRows));
    }
    enum TStage { sRowCount, sFlags, sNames, sRows };

    bool Fail(TTableFault fault, std::string_view found, int column = 0)
    {
        TTableFailure& f = m_result.Failure;
        f.Fault = fault;
        f.Line = m_line;
        f.Column = column;
        f.FoundCut = found.size() > kMaxFoundBytes;
        f.Found.assign(found.substr(0, kMaxFoundBytes));
        m_result.Table = {};
        m_blocks.clear();
        return false;
    }

    bool Line(std::string_view line, bool high)
    {
        if (m_line <= m_options.Skip) return true;
        if (high && !IsUtf8(line)) return Fail(tfInvalidUtf8, line);
        ++m_readLines;
        switch (m_mode) {
        case mPlain: return PlainLine(line);
        case mDataFile: return DataFileLine(line);
        case mDetect: break;
        }
        // The data file is known by its second line; until then the first line waits.
        if (m_readLines == 1) {
            m_firstLine.assign(line);
            m_firstLineNumber = m_line;
            return true;
        }
        std::int64_t columns = 0;
        if (ReadHeaderCount(line, "nr. of columns", columns)) {
            m_mode = mDataFile;
            m_stage = sRowCount;
            m_result.Table.Comment = m_firstLine;
            return true;
        }
        m_mode = mPlain;
        const std::int64_t secondLine = m_line;
        m_line = m_firstLineNumber;
        if (!PlainLine(m_firstLine)) return false;
        m_line = secondLine;
        return PlainLine(line);
    }

    bool PlainLine(std::string_view line)
    {
        const std::string_view t = Trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') return true;
        if (!m_separator) {
            // Spreadsheets end their exports with rows of empty cells (",,"), and put them before
            // a table as well.
            if (OnlySeparators(t)) return true;
            const char separator = m_options.Separator ? m_options.Separator : DetectSeparator(t);
            if (!m_headerSeen && IsHeader(t, separator)) {
                m_headerSeen = true;
                m_header.assign(t);
                m_headerLine = m_line;
                return true;
            }
            m_separator = separator;
            m_decimalComma = m_separator != ',';
            if (m_headerSeen) {
                FindRowLabels(t);
                KeepNames(m_header, m_separator);
            }
            UpdateFastRows();
        }
        return Row(t, m_rowNames);
    }

    bool DataFileLine(std::string_view line)
    {
        switch (m_stage) {
        case sRowCount:
            if (!ReadHeaderCount(line, "nr. of rows", m_declaredRows)) return Fail(tfBadLayout, line);
            m_stage = sFlags;
            return true;
        case sFlags: {
            // "<row attributes> <column names> <row names>", each TRUE or FALSE; rows with
            // attributes carry more than numbers and are not read.
            const std::size_t semicolon = line.find(';');
            TFieldSplitter words(line.substr(0, semicolon), ' ');
            bool flags[3] = {};
            std::string_view word;
            int n = 0;
            for (; words.Next(word); ++n) {
                if (n == 3 || (word != "TRUE" && word != "FALSE")) return Fail(tfBadLayout, line);
                flags[n] = word == "TRUE";
            }
            if (n != 3 || flags[0]) return Fail(tfBadLayout, line);
            m_rowNames = flags[2];
            m_separator = m_options.Separator ? m_options.Separator : '\t';
            m_decimalComma = m_separator != ',';
            m_stage = flags[1] ? sNames : sRows;
            UpdateFastRows();
            return true;
        }
        case sNames:
            KeepNames(line, ' ');
            m_stage = sRows;
            UpdateFastRows();
            return true;
        case sRows:
            break;
        }
        const std::string_view t = Trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') return true;
        return Row(t, m_rowNames);
    }

    // The first data line is a header when none of its fields, split at the separator the line
    // itself shows, starts like a number.
    static bool IsHeader(std::string_view line, char separator)
    {
        TFieldSplitter fields(line, separator);
        std::string_view f;
        while (fields.Next(f))
            if (LooksNumeric(Trim(f))) return false;
        return true;
    }

    // Whether the line splits at `separator` into the fields a row needs, each a number.
    bool SplitsInto(std::string_view line, char separator) const
    {
        TFieldSplitter fields(line, separator);
        std::string_view f;
        int n = 0, filled = 0;
        double value;
        while (fields.Next(f)) {
            ++n;
            if (!f.empty()) filled = n;
            if (ParseNumber(Trim(f), separator != ',', value) != nsNumber &&
                (!m_columnsChosen || n == m_columnX || n == m_columnY) && !f.empty())
                return false;
        }
        return m_columnsChosen ? filled >= std::max(m_columnX, m_columnY) : filled == 2;
    }

    // The first separator, in the order tab, semicolon, comma, blank, at which the line splits
    // into numbers; when none does, the first of them that separates the line's fields, so that
    // the row's fault is told at the right field.
    char DetectSeparator(std::string_view line) const
    {
        constexpr char kCandidates[] = {'\t', ';', ',', ' '};
        for (char c : kCandidates)
            if ((c == ' ' || line.find(c) != std::string_view::npos) && SplitsInto(line, c)) return c;
        for (char c : kCandidates)
            if (tablefields::HoldsOutsideQuotes(line, c)) return c;
        return ' ';
    }

    // With no columns chosen, a header over rows with one value more marks a first column of row
    // labels: R writes its header as "","x","y" (an empty first name) in CSV and as "x" "y" (one
    // name less, the labels quoted) in its plain tables.
    void FindRowLabels(std::string_view firstRow)
    {
        if (m_columnsChosen) return;
        const std::vector<std::string> header = Fields(m_header, m_separator);
        const std::vector<std::string> row = Fields(firstRow, m_separator);
        if (row.size() != 3) return;
        TFieldSplitter first(firstRow, m_separator);
        std::string_view f;
        const bool quotedLabel = first.Next(f) && first.Quoted();
        if ((header.size() == 3 && header[0].empty()) || (header.size() == 2 && quotedLabel)) {
            m_rowNames = true;
            m_namesFrom = header.size() == 3 ? 1 : 0;
        }
    }

    void KeepNames(std::string_view line, char separator)
    {
        TFieldSplitter fields(Trim(line), separator);
        std::vector<std::string> all;
        std::string_view f;
        while (fields.Next(f)) all.push_back(tablefields::NameFromField(f));
        auto& names = m_result.Table.ColumnNames;
        names.clear();
        const int x = m_columnX + m_namesFrom, y = m_columnY + m_namesFrom;
        if (static_cast<int>(all.size()) >= std::max(x, y)) {
            names.push_back(all[x - 1]);
            names.push_back(all[y - 1]);
        }
    }

    bool Row(std::string_view line, bool rowName)
    {
        TFieldSplitter fields(line, m_separator);
        std::string_view f;
        if (rowName) fields.Next(f);
        // A failure names the column as the file counts it, the row label included.
        const int shift = rowName ? 1 : 0;
        const int needed = std::max(m_columnX, m_columnY);
        double x = 0.0, y = 0.0;
        int column = 0;
        while (fields.Next(f)) {
            ++column;
            if (column == m_columnX || column == m_columnY) {
                f = Trim(f);
                if (f.empty()) return MissingValue(line, line, column + shift);
                if (IsMissingMark(f)) return MissingValue(line, f, column + shift);
                double value;
                const TNumberStatus status = ParseNumber(f, m_decimalComma, value);
                if (status != nsNumber)
                    return RowFail(status == nsOutOfRange ? tfOutOfRange : tfNotANumber, line, f, column + shift);
                if (column == m_columnX) x = value;
                if (column == m_columnY) y = value;
            } else if (!m_columnsChosen) {
                if (f.empty() && fields.RestEmpty()) break;  // empty cells after the row's values
                return RowFail(tfExtraValue, line, line, column + shift);
            }
            if (m_columnsChosen && column >= needed) break;
        }
        // The row ends before a column that is read: the first such column is named, so a
        // chosen column beyond every row is told as itself.
        if (column < needed) return MissingValue(line, line, (m_columnX > column ? m_columnX : m_columnY) + shift);
        Store(x, y);
        return true;
    }

    // A row without a value in a column that is read.
    bool MissingValue(std::string_view line, std::string_view found, int column)
    {
        if (Fields(line, m_separator).empty()) return true;  // a row of empty cells, quoted ones too
        if (m_options.SkipMissing) {
            if (m_result.SkippedRows++ == 0) m_result.FirstSkippedLine = m_line;
            return true;
        }
        return RowFail(tfMissingValue, line, found, column);
    }

    // A fault in a row, with what the line tells of the table's shape and, in the first data
    // line, a fix.
    bool RowFail(TTableFault fault, std::string_view line, std::string_view found, int column)
    {
        const std::string foundCopy(found);  // `found` may lie in a splitter's copy
        Fail(fault, foundCopy, column);
        TTableFailure& f = m_result.Failure;
        std::vector<std::string> values = Fields(line, m_separator);
        f.ColumnsInLine = static_cast<int>(values.size());
        f.ColumnsFromHeader = m_headerSeen;
        std::vector<std::string> shown = m_headerSeen ? Fields(m_header, m_separator) : values;
        if (m_headerSeen)
            for (std::string& name : shown) name = tablefields::NameFromField(name);
        for (std::size_t i = 0; i < shown.size() && i < kMaxColumnsFound; ++i)
            f.ColumnsFound.push_back(shown[i].substr(0, kMaxFoundBytes));
        if (fault != tfNotANumber || m_mode != mPlain || m_rowNames || m_count != 0 || m_result.SkippedRows != 0)
            return false;
        std::vector<int> numeric;
        for (std::size_t i = 0; i < values.size(); ++i) {
            double value;
            if (ParseNumber(Trim(values[i]), m_decimalComma, value) == nsNumber) numeric.push_back(static_cast<int>(i) + 1);
        }
        if (numeric.size() < 2) {
            // A line of names, a number or none among them: a header the first line did not show
            // as one ("t;1/T", "Messung 3"), or a second one.
            f.SuggestedSkip = m_headerSeen ? m_headerLine : m_line;
        } else if (numeric[0] != m_columnX || numeric[1] != m_columnY) {
            f.SuggestedColumnX = numeric[0];
            f.SuggestedColumnY = numeric[1];
        }
        return false;
    }

    void Store(double x, double y)
    {
        const std::size_t slot = m_count % kBlockPoints;
        if (slot == 0) {
            // With a sink one block is filled, handed over and filled again.
            if (m_blocks.empty() || !m_sink)
                m_blocks.push_back(std::make_unique_for_overwrite<double[]>(2 * kBlockPoints));
        }
        double* point = m_blocks.back().get() + 2 * slot;
        point[0] = x;
        point[1] = y;
        ++m_count;
        if (m_sink && slot + 1 == kBlockPoints) (*m_sink)(m_blocks.back().get(), kBlockPoints);
    }

    const TTableReadOptions& m_options;
    TTableReadResult& m_result;
    const TTableSink* m_sink;
    bool m_columnsChosen = false;
    int m_columnX = 1, m_columnY = 2;

    bool m_bomChecked = false;
    std::int64_t m_lineCount = 0;  // lines ended so far
    std::int64_t m_line = 0;       // the line being read, for failures
    std::int64_t m_readLines = 0;  // lines after the skipped ones
    TMode m_mode = mDetect;
    std::string m_firstLine;
    std::int64_t m_firstLineNumber = 0;

    char m_separator = 0;          // 0 until the first data line fixes it
    bool m_fastRows = false;
    bool m_decimalComma = false;
    bool m_headerSeen = false;
    std::string m_header;
    std::int64_t m_headerLine = 0;
    int m_namesFrom = 0;           // the header's names start this many fields late (row labels)

    TStage m_stage = sRowCount;
    std::int64_t m_declaredRows = 0;
    bool m_rowNames = false;

    std::vector<std::unique_ptr<double[]>> m_blocks;  // x, y pairs, kBlockPoints per block
    std::size_t m_count = 0;
};

}  // namespace

TTableReadResult ReadTableText(std::string_view text, const TTableReadOptions& options, const std::string& name)
{
    TTableReadResult result;
    TTableParser parser(options, name, result);
    if (parser.Take(text.data(), text.data() + text.size(), true)) parser.Finish();
    return result;
}

TTableReadResult ReadTableFile(const std::string& fileName, const TTableReadOptions& options)
{
    return ReadTableFile(fileName, options, TTableSink{});
}

TTableReadResult ReadTableFile(const std::string& fileName, const TTableReadOptions& options, const TTableSink& sink)
{
    TTableReadResult result;
    TTableParser parser(options, fileName, result, &sink);
    const bool standardInput = fileName == "-";
    const int fd = standardInput ? STDIN_FILENO : ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    // Closes the file however the reading ends (a sink may throw).
    const auto closer = [standardInput](const int* f) {
        if (!standardInput && *f >= 0) ::close(*f);
    };
    const std::unique_ptr<const int, decltype(closer)> closeAtEnd(&fd, closer);
    const auto fail = [&](TTableFault fault, int code) {
        result.Table = {};
        result.Failure.Fault = fault;
        result.Failure.ErrorCode = code;
    };
    if (fd < 0) {
        fail(tfCannotOpen, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        fail(tfCannotOpen, EISDIR);
        return result;
    }

    const std::int64_t total = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
    std::int64_t done = 0;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
    std::size_t begin = 0, end = 0;
    for (;;) {
        if (kBufferBytes - end < kReadBytes) {
            std::memmove(buffer.get(), buffer.get() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        ssize_t n;
        do n = ::read(fd, buffer.get() + end, kReadBytes);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            fail(tfReadError, errno);
            break;
        }
        end += static_cast<std::size_t>(n);
        const bool eof = n == 0;
        const char* rest = parser.Take(buffer.get() + begin, buffer.get() + end, eof);
        if (!rest) break;
        begin = static_cast<std::size_t>(rest - buffer.get());
        if (eof) {
            parser.Finish();
            break;
        }
        done += n;
        if (options.Progress && !options.Progress(done, total)) {
            fail(tfCancelled, 0);
            break;
        }
    }
    return result;
}
