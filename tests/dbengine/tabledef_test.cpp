// Table definitions: listing, creating, deleting; field types in both
// directions; names that need quoting.
#include <gtest/gtest.h>

#include "EngineTestUtil.h"
#include "dbengine/Engine.h"
#include "dbengine/SqliteBackend.h"
#include "platform/CodePage.h"

namespace qx::dao {
namespace {

using test::ExecSql;
using test::SqliteReader;
using test::TempDir;

std::vector<std::string> TableNames(Database& db) {
  std::vector<std::string> names;
  auto& defs = db.GetTableDefs();
  for (int i = 0; i < defs.Count(); ++i) names.push_back(defs.Item(i)->Name());
  return names;
}

TEST(TableDefs, EveryFieldTypeMapsToItsColumnTypeAndReadsBackTheSame) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(dir.File("t.db"), "", 0);
  const std::vector<test::FieldDef> fields = {
      {"flag", dbBoolean, 0},  {"n", dbLong, 0},        {"x", dbDouble, 0},         {"at", dbDate, 0},
      {"bin", dbBinary, 16},   {"name", dbText, 50},    {"ole", dbLongBinary, 0},   {"notes", dbMemo, 0},
      {"vb", dbVarBinary, 200}, {"dflt", dbText, 0},
  };
  test::CreateTable(*db, "All Types", fields);
  db->Close();

  auto info = SqliteReader(dir.File("t.db")).Query("SELECT name, type FROM pragma_table_info('All Types')");
  const std::vector<std::vector<std::string>> expected = {
      {"flag", "BOOLEAN"},   {"n", "INTEGER"},       {"x", "DOUBLE"},      {"at", "DATETIME"},
      {"bin", "BINARY(16)"}, {"name", "VARCHAR(50)"}, {"ole", "LONGBINARY"}, {"notes", "TEXT"},
      {"vb", "VARBINARY(200)"}, {"dflt", "VARCHAR(255)"},
  };
  EXPECT_EQ(info, expected);

