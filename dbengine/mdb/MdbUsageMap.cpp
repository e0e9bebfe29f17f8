#include "dbengine/mdb/MdbUsageMap.h"

#include <algorithm>
#include <map>

namespace qx::mdb {

namespace {

constexpr uint32_t kInlineBits = (kMapRowLength - 5) * 8;  // 512

Page NewBitmapPage() {
  Page p{};
  p[0] = 0x05;
  p[1] = 0x01;
  return p;
}

void SetBit(uint8_t* bitmap, uint32_t bit) { bitmap[bit / 8] |= uint8_t(1u << (bit % 8)); }

}  // namespace

Bytes EncodeTableMap(std::vector<uint32_t> pages, const PageAllocator& allocate,
                     std::vector<BitmapPage>& bitmapPages) {
  std::sort(pages.begin(), pages.end());
  Bytes row(kMapRowLength, 0);
  if (pages.empty()) return row;
  uint32_t first = pages.back() < kInlineBits ? 0 : (pages.front() & ~7u);
  if (pages.back() - first < kInlineBits) {
    PutU32(&row[1], first);
    for (uint32_t p : pages) SetBit(&row[5], p - first);
    return row;
  }
  row[0] = 0x01;
  // Reference maps of more than 17 pointers would describe pages past the
  // 2 GB a Jet 4 file may hold; the page file never grows that far.
  std::map<uint32_t, Page> bitmaps;  // pointer index -> bitmap page
  for (uint32_t p : pages) {
    auto [it, fresh] = bitmaps.try_emplace(p / kPagesPerBitmapPage);
    if (fresh) it->second = NewBitmapPage();
    SetBit(&it->second[4], p % kPagesPerBitmapPage);
  }
  for (auto& [index, bytes] : bitmaps) {
    uint32_t number = allocate();
    PutU32(&row[1 + 4 * index], number);
    bitmapPages.push_back({number, bytes});
  }
  return row;
}

Bytes EncodeGlobalMap(const std::function<uint32_t()>& pageCount, const PageAllocator& allocate,
                      std::vector<BitmapPage>& bitmapPages) {
  uint32_t count = pageCount();
  size_t bytes = std::max<size_t>(64, ((count + 7) / 8 + 31) / 32 * 32);
  if (5 + bytes <= kMaxGlobalInlineRow) {
    Bytes row(5 + bytes, 0);
    for (uint32_t bit = count; bit < bytes * 8; ++bit) SetBit(&row[5], bit);
    return row;
  }
  // Reference form: one bitmap page per 32736 pages of the file. Allocating
  // them grows the file, so allocate until the file is covered.
  Bytes row(kMapRowLength, 0);
  row[0] = 0x01;
  size_t firstNew = bitmapPages.size();
  size_t have = 0;
  while (have * kPagesPerBitmapPage < pageCount()) {
    bitmapPages.push_back({allocate(), NewBitmapPage()});
    PutU32(&row[1 + 4 * have], bitmapPages.back().number);
    ++have;
  }
  count = pageCount();
  for (size_t i = 0; i < have; ++i) {
    uint8_t* bitmap = &bitmapPages[firstNew + i].bytes[4];
    uint32_t base = uint32_t(i) * kPagesPerBitmapPage;
    for (uint32_t k = 0; k < kPagesPerBitmapPage; ++k)
      if (base + k >= count) SetBit(bitmap, k);
  }
  return row;
}

}  // namespace qx::mdb
