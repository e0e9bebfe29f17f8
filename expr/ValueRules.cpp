#include "expr/ValueRules.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "expr/CurrencyMath.h"
#include "expr/ExpNode.h"
#include "expr/TextConv.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

[[noreturn]] void InvalidOperation() { throw EVariantInvalidOpError(kInvalidVariantOperation); }

// A real rounded half to even to a 32-bit integer; outside the range
// "Invalid floating point operation".
int32_t RealToInt32(double d) {
  const double r = std::nearbyint(d);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw EInvalidOp("Invalid floating point operation");
  return static_cast<int32_t>(r);
}

int32_t AsInt(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Integer: return v.AsInteger();
    case VarKind::Boolean: return v.AsBoolean() ? -1 : 0;
    case VarKind::Real: return RealToInt32(v.AsReal());
    case VarKind::Date: return RealToInt32(v.AsDate());
    default: return VarToInteger(v);
  }
}

double AsReal(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Integer: return v.AsInteger();
    case VarKind::Real: return v.AsReal();
    case VarKind::Currency: return CurrencyToReal(v.AsCurrency());
    case VarKind::Date: return v.AsDate();
    case VarKind::Boolean: return v.AsBoolean() ? -1.0 : 0.0;
    default: return VarToReal(v);
  }
}

Currency AsCurrency(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Currency: return v.AsCurrency();
    case VarKind::Integer: return CurrencyFromInteger(v.AsInteger());
    case VarKind::Boolean: return CurrencyFromInteger(v.AsBoolean() ? -1 : 0);
    case VarKind::Real: return CurrencyFromReal(v.AsReal());
    default: return VarToCurrency(v);
  }
}

bool AsBool(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Boolean: return v.AsBoolean();
    case VarKind::Integer: return v.AsInteger() != 0;
    case VarKind::Real: return v.AsReal() != 0;
    default: return VarToBoolean(v);
  }
}

// An operand of the date rule as a day number: a text reads as a number,
// else as a date-time.
double AsDayNumber(const Variant& v) {
  if (v.IsAnyText()) {
    double d = 0;
    const std::string text = ValueToText(v);
    if (TryTextToReal(text, d)) return d;
    return VarToDateTime(v);
  }
  return AsReal(v);
}

// The text of a text operand, without copying an 8-bit text.
class TextOf {
 public:
  explicit TextOf(const Variant& v) {
    if (v.IsText()) {
      view_ = v.AsText();
    } else {
      own_ = ValueToText(v);
      view_ = own_;
    }
  }
  std::string_view view() const { return view_; }

 private:
  std::string own_;
  std::string_view view_;
};

TCompareResult CompareTexts(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return c < 0 ? crLess : crGreater;
  if (a.size() == b.size()) return crEqual;
  return a.size() < b.size() ? crLess : crGreater;
}

template <typename T>
TCompareResult Order(T a, T b) {
  return a < b ? crLess : (b < a ? crGreater : crEqual);
}

enum class Arith { Add, Subtract, Multiply };

Variant RealArith(Arith op, double a, double b) {
  switch (op) {
    case Arith::Add: return Variant(CheckReal(a + b));
    case Arith::Subtract: return Variant(CheckReal(a - b));
    default: return Variant(CheckReal(a * b));
  }
}

Variant Arithmetic(Arith op, const Variant& a, const Variant& b) {
  switch (OperationRule(a, b)) {
    case TValueClass::vcInvalid: InvalidOperation();
    case TValueClass::vcNull: return Variant::Null();
    case TValueClass::vcInteger: {
      const int64_t x = AsInt(a), y = AsInt(b);
      const int64_t r = op == Arith::Add ? x + y : op == Arith::Subtract ? x - y : x * y;
      if (r >= INT32_MIN && r <= INT32_MAX) return Variant(static_cast<int32_t>(r));
      return RealArith(op, static_cast<double>(x), static_cast<double>(y));
    }
    case TValueClass::vcCurrency: {
      const Currency x = AsCurrency(a), y = AsCurrency(b);
      switch (op) {
        case Arith::Add: return Variant(CurrencyAdd(x, y));
        case Arith::Subtract: return Variant(CurrencySubtract(x, y));
        default: return Variant(CurrencyMultiply(x, y));
      }
    }
    case TValueClass::vcText:
      if (op == Arith::Add) {
        std::string s(TextOf(a).view());
        s += TextOf(b).view();
        return Variant(std::move(s));
      }
      return RealArith(op, AsReal(a), AsReal(b));
    case TValueClass::vcDate: {
      const double x = AsDayNumber(a), y = AsDayNumber(b);
      switch (op) {
        case Arith::Add: return Variant::FromDate(CheckReal(x + y));
        case Arith::Subtract: {
          const double d = CheckReal(x - y);
          if (a.Kind() == VarKind::Date && b.Kind() == VarKind::Date) return Variant(d);
          return Variant::FromDate(d);
        }
        default: return Variant(CheckReal(x * y));
      }
    }
    default:  // real, boolean
      return RealArith(op, AsReal(a), AsReal(b));
  }
}

