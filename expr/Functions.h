#pragma once
// Helpers of the built-in function library that stand on their own: text
// replacement, date parts, the RANDOM generator and the text forms of the
// conversion functions. The functions themselves are rows of the tables in
// expr/FuncRows.h, reached through expr/Builtins.h.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Variant.h"

namespace qx {

// REPLACESTR: replaces the first (or, with replace_all, every) occurrence of
// old in s by rep; with ignore_case the search compares upper-cased texts
// (code page letters). An empty s or old gives s unchanged.
std::string ReplaceText(std::string_view s, std::string_view old, std::string_view rep, bool ignore_case,
                        bool replace_all);

// YEAR, MONTH, DAY, HOUR, MINUTE, SECOND: the part named by letter ('y',
// 'm', 'd', 'h', 'n', 's') of x. A text is read as a date alone (STRTODATE),
// so its time parts are 0; any other value is taken as a day number.
int32_t DatePartOf(char letter, const Variant& x);

// The RANDOM generator: one process-wide 32-bit seed, 0 at start, never
// reseeded. Each call first sets seed := seed * 134775813 + 1 (mod 2^32).
// NextRandom(n): the high 32 bits of seed * n (n taken as unsigned 32-bit),
// as a signed integer: 0..n-1 for n > 0. NextRandomReal: seed / 2^32.
int32_t NextRandom(int32_t n);
double NextRandomReal();
// For tests: sets the seed (0 is the state at start).
void SetRandomSeed(uint32_t seed);

// STRTOFLOAT: optional blanks, optional sign, digits with the locale
// decimal separator, optional exponent, optional blanks. Raises
// EConvertError "'%s' is not a valid floating point value".
double StrToFloatText(std::string_view s);
// STRTODATE: the whole text a date in the locale's order and separator.
// Raises EConvertError "'%s' is not a valid date".
double StrToDateText(std::string_view s);
// FLOATTOSTR: general format, at most 15 significant digits, the locale
// decimal separator; scientific ("1.5E-7", "1E20") below 0.00001 and from
// 10^15 on. NaN and infinities give "NAN", "INF", "-INF".
std::string FloatToStrText(double x);
// DATETOSTR: the date of x in the locale's short date format.
std::string DateToStrText(double x);

}  // namespace qx
