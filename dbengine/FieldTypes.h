#pragma once
// Facts about the engine's field types that every storage shares: which
// numbers are valid, their display names, natural sizes and size defaults.
#include <string>
#include <string_view>

#include "dbengine/Dao.h"

namespace qx::dao {

// True for the field type numbers the engine knows (1, 4, 7, 8, 9, 10, 11, 12, 17).
bool IsKnownFieldType(int type);
// True for the binary kinds (9, 11, 17).
bool IsBinaryFieldType(int type);
// A readable name ("Long", "Text", ...), for messages; "type N" when unknown.
std::string FieldTypeName(int type);
// The size a field of this type reports: the fixed width of the fixed kinds
// (Boolean 1, Long 4, Double 8, Date/Time 8), 0 for Memo and Long binary,
// and for Text, Binary and Variable binary the requested size, or
// kDefaultVariableSize when the request is 0 or negative.
int EffectiveFieldSize(int type, int requestedSize);
inline constexpr int kDefaultVariableSize = 255;
// The attributes a field of this type reports when read from storage.
int NaturalAttributes(int type);

// ASCII-only case-insensitive equality, as names are matched.
bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace qx::dao
