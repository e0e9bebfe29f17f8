#include "dbengine/mdb/MdbHeader.h"

#include <cmath>
#include <cstring>

namespace qx::mdb {

namespace {

// The 128-byte RC4 keystream (key C7 DA 39 6B) XOR-ed over bytes 0x18..0x97.
// Generated here rather than stored, from the standard RC4 algorithm.
std::array<uint8_t, 128> HeaderMask() {
  const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = uint8_t(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % 4]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  std::array<uint8_t, 128> out{};
  for (int n = 0, i = 0, j = 0; n < 128; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    out[n] = s[(s[i] + s[j]) & 0xFF];
  }
  return out;
}

constexpr size_t kMaskStart = 0x18;

}  // namespace

Page BuildHeaderPage(const HeaderInfo& info) {
  Page p{};
  p[1] = 0x01;
  std::memcpy(&p[4], "Standard Jet DB", 16);
  p[0x14] = 1;  // Jet 4
  // Constant prefix of the masked region, the same in every Jet 4 file seen.
  const uint8_t prefix[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                              0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
  std::memcpy(&p[0x18], prefix, sizeof prefix);
  PutU16(&p[0x3C], info.codePage);
  PutU32(&p[0x3E], 0);  // no page encryption
  // No password: the area holds the date mask itself (the password XOR-ed
  // with the integer part of the creation date, repeated).
  uint32_t dateMask = uint32_t(int32_t(std::floor(info.created)));
  for (int i = 0; i < 10; ++i) PutU32(&p[0x42 + 4 * i], dateMask);
  // Engine build number of the creator; readers ignore it. The value of a
  // Jet 4.0 SP8 engine, as in the ADOX-made reference file.
  PutU32(&p[0x6A], 0x21AA);
  PutU16(&p[0x6E], info.sortLcid);
  p[0x70] = 0;
  p[0x71] = 0;  // sort version 0 = "General Legacy"
  PutF64(&p[0x72], info.created);
  // Outside the mask: 1620 and "4.0", identical in every file seen.
  const uint8_t tail[8] = {0x54, 0x06, 0x00, 0x00, 0x34, 0x2E, 0x30, 0x00};
  std::memcpy(&p[0x98], tail, 8);
  // 0xE00..0xFFF: meaning unknown; the pattern of the ADOX-made file.
  p[0xE00] = 0x01;
  for (size_t i = 0xE01; i < kPageSize; i += 2) p[i] = 0x01;
  auto mask = HeaderMask();
  for (size_t i = 0; i < mask.size(); ++i) p[kMaskStart + i] ^= mask[i];
  return p;
}

bool ParseHeaderPage(const uint8_t* page, HeaderInfo& out, uint8_t& version) {
  if (page[0] != 0 || std::memcmp(&page[4], "Standard Jet DB", 16) != 0) return false;
  version = page[0x14];
  uint8_t region[128];
  auto mask = HeaderMask();
  for (size_t i = 0; i < 128; ++i) region[i] = page[kMaskStart + i] ^ mask[i];
  out.codePage = GetU16(&region[0x3C - kMaskStart]);
  out.sortLcid = GetU16(&region[0x6E - kMaskStart]);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | region[0x72 - kMaskStart + i];
  std::memcpy(&out.created, &bits, 8);
  return true;
}

}  // namespace qx::mdb
