// Whole conversions by the quillex program on synthetic tables
// (bench/SyntheticAdt.h: a dozen mixed fields with a memo, every 50th record
// deleted, every 10th with Null values) into SQLite files.
//
//   bench_transfer [records] [quillex] [folder] [memory]
//       (defaults: 1000000; the quillex beside this build's bench folder;
//        the temporary folder; "memory" skips the timing runs)
//
// Memory: the peak resident set of a conversion of `records` records
// against one of 10,000 records (each run is its own process, measured by
// wait4), also with the storage replaced by an engine that keeps nothing,
// which shows the transfer's and the reader's own part. Filter cost: records per second for the large table without a
// filter, with a field filter every record passes (the cost of evaluating
// it, with the same rows written), and with a selective one.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "SyntheticAdt.h"
#include "dbengine/Dao.h"
#include "transfer/Cell2ADT.h"

extern char** environ;

namespace {

// A database engine that takes every call and keeps nothing: the transfer
// and the reader alone, without any storage behind them.
namespace null_engine {
using namespace qx;
class NullField : public dao::Field {
 public:
  NullField(std::string n, int t) : name_(std::move(n)), type_(t) {}
  std::string Name() const override { return name_; }
  int Type() const override { return type_; }
  int Size() const override { return 0; }
  int Attributes() const override { return 0; }
  void SetAttributes(int) override {}
  void SetValue(const Variant&) override {}

 private:
  std::string name_;
  int type_;
};
class NullFields : public dao::Fields {
 public:
  int Count() const override { return static_cast<int>(items.size()); }
  std::shared_ptr<dao::Field> Item(int i) override { return items.at(static_cast<size_t>(i)); }
  void Append(const std::shared_ptr<dao::Field>& f) override { items.push_back(f); }
  std::vector<std::shared_ptr<dao::Field>> items;
};
class NullTableDef : public dao::TableDef {
 public:
  explicit NullTableDef(std::string n) : name_(std::move(n)) {}
  std::string Name() const override { return name_; }
  std::shared_ptr<dao::Field> CreateField(const std::string& n, int t, int) override {
    return std::make_shared<NullField>(n, t);
  }
  dao::Fields& GetFields() override { return fields; }
  NullFields fields;

 private:
  std::string name_;
};
class NullTableDefs : public dao::TableDefs {
 public:
  int Count() override { return table ? 1 : 0; }
  std::shared_ptr<dao::TableDef> Item(int) override { return table; }
  void Delete(const std::string&) override { table.reset(); }
  void Append(const std::shared_ptr<dao::TableDef>& t) override {
    table = std::static_pointer_cast<NullTableDef>(t);
  }
  std::shared_ptr<NullTableDef> table;
};
class NullRecordset : public dao::Recordset {
 public:
  explicit NullRecordset(NullFields& f) : fields_(f) {}
  void AddNew() override {}
  dao::Fields& GetFields() override { return fields_; }
  void Update(int, bool) override {}
  void Close() override {}

