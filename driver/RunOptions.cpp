#include "driver/RunOptions.h"

#include "cells/KelUtils.h"
#include "driver/CmdLineHelper.h"
#include "platform/CodePage.h"
#include "platform/FileUtils.h"

namespace qx {

std::optional<int32_t> ParseSwitchInteger(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  if (i >= s.size()) return std::nullopt;
  int64_t value = 0;
  if (s[i] == '$') {
    ++i;
    if (i >= s.size()) return std::nullopt;
    for (; i < s.size(); ++i) {
      char c = s[i];
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return std::nullopt;
      value = value * 16 + d;
      if (value > 0xFFFFFFFFLL) return std::nullopt;
    }
    // Hexadecimal gives the 32-bit word: $FFFFFFFF is -1.
    int32_t word = static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(word)) : word;
  }
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string TableNameFromPath(std::string_view sourcePath) {
  std::string name = ExtractFileName(sourcePath);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

int32_t CodePageNumber(std::string_view value) {
  static constexpr const char* kHint =
      " Give the number of a single-byte Windows code page, such as 1252 (Western European), 1250 (Central "
      "European), 1251 (Cyrillic) or 866 (Cyrillic DOS).";
  std::optional<int32_t> cp = ParseSwitchInteger(value);
  if (!cp) throw ECodePageError("\"/CODEPAGE=" + std::string(value) + "\" is not a code page number." + kHint);
  if (!IsSupportedCodePage(*cp))
    throw ECodePageError("Code page " + std::to_string(*cp) + " is not supported." + kHint);
  return *cp;
}

RunOptions ReadRunOptions() {
  RunOptions o;
  int32_t count = ArgumentCount();
  for (int32_t i = 1; i <= count; ++i) {
    std::string arg = ArgumentText(i);
    std::string upper = UpperCaseAscii(arg);
    auto starts = [&](std::string_view prefix) { return upper.compare(0, prefix.size(), prefix) == 0; };
    if (starts("/PASS=")) {
      o.Password = arg.substr(6);
    } else if (starts("/FIRST=")) {
      if (auto v = ParseSwitchInteger(std::string_view(arg).substr(7))) o.FirstRow = *v;
    } else if (starts("/LAST=")) {
      if (auto v = ParseSwitchInteger(std::string_view(arg).substr(6))) o.LastRow = *v;
    } else if (starts("/MODE=")) {
      o.Mode = arg.substr(6);
    } else if (starts("/FIELDS=")) {
      o.FieldList = arg.substr(8);
      if (!o.FieldList.empty()) o.FieldList = LowerCaseAscii(o.FieldList) + ";";
    } else if (starts("/FILTER=")) {
      o.Filter = arg.substr(8);
    } else if (starts("/CODEPAGE=")) {
      o.CodePage = arg.substr(10);
    }
  }
  std::string third = PlatformArgumentText(3);
  if (PlatformArgumentCount() >= 3 && !(third.size() > 0 && third[0] == '/'))
    o.TableName = ArgumentText(3);
  else
    o.TableName = TableNameFromPath(ArgumentText(1));
  o.SourcePath = ArgumentText(1);
  o.TargetPath = ArgumentText(2);
  return o;
}

}  // namespace qx
