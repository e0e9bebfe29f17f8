#include "cells/KelUtils.h"

namespace qx {

bool IsBlank(std::string_view s) {
  for (char c : s)
    if (c != '\0' && c != ' ') return false;
  return true;
}

std::string FillString(char ch, int n) { return n <= 0 ? std::string() : std::string(static_cast<size_t>(n), ch); }

std::string PadLeft(std::string_view s, int width, char ch) {
  if (width <= 0) return std::string();
  std::string_view head = s.substr(0, static_cast<size_t>(width));
  return FillString(ch, width - static_cast<int>(head.size())) + std::string(head);
}

std::string PadRight(std::string_view s, int width, char ch) {
  if (width <= 0) return std::string();
  std::string_view head = s.substr(0, static_cast<size_t>(width));
  return std::string(head) + FillString(ch, width - static_cast<int>(head.size()));
}

std::string UpperCaseAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpCaseAscii(c);
  return r;
}

std::string LowerCaseAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowCaseAscii(c);
  return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpCaseAscii(a[i]) != UpCaseAscii(b[i])) return false;
  return true;
}

namespace {
bool IsCtl(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string TrimControls(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsCtl(s[b])) ++b;
  while (e > b && IsCtl(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string TrimRightControls(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsCtl(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

}  // namespace qx
