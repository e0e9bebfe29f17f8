#pragma once
// SQLite storage (libsqlite3). Field types map to declared column types so
// that other tools read the tables naturally and the engine reads its own
// tables back with the same field types:
//
//   1 Boolean  BOOLEAN       integer 1 or 0
//   4 Long     INTEGER       integer
//   7 Double   DOUBLE        real
//   8 Date     DATETIME      text "YYYY-MM-DD HH:MM:SS[.SSS]"
//   9 Binary   BINARY(n)     blob
//  10 Text     VARCHAR(n)    UTF-8 text
//  11 Long bin LONGBINARY    blob
//  12 Memo     TEXT          UTF-8 text
//  17 VarBin   VARBINARY(n)  blob
//
// Tables made by other tools get field types from their declared types by
// SQLite's affinity rules, after a check for BOOL, DATE and TIME.
//
// Saved rows are grouped into transactions (committed by row count and by
// time, before every change of the schema, on Commit, Close and
// destruction), so that a killed process leaves a consistent file holding a
// prefix of the saved rows.
#include <memory>
#include <string>
#include <string_view>

#include "dbengine/Backend.h"

namespace qx::dao {

// True when the first bytes of a file are SQLite's header.
bool IsSqliteHeader(std::string_view firstBytes);
// Opens an existing SQLite file for writing.
std::unique_ptr<Backend> OpenSqliteBackend(const std::string& path);
// Creates a new SQLite file at path, where nothing may exist yet.
std::unique_ptr<Backend> CreateSqliteBackend(const std::string& path);

// The declared column type of a field, and the field type and size of a
// declared column type (exported for tests).
std::string SqliteDeclaredType(int type, int size);
void SqliteFieldTypeOf(std::string_view declaredType, int& type, int& size);

// Rows per transaction and seconds per transaction, whichever comes first.
inline constexpr int kSqliteBatchRows = 100000;
inline constexpr double kSqliteBatchSeconds = 1.0;

}  // namespace qx::dao
