#pragma once
// Helpers of the end-to-end tests: run quillex, read the SQLite target
// through SQLite itself.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace qx::e2e {

using Rows = std::vector<std::vector<std::string>>;

// Each value as "<typeof>:<text>" ("null" alone for Null; blobs as hex), or
// only its text when withTypes is false ("NULL" for Null).
inline Rows Query(const std::string& path, const std::string& sql, bool withTypes = false) {
  Rows rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << path << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return rows;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      int type = sqlite3_column_type(stmt, i);
      std::string text;
      if (type == SQLITE_BLOB) {
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, i));
        static const char* hex = "0123456789ABCDEF";
        for (int k = 0; k < sqlite3_column_bytes(stmt, i); ++k) {
          text.push_back(hex[p[k] >> 4]);
          text.push_back(hex[p[k] & 15]);
        }
      } else if (type != SQLITE_NULL) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        text.assign(p, static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
      }
      if (!withTypes) {
        row.push_back(type == SQLITE_NULL ? "NULL" : text);
        continue;
      }
      const char* names[] = {"", "integer", "real", "text", "blob", "null"};
      row.push_back(type == SQLITE_NULL ? "null" : std::string(names[type]) + ":" + text);
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

// The first column of every row.
inline std::vector<std::string> Column(const std::string& path, const std::string& sql) {
  std::vector<std::string> out;
  for (auto& row : Query(path, sql)) out.push_back(row.at(0));
  return out;
}

// "name TYPE" of each field of a table, in order.
inline std::vector<std::string> Schema(const std::string& path, const std::string& table) {
  std::vector<std::string> out;
  for (auto& row : Query(path, "PRAGMA table_info(\"" + table + "\")")) out.push_back(row.at(1) + " " + row.at(2));
  return out;
}

inline void Exec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << msg;
}

// prefix followed by the decimal digits of i (built by appending, which
// keeps g++'s overlap warning for "x" + std::to_string(i) quiet).
inline std::string Numbered(std::string prefix, int64_t i) {
  prefix += std::to_string(i);
  return prefix;
}

inline test::ProgramResult Quillex(const std::vector<std::string>& args) { return test::RunQuillexProgram(args); }

// The report of an error that ended the run, without the code address.
inline std::string ReportOf(const test::ProgramResult& r) {
  // "Exception <class> in module quillex at XXXXXXXX.\n<message>.\n"
  std::string out = r.out;
  size_t at = out.find(" at ");
  if (at != std::string::npos && out.size() >= at + 13) out.erase(at, 13);
  return out;
}

}  // namespace qx::e2e
