#pragma once
// Naming rules for tables and fields of an Access database: 1 to 64
// characters, no leading blank, no control characters and none of
// . ! ` [ ]. Names compare without regard to letter case.
#include <string>
#include <string_view>

namespace qx::mdb {

inline constexpr size_t kMaxNameLength = 64;

// Raises EEngineError naming what (e.g. "field", "table") and the name
// when the name breaks a rule.
void CheckName(std::u16string_view name, const char* what);
// Case-insensitive equality (ASCII and Latin-1 letters).
bool SameName(std::u16string_view a, std::u16string_view b);

}  // namespace qx::mdb
