#include "dbengine/FieldConvert.h"

#include <cmath>
#include <cstring>

#include "dbengine/FieldTypes.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/VarConvert.h"

namespace qx::dao {

namespace {

// The value as a message shows it: texts quoted and cut after 40 characters.
std::string Describe(const Variant& value) {
  if (value.Kind() == VarKind::Bytes) return std::to_string(value.AsBytes().size()) + " bytes of binary data";
  std::string text;
  if (value.IsText()) text = value.AsText();
  else if (value.IsWideText()) text = WideToAnsi(value.AsWideText());
  else {
    try {
      text = VarToText(value);
    } catch (const Exception&) {
      return std::string("a value of kind ") + VarKindName(value.Kind());
    }
  }
  if (text.size() > 40) text = text.substr(0, 40) + "...";
  return "'" + text + "'";
}

[[noreturn]] void Refuse(const Variant& value, const std::string& field, const std::string& table,
                         const std::string& reason) {
  throw EEngineError("Cannot store " + Describe(value) + " in field '" + field + "' of table '" + table +
                     "': " + reason + ".");
}

bool IsAscii(std::string_view s) {
  // Eight bytes at a time: any high bit means a character beyond ASCII.
  size_t i = 0;
  uint64_t high = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    high |= w;
  }
  for (; i < s.size(); ++i) high |= static_cast<unsigned char>(s[i]);
  return (high & 0x8080808080808080ull) == 0;
}

// The common form of whole numbers, as the value-to-text conversion writes
// them: an optional "-" and one to nine digits (always within the Long
// range). Anything else is left to the system's reader.
bool PlainDigits(std::string_view s, int32_t& out) {
  size_t i = !s.empty() && s[0] == '-' ? 1 : 0;
  if (s.size() == i || s.size() - i > 9) return false;
  int32_t v = 0;
  for (size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
    v = v * 10 + (s[k] - '0');
  }
  out = i ? -v : v;
  return true;
}

void StoreAnsiText(std::string_view s, StoredValue& out) {
  out.kind = StoredValue::Kind::Text;
  if (IsAscii(s)) out.text.assign(s.data(), s.size());
  else out.text = AnsiToUtf8(s);
}

void StoreBytes(const uint8_t* data, size_t n, StoredValue& out) {
  out.kind = StoredValue::Kind::Bytes;
  out.bytes.assign(data, data + n);
}

std::string Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A text in the ANSI code page, converted for the field.
void ConvertText(const Variant& value, std::string_view s, int type, int size, const std::string& field,
                 const std::string& table, StoredValue& out) {
  switch (type) {
    case dbBoolean: {
      // "1" and "0" are what the transfer sends for Boolean values; every
      // other form goes to the system's reader.
      bool b = s.size() == 1 && s[0] == '1';
      if (!(s.size() == 1 && (s[0] == '0' || s[0] == '1')) && !TryTextToBoolean(s, b))
        Refuse(value, field, table, "a Boolean field takes True, False, Yes, No, On, Off or a number");
      out.kind = StoredValue::Kind::Integer;
      out.integer = b ? 1 : 0;
      return;
    }
    case dbLong: {
      int32_t i;
      if (!PlainDigits(s, i) && !TryTextToInteger(s, i)) {
        double d;
        if (TryTextToReal(s, d))
          Refuse(value, field, table, "the number lies outside the range of a Long field (-2147483648 to 2147483647)");
        Refuse(value, field, table, "a Long field takes a whole number");
      }
      out.kind = StoredValue::Kind::Integer;
      out.integer = i;
      return;
    }
    case dbDouble: {
      double d;
      if (!TryTextToReal(s, d)) Refuse(value, field, table, "a Double field takes a number");
      out.kind = StoredValue::Kind::Real;
      out.real = d;
      return;
    }
    case dbDate: {
      double d;  // the reader keeps to the years 1 to 9999
      if (!TryTextToDateTime(s, d))
        Refuse(value, field, table, "a Date/Time field takes a date, a time of day or both");
      out.kind = StoredValue::Kind::DateTime;
      out.real = d;
      return;
    }
    case dbText:
      if (s.size() > static_cast<size_t>(size))
        Refuse(value, field, table,
               "the text has " + Plural(s.size(), "character", "characters") + " and the field holds at most " +
                   Plural(static_cast<size_t>(size), "character", "characters"));
      StoreAnsiText(s, out);
      return;
    case dbMemo:
      StoreAnsiText(s, out);
      return;
    case dbBinary:
    case dbVarBinary:
    case dbLongBinary:
      // A text given to a binary field is stored as its bytes, unchanged.
      if (type != dbLongBinary && s.size() > static_cast<size_t>(size))
        Refuse(value, field, table,
               "the value has " + Plural(s.size(), "byte", "bytes") + " and the field holds at most " +
                   Plural(static_cast<size_t>(size), "byte", "bytes"));
      StoreBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size(), out);
      return;
    default:
      Refuse(value, field, table, "the field has an unknown type " + std::to_string(type));
  }
}

}  // namespace

