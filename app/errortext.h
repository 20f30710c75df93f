#pragma once
// The window's words for the errors of the engine, the chart and the platform: one table from
// each error code to a tr() text, German in the sources and English in the translation, so an
// error reads in the language the window shows. The engine's messages the program has always
// shown as they stand (such as "CalcLinFit: not enough data points") are their own German text.
#include <QString>
#include <exception>
#include <string>
#include <vector>

#include "common/errorcode.h"

// The German text of a code, with %1, %2, ... where its arguments go.
const char* ErrorSourceText(TErrorCode code);

// The text of a code with its arguments, in the language now shown.
QString ErrorText(TErrorCode code, const std::vector<std::string>& args);

// The text of any error in the language now shown: a coded error by its code (a formula's with
// its position and point), another by its message.
QString ErrorTextOf(const std::exception& error);

// The text of an error that is no exception of the program's own.
QString UnknownErrorText();
