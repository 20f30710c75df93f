#pragma once
// Reading two columns of numbers from a text table.
//
// Two layouts are read:
// - the program's own data file: a comment line, "<columns>\t;nr. of columns",
//   "<rows>\t;nr. of rows", "FALSE TRUE FALSE\t;row attributes, column names, row names", the
//   column names, then one tab-separated row per point; it is recognised by its second line;
// - plain tables: values separated by tabs, commas, semicolons or runs of blanks, the separator
//   detected from the first data line unless given. Where the separator is not a comma, a comma
//   may stand for the decimal point. Fields may be quoted as in CSV ("1.5", "a ""b"""). The first
//   data line is a header when none of its fields (split at the separator the line shows) starts
//   like a number. A header whose first name is empty over rows of three values, or with one
//   name less than rows of three values whose first is quoted, marks a first column of row
//   labels (as R writes them), which is passed over. A column name that is a backslash in front
//   of what starts like a number loses the backslash: the writer puts it there so that a name
//   such as "2nd" or "inf" does not make its line a row of data. Blank lines, rows of empty
//   cells (",,", as spreadsheets end their exports) and lines starting with '#' or ';' are
//   skipped, and empty values after the last one of a row are ignored.
// Line ends may be CR LF, LF or CR; a UTF-8 byte order mark at the start is dropped. Numbers are
// read with std::from_chars (never through the locale); "nan", "inf" and numbers beyond the
// range of doubles are refused; an empty value or "NA" ("N/A", "#N/A") in a column that is read
// stops the reading too, unless the options ask to skip such rows. A reading either returns the
// whole table or a failure and no data at all.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "table/table.h"

struct TTableReadOptions {
    char Separator = 0;      // 0: detect; '\t', ',', ';', or ' ' for runs of blanks and tabs
    int ColumnX = 0;         // 1-based columns of x and y; with 0 and 0 a row holds exactly two
    int ColumnY = 0;         //   values, x then y; once one is chosen, a value below 1 means 1
    std::int64_t Skip = 0;   // lines at the start that are passed over unread
    // A row with a missing value (empty, "NA", "N/A" or "#N/A", or no value at all) in a column
    // that is read is passed over and counted instead of stopping the reading.
    bool SkipMissing = false;
    // ReadTableFile calls it after each piece it reads (256 KiB) with the bytes read so far and
    // the file's size (0 when unknown, as for standard input); false stops the reading with
    // tfCancelled and no data.
    std::function<bool(std::int64_t done, std::int64_t total)> Progress;
};

struct TTableReadResult {
    TTable Table;            // empty when the reading failed
    TTableFailure Failure;   // Fault is tfNone on success
    std::int64_t SkippedRows = 0;       // rows passed over for a missing value (SkipMissing)
    std::int64_t FirstSkippedLine = 0;  // the line of the first of them, 0 when none
    bool Ok() const { return Failure.Fault == tfNone; }
};

// Reads the file `fileName`; "-" reads standard input.
TTableReadResult ReadTableFile(const std::string& fileName, const TTableReadOptions& options = {});

// Receives the rows in pieces, in row order: count pairs x, y at pairs[0], pairs[1], pairs[2], ...
using TTableSink = std::function<void(const double* pairs, std::size_t count)>;

// Reads the file and hands its rows to `sink` as they are read instead of keeping them, so a
// large file needs no table in memory; the result's table stays empty. When the reading fails,
// the rows handed over so far belong to no table and the caller drops them. An exception thrown
// by the sink ends the reading and leaves the function.
TTableReadResult ReadTableFile(const std::string& fileName, const TTableReadOptions& options,
                               const TTableSink& sink);

// Reads a table held in memory; `name` goes into a failure as its file name.
TTableReadResult ReadTableText(std::string_view text, const TTableReadOptions& options = {},
                               const std::string& name = {});
