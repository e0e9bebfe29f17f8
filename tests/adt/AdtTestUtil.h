#pragma once
// Helpers of the reader tests: a recorder of delivered cells, and loading a
// table image from memory.
#include <memory>
#include <vector>

#include "adt/KeADT.h"
#include "platform/Stream.h"
#include "support/AdtFixture.h"

namespace qx::testing_adt {

struct Delivered {
  int32_t row = 0;
  int32_t column = 0;
  Variant value;
  TAlignment alignment = taLeftJustify;
  TKelCellType cellType = ictUnknown;
};

struct Recorder {
  std::vector<Delivered> cells;
  std::vector<std::pair<int32_t, TKelRowStatus>> statuses;
  void Attach(TADT& reader) {
    reader.OnCellValue = [this](TCustomSpreadSheetFile&, int32_t, int32_t row, int32_t col, int32_t, const Variant& v,
                                TAlignment a, TKelCellType t) { cells.push_back({row, col, v, a, t}); };
    reader.OnRecordStatusChanged = [this](TCustomSpreadSheetFile&, int32_t, int32_t row, TKelRowStatus s) {
      statuses.emplace_back(row, s);
    };
  }
};

// A reader loaded on demand from `bytes` (kept alive by the returned stream).
struct LoadedTable {
  std::unique_ptr<MemoryStream> stream;
  std::unique_ptr<TADT> reader;
  Recorder rec;
};

inline std::unique_ptr<LoadedTable> LoadOnDemand(const fixture::Bytes& bytes,
                                                 const fixture::Bytes* memo = nullptr) {
  auto t = std::make_unique<LoadedTable>();
  t->stream = std::make_unique<MemoryStream>(bytes);
  t->reader = std::make_unique<TADT>();
  t->rec.Attach(*t->reader);
  if (memo) t->reader->AttachMemoStream(std::make_unique<MemoryStream>(*memo));
  t->reader->ParseStream(*t->stream);
  return t;
}

}  // namespace qx::testing_adt
