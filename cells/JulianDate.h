#pragma once
#include <cstdint>

namespace qx {

// The date-time (whole days since 1899-12-30) of Julian day number J, e.g.
// 2451545 -> 36526 (1 January 2000). Raises EConvertError
// "Invalid argument to date encode" when J gives no date of the years 1..9999.
double JulianToDate(int32_t J);

}  // namespace qx
