#include "cells/ColumnNames.h"

#include "cells/KelUtils.h"

namespace qx {

std::string ColumnIndexToName(int64_t N) {
  std::string name;
  while (N > 0) {
    int64_t d = N - 1;
    name.insert(name.begin(), static_cast<char>('A' + d % 26));
    N = d / 26;
  }
  return name;
}

int32_t ColumnNameToIndex(std::string_view Name, int32_t MaxCount) {
  if (Name.empty()) return -1;
  int64_t value = 0;
  for (char raw : Name) {
    char c = UpCaseAscii(raw);
    if (c < 'A' || c > 'Z') return -1;
    value = value * 26 + (c - 'A' + 1);
    // Long names exceed any count; stop before the number overflows.
    if (value > MaxCount) {
      for (char rest : Name) {
        char r = UpCaseAscii(rest);
        if (r < 'A' || r > 'Z') return -1;
      }
      return -1;
    }
  }
  return static_cast<int32_t>(value - 1);
}

void FillColumnList(int32_t Count, std::string_view Spec, TColumnList& List) {
  List.clear();
  if (Spec.empty()) {
    for (int32_t n = 1; n <= Count; ++n) List.push_back({ColumnIndexToName(n), n - 1});
    return;
  }
  std::string current;
  for (char c : Spec) {
    if (c == ';') {
      List.push_back({current, ColumnNameToIndex(current, Count)});
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) List.push_back({current, ColumnNameToIndex(current, Count)});
}

}  // namespace qx
