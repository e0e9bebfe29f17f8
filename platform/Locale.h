#pragma once
// The user's locale settings, read once at start (LoadLocaleSettings) and
// used by every locale-aware conversion. Defaults are those of a process
// without a locale ("C"/"POSIX").
#include <array>
#include <string>

namespace qx {

struct LocaleSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  std::string CurrencyString;          // empty by default
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string TimeAMString = "am";     // empty in 24-hour locales
  std::string TimePMString = "pm";
  std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                             "July",    "August",   "September", "October", "November", "December"};
  // Order of day, month and year as format letters, e.g. "M/d/yyyy".
  std::string ShortDateFormat = "M/d/yyyy";
};

// The process-wide settings. Tests may change them and must restore them.
LocaleSettings& Locale();
// Reads the settings from the process's POSIX locale (LC_ALL, LC_NUMERIC,
// LC_TIME as the C library reports them). Settings the locale does not
// supply keep their defaults. With no locale ("C"/"POSIX") the defaults hold.
void LoadLocaleSettings();

// RAII guard for tests: restores the settings it saw when destroyed.
class LocaleScope {
 public:
  LocaleScope() : saved_(Locale()) {}
  ~LocaleScope() { Locale() = saved_; }
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;

 private:
  LocaleSettings saved_;
};

}  // namespace qx
