#include <vector>

#include "expr/Builtins.h"
#include "expr/FuncRows.h"

namespace qx {

// Every built-in function, gathered once from the family tables.
std::span<const BuiltinEntry> BuiltinTable() {
  static const std::vector<BuiltinEntry> table = [] {
    std::vector<BuiltinEntry> all;
    for (auto family : {TextFunctions(), ConversionFunctions(), DateFunctions(), MathFunctions(), LogicFunctions(),
                        AggregateFunctions()})
      all.insert(all.end(), family.begin(), family.end());
    return all;
  }();
  return table;
}

}  // namespace qx
