#pragma once
// Writing two columns of numbers as a text table. Every number is written as the shortest text
// that reads back as the same double, so a table written and read again is bit for bit the same.
// Column names are quoted as CSV quotes fields where the reader would otherwise split, trim or
// skip them (an empty name, blanks, a separator, a quote, a leading '#'), and a name that starts
// like a number ("2nd", "inf", "nan") gets a backslash in front; so the names read back as they
// were, except that line ends and NUL bytes in them are written as blanks.
#include <cstdio>
#include <string>
#include <vector>

#include "table/table.h"

enum TTableLayout {
    tlPlain,     // an optional line of column names, then one "x<separator>y" line per row
    tlDataFile,  // the program's data file: comment, three header lines, column names, rows (CR LF)
};

struct TTableWriteOptions {
    TTableLayout Layout = tlPlain;
    char Separator = '\t';        // between the values of a row; tlDataFile always uses a tab
    bool WriteNames = true;       // plain tables: a first line with the table's column names, when it has two
};

// The shortest text that std::from_chars reads back as v ("-0", "5e-324", "0.1").
std::string ShortestText(double v);

// The whole table as text.
std::string TableText(const TTable& table, const TTableWriteOptions& options = {});

// Writes the table to `file`; false when a write fails (errno tells why).
bool WriteTable(std::FILE* file, const TTable& table, const TTableWriteOptions& options = {});

// Writes the table to `fileName`: into a new file beside it (named fileName + ".tmp<pid>-<n>"),
// flushed to the disk and then renamed over the old file, which keeps its permissions. 0 on
// success, else the errno of the failure; a failure leaves an old file as it was and no new one.
int WriteTableFile(const std::string& fileName, const TTable& table, const TTableWriteOptions& options = {});
