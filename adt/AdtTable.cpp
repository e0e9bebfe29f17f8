// Table load: header, descriptors, structure checks, record positions and
// the list of deleted records.
#include <algorithm>

#include "adt/KeADT.h"
#include "cells/KelUtils.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"

namespace qx {

using namespace adt;

TKelOnPasswordEvent DefaultPasswordHandler;

TADT::TADT() {
  Sheets.SheetClass = [] { return std::make_unique<TKeAdvantageTable>(); };
  ReadOnDemand = true;
  NameKind = nkFieldName;
}

TADT::~TADT() {
  if (ReadOnDemand) EndLoad();
}

TKeAdvantageTable& TADT::Table() {
  auto* table = dynamic_cast<TKeAdvantageTable*>(Sheets.GetSheet(0));
  if (!table) throw Exception("Sheet 0 of the reader is not an Advantage table sheet.");
  return *table;
}

void TADT::Refuse(const std::string& what) const {
  std::string name = FileName.empty() ? std::string() : " " + FileName;
  throw EKelFileException("Table" + name + " cannot be read: " + what + ".");
}

std::array<uint8_t, kHeaderSize> TADT::GetHeader() { return Table().TableHeader; }

std::array<uint8_t, kDescriptorSize> TADT::GetFieldDescriptor(int32_t Index) {
  TKeAdvantageTable& table = Table();
  if (Index < 0 || Index >= static_cast<int32_t>(table.FieldDescriptors.size())) return {};
  return table.FieldDescriptors[static_cast<size_t>(Index)];
}

int32_t TADT::FirstDeletedRecord() { return static_cast<int32_t>(GetLE32(Table().TableHeader.data() + kHdrFirstDeleted)); }
int32_t TADT::RecordCount() { return static_cast<int32_t>(GetLE32(Table().TableHeader.data() + kHdrRecordCount)); }
uint32_t TADT::RecordLength() { return GetLE32(Table().TableHeader.data() + kHdrRecordLength); }
uint32_t TADT::DataOffset() { return GetLE32(Table().TableHeader.data() + kHdrDataOffset); }
int32_t TADT::FieldCount() { return GetLE16(Table().TableHeader.data() + kHdrFieldCount); }

void TADT::BeginLoad() {
  TSpreadSheetFile::BeginLoad();
  DeletedRecords.clear();
  deletedSorted_.clear();
  TSpreadSheet* sheet = Sheets.GetSheet(0);
  sheet->Caption = AnsiToWide(ExtractFileName(FileName));
  sheet->Cells.TrackUsed = !(LoadRowStatutes == TKelRowStatuses{rsNormal, rsDeleted});
}

void TADT::EndLoad() {
  DataStream = nullptr;
  MemoStream.reset();
  DeletedRecords.clear();
  DeletedRecords.shrink_to_fit();
  deletedSorted_.clear();
  deletedSorted_.shrink_to_fit();
  TSpreadSheetFile::EndLoad();
}

int64_t TADT::RecordPosition(int32_t Index) const {
  // 64-bit arithmetic: tables past 2 GB must find their records.
  return static_cast<int64_t>(dataOffset_) + static_cast<int64_t>(Index) * recordLength_ + 1;
}

bool TADT::SeekRecord(int32_t Index) {
  bool result = TSpreadSheetFile::SeekRecord(Index);
  if (!DataStream) return false;
  int64_t p = RecordPosition(Index);
  if (Index < 0 || p > DataStream->Size() - static_cast<int64_t>(recordLength_) + 1) return false;
  if (DataStream->Position() != p) DataStream->SetPosition(p);
  return result;
}

void TADT::LoadDescriptors(Stream& stream, int32_t count) {
  TKeAdvantageTable& table = Table();
  if (static_cast<int32_t>(table.FieldDescriptors.size()) < count)
    table.FieldDescriptors.resize(static_cast<size_t>(count));
  fields_.assign(static_cast<size_t>(count), AdtField{});
  for (int32_t i = 0; i < count; ++i) {
    auto& img = table.FieldDescriptors[static_cast<size_t>(i)];
    // Bytes the stream cannot supply keep their previous contents.
    uint8_t file[kDescriptorSize];
    std::memcpy(file, img.data(), kDescriptorSize);
    stream.Read(file, kDescriptorSize);
    std::memcpy(img.data(), file, kDescriptorSize);
    // Rewrite type, offset, length and decimals to host order in place.
    img[kImgTypeCode] = file[kDescType + 1];
    img[kImgTypeCode + 1] = file[kDescType];
    PutLE32(img.data() + kImgOffset, GetLE16(file + kDescOffset));
    PutLE16(img.data() + kImgLength, GetBE16(file + kDescLength));
    PutLE32(img.data() + kImgDecimals, GetBE32(file + kDescDecimals));
    AdtField& f = fields_[static_cast<size_t>(i)];
    f.code = img[kImgTypeCode];
    f.offset = GetLE32(img.data() + kImgOffset);
    f.length = GetLE16(img.data() + kImgLength);
    f.decimals = GetLE32(img.data() + kImgDecimals);
    if (OnColumnWidth) OnColumnWidth(*this, 0, i, f.length);
  }
}

// Structure checks: a table that passes them is decoded without reading or
// writing outside the record buffer, and every loop over records ends.
void TADT::ValidateStructure() {
  if (recordLength_ > kMaxRecordLength)
    Refuse("record length " + std::to_string(recordLength_) + " exceeds " + std::to_string(kMaxRecordLength) +
           " bytes");
  if (recordLength_ == 0 && recordCount_ > 0) Refuse("record length 0 with " + std::to_string(recordCount_) + " records");
  TKeAdvantageTable& table = Table();
  for (size_t i = 0; i < fields_.size(); ++i) {
    const AdtField& f = fields_[i];
    // Field bytes occupy record bytes offset .. offset + length - 1; byte 0
    // of a record is not field data.
    if (f.offset == 0 || static_cast<uint64_t>(f.offset) + f.length > recordLength_) {
      const auto& img = table.FieldDescriptors[i];
      std::string name(reinterpret_cast<const char*>(img.data()),
                       strnlen(reinterpret_cast<const char*>(img.data()), kDescNameSize));
      Refuse("field " + std::to_string(i + 1) + " (" + name + ") at offset " + std::to_string(f.offset) +
             " with length " + std::to_string(f.length) + " lies outside the record of " +
             std::to_string(recordLength_) + " bytes");
    }
  }
}

void TADT::ParseStream(Stream& stream) {
  try {
    BeginLoad();
    TKeAdvantageTable& table = Table();
    const int64_t start = stream.Position();
    stream.Read(table.TableHeader.data(), kHeaderSize);
    const uint8_t* h = table.TableHeader.data();
    recordCount_ = static_cast<int32_t>(GetLE32(h + kHdrRecordCount));
    dataOffset_ = GetLE32(h + kHdrDataOffset);
    recordLength_ = GetLE32(h + kHdrRecordLength);
    int32_t fieldCount = GetLE16(h + kHdrFieldCount);
    if (fieldCount > kMaxFields)
      Refuse(std::to_string(fieldCount) + " fields, more than " + std::to_string(kMaxFields));
    if (OnDimensions) OnDimensions(*this, 0, 0, recordCount_, 0, fieldCount);
    LoadDescriptors(stream, fieldCount);
    // Descriptors the file cannot supply read as zero and would be refused
    // below as fields outside the record; name the real damage instead.
    const int64_t descriptorsEnd = start + kHeaderSize + int64_t{kDescriptorSize} * fieldCount;
    if (fieldCount > 0 && stream.Size() < descriptorsEnd)
      Refuse("the file ends inside its field descriptors (" + std::to_string(stream.Size() - start) + " of " +
             std::to_string(descriptorsEnd - start) + " bytes)");
    uint8_t ignored;
    stream.Read(&ignored, 1);
    ValidateStructure();
    if (IsEncrypted() && !CheckPassword())
      throw EKelCryptException("This file is encrypted but valid password is not specified.");
    // Open the memo file now, so that an unusable one is refused before any
    // record is delivered.
    bool readsMemos = ParseItems.Contains(ipiBLOB) &&
                      std::any_of(fields_.begin(), fields_.end(),
                                  [](const AdtField& f) { return IsMemoReference(f.code) && f.length > 0; });
    if (readsMemos) {
      OpenMemo();
      if (MemoStream && MemoBlockSize == 0) Refuse("its memo file has a block size of 0");
    }
    record_.assign(recordLength_, 0);
    values_.assign(fields_.size(), Variant());
    DeletedLink = static_cast<int32_t>(GetLE32(h + kHdrFirstDeleted));
    DataStream = &stream;
    if (DeletedLink != 0) BuildDeletedList();
    if (!ReadOnDemand) {
      int32_t delivered = 0;
      for (int32_t i = 0; i < recordCount_; ++i) {
        if (ReadRecord(i, delivered)) ++delivered;
        if (DataStream->Position() >= DataStream->Size() - 1 || i > Range.LastRow) break;
      }
    }
  } catch (...) {
    if (!ReadOnDemand) EndLoad();
    throw;
  }
  if (!ReadOnDemand) EndLoad();
}

void TADT::BuildDeletedList() {
  DeletedRecords.push_back(static_cast<int32_t>(static_cast<uint32_t>(DeletedLink) - 1));
  int64_t remembered = DataStream->Position();
  try {
    for (int32_t i = 0; i < recordCount_; ++i) {
      // Records lie at growing positions: once one is past the end of the
      // stream, so are all that follow.
      if (!SeekRecord(i)) break;
      uint8_t link[4] = {0, 0, 0, 0};
      DataStream->Read(link, 4);
      uint32_t next = GetLE32(link);
      if (next != 0) DeletedRecords.push_back(static_cast<int32_t>(next - 1));
      if (DataStream->Position() >= DataStream->Size() - 1 || i > Range.LastRow) break;
    }
  } catch (...) {
    DataStream->SetPosition(remembered);
    throw;
  }
  DataStream->SetPosition(remembered);
  deletedSorted_ = DeletedRecords;
  std::sort(deletedSorted_.begin(), deletedSorted_.end());
  deletedSorted_.erase(std::unique(deletedSorted_.begin(), deletedSorted_.end()), deletedSorted_.end());
}

bool TADT::IsDeleted(int32_t Index) const {
  return std::binary_search(deletedSorted_.begin(), deletedSorted_.end(), Index);
}

void TADT::LoadFromFile(const std::string& AFileName) {
  TSpreadSheetFile::LoadFromFile(AFileName);
  FileStream stream(FileName);
  try {
    ParseStream(stream);
  } catch (...) {
    DataStream = nullptr;
    throw;
  }
  DataStream = nullptr;
}

int32_t TADT::ColumnIndexByName(const std::string& Name) {
  int32_t result = TSpreadSheetFile::ColumnIndexByName(Name);
  TKeAdvantageTable& table = Table();
  int32_t count = std::min<int32_t>(FieldCount(), static_cast<int32_t>(table.FieldDescriptors.size()));
  for (int32_t i = 0; i < count; ++i) {
    const char* name = reinterpret_cast<const char*>(table.FieldDescriptors[static_cast<size_t>(i)].data());
    if (SameTextAscii(std::string_view(name, strnlen(name, kDescNameSize)), Name)) return i;
  }
  return result;
}

void TADT::GetColumnNames(TColumnList& List, const std::string& Spec) {
  TSpreadSheetFile::GetColumnNames(List, Spec);
  TKeAdvantageTable& table = Table();
  int32_t count = std::min<int32_t>(FieldCount(), static_cast<int32_t>(table.FieldDescriptors.size()));
  for (int32_t i = 0; i < count; ++i) {
    const char* name = reinterpret_cast<const char*>(table.FieldDescriptors[static_cast<size_t>(i)].data());
    List.push_back({std::string(name, strnlen(name, kDescNameSize)), i});
  }
}

}  // namespace qx
