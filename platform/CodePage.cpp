#include "platform/CodePage.h"

#include <iconv.h>

#include <array>
#include <string>
#include <unordered_map>

namespace qx {

namespace {

struct CodePageTable {
  int number = 0;
  std::array<char16_t, 256> to_wide{};
  std::unordered_map<char16_t, unsigned char> to_ansi;
  // to_ansi for the characters below 256 ('?' where it has none), looked up
  // without hashing: most text is made of them.
  std::array<char, 256> low_to_ansi{};
};

void FillLowToAnsi(CodePageTable& table) {
  for (size_t c = 0; c < 256; ++c) {
    auto it = table.to_ansi.find(static_cast<char16_t>(c));
    table.low_to_ansi[c] = it == table.to_ansi.end() ? '?' : static_cast<char>(it->second);
  }
}

// Builds the byte -> character table of code page cp with iconv, one byte at
// a time. Returns false when iconv does not know the code page.
bool BuildTable(int cp, CodePageTable& table) {
  std::string name = "CP" + std::to_string(cp);
  iconv_t cd = iconv_open("UTF-16LE", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  table.number = cp;
  table.to_ansi.clear();
  int mapped = 0;
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    char out[8];
    char* inp = &in;
    char* outp = out;
    size_t inleft = 1, outleft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
    char16_t ch;
    if (r != static_cast<size_t>(-1) && sizeof out - outleft == 2) {
      ch = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 (static_cast<unsigned char>(out[1]) << 8));
      ++mapped;
    } else {
      // Undefined byte (or the lead byte of a multi-byte page): keep it as
      // the character of the same number so that it survives a round trip.
      ch = static_cast<char16_t>(b);
    }
    table.to_wide[static_cast<size_t>(b)] = ch;
  }
  iconv_close(cd);
  if (mapped < 200) return false;  // not a single-byte code page
  for (int b = 255; b >= 0; --b) table.to_ansi[table.to_wide[static_cast<size_t>(b)]] = static_cast<unsigned char>(b);
  FillLowToAnsi(table);
  return true;
}

CodePageTable& Current() {
  static CodePageTable table = [] {
    CodePageTable t;
    if (!BuildTable(1252, t)) {
      // iconv without code page data: Latin-1 is the best stand-in.
      t.number = 1252;
      for (int b = 0; b < 256; ++b) t.to_wide[static_cast<size_t>(b)] = static_cast<char16_t>(b);
      for (int b = 0; b < 256; ++b) t.to_ansi[static_cast<char16_t>(b)] = static_cast<unsigned char>(b);
      FillLowToAnsi(t);
    }
    return t;
  }();
  return table;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

int AnsiCodePage() { return Current().number; }

bool IsSupportedCodePage(int cp) {
  if (cp <= 0 || cp > 65535) return false;
  CodePageTable t;
  return BuildTable(cp, t);
}

bool SetAnsiCodePage(int cp) {
  if (cp <= 0 || cp > 65535) return false;
  CodePageTable t;
  if (!BuildTable(cp, t)) return false;
  Current() = std::move(t);
  return true;
}

char16_t AnsiCharToWide(unsigned char c) { return Current().to_wide[c]; }

char WideCharToAnsi(char16_t c) {
  if (c < 256) return Current().low_to_ansi[c];
  const auto& m = Current().to_ansi;
  auto it = m.find(c);
  return it == m.end() ? '?' : static_cast<char>(it->second);
}

std::u16string AnsiToWide(std::string_view ansi) {
  const auto& t = Current().to_wide;
  std::u16string out;
  out.resize(ansi.size());
  for (size_t i = 0; i < ansi.size(); ++i) out[i] = t[static_cast<unsigned char>(ansi[i])];
  return out;
}

std::string WideToAnsi(std::u16string_view wide) {
  const std::array<char, 256>& low = Current().low_to_ansi;
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char16_t c = wide[i];
    if (c < 256) {
      out.push_back(low[c]);
      continue;
    }
    // A surrogate pair is one character, which no single-byte page holds.
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) ++i;
    out.push_back((c >= 0xD800 && c < 0xE000) ? '?' : WideCharToAnsi(c));
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  const auto& t = Current().to_wide;
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (char c : ansi) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) out.push_back(c);
    else AppendUtf8(out, t[b]);
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) { return WideToAnsi(Utf8ToWide(utf8)); }

std::string WideToUtf8(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string Utf8ToWide(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    char32_t c;
    size_t len;
    if (b < 0x80) { c = b; len = 1; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; len = 2; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; len = 3; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; len = 4; }
    else { out.push_back(0xFFFD); ++i; continue; }
    if (i + len > s.size()) { out.push_back(0xFFFD); break; }
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      unsigned char cb = static_cast<unsigned char>(s[i + k]);
      if ((cb & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (cb & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

}  // namespace qx
