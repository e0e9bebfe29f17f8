#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ExprTestUtil.h"
#include "expr/CurrencyMath.h"
#include "expr/PowerMath.h"
#include "expr/ValueRules.h"
#include "platform/DateUtils.h"
#include "platform/Locale.h"

namespace qx {
namespace {

using exprtest::Calc;
using exprtest::CalcError;

Variant Int(int32_t v) { return Variant(v); }
Variant Cur(double v) { return Variant::FromCurrencyRaw(static_cast<int64_t>(std::llround(v * 10000))); }
Variant Date(double v) { return Variant::FromDate(v); }
Variant Text(const char* s) { return Variant(std::string(s)); }

struct ValueCase {
  const char* text;
  Variant expected;
};

void CheckValues(std::initializer_list<ValueCase> cases) {
  for (const ValueCase& c : cases) {
    Variant got;
    try {
      got = Calc(c.text);
    } catch (const Exception& e) {
      ADD_FAILURE() << c.text << " raised " << e.ClassName() << ": " << e.Message();
      continue;
    }
    EXPECT_EQ(got.Kind(), c.expected.Kind()) << c.text << " gives " << VarKindName(got.Kind());
    EXPECT_TRUE(got == c.expected) << c.text;
  }
}

struct ErrorCase {
  const char* text;
  const char* message;
};

void CheckErrors(std::initializer_list<ErrorCase> cases) {
  for (const ErrorCase& c : cases) EXPECT_EQ(CalcError(c.text), c.message) << c.text;
}

TEST(Evaluate, LiteralsAndLeaves) {
  CheckValues({
      {"", Variant::Null()},
      {"()", Variant::Null()},
      {"42", Variant(42.0)},
      {".5", Variant(0.5)},
      {".", Variant(0.0)},
      {"1.2.3", Variant(1.2)},
      {",", Text(",")},          // a delimiter leaf is its text
      {"'q'", Text("q")},        // the test handler strips quotes
      {"unknown", Text("unknown")},
      {"=<", Text("=<")},        // an unknown operator alone has no operands
      {"(**)", Text("**")},
  });
  CheckErrors({{"+", "Calculate error: syntax tree fault."}});
}

TEST(Evaluate, AddAndConcatenation) {
  CheckValues({
      {"-5", Variant(-5.0)},
      {"+5", Variant::Null()},
      {"'1'+2", Text("12")},
      {"1+2", Variant(3.0)},
      {"'a'+'b'", Text("ab")},
      {"null+'x'", Text("x")},
      {"null+5", Variant::Null()},
      {"null-5", Variant(-5.0)},
      {"'a'+1.5", Text("a1.5")},
      {"wab+'c'", Text("abc")},
      {"i2+i3", Int(5)},
      {"i2147483647+i1", Variant(2147483648.0)},  // integer overflow goes on as a real
      {"true+true", Variant(-2.0)},
      {"true+i1", Int(0)},
      {"c1.5+c2.25", Cur(3.75)},
      {"c1.5+i2", Cur(3.5)},
      {"c0.1+0.2", Cur(0.3)},  // the real goes to currency, exactly
      {"d2+1", Date(3)},
      {"d2+c1", Date(3)},
      {"true+'1'", Text("True1")},
      {"'a'+empty", Text("a")},  // exactly one text: concatenation  // Boolean with text: real rule, True is -1
  });
  CheckErrors({
      {"empty+1", "Invalid variant operation"},
  });
}

TEST(Evaluate, ArithmeticThroughNumericOperands) {
  CheckValues({
      {"'10'-4", Variant(6.0)},
      {"'abc'*2", Variant(0.0)},
      {"'$1,234.50'-0", Variant(1234.5)},
      {"7/2", Variant(3.5)},
      {"i7/i2", Variant(3.5)},
      {"true-0", Variant(0.0)},  // "True" is no number text
      {"empty-1", Variant(-1.0)},
      {"c10-c2.5", Variant(7.5)},  // currency passes through its text
      {"d5-d2", Variant(3.0)},     // two date-times: a number of days
      {"d5-1", Date(4)},
      {"10-4-3", Variant(9.0)},
      {"8/4/2", Variant(4.0)},
      {"2*3+1", Variant(7.0)},
  });
  CheckErrors({
      {"7/0", "Floating point division by zero"},
      {"0/0", "Invalid floating point operation"},
      {"'x'/0", "Invalid floating point operation"},
      {"10^308*10", "Floating point overflow"},
  });
}

TEST(Evaluate, PowersAndFactorials) {
  CheckValues({
      {"2^10", Variant(1024.0)},
      {"0^0", Variant(1.0)},
      {"0^3", Variant(0.0)},
      {"2^(-1)", Variant(0.5)},
      {"(-8)^3", Variant(-512.0)},
      {"5!", Int(120)},
      {"12!", Int(479001600)},
      {"13!", Variant(6227020800.0)},
      {"0!", Int(0)},
      {"1!", Int(1)},
      {"(-3)!", Int(-3)},
      {"2.5!", Int(2)},  // rounds half to even
      {"3.5!", Int(24)},
  });
  CheckErrors({
      {"(-8)^0.5", "Invalid floating point operation"},
      {"0^(-2)", "Floating point division by zero"},
      {"10^400", "Floating point overflow"},
      {"171!", "Floating point overflow"},
      {"10000000000!", "Invalid floating point operation"},
      {"2^-1", "Calculate error: syntax tree fault."},  // "^-" is one unknown operator
  });
  EXPECT_EQ(RaiseToPower(2, -1), 0.5);
  EXPECT_EQ(RaiseToPower(-8, 3), -512);
  EXPECT_EQ(RaiseToPower(1, 1e10), 1);
  EXPECT_EQ(RaiseToPower(0.5, 1e10), 0);
  EXPECT_THROW(RaiseToPower(2, 1e10), EOverflow);
  EXPECT_THROW(RaiseToPower(0, -0.5), EZeroDivide);
  EXPECT_EQ(IntegerPower(10, -2), 0.01);
  EXPECT_THROW(IntegerPower(-2, INT32_MIN), EOverflow);
  EXPECT_THROW(IntegerPower(0, -1), EZeroDivide);
  EXPECT_EQ(Factorial(-7), Int(-7));
}

TEST(Evaluate, Comparisons) {
  CheckValues({
      {"'ABC'<'abc'", Variant(true)},
      {"'ab'<'abc'", Variant(true)},
      {"'abc'='abc'", Variant(true)},
      {"'\xe9'>'z'", Variant(true)},  // bytes compare unsigned
      {"5='5'", Variant(true)},
      {"null=null", Variant(true)},
      {"null<0", Variant(true)},
      {"0>null", Variant(true)},
      {"null<>null", Variant(false)},
      {"(1=1)=im1", Variant(true)},
      {"(1=1)=(-1)", Variant(true)},
      {"'True'=true", Variant(true)},
      {"false<true", Variant(true)},
      {"c1.5=1.5", Variant(true)},
      {"c1.5<i2", Variant(true)},
      {"d2>1.5", Variant(true)},
      {"i3<=3", Variant(true)},
      {"i3>=4", Variant(false)},
      {"i3!=4", Variant(true)},
      {"3<>3", Variant(false)},
      {"wb>'a'", Variant(true)},
      // Comparisons bind tighter than arithmetic: (a=b)+1.
      {"1=1+1", Variant(0.0)},
  });
  CheckErrors({
      {"5='abc'", "Invalid variant type conversion"},
      {"empty=1", "Invalid variant operation"},
      {"a =< b", "Calculate error: syntax tree fault."},
      {"x=-1", "Calculate error: syntax tree fault."},
  });
}

TEST(Evaluate, LogicAndNot) {
  CheckValues({
      {"(true)AND(false)", Variant(false)},
      {"(true)OR(false)", Variant(true)},
      {"(i6)AND(i3)", Int(2)},
      {"(i6)OR(i3)", Int(7)},
      {"(6)AND(3)", Int(2)},  // reals are taken as integers
      {"(null)AND(false)", Variant::Null()},
      {"(true)AND(i5)", Int(5)},
      {"('True')AND(false)", Variant(false)},
      {"x AND y", Text("xANDy")},  // blanks vanish: one word
      {"NOT", Text("NOT")},             // a word at the end of the text is a name
      {"(1=1)AND(2=2)", Variant(true)},
      {"NOT(true)", Variant(false)},
      {"NOT(i0)", Int(-1)},
      {"NOT(5)", Int(-6)},
      {"NOT('5')", Int(-6)},
      {"NOT(null)", Variant::Null()},
      {"NOT(c2.5)", Int(-3)},
      {"NOT(NOT(true))", Variant(true)},
      {"NOT()", Variant::Null()},
  });
  CheckErrors({
      {"NOT(empty)", "Invalid variant operation"},
      {"NOT('abc')", "Invalid variant type conversion"},
      {"(true)NOT(false)", "Calculate error: syntax tree fault."},
      {"5!3", "Calculate error: syntax tree fault."},
      {"('x')AND(1)", "Invalid variant type conversion"},
      {"(4294967296)AND(1)", "Invalid floating point operation"},
  });
}

TEST(Evaluate, NoShortCircuit) {
  int asked = 0;
  TKelParser p;
  p.Text = "(1=0)AND(side=1)";
  p.OnEvaluate = [&](TKelParser&, const std::string& eval, const TEvalArgs&, int, bool, Variant& value, bool& done) {
    if (eval == "side") ++asked;
    value = Variant(1.0);
    done = true;
  };
  EXPECT_EQ(p.Calculate(), Variant(false));
  EXPECT_EQ(asked, 1);
}

TEST(Evaluate, NowIsTheCurrentDateTime) {
  const double before = std::floor(Now());
  for (const char* text : {"NOW", "getdate", "Now(1, unknown)"}) {
    const Variant v = Calc(text);
    ASSERT_EQ(v.Kind(), VarKind::Date) << text;
    EXPECT_GE(v.AsDate(), before) << text;
  }
}

TEST(ValueRules, RuleByClassPair) {
  using C = TValueClass;
  const Variant n = Variant::Null(), e, i(int32_t{1}), r(1.0), c = Cur(1), t = Text("1"), b(true), d = Date(1);
  struct Case {
    const Variant& a;
    const Variant& b;
    C rule;
  } cases[] = {
      {e, n, C::vcInvalid}, {n, e, C::vcInvalid}, {n, d, C::vcNull},    {d, c, C::vcDate},
      {c, t, C::vcCurrency}, {c, b, C::vcCurrency}, {t, t, C::vcText},  {b, b, C::vcBoolean},
      {t, b, C::vcBoolean}, {b, r, C::vcReal},     {t, i, C::vcReal},   {i, r, C::vcReal},
      {i, i, C::vcInteger}, {b, i, C::vcInteger},  {i, b, C::vcInteger},
  };
  for (const Case& k : cases) EXPECT_EQ(OperationRule(k.a, k.b), k.rule);
  EXPECT_EQ(ValueClass(Variant(ByteArray{1})), C::vcInvalid);
  EXPECT_EQ(ValueClass(Variant(std::u16string(u"x"))), C::vcText);
}

TEST(ValueRules, IntegerDivideAndModulo) {
  EXPECT_EQ(IntDivideValues(Int(7), Int(2)), Int(3));
  EXPECT_EQ(IntDivideValues(Int(-7), Int(2)), Int(-3));
  EXPECT_EQ(ModuloValues(Int(-7), Int(2)), Int(-1));
  EXPECT_EQ(ModuloValues(Int(7), Int(-2)), Int(1));
  EXPECT_EQ(IntDivideValues(Variant(7.5), Variant(2.0)), Int(4));
  EXPECT_EQ(IntDivideValues(Cur(9), Text("2")), Int(4));
  EXPECT_EQ(IntDivideValues(Variant::Null(), Int(0)), Variant::Null());
  EXPECT_EQ(ModuloValues(Int(INT32_MIN), Int(-1)), Int(0));
  EXPECT_THROW(IntDivideValues(Int(1), Int(0)), EDivByZero);
  EXPECT_THROW(ModuloValues(Int(1), Variant(false)), EDivByZero);
  EXPECT_THROW(IntDivideValues(Int(INT32_MIN), Int(-1)), EIntError);
  EXPECT_THROW(IntDivideValues(Variant(), Int(1)), EVariantInvalidOpError);
}

TEST(ValueRules, DivideByRule) {
  EXPECT_EQ(DivideValues(Int(7), Int(2)), Variant(3.5));
  EXPECT_EQ(AddValues(Variant(true), Text("1")), Variant(0.0));  // Boolean with text: real rule
  EXPECT_EQ(DivideValues(Cur(10), Cur(4)), Variant(2.5));   // currency divisor: real
  EXPECT_EQ(DivideValues(Cur(10), Int(4)), Cur(2.5));       // else currency
  EXPECT_EQ(DivideValues(Cur(1), Int(3)), Cur(0.3333));
  EXPECT_EQ(DivideValues(Cur(2), Int(3)), Cur(0.6667));
  EXPECT_EQ(DivideValues(Variant::FromCurrencyRaw(1), Int(2)), Variant::FromCurrencyRaw(0));  // half to even
  EXPECT_EQ(DivideValues(Variant::FromCurrencyRaw(3), Int(2)), Variant::FromCurrencyRaw(2));
  EXPECT_EQ(DivideValues(Text("9"), Text("3")), Variant(3.0));
  EXPECT_EQ(DivideValues(Date(3), Int(2)), Variant(1.5));
  EXPECT_EQ(DivideValues(Variant::Null(), Int(0)), Variant::Null());
  EXPECT_THROW(DivideValues(Cur(1), Int(0)), EZeroDivide);
  EXPECT_THROW(DivideValues(Int(0), Int(0)), EInvalidOp);
}

TEST(ValueRules, CurrencyIsExactFixedPoint) {
  // 0.1 + 0.2 is exactly 0.3 in currency, unlike in doubles.
  EXPECT_EQ(AddValues(Cur(0.1), Cur(0.2)), Cur(0.3));
  EXPECT_EQ(MultiplyValues(Cur(1.5), Cur(1.5)), Cur(2.25));
  EXPECT_EQ(MultiplyValues(Variant::FromCurrencyRaw(5), Variant::FromCurrencyRaw(5000)),
            Variant::FromCurrencyRaw(2));  // 0.00025 rounds half to even
  EXPECT_EQ(MultiplyValues(Variant::FromCurrencyRaw(15), Variant::FromCurrencyRaw(5000)),
            Variant::FromCurrencyRaw(8));  // 0.00075
  EXPECT_EQ(SubtractValues(Cur(1), Variant(0.25)), Cur(0.75));
  const Variant big = Variant::FromCurrencyRaw(INT64_MAX);
  EXPECT_THROW(AddValues(big, Cur(1)), EOverflow);
  EXPECT_THROW(MultiplyValues(big, Int(2)), EOverflow);
  EXPECT_THROW(AddValues(Cur(1), Variant(1e300)), EOverflow);
  // Compared as currency: the real is rounded to four decimals first.
  EXPECT_EQ(CompareValues(Cur(1), Variant(1.00004)), crEqual);
  EXPECT_EQ(CompareValues(Cur(-1), Cur(1)), crLess);
}

TEST(ValueRules, NumericOperandShortcutMatchesTheTextRoundTrip) {
  // NumericOperand skips the text round trip for integers and reals; the
  // result must be what the round trip gives.
  for (double d : {0.0, 1.0, -1.5, 0.1, 1e20, -2.5e-300, 123456789.125, 1.7976931348623157e308}) {
    const Variant slow = NumericOperandOfValue(Variant(d));
    ASSERT_EQ(slow.Kind(), VarKind::Text) << d;
    EXPECT_EQ(SubtractValues(slow, Int(0)), Variant(d)) << d;
  }
  const Variant slowInt = NumericOperandOfValue(Int(-42));
  EXPECT_EQ(SubtractValues(slowInt, Int(0)), Variant(-42.0));
  EXPECT_EQ(NumericOperandOfValue(Variant(true)), Int(0));
  EXPECT_EQ(NumericOperandOfValue(Variant()), Int(0));
  EXPECT_EQ(NumericOperandOfValue(Text("12 ")), Int(0));
}

TEST(ValueRules, DecimalCommaLocaleKeepsTheTextRoundTrip) {
  // Where the decimal separator is the comma, number texts lose their commas
  // on the way to arithmetic: 1.5 becomes 15. That is the language's rule.
  LocaleScope scope;
  Locale().DecimalSeparator = ',';
  Locale().ThousandSeparator = '.';
  EXPECT_EQ(SubtractValues(NumericOperandOfValue(Variant(1.5)), Int(0)), Variant(15.0));
}

TEST(ValueRules, ValueToText) {
  EXPECT_EQ(ValueToText(Variant()), "");
  EXPECT_EQ(ValueToText(Variant::Null()), "");
  EXPECT_EQ(ValueToText(Text("x")), "x");
  EXPECT_EQ(ValueToText(Variant(2.0)), "2");
  EXPECT_EQ(ValueToText(Variant(true)), "True");
  EXPECT_THROW(ValueToText(Variant(ByteArray{1})), EVariantTypeCastError);
  EXPECT_THROW(NotValue(Variant(ByteArray{1})), EVariantTypeCastError);
}

TEST(Evaluate, DeepNestingEndsInAnErrorOrAValue) {
  std::string nots;
  for (int i = 0; i < 2000; ++i) nots += "NOT(";
  EXPECT_EQ(CalcError(nots + "true" + std::string(2000, ')')), kNestingTooDeepMessage);
  std::string ok;
  for (int i = 0; i < 200; ++i) ok += "NOT(";
  EXPECT_EQ(Calc(ok + "true" + std::string(200, ')')), Variant(true));
  EXPECT_EQ(Calc(std::string(20000, '(') + "1" + std::string(20000, ')')), Variant(1.0));
  // Just inside the limit, every level an operator with calls below it.
  std::string deep;
  for (int i = 0; i < kMaxExpNesting - 1; ++i) deep += "1-(";
  EXPECT_EQ(Calc(deep + "1" + std::string(kMaxExpNesting - 1, ')')), Variant(0.0));  // 399 levels: odd
  std::string calls;
  for (int i = 0; i < kMaxExpNesting - 1; ++i) calls += "PI(";
  EXPECT_EQ(Calc(calls + "1" + std::string(kMaxExpNesting - 1, ')')), Variant(3.14));
}

}  // namespace
}  // namespace qx
