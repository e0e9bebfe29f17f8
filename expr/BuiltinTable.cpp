#include "expr/Builtins.h"

namespace qx {

// No built-in functions yet: every call goes to the name resolution.
std::span<const BuiltinEntry> BuiltinTable() { return {}; }

}  // namespace qx
