// A million rows into a new .mdb file, beside the same rows into a new
// SQLite database (one prepared INSERT in one transaction, the way a
// storage backend writes them). Prints rows per second for both.
//   bench_mdb [rows] [folder] [keep]   (keep: leave the files for a look with other readers)
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "dbengine/mdb/MdbWriter.h"

using namespace qx;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long long FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

std::string Name(int i) { return "customer " + std::to_string(i); }

double BenchMdb(const std::string& path, int rows) {
  auto start = Clock::now();
  auto db = mdb::MdbDatabase::Create(path);
  auto& t = db->CreateTable(u"Orders", {{u"Id", mdb::kColLong, 0}, {u"Name", mdb::kColText, 50},
                                        {u"Amount", mdb::kColDouble, 0}, {u"Ordered", mdb::kColDateTime, 0},
                                        {u"Paid", mdb::kColBoolean, 0}, {u"Note", mdb::kColMemo, 0}});
  std::vector<Variant> row(6);
  for (int i = 0; i < rows; ++i) {
    row[0] = Variant(i);
    row[1] = Variant(Name(i));
    row[2] = Variant(i * 0.01);
    row[3] = Variant::FromDate(40000 + i / 1000.0);
    row[4] = Variant(i % 3 == 0);
    row[5] = i % 100 == 0 ? Variant("a short note on order " + std::to_string(i)) : Variant::Null();
    t.AppendRow(row);
  }
  db->Close();
  return Seconds(start);
}

double BenchSqlite(const std::string& path, int rows) {
  auto start = Clock::now();
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE Orders (Id INTEGER, Name TEXT, Amount REAL, Ordered REAL, Paid INTEGER, Note TEXT);"
               "BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Orders VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
  for (int i = 0; i < rows; ++i) {
    std::string name = Name(i);
    sqlite3_bind_int(st, 1, i);
    sqlite3_bind_text(st, 2, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_double(st, 3, i * 0.01);
    sqlite3_bind_double(st, 4, 40000 + i / 1000.0);
    sqlite3_bind_int(st, 5, i % 3 == 0 ? -1 : 0);
    if (i % 100 == 0) {
      std::string note = "a short note on order " + std::to_string(i);
      sqlite3_bind_text(st, 6, note.c_str(), int(note.size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(st, 6);
    }
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::string dir = argc > 2 ? argv[2] : "/tmp";
  std::string mdbPath = dir + "/bench_mdb.mdb", sqlitePath = dir + "/bench_mdb.sqlite";
  unlink(mdbPath.c_str());
  unlink(sqlitePath.c_str());
  double m = BenchMdb(mdbPath, rows);
  double s = BenchSqlite(sqlitePath, rows);
  std::printf(".mdb    %d rows in %.2f s: %.0f rows/s, %lld bytes\n", rows, m, rows / m, FileSize(mdbPath));
  std::printf("SQLite  %d rows in %.2f s: %.0f rows/s, %lld bytes\n", rows, s, rows / s, FileSize(sqlitePath));
  if (!(argc > 3 && std::string(argv[3]) == "keep")) {
    unlink(mdbPath.c_str());
    unlink(sqlitePath.c_str());
  }
  return 0;
}
