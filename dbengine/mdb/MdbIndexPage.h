#pragma once
// Index leaf pages (type 0x04) of the catalog's own indexes. Every index
// the writer makes fits on one leaf page, which is then also its root.
//
// An entry is the key (per key column a flag byte 0x7F and the key bytes)
// followed by the row's page (3 bytes) and row number (1 byte), big-endian.
// Entries start at offset 480, sorted by their bytes; a bitmap from offset
// 27 marks the position where each entry ends.
#include <cstdint>
#include <vector>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {

inline constexpr size_t kIndexEntriesStart = 0x1E0;
inline constexpr size_t kIndexLeafCapacity = kPageSize - kIndexEntriesStart;  // 3616

// Key of a Long column: big-endian with the sign bit flipped.
void AddLongKey(Bytes& key, int32_t v);
// Appends the row pointer of an entry.
void AddEntryPointer(Bytes& entry, uint32_t page, uint8_t row);

// Total bytes the entries take on a leaf.
size_t IndexEntriesSize(const std::vector<Bytes>& entries);
// The leaf page of an index of table tdefPage; sorts the entries.
// REQUIRES IndexEntriesSize(entries) <= kIndexLeafCapacity.
Page BuildIndexLeaf(uint32_t tdefPage, std::vector<Bytes> entries);

}  // namespace qx::mdb
