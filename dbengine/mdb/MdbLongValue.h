#pragma once
// Long values (Memo and OLE data) of one column on LVAL pages, the column's
// own data pages (owner "LVAL"). The row holds a 12-byte header: the
// length with the storage form in the top bits, and the pg_row of the
// (first) LVAL row.
//   0x80000000  inline: the data follows the header in the row
//   0x40000000  one LVAL row holding exactly the data
//   0x00000000  a chain of LVAL rows, each a 4-byte pg_row of the next row
//               (0 in the last) and up to 4072 bytes of data, one full row
//               per page
#include <cstdint>
#include <vector>

#include "dbengine/mdb/MdbDataPage.h"
#include "dbengine/mdb/MdbPageFile.h"

namespace qx::mdb {

inline constexpr size_t kLongValueHeader = 12;
inline constexpr size_t kMaxInlineLongValue = 64;   // bytes of data kept in the row
inline constexpr size_t kMaxSingleLongValue = 4076;  // one LVAL row on an empty page
inline constexpr size_t kChainChunk = 4072;          // data bytes per chain row
inline constexpr size_t kMaxLongValue = 0x3FFFFFFF;  // the length field's range

// The header of an inline value, followed by its data.
Bytes InlineLongValue(const uint8_t* data, size_t len);

class LongValueColumn {
 public:
  explicit LongValueColumn(PageFile& file) : file_(file) {}
  // Stores the data on LVAL pages; returns the row's 12-byte header.
  Bytes Store(const uint8_t* data, size_t len);
  // Writes the page still being filled.
  void Finish();
  // Every LVAL page of the column, and those with room left.
  const std::vector<uint32_t>& Pages() const { return pages_; }
  std::vector<uint32_t> PagesWithRoom() const;

 private:
  // Makes sure the current page takes a row of len bytes; returns pg_row
  // of where it will go.
  uint32_t Reserve(size_t len);

  PageFile& file_;
  DataPage page_{kOwnerLval};
  uint32_t number_ = 0;
  bool open_ = false;
  std::vector<uint32_t> pages_;
};

}  // namespace qx::mdb
