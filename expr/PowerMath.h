#pragma once
// Powers and factorials of the expression language.
#include <cstdint>

#include "platform/Variant.h"

namespace qx {

// 1 for exponent 0; 0 for base 0 and a positive exponent; IntegerPower for
// an integral exponent within the 32-bit range; else exp(exponent * ln base)
// ("Invalid floating point operation" for a negative base, "Floating point
// division by zero" for base 0). Overflow raises "Floating point overflow".
double RaiseToPower(double base, double exponent);
// Repeated squaring in extended precision; a negative n takes the
// reciprocal ("Floating point division by zero" for base 0).
double IntegerPower(double base, int32_t n);
// n <= 1: the integer n itself. Otherwise 2 * 3 * ... * n by the multiply
// operation: an integer up to 12!, a real from 13!, "Floating point
// overflow" beyond the double range.
Variant Factorial(int32_t n);

}  // namespace qx
