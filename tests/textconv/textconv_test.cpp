#include <gtest/gtest.h>

#include <string>

#include "expr/TextConv.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"

namespace qx {
namespace {

// ---- DateTimeFromText -------------------------------------------------------

struct PositionalCase {
  const char* text;
  const char* format;
  char ds, ts;
  DateParts expected;  // 1899-12-30 midnight: nothing read
};

TEST(DateTimeFromText, Table) {
  LocaleScope scope;
  const PositionalCase cases[] = {
      {"1/2/2020", "DD/MM/YYYY", '/', ':', {2020, 2, 1}},
      {"15.03.2021 14:05", "dd.mm.yyyy hh:nn", '.', ':', {2021, 3, 15, 14, 5}},
      {"14:05", "DD.MM.YYYY HH:NN", '.', ':', {1899, 12, 30, 14, 5}},
      {"15 MAR 2021", "DD MMM YYYY", ' ', ':', {2021, 3, 15}},
      {"15 mar 2021", "DD MMM YYYY", ' ', ':', {2021, 3, 15}},
      {"15 March 2021", "DD MMMMM YYYY", ' ', ':', {2021, 3, 15}},
      {"15 SEPT 2021", "DD MMMM YYYY", ' ', ':', {1899, 12, 30}},  // no such month name
      // Positional: a field longer than its letters shifts what follows.
      {"15 march 2021", "DD MMM YYYY", ' ', ':', {2020, 3, 15}},
      {"3:15 PM", "H:NN", '/', ':', {1899, 12, 30, 15, 15}},
      {"12:15 AM", "HH:NN", '/', ':', {1899, 12, 30, 0, 15}},
      {"12:15 PM", "HH:NN", '/', ':', {1899, 12, 30, 12, 15}},
      {"2021-03-15T10:20:30Z", "YYYY-MM-DDTHH:NN:SSZ", '-', ':', {2021, 3, 15, 10, 20, 30}},
      {"2021-03-15 10:20:30.250", "YYYY-MM-DD HH:NN:SS.ZZZ", '-', ':', {2021, 3, 15, 10, 20, 30, 250}},
      {"23:60", "HH:NN", '/', ':', {1899, 12, 30}},  // time part skipped
      {"13/13/2021", "DD/MM/YYYY", '/', ':', {1899, 12, 30}},
      {"", "DD/MM/YYYY", '/', ':', {1899, 12, 30}},
      {"1/2/2020", "", '/', ':', {1899, 12, 30}},
      {"29/12/1899 06:00", "DD/MM/YYYY HH:NN", '/', ':', {1899, 12, 29, 6}},
      {"1/1/0001", "D/M/YYYY", '/', ':', {2001, 1, 1}},  // "0001" is a year below 100
  };
  for (const PositionalCase& c : cases) {
    const double v = DateTimeFromText(c.text, c.format, c.ds, c.ts, 2025);
    EXPECT_EQ(v, EncodeDateTime(c.expected)) << c.text << " / " << c.format;
  }
}

TEST(DateTimeFromText, TwoDigitYearsPivotOnTheCurrentYear) {
  LocaleScope scope;
  const struct {
    int current, two_digit, expected;
  } cases[] = {{2025, 80, 1980}, {2025, 75, 1975}, {2025, 74, 2074}, {2025, 30, 2030}, {2025, 0, 2000},
               {2025, 99, 1999}, {2060, 9, 2109},  {2060, 10, 2010}, {1999, 49, 1949}, {1999, 48, 2048}};
  for (const auto& c : cases) {
    const std::string text = "1/1/" + std::to_string(c.two_digit);
    EXPECT_EQ(DateTimeFromText(text, "D/M/YY", '/', ':', c.current), EncodeDate(c.expected, 1, 1))
        << c.current << " " << c.two_digit;
  }
  // The default is the current year: a four-digit year does not depend on it.
  EXPECT_EQ(DateTimeFromText("1/1/1960", "D/M/YYYY", '/', ':'), EncodeDate(1960, 1, 1));
}

TEST(DateTimeFromText, Errors) {
  LocaleScope scope;
  const struct {
    const char* text;
    const char* format;
    const char* message;
  } cases[] = {
      {"24:00", "HH:NN", "Invalid argument to time encode"},
      {"31/04/2021", "DD/MM/YYYY", "Invalid argument to date encode"},
      {"29/02/2021", "DD/MM/YYYY", "Invalid argument to date encode"},
      {"1x/02/2021", "DD/MM/YYYY", "'1x' is not a valid integer value"},
      {"10/0x/2021", "DD/MM/YYYY", "'0x' is not a valid integer value"},
      {"10/02/2021 1a:00", "DD/MM/YYYY HH:NN", "'1a' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    try {
      DateTimeFromText(c.text, c.format, '/', ':', 2025);
      ADD_FAILURE() << c.text << " did not raise";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.text;
    }
  }
}

TEST(DateTimeFromText, LocaleDesignatorsAndMonthNames) {
  LocaleScope scope;
  Locale().TimePMString = "";  // 24-hour locale: the fixed texts "PM" and "pm"
  Locale().TimeAMString = "";
  EXPECT_EQ(DateTimeFromText("3:15 PM", "H:NN", '/', ':', 2025), EncodeTime(15, 15, 0, 0));
  EXPECT_EQ(DateTimeFromText("3:15 Pm", "H:NN", '/', ':', 2025), EncodeTime(3, 15, 0, 0));
  EXPECT_EQ(DateTimeFromText("12:15 am", "HH:NN", '/', ':', 2025), EncodeTime(0, 15, 0, 0));
  Locale().TimePMString = "nachm.";
  EXPECT_EQ(DateTimeFromText("3:15 NACHM.", "H:NN", '/', ':', 2025), EncodeTime(15, 15, 0, 0));
  EXPECT_EQ(DateTimeFromText("3:15 PM", "H:NN", '/', ':', 2025), EncodeTime(3, 15, 0, 0));
  Locale().ShortMonthNames[9] = "Okt";
  Locale().LongMonthNames[2] = "M\xE4rz";
  EXPECT_EQ(DateTimeFromText("3 okt 2021", "D MMM YYYY", ' ', ':', 2025), EncodeDate(2021, 10, 3));
  EXPECT_EQ(DateTimeFromText("3 M\xE4rz 2021", "D MMMM YYYY", ' ', ':', 2025), EncodeDate(2021, 3, 3));
}

// ---- number texts -----------------------------------------------------------

TEST(NumberTexts, CleanNumberText) {
  LocaleScope scope;
  EXPECT_EQ(CleanNumberText("$1,234.50"), "1234.50");
  EXPECT_EQ(CleanNumberText("1$2$3"), "12$3");
  EXPECT_EQ(CleanNumberText(" 7 "), " 7 ");
  Locale().CurrencyString = "EUR";
  EXPECT_EQ(CleanNumberText("12 EUR"), "12 ");
  EXPECT_FALSE(IsNumberText(CleanNumberText("12 EUR")));
  EXPECT_EQ(CleanNumberText("$12"), "12");  // no symbol in the text: the first "$"
  Locale().DecimalSeparator = ',';
  Locale().ThousandSeparator = '.';
  EXPECT_EQ(CleanNumberText("1.234,5"), "12345");  // every comma goes, also the decimal one
}

TEST(NumberTexts, IsNumberText) {
  LocaleScope scope;
  for (const char* t : {"1.5", ".5", "5.", " 7", "-3", "1e5", ".", "-.", "+1E-5", "1.5e+10", "   0"})
    EXPECT_TRUE(IsNumberText(t)) << t;
  for (const char* t : {"", "+", "-", "1e", "7 ", "1.2.3", "$5", "e5", "1e+", "--1", "1,5", "\t1"})
    EXPECT_FALSE(IsNumberText(t)) << t;
  Locale().DecimalSeparator = ',';
  EXPECT_TRUE(IsNumberText("1,5"));
  EXPECT_TRUE(IsNumberText("1.5"));
  EXPECT_FALSE(IsNumberText("1,5,5"));  // only the first comma becomes a point
  EXPECT_FALSE(IsNumberText("1,5.5"));
}

TEST(NumberTexts, LooksLikeDateTime) {
  LocaleScope scope;
  for (const char* t : {"3/15/2021", "14:05", "3/15/2021 2:05 PM"}) EXPECT_TRUE(LooksLikeDateTime(t)) << t;
  for (const char* t : {"2021-03-15", "12", "1.5", "", "3/15", "a/b/c", "99:99"}) EXPECT_FALSE(LooksLikeDateTime(t)) << t;
  Locale().DateSeparator = '-';
  EXPECT_TRUE(LooksLikeDateTime("2021-03-15"));
}

// ---- character tests --------------------------------------------------------

TEST(CharacterTests, IsDigitText) {
  LocaleScope scope;
  for (const char* t : {"", " 12 ", "-1.5", "+", "-", ".", "007", "\t\n5\r"}) EXPECT_TRUE(IsDigitText(t)) << t;
  for (const char* t : {"1e5", "--1", "1.2.3", "1,000", "1-", "1 2", "a"}) EXPECT_FALSE(IsDigitText(t)) << t;
  Locale().DecimalSeparator = ',';
  EXPECT_TRUE(IsDigitText("1,5"));
  EXPECT_FALSE(IsDigitText("1.5"));
}

TEST(CharacterTests, IsLetterText) {
  EXPECT_FALSE(IsLetterText(""));
  EXPECT_TRUE(IsLetterText("abc"));
  EXPECT_FALSE(IsLetterText("ab1"));
  EXPECT_FALSE(IsLetterText("a b"));
  ASSERT_EQ(AnsiCodePage(), 1252);
  EXPECT_TRUE(IsLetterText("\xE9t\xE9"));          // été
  EXPECT_TRUE(IsLetterText("\x8A\x9C\xDF\xFF"));   // Š œ ß ÿ
  EXPECT_FALSE(IsLetterText("\xD7"));              // multiplication sign
  EXPECT_FALSE(IsLetterText("\xA9"));              // copyright sign
  EXPECT_FALSE(IsLetterText(std::string_view("a\0b", 3)));
}

TEST(CharacterTests, AnsiUpperTextKeepsTheLength) {
  ASSERT_EQ(AnsiCodePage(), 1252);
  EXPECT_EQ(AnsiUpperText("abc\xE9\xFF\x9A\xDF" "1"), "ABC\xC9\x9F\x8A\xDF" "1");  // é ÿ š upper-cased, ß kept
  EXPECT_EQ(AnsiUpperText(""), "");
}

// ---- STRTOINT reading -------------------------------------------------------

TEST(StrToIntText, Table) {
  const struct {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {{"12", true, 12},       {"  -12", true, -12},  {"+7", true, 7},          {"$ff", true, 255},
               {"$7FFFFFFF", true, 2147483647}, {"$FFFFFFFF", true, -1}, {"$100000000", false, 0},
               {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
               {"2147483648", false, 0}, {"12 ", false, 0},   {"", false, 0},           {"-", false, 0},
               {"$", false, 0},        {"-$5", false, 0},     {"1.0", false, 0},        {"0x10", false, 0},
               {"\t5", false, 0},      {"99999999999999999999", false, 0}};
  for (const auto& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(TryStrToIntText(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    } else {
      try {
        StrToIntText(c.text);
        ADD_FAILURE() << c.text;
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'" + std::string(c.text) + "' is not a valid integer value");
      }
    }
  }
}

}  // namespace
}  // namespace qx
