#pragma once
// Text conversions of the expression engine that are not simply the
// platform's: the number-text steps of arithmetic operands and the date-time
// plausibility test.
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

}  // namespace qx
