#include "expr/CurrencyMath.h"

#include <cmath>

#include "platform/Exceptions.h"

namespace qx {

namespace {

using int128 = __int128;

[[noreturn]] void Overflow() { throw EOverflow("Floating point overflow"); }

Currency Checked(int128 raw) {
  if (raw > INT64_MAX || raw < INT64_MIN) Overflow();
  return Currency{static_cast<int64_t>(raw)};
}

// n / d rounded to the nearest integer, halves to even. d != 0.
int128 DivRoundHalfEven(int128 n, int128 d) {
  int128 q = n / d;
  int128 r = n % d;
  if (r == 0) return q;
  const int128 absR2 = (r < 0 ? -r : r) * 2;
  const int128 absD = d < 0 ? -d : d;
  const int sign = ((n < 0) != (d < 0)) ? -1 : 1;
  if (absR2 > absD || (absR2 == absD && (q % 2 != 0))) q += sign;
  return q;
}

}  // namespace

Currency CurrencyFromInteger(int64_t v) { return Checked(static_cast<int128>(v) * Currency::kScale); }

Currency CurrencyFromReal(double v) {
  if (std::isnan(v)) throw EInvalidOp("Invalid floating point operation");
  const long double scaled = std::nearbyint(static_cast<long double>(v) * Currency::kScale);
  if (!(scaled >= -9223372036854775808.0L && scaled < 9223372036854775808.0L)) Overflow();
  return Currency{static_cast<int64_t>(scaled)};
}

double CurrencyToReal(Currency c) {
  return static_cast<double>(static_cast<long double>(c.raw) / Currency::kScale);
}

Currency CurrencyAdd(Currency a, Currency b) { return Checked(static_cast<int128>(a.raw) + b.raw); }
Currency CurrencySubtract(Currency a, Currency b) { return Checked(static_cast<int128>(a.raw) - b.raw); }

Currency CurrencyMultiply(Currency a, Currency b) {
  return Checked(DivRoundHalfEven(static_cast<int128>(a.raw) * b.raw, Currency::kScale));
}

double CurrencyDivideToReal(Currency a, Currency b) {
  if (b.raw == 0) {
    if (a.raw == 0) throw EInvalidOp("Invalid floating point operation");
    throw EZeroDivide("Floating point division by zero");
  }
  return static_cast<double>(static_cast<long double>(a.raw) / static_cast<long double>(b.raw));
}

Currency CurrencyDivide(Currency a, Currency b) {
  if (b.raw == 0) {
    if (a.raw == 0) throw EInvalidOp("Invalid floating point operation");
    throw EZeroDivide("Floating point division by zero");
  }
  return Checked(DivRoundHalfEven(static_cast<int128>(a.raw) * Currency::kScale, b.raw));
}

int CurrencyCompare(Currency a, Currency b) { return a.raw < b.raw ? -1 : (a.raw > b.raw ? 1 : 0); }

}  // namespace qx
