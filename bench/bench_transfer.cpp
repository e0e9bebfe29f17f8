// Whole conversions by the quillex program on synthetic tables
// (bench/SyntheticAdt.h: a dozen mixed fields with a memo, every 50th record
// deleted, every 10th with Null values) into SQLite files.
//
//   bench_transfer [records] [quillex] [folder]
//       (defaults: 1000000; the quillex beside this build's bench folder;
//        the temporary folder)
//
// Memory: the peak resident set of a conversion of `records` records
// against one of 10,000 records (each run is its own process, measured by
// wait4). Filter cost: records per second for the large table without a
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

extern char** environ;

namespace {

struct RunResult {
  double seconds = 0;
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
  double base = 0;
  for (const auto& run : runs) {
    double best = 1e300;
    for (int k = 0; k < 3; ++k) best = std::min(best, Convert(quillex, large, db, run.filter).seconds);
    if (base == 0) base = best;
    std::printf("%-28s %7.2f s  %9.0f records/s  (%+.1f%% time)  %s\n", run.label, best, live / best,
                100.0 * (best - base) / base, run.filter);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
