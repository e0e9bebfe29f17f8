#pragma once
// Usage maps: bitmaps of pages, stored as one row of a data page.
//
// Inline map (type 0): 0x00, 4-byte first page, then the bitmap (bit k =
// page first + k, least significant bit first). Reference map (type 1):
// 0x01, then page numbers of bitmap pages (type 0x05), pointer i covering
// pages i * 32736 ... (i + 1) * 32736 - 1.
//
// Table maps (owned pages, pages with free space, long-value pages) are
// always 69-byte rows: a 64-byte inline bitmap (512 pages) when the pages
// fit into 512 pages from a start that is a multiple of 8, else a reference
// map with 17 pointers, which covers every page a 2 GB file can have.
#include <cstdint>
#include <functional>
#include <vector>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {

inline constexpr size_t kMapRowLength = 69;
inline constexpr uint32_t kPagesPerBitmapPage = (kPageSize - 4) * 8;  // 32736
inline constexpr size_t kReferencePointers = 17;

// Bitmap pages created for reference maps, written by the caller.
struct BitmapPage {
  uint32_t number;
  Page bytes;
};
using PageAllocator = std::function<uint32_t()>;

// The 69-byte map row of the given pages (any order, no duplicates).
// Reference maps take their bitmap pages from allocate and append them to
// bitmapPages.
Bytes EncodeTableMap(std::vector<uint32_t> pages, const PageAllocator& allocate,
                     std::vector<BitmapPage>& bitmapPages);

// Row 0 of page 1, the global map: a bit is 1 for a page that is free and
// 0 for a page in use. Every page below pageCount is in use. Covers at
// least the whole file, rounded up to 256 pages (64 bitmap bytes at
// least). Files larger than one inline row can describe get a reference
// map whose bitmap pages come from allocate (so pageCount must be read
// after the call).
Bytes EncodeGlobalMap(const std::function<uint32_t()>& pageCount, const PageAllocator& allocate,
                      std::vector<BitmapPage>& bitmapPages);

// The longest inline global map row that still fits on page 1 beside its
// second (69-byte) row.
inline constexpr size_t kMaxGlobalInlineRow = kPageSize - 14 - 2 * 2 - kMapRowLength;

}  // namespace qx::mdb