  db = engine->OpenDatabase(dir.File("t.db"));
  auto def = db->GetTableDefs().Item(0);
  ASSERT_EQ(def->GetFields().Count(), static_cast<int>(fields.size()));
  const int sizes[] = {1, 4, 8, 8, 16, 50, 0, 0, 200, 255};
  for (int i = 0; i < def->GetFields().Count(); ++i) {
    auto f = def->GetFields().Item(i);
    SCOPED_TRACE(f->Name());
    EXPECT_EQ(f->Name(), fields[static_cast<size_t>(i)].name);
    EXPECT_EQ(f->Type(), fields[static_cast<size_t>(i)].type);
    EXPECT_EQ(f->Size(), sizes[i]);
  }
  // The recordset reports the same types (the transfer reads them there).
  auto rs = db->OpenRecordset("all types", dbOpenTable, 0, dbPessimistic);
  for (int i = 0; i < rs->GetFields().Count(); ++i)
    EXPECT_EQ(rs->GetFields().Item(i)->Type(), fields[static_cast<size_t>(i)].type);
}

TEST(TableDefs, TablesOfOtherToolsGetTypesByAffinity) {
  struct Case {
    const char* declared;
    int type;
  };
  const Case cases[] = {
      {"INT", dbLong},          {"BIGINT", dbLong},       {"integer", dbLong},
      {"REAL", dbDouble},       {"FLOAT", dbDouble},      {"DOUBLE PRECISION", dbDouble},
      {"NUMERIC", dbDouble},    {"DECIMAL(10,2)", dbDouble},
      {"TEXT", dbMemo},         {"CHARACTER(20)", dbMemo}, {"NVARCHAR(100)", dbMemo}, {"CLOB", dbMemo},
      {"BLOB", dbLongBinary},   {"", dbLongBinary},
      {"BOOL", dbBoolean},      {"boolean", dbBoolean},
      {"DATE", dbDate},         {"TIMESTAMP", dbDate},    {"TIME", dbDate},
      {"VARCHAR(30)", dbText},  {"varbinary(8)", dbVarBinary},
  };
  for (const Case& c : cases) {
    int type = -1, size = -1;
    SqliteFieldTypeOf(c.declared, type, size);
    EXPECT_EQ(type, c.type) << c.declared;
  }
  // And through the engine, on a real file made by "another tool".
  TempDir dir;
  ExecSql(dir.File("other.db"), "CREATE TABLE people (id INTEGER PRIMARY KEY, born DATE, score REAL, photo BLOB, note)");
  auto db = CreateBuiltinEngine()->OpenDatabase(dir.File("other.db"));
  auto rs = db->OpenRecordset("People", dbOpenTable, 0, dbPessimistic);
  std::vector<int> types;
  for (int i = 0; i < rs->GetFields().Count(); ++i) types.push_back(rs->GetFields().Item(i)->Type());
  EXPECT_EQ(types, (std::vector<int>{dbLong, dbDate, dbDouble, dbLongBinary, dbLongBinary}));
}

TEST(TableDefs, ListsOnlyUserTablesAndMatchesNamesIgnoringAsciiCase) {
  TempDir dir;
  ExecSql(dir.File("u.db"),
          "CREATE TABLE ORDERS (id INTEGER PRIMARY KEY AUTOINCREMENT, v TEXT);"
          "INSERT INTO ORDERS (v) VALUES ('a');"
          "CREATE TABLE Items (x INT); CREATE INDEX ix ON Items(x); CREATE VIEW vw AS SELECT 1;"
          "ANALYZE;");
  auto db = CreateBuiltinEngine()->OpenDatabase(dir.File("u.db"));
  // sqlite_sequence and sqlite_stat1 exist in the file but are not user tables.
  EXPECT_EQ(TableNames(*db), (std::vector<std::string>{"ORDERS", "Items"}));
  EXPECT_ENGINE_ERROR(db->GetTableDefs().Item(2), "Table index 2 is out of range");

  EXPECT_NO_THROW(db->OpenRecordset("orders", dbOpenTable, 0, dbPessimistic)->Close());
  EXPECT_ENGINE_ERROR(test::CreateTable(*db, "iTeMs", {{"y", dbLong, 0}}), "Cannot create table 'iTeMs'",
                      "already has a table of that name");
  db->GetTableDefs().Delete("orders");
  EXPECT_EQ(TableNames(*db), (std::vector<std::string>{"Items"}));
  EXPECT_ENGINE_ERROR(db->GetTableDefs().Delete("orders"), "Cannot delete table 'orders'", "no table of that name");
  EXPECT_ENGINE_ERROR(db->OpenRecordset("orders", dbOpenTable, 0, dbPessimistic), "Cannot open table 'orders'");
  db->Close();
  EXPECT_EQ(SqliteReader(dir.File("u.db")).One("SELECT count(*) FROM sqlite_master WHERE name = 'ORDERS'"), "0");
}

TEST(TableDefs, DeleteAndRecreateReplacesTableAndRows) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(dir.File("r.db"), "", 0);
  test::CreateTable(*db, "T", {{"a", dbText, 10}});
  auto rs = db->OpenRecordset("T", dbOpenTable, 0, dbPessimistic);
  rs->AddNew();
  rs->GetFields().Item(0)->SetValue(Variant("old"));
  rs->Update(dbUpdateRegular, false);
  rs->Close();
  db->GetTableDefs().Delete("t");
  test::CreateTable(*db, "t", {{"b", dbLong, 0}, {"c", dbMemo, 0}});
  rs = db->OpenRecordset("T", dbOpenTable, 0, dbPessimistic);
  rs->AddNew();
  rs->GetFields().Item(0)->SetValue(Variant("7"));
  rs->Update(dbUpdateRegular, false);
  rs->Close();
  db->Close();
  SqliteReader check(dir.File("r.db"));
  EXPECT_EQ(check.Query("SELECT name FROM pragma_table_info('t')"), (std::vector<std::vector<std::string>>{{"b"}, {"c"}}));
  EXPECT_EQ(check.Query("SELECT * FROM t"), (std::vector<std::vector<std::string>>{{"7", "NULL"}}));
}

