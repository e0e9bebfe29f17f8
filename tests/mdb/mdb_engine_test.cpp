// The .mdb backend behind the engine's object model: the calls the
// transfer makes, with texts converted by the engine, read back by both
// readers; the same values stored in an SQLite target for comparison.
#include <gtest/gtest.h>
#include <unistd.h>

#include "MdbReaders.h"
#include "dbengine/Dao.h"
#include "dbengine/Engine.h"
#include "platform/Exceptions.h"

namespace qx::mdbtest {
namespace {

using namespace qx::dao;

void Fill(Database& db) {
  auto def = db.CreateTableDef("Orders", 0, "", "");
  def->GetFields().Append(def->CreateField("Id", dbLong, 0));
  def->GetFields().Append(def->CreateField("Paid", dbBoolean, 0));
  def->GetFields().Append(def->CreateField("Amount", dbDouble, 0));
  def->GetFields().Append(def->CreateField("Name", dbText, 20));
  def->GetFields().Append(def->CreateField("Note", dbMemo, 0));
  db.GetTableDefs().Append(def);
  auto rs = db.OpenRecordset("Orders", dbOpenTable, 0, dbPessimistic);
  const std::vector<std::vector<std::string>> rows = {
      {"1", "True", "12.5", "Smith", "first order"},
      {"2", "", "", "", ""},
      {"3", "No", "0.1", "M\xfcller", std::string(3000, 'z')},
  };
  for (const auto& r : rows) {
    rs->AddNew();
    for (int i = 0; i < int(r.size()); ++i)
      rs->GetFields().Item(i)->SetValue(r[i].empty() ? Variant::Null() : Variant(r[i]));
    rs->Update(dbUpdateRegular, false);
  }
  rs->Close();
  db.Close();
}

TEST(MdbEngine, TransferCallsWriteAnAccessDatabase) {
  std::string path = TempDir() + "/engine.mdb";
  unlink(path.c_str());
  auto engine = CreateBuiltinEngine();
  Fill(*engine->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 0));
  auto reopened = CreateBuiltinEngine();
  EXPECT_THROW(reopened->OpenDatabase(path), EEngineError);  // opening .mdb files comes later
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  ReaderTable t = ReadWithMdbReader(path, "Orders");
  ASSERT_EQ(t.rows, 3);
  EXPECT_EQ(t.columns[3].type, "text");
  EXPECT_EQ(t.columns[3].size, 40);
  const std::vector<std::vector<std::string>> want = {
      {"1", "true", "12.5", "\"Smith\"", "\"first order\""},
      {"2", "false", "null", "null", "null"},
      {"3", "false", "0.1", "\"M\xc3\xbcller\"", "\"" + std::string(3000, 'z') + "\""},
  };
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ((t.cells[{r, c}]), want[r][c]) << r << "," << c;
}

TEST(MdbEngine, NamesAccessRefusesEndTheTableDefinition) {
  std::string path = TempDir() + "/names-engine.mdb";
  unlink(path.c_str());
  auto db = CreateBuiltinEngine()->CreateDatabase(path, "", 0);
  auto def = db->CreateTableDef("T", 0, "", "");
  def->GetFields().Append(def->CreateField("Unit.Price", dbLong, 0));
  EXPECT_THROW(db->GetTableDefs().Append(def), EEngineError);
  EXPECT_EQ(db->GetTableDefs().Count(), 0);
  db->Close();
}

}  // namespace
}  // namespace qx::mdbtest
