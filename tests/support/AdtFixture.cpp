#include "support/AdtFixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "cells/KelUtils.h"
#include "platform/DateUtils.h"

namespace qx::fixture {

using namespace adt;

Bytes AdtBytes::Text(std::string_view s, size_t width, char pad) {
  Bytes b(width, static_cast<uint8_t>(pad));
  std::memcpy(b.data(), s.data(), std::min(width, s.size()));
  return b;
}

Bytes AdtBytes::Numeric(std::string_view s, size_t width) {
  Bytes b(width, ' ');
  size_t n = std::min(width, s.size());
  std::memcpy(b.data() + (width - n), s.data(), n);
  return b;
}

Bytes AdtBytes::Wide(std::u16string_view s, size_t width) {
  Bytes b(width, 0);
  for (size_t k = 0; k + 1 < width; k += 2) {
    char16_t c = k / 2 < s.size() ? s[k / 2] : u' ';
    b[k] = static_cast<uint8_t>(c);
    b[k + 1] = static_cast<uint8_t>(c >> 8);
  }
  return b;
}

Bytes AdtBytes::Int16(int16_t v) {
  Bytes b(2);
  PutLE16(b.data(), static_cast<uint16_t>(v));
  return b;
}

Bytes AdtBytes::Int32(int32_t v) {
  Bytes b(4);
  PutLE32(b.data(), static_cast<uint32_t>(v));
  return b;
}

Bytes AdtBytes::Int64(int64_t v) {
  Bytes b(8);
  PutLE64(b.data(), static_cast<uint64_t>(v));
  return b;
}

Bytes AdtBytes::Double(double v) {
  Bytes b(8);
  std::memcpy(b.data(), &v, 8);
  return b;
}

int32_t AdtBytes::JulianDay(int year, int month, int day) {
  return static_cast<int32_t>(EncodeDate(year, month, day)) + kJulianOffset;
}

Bytes AdtBytes::TimeStamp(int32_t julianDay, int32_t milliseconds) {
  Bytes b = Int32(julianDay);
  Bytes t = Int32(milliseconds);
  b.insert(b.end(), t.begin(), t.end());
  return b;
}

Bytes AdtBytes::Hex(std::string_view hex) {
  Bytes b;
  int nibble = -1;
  for (char c : hex) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (v < 0) continue;
    if (nibble < 0) {
      nibble = v;
    } else {
      b.push_back(static_cast<uint8_t>(nibble * 16 + v));
      nibble = -1;
    }
  }
  return b;
}

AdtRecord& AdtRecord::Set(int field, Bytes bytes) {
  if (field < 0 || field >= static_cast<int>(owner_->fields_.size())) throw std::out_of_range("no such field");
  values_[field] = std::move(bytes);
  memos_.erase(field);
  return *this;
}

AdtRecord& AdtRecord::Set(std::string_view fieldName, Bytes bytes) {
  return Set(owner_->FieldIndex(fieldName), std::move(bytes));
}

AdtRecord& AdtRecord::Memo(int field, std::string_view data) {
  Set(field, {});
  owner_->memos_.emplace_back(data);
  memos_[field] = static_cast<int>(owner_->memos_.size()) - 1;
  return *this;
}

AdtRecord& AdtRecord::MemoRef(int field, uint32_t block, int32_t length) {
  Bytes b = AdtBytes::Int32(static_cast<int32_t>(block));
  Bytes l = AdtBytes::Int32(length);
  b.insert(b.end(), l.begin(), l.end());
  return Set(field, std::move(b));
}

AdtRecord& AdtRecord::Raw(size_t recordOffset, Bytes bytes) {
  raw_.emplace_back(recordOffset, std::move(bytes));
  return *this;
}

int AdtTableWriter::AddField(std::string name, uint8_t type, uint16_t length, uint32_t decimals) {
  int index = AddFieldAt(std::move(name), type, length, nextOffset_, decimals);
  nextOffset_ += length;
  return index;
}

int AdtTableWriter::AddFieldAt(std::string name, uint8_t type, uint16_t length, uint32_t offset, uint32_t decimals) {
  fields_.push_back({std::move(name), type, length, decimals, offset});
  return static_cast<int>(fields_.size()) - 1;
}

