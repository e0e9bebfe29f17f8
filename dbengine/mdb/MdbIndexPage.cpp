#include "dbengine/mdb/MdbIndexPage.h"

#include <algorithm>
#include <cstring>

namespace qx::mdb {

namespace {
constexpr size_t kBitmapStart = 27;
}

void AddLongKey(Bytes& key, int32_t v) {
  key.push_back(0x7F);
  AddBE32(key, uint32_t(v) ^ 0x80000000u);
}

void AddEntryPointer(Bytes& entry, uint32_t page, uint8_t row) {
  entry.push_back(uint8_t(page >> 16));
  entry.push_back(uint8_t(page >> 8));
  entry.push_back(uint8_t(page));
  entry.push_back(row);
}

size_t IndexEntriesSize(const std::vector<Bytes>& entries) {
  size_t n = 0;
  for (const auto& e : entries) n += e.size();
  return n;
}

Page BuildIndexLeaf(uint32_t tdefPage, std::vector<Bytes> entries) {
  std::sort(entries.begin(), entries.end());
  Page p{};
  p[0] = 0x04;
  p[1] = 0x01;
  PutU32(&p[4], tdefPage);
  size_t pos = 0;
  for (const auto& e : entries) {
    std::memcpy(&p[kIndexEntriesStart + pos], e.data(), e.size());
    pos += e.size();
    p[kBitmapStart + pos / 8] |= uint8_t(1u << (pos % 8));
  }
  PutU16(&p[2], uint16_t(kIndexLeafCapacity - pos));
  return p;
}

}  // namespace qx::mdb
