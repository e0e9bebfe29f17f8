#pragma once
// Helpers of the engine tests: direct reads of SQLite files (the engine's results are checked
// through SQLite itself, never through the engine alone).
#include <sqlite3.h>

#include <string>
#include <vector>

#include "dbengine/Dao.h"
#include "support/TempDir.h"

namespace qx::dao::test {

using qx::test::TempDir;

// A read-only SQLite connection for checks.
class SqliteReader {
 public:
  explicit SqliteReader(const std::string& path, bool writable = false);
  ~SqliteReader();
  SqliteReader(const SqliteReader&) = delete;
  SqliteReader& operator=(const SqliteReader&) = delete;
  // Each row as texts: "NULL" for Null, "typeof:value" otherwise when
  // withTypes is set (blobs as hex), the plain value otherwise.
  std::vector<std::vector<std::string>> Query(const std::string& sql, bool withTypes = false);
  std::string One(const std::string& sql) { return Query(sql).at(0).at(0); }

 private:
  sqlite3* db_ = nullptr;
};

// Runs SQL on a file (read-write), for fixtures made "by another tool".
void ExecSql(const std::string& path, const std::string& sql);

// A table definition made the way the transfer makes one.
struct FieldDef {
  std::string name;
  int type;
  int size;
};
void CreateTable(Database& db, const std::string& name, const std::vector<FieldDef>& fields);

}  // namespace qx::dao::test

#include <gtest/gtest.h>

#include "platform/Exceptions.h"

// Expects statement to raise EEngineError whose message contains each of
// the given parts.
#define EXPECT_ENGINE_ERROR(statement, ...)                                                  \
  do {                                                                                       \
    try {                                                                                    \
      statement;                                                                             \
      ADD_FAILURE() << "no error from: " #statement;                                         \
    } catch (const ::qx::EEngineError& e__) {                                                \
      for (const char* part__ : {__VA_ARGS__})                                               \
        EXPECT_NE(e__.Message().find(part__), std::string::npos)                             \
            << "message \"" << e__.Message() << "\" lacks \"" << part__ << "\"";             \
    }                                                                                        \
  } while (0)
