// The text a transferred value travels as reads back to the same value,
// through the readers the database engine uses for its fields.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "platform/DateUtils.h"
#include "platform/VarConvert.h"
#include "transfer/Cell2MDB.h"

namespace qx {
namespace {

uint64_t Bits(double d) {
  uint64_t b;
  std::memcpy(&b, &d, 8);
  return b;
}

TEST(TransferText, NullEmptyAndTexts) {
  EXPECT_EQ(TransferText(Variant()), "");
  EXPECT_EQ(TransferText(Variant::Null()), "");
  EXPECT_EQ(TransferText(Variant("  padded ")), "  padded ");
  EXPECT_EQ(TransferText(Variant(std::u16string(u"Zo\u00eb"))), "Zo\xeb");
}

TEST(TransferText, DoublesBitForBit) {
  const uint32_t seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  const double specials[] = {-0.0,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             0.1,
                             1.0 / 3.0};
  int failures = 0;
  for (int i = 0; i < 200000 && failures < 10; ++i) {
    double v;
    if (i < static_cast<int>(std::size(specials))) {
      v = specials[i];
    } else {
      uint64_t b = rng();
      std::memcpy(&v, &b, 8);
      if (!std::isfinite(v)) continue;
    }
    std::string text = TransferText(Variant(v));
    double back = 0;
    if (!TryTextToReal(text, back) || Bits(back) != Bits(v)) {
      ++failures;
      ADD_FAILURE() << text << " does not read back";
    }
  }
}

TEST(TransferText, DateTimesToTheMillisecond) {
  const uint32_t seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  int failures = 0;
  for (int i = 0; i < 100000 && failures < 10; ++i) {
    DateParts p;
    p.year = static_cast<int>(rng() % 9999) + 1;
    p.month = static_cast<int>(rng() % 12) + 1;
    p.day = static_cast<int>(rng() % 28) + 1;
    p.hour = static_cast<int>(rng() % 24);
    p.minute = static_cast<int>(rng() % 60);
    p.second = static_cast<int>(rng() % 60);
    p.msec = static_cast<int>(rng() % 1000);
    if (i == 0) p = DateParts{1, 1, 1, 0, 0, 0, 1};
    if (i == 1) p = DateParts{9999, 12, 31, 23, 59, 59, 999};
    if (i == 2) p = DateParts{1899, 12, 29, 23, 59, 59, 999};
    if (i == 3) p = DateParts{1899, 12, 30, 0, 0, 0, 0};
    if (i == 4) p = DateParts{30, 6, 15, 0, 0, 0, 0};  // no two-digit-year pivot
    const double dt = EncodeDateTime(p);
    std::string text = TransferText(Variant::FromDate(dt));
    double back = 0;
    DateParts q;
    if (!TryTextToDateTime(text, back) || !DecodeDateTime(back, q) || q.year != p.year || q.month != p.month ||
        q.day != p.day || q.hour != p.hour || q.minute != p.minute || q.second != p.second || q.msec != p.msec) {
      ++failures;
      ADD_FAILURE() << text << " does not read back";
    }
  }
}

TEST(TransferText, IntegersAndCurrencyExactly) {
  for (int32_t v : {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 0, -1}) {
    int32_t back = 1;
    EXPECT_TRUE(TryTextToInteger(TransferText(Variant(v)), back));
    EXPECT_EQ(back, v);
  }
  for (int64_t raw : {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), int64_t{1},
                      int64_t{-123456789012345}}) {
    Currency back;
    EXPECT_TRUE(TryTextToCurrency(TransferText(Variant::FromCurrencyRaw(raw)), back)) << raw;
    EXPECT_EQ(back.raw, raw);
  }
}

}  // namespace
}  // namespace qx
