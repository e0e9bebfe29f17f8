#include "platform/Locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string_view>

#include "platform/CodePage.h"

namespace qx {

LocaleSettings& Locale() {
  static LocaleSettings settings;
  return settings;
}

namespace {

// Owns a locale_t.
class LocaleHandle {
 public:
  explicit LocaleHandle(locale_t loc) : loc_(loc) {}
  ~LocaleHandle() {
    if (loc_ != static_cast<locale_t>(0)) freelocale(loc_);
  }
  LocaleHandle(const LocaleHandle&) = delete;
  LocaleHandle& operator=(const LocaleHandle&) = delete;
  locale_t get() const { return loc_; }
  explicit operator bool() const { return loc_ != static_cast<locale_t>(0); }

 private:
  locale_t loc_;
};

// Strings of the locale, turned into the ANSI code page. Items that are the
// same as in the "C" locale count as not supplied by the locale, so a
// process without a locale keeps the documented defaults.
class LocaleReader {
 public:
  LocaleReader(locale_t loc, locale_t c_loc) : loc_(loc), c_loc_(c_loc) {
    const char* codeset = nl_langinfo_l(CODESET, loc);
    utf8_ = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  }

  // False when the locale gives the same text as "C" (or none).
  bool Get(nl_item item, std::string& out) const {
    const char* v = nl_langinfo_l(item, loc_);
    const char* c = nl_langinfo_l(item, c_loc_);
    if (v == nullptr) return false;
    if (c != nullptr && std::strcmp(v, c) == 0) return false;
    out = ToAnsi(v);
    return true;
  }

  std::string Raw(nl_item item) const {
    const char* v = nl_langinfo_l(item, loc_);
    return v == nullptr ? std::string() : std::string(v);
  }

  std::string ToAnsi(std::string_view s) const {
    if (!utf8_) return std::string(s);
    // Narrow no-break spaces (thousands separators of some locales) have no
    // ANSI byte; the no-break space is the nearest one.
    std::string fixed;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s.substr(i, 3) == "\xE2\x80\xAF") {
        fixed += "\xC2\xA0";
        i += 2;
      } else {
        fixed.push_back(s[i]);
      }
    }
    return Utf8ToAnsi(fixed);
  }

  bool utf8() const { return utf8_; }

 private:
  locale_t loc_;
  locale_t c_loc_;
  bool utf8_ = false;
};

// One character of a separator, or 0 when the text is not one ANSI character.
char SingleChar(const std::string& s) {
  if (s.size() != 1 || s[0] == '?') return 0;
  return s[0];
}

// Turns a strftime date format ("%d.%m.%Y") into the short date format
// letters ("dd/MM/yyyy", "/" standing for the date separator) and the
// separator. False when the format is not three numeric fields.
bool ConvertDateFormat(const std::string& fmt, std::string& format, char& separator) {
  std::string expanded;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size()) {
      char k = fmt[i + 1];
      // Skip the glibc flags and modifiers ("%-d", "%Ey", "%Od").
      size_t j = i + 1;
      while (j < fmt.size() && (fmt[j] == '-' || fmt[j] == '_' || fmt[j] == '0' || fmt[j] == '^' || fmt[j] == '#' ||
                                fmt[j] == 'E' || fmt[j] == 'O'))
        ++j;
      if (j >= fmt.size()) return false;
      k = fmt[j];
      if (k == 'D') {
        expanded += "%m/%d/%y";
      } else if (k == 'F') {
        expanded += "%Y-%m-%d";
      } else {
        expanded.push_back('%');
        expanded.push_back(k);
      }
      i = j;
    } else {
      expanded.push_back(fmt[i]);
    }
  }
  std::string letters;
  char sep = 0;
  int fields = 0;
  bool seen_d = false, seen_m = false, seen_y = false;
  for (size_t i = 0; i < expanded.size(); ++i) {
    if (expanded[i] == '%' && i + 1 < expanded.size()) {
      const char k = expanded[++i];
      if (fields > 0 && letters.back() != '/') letters.push_back('/');  // fields without a separator
      switch (k) {
        case 'd': letters += "dd"; seen_d = true; break;
        case 'e': letters += "d"; seen_d = true; break;
        case 'm': letters += "MM"; seen_m = true; break;
        case 'b':
        case 'h': letters += "MMM"; seen_m = true; break;
        case 'B': letters += "MMMM"; seen_m = true; break;
        case 'Y':
        case 'y':
        case 'C':
        case 'G': letters += "yyyy"; seen_y = true; break;
        default: return false;  // weekday names and the like
      }
      ++fields;
    } else if (fields > 0 && fields < 3) {
      // The separator: the first character after the first field.
      const unsigned char c = static_cast<unsigned char>(expanded[i]);
      if (sep == 0 && c < 0x80 && c > ' ' && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        sep = static_cast<char>(c);
      if (letters.back() != '/') letters.push_back('/');
    }
  }
  if (fields != 3 || !seen_d || !seen_m || !seen_y) return false;
  while (!letters.empty() && letters.back() == '/') letters.pop_back();
  format = letters;
  separator = sep != 0 ? sep : '/';
  return true;
}

