#include "dbengine/mdb/MdbLongValue.h"

#include <algorithm>

namespace qx::mdb {

namespace {
Bytes Header(uint32_t lengthAndForm, uint32_t pgRow) {
  Bytes h;
  AddU32(h, lengthAndForm);
  AddU32(h, pgRow);
  AddU32(h, 0);
  return h;
}
}  // namespace

Bytes InlineLongValue(const uint8_t* data, size_t len) {
  Bytes h = Header(uint32_t(len) | 0x80000000u, 0);
  h.insert(h.end(), data, data + len);
  return h;
}

uint32_t LongValueColumn::Reserve(size_t len) {
  if (open_ && !page_.Fits(len)) {
    file_.Write(number_, page_.Bytes());
    open_ = false;
  }
  if (!open_) {
    page_.Reset(kOwnerLval);
    number_ = file_.Allocate();
    pages_.push_back(number_);
    open_ = true;
  }
  return PgRow(number_, uint8_t(page_.RowCount()));
}

Bytes LongValueColumn::Store(const uint8_t* data, size_t len) {
  if (len <= kMaxSingleLongValue) {
    uint32_t at = Reserve(len);
    page_.Add(data, len);
    return Header(uint32_t(len) | 0x40000000u, at);
  }
  // Chain: every chunk but the last fills a page of its own; the last one
  // may share the page being filled.
  size_t chunks = (len + kChainChunk - 1) / kChainChunk;
  std::vector<uint32_t> full(chunks - 1);
  for (auto& p : full) {
    p = file_.Allocate();
    pages_.push_back(p);
  }
  size_t lastLen = len - (chunks - 1) * kChainChunk;
  uint32_t lastAt = Reserve(4 + lastLen);
  Bytes row;
  for (size_t i = 0; i + 1 < chunks; ++i) {
    row.clear();
    AddU32(row, i + 2 < chunks ? PgRow(full[i + 1], 0) : lastAt);
    row.insert(row.end(), data + i * kChainChunk, data + (i + 1) * kChainChunk);
    DataPage page(kOwnerLval);
    page.Add(row);
    file_.Write(full[i], page.Bytes());
  }
  row.clear();
  AddU32(row, 0);
  row.insert(row.end(), data + (chunks - 1) * kChainChunk, data + len);
  page_.Add(row);
  return Header(uint32_t(len), PgRow(full[0], 0));
}

void LongValueColumn::Finish() {
  if (open_) file_.Write(number_, page_.Bytes());
}

std::vector<uint32_t> LongValueColumn::PagesWithRoom() const {
  if (open_ && page_.Free() > 0 && page_.RowCount() < kMaxRowsPerPage) return {number_};
  return {};
}

}  // namespace qx::mdb
