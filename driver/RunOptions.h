#pragma once
// The settings of one run, read from the command line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Exceptions.h"

namespace qx {

struct RunOptions {
  std::string SourcePath;
  std::string TargetPath;
  std::string Password;
  int32_t FirstRow = 0;
  int32_t LastRow = 2147483647;
  std::string Mode;
  std::string FieldList;  // lower-cased names, each followed by ";"; empty = all
  std::string Filter;
  std::string TableName;
  // "/CODEPAGE=": the Windows code page of the source's 8-bit texts, as
  // typed; checked by CodePageNumber before anything is opened.
  std::string CodePage = "1252";
};

// Raised for a "/CODEPAGE=" value that names no code page this program can
// convert.
class ECodePageError : public Exception {
 public:
  explicit ECodePageError(const std::string& message) : Exception(message) {}
  const char* ClassName() const override { return "ECodePageError"; }
};

// The number of the code page a "/CODEPAGE=" value names (an integer as the
// other switches take them). Raises ECodePageError when the value is not an
// integer or not a single-byte code page this platform converts.
int32_t CodePageNumber(std::string_view value);

// An integer switch value: optional leading blanks, an optional sign, then
// decimal digits or "$" and hexadecimal digits, and nothing after. Values
// outside the 32-bit range (hex up to 8 digits wraps like a 32-bit word) are
// not integers.
std::optional<int32_t> ParseSwitchInteger(std::string_view text);

// The table name derived from a source path: its name part (after the last
// "\\", "/" or ":") without the extension.
std::string TableNameFromPath(std::string_view sourcePath);

// Fills options from the process's command line (CmdLineHelper). REQUIRES:
// ArgumentCount() >= 2.
RunOptions ReadRunOptions();

}  // namespace qx
