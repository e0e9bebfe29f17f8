// One table of round-trip cases through the engine, the way the transfer
// stores values (texts converted by the engine, byte arrays for binary
// fields), against both backends: the SQLite file is read with SQLite
// itself, the .mdb file with mdb-reader, and the values must agree.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>

#include "MdbReaders.h"
#include "dbengine/Dao.h"
#include "dbengine/Engine.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"
#include "platform/Locale.h"

namespace qx::mdbtest {
namespace {

using namespace qx::dao;

struct Field {
  const char* name;
  int type;
  int size;
};
const std::vector<Field> kFields = {{"L", dbLong, 0},  {"B", dbBoolean, 0}, {"D", dbDouble, 0},
                                    {"T", dbDate, 0},  {"X", dbText, 255},  {"M", dbMemo, 0},
                                    {"O", dbLongBinary, 0}, {"Y", dbVarBinary, 255}};

struct Case {
  int column;
  Variant value;  // a text (ANSI) or, for binary fields, bytes
};

ByteArray Seq(size_t n, int start) {
  ByteArray b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t((start + i) % 256);
  return b;
}

std::vector<Case> Cases() {
  return {
      {0, Variant("0")}, {0, Variant("2147483647")}, {0, Variant("-2147483648")},
      {1, Variant("True")}, {1, Variant("No")},
      {2, Variant("0.30000000000000004")}, {2, Variant("4.9406564584124654E-324")}, {2, Variant("-1.5")},
      {3, Variant("0001-01-01 00:00:00.001")}, {3, Variant("0100-03-01 12:00")},
      {3, Variant("1899-12-29 06:00")}, {3, Variant("1900-01-01 12:34:56.789")},
      {3, Variant("9999-12-31 23:59:59.999")},
      {4, Variant(std::string(255, 'w'))}, {4, Variant("Gr\xfc\xdf" "e")}, {4, Variant("ab")},
      {5, Variant("x")}, {5, Variant(std::string(2000, 'e'))}, {5, Variant(std::string(4072, 'f'))},
      {5, Variant(std::string(4073, 'g'))}, {5, Variant(std::string(100000, 'h'))},
      {6, Variant(Seq(256, 0))}, {6, Variant(Seq(4073, 1))}, {6, Variant(Seq(100000, 2))},
      {7, Variant(Seq(128, 0))}, {7, Variant(Seq(128, 128))},
  };
}

void Write(const std::string& path) {
  auto db = CreateBuiltinEngine()->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 0);
  auto def = db->CreateTableDef("Cases", 0, "", "");
  for (const auto& f : kFields) {
    auto field = def->CreateField(f.name, f.type, f.size);
    if (f.type == dbLongBinary || f.type == dbVarBinary) field->SetAttributes(dbVariableField);
    def->GetFields().Append(field);
  }
  db->GetTableDefs().Append(def);
  auto rs = db->OpenRecordset("Cases", dbOpenTable, 0, dbPessimistic);
  for (const auto& c : Cases()) {
    rs->AddNew();
    rs->GetFields().Item(c.column)->SetValue(c.value);
    rs->Update(dbUpdateRegular, false);
  }
  rs->Close();
  db->Close();
}

std::string Hex(const void* data, size_t n) {
  static const char* d = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    uint8_t c = static_cast<const uint8_t*>(data)[i];
    s += d[c >> 4];
    s += d[c & 15];
  }
  return s;
}

std::string Json(const std::string& utf8) {
  std::string s = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') s += '\\';
    s += c;
  }
  return s + "\"";
}

// SQLite's cell in the form mdb-reader reports the same value.
std::string FromSqlite(sqlite3_stmt* st, int col, int type) {
  if (sqlite3_column_type(st, col) == SQLITE_NULL) return type == dbBoolean ? "false" : "null";
  switch (type) {
    case dbLong: return std::to_string(sqlite3_column_int64(st, col));
    case dbBoolean: return sqlite3_column_int64(st, col) ? "true" : "false";
    case dbDouble: {
      char buf[64];
      auto r = std::to_chars(buf, buf + sizeof buf, sqlite3_column_double(st, col));
      return std::string(buf, r.ptr);
    }
    case dbDate: {
      std::string s(reinterpret_cast<const char*>(sqlite3_column_text(st, col)));
      DateParts p;
      int n = std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d.%d", &p.year, &p.month, &p.day, &p.hour, &p.minute,
                          &p.second, &p.msec);
      if (n < 6) p.msec = 0;
      return MdbReaderDate(EncodeDateTime(p));
    }
    case dbText: case dbMemo:
      return Json(reinterpret_cast<const char*>(sqlite3_column_text(st, col)));
    default:
      return "{\"hex\":\"" + Hex(sqlite3_column_blob(st, col), size_t(sqlite3_column_bytes(st, col))) + "\"}";
  }
}

TEST(MdbBackends, SameCasesReadBackAlikeFromSqliteAndMdb) {
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  LocaleScope keep;
  std::string sq = TempDir() + "/cases.sqlite", mdbPath = TempDir() + "/cases.mdb";
  unlink(sq.c_str());
  unlink(mdbPath.c_str());
  Write(sq);
  Write(mdbPath);
  ReaderTable m = ReadWithMdbReader(mdbPath, "Cases");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(sq.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT * FROM Cases ORDER BY rowid", -1, &st, nullptr), SQLITE_OK);
  int row = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int c = 0; c < int(kFields.size()); ++c)
      EXPECT_EQ((m.cells[{row, c}]), FromSqlite(st, c, kFields[c].type)) << "row " << row << ", field " << kFields[c].name;
    ++row;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  EXPECT_EQ(row, int(Cases().size()));
  EXPECT_EQ(m.rows, row);
}

}  // namespace
}  // namespace qx::mdbtest
