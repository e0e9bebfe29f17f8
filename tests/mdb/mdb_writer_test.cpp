// The writer's layout against Jet's own empty database, its rules for
// names, sizes and values, failure safety, and large tables.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "MdbReaders.h"
#include "dbengine/mdb/MdbHeader.h"
#include "dbengine/mdb/MdbWriter.h"
#include "platform/Exceptions.h"

namespace qx::mdbtest {
namespace {

using mdb::FieldSpec;
using mdb::kPageSize;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string FreshPath(const std::string& name) {
  std::string p = TempDir() + "/" + name;
  unlink(p.c_str());
  return p;
}

// Clears the bytes of a tdef page that readers ignore and Jet fills with
// leftovers: the var index of fixed columns, the fixed offset of variable
// ones, the flag byte of unused index key slots and index bytes 42-45.
void ClearIgnoredTdefBytes(uint8_t* p) {
  uint16_t cols = mdb::GetU16(p + 45);
  uint32_t real = mdb::GetU32(p + 51);
  size_t at = 63 + 12 * real;
  std::vector<size_t> colStarts;
  for (uint16_t i = 0; i < cols; ++i, at += 25) {
    if (p[at] <= mdb::kColDateTime)
      p[at + 7] = p[at + 8] = 0;
    else
      p[at + 21] = p[at + 22] = 0;
  }
  for (uint16_t i = 0; i < cols; ++i) at += 2 + mdb::GetU16(p + at);
  for (uint32_t r = 0; r < real; ++r, at += 52) {
    for (int slot = 0; slot < 10; ++slot)
      if (mdb::GetU16(p + at + 4 + 3 * slot) == 0xFFFF) p[at + 4 + 3 * slot + 2] = 0;
    std::memset(p + at + 42, 0, 4);
  }
}

TEST(MdbLayout, EmptyDatabaseMatchesJetsOwn) {
  std::string sample = std::string(QUILLEX_SHARED_DIR) + "/mdb-samples/jet4-adox-empty.mdb";
  if (!Exists(sample)) GTEST_SKIP() << "reference file not available: " << sample;
  std::string path = FreshPath("empty.mdb");
  mdb::MdbDatabase::Create(path)->Close();
  auto ours = ReadFile(path), jet = ReadFile(sample);
  ASSERT_EQ(ours.size(), jet.size());
  auto page = [](std::vector<uint8_t>& f, size_t n) { return f.data() + n * kPageSize; };
  // Global map, usage maps, index pages and permission rows: identical.
  for (size_t n : {1, 6, 7, 8, 9, 10, 11, 12, 13, 15})
    EXPECT_EQ(0, std::memcmp(page(ours, n), page(jet, n), kPageSize)) << "page " << n;
  // Table definitions: identical except for the bytes Jet leaves stale.
  for (size_t n : {2, 3, 4, 5}) {
    ClearIgnoredTdefBytes(page(ours, n));
    ClearIgnoredTdefBytes(page(jet, n));
    EXPECT_EQ(0, std::memcmp(page(ours, n), page(jet, n), kPageSize)) << "tdef page " << n;
  }
  // Catalog rows: identical but for the creation dates (row bytes 12..27).
  uint8_t* a = page(ours, 14);
  uint8_t* b = page(jet, 14);
  for (int r = 0; r < 8; ++r) {
    size_t start = mdb::GetU16(a + 14 + 2 * r) & 0x1FFF;
    std::memcpy(a + start + 12, b + start + 12, 16);
  }
  EXPECT_EQ(0, std::memcmp(a, b, kPageSize));
  // Header: same fields, our own date.
  mdb::HeaderInfo info;
  uint8_t version = 0;
  ASSERT_TRUE(mdb::ParseHeaderPage(page(ours, 0), info, version));
  EXPECT_EQ(version, 1);
  EXPECT_EQ(info.codePage, 1252);
  EXPECT_EQ(info.sortLcid, 0x0409);
  EXPECT_EQ(0, std::memcmp(page(ours, 0) + 0x98, page(jet, 0) + 0x98, kPageSize - 0x98));
}

TEST(MdbLayout, HeaderKeepsCodePageAndHasNoPassword) {
  std::string path = FreshPath("cp.mdb");
  mdb::CreateOptions options;
  options.codePage = 1251;
  mdb::MdbDatabase::Create(path, options)->Close();
  auto f = ReadFile(path);
  mdb::HeaderInfo info;
  uint8_t version = 0;
  ASSERT_TRUE(mdb::ParseHeaderPage(f.data(), info, version));
  EXPECT_EQ(info.codePage, 1251);
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(TablesWithMdbReader(path), std::vector<std::string>{});
}

struct NameCase {
  std::u16string name;
  bool valid;
};

TEST(MdbRules, FieldAndTableNames) {
  const std::vector<NameCase> cases = {
      {u"Customer", true},         {u"Unit Price", true},   {u"\"Unit Price\"", true},
      {u"Stra\u00dfe", true},      {std::u16string(64, u'n'), true},
      {u"", false},                {u" lead", false},       {u"a.b", false},
      {u"a!b", false},             {u"a`b", false},         {u"[a", false},
      {u"a]", false},              {u"tab\there", false},   {std::u16string(65, u'n'), false},
  };
  std::string path = FreshPath("names.mdb");
  auto db = mdb::MdbDatabase::Create(path);
  int n = 0;
  for (const auto& c : cases) {
    std::u16string table = u"T" + std::u16string(1, char16_t(u'a' + n++));
    auto make = [&] { db->CreateTable(table, {{c.name, mdb::kColLong, 0}}); };
    if (c.valid)
      EXPECT_NO_THROW(make());
    else
      EXPECT_THROW(make(), EEngineError);
  }
  // Same rules for table names, plus uniqueness without regard to case.
  EXPECT_THROW(db->CreateTable(u"a.b", {{u"x", mdb::kColLong, 0}}), EEngineError);
  EXPECT_THROW(db->CreateTable(u"TA", {{u"x", mdb::kColLong, 0}}), EEngineError);
  EXPECT_THROW(db->CreateTable(u"msysobjects", {{u"x", mdb::kColLong, 0}}), EEngineError);
  EXPECT_THROW(db->CreateTable(u"Dup", {{u"Name", mdb::kColLong, 0}, {u"NAME", mdb::kColText, 5}}), EEngineError);
}

TEST(MdbRules, FieldCountSizesAndTypes) {
  std::string path = FreshPath("limits.mdb");
  auto db = mdb::MdbDatabase::Create(path);
  std::vector<FieldSpec> many;
  for (int i = 0; i < 256; ++i) many.push_back({u"f" + std::u16string(1, char16_t(u'0' + i % 10)) +
                                                     std::u16string(1, char16_t(u'a' + i / 10)), mdb::kColLong, 0});
  EXPECT_THROW(db->CreateTable(u"TooMany", many), EEngineError);
  many.pop_back();
  EXPECT_NO_THROW(db->CreateTable(u"Widest", many));
  EXPECT_THROW(db->CreateTable(u"T1", {{u"t", mdb::kColText, 256}}), EEngineError);
  EXPECT_THROW(db->CreateTable(u"T2", {{u"t", mdb::kColText, 0}}), EEngineError);
  EXPECT_THROW(db->CreateTable(u"T3", {{u"b", mdb::kColBinary, 300}}), EEngineError);
  EXPECT_THROW(db->CreateTable(u"T4", {{u"c", mdb::kColCurrency, 0}}), EEngineError);
  db->Close();
  // 255 column entries and names take a definition of three pages.
  if (auto why = MdbToolsMissing(); why.empty()) {
    std::string schema = SchemaWithMdbTools(path, "Widest");
    size_t columns = 0;
    for (size_t at = schema.find("\t["); at != std::string::npos; at = schema.find("\t[", at + 1)) ++columns;
    EXPECT_EQ(columns, 255u);
  }
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(ReadWithMdbReader(path, "Widest").columns.size(), 255u);
}

TEST(MdbRules, ValuesTheFieldRefuses) {
  std::string path = FreshPath("values.mdb");
  auto db = mdb::MdbDatabase::Create(path);
  auto& t = db->CreateTable(u"V", {{u"n", mdb::kColLong, 0}, {u"t", mdb::kColText, 3}, {u"b", mdb::kColBinary, 2},
                                   {u"f", mdb::kColBoolean, 0}});
  EXPECT_THROW(t.AppendRow({Variant("12")}), EEngineError);            // the engine converts texts, not the file
  EXPECT_THROW(t.AppendRow({Variant(1), Variant("abcd")}), EEngineError);  // longer than Text(3)
  EXPECT_THROW(t.AppendRow({Variant(1), Variant("a"), Variant(ByteArray{1, 2, 3})}), EEngineError);
  EXPECT_EQ(t.RowCount(), 0u);
  // A Yes/No field cannot hold Null: Null stores No, without an error.
  t.AppendRow({Variant(1), Variant("abc"), Variant(ByteArray{1, 2}), Variant::Null()});
  t.AppendRow({Variant(2), Variant::Null(), Variant::Null(), Variant(true)});
  db->Close();
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  auto r = ReadWithMdbReader(path, "V");
  ASSERT_EQ(r.rows, 2);
  EXPECT_EQ((r.cells[{0, 3}]), "false");
  EXPECT_EQ((r.cells[{1, 3}]), "true");
}

TEST(MdbRules, RecordTooLargeIsRefusedAndMemosMoveOutOfTheRow) {
  std::string path = FreshPath("large.mdb");
  auto db = mdb::MdbDatabase::Create(path);
  std::vector<FieldSpec> fields;
  for (int i = 0; i < 20; ++i) fields.push_back({u"t" + std::u16string(1, char16_t(u'a' + i)), mdb::kColText, 255});
  for (int i = 0; i < 60; ++i)
    fields.push_back({u"m" + std::u16string(1, char16_t(u'a' + i % 26)) + std::u16string(1, char16_t(u'a' + i / 26)),
                      mdb::kColMemo, 0});
  auto& t = db->CreateTable(u"Wide", fields);
  std::vector<Variant> row;
  for (int i = 0; i < 20; ++i) row.push_back(Variant(std::u16string(200, u'\u0416')));  // 400 bytes each
  EXPECT_THROW(t.AppendRow(row), EEngineError);
  row.resize(7);  // 2800 bytes of text; 60 memos of 60 characters no longer fit inline
  row.resize(20, Variant::Null());
  for (int i = 0; i < 60; ++i) row.push_back(Variant(std::string(60, char('a' + i % 26))));
  t.AppendRow(row);
  db->Close();
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  auto r = ReadWithMdbReader(path, "Wide");
  ASSERT_EQ(r.rows, 1);
  EXPECT_EQ((r.cells[{0, 79}]), "\"" + std::string(60, char('a' + 59 % 26)) + "\"");
}

TEST(MdbSafety, FileGetsItsNameOnlyAtClose) {
  std::string path = FreshPath("safe.mdb");
  auto db = mdb::MdbDatabase::Create(path);
  db->CreateTable(u"T", {{u"n", mdb::kColLong, 0}}).AppendRow({Variant(1)});
  EXPECT_FALSE(Exists(path));
  db->Close();
  EXPECT_TRUE(Exists(path));
  // No temporary file is left beside it.
  int rc = 0;
  EXPECT_EQ(RunCommand("ls " + TempDir() + " | grep -c 'safe.mdb.qxtmp' || true", rc), "0\n");
}

TEST(MdbSafety, ExistingFileIsRefusedAndKept) {
  std::string path = FreshPath("taken.mdb");
  { std::ofstream(path) << "not a database"; }
  EXPECT_THROW(mdb::MdbDatabase::Create(path), EEngineError);
  EXPECT_EQ(ReadFile(path).size(), 14u);
}

TEST(MdbSafety, DestroyingAnOpenDatabaseKeepsTheRowsSaved) {
  std::string path = FreshPath("unwound.mdb");
  try {
    auto db = mdb::MdbDatabase::Create(path);
    auto& t = db->CreateTable(u"T", {{u"n", mdb::kColLong, 0}});
    for (int i = 0; i < 10; ++i) t.AppendRow({Variant(i)});
    throw std::runtime_error("the run ends by an error");
  } catch (const std::runtime_error&) {
  }
  ASSERT_TRUE(Exists(path));
  if (auto why = MdbToolsMissing(); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(CountWithMdbTools(path, "T"), 10);
}

TEST(MdbSafety, ACloseAfterAFileAppearedKeepsBoth) {
  std::string path = FreshPath("raced.mdb");
  auto db = mdb::MdbDatabase::Create(path);
  { std::ofstream(path) << "someone else's"; }
  EXPECT_THROW(db->Close(), EEngineError);
  EXPECT_EQ(ReadFile(path).size(), 14u);
}

// Enough rows for the table's pages to outgrow an inline usage map (512
// pages) and for memo pages of several kinds, in several tables at once.
TEST(MdbLarge, ManyRowsInSeveralTables) {
  std::string path = FreshPath("many.mdb");
  const int rows = 120000;
  {
    auto db = mdb::MdbDatabase::Create(path);
    auto& a = db->CreateTable(u"Orders", {{u"Id", mdb::kColLong, 0}, {u"Name", mdb::kColText, 40},
                                          {u"Amount", mdb::kColDouble, 0}, {u"Note", mdb::kColMemo, 0}});
    auto& b = db->CreateTable(u"Lines_2", {{u"Id", mdb::kColLong, 0}});
    // Rows of 3 bytes: a page is full at 255 rows, long before its space.
    auto& f = db->CreateTable(u"Flags", {{u"On", mdb::kColBoolean, 0}});
    for (int i = 0; i < 1000; ++i) f.AppendRow({Variant(i % 7 == 0)});
    for (int i = 0; i < rows; ++i) {
      a.AppendRow({Variant(i), Variant("customer " + std::to_string(i)), Variant(i * 0.25),
                   i % 1000 == 0 ? Variant(std::string(5000 + i / 1000, 'n')) : Variant::Null()});
      if (i % 2 == 0) b.AppendRow({Variant(i)});
    }
    db->Close();
  }
  if (auto why = MdbToolsMissing(); why.empty()) {
    EXPECT_EQ(TablesWithMdbTools(path), (std::vector<std::string>{"Orders", "Lines_2", "Flags"}));
    EXPECT_EQ(CountWithMdbTools(path, "Flags"), 1000);
    EXPECT_EQ(CountWithMdbTools(path, "Orders"), rows);
    EXPECT_EQ(CountWithMdbTools(path, "Lines_2"), rows / 2);
  }
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  auto flags = ReadWithMdbReader(path, "Flags");
  ASSERT_EQ(flags.rows, 1000);
  EXPECT_EQ((flags.cells[{999, 0}]), "false");
  EXPECT_EQ((flags.cells[{994, 0}]), "true");
  auto t = ReadWithMdbReader(path, "Orders");
  ASSERT_EQ(t.rows, rows);
  EXPECT_EQ((t.cells[{rows - 1, 1}]), "\"customer " + std::to_string(rows - 1) + "\"");
  EXPECT_EQ((t.cells[{119000, 3}]), "\"" + std::string(5119, 'n') + "\"");
}

}  // namespace
}  // namespace qx::mdbtest
