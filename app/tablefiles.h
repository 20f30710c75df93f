#pragma once
// Table files of the window: loading into the value table and saving it, with failures worded in
// the window's language (German unless English is chosen) for the error box.
#include <cstdint>
#include <string>

#include "table/table.h"

class QWidget;
class TValueGridModel;

enum TTableFileType { tftCsv, tftDataFile, tftTabs };

// The message for a failed reading: the file, the line, the column and the text found.
std::string TableFailureText(const TTableFailure& failure);

// Reads the file into the grid, which grows to hold it. A failure raises its message and
// leaves the grid as it was; false when the user cancelled a long load (the grid is unchanged).
// skipMissing passes over rows with an empty or "NA" cell instead of stopping there.
// The rows skipped and the line of the first go to the last two arguments when given.
bool LoadTableIntoGrid(QWidget* parent, TValueGridModel& grid, const std::string& fileName, bool skipMissing,
                       std::int64_t* skippedRows = nullptr, std::int64_t* firstSkippedLine = nullptr);

// Writes the grid's filled rows; the old file is replaced only by a complete new one. Returns the
// message of a failure, empty on success.
std::string SaveGridToFile(const TValueGridModel& grid, const std::string& fileName, TTableFileType type);
