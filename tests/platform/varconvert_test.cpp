#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {
namespace {

// Locales the conversions are checked under: the defaults, and settings in
// the manner of German, French, Swedish and British users.
struct LocaleCase {
  const char* name;
  char decimal, thousands, date_sep, time_sep;
  const char* short_date;
  const char* am;
  const char* pm;
};

const LocaleCase kLocales[] = {
    {"default", '.', ',', '/', ':', "M/d/yyyy", "am", "pm"},
    {"german", ',', '.', '.', ':', "dd/MM/yyyy", "", ""},
    {"french", ',', ' ', '/', ':', "dd/MM/yyyy", "", ""},
    {"swedish", ',', '\xA0', '-', '.', "yyyy/MM/dd", "", ""},
    {"british-names", '.', ',', '-', ':', "dd/MMM/yyyy", "AM", "PM"},
};

void Apply(const LocaleCase& c) {
  LocaleSettings& s = Locale();
  s = LocaleSettings{};
  s.DecimalSeparator = c.decimal;
  s.ThousandSeparator = c.thousands;
  s.DateSeparator = c.date_sep;
  s.TimeSeparator = c.time_sep;
  s.ShortDateFormat = c.short_date;
  s.TimeAMString = c.am;
  s.TimePMString = c.pm;
}

uint64_t Bits(double d) { return std::bit_cast<uint64_t>(d); }

// ---- round trips ------------------------------------------------------------

std::vector<double> SampleDoubles() {
  std::vector<double> v = {0.0,
                           -0.0,
                           0.1,
                           -0.1,
                           1.0 / 3,
                           2.5,
                           123456789.125,
                           1e15,
                           1e16,
                           1e21,
                           1e22,
                           1e300,
                           -1e-300,
                           5e-324,
                           -5e-324,
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::max(),
                           -std::numeric_limits<double>::max(),
                           std::nextafter(1.0, 2.0),
                           std::nextafter(0.3, 0.0),
                           2147483647.0,
                           -2147483648.0,
                           9007199254740993.0};
  std::mt19937_64 rng(12345);
  while (v.size() < 20000) {
    const double d = std::bit_cast<double>(rng());
    if (std::isfinite(d)) v.push_back(d);
  }
  std::uniform_real_distribution<double> small(-1e6, 1e6);
  for (int i = 0; i < 5000; ++i) v.push_back(small(rng));
  // Subnormals.
  for (int i = 0; i < 1000; ++i) v.push_back(std::bit_cast<double>(rng() & 0x800FFFFFFFFFFFFFull));
  return v;
}

TEST(VarConvertRoundTrip, DoublesBitForBit) {
  LocaleScope scope;
  const std::vector<double> values = SampleDoubles();
  for (const LocaleCase& lc : kLocales) {
    Apply(lc);
    for (double d : values) {
      const std::string text = VarToText(Variant(d));
      double back = 1.5;
      ASSERT_TRUE(TryTextToReal(text, back)) << lc.name << ": " << text;
      ASSERT_EQ(Bits(back), Bits(d)) << lc.name << ": " << text;
      ASSERT_EQ(Bits(VarToReal(Variant(text))), Bits(d)) << text;
    }
  }
}

TEST(VarConvertRoundTrip, ShortestText) {
  LocaleScope scope;
  EXPECT_EQ(FormatReal(0.1), "0.1");
  EXPECT_EQ(FormatReal(-2.5), "-2.5");
  EXPECT_EQ(FormatReal(100), "100");
  EXPECT_EQ(FormatReal(1e300), "1e+300");
  EXPECT_EQ(FormatReal(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatReal(-0.0), "-0");
  Apply(kLocales[1]);
  EXPECT_EQ(FormatReal(1234.5), "1234,5");
  EXPECT_EQ(FormatReal(1.25e-7), "1,25e-07");
  EXPECT_THROW(FormatReal(std::numeric_limits<double>::infinity()), EVariantTypeCastError);
  EXPECT_THROW(VarToText(Variant(std::nan(""))), EVariantTypeCastError);
}

TEST(VarConvertRoundTrip, DateTimesToTheMillisecond) {
  LocaleScope scope;
  std::mt19937 rng(777);
  std::vector<DateParts> parts = {
      {1, 1, 1, 0, 0, 0, 0},          {1, 1, 1, 0, 0, 0, 1},           {9999, 12, 31, 23, 59, 59, 999},
      {1899, 12, 30, 0, 0, 0, 0},     {1899, 12, 30, 12, 0, 0, 0},     {1899, 12, 29, 6, 0, 0, 0},
      {1899, 12, 31, 0, 0, 0, 1},     {2000, 2, 29, 13, 5, 9, 50},     {99, 3, 4, 0, 0, 0, 0},
      {5, 6, 7, 8, 9, 10, 11},        {2024, 1, 1, 0, 0, 0, 500},      {1600, 2, 29, 23, 59, 59, 0}};
  for (int i = 0; i < 20000; ++i) {
    DateParts p;
    p.year = static_cast<int>(rng() % 9999) + 1;
    p.month = static_cast<int>(rng() % 12) + 1;
    p.day = static_cast<int>(rng() % static_cast<unsigned>(DaysInMonth(p.year, p.month))) + 1;
    p.hour = static_cast<int>(rng() % 24);
    p.minute = static_cast<int>(rng() % 60);
    p.second = static_cast<int>(rng() % 60);
    p.msec = i % 3 == 0 ? 0 : static_cast<int>(rng() % 1000);
    if (i % 5 == 0) p.hour = p.minute = p.second = p.msec = 0;
    parts.push_back(p);
  }
  for (const LocaleCase& lc : kLocales) {
    Apply(lc);
    for (const DateParts& p : parts) {
      const double dt = EncodeDateTime(p);
      const std::string text = VarToText(Variant::FromDate(dt));
      double back = -1e9;
      ASSERT_TRUE(TryTextToDateTime(text, back)) << lc.name << ": " << text;
      ASSERT_EQ(Bits(back), Bits(dt)) << lc.name << ": " << text;
    }
  }
}

TEST(VarConvertRoundTrip, IntegersAndCurrencyExact) {
  LocaleScope scope;
  std::vector<int32_t> ints = {0, 1, -1, 2147483647, -2147483647 - 1, 2147483646, -2147483647};
  std::vector<int64_t> raws = {0, 1, -1, 9999, -9999, 10000, INT64_MAX, INT64_MIN, INT64_MAX - 1, INT64_MIN + 1,
                               123456789012345678};
  std::mt19937_64 rng(99);
  for (int i = 0; i < 5000; ++i) {
    ints.push_back(static_cast<int32_t>(static_cast<uint32_t>(rng())));
    raws.push_back(static_cast<int64_t>(rng()));
  }
  for (const LocaleCase& lc : kLocales) {
    Apply(lc);
    for (int32_t v : ints) {
      const std::string text = VarToText(Variant(v));
      int32_t back = 0;
      ASSERT_TRUE(TryTextToInteger(text, back)) << text;
      ASSERT_EQ(back, v);
      ASSERT_EQ(VarToInteger(Variant(text)), v);
    }
    for (int64_t raw : raws) {
      const std::string text = VarToText(Variant::FromCurrencyRaw(raw));
      Currency back;
      ASSERT_TRUE(TryTextToCurrency(text, back)) << text;
      ASSERT_EQ(back.raw, raw) << text;
    }
  }
  EXPECT_EQ(FormatCurrency(Currency{-12345}), "-1.2345");
  EXPECT_EQ(FormatCurrency(Currency{10000}), "1");
  EXPECT_EQ(FormatCurrency(Currency{15000}), "1.5");
  EXPECT_EQ(FormatCurrency(Currency{INT64_MIN}), "-922337203685477.5808");
}

// ---- text forms -------------------------------------------------------------

TEST(VarConvertText, ValueTexts) {
  LocaleScope scope;
  EXPECT_EQ(VarToText(Variant()), "");
  EXPECT_EQ(VarToText(Variant::Null()), "");
  EXPECT_EQ(VarToText(Variant("abc")), "abc");
  EXPECT_EQ(VarToText(Variant(std::u16string(u"\u00e9t\u00e9"))), "\xE9t\xE9");
  EXPECT_EQ(VarToText(Variant(true)), "True");
  EXPECT_EQ(VarToText(Variant(false)), "False");
  EXPECT_EQ(VarToText(Variant(int32_t{-42})), "-42");
  EXPECT_EQ(VarToText(Variant::FromDate(EncodeDate(2021, 3, 15))), "3/15/2021");
  EXPECT_EQ(VarToText(Variant::FromDate(EncodeDateTime({2021, 3, 15, 14, 5, 0, 0}))), "3/15/2021 14:05:00");
  EXPECT_EQ(VarToText(Variant::FromDate(EncodeDateTime({2021, 3, 15, 14, 5, 0, 7}))), "3/15/2021 14:05:00.007");
  EXPECT_EQ(VarToText(Variant::FromDate(0.5)), "12:00:00");
  EXPECT_EQ(VarToText(Variant::FromDate(0)), "12/30/1899");
  EXPECT_EQ(VarToText(Variant::FromDate(EncodeDate(7, 1, 2))), "1/2/0007");
  EXPECT_THROW(VarToText(Variant(ByteArray{1})), EVariantTypeCastError);
  EXPECT_THROW(VarToText(Variant::FromDate(1e9)), EVariantTypeCastError);

  Apply(kLocales[1]);
  EXPECT_EQ(FormatDateTime(EncodeDateTime({2021, 3, 5, 9, 5, 1, 0})), "05.03.2021 9:05:01");
  Apply(kLocales[4]);
  EXPECT_EQ(FormatDateTime(EncodeDate(2021, 3, 5)), "05-Mar-2021");

  std::string out = "x=";
  AppendVarText(Variant(1.5), out);
  AppendVarText(Variant::Null(), out);
  EXPECT_EQ(out, "x=1.5");
}

struct RealCase {
  const char* text;
  double value;
};

TEST(VarConvertText, RealReader) {
  LocaleScope scope;
  const RealCase accepted[] = {
      {"1.5", 1.5},          {"  -2.25  ", -2.25}, {"+3", 3},           {".5", 0.5},         {"5.", 5},
      {"1,234,567.5", 1234567.5}, {"1e3", 1000},   {"1E+3", 1000},      {"-1.5e-3", -0.0015}, {"\t7\n", 7},
      {"1e-400", 0},         {"0e999999999999", 0}, {"000123", 123},    {"12,345", 12345}};
  for (const RealCase& c : accepted) {
    double v = -99;
    EXPECT_TRUE(TryTextToReal(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  const char* refused[] = {"", " ", "+", "-", ".", "1.2.3", "1e", "1e+", "abc", "1 2", "inf", "nan", "0x10",
                           "1e400", "1,23", "1,2345", ",123", "12,,345", "$5", "1.5x", "1.5,000", "--1"};
  for (const char* t : refused) {
    double v = 0;
    EXPECT_FALSE(TryTextToReal(t, v)) << t;
    EXPECT_THROW(VarToReal(Variant(t)), EVariantTypeCastError) << t;
  }

  Apply(kLocales[1]);  // decimal ",", thousands "."
  double v = 0;
  EXPECT_TRUE(TryTextToReal("1.234,5", v));
  EXPECT_EQ(v, 1234.5);
  EXPECT_TRUE(TryTextToReal("1.500", v));
  EXPECT_EQ(v, 1500);  // grouping, not a decimal point, in this locale
  EXPECT_FALSE(TryTextToReal("1.5", v));
  Apply(kLocales[2]);  // decimal ",", thousands " "
  EXPECT_TRUE(TryTextToReal("1.5", v));
  EXPECT_EQ(v, 1.5);
  EXPECT_TRUE(TryTextToReal("1 234,5", v));
  EXPECT_EQ(v, 1234.5);
}

TEST(VarConvertText, IntegerAndCurrencyReaders) {
  LocaleScope scope;
  struct IntCase {
    const char* text;
    bool ok;
    int32_t value;
  };
  const IntCase cases[] = {
      {"2147483647", true, 2147483647},  {"-2147483648", true, -2147483647 - 1}, {"2147483648", false, 0},
      {"-2147483649", false, 0},         {"2.5", true, 2},                       {"3.5", true, 4},
      {"-2.5", true, -2},                {"2.5000000000000000001", true, 3},      {"0.5", true, 0},
      {"1.5", true, 2},                  {"2147483647.5", false, 0},             {"2147483647.49", true, 2147483647},
      {"-2147483648.5", true, -2147483647 - 1}, {"1,000", true, 1000},           {"1e3", true, 1000},
      {"12e-1", true, 1},                {"1e-300", true, 0},                    {"1e300", false, 0},
      {"abc", false, 0},                 {"", false, 0},                         {" -0 ", true, 0}};
  for (const IntCase& c : cases) {
    int32_t v = 77;
    EXPECT_EQ(TryTextToInteger(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
      EXPECT_EQ(VarToInteger(Variant(c.text)), c.value) << c.text;
    } else {
      EXPECT_THROW(VarToInteger(Variant(c.text)), EVariantTypeCastError) << c.text;
    }
  }
  Currency cur;
  EXPECT_TRUE(TryTextToCurrency("1.23456", cur));
  EXPECT_EQ(cur.raw, 12346);
  EXPECT_TRUE(TryTextToCurrency("0.00005", cur));
  EXPECT_EQ(cur.raw, 0);
  EXPECT_TRUE(TryTextToCurrency("0.00015", cur));
  EXPECT_EQ(cur.raw, 2);
  EXPECT_TRUE(TryTextToCurrency("-922337203685477.5808", cur));
  EXPECT_EQ(cur.raw, INT64_MIN);
  EXPECT_FALSE(TryTextToCurrency("922337203685477.5808", cur));
}

TEST(VarConvertText, BooleanReader) {
  LocaleScope scope;
  const char* truths[] = {"True", "TRUE", "true", "yes", "On", "-1", "1", "2.5", " on ", "1e3"};
  const char* falsities[] = {"False", "no", "OFF", "0", "0.0", "-0"};
  const char* refused[] = {"", "T", "y", "truee", "maybe", "1.2.3"};
  bool b = false;
  for (const char* t : truths) {
    EXPECT_TRUE(TryTextToBoolean(t, b) && b) << t;
    EXPECT_TRUE(VarToBoolean(Variant(t))) << t;
  }
  for (const char* t : falsities) {
    EXPECT_TRUE(TryTextToBoolean(t, b) && !b) << t;
    EXPECT_FALSE(VarToBoolean(Variant(t))) << t;
  }
  for (const char* t : refused) {
    EXPECT_FALSE(TryTextToBoolean(t, b)) << t;
    EXPECT_THROW(VarToBoolean(Variant(t)), EVariantTypeCastError) << t;
  }
}

struct DateCase {
  const char* text;
  DateParts parts;
};

TEST(VarConvertText, DateTimeReader) {
  LocaleScope scope;
  const DateCase accepted[] = {
      {"3/15/2021", {2021, 3, 15}},
      {" 3/15/2021 ", {2021, 3, 15}},
      {"03/05/21", {2021, 3, 5}},
      {"3/5/30", {1930, 3, 5}},
      {"3/5/0030", {30, 3, 5}},
      {"3-15-2021", {2021, 3, 15}},
      {"Mar/15/2021", {2021, 3, 15}},
      {"march/15/2021", {2021, 3, 15}},
      {"3/15/2021 14:05", {2021, 3, 15, 14, 5}},
      {"3/15/2021 2:05 PM", {2021, 3, 15, 14, 5}},
      {"3/15/2021 12:05am", {2021, 3, 15, 0, 5}},
      {"3/15/2021 12:05 pm", {2021, 3, 15, 12, 5}},
      {"3/15/2021 14:05:06.5", {2021, 3, 15, 14, 5, 6, 500}},
      {"3/15/2021 14:05:06.0125", {2021, 3, 15, 14, 5, 6, 12}},
      {"3/15/2021 14:05:06.0135", {2021, 3, 15, 14, 5, 6, 14}},
      {"3/15/2021   23:59:59.9996", {2021, 3, 16}},
      {"14:05", {1899, 12, 30, 14, 5}},
      {"2:05:09 pm", {1899, 12, 30, 14, 5, 9}},
      {"3 PM", {1899, 12, 30, 15}},
      {"2021-03-15", {2021, 3, 15}},
      {"2021-03-15 10:20:30", {2021, 3, 15, 10, 20, 30}},
      {"2021-03-15T10:20:30.123", {2021, 3, 15, 10, 20, 30, 123}},
      {"0001-01-01", {1, 1, 1}},
      {"9999-12-31 23:59:59.999", {9999, 12, 31, 23, 59, 59, 999}},
      {"2/29/2000", {2000, 2, 29}},
  };
  for (const DateCase& c : accepted) {
    double v = -1;
    ASSERT_TRUE(TryTextToDateTime(c.text, v)) << c.text;
    EXPECT_EQ(v, EncodeDateTime(c.parts)) << c.text;
    EXPECT_EQ(VarToDateTime(Variant(c.text)), v) << c.text;
  }
  const char* refused[] = {"",           "2021",           "3/15",          "15/3/2021",        "2/29/2001",
                           "3/15/2021 25:00", "3/15/2021 14:60", "24:00",       "13:00 PM",         "3/15/12021",
                           "0000-01-01", "2021-13-01",     "2021-03-15T",   "2021-03-15 10",    "1.5",
                           "3/15/2021 x", "14:05:06.",     "9999-12-31 23:59:59.9996", "3/15/-2021", "abc",
                           "3//2021",    "3/15/2021/1",    "2021-03-15Z",   "12"};
  for (const char* t : refused) {
    double v = 0;
    EXPECT_FALSE(TryTextToDateTime(t, v)) << t;
    EXPECT_THROW(VarToDateTime(Variant(t)), EVariantTypeCastError) << t;
  }

  Apply(kLocales[1]);  // dd.MM.yyyy, 24-hour
  double v = 0;
  EXPECT_TRUE(TryTextToDateTime("15.03.2021 14:05:06,25", v));
  EXPECT_EQ(v, EncodeDateTime({2021, 3, 15, 14, 5, 6, 250}));
  EXPECT_TRUE(TryTextToDateTime("1/2/2020", v));
  EXPECT_EQ(v, EncodeDate(2020, 2, 1));
  EXPECT_TRUE(TryTextToDateTime("3:15 PM", v));  // English designators always
  EXPECT_EQ(v, EncodeTime(15, 15, 0, 0));
  Apply(kLocales[3]);  // yyyy-MM-dd, time separator "."
  EXPECT_TRUE(TryTextToDateTime("2021-03-15 14.05.06.5", v));
  EXPECT_EQ(v, EncodeDateTime({2021, 3, 15, 14, 5, 6, 500}));
  {
    LocaleScope inner;
    Locale().LongMonthNames[2] = "M\xE4rz";
    Locale().ShortDateFormat = "dd/MMMM/yyyy";
    Locale().DateSeparator = ' ';
    EXPECT_EQ(FormatDateTime(EncodeDateTime({2021, 3, 15, 8, 0, 0, 0})), "15 M\xE4rz 2021 8.00.00");
    EXPECT_TRUE(TryTextToDateTime("15 M\xE4rz 2021 8.00.00", v));
    EXPECT_EQ(v, EncodeDateTime({2021, 3, 15, 8, 0, 0, 0}));
  }
}

TEST(VarConvertText, DateAloneReader) {
  LocaleScope scope;
  double v = 0;
  EXPECT_TRUE(TryTextToDate(" 3/15/2021 ", v));
  EXPECT_EQ(v, EncodeDate(2021, 3, 15));
  EXPECT_TRUE(TryTextToDate("2021-03-15", v));
  EXPECT_EQ(v, EncodeDate(2021, 3, 15));
  for (const char* t : {"3/15/2021 10:00", "2021-03-15 10:00", "2021-03-15T10:00", "10:00", "", "3/15"})
    EXPECT_FALSE(TryTextToDate(t, v)) << t;
  EXPECT_EQ(FormatDate(EncodeDateTime({2021, 3, 15, 23, 59, 59, 999})), "3/15/2021");
  EXPECT_EQ(FormatDate(0.5), "12/30/1899");
  EXPECT_THROW(FormatDate(-1e9), EVariantTypeCastError);
}

// ---- kind conversions -------------------------------------------------------

TEST(VarConvertKinds, NumbersBetweenKinds) {
  LocaleScope scope;
  EXPECT_EQ(VarToInteger(Variant(2.5)), 2);
  EXPECT_EQ(VarToInteger(Variant(3.5)), 4);
  EXPECT_EQ(VarToInteger(Variant(-2.5)), -2);
  EXPECT_EQ(VarToInteger(Variant(-2147483648.4)), -2147483647 - 1);
  EXPECT_THROW(VarToInteger(Variant(2147483647.5)), EInvalidOp);
  EXPECT_THROW(VarToInteger(Variant(std::nan(""))), EInvalidOp);
  EXPECT_EQ(VarToInteger(Variant(true)), -1);
  EXPECT_EQ(VarToInteger(Variant()), 0);
  EXPECT_EQ(VarToInteger(Variant::FromCurrencyRaw(25000)), 2);
  EXPECT_EQ(VarToInteger(Variant::FromCurrencyRaw(35000)), 4);
  EXPECT_EQ(VarToInteger(Variant::FromCurrencyRaw(-25001)), -3);
  EXPECT_THROW(VarToInteger(Variant::FromCurrencyRaw(INT64_MAX)), EInvalidOp);
  EXPECT_EQ(VarToReal(Variant::FromDate(1.25)), 1.25);
  EXPECT_EQ(VarToReal(Variant::FromCurrencyRaw(15)), 0.0015);
  EXPECT_EQ(VarToReal(Variant(true)), -1.0);
  EXPECT_EQ(VarToCurrency(Variant(0.1)).raw, 1000);
  EXPECT_EQ(VarToCurrency(Variant(1.00005)).raw, 10000);  // the half, to even
  EXPECT_EQ(VarToCurrency(Variant(0.00025)).raw, 2);
  EXPECT_EQ(VarToCurrency(Variant(int32_t{-3})).raw, -30000);
  EXPECT_THROW(VarToCurrency(Variant(1e30)), EInvalidOp);
  EXPECT_TRUE(VarToBoolean(Variant(0.1)));
  EXPECT_FALSE(VarToBoolean(Variant::FromCurrencyRaw(0)));
  EXPECT_EQ(VarToDateTime(Variant(int32_t{2})), 2.0);
}

TEST(VarConvertKinds, NullEmptyAndBytes) {
  LocaleScope scope;
  const Variant null = Variant::Null();
  EXPECT_THROW(VarToInteger(null), EVariantTypeCastError);
  EXPECT_THROW(VarToReal(null), EVariantTypeCastError);
  EXPECT_THROW(VarToCurrency(null), EVariantTypeCastError);
  EXPECT_THROW(VarToDateTime(null), EVariantTypeCastError);
  EXPECT_THROW(VarToBoolean(null), EVariantTypeCastError);
  EXPECT_THROW(VarToInteger(Variant(ByteArray{1})), EVariantTypeCastError);
  try {
    VarToInteger(null);
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), "Invalid variant type conversion");
  }
  EXPECT_EQ(VarToReal(Variant()), 0.0);
  EXPECT_FALSE(VarToBoolean(Variant()));
  EXPECT_EQ(VarToDateTime(Variant()), 0.0);

  EXPECT_TRUE(VarChangeType(null, VarKind::Null).IsNull());
  for (VarKind k : {VarKind::Integer, VarKind::Real, VarKind::Text, VarKind::Boolean, VarKind::Date})
    EXPECT_THROW(VarChangeType(null, k), EVariantTypeCastError);
  EXPECT_EQ(VarChangeType(Variant(), VarKind::Integer), Variant(int32_t{0}));
  EXPECT_EQ(VarChangeType(Variant(), VarKind::Text), Variant(""));
  EXPECT_EQ(VarChangeType(Variant(), VarKind::Boolean), Variant(false));
  EXPECT_EQ(VarChangeType(Variant("12"), VarKind::Integer), Variant(int32_t{12}));
  EXPECT_EQ(VarChangeType(Variant("2021-03-15"), VarKind::Date), Variant::FromDate(EncodeDate(2021, 3, 15)));
  EXPECT_EQ(VarChangeType(Variant(2.5), VarKind::WideText), Variant(std::u16string(u"2.5")));
  EXPECT_EQ(VarChangeType(Variant(std::u16string(u"7")), VarKind::Integer), Variant(int32_t{7}));
  EXPECT_THROW(VarChangeType(Variant(1.0), VarKind::Bytes), EVariantTypeCastError);
}

TEST(VarConvertKinds, TryAndRaiseAgree) {
  LocaleScope scope;
  const char* texts[] = {"", "0", "-1", "1.5", "2147483648", "1e5", "true", "no", "3/15/2021", "14:05",
                         "2021-03-15 10:00:00", "1,234", "x", "1.2.3", " 7 ", "1e400", "12:00 am"};
  for (const LocaleCase& lc : kLocales) {
    Apply(lc);
    for (const char* t : texts) {
      const Variant v(t);
      int32_t i = 0;
      double r = 0, d = 0;
      Currency c;
      bool b = false;
      if (TryTextToInteger(t, i)) EXPECT_EQ(VarToInteger(v), i); else EXPECT_THROW(VarToInteger(v), EVariantTypeCastError);
      if (TryTextToReal(t, r)) EXPECT_EQ(VarToReal(v), r); else EXPECT_THROW(VarToReal(v), EVariantTypeCastError);
      if (TryTextToCurrency(t, c)) EXPECT_EQ(VarToCurrency(v), c); else EXPECT_THROW(VarToCurrency(v), EVariantTypeCastError);
      if (TryTextToBoolean(t, b)) EXPECT_EQ(VarToBoolean(v), b); else EXPECT_THROW(VarToBoolean(v), EVariantTypeCastError);
      if (TryTextToDateTime(t, d)) EXPECT_EQ(VarToDateTime(v), d); else EXPECT_THROW(VarToDateTime(v), EVariantTypeCastError);
    }
  }
}

TEST(VarConvertKinds, RoundHalfEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(2.4999999999999996), 2);
  EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497.0);
}

}  // namespace
}  // namespace qx
