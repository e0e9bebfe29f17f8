// Recordsets: pending rows, values converted from text to every field
// type (checked through SQLite), refused values, refused rows.
#include <gtest/gtest.h>

#include "EngineTestUtil.h"
#include "dbengine/Engine.h"
#include "dbengine/FieldTypes.h"
#include "platform/Locale.h"

namespace qx::dao {
namespace {

using test::ExecSql;
using test::SqliteReader;
using test::TempDir;
using Rows = std::vector<std::vector<std::string>>;

ByteArray Bytes(std::initializer_list<int> v) {
  ByteArray b;
  for (int x : v) b.push_back(static_cast<uint8_t>(x));
  return b;
}

// One table with one field per case ("c0", "c1", ...), in a new database.
class CaseTable {
 public:
  template <typename Case>
  explicit CaseTable(const std::vector<Case>& cases) : db_(engine_->CreateDatabase(dir_.File("v.db"), "", 0)) {
    std::vector<test::FieldDef> fields;
    for (size_t i = 0; i < cases.size(); ++i) fields.push_back({"c" + std::to_string(i), cases[i].type, cases[i].size});
    test::CreateTable(*db_, "T", fields);
    rs_ = db_->OpenRecordset("T", dbOpenTable, 0, dbPessimistic);
    rs_->AddNew();
  }
  Field& operator[](size_t i) { return *rs_->GetFields().Item(static_cast<int>(i)); }
  // Saves the row; returns its stored values as "typeof:value" texts.
  std::vector<std::string> SaveAndRead() {
    rs_->Update(dbUpdateRegular, false);
    rs_->Close();
    db_->Close();
    Rows rows = SqliteReader(dir_.File("v.db")).Query("SELECT * FROM T", true);
    return rows.at(0);
  }

