// Arbitrary command lines through the command-line scanner and the option
// reader. No crash, and:
// - an argument vector made into a raw command line splits back into the
//   same arguments (the first byte's low bit picks this mode; the rest is
//   the vector, arguments separated by zero bytes);
// - a raw command line as typed (the other mode) splits into arguments
//   whose quoted forms split back into the same arguments, and whose
//   measured lengths match the texts read;
// - the options read agree with a plain reading of the same arguments.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells/KelUtils.h"
#include "driver/CmdLineHelper.h"
#include "driver/RunOptions.h"

using namespace qx;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Splits the raw command line now in force with NextArg, measuring each
// argument first and reading it into a buffer of exactly that size.
std::vector<std::string> SplitRaw() {
  std::vector<std::string> args;
  const char* p = RawCommandLine().c_str();
  for (;;) {
    const char* measure = p;
    int32_t len = -1;
    if (!NextArg(measure, nullptr, &len)) {
      Check(len == 0);
      break;
    }
    Check(len >= 0);
    std::string arg(static_cast<size_t>(len), '\0');
    int32_t len2 = -1;
    Check(NextArg(p, arg.data(), &len2));
    Check(len2 == len && p == measure);
    args.push_back(std::move(arg));
  }
  return args;
}

// An independent reading of a switch's integer value.
std::optional<int32_t> ReferenceInteger(std::string_view s) {
  size_t i = s.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  bool hex = i < s.size() && s[i] == '$';
  if (hex) ++i;
  if (i >= s.size()) return std::nullopt;
  __int128 value = 0;
  for (; i < s.size(); ++i) {
    int d;
    char c = s[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    value = value * (hex ? 16 : 10) + d;
    if (value > (__int128{1} << 33)) return std::nullopt;
  }
  if (hex) {
    if (value > 0xFFFFFFFF) return std::nullopt;
    uint32_t word = static_cast<uint32_t>(value);
    if (negative) word = 0u - word;
    return static_cast<int32_t>(word);
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

bool StartsWithUpper(const std::string& arg, std::string_view prefix) {
  return UpperCaseAscii(arg).compare(0, prefix.size(), prefix) == 0;
}

// What the option reader should make of args (args[0] is the program).
void CheckOptions(const std::vector<std::string>& args) {
  if (ArgumentCount() < 2) return;
  RunOptions o = ReadRunOptions();
  RunOptions expected;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (StartsWithUpper(a, "/PASS=")) {
      expected.Password = a.substr(6);
    } else if (StartsWithUpper(a, "/FIRST=")) {
      if (auto v = ReferenceInteger(std::string_view(a).substr(7))) expected.FirstRow = *v;
    } else if (StartsWithUpper(a, "/LAST=")) {
      if (auto v = ReferenceInteger(std::string_view(a).substr(6))) expected.LastRow = *v;
    } else if (StartsWithUpper(a, "/MODE=")) {
      expected.Mode = a.substr(6);
    } else if (StartsWithUpper(a, "/FIELDS=")) {
      expected.FieldList = a.substr(8);
      if (!expected.FieldList.empty()) expected.FieldList = LowerCaseAscii(expected.FieldList) + ";";
    } else if (StartsWithUpper(a, "/FILTER=")) {
      expected.Filter = a.substr(8);
    }
  }
  Check(o.SourcePath == args[1] && o.TargetPath == args[2]);
  Check(o.Password == expected.Password && o.FirstRow == expected.FirstRow && o.LastRow == expected.LastRow);
  Check(o.Mode == expected.Mode && o.FieldList == expected.FieldList && o.Filter == expected.Filter);
  // The table name: argument 3 (empty when absent; whether it counts is
  // decided on the platform's own split), else the name part of argument 1.
  const std::string third = args.size() > 3 ? args[3] : std::string();
  Check(o.TableName == TableNameFromPath(args[1]) || o.TableName == third);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) {
    // An argument vector, as the process receives it.
    std::vector<std::string> argv;
    size_t start = 0;
    for (;;) {
      size_t nul = rest.find('\0', start);
      argv.emplace_back(rest.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start));
      if (nul == std::string_view::npos) break;
      start = nul + 1;
    }
    SetCommandLine(argv);
    Check(SplitRaw() == argv);
    Check(ArgumentCount() == static_cast<int32_t>(argv.size()) - 1);
    for (size_t i = 1; i < argv.size(); ++i) Check(ArgumentText(static_cast<int32_t>(i)) == argv[i]);
    Check(ArgumentText(static_cast<int32_t>(argv.size())).empty());
    CheckOptions(argv);
  } else {
    // A raw command line as typed (up to its first zero byte).
    SetRawCommandLine(std::string(rest.substr(0, rest.find('\0'))));
    const std::vector<std::string> args = SplitRaw();
    Check(ArgumentCount() == (args.empty() ? 0 : static_cast<int32_t>(args.size()) - 1));
    for (size_t i = 1; i < args.size(); ++i) Check(ArgumentText(static_cast<int32_t>(i)) == args[i]);
    const int32_t platformCount = PlatformArgumentCount();
    Check(platformCount >= 0);
    for (int32_t i = 1; i <= platformCount + 1; ++i) (void)PlatformArgumentText(i);
    if (!args.empty()) CheckOptions(args);
    // The quoted forms read back as the same arguments.
    if (!args.empty()) {
      SetCommandLine(args);
      Check(SplitRaw() == args);
    }
  }
  for (const char* text : {"", "$", "-", " +$7fffffff", "-2147483648"})
    Check(ParseSwitchInteger(text) == ReferenceInteger(text));
  const std::string_view text = rest.substr(0, 64);
  Check(ParseSwitchInteger(text) == ReferenceInteger(text));
  (void)TableNameFromPath(rest);
  return 0;
}
