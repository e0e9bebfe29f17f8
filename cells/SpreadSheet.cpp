#include "cells/SpreadSheet.h"

#include <string>

#include "platform/Exceptions.h"

namespace qx {

int32_t TSpreadSheetCells::EnsureRow(int32_t Row) {
  if (Row < 0) throw EListError(ListIndexMessage(Row));
  while (static_cast<int64_t>(Rows.size()) <= Row)
    Rows.push_back(std::make_unique<TSpreadSheetRow>(static_cast<int32_t>(Rows.size())));
  return Row;
}

void TSpreadSheetCells::DeleteRow(int32_t Index) {
  if (Index < 0 || Index >= Count()) throw EListError(ListIndexMessage(Index));
  Rows.erase(Rows.begin() + Index);
}

void TSpreadSheetCells::ClearRows() {
  ClearLastToFirst(Rows);
  ColCount = RowCount = UsedColCount = UsedRowCount = 0;
}

TKelCell* TSpreadSheetCells::GetCell(int32_t Column, int32_t Row) const {
  TSpreadSheetRow* row = ItemOrNil(Rows, Row);
  return row ? ItemOrNil(row->Cols, Column) : nullptr;
}

Variant TSpreadSheetCells::GetCellValue(int32_t Column, int32_t Row) const {
  TKelCell* cell = GetCell(Column, Row);
  return cell ? cell->Value : Variant::Null();
}

void TSpreadSheetCells::SetCell(int32_t Column, int32_t Row, const Variant& Value, TAlignment Alignment,
                                int32_t FormatIndex, TKelCellType CellType) {
  if (Column < 0 || Value.IsEmptyOrNull()) return;
  TSpreadSheetRow& row = *Rows[static_cast<size_t>(EnsureRow(Row))];
  if (static_cast<int64_t>(row.Cols.size()) <= Column) row.Cols.resize(static_cast<size_t>(Column) + 1);
  auto& slot = row.Cols[static_cast<size_t>(Column)];
  if (!slot) slot = std::make_unique<TKelCell>();
  slot->Value = Value;
  slot->Alignment = Alignment;
  slot->FormatIndex = FormatIndex;
  slot->CellType = CellType;
  if (TrackUsed) {
    if (Column >= UsedColCount) UsedColCount = Column + 1;
    if (Row >= UsedRowCount) UsedRowCount = Row + 1;
  }
}

int32_t TSpreadSheets::AddSheet() {
  if (!SheetClass) SheetClass = [] { return std::make_unique<TSpreadSheet>(); };
  items_.push_back(SheetClass());
  int32_t index = Count() - 1;
  std::string caption = "Sheet" + std::to_string(index + 1);
  items_.back()->Caption.assign(caption.begin(), caption.end());
  return index;
}

TSpreadSheet* TSpreadSheets::GetSheet(int32_t Index) {
  if (Index < 0) Index = 0;
  while (Count() <= Index) AddSheet();
  return items_[static_cast<size_t>(Index)].get();
}

void TSpreadSheets::DeleteSheet(int32_t Index) {
  GetSheet(Index);
  if (Index < 0) Index = 0;
  items_.erase(items_.begin() + Index);
}

void TSpreadSheets::ClearSheets() {
  for (int32_t i = Count() - 1; i >= 0; --i) DeleteSheet(i);
}

}  // namespace qx
