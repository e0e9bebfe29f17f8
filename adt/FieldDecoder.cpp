#include "adt/FieldDecoder.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "cells/JulianDate.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"

namespace qx::adt {

namespace {

constexpr uint8_t kNullPattern8[8] = {0x20, 0, 0, 0, 0, 0, 0, 0x80};
constexpr uint8_t kIntegerNull[4] = {0, 0, 0, 0x80};

bool IsBlankBytes(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] != 0 && p[i] != ' ') return false;
  return true;
}

bool IsEmptyWhenTrimmed(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] > 32) return false;
  return true;
}

bool IsAllZero(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

bool Matches(const uint8_t* p, size_t n, const uint8_t* pattern, size_t m) {
  return n == m && std::memcmp(p, pattern, m) == 0;
}

// The first `width` bytes of the field as a number's bytes: a shorter field
// leaves the missing high bytes zero, a longer one contributes only its
// first `width` bytes.
template <size_t width>
void Widen(const uint8_t* p, size_t n, uint8_t (&out)[width]) {
  std::memset(out, 0, width);
  std::memcpy(out, p, n < width ? n : width);
}

void SetText(Variant& out, const char* p, size_t n) {
  if (out.IsText())
    out.MutableText().assign(p, n);
  else
    out = Variant(std::string(p, n));
}

void SetTrimmedText(Variant& out, const uint8_t* p, size_t n) {
  size_t b = 0, e = n;
  while (b < e && p[b] <= 32) ++b;
  while (e > b && p[e - 1] <= 32) --e;
  SetText(out, reinterpret_cast<const char*>(p) + b, e - b);
}

// Integer text as the platform's string-to-integer conversion takes it:
// optional blanks, optional sign, at least one digit, nothing after.
bool ParseStrictInt(std::string_view s, int& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 1000000000) return false;
  }
  value = static_cast<int>(negative ? -v : v);
  return true;
}

DecodedCell Null(Variant& out, TKelCellType type, TAlignment alignment) {
  out.SetNull();
  return {alignment, type};
}

DecodedCell DecodeCompactDate(const uint8_t* p, size_t n, Variant& out) {
  if (IsEmptyWhenTrimmed(p, n)) return Null(out, ictDateTime, taLeftJustify);
  std::string_view text(reinterpret_cast<const char*>(p), n);
  auto part = [&](size_t from, size_t len) { return from < text.size() ? text.substr(from, len) : std::string_view(); };
  int year = 0, month = 0, day = 0;
  if (!ParseStrictInt(part(0, 4), year) || !ParseStrictInt(part(4, 2), month) || !ParseStrictInt(part(6, 2), day) ||
      !IsValidDate(year, month, day))
    return Null(out, ictDateTime, taLeftJustify);
  out = Variant::FromDate(EncodeDate(year, month, day));
  return {taLeftJustify, ictDateTime};
}

// A double that is not a number or infinite is no value this system can
// carry further (real arithmetic refuses them): such bytes decode to Null.
DecodedCell DeliverReal(Variant& out, double v) {
  if (!std::isfinite(v)) return Null(out, ictDecimal, taRightJustify);
  out = Variant(v);
  return {taRightJustify, ictDecimal};
}

}  // namespace

Variant ReadAdtNumber(std::string_view text, bool withDecimals) {
  size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string_view body = text.substr(i);
  if (!withDecimals) {
    size_t digits = 0;
    while (digits < body.size() && body[digits] >= '0' && body[digits] <= '9') ++digits;
    // Skip leading zeros so that long zero-padded texts stay exact.
    size_t first = 0;
    while (first + 1 < digits && body[first] == '0') ++first;
    if (digits - first <= 18) {
      int64_t v = 0;
      for (size_t k = first; k < digits; ++k) v = v * 10 + (body[k] - '0');
      if (negative) v = -v;
      if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
      // Too large for a 32-bit integer: the exact value as a real rather
      // than a wrapped integer.
      return Variant(static_cast<double>(v));
    }
    double v = 0;
    std::from_chars(body.data() + first, body.data() + digits, v);
    return Variant(negative ? -v : v);
  }
  // Only digits or a point may start it: no second sign, no "inf" or "nan".
  if (body.empty() || !((body[0] >= '0' && body[0] <= '9') || body[0] == '.')) return Variant(0.0);
  double v = 0;
  auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as 0; overflow is no number a double holds.
    bool tiny = false;
    for (const char* c = body.data(); c < ptr; ++c)
      if (*c == 'e' || *c == 'E') tiny = c + 1 < ptr && c[1] == '-';
    if (tiny) return Variant(0.0);
    return Variant::Null();
  }
  if (ec != std::errc()) return Variant(0.0);
  return Variant(negative ? -v : v);
}

