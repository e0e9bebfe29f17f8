#include "EngineTestUtil.h"

#include <gtest/gtest.h>
#include <stdexcept>

#include "dbengine/FieldTypes.h"

namespace qx::dao::test {

SqliteReader::SqliteReader(const std::string& path, bool writable) {
  if (sqlite3_open_v2(path.c_str(), &db_, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + path);
}

SqliteReader::~SqliteReader() { sqlite3_close(db_); }

std::vector<std::vector<std::string>> SqliteReader::Query(const std::string& sql, bool withTypes) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string("query failed: ") + sqlite3_errmsg(db_) + " in " + sql);
  std::vector<std::vector<std::string>> rows;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      int t = sqlite3_column_type(stmt, i);
      std::string v;
      if (t == SQLITE_NULL) {
        v = "NULL";
      } else if (t == SQLITE_BLOB) {
        static const char* hex = "0123456789abcdef";
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, i));
        int n = sqlite3_column_bytes(stmt, i);
        for (int k = 0; k < n; ++k) {
          v.push_back(hex[p[k] >> 4]);
          v.push_back(hex[p[k] & 15]);
        }
        if (withTypes) v = "blob:" + v;
      } else {
        const auto* p = sqlite3_column_text(stmt, i);
        v.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
        if (withTypes) v = std::string(t == SQLITE_INTEGER ? "integer:" : t == SQLITE_FLOAT ? "real:" : "text:") + v;
      }
      row.push_back(v);
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) throw std::runtime_error(std::string("query failed: ") + sqlite3_errmsg(db_));
  return rows;
}

void ExecSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("exec failed: " + msg);
}

void CreateTable(Database& db, const std::string& name, const std::vector<FieldDef>& fields) {
  auto td = db.CreateTableDef(name, 0, "", "");
  for (const FieldDef& f : fields) {
    auto field = td->CreateField(f.name, f.type, f.size);
    if (IsBinaryFieldType(f.type)) field->SetAttributes(dbVariableField);
    td->GetFields().Append(field);
  }
  db.GetTableDefs().Append(td);
}

}  // namespace qx::dao::test
