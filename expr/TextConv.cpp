#include "expr/TextConv.h"

#include <locale.h>
#include <wctype.h>

#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string UpperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

[[noreturn]] void NotAnInteger(std::string_view s) {
  throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

constexpr const char* kEnglishMonths[12][2] = {
    {"JAN", "JANUARY"}, {"FEB", "FEBRUARY"}, {"MAR", "MARCH"},     {"APR", "APRIL"},
    {"MAY", "MAY"},     {"JUN", "JUNE"},     {"JUL", "JULY"},      {"AUG", "AUGUST"},
    {"SEP", "SEPTEMBER"}, {"OCT", "OCTOBER"}, {"NOV", "NOVEMBER"}, {"DEC", "DECEMBER"}};

int MonthOfText(const std::string& text) {
  if (text.size() <= 2) return StrToIntText(text);
  const std::string up = UpperAscii(text);
  const LocaleSettings& loc = Locale();
  for (size_t m = 0; m < 12; ++m) {
    if (up == kEnglishMonths[m][0] || up == kEnglishMonths[m][1] || up == UpperAscii(loc.ShortMonthNames[m]) ||
        up == UpperAscii(loc.LongMonthNames[m]))
      return static_cast<int>(m) + 1;
  }
  return 0;
}

int CurrentYear() {
  DateParts p;
  return DecodeDateTime(Now(), p) ? p.year : 2000;
}

}  // namespace

// ---- integers ---------------------------------------------------------------

bool TryStrToIntText(std::string_view s, int32_t& out) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  if (i < n && s[i] == '$') {
    ++i;
    if (i == n) return false;
    uint64_t v = 0;
    for (; i < n; ++i) {
      const char c = s[i];
      int d;
      if (IsDigit(c)) d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return false;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return false;
    }
    // Hexadecimal text gives the 32-bit pattern: "$FFFFFFFF" is -1.
    out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i == n) return false;
  int64_t v = 0;
  for (; i < n; ++i) {
    if (!IsDigit(s[i])) return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (neg) v = -v;
  if (v > 2147483647LL) return false;
  out = static_cast<int32_t>(v);
  return true;
}

int32_t StrToIntText(std::string_view s) {
  int32_t v = 0;
  if (!TryStrToIntText(s, v)) NotAnInteger(s);
  return v;
}

// ---- positional date-time reading -------------------------------------------

double DateTimeFromText(std::string_view text, std::string_view format, char ds, char ts, int current_year) {
  const LocaleSettings& loc = Locale();
  std::string s(text);
  std::string f = UpperAscii(format);

  // A text without a date separator is read with the time part of the
  // format alone (what follows its first blank).
  if (s.find(ds) == std::string::npos) {
    const size_t blank = f.find(' ');
    if (blank != std::string::npos && blank > 0) f.erase(0, blank + 1);
  }

  const std::string upper_s = UpperAscii(s);
  const bool pm = loc.TimePMString.empty() ? (Contains(s, "PM") || Contains(s, "pm"))
                                           : Contains(upper_s, UpperAscii(loc.TimePMString));
  const bool am = loc.TimeAMString.empty() ? Contains(upper_s, "AM") : Contains(upper_s, UpperAscii(loc.TimeAMString));

  auto is_sep = [&](char c) { return c == ' ' || c == '.' || c == '/' || c == ':' || c == ds || c == ts; };

  // Align the format to the text: where the text has a separator and the
  // format has a letter, drop the letter ("DD/MM" read against "1/2").
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i)
    if (is_sep(s[i]) && i < f.size() && !is_sep(f[i])) f.erase(i, 1);
  // Align the text to the format: where the format has a separator and the
  // text has none, drop the text's character.
  const size_t m = f.size();
  for (size_t i = 0; i < m; ++i)
    if (is_sep(f[i]) && i < s.size() && !is_sep(s[i])) s.erase(i, 1);

  std::string day, month, year, hour, minute, second, msec;
  const size_t len = s.size() < f.size() ? s.size() : f.size();
  for (size_t i = 0; i < len; ++i) {
    if (is_sep(s[i])) continue;
    switch (f[i]) {
      case 'D': day.push_back(s[i]); break;
      case 'M': month.push_back(s[i]); break;
      case 'Y': year.push_back(s[i]); break;
      case 'H': hour.push_back(s[i]); break;
      case 'N': minute.push_back(s[i]); break;
      case 'S': second.push_back(s[i]); break;
      case 'Z': msec.push_back(s[i]); break;
      default: break;
    }
  }

  double date = 0;
  if (!day.empty() && !month.empty() && !year.empty()) {
    const int d = StrToIntText(day);
    int y = StrToIntText(year);
    const int mo = MonthOfText(month);
    if (d >= 1 && d <= 31 && mo >= 1 && mo <= 12) {
      if (y < 100) {
        const int pivot = (current_year != 0 ? current_year : CurrentYear()) - 50;
        y += pivot / 100 * 100;
        if (y < pivot) y += 100;
      }
      date = EncodeDate(y, mo, d);
    }
  }
  double time = 0;
  bool has_time = false;
  if (!hour.empty() && !minute.empty()) {
    int h = StrToIntText(hour);
    const int mi = StrToIntText(minute);
    const int se = second.empty() ? 0 : StrToIntText(second);
    const int ms = msec.empty() || msec == "Z" ? 0 : StrToIntText(msec);
    if (pm && h < 12)
      h += 12;
    else if (am && h == 12)
      h = 0;
    if (h >= 0 && h <= 24 && mi >= 0 && mi <= 59 && se >= 0 && se <= 59 && ms >= 0 && ms <= 999) {
      time = EncodeTime(h, mi, se, ms);
      has_time = true;
    }
  }
  // Combined by the date-time rule, so that a time of day before 1899-12-30
  // stays on its own day.
  return has_time ? ComposeDateTime(date, time) : date;
}

