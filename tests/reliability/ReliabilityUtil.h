#pragma once
// Helpers of the reliability tests: small fixture tables, the quillex program
// run under a file-size limit or killed at a chosen moment, and the target
// database read back through SQLite itself.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/AdtFixture.h"

namespace qx::reliability {

// A small table: ID (Integer), NAME (String 10), NOTES (Memo), with three
// records (1 "Ann" "first note", 2 "Bob" "second note", 3 "Cy" no note).
fixture::AdtTableWriter ThreeRecords();

// Writes a table of `records` records (ID AutoInc 1.., NAME String 20)
// record by record; returns the table's size in bytes.
int64_t WriteLargeTable(const std::string& path, uint32_t records);

struct Outcome {
  int exitCode = -1;  // -1 when the process did not exit normally
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs quillex with args; with fileSizeLimit > 0 under that RLIMIT_FSIZE
// (and the default action of SIGXFSZ, as a shell with `ulimit -f` has it).
// A run still going after two minutes is killed (signal SIGKILL).
Outcome RunQuillexLimited(const std::vector<std::string>& args, int64_t fileSizeLimit);

// Starts quillex with args (output discarded); returns its process id.
pid_t StartQuillex(const std::vector<std::string>& args);
// Sends SIGKILL to pid and reaps it; returns its wait status.
int KillAndReap(pid_t pid);
// Waits for pid; returns its wait status.
int Reap(pid_t pid);

// The target database read through the sqlite3 C API.
struct DbState {
  bool exists = false;
  std::string integrity;   // "ok" when PRAGMA integrity_check passes
  bool hasTable = false;   // the table asked for exists
  std::vector<std::vector<std::string>> rows;  // its rows in rowid order ("<null>" for Null)
};
// With readRows false, rows stays empty (for large tables).
DbState ReadDb(const std::string& path, const std::string& table, bool readRows = true);
// The first column of the first row of a query, as text ("" when none or
// when the query fails). Read-only leaves a journal a killed run left alone.
std::string QueryOne(const std::string& path, const std::string& sql, bool readOnly = false);

// Creates a database at path with the statements given (via sqlite3).
void MakeDb(const std::string& path, const std::vector<std::string>& statements);

std::string FileBytes(const std::string& path);  // "" when missing
bool PathExists(const std::string& path);

}  // namespace qx::reliability
