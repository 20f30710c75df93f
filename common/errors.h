#pragma once
// The exception classes: the component library's EQZLError family (English messages that name
// the operation first) and the platform's own errors with their German messages.
#include <stdexcept>
#include <string>

class EQZLError : public std::runtime_error {
public:
    explicit EQZLError(const std::string& message) : std::runtime_error(message) {}
};
class EQZLMath2Error : public EQZLError { using EQZLError::EQZLError; };
class EQZLMatrixError : public EQZLError { using EQZLError::EQZLError; };
class EQZLVectorError : public EQZLError { using EQZLError::EQZLError; };
class EQZLRChartError : public EQZLError { using EQZLError::EQZLError; };

// Base of the platform's floating-point errors.
class EMathError : public std::runtime_error { using std::runtime_error::runtime_error; };

inline constexpr const char* kMsgZeroDivide = "Gleitkommadivision durch Null";
inline constexpr const char* kMsgInvalidOp = "Ungültige Gleitkommaoperation";
inline constexpr const char* kMsgOverflow = "Gleitkommaüberlauf";

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError(kMsgZeroDivide) {}
};
class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError(kMsgInvalidOp) {}
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError(kMsgOverflow) {}
};

// A text that is not a number: "'<text>' ist kein gültiger Gleitkommawert".
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' ist kein gültiger Gleitkommawert") {}
};

// File errors: a platform message for an operating-system error number.
class EInOutError : public std::runtime_error {
public:
    EInOutError(int errorCode, const std::string& message) : std::runtime_error(message), ErrorCode(errorCode) {}
    int ErrorCode;
};

// The platform's German text for an errno value of a file operation ("Dateizugriff verweigert"
// for a denied access, "Zu wenig Speicherplatz" for a full disk, ...).
std::string FileErrorMessage(int errnoValue);