// The character between the hour and the minute of a strftime time format.
char TimeSeparatorOf(const std::string& fmt) {
  for (const char* h : {"%H", "%I", "%k", "%l"}) {
    size_t p = fmt.find(h);
    if (p != std::string::npos && p + 2 < fmt.size() && fmt[p + 2] != '%') {
      const char c = fmt[p + 2];
      if (static_cast<unsigned char>(c) < 0x80 && c > ' ') return c;
    }
  }
  return 0;
}

// Whether every name is spelt (no "?" of a character the code page lacks)
// and no two are the same, ignoring ASCII letter case (as the date reader
// compares them).
bool Usable(const std::array<std::string, 12>& names) {
  for (const std::string& n : names)
    if (n.find('?') != std::string::npos) return false;
  auto fold = [](std::string t) {
    for (char& c : t)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return t;
  };
  for (size_t i = 0; i < names.size(); ++i)
    for (size_t j = i + 1; j < names.size(); ++j)
      if (fold(names[i]) == fold(names[j])) return false;
  return true;
}

}  // namespace

void LoadLocaleSettings() {
  LocaleSettings s;
  // The user's locale as the environment names it (LC_ALL, LC_NUMERIC,
  // LC_TIME, LANG), read without changing the process's C locale, which the
  // rest of the program relies on for its own number formatting.
  LocaleHandle c_loc(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0)));
  LocaleHandle loc(newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0)));
  if (!c_loc || !loc) {
    Locale() = s;
    return;
  }
  LocaleReader r(loc.get(), c_loc.get());
  std::string v;

  if (r.Get(RADIXCHAR, v) && SingleChar(v) != 0) s.DecimalSeparator = SingleChar(v);
  if (r.Get(THOUSEP, v) && SingleChar(v) != 0) s.ThousandSeparator = SingleChar(v);
  if (s.ThousandSeparator == s.DecimalSeparator) s.ThousandSeparator = s.DecimalSeparator == ',' ? '.' : ',';

  // CRNCYSTR: "-" (before), "+" (after) or "." (in place of the decimal
  // separator), then the symbol.
  if (r.Get(CRNCYSTR, v) && v.size() > 1) s.CurrencyString = v.substr(1);

  std::string format;
  char date_sep = 0;
  if (r.Get(D_FMT, v) && ConvertDateFormat(r.Raw(D_FMT), format, date_sep)) {
    s.ShortDateFormat = format;
    s.DateSeparator = date_sep;
  }
  if (r.Get(T_FMT, v)) {
    const char t = TimeSeparatorOf(r.Raw(T_FMT));
    if (t != 0) s.TimeSeparator = t;
  }
  // A 24-hour locale has empty designators; that counts as supplied.
  if (r.Get(AM_STR, v)) s.TimeAMString = v;
  if (r.Get(PM_STR, v)) s.TimePMString = v;

  for (int m = 0; m < 12; ++m) {
    if (r.Get(static_cast<nl_item>(ABMON_1 + m), v) && !v.empty()) s.ShortMonthNames[static_cast<size_t>(m)] = v;
    if (r.Get(static_cast<nl_item>(MON_1 + m), v) && !v.empty()) s.LongMonthNames[static_cast<size_t>(m)] = v;
  }
  // Names the ANSI code page cannot spell come out as "???": a date written
  // with them would not read back to its month, so such a set of names is
  // not used.
  const LocaleSettings defaults;
  if (!Usable(s.ShortMonthNames)) s.ShortMonthNames = defaults.ShortMonthNames;
  if (!Usable(s.LongMonthNames)) s.LongMonthNames = defaults.LongMonthNames;
  Locale() = s;
}

}  // namespace qx
