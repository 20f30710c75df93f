#pragma once
// kalmira-fit's words for the errors of the engine and the platform: one English table for the
// platform's codes, whose messages are German, and the engine's own English messages for the
// rest, so the program speaks English whatever language a message of the platform has.
#include <exception>
#include <string>
#include <vector>

#include "common/errorcode.h"

// The English words of a code, with %1, %2, ... where its arguments go.
const char* ErrorWordsFormat(TErrorCode code);

// The words of a code with its arguments put in.
std::string ErrorWords(TErrorCode code, const std::vector<std::string>& args);

// The words of any error: a coded error by its code (a formula's with its position and point),
// another by its message.
std::string ErrorWordsOf(const std::exception& error);

// True for the platform's errors (floating-point faults, conversions, files), whose words do not
// name the operation that failed.
bool IsPlatformError(TErrorCode code);
