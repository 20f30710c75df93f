#pragma once
// kalmira-fit: reads a table of points, fits one model or several and prints the parameters, the
// fit quality and the number of points. Exit status: 0 success, 1 a fit failed, 2 bad input or
// usage.
#include <iosfwd>
#include <string>
#include <vector>

#include "table/table.h"

constexpr int kExitOk = 0;
constexpr int kExitFitFailed = 1;
constexpr int kExitBadInput = 2;

// Runs the program on its arguments (without the program name); results go to `out`, messages
// to `err`.
int RunFitProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The program's English wording of a failed reading, without the program name.
std::string DescribeTableFailure(const TTableFailure& failure);

// The help text.
std::string FitProgramHelp();
