#pragma once
// TCell2MDB: moves the records of one source table into one table of a
// database through the database engine (dbengine/Dao.h). Source-neutral: a
// descendant binds it to a concrete reader through the virtual slots.
//
// Ownership: the engine owns Reader (created by the descendant's
// constructor through CreateReader) and, during Transfer, RowBuffer and the
// source stream. The three engine references are released by CloseTarget
// or, at the latest, by the destructor.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "cells/KelCell.h"
#include "cells/SpreadSheetFile.h"
#include "dbengine/Dao.h"
#include "expr/ExpNode.h"
#include "platform/Stream.h"
#include "platform/Variant.h"

namespace qx {

// What the walk could not store as asked: values the target refused (stored
// as Null instead), rows the target refused to save (skipped), and records
// the source declares but its file does not hold. Record numbers are
// 1-based source record positions, as /first= and /last= count them.
struct TransferLosses {
  struct FieldLoss {
    int32_t fieldIndex = 0;  // source column of the field (orders the report)
    int64_t count = 0;
    int64_t firstRecord = 0;
  };
  std::map<std::string, FieldLoss> refusedValues;  // by source column name
  int64_t skippedRows = 0;
  int64_t firstSkippedRecord = 0;
  int64_t declaredRecords = 0;     // the record count the source declares
  int64_t firstMissingRecord = 0;  // 0: none missing
  int64_t lastMissingRecord = 0;
  bool Empty() const { return refusedValues.empty() && skippedRows == 0 && firstMissingRecord == 0; }
};

class TCell2MDB {
 public:
  std::string MDBFileName;
  std::string TableName;
  std::unique_ptr<TSpreadSheetRow> RowBuffer;  // exists only during Transfer
  std::shared_ptr<dao::DBEngine> DBEngine;
  std::shared_ptr<dao::Database> Database;
  std::shared_ptr<dao::Recordset> Recordset;
  std::unique_ptr<TSpreadSheetFile> Reader;
  bool CopyMode = false;
  std::string FieldList;  // lower-case names, each followed by ";"; empty = all
  std::string Filter;
  // Called once per record read by the walk, with the records read so far
  // and the record count the source declares. Unassigned: not called.
  std::function<void(int64_t recordsRead, int64_t declared)> OnProgress;

  // A descendant's constructor calls its CreateReader.
  TCell2MDB() = default;
  virtual ~TCell2MDB();
  TCell2MDB(const TCell2MDB&) = delete;
  TCell2MDB& operator=(const TCell2MDB&) = delete;

  // Virtual slots.
  virtual void CreateReader() = 0;
  virtual int32_t GetColumnCount() { return 0; }
  virtual std::string GetColumnName(int32_t Index);
  virtual int32_t GetRecordCount() { return 0; }
  virtual Stream* GetStream() = 0;
  virtual void GetColumnDef(int32_t Index, std::string& Name, int32_t& Size, int32_t& FieldType) = 0;
  virtual std::string GetPassword() { return std::string(); }
  virtual void SetPassword(const std::string& /*Value*/) {}
  virtual bool IsColumnSelected(int32_t Index);

  // The run: source opened and parsed, target prepared, records walked.
  void Transfer();
  // OnCellValue handler: stores a delivered value in RowBuffer when its row
  // lies in the reader's record window.
  void StoreCellValue(TCustomSpreadSheetFile& Sender, int32_t SheetNo, int32_t Row, int32_t Column,
                      int32_t FormatIndex, const Variant& Value, TAlignment Alignment, TKelCellType CellType);
  // The value of column Index in RowBuffer (Null when absent); a Boolean
  // becomes the text "1" or "0".
  void GetColumnValue(int32_t Index, Variant& Value);
  // The same without a copy: the cell's own value, or Scratch filled with
  // Null or the Boolean's text.
  const Variant& ColumnValue(int32_t Index, Variant& Scratch) const;
  static constexpr int32_t GetMaxColumnCount() { return 255; }

  // Target operations, in the order Transfer calls them.
  void CreateDBEngine();
  void OpenTargetDatabase(const std::string& FileName);
  bool TableExists(const std::string& Name);
  void CreateTable(const std::string& Name);
  void OpenTable(const std::string& Name);
  void AddRecord();
  void SetFieldValue(int32_t Index, const std::string& Text);
  bool IsBinaryField(dao::Field& Field);
  void PostRecord();
  void CloseTarget();

  // Row filter: evaluates Text for the record in RowBuffer.
  void EvaluateFilter(const std::string& Text, Variant& Value);
  // The filter's name handler: Value holds the name's text on entry.
  void FilterEvaluate(const TEvalArgs& Args, int ArgCount, Variant& Value, bool& Done);

  // Values stored as Null and rows skipped during the last Transfer.
  const TransferLosses& Losses() const { return losses_; }

 protected:
  // The stream Transfer opened on the source file (null outside Transfer).
  Stream* SourceStream() { return stream_.get(); }
  // Called once the reader has parsed the source's structure, before the
  // target is touched: raises for a source whose structure cannot be walked
  // safely (so that the target is left as it was).
  virtual void CheckSource() {}

 private:
  void WalkRecords();
  void NoteRefusedValue(int32_t column, int64_t record);
  void NoteMissingRecords(int32_t nextPosition);
  // Tokenizes and parses Text for the evaluations to come; raises its
  // syntax errors.
  void ParseFilter(const std::string& Text);

  struct FilterState;
  struct FilterStateDeleter {
    void operator()(FilterState* state) const;
  };
  FilterState& PreparedFilter();
  int32_t FilterColumnIndex(const std::string& name);

  std::unique_ptr<Stream> stream_;
  std::unique_ptr<FilterState, FilterStateDeleter> filter_;
  TransferLosses losses_;
  Variant fieldValue_;  // SetFieldValue's value: its text keeps its capacity
};

// The field name a source column gets in a new target table: "!", ".",
// "[", "]", "{" and "}" become blanks, leading and trailing characters with
// codes up to 32 go, and a name that still holds a blank is enclosed in
// double quotes.
std::string CleanFieldName(const std::string& name);

// The text a value travels as: Null and Empty give "", a text is itself,
// anything else its locale text form.
std::string TransferText(const Variant& value);
// The same, appended to Out (which keeps its capacity from record to record).
void AppendTransferText(const Variant& value, std::string& Out);

inline constexpr const char* kMaxColumnsMessage = "The max count of columns in table for MS Access database is 255.";

}  // namespace qx
