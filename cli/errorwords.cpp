#include "cli/errorwords.h"

#include <array>

#include "common/errors.h"
#include "curvefit/formula.h"

namespace {

struct TWordsRow {
    TErrorCode code;
    const char* words;
};

// The platform's errors, whose messages are German, in the order of TErrorCode (they come first
// in it). Every other code's message is the engine's own English and goes out as it stands.
constexpr std::array<TWordsRow, ecIOError + 1> kPlatformWords{{
    {ecZeroDivide, "floating-point division by zero"},
    {ecInvalidOp, "invalid floating-point operation"},
    {ecOverflow, "floating-point overflow"},
    {ecConvert, "'%1' is not a number"},
    {ecFileNotFound, "file not found"},
    {ecPathNotFound, "path not found"},
    {ecTooManyOpenFiles, "too many open files"},
    {ecAccessDenied, "access denied"},
    {ecInvalidHandle, "invalid file handle"},
    {ecDiskFull, "not enough space on the disk"},
    {ecIOError, "input/output error %1"},
}};

constexpr bool RowsInCodeOrder()
{
    for (std::size_t i = 0; i < kPlatformWords.size(); ++i)
        if (kPlatformWords[i].code != static_cast<TErrorCode>(i) || kPlatformWords[i].words == nullptr) return false;
    return true;
}
static_assert(RowsInCodeOrder(), "words for every platform code, in the order of TErrorCode");

// A formula error's words framed by its position in the text and the point being evaluated.
std::string FormulaErrorWords(const EFormulaError& e)
{
    std::string words = ErrorWords(e.Code, e.Args);
    if (e.Position > 0) words = "position " + std::to_string(e.Position) + ": " + words;
    if (e.Point > 0) words += ", at point " + std::to_string(e.Point) + " (x = " + FormulaNumberText(e.X) + ")";
    return words;
}

}  // namespace

const char* ErrorWordsFormat(TErrorCode code)
{
    if (code < 0 || code >= ecCount) return "";
    return IsPlatformError(code) ? kPlatformWords[code].words : ErrorMessageFormat(code);
}

std::string ErrorWords(TErrorCode code, const std::vector<std::string>& args)
{
    return FillPlaceholders(ErrorWordsFormat(code), args);
}

std::string ErrorWordsOf(const std::exception& error)
{
    if (const auto* formula = dynamic_cast<const EFormulaError*>(&error)) return FormulaErrorWords(*formula);
    if (const auto* coded = dynamic_cast<const ECodedError*>(&error)) return ErrorWords(coded->Code, coded->Args);
    return error.what();
}

bool IsPlatformError(TErrorCode code)
{
    return code <= ecIOError;  // the platform's codes come first in TErrorCode
}
