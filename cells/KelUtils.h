#pragma once
// Text helpers shared by the whole system. Case folding touches only the
// ASCII letters, whatever the code page.
#include <string>
#include <string_view>

namespace qx {

// True when every character of s is a zero byte or a blank (and for "").
bool IsBlank(std::string_view s);
// n copies of ch; empty when n <= 0.
std::string FillString(char ch, int n);
// The first width characters of s, preceded (PadLeft) or followed
// (PadRight) by as many ch as bring it to width; empty when width <= 0.
std::string PadLeft(std::string_view s, int width, char ch);
std::string PadRight(std::string_view s, int width, char ch);

inline char UpCaseAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char LowCaseAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
std::string UpperCaseAscii(std::string_view s);
std::string LowerCaseAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
// Removes leading and trailing characters with codes 0..32.
std::string TrimControls(std::string_view s);
std::string TrimRightControls(std::string_view s);

}  // namespace qx
