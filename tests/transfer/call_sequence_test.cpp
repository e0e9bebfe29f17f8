// The database engine's members that a transfer calls, with their arguments
// and in their order, recorded by the recording engine.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "support/AdtFixture.h"
#include "support/RecordingEngine.h"
#include "support/TempDir.h"
#include "transfer/Cell2ADT.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using test::RecordedField;
using test::RecordingEngine;
using test::TempDir;
using Calls = std::vector<std::string>;

const std::string kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// ID (Integer), NAME (String 10), PAID (Logical): (1, Ann, true), (2, Bob, false).
void WriteSmallTable(const std::string& path) {
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  int name = w.AddField("NAME", adt::atString, 10);
  int paid = w.AddField("PAID", adt::atLogical, 1);
  w.AddRecord().Set(id, AdtBytes::Int32(1)).Set(name, AdtBytes::Text("Ann", 10)).Set(paid, AdtBytes::Logical(true));
  w.AddRecord().Set(id, AdtBytes::Int32(2)).Set(name, AdtBytes::Text("Bob", 10)).Set(paid, AdtBytes::Logical(false));
  w.WriteFiles(path);
}

struct Fixture {
  TempDir dir;
  RecordingEngine rec;
  std::string source = dir.File("small.adt");
  std::string target = dir.File("target.mdb");
  std::unique_ptr<TCell2ADT> engine = std::make_unique<TCell2ADT>();

  Fixture() {
    WriteSmallTable(source);
    engine->Reader->FileName = source;
    engine->MDBFileName = target;
    engine->TableName = "t";
  }
  // A file at the target path, so that OpenDatabase is tried.
  void TargetFileExists() { test::WriteFileBytes(target, "db"); }
  Calls& calls() { return rec.state().calls; }
};

// The calls that store one text value in a non-binary field at position i:
// the field's type is read three times (none of the binary kinds).
void StoreText(Calls& c, int i, const std::string& field, const std::string& value) {
  c.push_back("Recordset.Fields(" + std::to_string(i) + ")");
  for (int k = 0; k < 3; ++k) c.push_back("Field(" + field + ").Type");
  c.push_back("Field(" + field + ").Value='" + value + "'");
}

Calls RowCalls(const std::string& id, const std::string& name, const std::string& paid) {
  Calls c{"Recordset.AddNew"};
  StoreText(c, 0, "ID", id);
  StoreText(c, 1, "NAME", name);
  StoreText(c, 2, "PAID", paid);
  c.push_back("Recordset.Update(1, false)");
  return c;
}

Calls Concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Calls kCreateTable{
    "Database.CreateTableDef(t, 0, '', '')",
    "TableDef(t).CreateField(ID, 4, 4)",
    "TableDef(t).Fields.Append(ID)",
    "TableDef(t).CreateField(NAME, 10, 10)",
    "TableDef(t).Fields.Append(NAME)",
    "TableDef(t).CreateField(PAID, 1, 1)",
    "TableDef(t).Fields.Append(PAID)",
    "Database.TableDefs",
    "TableDefs.Append(t)",
};

TEST(TransferCalls, NewDatabase) {
  Fixture f;
  f.engine->Transfer();
  Calls expected = Concat({{"DBEngine.CreateDatabase(" + f.target + ", " + kLocale + ", 0)", "Database.TableDefs",
                            "TableDefs.Count"},
                           kCreateTable,
                           {"Database.OpenRecordset(t, 1, 0, 2)"},
                           RowCalls("1", "Ann", "1"),
                           RowCalls("2", "Bob", "0"),
                           {"Recordset.Close", "Database.Close"}});
  EXPECT_EQ(f.calls(), expected);
  EXPECT_TRUE(f.engine->Losses().Empty());
  // The engine reference is released by the close; the closed recordset
  // and database are kept until the engine goes.
  EXPECT_EQ(f.engine->DBEngine, nullptr);
  EXPECT_NE(f.engine->Recordset, nullptr);
  EXPECT_EQ(f.engine->RowBuffer, nullptr);
}

