#pragma once
// Column names by letters (A..Z, AA.., bijective base 26) and the list of
// (name, column index) pairs the column-name operations of a reader fill.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// One entry of a column list: a name and the 0-based column it stands for
// (-1 when the name names no column).
struct TColumnListItem {
  std::string Name;
  int32_t Object = -1;
  friend bool operator==(const TColumnListItem&, const TColumnListItem&) = default;
};
using TColumnList = std::vector<TColumnListItem>;

// 1 -> "A", 26 -> "Z", 27 -> "AA", 703 -> "AAA"; "" for N <= 0.
std::string ColumnIndexToName(int64_t N);
// The 0-based column of a letter name (ASCII case ignored), or -1 when the
// name is empty, holds anything but letters, or lies past MaxCount columns.
int32_t ColumnNameToIndex(std::string_view Name, int32_t MaxCount);
// Clears List; an empty Spec lists the first Count letter names with their
// indexes, otherwise every ";"-separated name of Spec with its index (an
// empty name between two separators is listed too, with -1).
void FillColumnList(int32_t Count, std::string_view Spec, TColumnList& List);

}  // namespace qx
