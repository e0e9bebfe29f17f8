#pragma once
// The base of every table reader. A reader is given a file name or a stream,
// parses the table and hands what it finds to its user through events (bound
// callbacks; an unassigned event is not called). A concrete reader overrides
// the virtual load protocol:
//   BeginLoad; dimensions and column widths; per record SeekRecord and
//   ReadRecord (each ReadRecord calls DoLoadProgress first and SetRowStatus
//   after its values); EndLoad.
// The default handlers, installed by PrepareSheets for unassigned events,
// store everything in the cell model (Sheets).
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "cells/ColumnNames.h"
#include "cells/KeRange.h"
#include "cells/KelCell.h"
#include "cells/SpreadSheet.h"
#include "platform/Stream.h"
#include "platform/Variant.h"

namespace qx {

class TCustomSpreadSheetFile;

enum TKelColumnNameKind : uint8_t { nkAlphabet = 0, nkFieldName = 1 };

enum TKelParseItem : uint8_t {
  ipiText = 0,
  ipiBLOB = 1,
  ipiVBA = 2,
  ipiPictures = 3,
  ipiSummaryInformation = 4,
  ipiComments = 5,
};

// A set of parse items, one bit per item; the default set is byte 19.
struct TKelParseItems {
  uint8_t bits = 0;
  constexpr TKelParseItems() = default;
  constexpr TKelParseItems(std::initializer_list<TKelParseItem> list) {
    for (TKelParseItem i : list) bits = static_cast<uint8_t>(bits | (1u << i));
  }
  constexpr bool Contains(TKelParseItem i) const { return (bits >> i) & 1u; }
  void Include(TKelParseItem i) { bits = static_cast<uint8_t>(bits | (1u << i)); }
  void Exclude(TKelParseItem i) { bits = static_cast<uint8_t>(bits & ~(1u << i)); }
  friend constexpr bool operator==(TKelParseItems a, TKelParseItems b) { return a.bits == b.bits; }
};

// Shapes only: no reader of this system fires OnRecord.
struct TBIFFRecordHeader {
  uint16_t RecordType = 0;
  uint16_t Size = 0;
};
using TByteArray = std::vector<uint8_t>;

// Events. Row and column numbers are 0-based; LastRow and LastColumn of
// TOnDimensions are counts. Value of TOnCellValue is owned by the reader and
// valid only during the call: a handler that keeps it copies it.
using TOnColumnWidth = std::function<void(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t ColumnNo, int32_t Width)>;
using TOnRowHeight = std::function<void(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t RowNo, int32_t Height)>;
using TOnDimensions = std::function<void(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t FirstRow,
                                         int32_t LastRow, int32_t FirstColumn, int32_t LastColumn)>;
using TOnCellValue =
    std::function<void(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t Row, int32_t Column,
                       int32_t FormatIndex, const Variant& Value, TAlignment Alignment, TKelCellType CellType)>;
using TOnGetCellValue =
    std::function<void(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t Row, int32_t Column, Variant& Value)>;
using TOnSheet = std::function<void(TCustomSpreadSheetFile& Sender, const std::u16string& Caption, int32_t Index, bool& Skip)>;
using TOnSheetName = std::function<void(TCustomSpreadSheetFile& Sender, const std::u16string& Caption, int32_t Index)>;
using TOnRecord = std::function<void(TCustomSpreadSheetFile& Sender, const TBIFFRecordHeader& Header, TByteArray& Data)>;
using TOnRecordStatusChanged =
    std::function<void(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t ARow, TKelRowStatus AStatus)>;
using TErrorParseRecord = std::function<void(TCustomSpreadSheetFile& Sender, const std::exception& Error, bool& Abort)>;
using TOnLoadProgress = std::function<void(TCustomSpreadSheetFile& Sender, int32_t Position, int32_t TotalSize)>;

class TCustomSpreadSheetFile {
 public:
  std::string FileName;
  TErrorParseRecord OnErrorProcess;  // no reader of this system fires it
  bool LoadNULLs = false;            // read by nothing in this system
  int32_t SheetIndex = -1;           // the one sheet to load, -1 for all
  TKeRange Range;                    // row and column window of the load
  TOnColumnWidth OnColumnWidth;
  TOnRowHeight OnRowHeight;
  TOnDimensions OnDimensions;
  TOnCellValue OnCellValue;
  TOnGetCellValue OnGetCellValue;
  TOnSheet OnSheet;
  TOnSheetName OnSheetName;
  TOnRecord OnRecord;                // no reader of this system fires it
  TOnRecordStatusChanged OnRecordStatusChanged;
  // When set, parsing stops after the table's structure and the caller pulls
  // records one by one with ReadRecord.
  bool ReadOnDemand = false;

