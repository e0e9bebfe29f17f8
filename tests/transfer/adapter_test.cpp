// The ADT adapter: target field types and sizes of every ADT type code, and
// what it reads from the reader's header and descriptors.
#include <gtest/gtest.h>

#include <string>

#include "support/AdtFixture.h"
#include "support/TempDir.h"
#include "transfer/Cell2ADT.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;

struct TypeCase {
  int code;
  int length;
  int type;
  int size;
};

TEST(AdtAdapter, TypeTable) {
  const TypeCase cases[] = {
      {1, 1, 1, 1},      // Logical
      {2, 10, 7, 10},    // Numeric
      {10, 8, 7, 8},     // Double
      {17, 8, 7, 8},     // Currency
      {18, 8, 7, 8},     // Money
      {3, 4, 8, 4},      // Date
      {9, 8, 8, 8},      // CompactDate
      {13, 4, 8, 4},     // Time
      {14, 8, 8, 8},     // TimeStamp
      {22, 8, 8, 8},     // ModTime
      {11, 4, 4, 4},     // Integer
      {12, 2, 4, 2},     // ShortInt
      {15, 4, 4, 4},     // AutoInc: a plain long integer
      {19, 8, 4, 8},     // LongLong
      {21, 8, 4, 8},     // RowVersion
      {5, 9, 12, 0},     // Memo
      {6, 9, 12, 0},     // Binary
      {7, 9, 12, 0},     // Image
      {8, 9, 12, 0},     // VarChar, whatever its length
      {8, 100, 12, 0},
      {28, 9, 12, 0},    // NMemo
      {4, 254, 10, 254}, // String: text up to 254 characters
      {4, 255, 12, 0},   // ... a memo from 255 on
      {4, 1, 10, 1},
      {0, 20, 10, 20},   // Unknow
      {16, 300, 12, 0},  // RAW
      {20, 30, 10, 30},  // CIString
      {23, 5, 10, 5},
      {24, 5, 10, 5},
      {25, 5, 10, 5},
      {26, 40, 10, 40},  // NChar: stored length
      {27, 254, 10, 254},// NVarChar
      {27, 255, 12, 0},
      {29, 10, 10, 10},  // codes above 28
      {255, 400, 12, 0},
  };
  for (const auto& c : cases) {
    int32_t size = -1, type = -1;
    AdtFieldToTarget(static_cast<uint8_t>(c.code), c.length, size, type);
    EXPECT_EQ(type, c.type) << "code " << c.code << " length " << c.length;
    EXPECT_EQ(size, c.size) << "code " << c.code << " length " << c.length;
  }
}

// Through the reader: names (a 128-byte name without NUL included), types,
// counts, and nothing set for an index past the fields.
TEST(AdtAdapter, ColumnsFromTheParsedTable) {
  test::TempDir dir;
  AdtTableWriter w;
  const std::string longName(128, 'N');
  w.AddField("Unit.Price", adt::atMoney, 8);
  w.AddField(longName, adt::atString, 255);
  w.AddField("ID", adt::atAutoInc, 4);
  w.AddRecord();
  w.AddRecord();
  w.AddRecord();
  w.WriteFiles(dir.File("a.adt"));

  TCell2ADT engine;
  engine.Reader->FileName = dir.File("a.adt");
  FileStream stream(dir.File("a.adt"));
  engine.Reader->ParseStream(stream);

  EXPECT_EQ(engine.GetColumnCount(), 3);
  EXPECT_EQ(engine.GetRecordCount(), 3);
  EXPECT_EQ(engine.GetStream(), &stream);
  EXPECT_EQ(engine.GetColumnName(0), "Unit.Price");
  EXPECT_EQ(engine.GetColumnName(1), longName);
  EXPECT_EQ(engine.GetColumnName(3), "");
  EXPECT_EQ(engine.GetColumnName(-1), "");

  std::string name;
  int32_t size = 0, type = 0;
  engine.GetColumnDef(0, name, size, type);
  EXPECT_EQ(name, "Unit.Price");  // cleaned only when the field is made
  EXPECT_EQ(type, 7);
  EXPECT_EQ(size, 8);
  engine.GetColumnDef(1, name, size, type);
  EXPECT_EQ(type, 12);
  EXPECT_EQ(size, 0);
  engine.GetColumnDef(2, name, size, type);
  EXPECT_EQ(name, "ID");
  EXPECT_EQ(type, 4);
  name = "unchanged", size = -7, type = -7;
  engine.GetColumnDef(3, name, size, type);
  EXPECT_EQ(name, "unchanged");
  EXPECT_EQ(size, -7);
  EXPECT_EQ(type, -7);
}

TEST(AdtAdapter, PasswordGoesToTheReader) {
  TCell2ADT engine;
  engine.SetPassword("Tiger7");
  EXPECT_EQ(engine.AdtReader().Password, "Tiger7");
  EXPECT_EQ(engine.GetPassword(), "Tiger7");
  EXPECT_TRUE(engine.Reader->ReadOnDemand);
}

TEST(TargetNames, CleanFieldName) {
  const std::pair<const char*, const char*> cases[] = {
      {"NAME", "NAME"},
      {"Unit.Price", "\"Unit Price\""},
      {"[Total]", "Total"},
      {"{a}", "a"},
      {"a!b", "\"a b\""},
      {" x\t", "x"},
      {"Order No", "\"Order No\""},
      {"[.] ", ""},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CleanFieldName(in), out) << in;
}

}  // namespace
}  // namespace qx
