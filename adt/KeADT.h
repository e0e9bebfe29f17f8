#pragma once
// TADT, the reader of Advantage tables (.adt with the memo file .adm).
//
// Typical use (how the transfer engine drives it):
//   TADT reader;                     // ReadOnDemand is set by default
//   reader.FileName = path;          // locates the memo file
//   reader.Password = "...";         // for a protected table
//   reader.OnCellValue = handler;    // receives every decoded value
//   FileStream stream(path);         // owned by the caller, kept open
//   reader.ParseStream(stream);      // header, descriptors, password, deleted list
//   for (i = 0; ...; ++i) reader.ReadRecord(i, i);
//
// Malformed structure is refused at load with EKelFileException, before any
// record is delivered: more than kMaxFields fields, a record length above
// kMaxRecordLength (or 0 with records present), a field outside its record,
// a memo file whose block size is 0. Damaged record bytes are not errors:
// they decode to a value or Null (FieldDecoder.h).
//
// Memory: with ReadOnDemand the reader holds the header, the descriptors,
// one record buffer and the list of deleted records, whatever the table size.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adt/AdtFormat.h"
#include "cells/KeCells.h"
#include "platform/Stream.h"

namespace qx {

// The sheet kind of the reader: keeps the header and the descriptor images
// (in host order) of the table last loaded. The reader uses sheet 0 only.
class TKeAdvantageTable : public TSpreadSheet {
 public:
  std::array<uint8_t, adt::kHeaderSize> TableHeader{};
  // Descriptor images by field; slots grow with the largest table loaded
  // (at most kMaxFields); slots past them read as zeros.
  std::vector<std::array<uint8_t, adt::kDescriptorSize>> FieldDescriptors;
};

class TADT;

// Asks for a password: the handler may change APassword and clear Continue.
using TKelOnPasswordEvent = std::function<void(TADT& Sender, std::string& APassword, bool& Continue)>;

// Serves every reader without an OnPassword handler; unassigned at start.
extern TKelOnPasswordEvent DefaultPasswordHandler;

class TADT : public TSpreadSheetFile {
 public:
  std::unique_ptr<Stream> MemoStream;  // the open memo file, owned
  std::string Password;                // offered for a protected table
  TKelOnPasswordEvent OnPassword;
  Stream* DataStream = nullptr;        // the table stream being read; not owned
  // 0-based numbers of the records that count as deleted (the head of the
  // deletion chain and every non-zero deletion link). Filled by the load;
  // read-only for users.
  std::vector<int32_t> DeletedRecords;
  int32_t DeletedLink = 0;             // FirstDeleted, then the link of the last deleted record read
  std::array<uint8_t, adt::kMemoHeaderSize> MemoHeader{};
  uint32_t MemoBlockSize = 0;

  TADT();
  ~TADT() override;

  bool IsEncrypted() override;
  void ReadMemo(uint32_t Block, int32_t Length, std::string& Value) override;
  void ReadWideMemo(uint32_t Block, int32_t Length, std::u16string& Value) override;
  // Validates the name, opens the file, parses it and closes it again. Only
  // useful with ReadOnDemand cleared (records are delivered during the call).
  void LoadFromFile(const std::string& AFileName) override;
  // Loads the table from `stream` at its current position. With ReadOnDemand
  // the stream must outlive the reads (DataStream refers to it).
  void ParseStream(Stream& stream) override;
  void BeginLoad() override;
  void EndLoad() override;
  // Places DataStream one byte after the first byte of record Index; false
  // (stream unmoved) when the record does not lie wholly inside the stream.
  bool SeekRecord(int32_t Index) override;
  // Reads record Index and delivers its values as row Row. Returns false
  // only when the record's status is not in LoadRowStatutes.
  bool ReadRecord(int32_t Index, int32_t Row) override;
  int32_t ColumnIndexByName(const std::string& Name) override;
  void GetColumnNames(TColumnList& List, const std::string& Spec) override;

  // Copies of the header and of descriptor image Index (zeros past the
  // loaded fields).
  std::array<uint8_t, adt::kHeaderSize> GetHeader();
  std::array<uint8_t, adt::kDescriptorSize> GetFieldDescriptor(int32_t Index);
  int32_t FirstDeletedRecord();

  // Asks for and compares the password; true when it matches.
  bool CheckPassword();
  // Opens the memo file on first use (see MemoFileName); no file, no stream.
  void OpenMemo();
  // Uses `stream` as the memo file until EndLoad (for memo data that does
  // not live beside the table, e.g. in memory).
  void AttachMemoStream(std::unique_ptr<Stream> stream);
  // The memo file of the table: FileName with the extension ".adm" or, when
  // no such file exists, a file in the same folder whose name differs from
  // it only in ASCII letter case. Empty when there is none.
  std::string MemoFileName() const;

  // Header fields of the table last loaded.
  int32_t RecordCount();
  uint32_t RecordLength();
  uint32_t DataOffset();
  int32_t FieldCount();

 private:
  TKeAdvantageTable& Table();
  [[noreturn]] void Refuse(const std::string& what) const;
  void LoadDescriptors(Stream& stream, int32_t count);
  void ValidateStructure();
  void BuildDeletedList();
  void ReadMemoHeader();
  int64_t RecordPosition(int32_t Index) const;
  bool IsDeleted(int32_t Index) const;

  std::vector<adt::AdtField> fields_;    // decoded descriptors of the load
  std::vector<uint8_t> record_;          // one record (from its byte 1 on)
  std::vector<Variant> values_;          // one reused value per field
  std::u16string wideScratch_;
  std::string memoScratch_;
  std::u16string wideMemoScratch_;
  std::vector<int32_t> deletedSorted_;   // DeletedRecords sorted, for lookups
  uint32_t recordLength_ = 0;
  uint32_t dataOffset_ = 0;
  int32_t recordCount_ = 0;
};

}  // namespace qx
