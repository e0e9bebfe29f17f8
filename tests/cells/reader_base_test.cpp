#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cells/KeCells.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

// A reader that records which stream position its parser was handed.
struct ProbeReader : TSpreadSheetFile {
  int64_t parsedAt = -1;
  void ParseStream(Stream& s) override { parsedAt = s.Position(); }
};

TEST(ColumnNames, LetterNamesRoundTrip) {
  struct Case { int64_t n; const char* name; };
  for (Case c : {Case{1, "A"}, {26, "Z"}, {27, "AA"}, {28, "AB"}, {702, "ZZ"}, {703, "AAA"}, {0, ""}, {-3, ""}})
    EXPECT_EQ(ColumnIndexToName(c.n), c.name) << c.n;
  EXPECT_EQ(ColumnNameToIndex("ab", 100), 27);
  EXPECT_EQ(ColumnNameToIndex("A", 1), 0);
  EXPECT_EQ(ColumnNameToIndex("A1", 100), -1);
  EXPECT_EQ(ColumnNameToIndex("ZZ", 100), -1);
  EXPECT_EQ(ColumnNameToIndex("", 100), -1);
  EXPECT_EQ(ColumnNameToIndex("ZZZZZZZZZZZZZZZZ", 2147483647), -1);  // no overflow
}

TEST(ColumnNames, FillColumnListFromCountOrSpec) {
  TColumnList list{{"old", 9}};
  FillColumnList(3, "", list);
  EXPECT_EQ(list, (TColumnList{{"A", 0}, {"B", 1}, {"C", 2}}));
  FillColumnList(5, "B;;Q", list);
  EXPECT_EQ(list, (TColumnList{{"B", 1}, {"", -1}, {"Q", -1}}));
  FillColumnList(5, "a;c;", list);
  EXPECT_EQ(list, (TColumnList{{"a", 0}, {"c", 2}}));
}

TEST(ReaderBase, NewReaderDefaults) {
  TSpreadSheetFile r;
  EXPECT_FALSE(r.ReadOnDemand);
  EXPECT_FALSE(r.LoadNULLs);
  EXPECT_EQ(r.SheetIndex, -1);
  EXPECT_EQ(r.NameKind, nkAlphabet);
  EXPECT_EQ(r.LoadRowStatutes.bits, 1);
  EXPECT_EQ(r.ParseItems.bits, 19);
  EXPECT_TRUE(r.CheckFileName);
  EXPECT_EQ(r.Sheets.Count(), 0);
  EXPECT_FALSE(r.IsEncrypted());
}

TEST(ReaderBase, LoadFromFileValidatesTheNameBeforeChangingAnything) {
  TSpreadSheetFile r;
  r.FileName = "before";
  try {
    r.LoadFromFile("   ");
    FAIL();
  } catch (const EKelFileException& e) {
    EXPECT_EQ(e.Message(), "File is not defined.");
  }
  try {
    r.LoadFromFile("/no/such/dir/x.adt");
    FAIL();
  } catch (const EKelFileException& e) {
    EXPECT_EQ(e.Message(), "File /no/such/dir/x.adt does not exist.");
  }
  EXPECT_EQ(r.FileName, "before");
  EXPECT_FALSE(r.OnCellValue);

  r.CheckFileName = false;
  r.LoadFromFile("   ");
  EXPECT_EQ(r.FileName, "   ");
  EXPECT_TRUE(r.OnCellValue);  // PrepareSheets ran
}

TEST(ReaderBase, LoadFromStreamSkipsOnlyABdocPrefix) {
  ProbeReader r;
  MemoryStream bdoc(std::string_view("BDOC12345678rest").data(), 16);
  r.LoadFromStream(bdoc);
  EXPECT_EQ(r.parsedAt, 12);
  MemoryStream plain(std::string_view("XDOC12345678rest").data(), 16);
  r.LoadFromStream(plain);
  EXPECT_EQ(r.parsedAt, 0);
  MemoryStream shortStream(std::string_view("BDOC").data(), 4);
  EXPECT_THROW(r.LoadFromStream(shortStream), EReadError);
}

TEST(ReaderBase, PrepareSheetsKeepsAssignedEventsAndInstallsDefaults) {
  TSpreadSheetFile r;
  int calls = 0;
  r.OnCellValue = [&](TCustomSpreadSheetFile&, int32_t, int32_t, int32_t, int32_t, const Variant&, TAlignment,
                      TKelCellType) { ++calls; };
  r.Sheets.GetSheet(3);
  r.PrepareSheets();
  EXPECT_EQ(r.Sheets.Count(), 0);
  r.OnCellValue(r, 0, 0, 0, 0, Variant(1), taLeftJustify, ictInteger);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(r.Sheets.Count(), 0);  // our handler stored nothing
  EXPECT_TRUE(r.OnDimensions && r.OnGetCellValue && r.OnSheet && r.OnSheetName && r.OnColumnWidth && r.OnRowHeight);
}

