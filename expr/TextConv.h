#pragma once
// Text conversions of the expression engine that are not simply the
// platform's: the number-text steps of arithmetic operands and the date-time
// plausibility test.
#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// Removes every "," and every locale thousands separator, then the first
// occurrence of the locale currency symbol (or, without one in the text, the
// first "$"). Blanks stay.
std::string CleanNumberText(std::string_view t);
// Optional blanks, optional sign, digits with at most one point (the locale
// decimal separator counts as the point), optional exponent, then the end.
bool IsNumberText(std::string_view t);
// True when t holds the locale date or time separator and converts to a
// date-time; never raises.
bool LooksLikeDateTime(std::string_view t);

// ---- positional date-time reading, character tests -------------------------

// Reads a date and a time of day out of s by the positional format (letters
// D, M, Y, H, N, S, Z, either case), with ds and ts the date and time
// separator characters. Two-digit years fall into the hundred years starting
// 50 years before current_year (0: the current local year). Raises
// EConvertError "'%s' is not a valid integer value" for a field that is no
// integer, "Invalid argument to date encode" for a date that does not exist,
// "Invalid argument to time encode" for the hour 24; a text it cannot read
// otherwise gives 0 or a date without its time.
double DateTimeFromText(std::string_view s, std::string_view format, char ds, char ts, int current_year = 0);

// Digits with an optional leading sign and one locale decimal separator,
// after trimming characters 0..32 at both ends ("" counts as digits).
bool IsDigitText(std::string_view t);
// Not empty and every character a letter of the ANSI code page.
bool IsLetterText(std::string_view t);
// Whether one ANSI character is a letter (accented letters included).
bool IsAnsiLetter(unsigned char c);
// s upper-cased by the code page's letters (accented letters included); a
// letter whose capital the code page lacks stays as it is, so the length
// never changes.
std::string AnsiUpperText(std::string_view s);

// A 32-bit integer: optional leading blanks, then an optional sign and
// decimal digits, or "$" and hexadecimal digits; nothing may follow.
// StrToIntText raises EConvertError "'%s' is not a valid integer value"
// with s; TryStrToIntText reports failure by its result.
int32_t StrToIntText(std::string_view s);
bool TryStrToIntText(std::string_view s, int32_t& out);

}  // namespace qx
