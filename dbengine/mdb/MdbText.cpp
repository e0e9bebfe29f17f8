#include "dbengine/mdb/MdbText.h"

namespace qx::mdb {

Bytes EncodeText(std::u16string_view text, bool compressible) {
  Bytes out;
  bool compress = compressible && text.size() > 2 && text.size() <= kMaxCompressedChars;
  if (compress)
    for (char16_t c : text)
      if (c == 0 || c > 0xFF) {
        compress = false;
        break;
      }
  if (compress) {
    out.reserve(2 + text.size());
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t c : text) out.push_back(uint8_t(c));
  } else {
    out.reserve(2 * text.size());
    for (char16_t c : text) AddU16(out, uint16_t(c));
  }
  return out;
}

bool GeneralLegacyKey(std::u16string_view text, Bytes& out) {
  // Codes of the letters a..z (either case); digits 0..9 count up by 2
  // from 0x36.
  static constexpr uint8_t kLetters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                           0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                           0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
  Bytes key;
  key.push_back(0x7F);
  for (char16_t c : text) {
    if (c >= u'a' && c <= u'z')
      key.push_back(kLetters[c - u'a']);
    else if (c >= u'A' && c <= u'Z')
      key.push_back(kLetters[c - u'A']);
    else if (c >= u'0' && c <= u'9')
      key.push_back(uint8_t(0x36 + 2 * (c - u'0')));
    else if (c == u' ')
      key.push_back(0x07);
    else if (c == u'_') {
      // Seen in a catalog index written by Access ("f_..._Data").
      key.push_back(0x2B);
      key.push_back(0x03);
    } else {
      return false;
    }
  }
  key.push_back(0x01);
  key.push_back(0x00);
  out = std::move(key);
  return true;
}

}  // namespace qx::mdb
