#include "platform/VarConvert.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"

namespace qx {

namespace {

[[noreturn]] void CastError() { throw EVariantTypeCastError(kInvalidVariantTypeConversion); }
[[noreturn]] void InvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

bool IsBlankChar(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankChar(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankChar(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

// ---- number texts -----------------------------------------------------------

// A number text taken apart: value = (neg ? -1 : 1) * digits * 10^exp10, and
// the same number as a plain ASCII text that std::from_chars reads.
struct DecimalText {
  bool neg = false;
  std::string digits;  // significant digits, no leading zeros ("" is zero)
  int64_t exp10 = 0;
  std::string plain;   // "[-]int[.frac][e[-]exp]"
};

struct NumberSyntax {
  char decimal = '.';
  char thousands = 0;      // 0: no grouping
  bool dot_as_decimal = false;
};

NumberSyntax LocaleSyntax() {
  const LocaleSettings& loc = Locale();
  NumberSyntax syn;
  syn.decimal = loc.DecimalSeparator;
  syn.thousands = loc.ThousandSeparator == loc.DecimalSeparator ? 0 : loc.ThousandSeparator;
  // "." is read as a decimal point as well unless it means something else
  // in this locale (a thousands separator), which would make "1.500" ambiguous.
  syn.dot_as_decimal = loc.DecimalSeparator != '.' && loc.ThousandSeparator != '.';
  return syn;
}

// Reads "[sign] digits-with-grouping [decimal digits] [e [sign] digits]" with
// blanks around. A thousands separator must follow a digit of the integer
// part and be followed by exactly three digits.
bool ScanNumber(std::string_view s, const NumberSyntax& syn, DecimalText& out) {
  s = Trim(s);
  size_t i = 0;
  const size_t n = s.size();
  // The strings of out keep their capacity from call to call.
  out.neg = false;
  out.digits.clear();
  out.plain.clear();
  out.exp10 = 0;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    out.neg = s[i] == '-';
    ++i;
  }
  if (out.neg) out.plain.push_back('-');
  // digits collects the digits from the first non-zero one on.
  auto digit = [&](char c) {
    out.plain.push_back(c);
    if (c != '0' || !out.digits.empty()) out.digits.push_back(c);
  };
  size_t int_count = 0, frac_count = 0;
  while (i < n) {
    const char c = s[i];
    if (IsDigit(c)) {
      digit(c);
      ++int_count;
      ++i;
    } else if (syn.thousands != 0 && c == syn.thousands && int_count != 0) {
      // A group of exactly three digits follows.
      if (i + 3 >= n || !IsDigit(s[i + 1]) || !IsDigit(s[i + 2]) || !IsDigit(s[i + 3])) return false;
      if (i + 4 < n && IsDigit(s[i + 4])) return false;
      ++i;
    } else {
      break;
    }
  }
  if (int_count == 0) out.plain.push_back('0');
  if (i < n && (s[i] == syn.decimal || (syn.dot_as_decimal && s[i] == '.'))) {
    ++i;
    if (i < n && IsDigit(s[i])) out.plain.push_back('.');
    while (i < n && IsDigit(s[i])) {
      digit(s[i++]);
      ++frac_count;
    }
  }
  if (int_count == 0 && frac_count == 0) return false;
  int64_t exp = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool exp_neg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
      exp_neg = s[i] == '-';
      ++i;
    }
    if (i >= n || !IsDigit(s[i])) return false;
    out.plain.push_back('e');
    if (exp_neg) out.plain.push_back('-');
    const size_t exp_start = out.plain.size();
    while (i < n && IsDigit(s[i])) {
      // Beyond a billion the value is zero or out of every range anyway.
      if (exp < 1000000000) {
        exp = exp * 10 + (s[i] - '0');
        if (exp != 0) out.plain.push_back(s[i]);
      }
      ++i;
    }
    if (out.plain.size() == exp_start) out.plain.push_back('0');
    if (exp_neg) exp = -exp;
  }
  if (i != n) return false;
  // Trailing zeros of the digits go into the exponent.
  size_t trailing = 0;
  while (!out.digits.empty() && out.digits.back() == '0') {
    out.digits.pop_back();
    ++trailing;
  }
  out.exp10 = out.digits.empty() ? 0 : exp - static_cast<int64_t>(frac_count) + static_cast<int64_t>(trailing);
  return true;
}

// The value times 10^scale, rounded half to even, when it lies in
// [-limit_neg, limit_pos].
bool DecimalToScaled(const DecimalText& d, int scale, unsigned __int128 limit_pos, unsigned __int128 limit_neg,
                     int64_t& out) {
  if (d.digits.empty()) {
    out = 0;
    return true;
  }
  const int64_t len = static_cast<int64_t>(d.digits.size());
  const int64_t e = d.exp10 + scale;
  const unsigned __int128 limit = d.neg ? limit_neg : limit_pos;
  unsigned __int128 mag = 0;
  if (e >= 0) {
    if (len + e > 20) return false;
    for (char c : d.digits) mag = mag * 10 + static_cast<unsigned>(c - '0');
    for (int64_t k = 0; k < e; ++k) mag *= 10;
  } else {
    const int64_t keep = len + e;  // digits of the integer part
    if (keep > 20) return false;
    for (int64_t k = 0; k < keep; ++k) mag = mag * 10 + static_cast<unsigned>(d.digits[static_cast<size_t>(k)] - '0');
    bool up = false;
    if (keep >= 0) {
      const int first_dropped = d.digits[static_cast<size_t>(keep)] - '0';
      // digits has no trailing zeros, so anything after the first dropped
      // digit is not zero.
      const bool sticky = keep + 1 < len;
      up = first_dropped > 5 || (first_dropped == 5 && (sticky || (mag & 1) != 0));
    }
    if (up) ++mag;
  }
  if (mag > limit) return false;
  out = d.neg ? static_cast<int64_t>(-static_cast<__int128>(mag)) : static_cast<int64_t>(mag);
  return true;
}

bool DecimalToDouble(const DecimalText& d, double& out) {
  double v = 0;
  const char* first = d.plain.data();
  const char* last = first + d.plain.size();
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double rounds to zero; too large is refused.
    if (d.digits.empty() || static_cast<int64_t>(d.digits.size()) + d.exp10 > 0) return false;
    out = d.neg ? -0.0 : 0.0;
    return true;
  }
  if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// ---- date and time texts ----------------------------------------------------

constexpr const char* kEnglishMonths[12][2] = {
    {"JAN", "JANUARY"}, {"FEB", "FEBRUARY"}, {"MAR", "MARCH"},     {"APR", "APRIL"},
    {"MAY", "MAY"},     {"JUN", "JUNE"},     {"JUL", "JULY"},      {"AUG", "AUGUST"},
    {"SEP", "SEPTEMBER"}, {"OCT", "OCTOBER"}, {"NOV", "NOVEMBER"}, {"DEC", "DECEMBER"}};

int MonthFromName(std::string_view name) {
  const LocaleSettings& loc = Locale();
  for (int m = 0; m < 12; ++m) {
    if (EqualsNoCase(name, kEnglishMonths[m][0]) || EqualsNoCase(name, kEnglishMonths[m][1])) return m + 1;
    if (!loc.ShortMonthNames[static_cast<size_t>(m)].empty() && EqualsNoCase(name, loc.ShortMonthNames[static_cast<size_t>(m)]))
      return m + 1;
    if (!loc.LongMonthNames[static_cast<size_t>(m)].empty() && EqualsNoCase(name, loc.LongMonthNames[static_cast<size_t>(m)]))
      return m + 1;
  }
  return 0;
}

bool ReadDigits(std::string_view s, size_t min_len, size_t max_len, int& out) {
  if (s.size() < min_len || s.size() > max_len) return false;
  int v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

// The order of day, month and year in the short date format, as 'd', 'M', 'y'.
std::string DateOrder() {
  std::string order;
  for (char c : Locale().ShortDateFormat) {
    char k = c == 'D' ? 'd' : c == 'm' ? 'M' : c == 'Y' ? 'y' : c;
    if ((k == 'd' || k == 'M' || k == 'y') && order.find(k) == std::string::npos) order.push_back(k);
  }
  if (order.size() != 3) order = "Mdy";
  return order;
}

// A date of three fields in the locale's order, separated by one separator
// character (the locale's, or "/", "-" or "." unless that is the time
// separator), used twice. A two-digit year
// falls into 1930..2029; a year of three or four digits is taken as written.
bool ParseDate(std::string_view s, double& days) {
  const LocaleSettings& loc = Locale();
  size_t p1 = std::string_view::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == loc.DateSeparator || ((c == '/' || c == '-' || c == '.') && c != loc.TimeSeparator)) {
      p1 = i;
      break;
    }
  }
  if (p1 == std::string_view::npos) return false;
  const char sep = s[p1];
  const size_t p2 = s.find(sep, p1 + 1);
  if (p2 == std::string_view::npos || s.find(sep, p2 + 1) != std::string_view::npos) return false;
  std::string_view fields[3] = {s.substr(0, p1), s.substr(p1 + 1, p2 - p1 - 1), s.substr(p2 + 1)};
  const std::string order = DateOrder();
  int day = 0, month = 0, year = 0;
  for (int k = 0; k < 3; ++k) {
    std::string_view f = fields[k];
    switch (order[static_cast<size_t>(k)]) {
      case 'd':
        if (!ReadDigits(f, 1, 2, day)) return false;
        break;
      case 'M':
        if (!ReadDigits(f, 1, 2, month)) {
          month = MonthFromName(f);
          if (month == 0) return false;
        }
        break;
      default:
        if (!ReadDigits(f, 1, 4, year)) return false;
        if (f.size() <= 2) year += year < 30 ? 2000 : 1900;
        break;
    }
  }
  if (!IsValidDate(year, month, day)) return false;
  days = EncodeDate(year, month, day);
  return true;
}

bool StripSuffixNoCase(std::string_view& s, std::string_view suffix) {
  if (suffix.empty() || s.size() < suffix.size()) return false;
  if (!EqualsNoCase(s.substr(s.size() - suffix.size()), suffix)) return false;
  s.remove_suffix(suffix.size());
  return true;
}

// A time of day "h:nn[:ss[.fff]]" with an optional AM/PM designator, or
// "h AM". Gives the milliseconds since midnight (86400000 at most, when
// rounding the fraction of a second reaches the next day).
bool ParseTime(std::string_view s, int64_t& msecs) {
  const LocaleSettings& loc = Locale();
  s = Trim(s);
  int half = 0;  // 1 AM, 2 PM
  if (StripSuffixNoCase(s, loc.TimePMString) || StripSuffixNoCase(s, "PM")) {
    half = 2;
  } else if (StripSuffixNoCase(s, loc.TimeAMString) || StripSuffixNoCase(s, "AM")) {
    half = 1;
  }
  if (half != 0) s = Trim(s);
  auto is_tsep = [&](char c) { return c == loc.TimeSeparator || c == ':'; };
  size_t i = 0;
  auto number = [&](size_t max_len, int& v) {
    size_t start = i;
    while (i < s.size() && IsDigit(s[i]) && i - start < max_len) ++i;
    return ReadDigits(s.substr(start, i - start), 1, max_len, v);
  };
  int hour = 0, minute = 0, second = 0;
  int64_t frac_ms = 0;
  if (!number(2, hour)) return false;
  if (i == s.size()) {
    if (half == 0) return false;  // a lone number is no time
  } else {
    if (!is_tsep(s[i])) return false;
    ++i;
    if (!number(2, minute)) return false;
    if (i < s.size()) {
      if (!is_tsep(s[i])) return false;
      ++i;
      if (!number(2, second)) return false;
      if (i < s.size()) {
        if (s[i] != '.' && s[i] != loc.DecimalSeparator) return false;
        ++i;
        size_t start = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        std::string_view frac = s.substr(start, i - start);
        if (frac.empty() || frac.size() > 9 || i != s.size()) return false;
        // Round to the millisecond, halves to even.
        int64_t ns = 0;
        for (size_t k = 0; k < 9; ++k) ns = ns * 10 + (k < frac.size() ? frac[k] - '0' : 0);
        frac_ms = ns / 1000000;
        int64_t rest = ns % 1000000;
        if (rest > 500000 || (rest == 500000 && (frac_ms & 1) != 0)) ++frac_ms;
      }
    }
  }
  if (half != 0) {
    if (hour > 12) return false;
    if (half == 2 && hour < 12) hour += 12;
    if (half == 1 && hour == 12) hour = 0;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  msecs = ((hour * 60LL + minute) * 60 + second) * 1000 + frac_ms;
  return true;
}

bool ComposeChecked(double date, int64_t msecs, double& out) {
  if (msecs >= static_cast<int64_t>(kMSecsPerDay)) {
    msecs -= static_cast<int64_t>(kMSecsPerDay);
    date += 1;
    if (date > kMaxDateTime) return false;
  }
  out = ComposeDateTime(date, static_cast<double>(msecs) / kMSecsPerDay);
  return true;
}

bool ParseIsoDateTime(std::string_view s, double& out) {
  if (s.size() < 8 || !IsDigit(s[0]) || !IsDigit(s[1]) || !IsDigit(s[2]) || !IsDigit(s[3]) || s[4] != '-')
    return false;
  int year = 0, month = 0, day = 0;
  ReadDigits(s.substr(0, 4), 4, 4, year);
  size_t i = 5;
  size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (!ReadDigits(s.substr(start, i - start), 1, 2, month) || i >= s.size() || s[i] != '-') return false;
  start = ++i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (!ReadDigits(s.substr(start, i - start), 1, 2, day)) return false;
  if (!IsValidDate(year, month, day)) return false;
  double date = EncodeDate(year, month, day);
  if (i == s.size()) {
    out = date;
    return true;
  }
  if (s[i] != ' ' && s[i] != 'T') return false;
  std::string_view time = s.substr(i + 1);
  // ISO times are 24-hour with ":" only.
  for (char c : time)
    if (!IsDigit(c) && c != ':' && c != '.') return false;
  int64_t ms = 0;
  if (time.empty() || IsBlankChar(time.front()) || !ParseTime(time, ms)) return false;
  return ComposeChecked(date, ms, out);
}

void AppendPadded(std::string& out, int v, int width) {
  char buf[16];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  for (int k = static_cast<int>(end - buf); k < width; ++k) out.push_back('0');
  out.append(buf, end);
}

void AppendDate(const DateParts& p, std::string& out) {
  const LocaleSettings& loc = Locale();
  const std::string& f = loc.ShortDateFormat;
  for (size_t i = 0; i < f.size();) {
    const char c = f[i];
    size_t run = 1;
    while (i + run < f.size() && f[i + run] == c) ++run;
    switch (c) {
      case 'd':
      case 'D':
        AppendPadded(out, p.day, run >= 2 ? 2 : 1);
        break;
      case 'M':
      case 'm':
        if (run >= 4)
          out += loc.LongMonthNames[static_cast<size_t>(p.month - 1)];
        else if (run == 3)
          out += loc.ShortMonthNames[static_cast<size_t>(p.month - 1)];
        else
          AppendPadded(out, p.month, static_cast<int>(run));
        break;
      case 'y':
      case 'Y':
        // Always the whole year: a two-digit year would not read back.
        AppendPadded(out, p.year, 4);
        break;
      case '/':
        out.append(run, loc.DateSeparator);
        break;
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
}

void AppendDateTime(double dt, std::string& out) {
  DateParts p;
  if (!DecodeDateTime(dt, p)) CastError();
  const LocaleSettings& loc = Locale();
  const bool is_day0 = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool is_midnight = p.hour == 0 && p.minute == 0 && p.second == 0 && p.msec == 0;
  const bool show_date = !is_day0 || is_midnight;
  if (show_date) AppendDate(p, out);
  if (!is_midnight) {
    if (show_date) out.push_back(' ');
    AppendPadded(out, p.hour, 1);
    out.push_back(loc.TimeSeparator);
    AppendPadded(out, p.minute, 2);
    out.push_back(loc.TimeSeparator);
    AppendPadded(out, p.second, 2);
    if (p.msec != 0) {
      out.push_back('.');
      AppendPadded(out, p.msec, 3);
    }
  }
}

void AppendReal(double v, std::string& out) {
  if (!std::isfinite(v)) CastError();  // no text form that reads back
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  const char dec = Locale().DecimalSeparator;
  for (char* p = buf; p != end; ++p)
    if (*p == '.') *p = dec;
  out.append(buf, end);
}

void AppendCurrency(Currency c, std::string& out) {
  const bool neg = c.raw < 0;
  const uint64_t mag = neg ? 0 - static_cast<uint64_t>(c.raw) : static_cast<uint64_t>(c.raw);
  const uint64_t whole = mag / Currency::kScale;
  uint64_t frac = mag % Currency::kScale;
  if (neg) out.push_back('-');
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, whole);
  (void)ec;
  out.append(buf, end);
  if (frac != 0) {
    out.push_back(Locale().DecimalSeparator);
    char digits[4];
    for (int k = 3; k >= 0; --k) {
      digits[k] = static_cast<char>('0' + frac % 10);
      frac /= 10;
    }
    int len = 4;
    while (digits[len - 1] == '0') --len;
    out.append(digits, static_cast<size_t>(len));
  }
}

void AppendInteger(int32_t v, std::string& out) {
  char buf[16];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  out.append(buf, end);
}

double CurrencyToReal(Currency c) { return static_cast<double>(c.raw) / static_cast<double>(Currency::kScale); }

int32_t RealToInteger(double v) {
  if (!std::isfinite(v)) InvalidOp();
  double r = RoundHalfEven(v);
  if (r < -2147483648.0 || r > 2147483647.0) InvalidOp();
  return static_cast<int32_t>(r);
}

Currency RealToCurrency(double v) {
  if (!std::isfinite(v)) InvalidOp();
  // Through the shortest decimal text, so that 0.1 becomes exactly 0.1000.
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  DecimalText d;
  NumberSyntax plain;
  Currency c;
  if (!ScanNumber(std::string_view(buf, static_cast<size_t>(end - buf)), plain, d) ||
      !DecimalToScaled(d, 4, static_cast<unsigned __int128>(INT64_MAX),
                       static_cast<unsigned __int128>(INT64_MAX) + 1, c.raw))
    InvalidOp();
  return c;
}

std::string TextOf(const Variant& v) {
  return v.IsText() ? v.AsText() : WideToAnsi(v.AsWideText());
}

}  // namespace

// ---- value to text -------------------------------------------------------

std::string FormatInteger(int32_t v) {
  std::string s;
  AppendInteger(v, s);
  return s;
}

std::string FormatReal(double v) {
  std::string s;
  AppendReal(v, s);
  return s;
}

std::string FormatCurrency(Currency v) {
  std::string s;
  AppendCurrency(v, s);
  return s;
}

std::string FormatDateTime(double dt) {
  std::string s;
  AppendDateTime(dt, s);
  return s;
}

std::string FormatDate(double dt) {
  DateParts p;
  if (!DecodeDateTime(dt, p)) CastError();
  std::string s;
  AppendDate(p, s);
  return s;
}

void AppendVarText(const Variant& v, std::string& out) {
  switch (v.Kind()) {
    case VarKind::Empty:
    case VarKind::Null: return;
    case VarKind::Integer: AppendInteger(v.AsInteger(), out); return;
    case VarKind::Real: AppendReal(v.AsReal(), out); return;
    case VarKind::Currency: AppendCurrency(v.AsCurrency(), out); return;
    case VarKind::Date: AppendDateTime(v.AsDate(), out); return;
    case VarKind::Text: out += v.AsText(); return;
    case VarKind::WideText: out += WideToAnsi(v.AsWideText()); return;
    case VarKind::Boolean: out += v.AsBoolean() ? "True" : "False"; return;
    case VarKind::Bytes: break;
  }
  CastError();
}

std::string VarToText(const Variant& v) {
  if (v.IsText()) return v.AsText();
  std::string s;
  AppendVarText(v, s);
  return s;
}

// ---- text to value ----------------------------------------------------------

// Scratch for the readers: its strings keep their capacity, so reading a
// number allocates nothing once warmed up.
DecimalText& Scratch() {
  static thread_local DecimalText scratch;
  return scratch;
}

bool TryTextToInteger(std::string_view s, int32_t& out) {
  DecimalText& d = Scratch();
  int64_t v = 0;
  if (!ScanNumber(s, LocaleSyntax(), d) || !DecimalToScaled(d, 0, 2147483647u, 2147483648u, v)) return false;
  out = static_cast<int32_t>(v);
  return true;
}

bool TryTextToReal(std::string_view s, double& out) {
  DecimalText& d = Scratch();
  return ScanNumber(s, LocaleSyntax(), d) && DecimalToDouble(d, out);
}

bool TryTextToCurrency(std::string_view s, Currency& out) {
  DecimalText& d = Scratch();
  int64_t raw = 0;
  if (!ScanNumber(s, LocaleSyntax(), d) ||
      !DecimalToScaled(d, 4, static_cast<unsigned __int128>(INT64_MAX), static_cast<unsigned __int128>(INT64_MAX) + 1,
                       raw))
    return false;
  out.raw = raw;
  return true;
}

bool TryTextToBoolean(std::string_view s, bool& out) {
  std::string_view t = Trim(s);
  static constexpr const char* kTrue[] = {"True", "Yes", "On"};
  static constexpr const char* kFalse[] = {"False", "No", "Off"};
  for (const char* w : kTrue)
    if (EqualsNoCase(t, w)) return out = true, true;
  for (const char* w : kFalse)
    if (EqualsNoCase(t, w)) return out = false, true;
  double v = 0;
  if (!TryTextToReal(t, v)) return false;
  out = v != 0;
  return true;
}

bool TryTextToDateTime(std::string_view s, double& out) {
  s = Trim(s);
  if (s.empty()) return false;
  if (ParseIsoDateTime(s, out)) return true;
  // A bare time first: where the time separator is also a date separator
  // ("." in some locales), "1.05.01" is the time we write, while a date we
  // write always ends in a four-digit year, which no time has.
  int64_t ms = 0;
  if (ParseTime(s, ms)) return ComposeChecked(0, ms, out);
  double date = 0;
  if (ParseDate(s, date)) {
    out = date;
    return true;
  }
  // A date, blanks, a time of day. The date may hold blanks itself when the
  // locale separates its fields by blanks, so try every split within the
  // longest date there is (two month names are never that long), which also
  // keeps long texts from costing quadratic time.
  constexpr size_t kLongestDate = 64;
  for (size_t i = 0; i < s.size() && i <= kLongestDate; ++i) {
    if (!IsBlankChar(s[i])) continue;
    if (ParseDate(s.substr(0, i), date) && ParseTime(s.substr(i + 1), ms)) return ComposeChecked(date, ms, out);
  }
  return false;
}

bool TryTextToDate(std::string_view s, double& out) {
  s = Trim(s);
  double date = 0;
  if (s.find_first_of(" T") == std::string_view::npos && ParseIsoDateTime(s, date)) {
    out = date;
    return true;
  }
  if (!ParseDate(s, date)) return false;
  out = date;
  return true;
}

// ---- kind conversions -----------------------------------------------------

double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  const double f = std::floor(v);
  const double diff = v - f;
  if (diff > 0.5) return f + 1;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

int32_t VarToInteger(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty: return 0;
    case VarKind::Integer: return v.AsInteger();
    case VarKind::Real: return RealToInteger(v.AsReal());
    case VarKind::Date: return RealToInteger(v.AsDate());
    case VarKind::Currency: {
      DecimalText d;
      const int64_t raw = v.AsCurrency().raw;
      d.neg = raw < 0;
      uint64_t mag = d.neg ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
      d.exp10 = -4;
      while (mag != 0 && mag % 10 == 0) {
        mag /= 10;
        ++d.exp10;
      }
      if (mag != 0) d.digits = std::to_string(mag);
      int64_t r = 0;
      if (!DecimalToScaled(d, 0, 2147483647u, 2147483648u, r)) InvalidOp();
      return static_cast<int32_t>(r);
    }
    case VarKind::Boolean: return v.AsBoolean() ? -1 : 0;
    case VarKind::Text:
    case VarKind::WideText: {
      int32_t r = 0;
      if (!TryTextToInteger(TextOf(v), r)) CastError();
      return r;
    }
    case VarKind::Null:
    case VarKind::Bytes: break;
  }
  CastError();
}

double VarToReal(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty: return 0;
    case VarKind::Integer: return v.AsInteger();
    case VarKind::Real: return v.AsReal();
    case VarKind::Date: return v.AsDate();
    case VarKind::Currency: return CurrencyToReal(v.AsCurrency());
    case VarKind::Boolean: return v.AsBoolean() ? -1 : 0;
    case VarKind::Text:
    case VarKind::WideText: {
      double r = 0;
      if (!TryTextToReal(TextOf(v), r)) CastError();
      return r;
    }
    case VarKind::Null:
    case VarKind::Bytes: break;
  }
  CastError();
}

