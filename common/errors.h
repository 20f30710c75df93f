#pragma once
// The exception classes: the component library's EQZLError family (English messages that name
// the operation first) and the platform's own errors with their German messages. Every one is an
// ECodedError: it carries a code and the code's arguments beside its message, and the message is
// made from them by the one table of messages (ErrorMessage), so the two never disagree.
#include <stdexcept>
#include <string>
#include <vector>

#include "common/errorcode.h"

// The message of a code, its arguments put in for %1, %2, ... ("CalcLinFit: not enough data
// points" from ecNotEnoughPoints with "CalcLinFit").
std::string ErrorMessage(TErrorCode code, const std::vector<std::string>& args = {});
// The message of a code with its placeholders: "%1: not enough data points".
const char* ErrorMessageFormat(TErrorCode code);
// Puts args[i] in for every %(i+1) of `format`; %1 to %9.
std::string FillPlaceholders(const std::string& format, const std::vector<std::string>& args);

// An error with its code and the code's arguments; its message is the code's message with the
// arguments put in.
class ECodedError : public std::runtime_error {
public:
    explicit ECodedError(TErrorCode code, std::vector<std::string> args = {})
        : ECodedError(code, std::move(args), std::string())
    {
    }
    TErrorCode Code;
    std::vector<std::string> Args;

protected:
    // For an error that frames the code's message (a formula's position and point).
    ECodedError(TErrorCode code, std::vector<std::string> args, const std::string& prefix,
                const std::string& suffix = {})
        : std::runtime_error(prefix + ErrorMessage(code, args) + suffix), Code(code), Args(std::move(args))
    {
    }
};

class EQZLError : public ECodedError { using ECodedError::ECodedError; };
class EQZLMath2Error : public EQZLError { using EQZLError::EQZLError; };
class EQZLMatrixError : public EQZLError { using EQZLError::EQZLError; };
class EQZLVectorError : public EQZLError { using EQZLError::EQZLError; };
class EQZLRChartError : public EQZLError { using EQZLError::EQZLError; };

// Base of the platform's floating-point errors.
class EMathError : public ECodedError { using ECodedError::ECodedError; };

inline constexpr const char* kMsgZeroDivide = "Gleitkommadivision durch Null";
inline constexpr const char* kMsgInvalidOp = "Ungültige Gleitkommaoperation";
inline constexpr const char* kMsgOverflow = "Gleitkommaüberlauf";

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError(ecZeroDivide) {}
};
class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError(ecInvalidOp) {}
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError(ecOverflow) {}
};

// A text that is not a number: "'<text>' ist kein gültiger Gleitkommawert".
class EConvertError : public ECodedError {
public:
    explicit EConvertError(const std::string& text) : ECodedError(ecConvert, {text}) {}
};

// File errors: the platform's code and message for an operating-system error number.
class EInOutError : public ECodedError {
public:
    explicit EInOutError(int errnoValue);
    int ErrorCode;  // the errno value
};

// The platform's code for an errno value of a file operation: ecAccessDenied for a denied
// access, ecDiskFull for a full disk, ..., ecIOError for the rest.
TErrorCode FileErrorCode(int errnoValue);
// Its arguments: the errno value for ecIOError, none otherwise.
std::vector<std::string> FileErrorArgs(int errnoValue);
// The platform's German text for it ("Dateizugriff verweigert", "E/A-Fehler 5").
std::string FileErrorMessage(int errnoValue);