 private:
  NullFields& fields_;
};
class NullDatabase : public dao::Database {
 public:
  dao::TableDefs& GetTableDefs() override { return defs; }
  std::shared_ptr<dao::TableDef> CreateTableDef(const std::string& n, int, const std::string&,
                                                const std::string&) override {
    return std::make_shared<NullTableDef>(n);
  }
  std::shared_ptr<dao::Recordset> OpenRecordset(const std::string&, int, int, int) override {
    return std::make_shared<NullRecordset>(defs.table->fields);
  }
  void Close() override {}
  NullTableDefs defs;
};
class NullEngine : public dao::DBEngine {
 public:
  std::shared_ptr<dao::Database> OpenDatabase(const std::string&) override { return std::make_shared<NullDatabase>(); }
  std::shared_ptr<dao::Database> CreateDatabase(const std::string&, const std::string&, int) override {
    return std::make_shared<NullDatabase>();
  }
};
}  // namespace null_engine

// Peak resident set (KiB) of a child process that transfers `adt` into the
// null engine, configured as the program configures its runs.
long TransferOnlyPeakRss(const std::string& adt) {
  pid_t pid = fork();
  if (pid == 0) {
    qx::dao::RegisterEngine("DAO.DBEngine.120", [] { return std::make_shared<null_engine::NullEngine>(); });
    auto engine = std::make_unique<qx::TCell2ADT>();
    engine->Reader->FileName = adt;
    engine->MDBFileName = adt + ".none";
    engine->TableName = "t";
    engine->Transfer();
    _exit(0);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  return usage.ru_maxrss;
}

struct RunResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user + system
  long maxRssKb = 0;
  int exitCode = -1;
};

RunResult RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    std::perror("posix_spawn");
    std::exit(1);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  RunResult r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.maxRssKb = usage.ru_maxrss;
  r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

RunResult Convert(const std::string& quillex, const std::string& adt, const std::string& db,
                  const std::string& filter = "") {
  std::filesystem::remove(db);
  std::vector<std::string> args{quillex, adt, db};
  if (!filter.empty()) args.push_back("/filter=" + filter);
  RunResult r = RunChild(args);
  if (r.exitCode != 0) {
    std::fprintf(stderr, "quillex failed (exit %d) on %s\n", r.exitCode, adt.c_str());
    std::exit(1);
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t records = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
  std::string quillex = argc > 2 ? argv[2]
                                 : (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() /
                                    "quillex")
                                       .string();
  std::filesystem::path folder =
      (argc > 3 ? std::filesystem::path(argv[3]) : std::filesystem::temp_directory_path()) / "qx_bench_transfer";
  std::filesystem::create_directories(folder);
  const std::string small = (folder / "small.adt").string();
  const std::string large = (folder / "large.adt").string();
  qx::bench::WriteSyntheticTable(small, {10000, true});
  qx::bench::WriteSyntheticTable(large, {records, true});
  const std::string db = (folder / "out.db").string();

  // Memory: best of two runs each (the first warms the file cache).
  RunResult s1 = Convert(quillex, small, db), s2 = Convert(quillex, small, db);
  RunResult l1 = Convert(quillex, large, db), l2 = Convert(quillex, large, db);
  const long smallRss = std::min(s1.maxRssKb, s2.maxRssKb), largeRss = std::min(l1.maxRssKb, l2.maxRssKb);
  std::printf("peak RSS: 10000 records %ld KiB, %u records %ld KiB (%+.1f%%)\n", smallRss, records, largeRss,
              100.0 * (static_cast<double>(largeRss) - static_cast<double>(smallRss)) / static_cast<double>(smallRss));

  const long smallOnly = std::min(TransferOnlyPeakRss(small), TransferOnlyPeakRss(small));
  const long largeOnly = std::min(TransferOnlyPeakRss(large), TransferOnlyPeakRss(large));
  std::printf("peak RSS without storage (transfer and reader only): 10000 records %ld KiB, %u records %ld KiB (%+.1f%%)\n",
              smallOnly, records, largeOnly,
              100.0 * (static_cast<double>(largeOnly) - static_cast<double>(smallOnly)) / static_cast<double>(smallOnly));
  if (argc > 4 && std::string(argv[4]) == "memory") {
    std::filesystem::remove_all(folder);
    return 0;
  }

  // Filter cost, best of three runs each.
  const struct {
    const char* label;
    const char* filter;
  } runs[] = {
      {"no filter", ""},
      {"filter passing every record", "([PRIO]>=0) AND ([CITY]<>\"Nowhere\")"},
      {"selective filter", "([CITY]=\"Bristol\") AND ([QTY]>500)"},
  };
  const double live = records - records / 50;  // every 50th record is deleted
  double base = 0, baseCpu = 0;
  for (const auto& run : runs) {
    double best = 1e300, bestCpu = 1e300;
    for (int k = 0; k < 3; ++k) {
      RunResult r = Convert(quillex, large, db, run.filter);
      best = std::min(best, r.seconds);
      bestCpu = std::min(bestCpu, r.cpuSeconds);
    }
    if (base == 0) base = best, baseCpu = bestCpu;
    std::printf("%-28s %7.2f s  %9.0f records/s  (%+.1f%% time)  cpu %6.2f s (%+.1f%%)  %s\n", run.label, best,
                live / best, 100.0 * (best - base) / base, bestCpu, 100.0 * (bestCpu - baseCpu) / baseCpu, run.filter);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
