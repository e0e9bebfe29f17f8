// quillex run on fixture tables into SQLite files, checked through SQLite.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "adt/AdtFormat.h"
#include "e2e/E2eUtil.h"
#include "platform/CodePage.h"
#include "support/AdtFixture.h"

namespace qx::e2e {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using test::TempDir;
using Strings = std::vector<std::string>;

std::string Utf16Bytes(std::u16string_view s) {
  std::string b;
  for (char16_t c : s) {
    b.push_back(static_cast<char>(c & 0xFF));
    b.push_back(static_cast<char>(c >> 8));
  }
  return b;
}

// One field of every ADT type code the adapter maps, a record with values
// and a record left all zero.
TEST(Conversion, EveryTypeCode) {
  TempDir dir;
  AdtTableWriter w;
  using namespace adt;
  std::string allBytes;
  for (int b = 0; b < 256; ++b) allBytes.push_back(static_cast<char>(b));
  auto& r = w.AddRecord();
  w.AddRecord();  // all bytes zero
  struct F {
    const char* name;
    uint8_t type;
    uint16_t length;
    uint32_t decimals;
  };
  const F fields[] = {
      {"L", atLogical, 1, 0},     {"N", atNumeric, 10, 2},   {"D", atDate, 4, 0},       {"S", atString, 10, 0},
      {"M", atMemo, 9, 0},        {"B", atBinary, 9, 0},     {"I", atImage, 9, 0},      {"V", atVarChar, 9, 0},
      {"CD", atCompactDate, 8, 0}, {"DB", atDouble, 8, 2},   {"IN", atInteger, 4, 0},   {"SI", atShortInt, 2, 0},
      {"T", atTime, 4, 0},        {"TS", atTimeStamp, 8, 0}, {"AI", atAutoInc, 4, 0},   {"RW", atRaw, 4, 0},
      {"CU", atCurDouble, 8, 4},  {"MO", atMoney, 8, 4},     {"LL", atLongLong, 8, 0},  {"CI", atCIString, 10, 0},
      {"RV", atRowVersion, 8, 0}, {"MT", atModTime, 8, 0},   {"T23", 23, 4, 0},         {"NC", atNChar, 10, 0},
      {"NV", atNVarChar, 10, 0},  {"NM", atNMemo, 9, 0},     {"LONG", atString, 300, 0},
  };
  for (const auto& f : fields) w.AddField(f.name, f.type, f.length, f.decimals);
  const int32_t may21 = AdtBytes::JulianDay(2023, 5, 21);
  const int32_t ms = ((12 * 60 + 34) * 60 + 56) * 1000 + 789;
  r.Set("L", AdtBytes::Logical(true))
      .Set("N", AdtBytes::Numeric("-123.45", 10))
      .Set("D", AdtBytes::Date(2023, 5, 21))
      .Set("S", AdtBytes::Text("Ann", 10))
      .Memo(w.FieldIndex("M"), "memo line 1\r\nline 2")
      .Memo(w.FieldIndex("B"), allBytes)
      .Memo(w.FieldIndex("I"), std::string("\x89PNG\0\x01", 6))
      .Memo(w.FieldIndex("V"), "varchar text")
      .Set("CD", AdtBytes::Text("20230521", 8))
      .Set("DB", AdtBytes::Double(2.5))
      .Set("IN", AdtBytes::Int32(-7))
      .Set("SI", AdtBytes::Int16(300))
      .Set("T", AdtBytes::Time(ms))
      .Set("TS", AdtBytes::TimeStamp(may21, ms))
      .Set("AI", AdtBytes::Int32(42))
      .Set("RW", AdtBytes::Text("raw", 4))
      .Set("CU", AdtBytes::Double(12.5))
      .Set("MO", AdtBytes::Money(1234567))
      .Set("LL", AdtBytes::Int64(99))
      .Set("CI", AdtBytes::Text("Bob", 10))
      .Set("RV", AdtBytes::Int64(5))
      .Set("MT", AdtBytes::TimeStamp(may21, 0))
      .Set("T23", AdtBytes::Text("x23", 4))
      .Set("NC", AdtBytes::Wide(u"Zo\u00eb", 10))
      .Set("NV", AdtBytes::Wide(u"abc", 10))
      .Memo(w.FieldIndex("NM"), Utf16Bytes(u"wide \u00e9"))
      .Set("LONG", AdtBytes::Text(std::string(300, 'x'), 300));
  w.WriteFiles(dir.File("all.adt"));

  auto res = Quillex({dir.File("all.adt"), dir.File("t.db")});
  ASSERT_EQ(res.exitCode, 0) << res.out << res.err;
  EXPECT_EQ(res.out, "");
  EXPECT_EQ(Schema(dir.File("t.db"), "all"),
            (Strings{"L BOOLEAN",     "N DOUBLE",      "D DATETIME",   "S VARCHAR(10)", "M TEXT",       "B TEXT",
                     "I TEXT",        "V TEXT",        "CD DATETIME",  "DB DOUBLE",     "IN INTEGER",   "SI INTEGER",
                     "T DATETIME",    "TS DATETIME",   "AI INTEGER",   "RW VARCHAR(4)", "CU DOUBLE",    "MO DOUBLE",
                     "LL INTEGER",    "CI VARCHAR(10)", "RV INTEGER",  "MT DATETIME",   "T23 VARCHAR(4)", "NC VARCHAR(10)",
                     "NV VARCHAR(10)", "NM TEXT",      "LONG TEXT"}));
  Rows rows = Query(dir.File("t.db"), "SELECT * FROM \"all\" ORDER BY rowid", true);
  ASSERT_EQ(rows.size(), 2u);
  const Strings expected = {"integer:1",
                            "real:-123.45",
                            "text:2023-05-21 00:00:00",
                            "text:Ann",
                            "text:memo line 1\r\nline 2",
                            "text:" + AnsiToUtf8(allBytes),
                            "text:" + AnsiToUtf8(std::string("\x89PNG\0\x01", 6)),
                            "text:varchar text",
                            "text:2023-05-21 00:00:00",
                            "real:2.5",
                            "integer:-7",
                            "integer:300",
                            "text:1899-12-30 12:34:56.789",
                            "text:2023-05-21 12:34:56.789",
                            "integer:42",
                            "text:raw",
                            "real:12.5",
                            "real:123.4567",
                            "null",  // LongLong values are not decoded
                            "text:Bob",
                            "null",  // nor RowVersion
                            "text:2023-05-21 00:00:00",
                            "text:x23",
                            "text:Zo\xc3\xab",
                            "text:abc",
                            "text:wide \xc3\xa9",
                            "text:" + std::string(300, 'x')};
  ASSERT_EQ(rows[0].size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(rows[0][i], expected[i]) << fields[i].name;
  // The record of zero bytes: Null where zeros mean Null, zero amounts
  // where they are numbers.
  const Strings zeros = {"null",      "real:0.0", "null", "null", "null", "null",     "null",      "null",      "null",
                         "real:0.0",  "integer:0", "integer:0", "null", "null", "integer:0", "null",  "real:0.0", "real:0.0",
                         "null",      "null",     "null", "null", "null", "null",     "null",      "null",      "null"};
  ASSERT_EQ(rows[1].size(), zeros.size());
  for (size_t i = 0; i < zeros.size(); ++i) EXPECT_EQ(rows[1][i], zeros[i]) << fields[i].name;
}

// Six records, the second and the fourth deleted.
void WriteSixWithDeleted(const std::string& path) {
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  int name = w.AddField("Name", adt::atString, 8);
  int city = w.AddField("CITY", adt::atString, 8);
  int note = w.AddField("NOTE", adt::atMemo, 9);
  for (int i = 1; i <= 6; ++i) {
    auto& r = w.AddRecord()
                  .Set(id, AdtBytes::Int32(i))
                  .Set(name, AdtBytes::Text(Numbered("n", i), 8))
                  .Set(city, AdtBytes::Text(Numbered("c", i), 8));
    if (i % 2 == 1) r.Memo(note, Numbered("note ", i));
  }
  w.DeleteRecord(1);
  w.DeleteRecord(3);
  w.WriteFiles(path);
}

TEST(Conversion, DeletedRecordsAndWindows) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  const struct {
    Strings switches;
    Strings ids;
  } cases[] = {
      {{}, {"1", "3", "5", "6"}},
      {{"/first=0"}, {"1", "3", "5", "6"}},
      {{"/last=0"}, {}},
      {{"/FIRST=2", "/LAST=4"}, {"3"}},
      {{"/first=4", "/last=6"}, {"5", "6"}},
      {{"/first=3", "/last=3"}, {"3"}},
      {{"/first=2", "/last=2"}, {}},
      {{"/first=7"}, {}},
      {{"/first=-5", "/last=$2"}, {"1"}},
      {{"/last=5", "/first=5"}, {"5"}},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string target = dir.File(Numbered("w", n++) + ".db");
    Strings args{dir.File("six.adt"), target};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    auto res = Quillex(args);
    ASSERT_EQ(res.exitCode, 0) << res.out;
    EXPECT_EQ(Column(target, "SELECT ID FROM six ORDER BY rowid"), c.ids) << testing::PrintToString(c.switches);
  }
  // The memo contents arrive with their records.
  EXPECT_EQ(Column(dir.File("w0.db"), "SELECT NOTE FROM six ORDER BY rowid"),
            (Strings{"note 1", "note 3", "note 5", "NULL"}));
}

TEST(Conversion, FieldLists) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  const struct {
    const char* fields;
    Strings schema;
  } cases[] = {
      {"/fields=name;ID", {"ID INTEGER", "Name VARCHAR(8)"}},  // source order, any case
      {"/FIELDS=NAME;NoSuch;city", {"Name VARCHAR(8)", "CITY VARCHAR(8)"}},
      {"/fields=name; id", {"Name VARCHAR(8)"}},  // " id" matches no field
      {"/fields=name ;id", {"ID INTEGER"}},
      {"/fields=", {"ID INTEGER", "Name VARCHAR(8)", "CITY VARCHAR(8)", "NOTE TEXT"}},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string target = dir.File(Numbered("f", n++) + ".db");
    auto res = Quillex({dir.File("six.adt"), target, c.fields});
    ASSERT_EQ(res.exitCode, 0) << c.fields << res.out;
    EXPECT_EQ(Schema(target, "six"), c.schema) << c.fields;
    EXPECT_EQ(Column(target, "SELECT count(*) FROM six"), Strings{"4"}) << c.fields;
  }
  EXPECT_EQ(Query(dir.File("f0.db"), "SELECT * FROM six ORDER BY rowid"),
            (Rows{{"1", "n1"}, {"3", "n3"}, {"5", "n5"}, {"6", "n6"}}));
}

