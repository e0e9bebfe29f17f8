#pragma once
// Reads tables of .mdb files back through two independent readers:
// mdbtools (mdb-export, mdb-tables, mdb-count) and the npm package
// mdb-reader (through tools/mdbjson.js). Tests skip when a reader is not
// installed.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qx::mdbtest {

struct ReaderColumn {
  std::string name, type;
  int size = 0;
};

struct ReaderTable {
  std::vector<ReaderColumn> columns;
  // Values by (row, column): mdb-reader gives JSON texts, mdbtools the
  // text mdb-export prints (kNullText for Null).
  std::map<std::pair<int, int>, std::string> cells;
  int rows = 0;
};

inline const std::string kNullText = "<null>";

// Empty when the reader is available, else why not (for GTEST_SKIP).
std::string MdbToolsMissing();
std::string MdbReaderMissing();

// Runs a shell command; returns its standard output, sets exitCode.
std::string RunCommand(const std::string& command, int& exitCode);

ReaderTable ReadWithMdbReader(const std::string& file, const std::string& table);
ReaderTable ReadWithMdbTools(const std::string& file, const std::string& table);
// User table names as each reader lists them.
std::vector<std::string> TablesWithMdbReader(const std::string& file);
std::vector<std::string> TablesWithMdbTools(const std::string& file);
// The CREATE TABLE text mdb-schema prints for the table.
std::string SchemaWithMdbTools(const std::string& file, const std::string& table);
long long CountWithMdbTools(const std::string& file, const std::string& table);

// How mdb-reader reports a stored date-time: {"date":"<ISO text>"} of
// 1899-12-30 plus value days by plain arithmetic (also for the days
// before 1899-12-30, whose time of day it thus reads backwards).
std::string MdbReaderDate(double value);

// A fresh temporary folder per test program run.
std::string TempDir();

}  // namespace qx::mdbtest
