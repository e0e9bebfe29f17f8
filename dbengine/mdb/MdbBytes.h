#pragma once
// Byte order of the Jet 4 file: every integer is little-endian, except the
// key bytes and the page/row pointers inside index entries, which are
// big-endian. Pages are 4096 bytes; page n starts at n * 4096.
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qx::mdb {

inline constexpr size_t kPageSize = 4096;
using Page = std::array<uint8_t, kPageSize>;
using Bytes = std::vector<uint8_t>;

inline void PutU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void PutF64(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(bits >> (8 * i));
}
inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Appending writers for byte streams (table definitions, rows).
inline void AddU8(Bytes& b, uint8_t v) { b.push_back(v); }
inline void AddU16(Bytes& b, uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
inline void AddU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void AddF64(Bytes& b, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) b.push_back(uint8_t(bits >> (8 * i)));
}
inline void AddBE32(Bytes& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(uint8_t(v >> (8 * i)));
}

// A page/row pointer: row number in the low byte, page number above it.
inline uint32_t PgRow(uint32_t page, uint8_t row) { return (page << 8) | row; }

}  // namespace qx::mdb