Currency VarToCurrency(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty: return Currency{};
    case VarKind::Integer: return Currency{static_cast<int64_t>(v.AsInteger()) * Currency::kScale};
    case VarKind::Real: return RealToCurrency(v.AsReal());
    case VarKind::Date: return RealToCurrency(v.AsDate());
    case VarKind::Currency: return v.AsCurrency();
    case VarKind::Boolean: return Currency{v.AsBoolean() ? -Currency::kScale : 0};
    case VarKind::Text:
    case VarKind::WideText: {
      Currency r;
      if (!TryTextToCurrency(TextOf(v), r)) CastError();
      return r;
    }
    case VarKind::Null:
    case VarKind::Bytes: break;
  }
  CastError();
}

double VarToDateTime(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty: return 0;
    case VarKind::Integer: return v.AsInteger();
    case VarKind::Real:
      if (!std::isfinite(v.AsReal())) CastError();
      return v.AsReal();
    case VarKind::Date: return v.AsDate();
    case VarKind::Currency: return CurrencyToReal(v.AsCurrency());
    case VarKind::Boolean: return v.AsBoolean() ? -1 : 0;
    case VarKind::Text:
    case VarKind::WideText: {
      double r = 0;
      if (!TryTextToDateTime(TextOf(v), r)) CastError();
      return r;
    }
    case VarKind::Null:
    case VarKind::Bytes: break;
  }
  CastError();
}

