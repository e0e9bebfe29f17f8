// Records decoded per second by the ADT reader on a synthetic table of a
// million records with a dozen mixed fields (bench/SyntheticAdt.h), read as
// the transfer engine reads: on demand, in order, from a file stream.
//
//   bench_adt [records] [folder]     (defaults: 1000000, the temporary folder)
//
// Three passes: decoding with a handler that only looks at each value; the
// same with memo contents left unread; and decoding into a reused row buffer
// the way the transfer engine stores values.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "SyntheticAdt.h"
#include "adt/KeADT.h"

using namespace qx;

namespace {

struct Result {
  double seconds = 0;
  uint64_t records = 0;
  uint64_t values = 0;
};

template <typename Setup>
Result Run(const std::string& path, Setup setup) {
  FileStream stream(path);
  TADT reader;
  reader.FileName = path;
  Result result;
  setup(reader, result);
  auto start = std::chrono::steady_clock::now();
  reader.ParseStream(stream);
  const int32_t count = reader.RecordCount();
  for (int32_t i = 0; i < count; ++i) {
    if (stream.Position() >= stream.Size() - 1) break;
    if (reader.ReadRecord(i, i)) ++result.records;
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

void Report(const char* label, const Result& r) {
  std::printf("%-34s %9.0f records/s  (%llu records, %llu values, %.3f s)\n", label, r.records / r.seconds,
              static_cast<unsigned long long>(r.records), static_cast<unsigned long long>(r.values), r.seconds);
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t records = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
  std::string folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path().string();
  std::string path = folder + "/quillex_bench_adt.adt";

  auto t0 = std::chrono::steady_clock::now();
  bench::WriteSyntheticTable(path, {records, true});
  std::printf("generated %u records (%d fields) in %.2f s: %s (%lld bytes)\n", records, bench::kSyntheticFieldCount,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), path.c_str(),
              static_cast<long long>(std::filesystem::file_size(path)));

  auto countValues = [](TADT& reader, Result& result) {
    reader.OnCellValue = [&result](TCustomSpreadSheetFile&, int32_t, int32_t, int32_t, int32_t, const Variant& v,
                                   TAlignment, TKelCellType) { result.values += v.IsNull() ? 0 : 1; };
  };
  Run(path, countValues);  // warm the page cache
  Report("decode, memos read", Run(path, countValues));
  Report("decode, memos not read", Run(path, [&](TADT& reader, Result& result) {
           countValues(reader, result);
           reader.ParseItems.Exclude(ipiBLOB);
         }));

  TSpreadSheetRow row;
  Report("decode into a reused row buffer", Run(path, [&row](TADT& reader, Result& result) {
           reader.OnCellValue = [&row, &result](TCustomSpreadSheetFile&, int32_t, int32_t, int32_t column, int32_t format,
                                                const Variant& v, TAlignment alignment, TKelCellType) {
             if (static_cast<int64_t>(row.Cols.size()) <= column) row.Cols.resize(static_cast<size_t>(column) + 1);
             auto& cell = row.Cols[static_cast<size_t>(column)];
             if (!cell) cell = std::make_unique<TKelCell>();
             cell->Value = v;
             cell->Alignment = alignment;
             cell->FormatIndex = format;
             ++result.values;
           };
           reader.OnLoadProgress = [&row](TCustomSpreadSheetFile&, int32_t, int32_t) { row.ClearValues(); };
         }));

  std::filesystem::remove(path);
  std::filesystem::remove(ChangeFileExt(path, ".adm"));
  return 0;
}
