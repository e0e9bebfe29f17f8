#include "transfer/Cell2MDB.h"

#include <algorithm>

#include "cells/KelUtils.h"
#include "platform/Console.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"
#include "platform/VarConvert.h"

namespace qx {

TCell2MDB::~TCell2MDB() {
  // Release the engine's objects innermost first; the engine commits what
  // was saved when the last reference goes.
  Recordset.reset();
  Database.reset();
  DBEngine.reset();
  Reader.reset();
}

std::string TCell2MDB::GetColumnName(int32_t) { return std::string(); }

bool TCell2MDB::IsColumnSelected(int32_t Index) {
  if (FieldList.empty()) return true;
  // ";name;" must occur in ";" + FieldList: the name followed by ";", at
  // the list's start or right after a ";".
  const std::string name = LowerCaseAscii(GetColumnName(Index));
  const std::string& list = FieldList;
  for (size_t at = list.find(name); at != std::string::npos; at = list.find(name, at + 1)) {
    const size_t end = at + name.size();
    if ((at == 0 || list[at - 1] == ';') && end < list.size() && list[end] == ';') return true;
  }
  return false;
}

std::string TransferText(const Variant& value) {
  if (value.IsText()) return value.AsText();
  return VarToText(value);
}

void AppendTransferText(const Variant& value, std::string& Out) { AppendVarText(value, Out); }

void TCell2MDB::StoreCellValue(TCustomSpreadSheetFile& Sender, int32_t, int32_t Row, int32_t Column,
                               int32_t FormatIndex, const Variant& Value, TAlignment Alignment, TKelCellType) {
  const TKeRange& range = Sender.Range;
  if (int64_t{Row} < int64_t{range.FirstRow} - 1 || int64_t{Row} > int64_t{range.LastRow} - 1) return;
  if (!RowBuffer || Column < 0) return;
  auto& cols = RowBuffer->Cols;
  if (cols.size() <= static_cast<size_t>(Column)) cols.resize(static_cast<size_t>(Column) + 1);
  auto& cell = cols[static_cast<size_t>(Column)];
  if (!cell) cell = std::make_unique<TKelCell>();
  cell->Value = Value;
  cell->Alignment = Alignment;
  cell->FormatIndex = FormatIndex;
}

void TCell2MDB::GetColumnValue(int32_t Index, Variant& Value) {
  const Variant& v = ColumnValue(Index, Value);
  if (&v != &Value) Value = v;
}

const Variant& TCell2MDB::ColumnValue(int32_t Index, Variant& Scratch) const {
  const TKelCell* cell = RowBuffer ? ItemOrNil(RowBuffer->Cols, Index) : nullptr;
  if (cell == nullptr) {
    Scratch.SetNull();
    return Scratch;
  }
  if (cell->Value.Kind() != VarKind::Boolean) return cell->Value;
  Scratch = Variant(std::string(cell->Value.AsBoolean() ? "1" : "0"));
  return Scratch;
}

void TCell2MDB::Transfer() {
  if (!Reader) return;
  if (!FileExists(Reader->FileName)) {
    ConsoleWriteLine("Source file not found.");
    return;
  }
  losses_ = TransferLosses();
  filter_.reset();
  // RowBuffer and the stream live exactly as long as this call.
  struct Scope {
    TCell2MDB& self;
    ~Scope() {
      self.stream_.reset();
      self.RowBuffer.reset();
    }
  } scope{*this};
  RowBuffer = std::make_unique<TSpreadSheetRow>();
  stream_ = std::make_unique<FileStream>(Reader->FileName);
  stream_->Seek(0, SeekOrigin::Begin);
  Reader->OnCellValue = [this](TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t Row, int32_t Column,
                               int32_t FormatIndex, const Variant& Value, TAlignment Alignment,
                               TKelCellType CellType) {
    StoreCellValue(Sender, SheetNo, Row, Column, FormatIndex, Value, Alignment, CellType);
  };
  Reader->ParseStream(*stream_);
  CheckSource();

  CreateDBEngine();
  OpenTargetDatabase(MDBFileName);
  bool exists = TableExists(TableName);
  if (exists && CopyMode) {
    Database->GetTableDefs().Delete(TableName);
    exists = false;
  }
  if (!exists) CreateTable(TableName);
  OpenTable(TableName);

  // A filter that does not parse ends the run before any row is written,
  // also when no record would reach its evaluation.
  if (!Filter.empty()) ParseFilter(Filter);
  WalkRecords();
  CloseTarget();
}

void TCell2MDB::WalkRecords() {
  const int64_t firstRow = Reader->Range.FirstRow;
  const int64_t lastRow = Reader->Range.LastRow;
  const int32_t columns = GetColumnCount();
  int32_t n = 0;      // 0-based position of the next source record
  int64_t taken = 0;  // records accepted so far
  Variant value;
  std::string text;
  while (GetRecordCount() > taken) {
    Stream* s = GetStream();
    if (s == nullptr || s->Position() >= s->Size() - 1) {
      NoteMissingRecords(n);
      break;
    }
    RowBuffer->ClearValues();
    const bool read = Reader->ReadRecord(n, n);
    const int32_t p = n;
    ++n;
    if (OnProgress) OnProgress(n, GetRecordCount());
    // The filter sees the record's values, so it is evaluated only for a
    // record that was delivered and lies in the window: a deleted record or
    // one outside the window leaves every column Null in RowBuffer, and a
    // filter valid for every real record could fail on such a phantom.
    if (!read) continue;
    if (p < firstRow - 1 || p > lastRow - 1) continue;
    if (!Filter.empty()) {
      Variant result;
      EvaluateFilter(Filter, result);
      if (!VarToBoolean(result)) continue;
    }
    ++taken;
    AddRecord();
    int32_t t = 0;
    for (int32_t c = 0; c < columns; ++c) {
      if (!IsColumnSelected(c)) continue;
      try {
        text.clear();
        AppendTransferText(ColumnValue(c, value), text);
        SetFieldValue(t, text);
      } catch (const std::exception&) {
        // The field refused the value (or it had no text): store Null. An
        // error from this second attempt ends the run.
        SetFieldValue(t, std::string());
        NoteRefusedValue(c, int64_t{p} + 1);
      }
      ++t;
    }
    try {
      PostRecord();
    } catch (const std::exception&) {
      // The row is lost; the walk goes on.
      if (losses_.skippedRows++ == 0) losses_.firstSkippedRecord = int64_t{p} + 1;
    }
  }
}

void TCell2MDB::NoteRefusedValue(int32_t column, int64_t record) {
  // Named after the source column: asking the target for its field's name
  // would be one more call on a recordset that just refused a value.
  auto& loss = losses_.refusedValues[GetColumnName(column)];
  if (loss.count++ == 0) {
    loss.firstRecord = record;
    loss.fieldIndex = column;
  }
}

void TCell2MDB::NoteMissingRecords(int32_t nextPosition) {
  // The file ended before the records its header declares: those inside the
  // record window are lost, and the user has to hear of it.
  const int64_t declared = GetRecordCount();
  const int64_t first = std::max<int64_t>(int64_t{nextPosition} + 1, std::max<int64_t>(Reader->Range.FirstRow, 1));
  const int64_t last = std::min<int64_t>(declared, Reader->Range.LastRow);
  if (first > last) return;
  losses_.declaredRecords = declared;
  losses_.firstMissingRecord = first;
  losses_.lastMissingRecord = last;
}

}  // namespace qx