// Both operands as 32-bit integers, for integer divide, modulo, and, or.
bool IntegerOperands(const Variant& a, const Variant& b, int32_t& x, int32_t& y) {
  switch (OperationRule(a, b)) {
    case TValueClass::vcInvalid: InvalidOperation();
    case TValueClass::vcNull: return false;
    default:
      x = AsInt(a);
      y = AsInt(b);
      return true;
  }
}

Variant LogicOp(bool isAnd, const Variant& a, const Variant& b) {
  const TValueClass rule = OperationRule(a, b);
  if (rule == TValueClass::vcBoolean) {
    const bool x = AsBool(a), y = AsBool(b);
    return Variant(isAnd ? (x && y) : (x || y));
  }
  int32_t x = 0, y = 0;
  if (!IntegerOperands(a, b, x, y)) return Variant::Null();
  return Variant(static_cast<int32_t>(isAnd ? (x & y) : (x | y)));
}

// Whether a number's text form, cleaned and read back, is the number itself
// (so NumericOperand may skip the text round trip): the decimal separator
// is the point and neither the thousands separator nor the currency symbol
// can touch the characters of a number text.
bool NumbersKeepTheirText() {
  const LocaleSettings& loc = Locale();
  if (loc.DecimalSeparator != '.') return false;
  auto touches = [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E' || c == ' ';
  };
  if (touches(loc.ThousandSeparator)) return false;
  for (char c : loc.CurrencyString)
    if (touches(c)) return false;
  return true;
}

}  // namespace

double CheckReal(double r) {
  if (std::isnan(r)) throw EInvalidOp("Invalid floating point operation");
  if (std::isinf(r)) throw EOverflow("Floating point overflow");
  return r;
}

double DivideReals(double a, double b) {
  if (b == 0) {
    if (a == 0 || std::isnan(a)) throw EInvalidOp("Invalid floating point operation");
    throw EZeroDivide("Floating point division by zero");
  }
  return CheckReal(a / b);
}

TValueClass ValueClass(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Null: return TValueClass::vcNull;
    case VarKind::Integer: return TValueClass::vcInteger;
    case VarKind::Real: return TValueClass::vcReal;
    case VarKind::Currency: return TValueClass::vcCurrency;
    case VarKind::Text:
    case VarKind::WideText: return TValueClass::vcText;
    case VarKind::Boolean: return TValueClass::vcBoolean;
    case VarKind::Date: return TValueClass::vcDate;
    default: return TValueClass::vcInvalid;
  }
}

TValueClass OperationRule(const Variant& a, const Variant& b) {
  const TValueClass x = ValueClass(a), y = ValueClass(b);
  using C = TValueClass;
  if (x == C::vcInvalid || y == C::vcInvalid) return C::vcInvalid;
  if (x == C::vcNull || y == C::vcNull) return C::vcNull;
  if (x == C::vcDate || y == C::vcDate) return C::vcDate;
  if (x == C::vcCurrency || y == C::vcCurrency) return C::vcCurrency;
  if (x == C::vcText && y == C::vcText) return C::vcText;
  if ((x == C::vcBoolean && (y == C::vcBoolean || y == C::vcText)) || (y == C::vcBoolean && x == C::vcText))
    return C::vcBoolean;
  if (x == C::vcReal || y == C::vcReal || x == C::vcText || y == C::vcText) return C::vcReal;
  return C::vcInteger;
}

