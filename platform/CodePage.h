#pragma once
// The system's ANSI code page and the conversions between it, UTF-16 and
// UTF-8. Only single-byte code pages are supported. Every byte of the code
// page maps to a character (bytes the code page leaves undefined map to the
// control character of the same number, U+0080..U+009F style, as Windows
// does), so no byte of a source text is lost on the way in; a character the
// code page lacks becomes "?" on the way to ANSI.
#include <string>
#include <string_view>

namespace qx {

// The current ANSI code page number (1252 unless changed).
int AnsiCodePage();
// Makes code page cp the ANSI code page. Returns false (and changes nothing)
// when cp is not a single-byte code page this platform can convert.
bool SetAnsiCodePage(int cp);
// True when cp could be set by SetAnsiCodePage.
bool IsSupportedCodePage(int cp);

std::u16string AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::u16string_view wide);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// UTF-8 <-> UTF-16 (invalid sequences become U+FFFD).
std::string WideToUtf8(std::u16string_view wide);
std::u16string Utf8ToWide(std::string_view utf8);

// The character of one ANSI byte, and the byte of one character ('?' when
// the code page lacks it).
char16_t AnsiCharToWide(unsigned char c);
char WideCharToAnsi(char16_t c);

}  // namespace qx
