#pragma once
// How two values of the expression language compare and combine. The rule
// for a pair of values is chosen by their classes (OperationRule); the
// operators and the built-in functions share these operations.
//
// Errors: "Invalid variant operation" (EVariantInvalidOpError) for Empty and
// other kinds without a class, "Invalid variant type conversion"
// (EVariantTypeCastError) for a conversion that fails, "Division by zero"
// (EDivByZero) for integer divide and modulo by 0, and for reals
// "Floating point division by zero" (EZeroDivide), "Invalid floating point
// operation" (EInvalidOp), "Floating point overflow" (EOverflow) instead of
// infinities and NaNs.
#include <string>

#include "platform/Variant.h"

namespace qx {

class TExpNode;

enum class TValueClass : unsigned char { vcInvalid, vcNull, vcInteger, vcReal, vcCurrency, vcText, vcBoolean, vcDate };

// Null, integer, real, currency, text (8-bit or wide), Boolean, date-time;
// Empty and byte arrays are invalid.
TValueClass ValueClass(const Variant& v);

// The rule for an operation on a and b (first matching line wins): invalid,
// null, date, currency, text (both texts), boolean (Boolean with Boolean or
// text), real (a real, or a text with an integer), integer.
TValueClass OperationRule(const Variant& a, const Variant& b);

enum TCompareResult : int { crLess = -1, crEqual = 0, crGreater = 1 };

// Compares by rule: Null equals Null and is less than anything else; texts
// byte by byte (the shorter prefix is less); False < True.
TCompareResult CompareValues(const Variant& a, const Variant& b);

// The arithmetic operations by rule. Null under any of them gives Null.
Variant AddValues(const Variant& a, const Variant& b);
Variant SubtractValues(const Variant& a, const Variant& b);
Variant MultiplyValues(const Variant& a, const Variant& b);
Variant DivideValues(const Variant& a, const Variant& b);
Variant IntDivideValues(const Variant& a, const Variant& b);  // DIV
Variant ModuloValues(const Variant& a, const Variant& b);     // MOD
Variant AndValues(const Variant& a, const Variant& b);
Variant OrValues(const Variant& a, const Variant& b);
// Boolean: negation; Null: Null; a number, text or date-time: the bitwise
// complement of its 32-bit integer; Empty: "Invalid variant operation".
Variant NotValue(const Variant& v);

// The text of a value: "" for Null and Empty, a text itself, anything else
// by the locale-aware conversion ("Invalid variant type conversion" when the
// value has no text form).
std::string ValueToText(const Variant& v);

// The operand of "-", "*", "/", "^" and "!": the node's value passed through
// its text form. Null and Empty give the integer 0; a date-time whose text
// looks like one stays a date-time; a text that reads as a number (after
// CleanNumberText) is the number (its text, or the equal real); anything
// else is the integer 0.
Variant NumericOperand(TExpNode& node);
// The same for a value already evaluated, always through the text form.
Variant NumericOperandOfValue(const Variant& v);

// A real result checked: NaN raises "Invalid floating point operation", an
// infinity "Floating point overflow".
double CheckReal(double r);
// Real division with the floating-point errors.
double DivideReals(double a, double b);

}  // namespace qx
