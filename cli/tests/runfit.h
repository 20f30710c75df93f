#pragma once
// kalmira-fit run in the test's own process: its exit status and what it wrote.
#include <sstream>
#include <string>
#include <vector>

#include "cli/fitprogram.h"

struct TOutput {
    int status;
    std::string out, err;
};

inline TOutput Fit(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int status = RunFitProgram(args, out, err);
    return {status, out.str(), err.str()};
}
