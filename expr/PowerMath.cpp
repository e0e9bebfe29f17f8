#include "expr/PowerMath.h"

#include <cmath>
#include <cstdlib>

#include "expr/ValueRules.h"
#include "platform/Exceptions.h"

namespace qx {

double IntegerPower(double base, int32_t n) {
  long double b = base;
  long double r = 1;
  int64_t k = std::llabs(static_cast<int64_t>(n));
  while (k > 0) {
    while (k % 2 == 0) {
      k /= 2;
      b *= b;
    }
    --k;
    r *= b;
  }
  if (std::isinf(r)) throw EOverflow("Floating point overflow");
  if (n < 0) {
    if (r == 0) throw EZeroDivide("Floating point division by zero");
    r = 1 / r;
  }
  return CheckReal(static_cast<double>(r));
}

double RaiseToPower(double base, double exponent) {
  if (exponent == 0) return 1;
  if (base == 0 && exponent > 0) return 0;
  if (std::trunc(exponent) == exponent && std::fabs(exponent) <= 2147483647.0) {
    return IntegerPower(base, static_cast<int32_t>(exponent));
  }
  if (base < 0) throw EInvalidOp("Invalid floating point operation");
  if (base == 0) throw EZeroDivide("Floating point division by zero");  // ln 0
  return CheckReal(std::exp(exponent * std::log(base)));
}

Variant Factorial(int32_t n) {
  if (n <= 1) return Variant(n);
  Variant product(int32_t{1});
  for (int32_t i = 2; i <= n; ++i) product = MultiplyValues(product, Variant(i));
  return product;
}

}  // namespace qx