int AdtTableWriter::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (SameTextAscii(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

AdtRecord& AdtTableWriter::AddRecord() {
  records_.push_back(AdtRecord(this));
  return records_.back();
}

void AdtTableWriter::DeleteRecord(size_t index) { deleted_.push_back(index); }

void AdtTableWriter::SetPassword(std::string_view text) { password_ = std::string(text.substr(0, kPasswordSize)); }

void AdtTableWriter::PatchDescriptor(int field, int offset, Bytes bytes) {
  descriptorPatches_.emplace_back(field, offset, std::move(bytes));
}

uint32_t AdtTableWriter::RecordLength() const {
  uint32_t length = 5;
  for (const Field& f : fields_) length = std::max(length, f.offset + f.length);
  return length;
}

Bytes AdtTableWriter::HeaderBytes(uint32_t recordCount) const {
  Bytes out(kHeaderSize + kDescriptorSize * fields_.size(), 0);
  uint8_t* h = out.data();
  std::memcpy(h, "Advantage Table", 15);
  PutLE32(h + kHdrRecordCount, recordCount);
  PutLE32(h + kHdrDataOffset, static_cast<uint32_t>(kHeaderSize + kDescriptorSize * fields_.size()));
  PutLE32(h + kHdrRecordLength, RecordLength());
  PutLE32(h + kHdrFirstDeleted, deleted_.empty() ? 0 : static_cast<uint32_t>(deleted_.back() + 1));
  std::memcpy(h + kHdrPassword, password_.data(), password_.size());
  PutLE16(h + kHdrFieldCount, static_cast<uint16_t>(fields_.size()));
  for (auto [offset, value] : header32_) PutLE32(h + offset, value);
  for (auto [offset, value] : header16_) PutLE16(h + offset, value);
  for (size_t i = 0; i < fields_.size(); ++i) {
    uint8_t* d = h + kHeaderSize + kDescriptorSize * i;
    const Field& f = fields_[i];
    std::memcpy(d, f.name.data(), std::min<size_t>(f.name.size(), kDescNameSize));
    PutBE16(d + kDescType, f.type);
    PutLE16(d + kDescOffset, static_cast<uint16_t>(f.offset));
    PutBE16(d + kDescLength, f.length);
    PutBE32(d + kDescDecimals, f.decimals);
  }
  for (const auto& [field, offset, bytes] : descriptorPatches_)
    std::memcpy(h + kHeaderSize + kDescriptorSize * field + offset, bytes.data(), bytes.size());
  return out;
}

std::vector<uint32_t> AdtTableWriter::MemoBlocks(uint64_t* fileSize) const {
  std::vector<uint32_t> blocks;
  uint64_t bs = memoBlockSize_;
  uint64_t pos = kMemoHeaderSize;
  if (bs > 0) pos = (pos + bs - 1) / bs * bs;
  for (const std::string& m : memos_) {
    blocks.push_back(bs > 0 ? static_cast<uint32_t>(pos / bs) : 0);
    uint64_t len = std::max<uint64_t>(m.size(), 1);
    pos += bs > 0 ? (len + bs - 1) / bs * bs : len;
  }
  if (fileSize) *fileSize = pos;
  return blocks;
}

Bytes AdtTableWriter::RecordBytes(const AdtRecord& record, uint32_t deletionLink) const {
  Bytes out(RecordLength(), 0);
  out[0] = 4;
  PutLE32(out.data() + 1, deletionLink);
  std::vector<uint32_t> blocks;
  if (!record.memos_.empty()) blocks = MemoBlocks();
  auto put = [&](size_t at, const Bytes& b, size_t room) {
    if (at >= out.size() || b.empty()) return;
    std::memcpy(out.data() + at, b.data(), std::min({b.size(), room, out.size() - at}));
  };
  for (const auto& [field, bytes] : record.values_) put(fields_[field].offset, bytes, fields_[field].length);
  for (const auto& [field, memo] : record.memos_) {
    Bytes ref = AdtBytes::Int32(static_cast<int32_t>(blocks[memo]));
    Bytes len = AdtBytes::Int32(static_cast<int32_t>(memos_[memo].size()));
    ref.insert(ref.end(), len.begin(), len.end());
    put(fields_[field].offset, ref, fields_[field].length);
  }
  for (const auto& [at, bytes] : record.raw_) put(at, bytes, bytes.size());
  return out;
}

Bytes AdtTableWriter::TableBytes() const {
  Bytes out = HeaderBytes(static_cast<uint32_t>(records_.size()));
  std::vector<uint32_t> links(records_.size(), 0);
  for (size_t k = 1; k < deleted_.size(); ++k) links.at(deleted_[k]) = static_cast<uint32_t>(deleted_[k - 1] + 1);
  for (size_t i = 0; i < records_.size(); ++i) {
    Bytes r = RecordBytes(records_[i], links[i]);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

Bytes AdtTableWriter::MemoBytes() const {
  uint64_t size = 0;
  std::vector<uint32_t> blocks = MemoBlocks(&size);
  Bytes out(static_cast<size_t>(size), 0);
  PutBE32(out.data() + kMemoBlockSize, memoBlockSize_);
  // With block size 0 no data can be addressed; only the header is written.
  for (size_t k = 0; k < memos_.size() && memoBlockSize_ > 0; ++k)
    std::memcpy(out.data() + static_cast<uint64_t>(blocks[k]) * memoBlockSize_, memos_[k].data(), memos_[k].size());
  return out;
}

void AdtTableWriter::WriteFiles(const std::string& adtPath, const std::string& admPath, bool alwaysMemo) const {
  WriteFileBytes(adtPath, TableBytes());
  if (!memos_.empty() || alwaysMemo) {
    std::string memoPath = admPath;
    if (memoPath.empty()) {
      size_t dot = adtPath.find_last_of('.');
      size_t slash = adtPath.find_last_of('/');
      memoPath = (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? adtPath.substr(0, dot) : adtPath) + ".adm";
    }
    WriteFileBytes(memoPath, MemoBytes());
  }
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace qx::fixture
