// The whole program: the same ADT table transferred into an SQLite target
// and into an .mdb target gives the same fields and values.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include "MdbReaders.h"
#include "dbengine/Dao.h"
#include "support/RunProgram.h"

namespace qx::mdbtest {
namespace {

using namespace qx::dao;

int FieldTypeOf(const std::string& readerType) {
  if (readerType == "long") return dbLong;
  if (readerType == "boolean") return dbBoolean;
  if (readerType == "double") return dbDouble;
  if (readerType == "datetime") return dbDate;
  if (readerType == "text") return dbText;
  if (readerType == "memo") return dbMemo;
  if (readerType == "ole") return dbLongBinary;
  return dbVarBinary;
}

TEST(MdbTransfer, SampleTableIntoSqliteAndMdbGivesTheSameValues) {
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  std::string source = std::string(QUILLEX_SOURCE_DIR) + "/sample/orders.adt";
  if (access(source.c_str(), F_OK) != 0) GTEST_SKIP() << "no sample table at " << source;
  std::string sq = TempDir() + "/orders.sqlite", mdbPath = TempDir() + "/orders.mdb";
  unlink(sq.c_str());
  unlink(mdbPath.c_str());
  auto a = qx::test::RunQuillexProgram({source, sq, "orders"});
  auto b = qx::test::RunQuillexProgram({source, mdbPath, "orders"});
  ASSERT_EQ(a.exitCode, 0) << a.out;
  ASSERT_EQ(b.exitCode, 0) << b.out;
  EXPECT_EQ(TablesWithMdbReader(mdbPath), std::vector<std::string>{"orders"});
  ReaderTable m = ReadWithMdbReader(mdbPath, "orders");
  ASSERT_FALSE(m.columns.empty());

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(sq.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT * FROM orders ORDER BY rowid", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_column_count(st), int(m.columns.size()));
  for (int c = 0; c < int(m.columns.size()); ++c) EXPECT_EQ(sqlite3_column_name(st, c), m.columns[c].name);
  int row = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int c = 0; c < int(m.columns.size()); ++c)
      EXPECT_EQ((m.cells[{row, c}]), SqliteCellAsMdbReader(st, c, FieldTypeOf(m.columns[c].type)))
          << "row " << row << ", field " << m.columns[c].name;
    ++row;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  EXPECT_GT(row, 0);
  EXPECT_EQ(m.rows, row);
  if (auto why = MdbToolsMissing(); why.empty()) {
    EXPECT_EQ(CountWithMdbTools(mdbPath, "orders"), row);
  }
}

}  // namespace
}  // namespace qx::mdbtest