TEST(Conversion, AppendAndCopyModes) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  const std::string db = dir.File("m.db");
  Exec(db, "CREATE TABLE keep (X INTEGER); INSERT INTO keep VALUES (7);"
           "CREATE TABLE Orders (OLD TEXT); INSERT INTO Orders VALUES ('old');");
  auto count = [&] { return Column(db, "SELECT count(*) FROM six")[0]; };
  ASSERT_EQ(Quillex({dir.File("six.adt"), db}).exitCode, 0);
  EXPECT_EQ(count(), "4");
  ASSERT_EQ(Quillex({dir.File("six.adt"), db, "/mode=append"}).exitCode, 0);
  EXPECT_EQ(count(), "8");
  ASSERT_EQ(Quillex({dir.File("six.adt"), db, "/mode=Copy"}).exitCode, 0);
  EXPECT_EQ(count(), "4");
  // Copy mode replaces a table of another layout, found without regard to
  // letter case, and leaves every other table alone.
  ASSERT_EQ(Quillex({dir.File("six.adt"), db, "orders", "/MODE=COPY", "/fields=id"}).exitCode, 0);
  EXPECT_EQ(Schema(db, "orders"), Strings{"ID INTEGER"});
  EXPECT_EQ(Column(db, "SELECT ID FROM orders"), (Strings{"1", "3", "5", "6"}));
  EXPECT_EQ(Column(db, "SELECT X FROM keep"), Strings{"7"});
}

