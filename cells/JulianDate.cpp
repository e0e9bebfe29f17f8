#include "cells/JulianDate.h"

#include "platform/DateUtils.h"

namespace qx {

double JulianToDate(int32_t J) {
  // The classic integer algorithm (Fliegel and Van Flandern), in 64 bits so
  // that damaged day numbers near the 32-bit limits cannot overflow; such
  // numbers give no valid year and fail in EncodeDate.
  int64_t a = static_cast<int64_t>(J) + 68569;
  int64_t b = (4 * a) / 146097;
  a = a - (146097 * b + 3) / 4;
  int64_t c = (4000 * (a + 1)) / 1461001;
  a = a - (1461 * c) / 4 + 31;
  int64_t d = (80 * a) / 2447;
  int64_t day = a - (2447 * d) / 80;
  int64_t e = d / 11;
  int64_t month = d + 2 - 12 * e;
  int64_t year = 100 * (b - 49) + c + e;
  auto narrow = [](int64_t v) { return v < -100000 || v > 100000 ? -1 : static_cast<int>(v); };
  return EncodeDate(narrow(year), narrow(month), narrow(day));
}

}  // namespace qx