// ---- number texts -----------------------------------------------------------

std::string CleanNumberText(std::string_view t) {
  const LocaleSettings& loc = Locale();
  std::string r;
  r.reserve(t.size());
  for (char c : t)
    if (c != ',' && c != loc.ThousandSeparator) r.push_back(c);
  const std::string& cur = loc.CurrencyString;
  size_t p;
  if (!cur.empty() && (p = r.find(cur)) != std::string::npos)
    r.erase(p, cur.size());
  else if ((p = r.find('$')) != std::string::npos)
    r.erase(p, 1);
  return r;
}

bool IsNumberText(std::string_view text) {
  const char dec = Locale().DecimalSeparator;
  size_t dec_pos = dec != '.' ? text.find(dec) : std::string_view::npos;
  auto at = [&](size_t i) { return i == dec_pos ? '.' : text[i]; };
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && at(i) == ' ') ++i;
  if (i < n && (at(i) == '+' || at(i) == '-')) ++i;
  size_t mantissa = 0;
  bool point = false;
  for (; i < n; ++i, ++mantissa) {
    const char c = at(i);
    if (c == '.' && !point) {
      point = true;
    } else if (!IsDigit(c)) {
      break;
    }
  }
  if (mantissa == 0) return false;
  if (i < n && (at(i) == 'E' || at(i) == 'e')) {
    ++i;
    if (i < n && (at(i) == '+' || at(i) == '-')) ++i;
    size_t digits = 0;
    while (i < n && IsDigit(at(i))) ++i, ++digits;
    if (digits == 0) return false;
  }
  return i == n;
}

bool LooksLikeDateTime(std::string_view t) {
  const LocaleSettings& loc = Locale();
  if (t.find(loc.DateSeparator) == std::string_view::npos && t.find(loc.TimeSeparator) == std::string_view::npos)
    return false;
  double v = 0;
  return TryTextToDateTime(t, v);
}

// ---- character tests --------------------------------------------------------

bool IsDigitText(std::string_view t) {
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= 32) t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32) t.remove_suffix(1);
  const char dec = Locale().DecimalSeparator;
  bool seen_dec = false;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (IsDigit(c)) continue;
    if ((c == '+' || c == '-') && i == 0) continue;
    if (c == dec && !seen_dec) {
      seen_dec = true;
      continue;
    }
    return false;
  }
  return true;
}

namespace {

// The Unicode character classes, whatever the process's own locale is;
// 0 when the C library has no Unicode locale.
locale_t UnicodeLocale() {
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return unicode;
}

}  // namespace

bool IsAnsiLetter(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c < 0x80) return false;
  const wint_t w = AnsiCharToWide(c);
  if (const locale_t unicode = UnicodeLocale(); unicode != static_cast<locale_t>(0))
    return iswalpha_l(w, unicode) != 0;
  // Without a Unicode locale: the Latin-1 letters and the alphabets of the
  // other single-byte code pages (Latin extended, Greek, Cyrillic, Hebrew,
  // Arabic, Thai ranges).
  if (w < 0x100) return w == 0xAA || w == 0xB5 || w == 0xBA || (w >= 0xC0 && w != 0xD7 && w != 0xF7);
  return (w >= 0x100 && w <= 0x24F) || (w >= 0x370 && w <= 0x52F) || (w >= 0x5D0 && w <= 0x5EA) ||
         (w >= 0x620 && w <= 0x64A) || (w >= 0xE01 && w <= 0xE30);
}

bool IsLetterText(std::string_view t) {
  if (t.empty()) return false;
  for (char c : t)
    if (!IsAnsiLetter(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string AnsiUpperText(std::string_view s) {
  std::string r(s);
  const locale_t unicode = UnicodeLocale();
  for (char& c : r) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') {
      c = static_cast<char>(u - 'a' + 'A');
    } else if (u >= 0x80 && unicode != static_cast<locale_t>(0)) {
      const wint_t w = AnsiCharToWide(u);
      const wint_t up = towupper_l(w, unicode);
      if (up != w && up <= 0xFFFF) {
        const char b = WideCharToAnsi(static_cast<char16_t>(up));
        if (AnsiCharToWide(static_cast<unsigned char>(b)) == static_cast<char16_t>(up)) c = b;
      }
    }
  }
  return r;
}

}  // namespace qx
