// The limit of the storage for the benchmark suite (bench/run_all.sh): the
// rows of an SQLite table inserted again by a plain loop with one prepared
// statement in one transaction, into a new table declared like the source.
// The rows are read in batches outside the timed part, so the time is that
// of binding, stepping and committing only; memory stays constant.
//
//   bench_limit <source.db> <target.db>
//     prints: <rows> <wall seconds> <CPU seconds>
#include <sqlite3.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_limit <source.db> <target.db>\n");
    return 2;
  }
  sqlite3* src = nullptr;
  sqlite3* dst = nullptr;
  Check(src, sqlite3_open_v2(argv[1], &src, SQLITE_OPEN_READONLY, nullptr), "open source");
  std::filesystem::remove(argv[2]);
  Check(dst, sqlite3_open(argv[2], &dst), "open target");

  sqlite3_stmt* schema = nullptr;
  Check(src, sqlite3_prepare_v2(src, "SELECT name, sql FROM sqlite_master WHERE type='table' LIMIT 1", -1, &schema,
                                nullptr),
        "schema");
  if (sqlite3_step(schema) != SQLITE_ROW) {
    std::fprintf(stderr, "no table in %s\n", argv[1]);
    return 1;
  }
  std::string table = reinterpret_cast<const char*>(sqlite3_column_text(schema, 0));
  std::string create = reinterpret_cast<const char*>(sqlite3_column_text(schema, 1));
  sqlite3_finalize(schema);
  Check(dst, sqlite3_exec(dst, create.c_str(), nullptr, nullptr, nullptr), "create");

  sqlite3_stmt* select = nullptr;
  std::string quoted = "\"" + table + "\"";
  Check(src, sqlite3_prepare_v2(src, ("SELECT * FROM " + quoted).c_str(), -1, &select, nullptr), "select");
  int columns = sqlite3_column_count(select);
  std::string insert = "INSERT INTO " + quoted + " VALUES (";
  for (int c = 0; c < columns; ++c) insert += c ? ",?" : "?";
  insert += ")";
  sqlite3_stmt* stmt = nullptr;
  Check(dst, sqlite3_prepare_v2(dst, insert.c_str(), -1, &stmt, nullptr), "prepare");

  using Clock = std::chrono::steady_clock;
  Clock::duration timed{};
  double cpu = 0;
  double c0 = CpuSeconds();
  auto t0 = Clock::now();
  Check(dst, sqlite3_exec(dst, "BEGIN", nullptr, nullptr, nullptr), "begin");
  timed += Clock::now() - t0;
  cpu += CpuSeconds() - c0;

  constexpr size_t kBatch = 10000;
  std::vector<sqlite3_value*> batch;
  batch.reserve(kBatch * static_cast<size_t>(columns));
  long rows = 0;
  bool more = true;
  while (more) {
    for (auto* v : batch) sqlite3_value_free(v);
    batch.clear();
    while (batch.size() < kBatch * static_cast<size_t>(columns)) {
      int rc = sqlite3_step(select);
      if (rc != SQLITE_ROW) {
        Check(src, rc, "read");
        more = false;
        break;
      }
      for (int c = 0; c < columns; ++c) batch.push_back(sqlite3_value_dup(sqlite3_column_value(select, c)));
    }
    double cpuStart = CpuSeconds();
    auto start = Clock::now();
    for (size_t at = 0; at < batch.size(); at += static_cast<size_t>(columns)) {
      for (int c = 0; c < columns; ++c) sqlite3_bind_value(stmt, c + 1, batch[at + static_cast<size_t>(c)]);
      Check(dst, sqlite3_step(stmt), "insert");
      sqlite3_reset(stmt);
      ++rows;
    }
    timed += Clock::now() - start;
    cpu += CpuSeconds() - cpuStart;
  }
  for (auto* v : batch) sqlite3_value_free(v);
  double cpuStart = CpuSeconds();
  auto start = Clock::now();
  Check(dst, sqlite3_exec(dst, "COMMIT", nullptr, nullptr, nullptr), "commit");
  sqlite3_finalize(stmt);
  sqlite3_close(dst);
  timed += Clock::now() - start;
  cpu += CpuSeconds() - cpuStart;
  sqlite3_finalize(select);
  sqlite3_close(src);
  std::printf("%ld %.4f %.4f\n", rows, std::chrono::duration<double>(timed).count(), cpu);
  return 0;
}
