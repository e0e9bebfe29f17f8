#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/DateUtils.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

// glibc's newlocale keeps the search path built from LOCPATH (once per
// call with LOCPATH set); that is the C library's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:__argz_add_sep\n"; }

namespace qx {
namespace {

// Sets an environment variable for the life of the object.
class EnvScope {
 public:
  EnvScope(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    ::setenv(name, value.c_str(), 1);
  }
  ~EnvScope() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }
  EnvScope(const EnvScope&) = delete;
  EnvScope& operator=(const EnvScope&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(LocaleSettingsTest, CAndPosixKeepTheDefaults) {
  LocaleScope scope;
  for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
    Locale().DecimalSeparator = '#';
    EnvScope env("LC_ALL", name);
    LoadLocaleSettings();
    const LocaleSettings& s = Locale();
    const LocaleSettings d;
    EXPECT_EQ(s.DecimalSeparator, '.') << name;
    EXPECT_EQ(s.ThousandSeparator, ',');
    EXPECT_EQ(s.CurrencyString, "");
    EXPECT_EQ(s.DateSeparator, '/');
    EXPECT_EQ(s.TimeSeparator, ':');
    EXPECT_EQ(s.TimeAMString, "am");
    EXPECT_EQ(s.TimePMString, "pm");
    EXPECT_EQ(s.ShortDateFormat, "M/d/yyyy");
    EXPECT_EQ(s.ShortMonthNames, d.ShortMonthNames);
    EXPECT_EQ(s.LongMonthNames, d.LongMonthNames);
  }
}

// Compiles a locale from the system's locale sources into a private folder,
// so the test needs no installed locales. Skips when that is impossible.
std::string CompileLocale(const std::string& name, const std::string& source) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qx_locale_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path out = dir / (name + ".UTF-8");
  if (!std::filesystem::exists(out)) {
    const std::string cmd = "localedef -i " + source + " -f UTF-8 '" + out.string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(out)) return "";
  }
  return dir.string();
}

TEST(LocaleSettingsTest, GermanLocale) {
  const std::string dir = CompileLocale("de_DE", "de_DE");
  if (dir.empty()) GTEST_SKIP() << "localedef or the de_DE locale source is not available";
  LocaleScope scope;
  {
    EnvScope path("LOCPATH", dir);
    EnvScope env("LC_ALL", "de_DE.UTF-8");
    LoadLocaleSettings();
  }
  const LocaleSettings& s = Locale();
  EXPECT_EQ(s.DecimalSeparator, ',');
  EXPECT_EQ(s.ThousandSeparator, '.');
  EXPECT_EQ(s.CurrencyString, "\x80");  // the euro sign in code page 1252
  EXPECT_EQ(s.DateSeparator, '.');
  EXPECT_EQ(s.ShortDateFormat, "dd/MM/yyyy");
  EXPECT_EQ(s.TimeSeparator, ':');
  EXPECT_EQ(s.TimeAMString, "");
  EXPECT_EQ(s.TimePMString, "");
  EXPECT_EQ(s.ShortMonthNames[2], "M\xE4r");
  EXPECT_EQ(s.LongMonthNames[2], "M\xE4rz");

  const double dt = EncodeDateTime({2021, 3, 15, 14, 5, 6, 789});
  EXPECT_EQ(FormatDateTime(dt), "15.03.2021 14:05:06.789");
  EXPECT_EQ(FormatReal(-1234.5), "-1234,5");
  double back = 0;
  ASSERT_TRUE(TryTextToDateTime("15.03.2021 14:05:06.789", back));
  EXPECT_EQ(back, dt);
  ASSERT_TRUE(TryTextToReal("-1.234,5", back));
  EXPECT_EQ(back, -1234.5);
}

TEST(LocaleSettingsTest, FrenchLocaleNarrowSpaceGrouping) {
  const std::string dir = CompileLocale("fr_FR", "fr_FR");
  if (dir.empty()) GTEST_SKIP() << "localedef or the fr_FR locale source is not available";
  LocaleScope scope;
  {
    EnvScope path("LOCPATH", dir);
    EnvScope env("LC_ALL", "fr_FR.UTF-8");
    LoadLocaleSettings();
  }
  const LocaleSettings& s = Locale();
  EXPECT_EQ(s.DecimalSeparator, ',');
  EXPECT_EQ(s.ThousandSeparator, '\xA0');
  EXPECT_EQ(s.DateSeparator, '/');
  EXPECT_EQ(s.ShortDateFormat, "dd/MM/yyyy");
  double v = 0;
  ASSERT_TRUE(TryTextToReal("1\xA0" "234,5", v));
  EXPECT_EQ(v, 1234.5);
  ASSERT_TRUE(TryTextToReal("1.5", v));  // a point is unambiguous here
  EXPECT_EQ(v, 1.5);
}

TEST(LocaleSettingsTest, MonthNamesTheCodePageCannotSpellAreNotUsed) {
  const std::string dir = CompileLocale("ru_RU", "ru_RU");
  if (dir.empty()) GTEST_SKIP() << "localedef or the ru_RU locale source is not available";
  LocaleScope scope;
  {
    EnvScope path("LOCPATH", dir);
    EnvScope env("LC_ALL", "ru_RU.UTF-8");
    LoadLocaleSettings();
  }
  const LocaleSettings d;
  EXPECT_EQ(Locale().DecimalSeparator, ',');
  EXPECT_EQ(Locale().ShortMonthNames, d.ShortMonthNames);
  EXPECT_EQ(Locale().LongMonthNames, d.LongMonthNames);
}

TEST(LocaleSettingsTest, UnknownLocaleKeepsTheDefaults) {
  LocaleScope scope;
  Locale().DecimalSeparator = '#';
  EnvScope env("LC_ALL", "xx_NOWHERE.UTF-8");
  LoadLocaleSettings();
  EXPECT_EQ(Locale().DecimalSeparator, '.');
  EXPECT_EQ(Locale().ShortDateFormat, "M/d/yyyy");
}

}  // namespace
}  // namespace qx