 private:
  TempDir dir_;
  std::shared_ptr<DBEngine> engine_ = CreateBuiltinEngine();
  std::shared_ptr<Database> db_;
  std::shared_ptr<Recordset> rs_;
};

struct StoreCase {
  int type;
  int size;
  Variant value;
  std::string stored;  // as SQLite reports it, "typeof:value"
};

TEST(Recordset, TextConvertsToEveryFieldType) {
  const std::string hundredK(100000, 'm');
  const std::vector<StoreCase> cases = {
      // Boolean: stored as 1 or 0.
      {dbBoolean, 0, "1", "integer:1"},       {dbBoolean, 0, "0", "integer:0"},
      {dbBoolean, 0, "-1", "integer:1"},      {dbBoolean, 0, "2.5", "integer:1"},
      {dbBoolean, 0, "True", "integer:1"},    {dbBoolean, 0, "false", "integer:0"},
      {dbBoolean, 0, "YES", "integer:1"},     {dbBoolean, 0, "no", "integer:0"},
      {dbBoolean, 0, "On", "integer:1"},      {dbBoolean, 0, "oFF", "integer:0"},
      // Long: 32-bit range, decimals round half to even.
      {dbLong, 0, "42", "integer:42"},        {dbLong, 0, "-2147483648", "integer:-2147483648"},
      {dbLong, 0, "2147483647", "integer:2147483647"},
      {dbLong, 0, "2.5", "integer:2"},        {dbLong, 0, "3.5", "integer:4"},
      {dbLong, 0, "-2.5", "integer:-2"},      {dbLong, 0, "1,234", "integer:1234"},
      {dbLong, 0, "-0", "integer:0"},         {dbLong, 0, "000001234", "integer:1234"},
      {dbLong, 0, "1234567890", "integer:1234567890"}, {dbLong, 0, " 42 ", "integer:42"},
      // Double.
      {dbDouble, 0, "1.5", "real:1.5"},       {dbDouble, 0, "-0.25", "real:-0.25"},
      {dbDouble, 0, "1,234.5", "real:1234.5"}, {dbDouble, 0, "1e300", "real:1.0e+300"},
      {dbDouble, 0, "12", "real:12.0"},
      // Date/Time: ISO, the locale's short date with a time, a bare time.
      {dbDate, 0, "2024-02-29", "text:2024-02-29 00:00:00"},
      {dbDate, 0, "2024-02-29 13:45:10", "text:2024-02-29 13:45:10"},
      {dbDate, 0, "2024-02-29 13:45:10.250", "text:2024-02-29 13:45:10.250"},
      {dbDate, 0, "0001-01-01", "text:0001-01-01 00:00:00"},
      {dbDate, 0, "9999-12-31 23:59:59.999", "text:9999-12-31 23:59:59.999"},
      {dbDate, 0, "1899-12-29 06:00:00", "text:1899-12-29 06:00:00"},
      {dbDate, 0, "2/29/2024", "text:2024-02-29 00:00:00"},
      {dbDate, 0, "2/29/2024 1:45:10 PM", "text:2024-02-29 13:45:10"},
      {dbDate, 0, "12/31/1999 23:59:58.5", "text:1999-12-31 23:59:58.500"},
      {dbDate, 0, "13:45", "text:1899-12-30 13:45:00"},
      // Text(n) and Memo: ANSI in, UTF-8 stored.
      {dbText, 5, "hello", "text:hello"},     {dbText, 5, "caf\xE9", "text:caf\xC3\xA9"},
      {dbText, 5, "", "text:"},                {dbText, 1, "\x80", "text:\xE2\x82\xAC"},
      {dbMemo, 0, hundredK, "text:" + hundredK},
      {dbMemo, 0, std::string("a\0b", 3), std::string("text:a\0b", 8)},
      // Binary kinds: bytes as given; a text as its bytes.
      {dbBinary, 4, Bytes({0, 255, 1}), "blob:00ff01"},
      {dbBinary, 4, std::string("ab\0c", 4), "blob:61620063"},
      {dbVarBinary, 3, Bytes({9, 8, 7}), "blob:090807"},
      {dbLongBinary, 0, Bytes({}), "blob:"},
      // Null, and Empty, store Null in every kind.
      {dbBoolean, 0, Variant::Null(), "NULL"}, {dbLong, 0, Variant::Null(), "NULL"},
      {dbDate, 0, Variant::Null(), "NULL"},    {dbText, 5, Variant::Null(), "NULL"},
      {dbLongBinary, 0, Variant(), "NULL"},
  };
  CaseTable table(cases);
  for (size_t i = 0; i < cases.size(); ++i) table[i].SetValue(cases[i].value);
  std::vector<std::string> stored = table.SaveAndRead();
  ASSERT_EQ(stored.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const StoreCase& c = cases[i];
    EXPECT_EQ(stored[i], c.stored) << FieldTypeName(c.type) << " "
                                   << (c.value.IsText() ? c.value.AsText().substr(0, 40) : VarKindName(c.value.Kind()));
  }
}

TEST(Recordset, NumbersAndDatesFollowTheLocale) {
  LocaleScope keep;
  Locale().DecimalSeparator = ',';
  Locale().ThousandSeparator = '.';
  Locale().DateSeparator = '.';
  Locale().ShortDateFormat = "dd.MM.yyyy";
  Locale().TimeAMString = Locale().TimePMString = "";
  const std::vector<StoreCase> cases = {
      {dbDouble, 0, "1.234,5", "real:1234.5"},
      {dbDouble, 0, "-0,125", "real:-0.125"},
      {dbLong, 0, "2,5", "integer:2"},
      {dbDate, 0, "29.02.2024", "text:2024-02-29 00:00:00"},
      {dbDate, 0, "29.02.2024 13:45:10,5", "text:2024-02-29 13:45:10.500"},
      {dbDate, 0, "2024-02-29 13:45", "text:2024-02-29 13:45:00"},
  };
  CaseTable table(cases);
  for (size_t i = 0; i < cases.size(); ++i) {
    try {
      table[i].SetValue(cases[i].value);
    } catch (const EEngineError& e) {
      ADD_FAILURE() << e.Message();
    }
  }
  std::vector<std::string> stored = table.SaveAndRead();
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(stored[i], cases[i].stored) << cases[i].value.AsText();
}

TEST(Recordset, DoublesAreStoredBitForBit) {
  TempDir dir;
  auto db = CreateBuiltinEngine()->CreateDatabase(dir.File("d.db"), "", 0);
  test::CreateTable(*db, "T", {{"x", dbDouble, 0}});
  auto rs = db->OpenRecordset("T", dbOpenTable, 0, dbPessimistic);
  const std::pair<const char*, double> cases[] = {
      {"0.30000000000000004", 0.1 + 0.2}, {"5e-324", 5e-324}, {"1.7976931348623157e308", 1.7976931348623157e308},
      {"-2.2250738585072014e-308", -2.2250738585072014e-308}, {"123456789012345678", 123456789012345678.0},
  };
  for (const auto& c : cases) {
    rs->AddNew();
    rs->GetFields().Item(0)->SetValue(Variant(c.first));
    rs->Update(dbUpdateRegular, false);
  }
  db->Close();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open_v2(dir.File("d.db").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw, "SELECT x FROM T ORDER BY rowid", -1, &stmt, nullptr);
  for (const auto& c : cases) {
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_double(stmt, 0), c.second) << c.first;
  }
  sqlite3_finalize(stmt);
  sqlite3_close(raw);
}

struct RefuseCase {
  int type;
  int size;
  Variant value;
  const char* reason;
};

TEST(Recordset, RefusedValuesRaiseAndLeaveTheFieldAsItWas) {
  const std::vector<RefuseCase> cases = {
      {dbText, 5, "123456", "the text has 6 characters and the field holds at most 5 characters"},
      {dbLong, 0, "abc", "a Long field takes a whole number"},
      {dbLong, 0, "", "a Long field takes a whole number"},
      {dbLong, 0, "2147483648", "outside the range of a Long field"},
      {dbLong, 0, "-2147483649", "outside the range of a Long field"},
      {dbLong, 0, "12abc", "a Long field takes a whole number"},
      {dbDouble, 0, "1.2.3", "a Double field takes a number"},
      {dbDouble, 0, "abc", "a Double field takes a number"},
      {dbDouble, 0, "1e999", "a Double field takes a number"},
      {dbDouble, 0, "nan", "a Double field takes a number"},
      {dbDate, 0, "2023-02-29", "a Date/Time field takes a date"},
      {dbDate, 0, "2024-13-01", "a Date/Time field takes a date"},
      {dbDate, 0, "25:00", "a Date/Time field takes a date"},
      {dbDate, 0, "yesterday", "a Date/Time field takes a date"},
      {dbDate, 0, "10000-01-01", "a Date/Time field takes a date"},
      {dbBoolean, 0, "maybe", "a Boolean field takes True, False"},
      {dbBoolean, 0, "", "a Boolean field takes True, False"},
      {dbBinary, 2, "abc", "the value has 3 bytes and the field holds at most 2 bytes"},
      {dbVarBinary, 2, Bytes({1, 2, 3}), "the field holds at most 2 bytes"},
      {dbLong, 0, Bytes({1}), "binary data cannot be stored in a Long field"},
      {dbMemo, 0, Bytes({1}), "binary data cannot be stored in a Memo field"},
  };
  CaseTable table(cases);
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].reason);
    table[i].SetValue(Variant::Null());
    const std::string field = "in field 'c" + std::to_string(i) + "' of table 'T'";
    EXPECT_ENGINE_ERROR(table[i].SetValue(cases[i].value), "Cannot store ", field.c_str(), cases[i].reason);
  }
  // A refused value changes nothing: the row saves with the values set before.
  table[1].SetValue(Variant("12"));
  EXPECT_ANY_THROW(table[1].SetValue(Variant("twelve")));
  std::vector<std::string> stored = table.SaveAndRead();
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(stored[i], i == 1 ? "integer:12" : "NULL") << i;
}

