#include "dbengine/mdb/MdbRow.h"

#include <algorithm>
#include <cstring>

namespace qx::mdb {

RowLayout::RowLayout(const std::vector<ColumnDef>& columns) {
  for (const auto& c : columns) columnCount_ = std::max<size_t>(columnCount_, c.number + 1u);
  byNumber_.resize(columnCount_);
  size_t vars = 0;
  for (const auto& c : columns) {
    Col& col = byNumber_[c.number];
    col.type = c.type;
    col.fixed = IsFixedType(c.type);
    col.fixedOffset = c.fixedOffset;
    if (col.fixed)
      fixedArea_ = std::max(fixedArea_, size_t(c.fixedOffset) + FixedSize(c.type));
    else
      vars = std::max<size_t>(vars, c.varIndex + 1u);
  }
  varByIndex_.assign(vars, 0);
  for (const auto& c : columns)
    if (!IsFixedType(c.type)) varByIndex_[c.varIndex] = c.number;
}

size_t RowLayout::EncodedLength(const std::vector<StoredValue>& values) const {
  size_t len = 2 + fixedArea_ + (columnCount_ + 7) / 8;
  if (!varByIndex_.empty()) {
    len += 2 + 2 * varByIndex_.size() + 2;
    for (uint16_t n : varByIndex_)
      if (!values[n].null) len += values[n].data.size();
  }
  return len;
}

Bytes RowLayout::Encode(const std::vector<StoredValue>& values) const {
  Bytes row;
  row.reserve(EncodedLength(values));
  AddU16(row, uint16_t(columnCount_));
  row.resize(2 + fixedArea_, 0);
  for (size_t n = 0; n < columnCount_; ++n) {
    const Col& c = byNumber_[n];
    if (c.fixed && c.type != kColBoolean && !values[n].null)
      std::memcpy(&row[2 + c.fixedOffset], values[n].data.data(), FixedSize(c.type));
  }
  if (!varByIndex_.empty()) {
    std::vector<uint16_t> offsets(varByIndex_.size());
    for (size_t i = 0; i < varByIndex_.size(); ++i) {
      offsets[i] = uint16_t(row.size());
      const StoredValue& v = values[varByIndex_[i]];
      if (!v.null) row.insert(row.end(), v.data.begin(), v.data.end());
    }
    AddU16(row, uint16_t(row.size()));  // end of the variable data
    for (size_t i = offsets.size(); i-- > 0;) AddU16(row, offsets[i]);
    AddU16(row, uint16_t(offsets.size()));
  }
  size_t maskAt = row.size();
  row.resize(maskAt + (columnCount_ + 7) / 8, 0);
  for (size_t n = 0; n < columnCount_; ++n) {
    bool bit = byNumber_[n].type == kColBoolean ? values[n].flag : !values[n].null;
    if (bit) row[maskAt + n / 8] |= uint8_t(1u << (n % 8));
  }
  return row;
}

}  // namespace qx::mdb
