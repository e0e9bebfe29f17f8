#include "dbengine/FieldTypes.h"

namespace qx::dao {

bool IsKnownFieldType(int type) {
  switch (type) {
    case dbBoolean: case dbLong: case dbDouble: case dbDate: case dbBinary:
    case dbText: case dbLongBinary: case dbMemo: case dbVarBinary:
      return true;
    default:
      return false;
  }
}

bool IsBinaryFieldType(int type) { return type == dbBinary || type == dbLongBinary || type == dbVarBinary; }

std::string FieldTypeName(int type) {
  switch (type) {
    case dbBoolean: return "Boolean";
    case dbLong: return "Long";
    case dbDouble: return "Double";
    case dbDate: return "Date/Time";
    case dbBinary: return "Binary";
    case dbText: return "Text";
    case dbLongBinary: return "Long binary";
    case dbMemo: return "Memo";
    case dbVarBinary: return "Variable binary";
    default: return "type " + std::to_string(type);
  }
}

int EffectiveFieldSize(int type, int requestedSize) {
  switch (type) {
    case dbBoolean: return 1;
    case dbLong: return 4;
    case dbDouble: return 8;
    case dbDate: return 8;
    case dbText: case dbBinary: case dbVarBinary:
      return requestedSize > 0 ? requestedSize : kDefaultVariableSize;
    default:
      return 0;
  }
}

int NaturalAttributes(int type) {
  switch (type) {
    case dbText: case dbMemo: case dbLongBinary: case dbVarBinary:
      return dbVariableField;
    default:
      return 0;
  }
}

bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace qx::dao
