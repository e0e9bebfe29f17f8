#include "expr/Builtins.h"

namespace qx {

BuiltinFunction FindBuiltinFunction(std::string_view name) {
  for (const BuiltinEntry& entry : BuiltinTable()) {
    if (entry.Name.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      char c = name[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      same = (c == entry.Name[i]);
    }
    if (same) return entry.Function;
  }
  return nullptr;
}

}  // namespace qx
