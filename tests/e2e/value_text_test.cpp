// Every value travels to the target as text: random doubles, date-times
// with milliseconds across the years 1 to 9999 and integers at their limits
// go through quillex into SQLite and must come back unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "adt/AdtFormat.h"
#include "e2e/E2eUtil.h"
#include "support/AdtFixture.h"

namespace qx::e2e {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;

uint64_t Bits(double d) {
  uint64_t b;
  std::memcpy(&b, &d, 8);
  return b;
}

double FromBits(uint64_t b) {
  double d;
  std::memcpy(&d, &b, 8);
  return d;
}

// Doubles that do not reach the target as numbers, for reasons outside the
// text a value travels as: the table reader takes eight bytes that are all
// blanks or controls (codes up to 32; 4.9e-324 is 01 00 .. 00) for Null, and
// SQLite stores -0 as 0. Their text form itself reads back exactly (see
// tests/transfer/value_text_test.cpp).
bool ReadsAsNull(double d) {
  uint64_t b = Bits(d);
  bool blank = true;
  for (int k = 0; k < 8; ++k) blank = blank && ((b >> (8 * k)) & 0xFF) <= 32;
  return blank || b == 0x8000000000000000ull;
}

int DaysIn(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : days[m - 1];
}

struct Expected {
  double real;       // DBL
  std::string when;  // TS as the target stores it
  int32_t integer;   // INT
  int32_t numeric;   // NUM (arrives in a Double field)
  double money;      // MO
  int16_t shortInt;  // SI
};

TEST(ValueText, RoundTripThroughTheTarget) {
  const uint32_t seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 rng(seed);

  const double specials[] = {
      std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::min(),        std::numeric_limits<double>::max(),
      -std::numeric_limits<double>::max(),       std::numeric_limits<double>::epsilon(),
      0.1,                                       -0.1,
      1.0 / 3.0,                                 123456789.123456789,
      9007199254740993.0,                        1e-300,
      -1e300,                                    -5e-324 * 3,
      2.5,                                       -2.2250738585072014e-308,
  };
  const int32_t intLimits[] = {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min() + 1, 0, -1, 1};
  const int32_t numLimits[] = {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 0, -1};

  AdtTableWriter w;
  int dbl = w.AddField("DBL", adt::atDouble, 8);
  int ts = w.AddField("TS", adt::atTimeStamp, 8);
  int in = w.AddField("INT", adt::atInteger, 4);
  int num = w.AddField("NUM", adt::atNumeric, 11);
  int mo = w.AddField("MO", adt::atMoney, 8, 4);
  int si = w.AddField("SI", adt::atShortInt, 2);

  const int kRecords = 3000;
  std::vector<Expected> expected;
  for (int i = 0; i < kRecords; ++i) {
    Expected e;
    // Any finite double, or one of the awkward ones.
    if (i < static_cast<int>(std::size(specials))) {
      e.real = specials[i];
      if (ReadsAsNull(e.real)) e.real = 1.5;
    } else {
      do e.real = FromBits(rng());
      while (!std::isfinite(e.real) || ReadsAsNull(e.real));
    }
    // A date-time of any year with milliseconds; the first records hit the ends.
    int y = static_cast<int>(rng() % 9999) + 1, m = static_cast<int>(rng() % 12) + 1;
    int d = static_cast<int>(rng() % static_cast<uint64_t>(DaysIn(y, m))) + 1;
    int32_t ms = static_cast<int32_t>(rng() % 86400000);
    if (i == 0) y = 1, m = 1, d = 1, ms = 1;
    if (i == 1) y = 9999, m = 12, d = 31, ms = 86399999;
    if (i == 2) y = 1899, m = 12, d = 29, ms = 86399999;
    if (i == 3) y = 1899, m = 12, d = 30, ms = 500;
    if (i == 4) y = 99, m = 3, d = 4, ms = 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60);
    e.when = buf;
    if (ms % 1000 != 0) {
      std::snprintf(buf, sizeof buf, ".%03d", ms % 1000);
      e.when += buf;
    }
    e.integer = i < static_cast<int>(std::size(intLimits)) ? intLimits[i] : static_cast<int32_t>(rng());
    if (e.integer == std::numeric_limits<int32_t>::min()) e.integer = 0;  // the Integer Null
    e.numeric = i < static_cast<int>(std::size(numLimits)) ? numLimits[i] : static_cast<int32_t>(rng());
    int64_t raw = static_cast<int64_t>(rng() % (1ull << 54)) - (1ll << 53);
    e.money = static_cast<double>(raw) / 10000.0;
    e.shortInt = static_cast<int16_t>(static_cast<int>(rng() % 65535) - 32767);  // -32768 is Null

    w.AddRecord()
        .Set(dbl, AdtBytes::Double(e.real))
        .Set(ts, AdtBytes::TimeStamp(AdtBytes::JulianDay(y, m, d), ms))
        .Set(in, AdtBytes::Int32(e.integer))
        .Set(num, AdtBytes::Numeric(std::to_string(e.numeric), 11))
        .Set(mo, AdtBytes::Money(raw))
        .Set(si, AdtBytes::Int16(e.shortInt));
    expected.push_back(e);
  }
  test::TempDir dir;
  w.WriteFiles(dir.File("v.adt"));
  auto res = Quillex({dir.File("v.adt"), dir.File("v.db")});
  ASSERT_EQ(res.exitCode, 0) << res.out;
  EXPECT_EQ(res.err, "");  // nothing refused

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(dir.File("v.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT DBL, TS, INT, NUM, MO, SI FROM v ORDER BY rowid", -1, &stmt, nullptr),
            SQLITE_OK);
  int row = 0, failures = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW && failures < 20) {
    const Expected& e = expected.at(static_cast<size_t>(row));
    auto fail = [&](const std::string& what) {
      ++failures;
      ADD_FAILURE() << "record " << row + 1 << ": " << what;
    };
    double got = sqlite3_column_double(stmt, 0);
    if (sqlite3_column_type(stmt, 0) != SQLITE_FLOAT || Bits(got) != Bits(e.real)) {
      char b[64];
      std::snprintf(b, sizeof b, "%.17g", e.real);
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      fail(std::string("double ") + b + " came back as " + (text ? text : "NULL"));
    }
    std::string when = sqlite3_column_type(stmt, 1) == SQLITE_NULL
                           ? "NULL"
                           : reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    if (when != e.when) fail("date-time " + e.when + " came back as " + when);
    if (sqlite3_column_type(stmt, 2) != SQLITE_INTEGER || sqlite3_column_int64(stmt, 2) != e.integer)
      fail("integer " + std::to_string(e.integer));
    if (sqlite3_column_double(stmt, 3) != static_cast<double>(e.numeric)) fail("numeric " + std::to_string(e.numeric));
    if (Bits(sqlite3_column_double(stmt, 4)) != Bits(e.money)) fail("money " + std::to_string(e.money));
    if (sqlite3_column_int64(stmt, 5) != e.shortInt) fail("short integer " + std::to_string(e.shortInt));
    ++row;
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  if (failures == 0) {
    EXPECT_EQ(row, kRecords);
  }
}

}  // namespace
}  // namespace qx::e2e