  TCustomSpreadSheetFile() = default;
  virtual ~TCustomSpreadSheetFile() = default;
  TCustomSpreadSheetFile(const TCustomSpreadSheetFile&) = delete;
  TCustomSpreadSheetFile& operator=(const TCustomSpreadSheetFile&) = delete;

  virtual bool IsEncrypted() { return false; }
};

class TSpreadSheetFile : public TCustomSpreadSheetFile {
 public:
  TOnLoadProgress OnLoadProgress;
  TKelColumnNameKind NameKind = nkAlphabet;
  // Records whose status is not in the set are not delivered.
  TKelRowStatuses LoadRowStatutes{rsNormal};
  TKelParseItems ParseItems{ipiText, ipiBLOB, ipiSummaryInformation};
  bool CheckFileName = true;  // LoadFromFile validates the name
  TSpreadSheets Sheets;
  std::function<void(int32_t Position, int32_t TotalSize)> ProgressProc;  // called before OnLoadProgress
  int32_t CurrentRecord = -1;  // the record last read

  TSpreadSheetFile() = default;
  ~TSpreadSheetFile() override = default;

  // Clears Sheets and installs the default handler of each of OnDimensions,
  // OnCellValue, OnGetCellValue, OnSheet, OnSheetName, OnColumnWidth and
  // OnRowHeight that is unassigned.
  virtual void PrepareSheets();
  // Memo contents of a reference; the base has none (Value becomes empty).
  virtual void ReadMemo(uint32_t Block, int32_t Length, std::string& Value);
  virtual void ReadWideMemo(uint32_t Block, int32_t Length, std::u16string& Value);
  virtual void LoadStream(Stream& stream) { ParseStream(stream); }
  // Validates the name when CheckFileName is set (EKelFileException
  // "File is not defined." / "File %s does not exist."), stores it and calls
  // PrepareSheets. A reader extends it to open and parse the file.
  virtual void LoadFromFile(const std::string& AFileName);
  virtual void ParseStream(Stream& stream);
  // Skips a 12-byte prefix starting with "BDOC", then LoadStream. A stream
  // with fewer than 12 bytes left raises EReadError.
  virtual void LoadFromStream(Stream& stream);
  virtual void BeginLoad() { CurrentRecord = -1; }
  virtual void EndLoad() {}
  virtual bool SeekRecord(int32_t Index);
  virtual bool ReadRecord(int32_t Index, int32_t Row);
  virtual int32_t ColumnIndexByName(const std::string& Name);
  virtual void GetColumnNames(TColumnList& List, const std::string& Spec);

  void DoLoadProgress(int32_t Position, int32_t TotalSize);
  void SetRowStatus(int32_t SheetNo, int32_t Row, TKelRowStatus Status);

  // Default handlers (public so that a user may install them by hand).
  void DefaultDimensions(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t FirstRow, int32_t LastRow,
                         int32_t FirstColumn, int32_t LastColumn);
  void DefaultCellValue(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t Row, int32_t Column,
                        int32_t FormatIndex, const Variant& Value, TAlignment Alignment, TKelCellType CellType);
  void DefaultGetCellValue(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t Row, int32_t Column,
                           Variant& Value);
  void DefaultSheet(TCustomSpreadSheetFile& Sender, const std::u16string& Caption, int32_t Index, bool& Skip);
  void DefaultSheetName(TCustomSpreadSheetFile& Sender, const std::u16string& Caption, int32_t Index);
  void DefaultColumnWidth(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t ColumnNo, int32_t Width);
  void DefaultRowHeight(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t RowNo, int32_t Height);
};

}  // namespace qx