TCompareResult CompareValues(const Variant& a, const Variant& b) {
  switch (OperationRule(a, b)) {
    case TValueClass::vcInvalid: InvalidOperation();
    case TValueClass::vcNull:
      if (a.IsNull() && b.IsNull()) return crEqual;
      return a.IsNull() ? crLess : crGreater;
    case TValueClass::vcInteger: return Order(AsInt(a), AsInt(b));
    case TValueClass::vcReal: return Order(AsReal(a), AsReal(b));
    case TValueClass::vcCurrency: {
      const Currency x = AsCurrency(a), y = AsCurrency(b);
      return Order(x.raw, y.raw);
    }
    case TValueClass::vcText: return CompareTexts(TextOf(a).view(), TextOf(b).view());
    case TValueClass::vcBoolean: return Order(AsBool(a) ? 1 : 0, AsBool(b) ? 1 : 0);
    case TValueClass::vcDate: {
      const double x = AsDayNumber(a), y = AsDayNumber(b);
      return Order(x, y);
    }
  }
  InvalidOperation();
}

Variant AddValues(const Variant& a, const Variant& b) { return Arithmetic(Arith::Add, a, b); }
Variant SubtractValues(const Variant& a, const Variant& b) { return Arithmetic(Arith::Subtract, a, b); }
Variant MultiplyValues(const Variant& a, const Variant& b) { return Arithmetic(Arith::Multiply, a, b); }

Variant DivideValues(const Variant& a, const Variant& b) {
  switch (OperationRule(a, b)) {
    case TValueClass::vcInvalid: InvalidOperation();
    case TValueClass::vcNull: return Variant::Null();
    case TValueClass::vcCurrency:
      if (b.Kind() == VarKind::Currency) {
        if (a.Kind() == VarKind::Currency) return Variant(CurrencyDivideToReal(a.AsCurrency(), b.AsCurrency()));
        return Variant(DivideReals(AsReal(a), CurrencyToReal(b.AsCurrency())));
      }
      if (b.Kind() == VarKind::Real) {
        return Variant(CurrencyFromReal(DivideReals(CurrencyToReal(a.AsCurrency()), b.AsReal())));
      }
      return Variant(CurrencyDivide(a.AsCurrency(), AsCurrency(b)));
    default:
      return Variant(DivideReals(AsReal(a), AsReal(b)));
  }
}

Variant IntDivideValues(const Variant& a, const Variant& b) {
  int32_t x = 0, y = 0;
  if (!IntegerOperands(a, b, x, y)) return Variant::Null();
  if (y == 0) throw EDivByZero("Division by zero");
  if (x == INT32_MIN && y == -1) throw EIntError("Integer overflow");
  return Variant(static_cast<int32_t>(x / y));
}

Variant ModuloValues(const Variant& a, const Variant& b) {
  int32_t x = 0, y = 0;
  if (!IntegerOperands(a, b, x, y)) return Variant::Null();
  if (y == 0) throw EDivByZero("Division by zero");
  if (y == -1) return Variant(int32_t{0});
  return Variant(static_cast<int32_t>(x % y));
}

Variant AndValues(const Variant& a, const Variant& b) { return LogicOp(true, a, b); }
Variant OrValues(const Variant& a, const Variant& b) { return LogicOp(false, a, b); }

Variant NotValue(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Boolean: return Variant(!v.AsBoolean());
    case VarKind::Null: return Variant::Null();
    case VarKind::Empty: InvalidOperation();
    case VarKind::Integer:
    case VarKind::Real:
    case VarKind::Currency:
    case VarKind::Text:
    case VarKind::WideText:
    case VarKind::Date: return Variant(static_cast<int32_t>(~AsInt(v)));
    default: throw EVariantTypeCastError(kInvalidVariantTypeConversion);
  }
}

std::string ValueToText(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty:
    case VarKind::Null: return std::string();
    case VarKind::Text: return v.AsText();
    default: return VarToText(v);
  }
}

// The text round trip of NumericOperand.
Variant NumericOperandOfValue(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty:
    case VarKind::Null: return Variant(int32_t{0});
    case VarKind::Date:
      if (LooksLikeDateTime(ValueToText(v))) return v;
      break;
    default: break;
  }
  std::string t = CleanNumberText(ValueToText(v));
  if (IsNumberText(t)) return Variant(std::move(t));
  return Variant(int32_t{0});
}

Variant NumericOperand(TExpNode& node) {
  Variant v;
  node.Evaluate(v);
  // Integers and reals come back from their text as the same real; the
  // arithmetic rules treat that real exactly as the number text, so the
  // round trip is skipped where the locale cannot change the text.
  if (v.Kind() == VarKind::Integer && NumbersKeepTheirText()) return Variant(static_cast<double>(v.AsInteger()));
  if (v.Kind() == VarKind::Real && NumbersKeepTheirText() && !(v.AsReal() == 0 && std::signbit(v.AsReal()))) {
    return v;
  }
  return NumericOperandOfValue(v);
}

}  // namespace qx