TEST(TransferCalls, ExistingFileThatIsNoDatabaseIsCreatedInstead) {
  Fixture f;
  f.TargetFileExists();
  f.engine->Transfer();
  Calls head(f.calls().begin(), f.calls().begin() + 2);
  EXPECT_EQ(head, (Calls{"DBEngine.OpenDatabase(" + f.target + ")",
                         "DBEngine.CreateDatabase(" + f.target + ", " + kLocale + ", 0)"}));
}

TEST(TransferCalls, ExistingDatabaseWithoutTheTable) {
  Fixture f;
  f.TargetFileExists();
  f.rec.AddTable("Aaa", {{"X", 4, 4, 0}});
  f.rec.AddTable("Zzz", {{"X", 4, 4, 0}});
  f.engine->Transfer();
  Calls expected = Concat({{"DBEngine.OpenDatabase(" + f.target + ")", "Database.TableDefs", "TableDefs.Count",
                            "TableDefs.Item(0)", "TableDef.Name", "TableDefs.Item(1)", "TableDef.Name"},
                           kCreateTable,
                           {"Database.OpenRecordset(t, 1, 0, 2)"},
                           RowCalls("1", "Ann", "1"),
                           RowCalls("2", "Bob", "0"),
                           {"Recordset.Close", "Database.Close"}});
  EXPECT_EQ(f.calls(), expected);
}

// Append mode: the existing table (found without regard to letter case) is
// opened as it is, and values go to its fields by position.
TEST(TransferCalls, AppendToExistingTable) {
  Fixture f;
  f.TargetFileExists();
  f.rec.AddTable("Aaa", {{"X", 4, 4, 0}});
  f.rec.AddTable("T", {{"C", 10, 5, 0}, {"B", 10, 5, 0}, {"A", 10, 5, 0}});
  f.engine->Transfer();
  Calls row1{"Recordset.AddNew"}, row2{"Recordset.AddNew"};
  StoreText(row1, 0, "C", "1"), StoreText(row1, 1, "B", "Ann"), StoreText(row1, 2, "A", "1");
  StoreText(row2, 0, "C", "2"), StoreText(row2, 1, "B", "Bob"), StoreText(row2, 2, "A", "0");
  row1.push_back("Recordset.Update(1, false)");
  row2.push_back("Recordset.Update(1, false)");
  Calls expected = Concat({{"DBEngine.OpenDatabase(" + f.target + ")", "Database.TableDefs", "TableDefs.Count",
                            "TableDefs.Item(0)", "TableDef.Name", "TableDefs.Item(1)", "TableDef.Name",
                            "Database.OpenRecordset(t, 1, 0, 2)"},
                           row1,
                           row2,
                           {"Recordset.Close", "Database.Close"}});
  EXPECT_EQ(f.calls(), expected);
  ASSERT_EQ(f.rec.state().tables.at("T").rows.size(), 2u);
}

TEST(TransferCalls, CopyModeDeletesAndCreatesTheTable) {
  Fixture f;
  f.TargetFileExists();
  f.rec.AddTable("T", {{"C", 10, 5, 0}});
  f.engine->CopyMode = true;
  f.engine->Transfer();
  Calls expected = Concat({{"DBEngine.OpenDatabase(" + f.target + ")", "Database.TableDefs", "TableDefs.Count",
                            "TableDefs.Item(0)", "TableDef.Name", "Database.TableDefs", "TableDefs.Delete(t)"},
                           kCreateTable,
                           {"Database.OpenRecordset(t, 1, 0, 2)"},
                           RowCalls("1", "Ann", "1"),
                           RowCalls("2", "Bob", "0"),
                           {"Recordset.Close", "Database.Close"}});
  EXPECT_EQ(f.calls(), expected);
}

TEST(TransferCalls, CopyModeWithoutTheTableOnlyCreatesIt) {
  Fixture f;
  f.engine->CopyMode = true;
  f.engine->Transfer();
  for (const auto& call : f.calls()) EXPECT_EQ(call.find("Delete"), std::string::npos) << call;
  EXPECT_EQ(f.rec.state().tables.at("t").rows.size(), 2u);
}

