#pragma once
// Text in the file: UCS-2 (UTF-16LE) or the compressed form, and the sort
// keys of text in indexes ("General Legacy" sort order).
#include <cstdint>
#include <string_view>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {

// Texts of more than this many characters are never compressed.
inline constexpr size_t kMaxCompressedChars = 1024;

// The stored bytes of a text. With compressible set (the column allows
// Unicode compression), a text of 3 to 1024 characters all in
// U+0001..U+00FF is written as FF FE followed by one byte per character;
// anything else as UTF-16LE. This is the rule Access files show: short
// texts and texts with other characters stay uncompressed.
Bytes EncodeText(std::u16string_view text, bool compressible);

// The index key bytes of a text in the "General Legacy" sort order:
// 0x7F, one code per character, 0x01, 0x00. Letters sort without regard to
// case. Only the characters whose codes are known for certain are
// supported: A-Z, a-z, 0-9, blank and "_"; for any other character the
// function returns false and leaves out alone (a wrong code would put the
// entry out of order, and Jet finds catalog entries by binary search).
bool GeneralLegacyKey(std::u16string_view text, Bytes& out);

}  // namespace qx::mdb
