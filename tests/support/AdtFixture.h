#pragma once
// Writes Advantage tables (.adt) and memo files (.adm) from a description,
// for tests, benchmarks and the sample table. Each test states the bytes that
// matter and lets the writer lay out the rest:
//
//   AdtTableWriter w;
//   int id = w.AddField("ID", adt::atInteger, 4);
//   int name = w.AddField("NAME", adt::atString, 20);
//   int notes = w.AddField("NOTES", adt::atMemo, 9);
//   w.AddRecord().Set(id, AdtBytes::Int32(1)).Set(name, AdtBytes::Text("Ann", 20)).Memo(notes, "long text");
//   w.AddRecord().Set(id, AdtBytes::Int32(2));
//   w.DeleteRecord(1);
//   std::vector<uint8_t> table = w.TableBytes();   // or w.WriteFiles(dir + "/t.adt")
//
// Layout written: the 400-byte header ("Advantage Table" signature, record
// count, data offset 400 + 200 x fields, record length, first deleted record,
// password bytes, field count), one 200-byte descriptor per field (type BE16,
// offset LE16, length BE16, decimals BE32, as the format has them), then the
// records. A record is byte 0 (4, as live records in real files), a 4-byte
// deletion link, then the fields from offset 5 in the order added, unless a
// field was placed explicitly. Field bytes shorter than the field are padded
// with zero bytes; longer ones are cut.
//
// Memo file: 8 header bytes (block size BE32 at 4), then each memo value at
// the next free block (block x block size), in the order Memo() was called.
//
// To build damaged tables, override header fields (SetHeader32/16), patch
// descriptor bytes (PatchDescriptor) or edit the returned bytes directly.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "adt/AdtFormat.h"

namespace qx::fixture {

using Bytes = std::vector<uint8_t>;

// Encoders of field values, as Advantage stores them.
struct AdtBytes {
  // Text padded with `pad` to `width` bytes (cut when longer).
  static Bytes Text(std::string_view s, size_t width, char pad = ' ');
  // Numeric text right-justified in `width` bytes.
  static Bytes Numeric(std::string_view s, size_t width);
  // UTF-16 little-endian text padded with blanks to `width` bytes.
  static Bytes Wide(std::u16string_view s, size_t width);
  static Bytes Logical(bool v) { return {static_cast<uint8_t>(v ? 'T' : 'F')}; }
  static Bytes Int16(int16_t v);
  static Bytes Int32(int32_t v);
  static Bytes Int64(int64_t v);
  static Bytes Double(double v);
  // Money: a count of ten-thousandths (12.5 is 125000).
  static Bytes Money(int64_t tenThousandths) { return Int64(tenThousandths); }
  // A date as its Julian day number (2000-01-01 is 2451545).
  static int32_t JulianDay(int year, int month, int day);
  static Bytes Date(int year, int month, int day) { return Int32(JulianDay(year, month, day)); }
  static Bytes Time(int32_t milliseconds) { return Int32(milliseconds); }
  static Bytes TimeStamp(int32_t julianDay, int32_t milliseconds);
  // Eight bytes 20 00 00 00 00 00 00 80, the Null of 8-byte numbers.
  static Bytes NullPattern8() { return {0x20, 0, 0, 0, 0, 0, 0, 0x80}; }
  static Bytes Hex(std::string_view hex);  // "00 80" or "0080"
};

class AdtTableWriter;

// One record under construction; keep using it through the reference
// AddRecord returns (records are never moved).
class AdtRecord {
 public:
  // Sets the bytes of field `field` (by index or by name).
  AdtRecord& Set(int field, Bytes bytes);
  AdtRecord& Set(std::string_view fieldName, Bytes bytes);
  // Stores `data` in the memo file and a reference to it (block, length) in
  // the field.
  AdtRecord& Memo(int field, std::string_view data);
  // A reference with an explicit block and length (may point anywhere).
  AdtRecord& MemoRef(int field, uint32_t block, int32_t length);
  // Writes bytes at a record offset (0 is the record's first byte).
  AdtRecord& Raw(size_t recordOffset, Bytes bytes);

 private:
  friend class AdtTableWriter;
  explicit AdtRecord(AdtTableWriter* owner) : owner_(owner) {}
  AdtTableWriter* owner_;
  std::map<int, Bytes> values_;
  std::map<int, int> memos_;  // field -> memo index
  std::vector<std::pair<size_t, Bytes>> raw_;
};

class AdtTableWriter {
 public:
  struct Field {
    std::string name;
    uint8_t type = 0;
    uint16_t length = 0;
    uint32_t decimals = 0;
    uint32_t offset = 0;  // record offset; assigned by Layout when 0
  };

  // Adds a field after the previous one (the first at offset 5); returns its index.
  int AddField(std::string name, uint8_t type, uint16_t length, uint32_t decimals = 0);
  // Adds a field at an explicit record offset.
  int AddFieldAt(std::string name, uint8_t type, uint16_t length, uint32_t offset, uint32_t decimals = 0);
  int FieldIndex(std::string_view name) const;  // -1 when unknown
  const std::vector<Field>& Fields() const { return fields_; }

  AdtRecord& AddRecord();
  // A record that is not part of the table, for writers that stream records
  // with RecordBytes (store memo data yourself and use MemoRef).
  AdtRecord DetachedRecord() { return AdtRecord(this); }
  size_t RecordCount() const { return records_.size(); }
  // Marks a record deleted: it joins the deletion chain (the header names the
  // record deleted last; each deleted record links to the one deleted before).
  void DeleteRecord(size_t index);
  void SetPassword(std::string_view text);  // at most 20 bytes stored
  void SetMemoBlockSize(uint32_t size) { memoBlockSize_ = size; }
  // Header overrides, applied after the computed fields.
  void SetHeader32(int offset, uint32_t value) { header32_[offset] = value; }
  void SetHeader16(int offset, uint16_t value) { header16_[offset] = value; }
  // Bytes written over descriptor `field` (file layout) after it is built.
  void PatchDescriptor(int field, int offset, Bytes bytes);

  // The record length: 5 + the furthest end of any field (unless overridden).
  uint32_t RecordLength() const;
  Bytes TableBytes() const;
  Bytes MemoBytes() const;
  // Only the header and descriptors (for writers that stream records).
  Bytes HeaderBytes(uint32_t recordCount) const;
  // One record's bytes (for writers that stream records).
  Bytes RecordBytes(const AdtRecord& record, uint32_t deletionLink) const;
  // Writes the table and, when any memo was stored or `alwaysMemo`, the memo
  // file (default name: the table's with extension ".adm").
  void WriteFiles(const std::string& adtPath, const std::string& admPath = "", bool alwaysMemo = false) const;

 private:
  friend class AdtRecord;
  // Block of each memo value, and the memo file's size.
  std::vector<uint32_t> MemoBlocks(uint64_t* fileSize = nullptr) const;

  std::vector<Field> fields_;
  uint32_t nextOffset_ = 5;
  std::deque<AdtRecord> records_;
  std::vector<size_t> deleted_;  // in the order deleted
  std::vector<std::string> memos_;
  std::string password_;
  uint32_t memoBlockSize_ = 8;
  std::map<int, uint32_t> header32_;
  std::map<int, uint16_t> header16_;
  std::vector<std::tuple<int, int, Bytes>> descriptorPatches_;
};

// Writes bytes to a file (overwriting it).
void WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace qx::fixture
