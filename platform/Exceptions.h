#pragma once
// Every error of the system is an exception derived from Exception. The
// top-level report prints ClassName() and Message(), so each class names
// itself; the message texts are the system's own and must not be reworded.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qx {

class Exception : public std::runtime_error {
 public:
  // Records the code address that raised the error (for the report).
  explicit Exception(const std::string& message);
  std::string Message() const { return what(); }
  virtual const char* ClassName() const { return "Exception"; }
  // Where the error was raised: an offset into the program's image, stable
  // from run to run of the same binary; 0 when unknown.
  uintptr_t Address() const;

 private:
  const void* raiser_ = nullptr;
};

#define QX_EXCEPTION_CLASS(Name, Base)                                \
  class Name : public Base {                                          \
   public:                                                            \
    explicit Name(const std::string& message) : Base(message) {}      \
    const char* ClassName() const override { return #Name; }          \
  };

// The system's own error classes.
QX_EXCEPTION_CLASS(EKelFileException, Exception)
QX_EXCEPTION_CLASS(EKelCryptException, Exception)
QX_EXCEPTION_CLASS(EKelParseException, Exception)

// Errors of the platform stand-ins (value conversions, lists, streams,
// arithmetic, console, database engine).
QX_EXCEPTION_CLASS(EVariantError, Exception)
QX_EXCEPTION_CLASS(EVariantTypeCastError, EVariantError)   // "Invalid variant type conversion"
QX_EXCEPTION_CLASS(EVariantInvalidOpError, EVariantError)  // "Invalid variant operation"
QX_EXCEPTION_CLASS(EListError, Exception)                  // "List index out of bounds (%d)"
QX_EXCEPTION_CLASS(EConvertError, Exception)               // text/date conversions
QX_EXCEPTION_CLASS(EMathError, Exception)
QX_EXCEPTION_CLASS(EZeroDivide, EMathError)                // "Floating point division by zero"
QX_EXCEPTION_CLASS(EInvalidOp, EMathError)                 // "Invalid floating point operation"
QX_EXCEPTION_CLASS(EOverflow, EMathError)                  // "Floating point overflow"
QX_EXCEPTION_CLASS(EIntError, Exception)
QX_EXCEPTION_CLASS(EDivByZero, EIntError)                  // "Division by zero"
QX_EXCEPTION_CLASS(EStreamError, Exception)
QX_EXCEPTION_CLASS(EReadError, EStreamError)               // "Stream read error"
QX_EXCEPTION_CLASS(EFOpenError, EStreamError)              // "Cannot open file ..."
QX_EXCEPTION_CLASS(EInOutError, Exception)                 // console write failures
QX_EXCEPTION_CLASS(EEngineError, Exception)                // database engine errors
QX_EXCEPTION_CLASS(EAssignError, Exception)                // copy between unrelated classes

#undef QX_EXCEPTION_CLASS

// Fixed platform message texts, spelled once.
inline constexpr const char* kInvalidVariantTypeConversion = "Invalid variant type conversion";
inline constexpr const char* kInvalidVariantOperation = "Invalid variant operation";
inline constexpr const char* kInvalidDateEncode = "Invalid argument to date encode";
inline constexpr const char* kInvalidTimeEncode = "Invalid argument to time encode";
inline constexpr const char* kStreamReadError = "Stream read error";

// "List index out of bounds (%d)"
std::string ListIndexMessage(long long index);

}  // namespace qx
