#include <gtest/gtest.h>

#include "cells/KeCells.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(CellModel, NewObjectsHoldTheirDefaults) {
  TKelCell cell;
  EXPECT_TRUE(cell.Value.IsEmpty());
  EXPECT_EQ(cell.Alignment, taLeftJustify);
  EXPECT_EQ(cell.FormatIndex, 0);
  EXPECT_EQ(cell.CellType, ictUnknown);
  TKeRange range;
  EXPECT_EQ(range.FirstRow, 1);
  EXPECT_EQ(range.LastRow, 2147483647);
  EXPECT_EQ(range.FirstCol, 1);
  EXPECT_EQ(range.LastCol, 2147483647);
  EXPECT_EQ((TKelRowStatuses{rsNormal}.bits), 1);
  EXPECT_EQ((TKelRowStatuses{rsNormal, rsDeleted}.bits), 3);
}

TEST(CellModel, AssignCopiesOnlyBetweenCompatibleClasses) {
  TKelCell a, b;
  a.Value = Variant("x");
  a.Alignment = taCenter;
  a.FormatIndex = 7;
  a.CellType = ictMemo;
  b.Assign(a);
  EXPECT_EQ(b.Value, Variant("x"));
  EXPECT_EQ(b.Alignment, taCenter);
  EXPECT_EQ(b.FormatIndex, 7);
  EXPECT_EQ(b.CellType, ictMemo);

  TKeRange r1, r2;
  r1.FirstRow = 3;
  r1.LastCol = 9;
  r2.Assign(r1);
  EXPECT_EQ(r2.FirstRow, 3);
  EXPECT_EQ(r2.LastCol, 9);

  try {
    b.Assign(r1);
    FAIL() << "assigning a range to a cell must fail";
  } catch (const EAssignError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TKeRange to a TKelCell");
  }
  EXPECT_THROW(r1.Assign(a), EAssignError);
}

TEST(CellModel, SetCellCreatesRowsAndCellsOnDemandAndTracksUsedCounts) {
  TSpreadSheetCells cells;
  cells.SetCell(0, 0, Variant::Null(), taLeftJustify, 0, ictString);
  cells.SetCell(0, 0, Variant(), taLeftJustify, 0, ictString);
  cells.SetCell(-1, 0, Variant(1), taLeftJustify, 0, ictString);
  EXPECT_EQ(cells.Count(), 0);
  EXPECT_EQ(cells.UsedColCount, 0);
  EXPECT_EQ(cells.UsedRowCount, 0);

  cells.SetCell(3, 0, Variant(5), taRightJustify, 2, ictInteger);
  ASSERT_EQ(cells.Count(), 1);
  ASSERT_EQ(cells.Rows[0]->Cols.size(), 4u);
  EXPECT_EQ(cells.Rows[0]->Cols[0], nullptr);
  EXPECT_EQ(cells.UsedColCount, 4);
  EXPECT_EQ(cells.UsedRowCount, 1);

  cells.SetCell(1, 5, Variant("v"), taLeftJustify, 0, ictString);
  ASSERT_EQ(cells.Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(cells.Rows[i]->Index, i);
  EXPECT_EQ(cells.UsedRowCount, 6);
  EXPECT_EQ(cells.UsedColCount, 4);

  // A Null never overwrites what a cell holds.
  cells.SetCell(3, 0, Variant::Null(), taLeftJustify, 0, ictString);
  EXPECT_EQ(cells.GetCellValue(3, 0), Variant(5));
  TKelCell* cell = cells.GetCell(3, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->Alignment, taRightJustify);
  EXPECT_EQ(cell->FormatIndex, 2);

  // Row past the end, empty slot, column past the end of the row.
  EXPECT_TRUE(cells.GetCellValue(0, 99).IsNull());
  EXPECT_TRUE(cells.GetCellValue(0, 0).IsNull());
  EXPECT_TRUE(cells.GetCellValue(9, 0).IsNull());
  EXPECT_THROW(cells.SetCell(0, -1, Variant(1), taLeftJustify, 0, ictInteger), EListError);

  cells.TrackUsed = false;
  cells.SetCell(9, 9, Variant(1), taLeftJustify, 0, ictInteger);
  EXPECT_EQ(cells.UsedColCount, 4);
  cells.DeleteRow(0);
  EXPECT_EQ(cells.Count(), 9);
  cells.ClearRows();
  EXPECT_EQ(cells.Count(), 0);
  EXPECT_EQ(cells.UsedRowCount, 0);
  EXPECT_FALSE(cells.TrackUsed);
}

TEST(CellModel, ClearValuesNullsEveryCellAndKeepsItsType) {
  TSpreadSheetRow row;
  row.Cols.resize(3);
  row.Cols[0] = std::make_unique<TKelCell>();
  row.Cols[0]->Value = Variant(1.5);
  row.Cols[0]->Alignment = taRightJustify;
  row.Cols[0]->CellType = ictDecimal;
  row.Cols[2] = std::make_unique<TKelCell>();
  row.ClearValues();
  ASSERT_EQ(row.Cols.size(), 3u);
  EXPECT_TRUE(row.Cols[0]->Value.IsNull());
  EXPECT_EQ(row.Cols[0]->Alignment, taLeftJustify);
  EXPECT_EQ(row.Cols[0]->FormatIndex, -1);
  EXPECT_EQ(row.Cols[0]->CellType, ictDecimal);
  EXPECT_EQ(row.Cols[1], nullptr);
  EXPECT_TRUE(row.Cols[2]->Value.IsNull());
  EXPECT_EQ(ItemOrNil(row.Cols, 1), nullptr);
  EXPECT_EQ(ItemOrNil(row.Cols, -1), nullptr);
  EXPECT_EQ(ItemOrNil(row.Cols, 3), nullptr);
  EXPECT_EQ(ItemOrNil(row.Cols, 0), row.Cols[0].get());
}

struct CustomSheet : TSpreadSheet {
  int tag = 42;
};

TEST(CellModel, SheetsAppearOnDemandWithTheChosenKind) {
  TSpreadSheets sheets;
  TSpreadSheet* first = sheets.GetSheet(-5);
  EXPECT_EQ(sheets.Count(), 1);
  EXPECT_EQ(Narrow(first->Caption), "Sheet1");
  sheets.ClearSheets();
  TSpreadSheet* third = sheets.GetSheet(2);
  ASSERT_EQ(sheets.Count(), 3);
  EXPECT_EQ(third, sheets.Item(2));
  EXPECT_EQ(Narrow(sheets.Item(0)->Caption), "Sheet1");
  EXPECT_EQ(Narrow(sheets.Item(1)->Caption), "Sheet2");
  EXPECT_EQ(Narrow(third->Caption), "Sheet3");
  sheets.DeleteSheet(0);
  EXPECT_EQ(sheets.Count(), 2);
  sheets.DeleteSheet(4);  // creates the missing sheets first, then deletes the fifth
  EXPECT_EQ(sheets.Count(), 4);

  TSpreadSheets custom;
  custom.SheetClass = [] { return std::make_unique<CustomSheet>(); };
  auto* sheet = dynamic_cast<CustomSheet*>(custom.GetSheet(1));
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->tag, 42);
  EXPECT_NE(dynamic_cast<CustomSheet*>(custom.Item(0)), nullptr);
}

}  // namespace
}  // namespace qx
