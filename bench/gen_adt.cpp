// Writes the benchmark suite's table (bench/BenchTable.h): a .adt with its
// .adm memo file.
//
//   gen_adt <path.adt> [records]   (default 1,000,000 records)
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "BenchTable.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gen_adt <path.adt> [records]\n");
    return 2;
  }
  uint32_t records = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000000u;
  try {
    qx::bench::WriteBenchTable(argv[1], records);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