// Append mode addresses fields by position: a value that its field cannot
// take becomes Null, and the run says so on standard error.
TEST(Conversion, AppendIntoTableOfOtherOrderAndTypes) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  const std::string db = dir.File("a.db");
  Exec(db, "CREATE TABLE six (CITY VARCHAR(2), ID INTEGER, NOTE DOUBLE, EXTRA TEXT)");
  auto res = Quillex({dir.File("six.adt"), db, "/fields=id;name"});
  ASSERT_EQ(res.exitCode, 0) << res.out;
  EXPECT_EQ(res.out, "");
  EXPECT_EQ(Query(db, "SELECT * FROM six ORDER BY rowid", true),
            (Rows{{"text:1", "null", "null", "null"},
                  {"text:3", "null", "null", "null"},
                  {"text:5", "null", "null", "null"},
                  {"text:6", "null", "null", "null"}}));
  EXPECT_NE(res.err.find("4 values refused by the target were stored as Null, in field Name (4); the first in source record 1"),
            std::string::npos)
      << res.err;
}

// A row the target refuses to save (a duplicate key) is skipped; the
// following rows are still written, and the run says so.
TEST(Conversion, RowRefusedBySaveIsSkipped) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  const std::string db = dir.File("k.db");
  Exec(db, "CREATE TABLE six (ID INTEGER PRIMARY KEY, Name TEXT); INSERT INTO six VALUES (3, 'before');");
  auto res = Quillex({dir.File("six.adt"), db, "/fields=id;name"});
  ASSERT_EQ(res.exitCode, 0) << res.out;
  EXPECT_EQ(Query(db, "SELECT ID, Name FROM six ORDER BY ID"),
            (Rows{{"1", "n1"}, {"3", "before"}, {"5", "n5"}, {"6", "n6"}}));
  EXPECT_NE(res.err.find("1 row refused by the target was skipped; the first is source record 3"), std::string::npos)
      << res.err;
}

