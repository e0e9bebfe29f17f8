#pragma once
// Cells and rows of the cell model. A row owns its cells; an empty slot in a
// row's column list means "no cell in that column".
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "cells/Persistent.h"
#include "platform/Variant.h"

namespace qx {

// Kind of value a reader reports with a cell.
enum TKelCellType : uint8_t {
  ictUnknown = 0,
  ictEmpty = 1,     // a value known to be absent
  ictString = 2,
  ictInteger = 3,
  ictDecimal = 4,
  ictDateTime = 5,
  ictBoolean = 6,
  ictMemo = 7,
  ictDate = 8,
  ictTime = 9,
};

enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

enum TKelRowStatus : uint8_t { rsNormal = 0, rsDeleted = 1, rsError = 2 };

// A set of row statuses, one bit per status: {rsNormal} is 1,
// {rsNormal, rsDeleted} is 3.
struct TKelRowStatuses {
  uint8_t bits = 0;
  constexpr TKelRowStatuses() = default;
  constexpr TKelRowStatuses(std::initializer_list<TKelRowStatus> list) {
    for (TKelRowStatus s : list) bits = static_cast<uint8_t>(bits | (1u << s));
  }
  constexpr bool Contains(TKelRowStatus s) const { return (bits >> s) & 1u; }
  friend constexpr bool operator==(TKelRowStatuses a, TKelRowStatuses b) { return a.bits == b.bits; }
};

class TKelCell : public TPersistent {
 public:
  Variant Value;                       // Empty when created
  TAlignment Alignment = taLeftJustify;
  int32_t FormatIndex = 0;
  TKelCellType CellType = ictUnknown;

  const char* ClassName() const override { return "TKelCell"; }
  // Copies the four fields from another TKelCell; anything else is refused.
  void Assign(const TPersistent& Source) override;
};

// The cells of one row by 0-based column; a null entry is an empty slot.
using TSpreadSheetCols = std::vector<std::unique_ptr<TKelCell>>;

class TSpreadSheetRow : public TPersistent {
 public:
  int32_t Index = 0;        // position in its sheet when created
  TKelRowStatus Status = rsNormal;
  int32_t Height = 0;
  TSpreadSheetCols Cols;    // owned cells

  TSpreadSheetRow() = default;
  explicit TSpreadSheetRow(int32_t index) : Index(index) {}
  ~TSpreadSheetRow() override;
  TSpreadSheetRow(const TSpreadSheetRow&) = delete;
  TSpreadSheetRow& operator=(const TSpreadSheetRow&) = delete;

  const char* ClassName() const override { return "TSpreadSheetRow"; }
  // Every present cell: Value Null, Alignment taLeftJustify, FormatIndex -1;
  // CellType is kept and no cell is removed.
  void ClearValues();
};

// The entry at Index of an owning list, or nullptr when Index lies outside it
// (or the slot is empty).
template <typename T>
T* ItemOrNil(const std::vector<std::unique_ptr<T>>& list, int64_t Index) {
  if (Index < 0 || Index >= static_cast<int64_t>(list.size())) return nullptr;
  return list[static_cast<size_t>(Index)].get();
}

// Frees the entries of an owning list from the last to the first, then
// empties it.
template <typename T>
void ClearLastToFirst(std::vector<std::unique_ptr<T>>& list) {
  while (!list.empty()) {
    list.back().reset();
    list.pop_back();
  }
}

}  // namespace qx
