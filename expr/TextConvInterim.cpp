// Interim versions of the number-text steps and the date-time test, in
// place until the text conversion module provides them.
#include <string>

#include "expr/TextConv.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {

std::string CleanNumberText(std::string_view t) {
  const LocaleSettings& loc = Locale();
  std::string s;
  s.reserve(t.size());
  for (char c : t)
    if (c != ',' && c != loc.ThousandSeparator) s.push_back(c);
  if (!loc.CurrencyString.empty() && s.find(loc.CurrencyString) != std::string::npos) {
    s.erase(s.find(loc.CurrencyString), loc.CurrencyString.size());
  } else if (const size_t p = s.find('$'); p != std::string::npos) {
    s.erase(p, 1);
  }
  return s;
}

bool IsNumberText(std::string_view text) {
  std::string t(text);
  const char dec = Locale().DecimalSeparator;
  if (dec != '.')
    if (const size_t p = t.find(dec); p != std::string::npos) t[p] = '.';
  size_t i = 0;
  const size_t n = t.size();
  while (i < n && t[i] == ' ') ++i;
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  bool point = false;
  while (i < n && ((t[i] >= '0' && t[i] <= '9') || (t[i] == '.' && !point))) {
    if (t[i] == '.') point = true; else ++digits;
    ++i;
  }
  if (digits == 0 && !point) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    size_t exp = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9') { ++i; ++exp; }
    if (exp == 0) return false;
  }
  return i == n;
}

bool LooksLikeDateTime(std::string_view t) {
  const LocaleSettings& loc = Locale();
  if (t.find(loc.DateSeparator) == std::string_view::npos && t.find(loc.TimeSeparator) == std::string_view::npos)
    return false;
  double d = 0;
  return TryTextToDateTime(t, d);
}

}  // namespace qx