bool VarToBoolean(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty: return false;
    case VarKind::Integer: return v.AsInteger() != 0;
    case VarKind::Real: return v.AsReal() != 0;
    case VarKind::Date: return v.AsDate() != 0;
    case VarKind::Currency: return v.AsCurrency().raw != 0;
    case VarKind::Boolean: return v.AsBoolean();
    case VarKind::Text:
    case VarKind::WideText: {
      bool r = false;
      if (!TryTextToBoolean(TextOf(v), r)) CastError();
      return r;
    }
    case VarKind::Null:
    case VarKind::Bytes: break;
  }
  CastError();
}

Variant VarChangeType(const Variant& v, VarKind kind) {
  if (v.Kind() == kind) return v;
  if (v.IsNull()) CastError();
  switch (kind) {
    case VarKind::Empty: return Variant();
    case VarKind::Null: return Variant::Null();
    case VarKind::Integer: return Variant(VarToInteger(v));
    case VarKind::Real: return Variant(VarToReal(v));
    case VarKind::Currency: return Variant(VarToCurrency(v));
    case VarKind::Date: return Variant::FromDate(VarToDateTime(v));
    case VarKind::Text: return Variant(VarToText(v));
    case VarKind::WideText: return Variant(AnsiToWide(VarToText(v)));
    case VarKind::Boolean: return Variant(VarToBoolean(v));
    case VarKind::Bytes: break;
  }
  CastError();
}

}  // namespace qx
