#pragma once
// Helpers of the everyday-use tests: reading a SQLite target back.
#include <sqlite3.h>

#include <string>
#include <vector>

namespace qx::test {

// Every row of `sql` on the SQLite file at path, each column as its UTF-8
// text ("<null>" for Null). Fails the test when the file cannot be read.
inline std::vector<std::vector<std::string>> QueryRows(const std::string& path, const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << path;
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
    sqlite3_close(db);
    return rows;
  }
  while (sqlite3_step(st) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
      const unsigned char* t = sqlite3_column_text(st, c);
      row.push_back(t == nullptr ? "<null>" : reinterpret_cast<const char*>(t));
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

}  // namespace qx::test
