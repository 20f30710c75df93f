#pragma once
// TTable: two columns of numbers taken from a table file, and the failure of a reading, told as
// data so that each front end can word it in its own language.
#include <cstdint>
#include <string>
#include <vector>

// Two columns of numbers in row order. X and Y always have the same length.
struct TTable {
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<std::string> ColumnNames;  // the two columns' names when the file names them, else empty
    std::string Comment;                   // the first line of a data file in the program's own layout
};

// What stopped a reading.
enum TTableFault {
    tfNone,
    tfCannotOpen,    // the file cannot be opened (ErrorCode)
    tfReadError,     // reading failed after the file was opened (ErrorCode)
    tfBinary,        // a NUL byte: not a text file
    tfInvalidUtf8,   // a byte sequence that is not UTF-8
    tfLineTooLong,   // a line longer than kMaxLineBytes
    tfNoData,        // no data row at all (an empty file, only comments, only a header)
    tfMissingValue,  // a row without a value in a column that is read: the row ends before it, or its
                     //   cell is empty or holds a mark of a missing value such as NA (Column)
    tfExtraValue,    // a third value in a row while no columns were chosen (Column)
    tfNotANumber,    // a value that is no finite number, "nan" and "inf" included (Column)
    tfOutOfRange,    // a number beyond the range of doubles, or so small it would read as 0 (Column)
    tfBadLayout,     // a data file whose header lines do not describe a table of numbers
    tfRowCount,      // a data file that holds another number of rows than its header declares
    tfCancelled,     // the caller's progress function stopped the reading
};

// A reading's failure. Line counts the file's lines from 1 as an editor does (every CR LF, LF or
// CR ends one), 0 when the failure belongs to no line. Found is the text found there: the field
// for a bad value, else the line, cut to kMaxFoundBytes bytes; it may hold any bytes the file held.
struct TTableFailure {
    TTableFault Fault = tfNone;
    std::string FileName;
    std::int64_t Line = 0;
    int Column = 0;             // 1-based column of the value, 0 when none
    std::string Found;
    bool FoundCut = false;      // Found is the start of a longer text
    int ErrorCode = 0;          // errno of tfCannotOpen and tfReadError
    std::int64_t Declared = 0;  // tfRowCount: the rows the header declares
    std::int64_t Counted = 0;   // tfRowCount: the rows the file holds

    // What the faulty row tells of the table's shape, for a hint (tfMissingValue, tfExtraValue,
    // tfNotANumber, tfOutOfRange):
    int ColumnsInLine = 0;                  // the values the line holds (trailing empty ones not counted)
    std::vector<std::string> ColumnsFound;  // the names of the table's header when it has one, else
                                            //   the line's values; at most kMaxColumnsFound, each cut
                                            //   to kMaxFoundBytes
    bool ColumnsFromHeader = false;         // ColumnsFound are the header's names
    // A fix that reads the file, set when the fault lies in the first data line: the number of
    // lines to skip when it holds no number at all (a header that was not recognised, or a
    // second one), or two columns that do hold numbers when it has more (a label column).
    std::int64_t SuggestedSkip = 0;         // 0: none
    int SuggestedColumnX = 0;               // 0: none
    int SuggestedColumnY = 0;
};

// A line may hold this many bytes (without its line end); a longer one stops the reading.
constexpr std::int64_t kMaxLineBytes = 1'000'000;
// At most this many bytes of a text found go into a failure.
constexpr std::size_t kMaxFoundBytes = 80;
// At most this many columns are named in a failure.
constexpr std::size_t kMaxColumnsFound = 20;
