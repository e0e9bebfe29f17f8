#pragma once
// Sheets of the cell model: a sheet owns its row list and its column widths;
// a sheet list owns its sheets and creates them on demand with a sheet kind
// chosen at run time (a reader installs its own subclass).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cells/KelCell.h"

namespace qx {

// The rows of one sheet by 0-based row number; a null entry is an empty slot.
class TSpreadSheetCells {
 public:
  std::vector<std::unique_ptr<TSpreadSheetRow>> Rows;  // owned
  int32_t ColCount = 0;
  int32_t RowCount = 0;
  int32_t UsedColCount = 0;
  int32_t UsedRowCount = 0;
  bool TrackUsed = true;

  TSpreadSheetCells() = default;
  ~TSpreadSheetCells() { ClearRows(); }
  TSpreadSheetCells(const TSpreadSheetCells&) = delete;
  TSpreadSheetCells& operator=(const TSpreadSheetCells&) = delete;

  int32_t Count() const { return static_cast<int32_t>(Rows.size()); }
  // Appends rows (Index = position) until more than Row rows exist; returns Row.
  // REQUIRES: Row >= 0 (a negative Row raises EListError).
  int32_t EnsureRow(int32_t Row);
  // Frees the row at Index and removes the entry; EListError outside the list.
  void DeleteRow(int32_t Index);
  // Frees every row (last to first), zeroes the four counts, keeps TrackUsed.
  void ClearRows();
  // The cell at (Column, Row), or nullptr.
  TKelCell* GetCell(int32_t Column, int32_t Row) const;
  // The value of that cell, or Null.
  Variant GetCellValue(int32_t Column, int32_t Row) const;
  // Stores a value; Null or Empty values and negative columns store nothing.
  // A negative Row raises EListError.
  void SetCell(int32_t Column, int32_t Row, const Variant& Value, TAlignment Alignment, int32_t FormatIndex,
               TKelCellType CellType);
};

class TSpreadSheet {
 public:
  TSpreadSheetCells Cells;
  std::u16string Caption;
  std::vector<int32_t> ColWidths;  // by 0-based column; unset entries hold 0

  TSpreadSheet() = default;
  virtual ~TSpreadSheet() = default;
  TSpreadSheet(const TSpreadSheet&) = delete;
  TSpreadSheet& operator=(const TSpreadSheet&) = delete;
};

// Creates a sheet of one kind; the run-time "sheet class".
using TSpreadSheetClass = std::function<std::unique_ptr<TSpreadSheet>()>;

class TSpreadSheets {
 public:
  // The kind AddSheet creates; unset means TSpreadSheet.
  TSpreadSheetClass SheetClass;

  TSpreadSheets() = default;
  ~TSpreadSheets() { ClearSheets(); }
  TSpreadSheets(const TSpreadSheets&) = delete;
  TSpreadSheets& operator=(const TSpreadSheets&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Creates a sheet of SheetClass captioned "Sheet<index + 1>"; returns its index.
  int32_t AddSheet();
  // The sheet at Index (a negative Index counts as 0), creating sheets up to
  // it as needed; never null.
  TSpreadSheet* GetSheet(int32_t Index);
  // Frees the sheet at Index (created first when missing) and removes it.
  void DeleteSheet(int32_t Index);
  // DeleteSheet for every index, from the last to the first.
  void ClearSheets();
  // The sheet at Index or nullptr; creates nothing.
  TSpreadSheet* Item(int32_t Index) const { return ItemOrNil(items_, Index); }

 private:
  std::vector<std::unique_ptr<TSpreadSheet>> items_;
};

}  // namespace qx