void ConvertFieldValue(const Variant& value, int type, int size, const std::string& field, const std::string& table,
                       StoredValue& out) {
  switch (value.Kind()) {
    case VarKind::Empty:
    case VarKind::Null:
      out.kind = StoredValue::Kind::Null;
      return;
    case VarKind::Text:
      ConvertText(value, value.AsText(), type, size, field, table, out);
      return;
    case VarKind::Bytes: {
      const ByteArray& b = value.AsBytes();
      if (!IsBinaryFieldType(type))
        Refuse(value, field, table, "binary data cannot be stored in a " + FieldTypeName(type) + " field");
      if (type != dbLongBinary && b.size() > static_cast<size_t>(size))
        Refuse(value, field, table,
               "the field holds at most " + Plural(static_cast<size_t>(size), "byte", "bytes"));
      StoreBytes(b.data(), b.size(), out);
      return;
    }
    case VarKind::WideText:
      if (type == dbText || type == dbMemo) {
        // Straight to UTF-8: characters outside the ANSI code page survive.
        const std::u16string& w = value.AsWideText();
        size_t chars = 0;
        for (char16_t c : w) chars += (c < 0xDC00 || c >= 0xE000) ? 1 : 0;
        if (type == dbText && chars > static_cast<size_t>(size))
          Refuse(value, field, table,
                 "the text has " + Plural(chars, "character", "characters") + " and the field holds at most " +
                     Plural(static_cast<size_t>(size), "character", "characters"));
        out.kind = StoredValue::Kind::Text;
        out.text = WideToUtf8(w);
        return;
      }
      ConvertText(value, WideToAnsi(value.AsWideText()), type, size, field, table, out);
      return;
    default:
      break;
  }
  // Numbers, currency, dates and Booleans: converted by kind, or through
  // their text for the text and binary kinds.
  try {
    switch (type) {
      case dbBoolean:
        out.integer = VarToBoolean(value) ? 1 : 0;
        out.kind = StoredValue::Kind::Integer;
        return;
      case dbLong:
        out.integer = VarToInteger(value);
        out.kind = StoredValue::Kind::Integer;
        return;
      case dbDouble: {
        double d = VarToReal(value);
        if (!std::isfinite(d)) Refuse(value, field, table, "a Double field takes a finite number");
        out.real = d;
        out.kind = StoredValue::Kind::Real;
        return;
      }
      case dbDate: {
        DateParts parts;
        double d = VarToDateTime(value);
        if (!DecodeDateTime(d, parts)) Refuse(value, field, table, "the date lies outside the years 1 to 9999");
        out.real = d;
        out.kind = StoredValue::Kind::DateTime;
        return;
      }
      default: {
        std::string text = VarToText(value);
        ConvertText(value, text, type, size, field, table, out);
        return;
      }
    }
  } catch (const EEngineError&) {
    throw;
  } catch (const Exception& e) {
    Refuse(value, field, table, e.Message());
  }
}

}  // namespace qx::dao
