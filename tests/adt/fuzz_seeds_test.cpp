// Writes the seed corpus of the ADT fuzz target (fuzz/corpus/fuzz_adt).
// Disabled: run it by hand when the seeds need to change:
//   test_adt --gtest_also_run_disabled_tests --gtest_filter='*WriteFuzzSeeds*'
// Seed layout (see fuzz/fuzz_adt.cpp): options byte, LE32 table size, table, memo.
#include <gtest/gtest.h>

#include <filesystem>

#include "AdtTestUtil.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using fixture::Bytes;
using namespace adt;

Bytes Seed(uint8_t options, const Bytes& table, const Bytes& memo) {
  Bytes out{options};
  Bytes size = AdtBytes::Int32(static_cast<int32_t>(table.size()));
  out.insert(out.end(), size.begin(), size.end());
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), memo.begin(), memo.end());
  return out;
}

AdtTableWriter EveryType() {
  AdtTableWriter w;
  const uint8_t codes[] = {atLogical, atNumeric, atDate,  atString, atMemo,     atBinary,   atImage,
                           atVarChar, atCompactDate, atDouble, atInteger, atShortInt, atTime, atTimeStamp,
                           atAutoInc, atRaw,   atCurDouble, atMoney, atLongLong, atCIString, atRowVersion,
                           atModTime, atNChar, atNVarChar,  atNMemo};
  for (uint8_t c : codes) {
    uint16_t len = c == atLogical ? 1 : c == atShortInt ? 2 : (c == atDate || c == atInteger || c == atTime || c == atAutoInc) ? 4 : c == atNumeric || c == atString || c == atCIString || c == atNChar || c == atNVarChar ? 10 : IsMemoReference(c) ? 9 : 8;
    w.AddField(kAdtTypeNames[c], c, len, c == atNumeric ? 2 : 0);
  }
  for (int i = 0; i < 3; ++i) {
    auto& r = w.AddRecord();
    r.Set("Logical", AdtBytes::Logical(i != 1))
        .Set("Numeric", AdtBytes::Numeric(std::to_string(i * 3) + ".25", 10))
        .Set("Date", AdtBytes::Date(2020, 2, 29))
        .Set("String", AdtBytes::Text("text", 10))
        .Memo(w.FieldIndex("Memo"), "memo text")
        .Memo(w.FieldIndex("Binary"), std::string("\x00\x01\x02", 3))
        .Set("CompactDate", AdtBytes::Text("20240229", 8))
        .Set("Double", AdtBytes::Double(1.5))
        .Set("Integer", AdtBytes::Int32(-7))
        .Set("ShortInt", AdtBytes::Int16(12))
        .Set("Time", AdtBytes::Time(43200000))
        .Set("TimeStamp", AdtBytes::TimeStamp(2451545, 1000))
        .Set("Money", AdtBytes::Money(12345))
        .Set("NChar", AdtBytes::Wide(u"ab", 10))
        .Memo(w.FieldIndex("NMemo"), std::string("h\0i\0", 4));
  }
  w.DeleteRecord(1);
  return w;
}

TEST(FuzzSeeds, DISABLED_WriteFuzzSeeds) {
  std::string dir = std::string(QUILLEX_SOURCE_DIR) + "/fuzz/corpus/fuzz_adt";
  std::filesystem::create_directories(dir);
  AdtTableWriter all = EveryType();
  fixture::WriteFileBytes(dir + "/every_type_on_demand", Seed(0x03, all.TableBytes(), all.MemoBytes()));
  fixture::WriteFileBytes(dir + "/every_type_full_load", Seed(0x06, all.TableBytes(), all.MemoBytes()));
  AdtTableWriter locked = EveryType();
  locked.SetPassword("pw");
  fixture::WriteFileBytes(dir + "/password", Seed(0x0B, locked.TableBytes(), locked.MemoBytes()));
  AdtTableWriter small;
  int id = small.AddField("ID", atInteger, 4);
  small.AddRecord().Set(id, AdtBytes::Int32(1));
  small.AddRecord().Set(id, AdtBytes::Hex("00 00 00 80"));
  Bytes cut = small.TableBytes();
  cut.resize(cut.size() - 2);
  fixture::WriteFileBytes(dir + "/truncated", Seed(0x01, cut, {}));
  fixture::WriteFileBytes(dir + "/empty_table", Seed(0x00, AdtTableWriter().TableBytes(), {}));
}

}  // namespace
}  // namespace qx
