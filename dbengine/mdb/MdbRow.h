#pragma once
// The row layout of a table and the encoding of one row:
//   2-byte column count, fixed area, variable data, then (only when the
//   table has variable columns) the end-of-data offset, the variable
//   offsets last one first and their count, and finally the null mask
//   (1 = not null; for Boolean columns the value itself).
#include <cstdint>
#include <vector>

#include "dbengine/mdb/MdbBytes.h"
#include "dbengine/mdb/MdbTableDef.h"

namespace qx::mdb {

// One column's value in stored form: the fixed bytes of a fixed column,
// the bytes of a variable one (text already encoded, a long value's
// 12-byte header with any inline data), or, for Boolean, just flag.
struct StoredValue {
  bool null = true;
  bool flag = false;  // Boolean value
  Bytes data;
};

class RowLayout {
 public:
  explicit RowLayout(const std::vector<ColumnDef>& columns);
  size_t ColumnCount() const { return columnCount_; }
  size_t FixedAreaSize() const { return fixedArea_; }
  size_t VariableCount() const { return varByIndex_.size(); }
  // values[k] belongs to the column numbered k.
  Bytes Encode(const std::vector<StoredValue>& values) const;
  // The encoded length, without building the row.
  size_t EncodedLength(const std::vector<StoredValue>& values) const;

 private:
  struct Col {
    uint8_t type = 0;
    uint16_t fixedOffset = 0;
    bool fixed = false;
  };
  std::vector<Col> byNumber_;
  std::vector<uint16_t> varByIndex_;  // column number of each variable slot
  size_t columnCount_ = 0;
  size_t fixedArea_ = 0;
};

}  // namespace qx::mdb