TEST(ReaderBase, DefaultHandlersStoreIntoTheCellModel) {
  TSpreadSheetFile r;
  r.PrepareSheets();
  r.Range.LastCol = 3;
  for (int col = 0; col <= 4; ++col) r.OnCellValue(r, 0, 0, col, 0, Variant(col), taRightJustify, ictInteger);
  TSpreadSheetCells& cells = r.Sheets.GetSheet(0)->Cells;
  EXPECT_EQ(cells.GetCellValue(3, 0), Variant(3));
  EXPECT_TRUE(cells.GetCellValue(4, 0).IsNull());
  r.OnCellValue(r, 0, -1, 0, 0, Variant(1), taLeftJustify, ictInteger);  // failure suppressed

  Variant v;
  r.OnGetCellValue(r, 0, 0, 2, v);
  EXPECT_EQ(v, Variant(2));
  r.OnGetCellValue(r, 0, 7, 2, v);
  EXPECT_TRUE(v.IsNull());

  r.Range.LastCol = 5;
  cells.TrackUsed = false;
  r.OnDimensions(r, 0, 0, 12, 0, 10);
  EXPECT_EQ(cells.ColCount, 5);
  EXPECT_EQ(cells.RowCount, 12);
  EXPECT_EQ(cells.UsedColCount, 5);
  EXPECT_EQ(cells.UsedRowCount, 12);

  r.OnColumnWidth(r, 1, 2, 30);
  EXPECT_EQ(r.Sheets.GetSheet(1)->ColWidths, (std::vector<int32_t>{0, 0, 30}));
  r.OnRowHeight(r, 0, 4, 17);
  EXPECT_EQ(cells.Rows[4]->Height, 17);

  r.SheetIndex = 1;
  bool skip = false;
  int before = r.Sheets.Count();
  r.OnSheet(r, u"Data", 0, skip);
  EXPECT_TRUE(skip);
  EXPECT_EQ(r.Sheets.Count(), before + 1);
  EXPECT_EQ(r.Sheets.Item(before)->Caption, u"Data");
  r.OnSheetName(r, u"Renamed", 0);
  EXPECT_EQ(r.Sheets.Item(0)->Caption, u"Renamed");
  r.OnSheetName(r, u"Nowhere", 99);  // ignored
}

TEST(ReaderBase, StatusAndProgressEvents) {
  TSpreadSheetFile r;
  std::vector<std::string> log;
  r.ProgressProc = [&](int32_t p, int32_t t) { log.push_back("proc " + std::to_string(p) + "/" + std::to_string(t)); };
  r.OnLoadProgress = [&](TCustomSpreadSheetFile&, int32_t p, int32_t) { log.push_back("event " + std::to_string(p)); };
  r.OnRecordStatusChanged = [&](TCustomSpreadSheetFile&, int32_t, int32_t row, TKelRowStatus s) {
    log.push_back("status " + std::to_string(row) + " " + std::to_string(s));
  };
  r.DoLoadProgress(3, 10);
  r.SetRowStatus(0, 5, rsDeleted);  // no such row: the event still fires
  r.Sheets.GetSheet(0)->Cells.EnsureRow(1);
  r.SetRowStatus(0, 1, rsDeleted);
  EXPECT_EQ(r.Sheets.GetSheet(0)->Cells.Rows[1]->Status, rsDeleted);
  EXPECT_EQ(log, (std::vector<std::string>{"proc 3/10", "event 3", "status 5 1", "status 1 1"}));
  EXPECT_TRUE(r.ReadRecord(7, 0));
  EXPECT_EQ(r.CurrentRecord, 7);
  r.BeginLoad();
  EXPECT_EQ(r.CurrentRecord, -1);
}

TEST(ReaderBase, ColumnOperationsByLetters) {
  TSpreadSheetFile r;
  r.PrepareSheets();
  r.OnCellValue(r, 0, 0, 2, 0, Variant(1), taLeftJustify, ictInteger);
  EXPECT_EQ(r.ColumnIndexByName("b"), 1);
  EXPECT_EQ(r.ColumnIndexByName("D"), -1);
  TColumnList list;
  r.GetColumnNames(list, "");
  EXPECT_EQ(list, (TColumnList{{"A", 0}, {"B", 1}, {"C", 2}}));
  r.NameKind = nkFieldName;
  EXPECT_EQ(r.ColumnIndexByName("A"), -1);
  r.GetColumnNames(list, "");
  EXPECT_TRUE(list.empty());
}

TEST(JulianDate, ConvertsDayNumbersAndRefusesImpossibleOnes) {
  EXPECT_EQ(JulianToDate(2451545), 36526.0);  // 2000-01-01
  EXPECT_EQ(JulianToDate(2415019), 0.0);      // 1899-12-30
  EXPECT_EQ(JulianToDate(1721426), -693593.0);  // 0001-01-01
  for (int32_t j : {0, 1721425, 5373485, 2147483647, -2147483647 - 1}) {
    try {
      JulianToDate(j);
      FAIL() << j;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }
  }
}

}  // namespace
}  // namespace qx
