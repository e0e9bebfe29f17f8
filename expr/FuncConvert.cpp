// Conversion functions: STRTOINT, STRTOFLOAT, STRTODATE, DATETIMEFROMSTRING,
// INTTOSTR, FLOATTOSTR, DATETOSTR.
#include <charconv>
#include <cmath>
#include <string>

#include "expr/FuncRows.h"
#include "expr/Functions.h"
#include "expr/TextConv.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void StrToInt(const FuncArgs& a, Variant& r) { r = Variant(StrToIntText(a.Text(0))); }
void StrToFloat(const FuncArgs& a, Variant& r) { r = Variant(StrToFloatText(a.Text(0))); }
void StrToDate(const FuncArgs& a, Variant& r) { r = Variant::FromDate(StrToDateText(a.Text(0))); }
void DateTimeFromString(const FuncArgs& a, Variant& r) {
  r = Variant::FromDate(DateTimeFromText(a.Text(0), a.Text(1), a.Char(2), a.Char(3)));
}
void IntToStr(const FuncArgs& a, Variant& r) { r = Variant(std::to_string(a.Int(0))); }
void FloatToStr(const FuncArgs& a, Variant& r) { r = Variant(FloatToStrText(a.Real(0))); }
void DateToStr(const FuncArgs& a, Variant& r) { r = Variant(DateToStrText(a.Real(0))); }

constexpr FuncRow kRows[] = {
    {"STRTOINT", "0", "t", StrToInt},
    {"STRTOFLOAT", "0", "t", StrToFloat},
    {"STRTODATE", "0", "t", StrToDate},
    {"DATETIMEFROMSTRING", "3210", "ttcc", DateTimeFromString},
    {"INTTOSTR", "0", "i", IntToStr},
    {"FLOATTOSTR", "0", "r", FloatToStr},
    {"DATETOSTR", "0", "r", DateToStr},
};
constexpr auto kEntries = FuncEntries<kRows>();

}  // namespace

double StrToFloatText(std::string_view s) {
  const char dec = Locale().DecimalSeparator;
  auto fail = [&]() { return EConvertError("'" + std::string(s) + "' is not a valid floating point value"); };
  std::string plain;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') plain.push_back('-');
    ++i;
  }
  size_t digits = 0;
  bool point = false;
  for (; i < n; ++i) {
    if (IsDigit(s[i])) {
      plain.push_back(s[i]);
      ++digits;
    } else if (s[i] == dec && !point) {
      point = true;
      plain.push_back('.');
    } else {
      break;
    }
  }
  if (digits == 0) throw fail();
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    plain.push_back('e');
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) plain.push_back(s[i++]);
    size_t exp_digits = 0;
    while (i < n && IsDigit(s[i])) {
      plain.push_back(s[i++]);
      ++exp_digits;
    }
    if (exp_digits == 0) throw fail();
  }
  while (i < n && s[i] == ' ') ++i;
  if (i != n) throw fail();
  if (plain.back() == '.') plain.pop_back();  // "5." reads as 5
  if (plain[0] == '.' || (plain[0] == '-' && plain[1] == '.')) plain.insert(plain[0] == '-' ? 1 : 0, "0");
  double v = 0;
  const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v);
  if (ec == std::errc::result_out_of_range) {
    // Below the smallest double: 0; beyond the largest: not a value.
    const size_t e = plain.find('e');
    if (e != std::string::npos && plain[e + 1] == '-') return plain[0] == '-' ? -0.0 : 0.0;
    throw fail();
  }
  if (ec != std::errc() || ptr != plain.data() + plain.size()) throw fail();
  return v;
}

double StrToDateText(std::string_view s) {
  double v = 0;
  if (!TryTextToDate(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid date");
  return v;
}

std::string FloatToStrText(double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  if (x == 0) return "0";
  // The digits rounded to 15 significant ones: d.ddddddddddddddde[+-]x.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
  const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
  const size_t e = sci.find('e');
  const bool neg = sci[0] == '-';
  std::string digits;
  for (char c : sci.substr(0, e))
    if (IsDigit(c)) digits.push_back(c);
  int exp = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exp);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const char dec = Locale().DecimalSeparator;
  std::string out = neg ? "-" : "";
  if (exp >= 15 || exp < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += dec;
      out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exp);
  } else if (exp < 0) {
    out += '0';
    out += dec;
    out.append(static_cast<size_t>(-exp - 1), '0');
    out += digits;
  } else {
    const size_t whole = static_cast<size_t>(exp) + 1;
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole);
      out += dec;
      out += digits.substr(whole);
    }
  }
  return out;
}

std::string DateToStrText(double x) { return FormatDate(x); }

std::span<const BuiltinEntry> ConversionFunctions() { return kEntries; }

}  // namespace qx
