// Arbitrary texts through the engine's conversion of a given value to what a
// field stores. No crash; a refusal is always the engine's own error; and
// what is accepted is sound for its field:
// - Boolean 0 or 1, Long within 32 bits, Double finite, Date/Time a
//   calendar date of the years 1 to 9999;
// - Text no longer than the field, and read back in the ANSI code page as
//   the text given; Memo the same without the limit;
// - the binary kinds hold the text's bytes unchanged;
// - a number or date accepted is accepted again, unchanged, from the text
//   the system itself writes for it.
// The first byte picks the field type, the second the field size and the
// locale settings; the rest is the text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "dbengine/FieldConvert.h"
#include "dbengine/FieldTypes.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

using namespace qx;
using namespace qx::dao;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr int kTypes[] = {dbBoolean, dbLong, dbDouble, dbDate, dbBinary, dbText, dbLongBinary, dbMemo, dbVarBinary, 3};

void SetLocale(uint8_t pick) {
  LocaleSettings s;
  switch (pick % 3) {
    case 1:
      s.DecimalSeparator = ',';
      s.ThousandSeparator = '.';
      s.DateSeparator = '.';
      s.ShortDateFormat = "dd.MM.yyyy";
      s.TimeAMString = s.TimePMString = "";
      s.CurrencyString = "EUR";
      break;
    case 2:
      s.DecimalSeparator = ',';
      s.ThousandSeparator = ' ';
      s.DateSeparator = '-';
      s.TimeSeparator = '.';
      s.ShortDateFormat = "yyyy-MM-dd";
      break;
    default: break;
  }
  Locale() = s;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Converts; returns false when the engine refused (with its own error).
bool Convert(const Variant& value, int type, int size, StoredValue& out) {
  try {
    ConvertFieldValue(value, type, size, "F", "T", out);
    return true;
  } catch (const EEngineError& e) {
    Check(e.Message().rfind("Cannot store ", 0) == 0);
    return false;
  }
}

void CheckStored(const Variant& value, int type, int size, const StoredValue& out) {
  switch (type) {
    case dbBoolean:
      Check(out.kind == StoredValue::Kind::Integer && (out.integer == 0 || out.integer == 1));
      break;
    case dbLong:
      Check(out.kind == StoredValue::Kind::Integer && out.integer >= INT32_MIN && out.integer <= INT32_MAX);
      break;
    case dbDouble:
      Check(out.kind == StoredValue::Kind::Real && std::isfinite(out.real));
      break;
    case dbDate: {
      DateParts parts;
      Check(out.kind == StoredValue::Kind::DateTime && DecodeDateTime(out.real, parts));
      Check(parts.year >= 1 && parts.year <= 9999);
      break;
    }
    case dbText:
    case dbMemo:
      Check(out.kind == StoredValue::Kind::Text);
      if (value.IsText()) {
        if (type == dbText) Check(value.AsText().size() <= static_cast<size_t>(size));
        Check(Utf8ToAnsi(out.text) == value.AsText());
      }
      break;
    case dbBinary:
    case dbVarBinary:
    case dbLongBinary:
      Check(out.kind == StoredValue::Kind::Bytes);
      if (value.IsText()) {
        const std::string& s = value.AsText();
        Check(out.bytes.size() == s.size() && (s.empty() || std::memcmp(out.bytes.data(), s.data(), s.size()) == 0));
      }
      if (type != dbLongBinary) Check(out.bytes.size() <= static_cast<size_t>(size));
      break;
    default:
      Check(false);  // an unknown type takes nothing
  }
}

// A number or date the field took is taken again from the system's text of it.
void CheckRoundTrip(int type, int size, const StoredValue& out) {
  StoredValue again;
  switch (type) {
    case dbLong:
      Check(Convert(Variant(FormatInteger(static_cast<int32_t>(out.integer))), type, size, again));
      Check(again.integer == out.integer);
      break;
    case dbDouble:
      Check(Convert(Variant(FormatReal(out.real)), type, size, again));
      Check(SameBits(again.real, out.real));
      Check(Convert(Variant(out.real), type, size, again) && SameBits(again.real, out.real));
      break;
    case dbDate:
      Check(Convert(Variant(FormatDateTime(out.real)), type, size, again));
      Check(SameBits(again.real, out.real));
      Check(Convert(Variant::FromDate(out.real), type, size, again) && SameBits(again.real, out.real));
      break;
    case dbBoolean:
      Check(Convert(Variant(out.integer != 0), type, size, again) && again.integer == out.integer);
      break;
    default: break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];
  const int fieldSize = EffectiveFieldSize(type, data[1] & 0x3F);
  const LocaleSettings saved = Locale();
  SetLocale(static_cast<uint8_t>(data[1] >> 6));
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

  StoredValue out;
  const Variant value(text);
  if (Convert(value, type, fieldSize, out)) {
    CheckStored(value, type, fieldSize, out);
    CheckRoundTrip(type, fieldSize, out);
  }
  // The same text as a wide text, and as the values the system reads from it.
  StoredValue wide;
  if (Convert(Variant(AnsiToWide(text)), type, fieldSize, wide)) CheckStored(Variant(), type, fieldSize, wide);
  for (VarKind k : {VarKind::Integer, VarKind::Real, VarKind::Currency, VarKind::Date, VarKind::Boolean}) {
    Variant typed;
    try {
      typed = VarChangeType(value, k);
    } catch (const Exception&) {
      continue;
    }
    StoredValue fromTyped;
    if (Convert(typed, type, fieldSize, fromTyped)) CheckStored(typed, type, fieldSize, fromTyped);
  }
  Locale() = saved;
  return 0;
}