DecodedCell DecodeField(const AdtField& field, const uint8_t* p, Variant& out, std::u16string& wide) {
  const size_t n = field.length;
  switch (field.code) {
    case atNChar:
    case atNVarChar: {
      wide.resize(n / 2);
      for (size_t k = 0; k < n / 2; ++k) wide[k] = static_cast<char16_t>(p[2 * k] | (p[2 * k + 1] << 8));
      std::string ansi = WideToAnsi(wide);
      SetTrimmedText(out, reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size());
      return {taLeftJustify, ictString};
    }
    case atLogical:
      if (IsBlankBytes(p, n)) return Null(out, ictEmpty, taLeftJustify);
      out = Variant(n == 1 && p[0] == 'T');
      return {taLeftJustify, ictBoolean};
    case atNumeric: {
      if (n == 0) return Null(out, ictDecimal, taRightJustify);
      Variant v = ReadAdtNumber(std::string_view(reinterpret_cast<const char*>(p), n), field.decimals != 0);
      if (v.Kind() == VarKind::Real) return DeliverReal(out, v.AsReal());
      out = std::move(v);
      return {taRightJustify, ictDecimal};
    }
    case atDate: {
      if (n == 4 && IsAllZero(p, 4)) return Null(out, ictDateTime, taLeftJustify);
      uint8_t b[4];
      Widen(p, n, b);
      int32_t j = static_cast<int32_t>(GetLE32(b));
      if (j == 0) return Null(out, ictDateTime, taLeftJustify);
      // A 4-byte day number converts without a range check; other widths go
      // through the checked conversion.
      double date = n == 4 ? static_cast<double>(static_cast<int64_t>(j) - kJulianOffset) : JulianToDate(j);
      out = Variant::FromDate(date);
      return {taLeftJustify, ictDateTime};
    }
    case atCompactDate:
      return DecodeCompactDate(p, n, out);
    case atDouble:
    case atCurDouble: {
      // Eight zero bytes are the amount 0, not Null: real tables store zero
      // amounts that way, while Null has its own pattern.
      if (n > 0 && IsAllZero(p, n)) return DeliverReal(out, 0.0);
      if (IsEmptyWhenTrimmed(p, n) || Matches(p, n, kNullPattern8, 8)) return Null(out, ictDecimal, taRightJustify);
      uint8_t b[8];
      Widen(p, n, b);
      double v;
      std::memcpy(&v, b, 8);
      return DeliverReal(out, v);
    }
    case atInteger:
    case atAutoInc: {
      if (Matches(p, n, kIntegerNull, 4) || Matches(p, n, kNullPattern8, 8)) return Null(out, ictInteger, taRightJustify);
      uint8_t b[4];
      Widen(p, n, b);
      out = Variant(static_cast<int32_t>(GetLE32(b)));
      return {taRightJustify, ictInteger};
    }
    case atShortInt: {
      uint8_t b[2];
      Widen(p, n, b);
      int16_t v = static_cast<int16_t>(GetLE16(b));
      if (v == -32768) return Null(out, ictInteger, taRightJustify);
      out = Variant(static_cast<int32_t>(v));
      return {taRightJustify, ictInteger};
    }
    case atTime: {
      // Only four zero bytes are Null: a time is a binary number of
      // milliseconds, and bytes of 32 or less are ordinary times.
      if (IsAllZero(p, n)) return Null(out, ictDateTime, taLeftJustify);
      uint8_t b[4];
      Widen(p, n, b);
      out = Variant::FromDate(static_cast<int32_t>(GetLE32(b)) / kMSecsPerDay);
      return {taLeftJustify, ictDateTime};
    }
    case atTimeStamp:
    case atModTime: {
      uint8_t b[8];
      Widen(p, n, b);
      int32_t j = static_cast<int32_t>(GetLE32(b));
      if (IsEmptyWhenTrimmed(p, n) || j == 0) return Null(out, ictDateTime, taLeftJustify);
      int32_t ms = static_cast<int32_t>(GetLE32(b + 4));
      // Before 30 December 1899 the time of day counts away from day 0, so
      // it is combined with the date rather than added.
      out = Variant::FromDate(ComposeDateTime(JulianToDate(j), ms / kMSecsPerDay));
      return {taLeftJustify, ictDateTime};
    }
    case atMoney: {
      if (n > 0 && IsAllZero(p, n)) return DeliverReal(out, 0.0);
      // Money is a binary count, so "empty when trimmed" (every byte 32 or
      // less) would turn ordinary amounts into Null: 0.08 is 20 03 00 .. 00,
      // 0.64 is 00 19 00 .. 00. Only blanks and zero bytes (a text-style
      // empty field, such as eight blanks) and the Null pattern are Null; no
      // amount in whole cents up to a million has such bytes.
      if (IsBlankBytes(p, n) || Matches(p, n, kNullPattern8, 8)) return Null(out, ictDecimal, taRightJustify);
      // A signed 64-bit count of ten-thousandths.
      uint8_t b[8];
      Widen(p, n, b);
      return DeliverReal(out, static_cast<double>(static_cast<int64_t>(GetLE64(b))) / 10000.0);
    }
    case atLongLong:
    case atRowVersion:
      return Null(out, ictInteger, taRightJustify);
    case atString:
    default:
      SetTrimmedText(out, p, n);
      return {taLeftJustify, ictString};
  }
}

}  // namespace qx::adt