TEST(Recordset, RefusedRowsRaiseAndLaterRowsAreStillSaved) {
  TempDir dir;
  ExecSql(dir.File("c.db"),
          "CREATE TABLE people (id INTEGER UNIQUE, name TEXT NOT NULL, city TEXT DEFAULT 'Paris', "
          "n INTEGER NOT NULL DEFAULT 7)");
  auto db = CreateBuiltinEngine()->OpenDatabase(dir.File("c.db"));
  auto rs = db->OpenRecordset("PEOPLE", dbOpenTable, 0, dbPessimistic);
  auto save = [&](const char* id, const Variant& name) {
    rs->AddNew();
    rs->GetFields().Item(0)->SetValue(Variant(id));
    rs->GetFields().Item(1)->SetValue(name);
    rs->Update(dbUpdateRegular, false);
  };
  save("1", "Ann");
  EXPECT_ENGINE_ERROR(save("1", "Bob"), "Cannot save the row in table 'people'", "UNIQUE constraint failed");
  EXPECT_ENGINE_ERROR(save("2", Variant::Null()), "Cannot save the row in table 'people'", "NOT NULL constraint failed");
  save("3", "Cy");
  // After a failed save no row is pending.
  EXPECT_ENGINE_ERROR(rs->Update(dbUpdateRegular, false), "no new row is pending");
  rs->Close();
  db->Close();
  // Fields never set take the table's defaults.
  EXPECT_EQ(SqliteReader(dir.File("c.db")).Query("SELECT * FROM people"),
            (Rows{{"1", "Ann", "Paris", "7"}, {"3", "Cy", "Paris", "7"}}));
}

