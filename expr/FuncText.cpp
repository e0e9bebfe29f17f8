// Text functions: SUBSTR, REPLACESTR, PADL, CHR, UPPER, TRIM, POS, ...
#include <string>

#include "cells/KelUtils.h"
#include "expr/FuncRows.h"
#include "expr/Functions.h"
#include "expr/TextConv.h"

namespace qx {

namespace {

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Position (from 1) of sub in s, case-sensitive; 0 when none or sub is empty.
int32_t PosOf(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const size_t p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<int32_t>(p + 1);
}

void Substr(const FuncArgs& a, Variant& r) {
  const std::string& s = a.Text(0);
  int64_t start = a.Int(1);
  const int64_t count = a.Int(2);
  if (start < 1) start = 1;
  if (count < 0 || start > static_cast<int64_t>(s.size())) {
    r = Variant(std::string());
    return;
  }
  r = Variant(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count)));
}

void ReplaceStr(const FuncArgs& a, Variant& r) {
  r = Variant(ReplaceText(a.Text(0), a.Text(1), a.Text(2), a.Bool(3), a.Bool(4)));
}

char FillChar(const FuncArgs& a) { return a.Has(2) && !a.Text(2).empty() ? a.Text(2)[0] : ' '; }
void PadL(const FuncArgs& a, Variant& r) { r = Variant(PadLeft(a.Text(0), a.Int(1), FillChar(a))); }
void PadR(const FuncArgs& a, Variant& r) { r = Variant(PadRight(a.Text(0), a.Int(1), FillChar(a))); }

void Chr(const FuncArgs& a, Variant& r) {
  r = Variant(std::string(1, static_cast<char>(static_cast<uint32_t>(a.Int(0)) & 0xFF)));
}
void Upper(const FuncArgs& a, Variant& r) { r = Variant(UpperCaseAscii(a.Text(0))); }
void Lower(const FuncArgs& a, Variant& r) { r = Variant(LowerCaseAscii(a.Text(0))); }

void Trim(const FuncArgs& a, Variant& r) { r = Variant(TrimControls(a.Text(0))); }
void TrimLeft(const FuncArgs& a, Variant& r) {
  const std::string& s = a.Text(0);
  size_t i = 0;
  while (i < s.size() && IsControlOrBlank(s[i])) ++i;
  r = Variant(s.substr(i));
}
void TrimRight(const FuncArgs& a, Variant& r) { r = Variant(TrimRightControls(a.Text(0))); }

void Pos(const FuncArgs& a, Variant& r) { r = Variant(PosOf(a.Text(0), a.Text(1))); }
void Length(const FuncArgs& a, Variant& r) { r = Variant(static_cast<int32_t>(a.Text(0).size())); }
// An empty text has no first character: 0.
void Ord(const FuncArgs& a, Variant& r) {
  const std::string& s = a.Text(0);
  r = Variant(static_cast<int32_t>(s.empty() ? 0 : static_cast<unsigned char>(s[0])));
}
void VarToStr(const FuncArgs& a, Variant& r) { r = a.Value(0); }

constexpr FuncRow kRows[] = {
    {"SUBSTR", "210", "tii", Substr},
    {"SUBSTRING", "210", "tii", Substr},
    {"COPY", "210", "tii", Substr},
    {"REPLACESTR", "34210", "tttbb", ReplaceStr},
    {"PADL", "210", "tit", PadL, 2},
    {"PADR", "210", "tit", PadR, 2},
    {"CHR", "0", "i", Chr},
    {"UPPER", "0", "t", Upper},
    {"LOWER", "0", "t", Lower},
    {"TRIM", "0", "t", Trim},
    {"TRIMLEFT", "0", "t", TrimLeft},
    {"TRIMRIGHT", "0", "t", TrimRight},
    {"POS", "10", "tt", Pos},
    {"LENGTH", "0", "t", Length},
    {"ORD", "0", "t", Ord},
    {"VARTOSTR", "0", "t", VarToStr},
};
constexpr auto kEntries = FuncEntries<kRows>();

}  // namespace

std::string ReplaceText(std::string_view s, std::string_view old, std::string_view rep, bool ignore_case,
                        bool replace_all) {
  // Upper-casing keeps the length, so positions found in the search text
  // are positions in s.
  std::string search = ignore_case ? AnsiUpperText(s) : std::string(s);
  const std::string pattern = ignore_case ? AnsiUpperText(old) : std::string(old);
  std::string_view rest = s;
  std::string_view searched = search;
  std::string result;
  while (!searched.empty()) {
    const int32_t p = PosOf(pattern, searched);
    if (p == 0) {
      result += rest;
      return result;
    }
    result += rest.substr(0, static_cast<size_t>(p - 1));
    result += rep;
    rest.remove_prefix(std::min(rest.size(), static_cast<size_t>(p - 1) + old.size()));
    if (!replace_all) {
      result += rest;
      return result;
    }
    searched.remove_prefix(std::min(searched.size(), static_cast<size_t>(p - 1) + pattern.size()));
  }
  return result;
}

std::span<const BuiltinEntry> TextFunctions() { return kEntries; }

}  // namespace qx
