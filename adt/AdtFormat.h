#pragma once
// The on-disk layout of an Advantage table (.adt) and its memo file (.adm),
// and the byte codecs that read it. Numbers are little-endian unless a name
// says BE. Offsets are in bytes from 0.
//
//   0                     table header, kHeaderSize bytes
//   400                   FieldCount descriptors of kDescriptorSize bytes
//   DataOffset            RecordCount records of RecordLength bytes
//
// A record starts with one unused byte and a 4-byte deletion link; fields
// follow at their FieldOffset (counted from the record's byte 0).
#include <cstdint>
#include <cstring>

namespace qx::adt {

inline constexpr int kHeaderSize = 400;
inline constexpr int kDescriptorSize = 200;
inline constexpr int kMaxFields = 4096;  // descriptor slots of a table sheet
// Longest record accepted. No field can reach past 2 x 65535 bytes (16-bit
// offset and length), so this admits every layout descriptors can express.
inline constexpr uint32_t kMaxRecordLength = 131072;

// Table header fields.
inline constexpr int kHdrRecordCount = 24;   // int32
inline constexpr int kHdrDataOffset = 32;    // uint32
inline constexpr int kHdrRecordLength = 36;  // uint32
inline constexpr int kHdrFirstDeleted = 40;  // 1-based record number, 0 = none
inline constexpr int kHdrPassword = 56;      // kPasswordSize bytes, all zero = not protected
inline constexpr int kPasswordSize = 20;
inline constexpr int kHdrFieldCount = 358;   // uint16

// Field descriptor as stored in the file.
inline constexpr int kDescNameSize = 128;
inline constexpr int kDescType = 128;      // BE16; the type code is file byte 129
inline constexpr int kDescOffset = 131;    // LE16
inline constexpr int kDescLength = 134;    // BE16
inline constexpr int kDescDecimals = 136;  // BE32
// The same descriptor as held in memory after the load rewrote it to host order.
inline constexpr int kImgTypeCode = 128;   // uint8 (low byte of a 16-bit number)
inline constexpr int kImgOffset = 130;     // uint32
inline constexpr int kImgLength = 134;     // uint16
inline constexpr int kImgDecimals = 136;   // uint32

// Memo file header: 8 bytes; bytes 4..7 are the block size, BE32.
inline constexpr int kMemoHeaderSize = 8;
inline constexpr int kMemoBlockSize = 4;

// Type codes.
enum AdtType : uint8_t {
  atUnknown = 0, atLogical = 1, atNumeric = 2, atDate = 3, atString = 4, atMemo = 5, atBinary = 6,
  atImage = 7, atVarChar = 8, atCompactDate = 9, atDouble = 10, atInteger = 11, atShortInt = 12,
  atTime = 13, atTimeStamp = 14, atAutoInc = 15, atRaw = 16, atCurDouble = 17, atMoney = 18,
  atLongLong = 19, atCIString = 20, atRowVersion = 21, atModTime = 22, atNChar = 26, atNVarChar = 27,
  atNMemo = 28,
};

// The names of the type codes 0..28 (code 0 is spelled "Unknow").
inline constexpr const char* kAdtTypeNames[29] = {
    "Unknow",   "Logical", "Numeric",  "Date",   "String",     "Memo",    "Binary",    "Image",
    "VarChar",  "CompactDate", "Double", "Integer", "ShortInt", "Time",    "TimeStamp", "AutoInc",
    "RAW",      "Currency", "Money",   "LongLong", "CIString", "RowVersion", "ModTime", "Type23",
    "Type24",   "Type25",  "NChar",    "NVarChar", "NMemo"};

// True for the codes whose field holds a reference into the memo file.
constexpr bool IsMemoReference(uint8_t code) {
  return code == atMemo || code == atBinary || code == atImage || code == atVarChar || code == atNMemo;
}

inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t GetLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline uint32_t GetBE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline uint64_t GetLE64(const uint8_t* p) {
  return static_cast<uint64_t>(GetLE32(p)) | (static_cast<uint64_t>(GetLE32(p + 4)) << 32);
}
inline void PutLE16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v); p[1] = static_cast<uint8_t>(v >> 8); }
inline void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutBE16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v >> 8); p[1] = static_cast<uint8_t>(v); }
inline void PutBE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
inline void PutLE64(uint8_t* p, uint64_t v) {
  PutLE32(p, static_cast<uint32_t>(v));
  PutLE32(p + 4, static_cast<uint32_t>(v >> 32));
}

// One field as the record decoder needs it, taken from a descriptor image.
struct AdtField {
  uint8_t code = 0;
  uint32_t offset = 0;   // position of the field's first byte in the record
  uint16_t length = 0;   // bytes
  uint32_t decimals = 0;
};

}  // namespace qx::adt