TEST(TableDefs, HostileNamesAreQuotedNeverPasted) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(dir.File("h.db"), "", 0);
  test::CreateTable(*db, "victim", {{"a", dbLong, 0}});
  // Cp1252 text: "Größe" with its bytes 0xF6 and 0xDF.
  const std::string groesse = "Gr\xF6\xDF" "e";
  const std::vector<std::string> tableNames = {
      "Order Details", "dbo.Orders", "\"quoted\"", "[bracketed]", "x\"); DROP TABLE victim; --", "semi;colon", groesse, "'single'",
  };
  const std::vector<test::FieldDef> fields = {
      {"\"Unit Price\"", dbDouble, 0}, {"a]b[c", dbText, 20},   {"x\"); DROP TABLE victim; --", dbMemo, 0},
      {groesse, dbLong, 0},            {"  blanks  ", dbText, 5}, {"`tick`", dbBoolean, 0},
  };
  for (const std::string& name : tableNames) {
    SCOPED_TRACE(name);
    test::CreateTable(*db, name, fields);
    auto rs = db->OpenRecordset(name, dbOpenTable, 0, dbPessimistic);
    ASSERT_EQ(rs->GetFields().Count(), static_cast<int>(fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(rs->GetFields().Item(static_cast<int>(i))->Name(), fields[i].name);
    rs->AddNew();
    rs->GetFields().Item(0)->SetValue(Variant("1.5"));
    rs->GetFields().Item(2)->SetValue(Variant("'); DELETE FROM victim; --"));
    rs->Update(dbUpdateRegular, false);
    rs->Close();
  }
  std::vector<std::string> listed;
  for (int i = 0; i < db->GetTableDefs().Count(); ++i) listed.push_back(db->GetTableDefs().Item(i)->Name());
  std::vector<std::string> expected = {"victim"};
  expected.insert(expected.end(), tableNames.begin(), tableNames.end());
  EXPECT_EQ(listed, expected);
  db->Close();

  SqliteReader check(dir.File("h.db"));
  EXPECT_EQ(check.One("SELECT count(*) FROM sqlite_master WHERE name = 'victim'"), "1");
  // Stored as UTF-8, found by SQLite under the UTF-8 name.
  EXPECT_EQ(check.One("SELECT \"Gr\xC3\xB6\xC3\x9F" "e\" IS NULL FROM \"Gr\xC3\xB6\xC3\x9F" "e\""), "1");
  EXPECT_EQ(check.One("SELECT \"x\"\"); DROP TABLE victim; --\" FROM \"[bracketed]\""), "'); DELETE FROM victim; --");
  EXPECT_EQ(check.One("SELECT \"\"\"Unit Price\"\"\" FROM \"\"\"quoted\"\"\""), "1.5");
}

TEST(TableDefs, RefusesBadDefinitions) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(dir.File("b.db"), "", 0);
  auto td = db->CreateTableDef("T", 0, "", "");
  EXPECT_ENGINE_ERROR(td->CreateField("", dbText, 10), "empty name", "'T'");
  EXPECT_ENGINE_ERROR(td->CreateField("f", 3, 0), "Cannot create field 'f'", "3 is not a field type");
  EXPECT_ENGINE_ERROR(td->CreateField(std::string("a\0b", 3), dbLong, 0), "NUL");
  EXPECT_ENGINE_ERROR(db->GetTableDefs().Append(td), "Cannot create table 'T': it has no fields.");
  auto name = td->CreateField("Name", dbText, 10);
  td->GetFields().Append(name);
  EXPECT_ENGINE_ERROR(td->GetFields().Append(td->CreateField("NAME", dbMemo, 0)), "Cannot add field 'NAME'",
                      "already has a field of that name");
  db->GetTableDefs().Append(td);
  EXPECT_ENGINE_ERROR(db->GetTableDefs().Append(td), "Cannot create table 'T'", "already exists");
  EXPECT_ENGINE_ERROR(td->GetFields().Append(td->CreateField("more", dbLong, 0)), "already exists in the database");
  EXPECT_ENGINE_ERROR(name->SetAttributes(dbVariableField), "Cannot change the attributes of field 'Name'");
  auto other = db->CreateTableDef("U", 0, "", "");
  EXPECT_ENGINE_ERROR(other->GetFields().Append(name), "already belongs to a table definition");
  EXPECT_ENGINE_ERROR(db->CreateTableDef("", 0, "", ""), "empty name");
  EXPECT_ENGINE_ERROR(db->CreateTableDef("linked", 0, "src", "ODBC;"), "linked tables");
  // A storage refusal arrives with the storage's reason.
  EXPECT_ENGINE_ERROR(test::CreateTable(*db, "sqlite_mine", {{"a", dbLong, 0}}), "Cannot create table 'sqlite_mine'",
                      "reserved");
  db->Close();
  EXPECT_EQ(SqliteReader(dir.File("b.db")).One("SELECT count(*) FROM sqlite_master"), "1");
}

}  // namespace
}  // namespace qx::dao
