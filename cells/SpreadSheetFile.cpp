#include "cells/SpreadSheetFile.h"

#include "cells/KelUtils.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"

namespace qx {

using namespace std::placeholders;

void TSpreadSheetFile::PrepareSheets() {
  Sheets.ClearSheets();
  if (!OnDimensions) OnDimensions = std::bind(&TSpreadSheetFile::DefaultDimensions, this, _1, _2, _3, _4, _5, _6);
  if (!OnCellValue)
    OnCellValue = std::bind(&TSpreadSheetFile::DefaultCellValue, this, _1, _2, _3, _4, _5, _6, _7, _8);
  if (!OnGetCellValue) OnGetCellValue = std::bind(&TSpreadSheetFile::DefaultGetCellValue, this, _1, _2, _3, _4, _5);
  if (!OnSheet) OnSheet = std::bind(&TSpreadSheetFile::DefaultSheet, this, _1, _2, _3, _4);
  if (!OnSheetName) OnSheetName = std::bind(&TSpreadSheetFile::DefaultSheetName, this, _1, _2, _3);
  if (!OnColumnWidth) OnColumnWidth = std::bind(&TSpreadSheetFile::DefaultColumnWidth, this, _1, _2, _3, _4);
  if (!OnRowHeight) OnRowHeight = std::bind(&TSpreadSheetFile::DefaultRowHeight, this, _1, _2, _3, _4);
}

void TSpreadSheetFile::ReadMemo(uint32_t, int32_t, std::string& Value) { Value.clear(); }

void TSpreadSheetFile::ReadWideMemo(uint32_t, int32_t, std::u16string& Value) { Value.clear(); }

void TSpreadSheetFile::LoadFromFile(const std::string& AFileName) {
  if (CheckFileName) {
    std::string name = TrimControls(AFileName);
    if (name.empty()) throw EKelFileException("File is not defined.");
    if (!FileExists(name)) throw EKelFileException("File " + AFileName + " does not exist.");
  }
  FileName = AFileName;
  PrepareSheets();
}

void TSpreadSheetFile::ParseStream(Stream&) { PrepareSheets(); }

void TSpreadSheetFile::LoadFromStream(Stream& stream) {
  uint8_t prefix[12];
  stream.ReadBuffer(prefix, sizeof prefix);
  if (!(prefix[0] == 'B' && prefix[1] == 'D' && prefix[2] == 'O' && prefix[3] == 'C'))
    stream.Seek(-static_cast<int64_t>(sizeof prefix), SeekOrigin::Current);
  LoadStream(stream);
}

bool TSpreadSheetFile::SeekRecord(int32_t) { return true; }

bool TSpreadSheetFile::ReadRecord(int32_t Index, int32_t) {
  CurrentRecord = Index;
  return true;
}

int32_t TSpreadSheetFile::ColumnIndexByName(const std::string& Name) {
  if (NameKind == nkFieldName) return -1;
  return ColumnNameToIndex(Name, Sheets.GetSheet(SheetIndex)->Cells.UsedColCount);
}

void TSpreadSheetFile::GetColumnNames(TColumnList& List, const std::string& Spec) {
  List.clear();
  if (NameKind == nkAlphabet) FillColumnList(Sheets.GetSheet(SheetIndex)->Cells.UsedColCount, Spec, List);
}

void TSpreadSheetFile::DoLoadProgress(int32_t Position, int32_t TotalSize) {
  if (ProgressProc) ProgressProc(Position, TotalSize);
  if (OnLoadProgress) OnLoadProgress(*this, Position, TotalSize);
}

void TSpreadSheetFile::SetRowStatus(int32_t SheetNo, int32_t Row, TKelRowStatus Status) {
  TSpreadSheetCells& cells = Sheets.GetSheet(SheetNo)->Cells;
  if (TSpreadSheetRow* row = ItemOrNil(cells.Rows, Row)) row->Status = Status;
  if (OnRecordStatusChanged) OnRecordStatusChanged(*this, SheetNo, Row, Status);
}

void TSpreadSheetFile::DefaultDimensions(TCustomSpreadSheetFile&, int32_t SheetNo, int32_t, int32_t LastRow, int32_t,
                                         int32_t LastColumn) {
  TSpreadSheetCells& cells = Sheets.GetSheet(SheetNo)->Cells;
  cells.RowCount = LastRow;
  cells.ColCount = LastColumn < Range.LastCol ? LastColumn : Range.LastCol;
  if (!cells.TrackUsed) {
    cells.UsedRowCount = cells.RowCount;
    cells.UsedColCount = cells.ColCount;
  }
}

void TSpreadSheetFile::DefaultCellValue(TCustomSpreadSheetFile&, int32_t SheetNo, int32_t Row, int32_t Column,
                                        int32_t FormatIndex, const Variant& Value, TAlignment Alignment,
                                        TKelCellType CellType) {
  // The 0-based numbers are compared with the 1-based window as they stand.
  if (Column > Range.LastCol || Row > Range.LastRow) return;
  try {
    Sheets.GetSheet(SheetNo)->Cells.SetCell(Column, Row, Value, Alignment, FormatIndex, CellType);
  } catch (const Exception&) {
    // A value that cannot be stored is simply not kept.
  }
}

void TSpreadSheetFile::DefaultGetCellValue(TCustomSpreadSheetFile&, int32_t SheetNo, int32_t Row, int32_t Column,
                                           Variant& Value) {
  Value = Sheets.GetSheet(SheetNo)->Cells.GetCellValue(Column, Row);
}

void TSpreadSheetFile::DefaultSheet(TCustomSpreadSheetFile&, const std::u16string& Caption, int32_t Index,
                                    bool& Skip) {
  if (SheetIndex >= 0) Skip = SheetIndex != Index;
  int32_t added = Sheets.AddSheet();
  Sheets.Item(added)->Caption = Caption;
}

void TSpreadSheetFile::DefaultSheetName(TCustomSpreadSheetFile&, const std::u16string& Caption, int32_t Index) {
  if (TSpreadSheet* sheet = Sheets.Item(Index)) sheet->Caption = Caption;
}

void TSpreadSheetFile::DefaultColumnWidth(TCustomSpreadSheetFile&, int32_t SheetNo, int32_t ColumnNo, int32_t Width) {
  std::vector<int32_t>& widths = Sheets.GetSheet(SheetNo)->ColWidths;
  if (ColumnNo < 0) throw EListError(ListIndexMessage(ColumnNo));
  if (static_cast<int64_t>(widths.size()) <= ColumnNo) widths.resize(static_cast<size_t>(ColumnNo) + 1, 0);
  widths[static_cast<size_t>(ColumnNo)] = Width;
}

void TSpreadSheetFile::DefaultRowHeight(TCustomSpreadSheetFile&, int32_t SheetNo, int32_t RowNo, int32_t Height) {
  TSpreadSheetCells& cells = Sheets.GetSheet(SheetNo)->Cells;
  cells.Rows[static_cast<size_t>(cells.EnsureRow(RowNo))]->Height = Height;
}

}  // namespace qx
