// What the progress line costs the record walk: whole transfers of a
// synthetic table (bench/SyntheticAdt.h) into a SQLite target, with the
// progress hook unassigned (standard error no terminal) and assigned to a
// reporter that draws (as on a terminal, here into /dev/null), alternated.
//
//   bench_progress [records] [folder]     (defaults: 200000, the temporary folder)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "SyntheticAdt.h"
#include "dbengine/Dao.h"
#include "driver/Progress.h"
#include "transfer/Cell2ADT.h"

using namespace qx;

namespace {

struct Times {
  double wall = 0;
  double cpu = 0;  // this process's processor time: the walk's own cost, without the disk's waits
};

Times Transfer(const std::string& source, const std::string& target, ProgressLine* progress) {
  std::filesystem::remove(target);
  TCell2ADT engine;
  engine.Reader->FileName = source;
  engine.Reader->ReadOnDemand = true;
  engine.MDBFileName = target;
  engine.TableName = "t";
  if (progress != nullptr)
    engine.OnProgress = [progress](int64_t read, int64_t declared) { progress->Update(read, declared); };
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpuStart = std::clock();
  engine.Transfer();
  Times t;
  t.cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (progress != nullptr) progress->Finish();
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t records = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 200000;
  std::string folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path().string();
  std::string source = folder + "/quillex_bench_progress.adt";
  std::string target = folder + "/quillex_bench_progress.db";
  bench::WriteSyntheticTable(source, {records, true});
  dao::RegisterBuiltinEngines();
  int devNull = ::open("/dev/null", O_WRONLY);

  Transfer(source, target, nullptr);  // warm the page cache
  Times without, with;
  for (int round = 0; round < 3; ++round) {
    // Alternate the order so that drift (page cache, other processes) falls on both.
    for (int k = 0; k < 2; ++k) {
      if ((round + k) % 2 == 0) {
        Times t = Transfer(source, target, nullptr);
        without.wall += t.wall;
        without.cpu += t.cpu;
      } else {
        ProgressLine line = ProgressLine::Forced(devNull);
        Times t = Transfer(source, target, &line);
        with.wall += t.wall;
        with.cpu += t.cpu;
      }
    }
  }
  std::printf("%u records, 3 transfers each\n", records);
  std::printf("no hook:       %.3f s wall, %.3f s processor (%.0f records per processor second)\n", without.wall,
              without.cpu, 3 * records / without.cpu);
  std::printf("progress line: %.3f s wall, %.3f s processor (%.0f records per processor second)\n", with.wall, with.cpu,
              3 * records / with.cpu);
  std::printf("difference:    %+.1f%% wall, %+.1f%% processor\n", (with.wall / without.wall - 1) * 100,
              (with.cpu / without.cpu - 1) * 100);

  ::close(devNull);
  std::filesystem::remove(source);
  std::filesystem::remove(ChangeFileExt(source, ".adm"));
  std::filesystem::remove(target);
  return 0;
}
