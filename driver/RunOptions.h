#pragma once
// The settings of one run, read from the command line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
};

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
