#include "platform/Variant.h"

namespace qx {

const char* VarKindName(VarKind kind) {
  switch (kind) {
    case VarKind::Empty: return "Empty";
    case VarKind::Null: return "Null";
    case VarKind::Integer: return "Integer";
    case VarKind::Real: return "Real";
    case VarKind::Currency: return "Currency";
    case VarKind::Date: return "Date";
    case VarKind::Text: return "Text";
    case VarKind::WideText: return "WideText";
    case VarKind::Boolean: return "Boolean";
    case VarKind::Bytes: return "Bytes";
  }
  return "?";
}

}  // namespace qx
