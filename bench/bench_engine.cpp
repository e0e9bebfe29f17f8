// Rows per second into a new SQLite table through the engine's member
// calls, the way the transfer makes them (Fields(i), Type, Value := text,
// Update), beside the limit of this storage: the same rows inserted with
// one prepared statement in one transaction.
//
//   bench_engine [rows [engine|limit]]
//     rows: default 1,000,000; six fields per row: Long, Text(50), Double,
//     Date/Time, Boolean, Memo. A second argument runs one side only (for
//     profiling).
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dbengine/Dao.h"
#include "dbengine/Engine.h"
#include "platform/DateUtils.h"
#include "platform/VarConvert.h"

using namespace qx;
using namespace qx::dao;

namespace {

constexpr int kPool = 4096;  // distinct rows, repeated

struct PoolRow {
  // Texts as the transfer sends them, and the values it hands to the
  // engine (made outside the timed calls: that is the transfer's work).
  std::string text[6];
  Variant value[6];
  // The same values in their storage form, for the limit.
  int32_t id;
  double real;
  std::string dateText;
  int flag;
};

std::vector<PoolRow> MakePool() {
  std::mt19937_64 rng(42);
  std::uniform_int_distribution<int> len(5, 50), memoLen(0, 300), ch('a', 'z');
  std::uniform_real_distribution<double> real(-1e6, 1e6);
  std::uniform_int_distribution<int> day(-30000, 60000), ms(0, 86399999);
  std::vector<PoolRow> pool(kPool);
  for (int i = 0; i < kPool; ++i) {
    PoolRow& r = pool[static_cast<size_t>(i)];
    r.id = static_cast<int32_t>(rng() % 2000000000);
    r.real = real(rng);
    double dt = ComposeDateTime(day(rng), ms(rng) / kMSecsPerDay);
    r.flag = static_cast<int>(rng() & 1);
    std::string name, memo;
    for (int k = len(rng); k > 0; --k) name.push_back(static_cast<char>(ch(rng)));
    for (int k = memoLen(rng); k > 0; --k) memo.push_back(static_cast<char>(ch(rng)));
    r.text[0] = VarToText(Variant(r.id));
    r.text[1] = name;
    r.text[2] = VarToText(Variant(r.real));
    r.text[3] = VarToText(Variant::FromDate(dt));
    r.text[4] = r.flag ? "1" : "0";
    r.text[5] = memo;
    for (int f = 0; f < 6; ++f) r.value[f] = Variant(r.text[f]);
    // Storage form of the date, as the engine writes it.
    DateParts p;
    DecodeDateTime(dt, p);
    char buf[40];
    int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                          p.second);
    if (p.msec) std::snprintf(buf + n, sizeof buf - static_cast<size_t>(n), ".%03d", p.msec);
    r.dateText = buf;
  }
  return pool;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double RunEngine(const std::string& path, const std::vector<PoolRow>& pool, long rows) {
  auto start = std::chrono::steady_clock::now();
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 0);
  auto td = db->CreateTableDef("bench", 0, "", "");
  const std::pair<const char*, std::pair<int, int>> fields[] = {
      {"id", {dbLong, 4}},  {"name", {dbText, 50}},  {"amount", {dbDouble, 8}},
      {"at", {dbDate, 8}},  {"flag", {dbBoolean, 1}}, {"notes", {dbMemo, 0}},
  };
  for (const auto& f : fields) td->GetFields().Append(td->CreateField(f.first, f.second.first, f.second.second));
  db->GetTableDefs().Append(td);
  auto rs = db->OpenRecordset("bench", dbOpenTable, 0, dbPessimistic);
  for (long i = 0; i < rows; ++i) {
    const PoolRow& r = pool[static_cast<size_t>(i % kPool)];
    rs->AddNew();
    for (int f = 0; f < 6; ++f) {
      auto field = rs->GetFields().Item(f);
      int type = field->Type();  // the transfer's binary-field test
      if (type == dbBinary) std::abort();
      field->SetValue(r.value[f]);
    }
    rs->Update(dbUpdateRegular, false);
  }
  rs->Close();
  db->Close();
  return Seconds(start);
}

double RunLimit(const std::string& path, const std::vector<PoolRow>& pool, long rows) {
  auto start = std::chrono::steady_clock::now();
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE bench (id INTEGER, name VARCHAR(50), amount DOUBLE, at DATETIME, flag BOOLEAN, notes TEXT)",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO bench VALUES (?1, ?2, ?3, ?4, ?5, ?6)", -1, &stmt, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (long i = 0; i < rows; ++i) {
    const PoolRow& r = pool[static_cast<size_t>(i % kPool)];
    sqlite3_bind_int64(stmt, 1, r.id);
    sqlite3_bind_text(stmt, 2, r.text[1].data(), static_cast<int>(r.text[1].size()), SQLITE_STATIC);
    sqlite3_bind_double(stmt, 3, r.real);
    sqlite3_bind_text(stmt, 4, r.dateText.data(), static_cast<int>(r.dateText.size()), SQLITE_STATIC);
    sqlite3_bind_int(stmt, 5, r.flag);
    sqlite3_bind_text(stmt, 6, r.text[5].data(), static_cast<int>(r.text[5].size()), SQLITE_STATIC);
    if (sqlite3_step(stmt) != SQLITE_DONE) {
      std::fprintf(stderr, "limit insert failed: %s\n", sqlite3_errmsg(db));
      std::exit(1);
    }
    sqlite3_reset(stmt);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string only = argc > 2 ? argv[2] : "";
  std::string dir = (std::filesystem::temp_directory_path() / "qx_bench_XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) return 1;
  std::vector<PoolRow> pool = MakePool();
  double bestEngine = 1e300, bestLimit = 1e300;
  for (int round = 0; round < 2; ++round) {
    std::string limitPath = dir + "/limit" + std::to_string(round) + ".db";
    std::string enginePath = dir + "/engine" + std::to_string(round) + ".db";
    if (only != "engine") bestLimit = std::min(bestLimit, RunLimit(limitPath, pool, rows));
    if (only != "limit") bestEngine = std::min(bestEngine, RunEngine(enginePath, pool, rows));
    std::filesystem::remove(limitPath);
    std::filesystem::remove(enginePath);
  }
  std::filesystem::remove_all(dir);
  double limitRate = rows / bestLimit, engineRate = rows / bestEngine;
  std::printf("rows: %ld, six fields (Long, Text(50), Double, Date/Time, Boolean, Memo), best of 2\n", rows);
  if (only != "engine")
    std::printf("limit  (prepared INSERT, one transaction): %10.0f rows/s  (%.3f s)\n", limitRate, bestLimit);
  if (only != "limit")
    std::printf("engine (member calls, values as text):     %10.0f rows/s  (%.3f s)\n", engineRate, bestEngine);
  if (only.empty()) std::printf("engine / limit: %.0f%%\n", 100.0 * engineRate / limitRate);
  return 0;
}
