#pragma once
// A data page under construction: table rows, long-value rows and
// usage-map rows all live on pages of this kind. Rows are packed from the
// end of the page downwards, row i directly below row i-1, and the row
// offset table grows upwards from offset 14.
#include <cstdint>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {

inline constexpr uint32_t kOwnerLval = 0x4C41564C;  // the ASCII bytes "LVAL"
inline constexpr size_t kMaxRowsPerPage = 255;     // row numbers are one byte
inline constexpr size_t kEmptyDataPageFree = kPageSize - 14;  // 4082
// The longest row a writer may place on a page (an empty page could take
// 4080 bytes; the same limit as the one mature writer keeps).
inline constexpr size_t kMaxRowLength = 4060;

class DataPage {
 public:
  explicit DataPage(uint32_t owner) { Reset(owner); }
  void Reset(uint32_t owner);
  // True when a row of len bytes still fits (it costs len + 2 bytes).
  bool Fits(size_t len) const { return rows_ < kMaxRowsPerPage && Free() >= len + 2; }
  // Places the row; REQUIRES Fits(len). Returns its row number.
  uint8_t Add(const uint8_t* data, size_t len);
  uint8_t Add(const Bytes& row) { return Add(row.data(), row.size()); }
  size_t Free() const { return GetU16(&page_[2]); }
  size_t RowCount() const { return rows_; }
  bool Empty() const { return rows_ == 0; }
  const Page& Bytes() const { return page_; }

 private:
  Page page_;
  size_t rows_ = 0;
  size_t low_ = kPageSize;  // start of the lowest row
};

}  // namespace qx::mdb