// Binary fields of an existing table take the text's bytes; the type is
// read until it matches one of the binary kinds (9, 11, 17, in that order).
TEST(TransferCalls, BinaryFieldsOfAnExistingTable) {
  Fixture f;
  f.TargetFileExists();
  f.rec.AddTable("t", {{"B17", 17, 10, 2}, {"B11", 11, 0, 0}, {"B9", 9, 10, 0}});
  f.engine->FieldList = "paid;name;id;";
  f.engine->Transfer();
  Calls expected = Concat({{"DBEngine.OpenDatabase(" + f.target + ")", "Database.TableDefs", "TableDefs.Count",
                            "TableDefs.Item(0)", "TableDef.Name", "Database.OpenRecordset(t, 1, 0, 2)",
                            // Selected columns in source order: ID, NAME, PAID.
                            "Recordset.AddNew", "Recordset.Fields(0)", "Field(B17).Type", "Field(B17).Type",
                            "Field(B17).Type", "Field(B17).Value=bytes:1", "Recordset.Fields(1)", "Field(B11).Type",
                            "Field(B11).Type", "Field(B11).Value=bytes:Ann", "Recordset.Fields(2)", "Field(B9).Type",
                            "Field(B9).Value=bytes:1", "Recordset.Update(1, false)"}});
  Calls head(f.calls().begin(), f.calls().begin() + static_cast<long>(expected.size()));
  EXPECT_EQ(head, expected);
}

// An empty text stores Null without looking at the field's type.
TEST(TransferCalls, EmptyTextStoresNull) {
  Fixture g;
  g.TargetFileExists();
  g.rec.AddTable("t", {{"A", 17, 10, 2}});
  g.engine->CreateDBEngine();
  g.engine->OpenTargetDatabase(g.target);
  g.engine->OpenTable("t");
  g.engine->AddRecord();
  g.calls().clear();
  g.engine->SetFieldValue(0, "");
  EXPECT_EQ(g.calls(), (Calls{"Recordset.Fields(0)", "Field(A).Value=Null"}));
}

TEST(TransferCalls, RefusedValueBecomesNull) {
  Fixture f;
  f.rec.state().refuseValues = {"Bob"};
  f.engine->Transfer();
  Calls row2{"Recordset.AddNew"};
  StoreText(row2, 0, "ID", "2");
  StoreText(row2, 1, "NAME", "Bob");
  row2.push_back("Recordset.Fields(1)");
  row2.push_back("Field(NAME).Value=Null");
  StoreText(row2, 2, "PAID", "0");
  row2.push_back("Recordset.Update(1, false)");
  Calls tail(f.calls().end() - static_cast<long>(row2.size()) - 2, f.calls().end() - 2);
  EXPECT_EQ(tail, row2);
  const auto& rows = f.rec.state().tables.at("t").rows;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[1][1].IsNull());
  EXPECT_EQ(rows[1][0], Variant("2"));
  const auto& losses = f.engine->Losses();
  ASSERT_EQ(losses.refusedValues.count("NAME"), 1u);
  EXPECT_EQ(losses.refusedValues.at("NAME").count, 1);
  EXPECT_EQ(losses.refusedValues.at("NAME").firstRecord, 2);
}

// When the Null is refused too, the run ends there.
TEST(TransferCalls, RefusedNullEndsTheRun) {
  Fixture f;
  f.rec.state().refuseValues = {"Bob"};
  f.rec.state().failOn = {"Field(NAME).Value=Null"};
  EXPECT_THROW(f.engine->Transfer(), EEngineError);
  EXPECT_EQ(f.rec.state().tables.at("t").rows.size(), 1u);
  EXPECT_EQ(f.calls().back(), "Field(NAME).Value=Null");
}

TEST(TransferCalls, RowWhoseSaveFailsIsSkipped) {
  Fixture f;
  f.rec.state().refuseRowsWith = {"Ann"};
  f.engine->Transfer();
  EXPECT_EQ(f.calls(), Concat({{"DBEngine.CreateDatabase(" + f.target + ", " + kLocale + ", 0)",
                                "Database.TableDefs", "TableDefs.Count"},
                               kCreateTable,
                               {"Database.OpenRecordset(t, 1, 0, 2)"},
                               RowCalls("1", "Ann", "1"),
                               RowCalls("2", "Bob", "0"),
                               {"Recordset.Close", "Database.Close"}}));
  const auto& rows = f.rec.state().tables.at("t").rows;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][1], Variant("Bob"));
  EXPECT_EQ(f.engine->Losses().skippedRows, 1);
  EXPECT_EQ(f.engine->Losses().firstSkippedRecord, 1);
}