TEST(Recordset, MembersRefuseWorkOutOfOrder) {
  TempDir dir;
  auto db = CreateBuiltinEngine()->CreateDatabase(dir.File("o.db"), "", 0);
  test::CreateTable(*db, "T", {{"a", dbLong, 0}, {"b", dbText, 3}});
  EXPECT_ENGINE_ERROR(db->OpenRecordset("T", 2, 0, dbPessimistic), "recordset type 2 is not supported");
  EXPECT_ENGINE_ERROR(db->GetTableDefs().Item(0)->GetFields().Item(0)->SetValue(Variant("1")), "table definition");
  auto rs = db->OpenRecordset("T", dbOpenTable, 0, dbPessimistic);
  auto& fields = rs->GetFields();
  EXPECT_EQ(fields.Count(), 2);
  EXPECT_ENGINE_ERROR(fields.Item(2), "Field index 2 is out of range");
  EXPECT_ENGINE_ERROR(fields.Item(-1), "Field index -1 is out of range");
  EXPECT_ENGINE_ERROR(fields.Item(0)->SetValue(Variant("1")), "no new row is pending");
  EXPECT_ENGINE_ERROR(rs->Update(dbUpdateRegular, false), "no new row is pending");
  EXPECT_ENGINE_ERROR(fields.Item(1)->SetAttributes(dbVariableField), "its table already exists");
  EXPECT_ENGINE_ERROR(fields.Append(fields.Item(0)), "Cannot add field 'a'");
  // A second AddNew starts the row afresh.
  rs->AddNew();
  fields.Item(0)->SetValue(Variant("1"));
  rs->AddNew();
  fields.Item(1)->SetValue(Variant("x"));
  EXPECT_ENGINE_ERROR(rs->Update(2, false), "update type 2");
  rs->Update(dbUpdateRegular, false);
  // A field outlives its recordset's last other holder.
  auto kept = fields.Item(1);
  rs->Close();
  EXPECT_ENGINE_ERROR(rs->AddNew(), "The recordset on table 'T' is closed.");
  EXPECT_ENGINE_ERROR(kept->SetValue(Variant("y")), "is closed");
  rs.reset();
  EXPECT_EQ(kept->Name(), "b");
  db->Close();
  EXPECT_EQ(SqliteReader(dir.File("o.db")).Query("SELECT * FROM T"), (Rows{{"NULL", "x"}}));
}

}  // namespace
}  // namespace qx::dao
