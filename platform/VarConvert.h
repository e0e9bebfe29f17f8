#pragma once
// Locale-aware conversions between value kinds: the stand-in for the
// platform's variant conversion. Every text form that VarToText produces is
// read back by the Try*/VarTo* readers to the same value (doubles bit for
// bit, date-times to the millisecond, integers and currency exactly).
//
// Two families: VarTo* raise EVariantTypeCastError "Invalid variant type
// conversion" (or the error named below); TryTextTo* report failure by their
// result and never raise. Tests check that both agree.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Variant.h"

namespace qx {

// ---- value to text -------------------------------------------------------
// Null and Empty give ""; a text is itself; a wide text is converted to the
// ANSI code page; Boolean gives "True"/"False"; an integer its decimal
// digits; a real the shortest text that reads back to the same double, with
// the locale decimal separator; currency its exact value (up to 4
// decimals); a date-time FormatDateTime. Bytes raise EVariantTypeCastError.
std::string VarToText(const Variant& v);
// The same, appended to out (no allocation when out has room).
void AppendVarText(const Variant& v, std::string& out);

std::string FormatInteger(int32_t v);
std::string FormatReal(double v);
std::string FormatCurrency(Currency v);
// Short date (locale ShortDateFormat and DateSeparator) when the date part
// is not 0; then the time of day "h:nn:ss" (24-hour, TimeSeparator) when it
// is not midnight, with ".zzz" when the milliseconds are not 0. Day 0 at
// midnight gives the short date of 1899-12-30.
std::string FormatDateTime(double dt);
// The short date alone (the time of day is not shown).
std::string FormatDate(double dt);

// ---- text to value (never raise) ------------------------------------------
// Leading and trailing blanks are allowed everywhere.
// Integer: optional sign, digits, optional thousands separators; a decimal
// text is rounded half to even; must lie in the signed 32-bit range.
bool TryTextToInteger(std::string_view s, int32_t& out);
// Real: optional sign, digits with optional thousands separators, optional
// locale decimal separator and fraction, optional exponent; "." is accepted
// as decimal point too when the locale's separator is another character and
// the text holds no ambiguity. Infinity and NaN are refused.
bool TryTextToReal(std::string_view s, double& out);
// Currency: like a real, exact to 4 decimals (more decimals round half to
// even), within the 64-bit range.
bool TryTextToCurrency(std::string_view s, Currency& out);
// Boolean: "True"/"False", "Yes"/"No", "On"/"Off" (any ASCII case), or a
// number (true when not 0).
bool TryTextToBoolean(std::string_view s, bool& out);
// Date-time: the locale short date with an optional time of day (AM/PM
// designators, fractional seconds), a bare time of day, or ISO 8601
// "yyyy-mm-dd[( |T)hh:nn[:ss[.fff]]]". Years 1..9999.
bool TryTextToDateTime(std::string_view s, double& out);
// A date alone, without a time of day: the locale short date or ISO 8601
// "yyyy-mm-dd".
bool TryTextToDate(std::string_view s, double& out);

// ---- kind conversions (raise) --------------------------------------------
// Empty converts to 0, false or ""; Null raises EVariantTypeCastError.
// A real converted to an integer is rounded half to even; outside the 32-bit
// range it raises EInvalidOp "Invalid floating point operation".
// Boolean True is -1 as a number. A text is read by the TryTextTo* readers.
int32_t VarToInteger(const Variant& v);
double VarToReal(const Variant& v);
Currency VarToCurrency(const Variant& v);
double VarToDateTime(const Variant& v);
bool VarToBoolean(const Variant& v);
// Converts to the given kind (Empty, Null, Integer, Real, Currency, Date,
// Text, WideText, Boolean), raising like the VarTo* above. Null converts
// only to Null; Empty to the kind's zero value or empty text.
Variant VarChangeType(const Variant& v, VarKind kind);

// Rounds half to even; the result as a double (callers range-check).
double RoundHalfEven(double v);

}  // namespace qx
