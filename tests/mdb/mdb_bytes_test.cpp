// Exact bytes of the encodings, against rows and keys taken from files
// Access and Jet wrote.
#include <gtest/gtest.h>

#include "dbengine/mdb/MdbLongValue.h"
#include "dbengine/mdb/MdbRow.h"
#include "dbengine/mdb/MdbText.h"

namespace qx::mdb {
namespace {

Bytes Hex(const std::string& s) {
  Bytes b;
  for (size_t i = 0; i + 1 < s.size();) {
    if (s[i] == ' ') { ++i; continue; }
    b.push_back(uint8_t(std::stoi(s.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return b;
}

StoredValue Fixed(const Bytes& b) { return StoredValue{false, false, b}; }

// A row of an Access-made table: Long 1, three dates, an inline memo and
// a text, both "Hello" (compressed).
TEST(MdbBytes, RowAsAccessWritesIt) {
  std::vector<ColumnDef> cols(6);
  const uint8_t types[6] = {kColLong, kColDateTime, kColDateTime, kColDateTime, kColMemo, kColText};
  uint16_t fixed = 0, var = 0;
  for (uint16_t i = 0; i < 6; ++i) {
    cols[i].type = types[i];
    cols[i].number = i;
    if (IsFixedType(types[i])) {
      cols[i].fixedOffset = fixed;
      fixed = uint16_t(fixed + FixedSize(types[i]));
    } else {
      cols[i].varIndex = var++;
    }
  }
  RowLayout layout(cols);
  Bytes date = Hex("00 00 00 00 80 BE E5 40");
  Bytes hello = EncodeText(u"Hello", true);
  std::vector<StoredValue> v = {Fixed(Hex("01 00 00 00")), Fixed(date), Fixed(date), Fixed(date),
                                Fixed(InlineLongValue(hello.data(), hello.size())), Fixed(hello)};
  EXPECT_EQ(layout.Encode(v), Hex("06 00 01 00 00 00"
                                  "00 00 00 00 80 BE E5 40 00 00 00 00 80 BE E5 40 00 00 00 00 80 BE E5 40"
                                  "07 00 00 80 00 00 00 00 00 00 00 00 FF FE 48 65 6C 6C 6F"
                                  "FF FE 48 65 6C 6C 6F"
                                  "38 00 31 00 1E 00 02 00 3F"));
}

TEST(MdbBytes, TextCompressionRule) {
  const std::vector<std::pair<std::u16string, std::string>> cases = {
      {u"ab", "61 00 62 00"},                              // two characters stay UCS-2
      {u"abc", "FF FE 61 62 63"},                          // Latin-1 of three or more: compressed
      {u"\u00e4\u00e4k", "FF FE E4 E4 6B"},
      {u"\u041c\u0438\u0440", "1C 04 38 04 40 04"},       // Cyrillic: UCS-2
      {std::u16string(1025, u'a'), ""},                    // longer than 1024: UCS-2
  };
  for (const auto& [text, hex] : cases) {
    Bytes want = hex.empty() ? Bytes() : Hex(hex);
    if (hex.empty())
      for (char16_t c : text) AddU16(want, uint16_t(c));
    EXPECT_EQ(EncodeText(text, true), want) << hex;
  }
  EXPECT_EQ(EncodeText(u"abc", false), Hex("61 00 62 00 63 00"));  // column without compression
}

// Catalog keys as Jet wrote them (ADOX-made database, an Access 2007 file).
TEST(MdbBytes, GeneralLegacyKeys) {
  Bytes key;
  ASSERT_TRUE(GeneralLegacyKey(u"MSysACEs", key));
  EXPECT_EQ(key, Hex("7F 60 6B 76 6B 4A 4D 51 6B 01 00"));
  ASSERT_TRUE(GeneralLegacyKey(u"f_B2_Data", key));
  EXPECT_EQ(key, Hex("7F 53 2B 03 4C 3A 2B 03 4F 4A 6D 4A 01 00"));
  ASSERT_TRUE(GeneralLegacyKey(u"MSysRelationships", key));
  EXPECT_EQ(key, Hex("7F 60 6B 76 6B 69 51 5E 4A 6D 59 64 62 6B 57 59 66 6B 01 00"));
  ASSERT_TRUE(GeneralLegacyKey(u"Sheet 09", key));  // blank and digits by the published codes
  EXPECT_EQ(key, Hex("7F 6B 57 51 51 6D 07 36 48 01 00"));
  EXPECT_FALSE(GeneralLegacyKey(u"a-b", key));
  EXPECT_FALSE(GeneralLegacyKey(u"\u00e4", key));
}

}  // namespace
}  // namespace qx::mdb