// A target file that is no database is never replaced.
TEST(Conversion, TargetThatIsNoDatabaseStaysUntouched) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  test::WriteFileBytes(dir.File("notes.txt"), "my notes, not a database\n");
  auto res = Quillex({dir.File("six.adt"), dir.File("notes.txt")});
  EXPECT_EQ(res.exitCode, 1);
  EXPECT_EQ(res.out.rfind("Exception ", 0), 0u) << res.out;
  EXPECT_EQ(test::ReadFileBytes(dir.File("notes.txt")), "my notes, not a database\n");
}

TEST(Conversion, ProtectedTable) {
  TempDir dir;
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  w.AddRecord().Set(id, AdtBytes::Int32(11));
  w.SetPassword("Tiger7");
  w.WriteFiles(dir.File("p.adt"));

  auto ok = Quillex({dir.File("p.adt"), dir.File("ok.db"), "/PASS=Tiger7"});
  ASSERT_EQ(ok.exitCode, 0) << ok.out;
  EXPECT_EQ(Column(dir.File("ok.db"), "SELECT ID FROM p"), Strings{"11"});

  // A wrong password: the report, exit code 1, no target made...
  auto bad = Quillex({dir.File("p.adt"), dir.File("new.db"), "/pass=tiger7"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(ReportOf(bad),
            "Exception EKelCryptException in module quillex\n"
            "This file is encrypted but valid password is not specified.\n");
  EXPECT_FALSE(std::ifstream(dir.File("new.db")).good());
  // ... and an existing target unchanged to the byte.
  const std::string before = test::ReadFileBytes(dir.File("ok.db"));
  auto none = Quillex({dir.File("p.adt"), dir.File("ok.db"), "/mode=copy"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(test::ReadFileBytes(dir.File("ok.db")), before);
}

TEST(Conversion, MissingSource) {
  TempDir dir;
  auto res = Quillex({dir.File("nosuch.adt"), dir.File("t.db")});
  EXPECT_EQ(res.exitCode, 0);
  EXPECT_EQ(res.out, "Source file not found.\n");
  EXPECT_FALSE(std::ifstream(dir.File("t.db")).good());
}

TEST(Conversion, EmptyTable) {
  TempDir dir;
  AdtTableWriter w;
  w.AddField("ID", adt::atInteger, 4);
  w.AddField("NAME", adt::atString, 5);
  w.WriteFiles(dir.File("e.adt"));
  auto res = Quillex({dir.File("e.adt"), dir.File("t.db"), "Empty"});
  ASSERT_EQ(res.exitCode, 0) << res.out;
  EXPECT_EQ(Schema(dir.File("t.db"), "Empty"), (Strings{"ID INTEGER", "NAME VARCHAR(5)"}));
  EXPECT_EQ(Column(dir.File("t.db"), "SELECT count(*) FROM Empty"), Strings{"0"});
}

// A field name the target refuses ends the run with the engine's message.
TEST(Conversion, NoFieldSelected) {
  TempDir dir;
  WriteSixWithDeleted(dir.File("six.adt"));
  auto res = Quillex({dir.File("six.adt"), dir.File("t.db"), "/fields=nosuch"});
  EXPECT_EQ(res.exitCode, 1);
  EXPECT_EQ(res.out.rfind("Exception ", 0), 0u) << res.out;
}

}  // namespace
}  // namespace qx::e2e
