#pragma once
// Arithmetic of Currency values: 64-bit fixed point with four decimals,
// computed exactly in integers (128-bit intermediates), rounding halves to
// even where a result has more than four decimals. A result outside the
// 64-bit range raises EOverflow "Floating point overflow"; a division by
// zero EZeroDivide "Floating point division by zero" (0/0: EInvalidOp).
#include <cstdint>

#include "platform/Variant.h"

namespace qx {

Currency CurrencyFromInteger(int64_t v);
// Rounds to four decimals, halves to even; out of range raises EOverflow.
Currency CurrencyFromReal(double v);
double CurrencyToReal(Currency c);

Currency CurrencyAdd(Currency a, Currency b);
Currency CurrencySubtract(Currency a, Currency b);
Currency CurrencyMultiply(Currency a, Currency b);
// Currency divided by currency gives a real.
double CurrencyDivideToReal(Currency a, Currency b);
// Currency divided by a currency-valued divisor, the result kept as currency.
Currency CurrencyDivide(Currency a, Currency b);
int CurrencyCompare(Currency a, Currency b);

}  // namespace qx
