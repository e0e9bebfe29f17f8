#include "dbengine/mdb/MdbTableDef.h"

#include <algorithm>
#include <cstring>

namespace qx::mdb {

namespace {
constexpr uint32_t kTdefMagic = 1625;   // in the header and every column entry
constexpr uint32_t kIndexMagic = 1923;  // at the start of every real-index entry
constexpr size_t kContinuationData = kPageSize - 8;

void AddName(Bytes& b, const std::u16string& name) {
  AddU16(b, uint16_t(name.size() * 2));
  for (char16_t c : name) AddU16(b, uint16_t(c));
}
}  // namespace

size_t FixedSize(uint8_t type) {
  switch (type) {
    case kColBoolean: return 0;
    case kColByte: return 1;
    case kColInteger: return 2;
    case kColLong: case kColSingle: return 4;
    case kColCurrency: case kColDouble: case kColDateTime: return 8;
    default: return 0;
  }
}

Bytes EncodeTableDef(const TableDefInfo& t) {
  Bytes b(8, 0);
  AddU32(b, 0);  // total length, set below
  AddU32(b, kTdefMagic);
  AddU32(b, t.rowCount);
  AddU32(b, 0);  // last autonumber handed out
  AddU8(b, 0x01);
  b.insert(b.end(), 15, 0);
  AddU8(b, t.tableType);
  uint16_t maxColumn = 0, variable = 0;
  for (const auto& c : t.columns) {
    maxColumn = std::max<uint16_t>(maxColumn, uint16_t(c.number + 1));
    if (!IsFixedType(c.type)) ++variable;
  }
  AddU16(b, maxColumn);
  AddU16(b, variable);
  AddU16(b, uint16_t(t.columns.size()));
  AddU32(b, uint32_t(t.logicalIndexes.size()));
  AddU32(b, uint32_t(t.realIndexes.size()));
  AddU32(b, t.ownedMap);
  AddU32(b, t.freeMap);
  for (const auto& r : t.realIndexes) {
    // The first word is 0 in Jet-made files and a row count in Access-made
    // ones; readers do not rely on it. Jet's choice.
    AddU32(b, 0);
    AddU32(b, r.entryCount);
    AddU32(b, 0);
  }
  for (const auto& c : t.columns) {
    AddU8(b, c.type);
    AddU32(b, kTdefMagic);
    AddU16(b, c.number);
    AddU16(b, IsFixedType(c.type) ? 0 : c.varIndex);
    AddU16(b, c.numberCopy);
    // Sort order of the column: "General" (1033), version 0, in every
    // column, as Access writes it.
    AddU16(b, 0x0409);
    AddU8(b, 0);
    AddU8(b, 0);
    AddU8(b, c.flags);
    AddU8(b, c.extraFlags);
    AddU32(b, 0);
    AddU16(b, IsFixedType(c.type) ? c.fixedOffset : 0);
    AddU16(b, c.length);
  }
  for (const auto& c : t.columns) AddName(b, c.name);
  for (const auto& r : t.realIndexes) {
    AddU32(b, kIndexMagic);
    for (size_t i = 0; i < 10; ++i) {
      if (i < r.columns.size()) {
        AddU16(b, r.columns[i]);
        AddU8(b, 0x01);  // ascending
      } else {
        AddU16(b, 0xFFFF);
        AddU8(b, 0);
      }
    }
    AddU32(b, r.map);
    AddU32(b, r.rootPage);
    AddU32(b, 0);
    AddU8(b, r.flags);
    b.insert(b.end(), 5, 0);
  }
  for (const auto& l : t.logicalIndexes) {
    AddU32(b, kTdefMagic);
    AddU32(b, l.number);
    AddU32(b, l.realIndex);
    AddU8(b, 0);
    AddU32(b, 0xFFFFFFFF);  // no related index
    AddU32(b, 0);
    // Cascade bytes: Jet writes 04 04 on its own indexes.
    AddU8(b, 0x04);
    AddU8(b, 0x04);
    AddU8(b, l.kind);
    AddU32(b, 0);
  }
  for (const auto& l : t.logicalIndexes) AddName(b, l.name);
  for (const auto& m : t.longValueMaps) {
    AddU16(b, m.column);
    AddU32(b, m.owned);
    AddU32(b, m.free);
  }
  AddU16(b, 0xFFFF);
  PutU32(&b[8], uint32_t(b.size()));
  return b;
}

size_t TableDefPageCount(size_t len) {
  if (len <= kPageSize) return 1;
  return 1 + (len - kPageSize + kContinuationData - 1) / kContinuationData;
}

std::vector<Page> LayTableDef(const Bytes& stream, const std::vector<uint32_t>& pages) {
  std::vector<Page> out(pages.size());
  size_t pos = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    Page& p = out[i];
    p.fill(0);
    size_t start = i == 0 ? 0 : 8;
    size_t n = std::min(kPageSize - start, stream.size() - pos);
    std::memcpy(&p[start], &stream[pos], n);
    pos += n;
    p[0] = 0x02;
    p[1] = 0x01;
    long used = long(start + n);  // bytes of this page, header included
    long free = long(kPageSize) - used - 8;
    PutU16(&p[2], uint16_t(free < 0 ? 0 : free));
    PutU32(&p[4], i + 1 < pages.size() ? pages[i + 1] : 0);
  }
  return out;
}

}  // namespace qx::mdb