TEST(TransferCalls, NoEngineRegistered) {
  TempDir dir;
  WriteSmallTable(dir.File("s.adt"));
  TCell2ADT engine;
  engine.Reader->FileName = dir.File("s.adt");
  engine.MDBFileName = dir.File("x.mdb");
  engine.TableName = "t";
  try {
    engine.Transfer();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "MS Jet/DAO is not installed.");
  }
}

// The identifiers are tried in order: 120, then 36, then 35.
TEST(TransferCalls, EngineIdentifiersInOrder) {
  for (const char* id : {"DAO.DBEngine.36", "DAO.DBEngine.35"}) {
    TempDir dir;
    WriteSmallTable(dir.File("s.adt"));
    RecordingEngine rec(id);
    TCell2ADT engine;
    engine.Reader->FileName = dir.File("s.adt");
    engine.MDBFileName = dir.File("x.mdb");
    engine.TableName = "t";
    engine.Transfer();
    EXPECT_EQ(rec.state().tables.at("t").rows.size(), 2u) << id;
  }
}

// prefix followed by the decimal digits of i.
std::string Numbered(const char* prefix, int i) {
  std::string s(prefix);
  s += std::to_string(i);
  return s;
}

// 256 integer columns named F0..F255, one record.
void WriteWideTable(const std::string& path, int columns) {
  AdtTableWriter w;
  for (int i = 0; i < columns; ++i) w.AddField(Numbered("F", i), adt::atInteger, 4);
  auto& r = w.AddRecord();
  for (int i = 0; i < columns; ++i) r.Set(i, AdtBytes::Int32(i));
  w.WriteFiles(path);
}

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(TransferCalls, MaxColumnsWhenCreatingTheTable) {
  Fixture f;
  WriteWideTable(f.source, 256);
  EXPECT_EQ(MessageOf([&] { f.engine->Transfer(); }), kMaxColumnsMessage);
  int created = 0;
  for (const auto& call : f.calls()) {
    created += call.find(".CreateField(") != std::string::npos;
    EXPECT_EQ(call.find("TableDefs.Append"), std::string::npos);
    EXPECT_EQ(call.find("OpenRecordset"), std::string::npos);
  }
  EXPECT_EQ(created, 255);
  EXPECT_TRUE(f.rec.state().tables.empty());

  // With a field list of 255 names the table is made.
  Fixture g;
  WriteWideTable(g.source, 256);
  for (int i = 1; i < 256; ++i) g.engine->FieldList += Numbered("f", i) + ";";
  g.engine->Transfer();
  EXPECT_EQ(g.rec.state().tables.at("t").fields.size(), 255u);
  EXPECT_EQ(g.rec.state().tables.at("t").rows.size(), 1u);
}

TEST(TransferCalls, MaxColumnsWhenAppending) {
  Fixture f;
  WriteWideTable(f.source, 256);
  f.TargetFileExists();
  std::vector<RecordedField> fields;
  for (int i = 0; i < 256; ++i) fields.push_back({Numbered("G", i), 4, 4, 0});
  f.rec.AddTable("t", fields);
  EXPECT_EQ(MessageOf([&] { f.engine->Transfer(); }), kMaxColumnsMessage);
  EXPECT_EQ(f.calls().back(), "Field(G254).Value='254'");
  EXPECT_TRUE(f.rec.state().tables.at("t").rows.empty());
}

// A wrong password ends the run before the target is touched.
TEST(TransferCalls, WrongPasswordTouchesNoTarget) {
  Fixture f;
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  w.AddRecord().Set(id, AdtBytes::Int32(1));
  w.SetPassword("Tiger7");
  w.WriteFiles(f.source);
  f.engine->SetPassword("tiger7");
  EXPECT_THROW(f.engine->Transfer(), EKelCryptException);
  EXPECT_TRUE(f.calls().empty());
  EXPECT_EQ(f.engine->GetPassword(), "tiger7");
}

}  // namespace
}  // namespace qx
