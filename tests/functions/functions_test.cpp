#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "expr/Builtins.h"
#include "expr/Functions.h"
#include "expr/KelParser.h"
#include "expr/ValueRules.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {
namespace {

// Evaluates expressions with a name handler that supplies values of every
// kind: "text" (double quotes) is the text between the quotes; NULL, EMPTY,
// TRUE, FALSE; INTV(x), CUR(x), DATEV(y, m, d), SPACED; MARK(x) records the
// text of x (to show the order of evaluation) and gives x.
class Host {
 public:
  Host() {
    parser_.OnEvaluate = [this](TKelParser&, const std::string& eval, const TEvalArgs& args, int, bool,
                                Variant& value, bool& done) {
      done = true;
      if (eval.size() >= 2 && eval.front() == '"' && eval.back() == '"') {
        value = Variant(eval.substr(1, eval.size() - 2));
      } else if (eval == "NULL") {
        value = Variant::Null();
      } else if (eval == "EMPTY") {
        value = Variant();
      } else if (eval == "TRUE" || eval == "FALSE") {
        value = Variant(eval == "TRUE");
      } else if (eval == "SPACED") {
        value = Variant(std::string("\t a b \n\x01"));
      } else if (eval == "INTV") {
        value = Variant(VarToInteger(args[0]));
      } else if (eval == "CUR") {
        value = Variant(VarToCurrency(args[0]));
      } else if (eval == "DATEV") {
        value = Variant::FromDate(EncodeDate(VarToInteger(args[0]), VarToInteger(args[1]), VarToInteger(args[2])));
      } else if (eval == "MARK") {
        log_.push_back(ValueToText(args[0]));
        value = args[0];
      } else {
        done = false;
      }
    };
  }

  Variant Eval(const std::string& text) {
    log_.clear();
    parser_.Text = text;
    return parser_.Calculate();
  }
  // "Class: message" of the error the expression raises, or "(none)".
  std::string Error(const std::string& text) {
    try {
      Eval(text);
    } catch (const Exception& e) {
      return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "(none)";
  }
  const std::vector<std::string>& Log() const { return log_; }

 private:
  TKelParser parser_;
  std::vector<std::string> log_;
};

std::string Show(const Variant& v) {
  std::string s = VarKindName(v.Kind());
  if (!v.IsEmptyOrNull()) s += " " + (v.Kind() == VarKind::Real ? FormatReal(v.AsReal()) : VarToText(v));
  return s;
}

struct ValueCase {
  const char* expr;
  Variant expected;
};

void RunTable(const std::vector<ValueCase>& cases) {
  Host host;
  for (const ValueCase& c : cases) {
    Variant v;
    try {
      v = host.Eval(c.expr);
    } catch (const Exception& e) {
      ADD_FAILURE() << c.expr << " raised " << e.ClassName() << ": " << e.Message();
      continue;
    }
    EXPECT_EQ(v, c.expected) << c.expr << " gave " << Show(v) << ", expected " << Show(c.expected);
  }
}

Variant Text(const char* s) { return Variant(std::string(s)); }
Variant Int(int32_t v) { return Variant(v); }
Variant Real(double v) { return Variant(v); }
Variant Date(int y, int m, int d, int h = 0, int n = 0) { return Variant::FromDate(EncodeDateTime({y, m, d, h, n})); }

TEST(Functions, TheTableHoldsSixtyNames) {
  std::set<std::string_view> names;
  for (const BuiltinEntry& e : BuiltinTable()) {
    EXPECT_TRUE(names.insert(e.Name).second) << e.Name;
    EXPECT_NE(e.Function, nullptr) << e.Name;
    for (char c : e.Name) EXPECT_FALSE(c >= 'a' && c <= 'z') << e.Name;
  }
  EXPECT_EQ(names.size(), 60u);
  EXPECT_NE(FindBuiltinFunction("substr"), nullptr);
  EXPECT_EQ(FindBuiltinFunction("substr"), FindBuiltinFunction("SubStr"));
  EXPECT_EQ(FindBuiltinFunction("SUBSTITUTE"), nullptr);
  EXPECT_EQ(FindBuiltinFunction("PI"), nullptr);
}

TEST(Functions, Text) {
  LocaleScope scope;
  RunTable({
      {R"(SUBSTR("abcdef", 2, 3))", Text("bcd")},
      {R"(SUBSTR("abc", 0, 2))", Text("ab")},
      {R"(SUBSTR("abc", -5, 2))", Text("ab")},
      {R"(SUBSTR("abc", 5, 1))", Text("")},
      {R"(SUBSTR("abc", 2, -1))", Text("")},
      {R"(SUBSTR("abc", 2, 100))", Text("bc")},
      {R"(SUBSTR("abc", 1.5, 1))", Text("b")},  // 1.5 rounds to 2
      {R"(SUBSTRING("abcdef", 3, 2))", Text("cd")},
      {R"(COPY(12345, 2, 2))", Text("23")},
      {R"(PADL("7", 3, "0"))", Text("007")},
      {R"(PADR("ab", 4))", Text("ab  ")},
      {R"(PADL("abcdef", 3))", Text("abc")},
      {R"(PADR("abcdef", 3))", Text("abc")},
      {R"(PADL("x", 3, 0))", Text("00x")},
      {R"(PADL("x", 3, ""))", Text("  x")},
      {R"(PADR("x", 3, "*-"))", Text("x**")},
      {R"(PADL("x", 0))", Text("")},
      {R"(PADL("x", -2, "0"))", Text("")},
      {"CHR(65)", Text("A")},
      {"CHR(321)", Text("A")},
      {"CHR(-191)", Text("A")},
      {R"(ORD("A"))", Int(65)},
      {R"(ORD("AB"))", Int(65)},
      {R"(ORD(""))", Int(0)},
      {"ORD(CHR(233))", Int(233)},
      {"UPPER(\"ab\xE9z1\")", Text("AB\xE9Z1")},
      {"LOWER(\"AB\xC9Z1\")", Text("ab\xC9z1")},
      {"TRIM(SPACED)", Text("a b")},
      {"TRIMLEFT(SPACED)", Text("a b \n\x01")},
      {"TRIMRIGHT(SPACED)", Text("\t a b")},
      {R"(POS("c", "abc"))", Int(3)},
      {R"(POS("", "abc"))", Int(0)},
      {R"(POS("C", "abc"))", Int(0)},
      {R"(POS("b", "abcb"))", Int(2)},
      {R"(LENGTH("abc"))", Int(3)},
      {R"(LENGTH(""))", Int(0)},
      {"LENGTH(NULL)", Int(0)},
      {"LENGTH(12.5)", Int(4)},
      {"VARTOSTR(1.5)", Text("1.5")},
      {"VARTOSTR(NULL)", Text("")},
      {"VARTOSTR(TRUE)", Text("True")},
      {R"(REPLACESTR("aXbxc", "x", "-", FALSE, TRUE))", Text("aXb-c")},
      {R"(REPLACESTR("aXbxc", "x", "-", TRUE, TRUE))", Text("a-b-c")},
      {R"(REPLACESTR("aXbxc", "x", "-", TRUE, FALSE))", Text("a-bxc")},
      {R"(REPLACESTR("aXbxc", "x", "-", 0, 0))", Text("aXb-c")},
      {R"(REPLACESTR("", "x", "-", 1, 1))", Text("")},
      {R"(REPLACESTR("abc", "", "-", 1, 1))", Text("abc")},
      {R"(REPLACESTR("aaa", "a", "aa", 0, 1))", Text("aaaaaa")},
      {R"(REPLACESTR("abab", "ab", "", 0, 1))", Text("")},
      {"REPLACESTR(\"caf\xE9 CAF\xC9\", \"\xE9\", \"e\", 1, 1)", Text("cafe CAFe")},
  });
}

TEST(Functions, Conversion) {
  LocaleScope scope;
  RunTable({
      {R"(STRTOINT("$1F"))", Int(31)},
      {R"(STRTOINT(" 12"))", Int(12)},
      {R"(STRTOINT("-2147483648"))", Int(-2147483647 - 1)},
      {R"(STRTOFLOAT("1.5"))", Real(1.5)},
      {R"(STRTOFLOAT(" -2.5e3 "))", Real(-2500)},
      {R"(STRTOFLOAT(".5"))", Real(0.5)},
      {R"(STRTOFLOAT("5."))", Real(5)},
      {R"(STRTOFLOAT("1e-400"))", Real(0)},
      {R"(STRTODATE("3/15/2021"))", Date(2021, 3, 15)},
      {R"(STRTODATE(" 3/15/2021 "))", Date(2021, 3, 15)},
      {R"(DATETIMEFROMSTRING("15.03.2021 14:05", "dd.mm.yyyy hh:nn", ".", ":"))", Date(2021, 3, 15, 14, 5)},
      {R"(DATETIMEFROMSTRING("1/2/2020", "DD/MM/YYYY", "/", ":"))", Date(2020, 2, 1)},
      {R"(DATETIMEFROMSTRING("14:05", "HH:NN", 1, 2))", Variant::FromDate(EncodeTime(14, 5, 0, 0))},
      {"INTTOSTR(-5)", Text("-5")},
      {"INTTOSTR(2.5)", Text("2")},
      {"FLOATTOSTR(1.5)", Text("1.5")},
      {"FLOATTOSTR(0.1 + 0.2)", Text("0.3")},
      {"FLOATTOSTR(100)", Text("100")},
      {"FLOATTOSTR(-0.00001)", Text("-0.00001")},
      {"FLOATTOSTR(0.000001)", Text("1E-6")},
      {"FLOATTOSTR(POWER(10, 20))", Text("1E20")},
      {"FLOATTOSTR(999999999999999)", Text("999999999999999")},
      {"FLOATTOSTR(1234567890123456)", Text("1.23456789012346E15")},
      {"FLOATTOSTR(2/3)", Text("0.666666666666667")},
      {"FLOATTOSTR(0)", Text("0")},
      {"DATETOSTR(44270.75)", Text("3/15/2021")},
      {"DATETOSTR(DATEV(7, 1, 2))", Text("1/2/0007")},
  });
  Host host;
  EXPECT_EQ(host.Error(R"(STRTOINT("12 "))"), "EConvertError: '12 ' is not a valid integer value");
  EXPECT_EQ(host.Error(R"(STRTOINT(""))"), "EConvertError: '' is not a valid integer value");
  EXPECT_EQ(host.Error(R"(STRTOFLOAT("1,5"))"), "EConvertError: '1,5' is not a valid floating point value");
  EXPECT_EQ(host.Error(R"(STRTOFLOAT(""))"), "EConvertError: '' is not a valid floating point value");
  EXPECT_EQ(host.Error(R"(STRTOFLOAT("1e400"))"), "EConvertError: '1e400' is not a valid floating point value");
  EXPECT_EQ(host.Error(R"(STRTODATE("3/15/2021 10:00"))"), "EConvertError: '3/15/2021 10:00' is not a valid date");
  EXPECT_EQ(host.Error(R"(STRTODATE("2/30/2021"))"), "EConvertError: '2/30/2021' is not a valid date");
  EXPECT_EQ(host.Error(R"(DATETIMEFROMSTRING("24:00", "HH:NN", "/", ":"))"),
            "EConvertError: Invalid argument to time encode");
}

TEST(Functions, ConversionFollowsTheLocale) {
  LocaleScope scope;
  Locale().DecimalSeparator = ',';
  Locale().ThousandSeparator = '.';
  Locale().DateSeparator = '.';
  Locale().ShortDateFormat = "dd/MM/yyyy";
  RunTable({
      {"FLOATTOSTR(1.5)", Text("1,5")},
      {"FLOATTOSTR(0.000001)", Text("1E-6")},
      {R"(STRTOFLOAT("1,5"))", Real(1.5)},
      {"DATETOSTR(44270.75)", Text("15.03.2021")},
      {R"(STRTODATE("15.03.2021"))", Date(2021, 3, 15)},
      {R"(MONTH("15.03.2021"))", Int(3)},
  });
  Host host;
  EXPECT_EQ(host.Error(R"(STRTOFLOAT("1.5"))"), "EConvertError: '1.5' is not a valid floating point value");
}

TEST(Functions, Aggregates) {
  LocaleScope scope;
  RunTable({
      {"COUNT(1, 2, 3)", Int(2)},
      {"COUNT(1)", Int(0)},
      {"MAX(-5, -2)", Int(0)},
      {"MAX(3, 8, 5)", Real(8)},
      {"MAX(3, 8, 8.0, INTV(8))", Real(8)},
      {"MAX(NULL, -1)", Int(0)},
      {"MIN(4, 2, 9)", Real(2)},
      {"MIN(3, NULL, 5)", Real(5)},
      {"MIN(3, NULL)", Variant::Null()},
      {"MIN(NULL, 3)", Real(3)},
      {"SUM(1, NULL)", Variant::Null()},
      {"SUM(1, 2)", Real(3)},
      {"SUM(INTV(1), INTV(2))", Int(3)},
      {R"(SUM("1", "2"))", Real(3)},
      {"AVG(1, 2)", Real(1.5)},
      {"AVG(INTV(1), INTV(2))", Real(1.5)},
      {"AVG(NULL, 1)", Variant::Null()},
      {R"(COALESCE(NULL, "", "x", MARK(1)))", Text("x")},
      {"COALESCE(NULL, EMPTY)", Variant::Null()},
      {"COALESCE(0)", Real(0)},
  });
  Host host;
  EXPECT_EQ(host.Error(R"(SUM(1, "a"))"), "EVariantTypeCastError: Invalid variant type conversion");
  EXPECT_EQ(host.Error(R"(MAX(1, "abc"))"), "EVariantTypeCastError: Invalid variant type conversion");
  // Walked in order, and only as far as needed.
  host.Eval(R"(COALESCE(NULL, MARK(""), MARK("y"), MARK("z")))");
  EXPECT_EQ(host.Log(), (std::vector<std::string>{"", "y"}));
  host.Eval("COUNT(MARK(1), MARK(2))");
  EXPECT_TRUE(host.Log().empty());
  host.Eval("SUM(MARK(1), MARK(2), MARK(3))");
  EXPECT_EQ(host.Log(), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(Functions, Numeric) {
  LocaleScope scope;
  RunTable({
      {"ABS(-3)", Real(3)},
      {"ABS(INTV(-3))", Real(3)},
      {"INT(-2.7)", Real(-2)},
      {"INT(2.7)", Real(2)},
      {"FRAC(-2.5)", Real(-0.5)},
      {"ROUND(2.5)", Int(2)},
      {"ROUND(-2.5)", Int(-2)},
      {"ROUND(3.5)", Int(4)},
      {"ROUND(2147483647.4)", Int(2147483647)},
      {"DIV(7, 2)", Int(3)},
      {"MOD(-7, 2)", Int(-1)},
      {"DIV(7.5, 2)", Int(4)},
      {"DIV(NULL, 2)", Variant::Null()},
      {"POWER(2, 10)", Real(1024)},
      {"POWER(2, -1)", Real(0.5)},
      {"EXP(0)", Real(1)},
      {"LN(1)", Real(0)},
      {"LOG(10)", Real(1)},
      {"SQR(-3)", Real(9)},
      {"SQRT(16)", Real(4)},
      {"PERCENT(50, 10)", Real(5)},
      {"PERCENT(200, 15)", Real(30)},
      {"PERCENT(INTV(200), INTV(15))", Real(30)},
      {"PERCENT(NULL, 15)", Variant::Null()},
      {"RANDOM(0)", Int(0)},
  });
  Host host;
  EXPECT_EQ(host.Error("DIV(1, 0)"), "EDivByZero: Division by zero");
  EXPECT_EQ(host.Error("MOD(1, 0)"), "EDivByZero: Division by zero");
  EXPECT_EQ(host.Error("ROUND(2147483647.5)"), "EInvalidOp: Invalid floating point operation");
  EXPECT_EQ(host.Error("LN(0)"), "EZeroDivide: Floating point division by zero");
  EXPECT_EQ(host.Error("LN(-1)"), "EInvalidOp: Invalid floating point operation");
  EXPECT_EQ(host.Error("LOG(0)"), "EZeroDivide: Floating point division by zero");
  EXPECT_EQ(host.Error("SQRT(-1)"), "EInvalidOp: Invalid floating point operation");
  EXPECT_EQ(host.Error("EXP(1000)"), "EOverflow: Floating point overflow");
  EXPECT_EQ(host.Error("SQR(POWER(10, 200))"), "EOverflow: Floating point overflow");
  EXPECT_EQ(host.Error("POWER(0, -2)"), "EZeroDivide: Floating point division by zero");
  EXPECT_EQ(host.Error("ABS(NULL)"), "EVariantTypeCastError: Invalid variant type conversion");
  EXPECT_EQ(host.Error(R"(ABS("x"))"), "EVariantTypeCastError: Invalid variant type conversion");
}

TEST(Functions, RandomSequenceIsFixed) {
  Host host;
  SetRandomSeed(0);
  EXPECT_EQ(host.Eval("RANDOM(100)"), Int(0));
  EXPECT_EQ(host.Eval("RANDOM(100)"), Int(3));
  EXPECT_EQ(host.Eval("RANDOM(100)"), Int(86));
  // The formula for a negative range: n as unsigned, the result as signed.
  SetRandomSeed(0x80000000u);
  const uint32_t seed = 0x80000000u * 134775813u + 1u;
  const int32_t expected = static_cast<int32_t>(static_cast<uint32_t>((uint64_t{seed} * 0xFFFFFFFFu) >> 32));
  EXPECT_EQ(host.Eval("RANDOM(INTV(-1))"), Int(expected));
  SetRandomSeed(0);
  EXPECT_EQ(NextRandomReal(), 1 / 4294967296.0);
  for (int i = 0; i < 1000; ++i) {
    const int32_t v = NextRandom(7);
    ASSERT_TRUE(v >= 0 && v < 7);
  }
  SetRandomSeed(0);
}

TEST(Functions, TestsAndConditions) {
  LocaleScope scope;
  RunTable({
      {R"(IIF(1, "a", MARK("b")))", Text("a")},
      {R"(IIF(0, "a", "b"))", Text("b")},
      {R"(IIF("true", INTV(1), "b"))", Int(1)},
      {R"(ISNULL(""))", Variant(true)},
      {"ISNULL(0)", Variant(false)},
      {"ISNULL(NULL)", Variant(true)},
      {"ISNULL(EMPTY)", Variant(true)},
      {R"(ISNUMERIC("-1.5"))", Variant(true)},
      {R"(ISNUMERIC(" 12 "))", Variant(true)},
      {R"(ISNUMERIC(""))", Variant(true)},
      {R"(ISNUMERIC("1e5"))", Variant(false)},
      {"ISNUMERIC(-1.5)", Variant(true)},
      {R"(ISALPHA("abc"))", Variant(true)},
      {"ISALPHA(\"\xE9t\xE9\")", Variant(true)},
      {R"(ISALPHA("ab1"))", Variant(false)},
      {R"(ISALPHA(""))", Variant(false)},
      {R"(ISCONTAIN("bc", "abcd"))", Variant(true)},
      {R"(ISCONTAIN("abcd", "bc"))", Variant(false)},
      {R"(ISCONTAIN("", "abc"))", Variant(false)},
      {R"(ISSTARTSWITH("ab", "abc"))", Variant(true)},
      {R"(ISSTARTSWITH("", "abc"))", Variant(true)},
      {R"(ISSTARTSWITH("B", "abc"))", Variant(false)},
      {R"(ISENDSWITH("bc", "abc"))", Variant(true)},
      {R"(ISENDSWITH("c", "abc"))", Variant(true)},
      {R"(ISENDSWITH("b", "abc"))", Variant(false)},
      {R"(ISENDSWITH("abc", "abc"))", Variant(true)},
      {R"(ISENDSWITH("", "abc"))", Variant(true)},
      {R"(ISENDSWITH("xabc", "abc"))", Variant(false)},
  });
  Host host;
  host.Eval(R"(IIF(1, MARK("a"), MARK("b")))");
  EXPECT_EQ(host.Log(), std::vector<std::string>{"a"});
  EXPECT_EQ(host.Error(R"(IIF(0, "a"))"), "EListError: List index out of bounds (2)");
  EXPECT_EQ(host.Error(R"(IIF(NULL, "a", "b"))"), "EVariantTypeCastError: Invalid variant type conversion");
  EXPECT_EQ(host.Error(R"(IIF("maybe", "a", "b"))"), "EVariantTypeCastError: Invalid variant type conversion");
}

TEST(Functions, DateAndTime) {
  LocaleScope scope;
  RunTable({
      {"DATEPART(2.75)", Real(2)},
      {"TIMEPART(2.75)", Real(0.75)},
      {"DATEPART(DATEV(2021, 3, 15))", Real(44270)},
      {"YEAR(DATEV(2021, 3, 15))", Int(2021)},
      {"MONTH(DATEV(2021, 3, 15))", Int(3)},
      {"DAY(DATEV(2021, 3, 15))", Int(15)},
      {"YEAR(DATEV(7, 3, 15))", Int(7)},
      {"HOUR(0.75)", Int(18)},
      {"MINUTE(0.75 + 1/1440)", Int(1)},
      {"SECOND(0.5 + 7/86400)", Int(7)},
      {"HOUR(-1.25)", Int(6)},  // 29 December 1899, 06:00
      {"DAY(-1.25)", Int(29)},
      {R"(YEAR("3/15/2021"))", Int(2021)},
      {R"(MONTH("2021-03-15"))", Int(3)},
      {R"(HOUR("3/15/2021"))", Int(0)},
      {"YEAR(INTV(1))", Int(1899)},
      {"YEAR(TRUE)", Int(1899)},  // -1: 29 December 1899
  });
  Host host;
  EXPECT_EQ(host.Error(R"(HOUR("3/15/2021 10:00"))"), "EConvertError: '3/15/2021 10:00' is not a valid date");
  EXPECT_EQ(host.Error(R"(YEAR("x"))"), "EConvertError: 'x' is not a valid date");
  EXPECT_EQ(host.Error("YEAR(NULL)"), "EVariantTypeCastError: Invalid variant type conversion");
  EXPECT_EQ(host.Error("YEAR(1000000000)"), "EVariantTypeCastError: Invalid variant type conversion");
  const double before = Now();
  const Variant now = host.Eval("NOW(MARK(1))");
  EXPECT_TRUE(host.Log().empty());
  ASSERT_EQ(now.Kind(), VarKind::Date);
  EXPECT_GE(now.AsDate(), before - 1e-6);
  EXPECT_EQ(host.Eval("GETDATE(MARK(1), 2)").Kind(), VarKind::Date);
  EXPECT_TRUE(host.Log().empty());
}

TEST(Functions, ArgumentOrderAndMissingArguments) {
  Host host;
  const struct {
    const char* expr;
    std::vector<std::string> order;
  } orders[] = {
      {R"(SUBSTR(MARK("s"), MARK(1), MARK(2)))", {"2", "1", "s"}},
      {R"(COPY(MARK("s"), MARK(1), MARK(2)))", {"2", "1", "s"}},
      {R"(REPLACESTR(MARK("s"), MARK("o"), MARK("n"), MARK(0), MARK(1)))", {"0", "1", "n", "o", "s"}},
      {R"(PADL(MARK("s"), MARK(3), MARK("0")))", {"0", "3", "s"}},
      {R"(PADR(MARK("s"), MARK(3)))", {"3", "s"}},
      {R"(POS(MARK("a"), MARK("b")))", {"b", "a"}},
      {R"(ISCONTAIN(MARK("a"), MARK("b")))", {"b", "a"}},
      {R"(ISSTARTSWITH(MARK("a"), MARK("b")))", {"a", "b"}},
      {R"(DATETIMEFROMSTRING(MARK("s"), MARK("f"), MARK("d"), MARK("t")))", {"t", "d", "f", "s"}},
      {R"(POWER(MARK(2), MARK(3)))", {"2", "3"}},
      {R"(SUBSTR("abc", 1, 1, MARK(9)))", {}},  // extra arguments are not evaluated
  };
  for (const auto& c : orders) {
    host.Eval(c.expr);
    EXPECT_EQ(host.Log(), c.order) << c.expr;
  }
  const struct {
    const char* expr;
    int missing;
  } missing[] = {
      {R"(SUBSTR("abc", 1))", 2},       {R"(REPLACESTR("a", "b", "c"))", 3}, {R"(REPLACESTR("a", "b", "c", 1))", 4},
      {R"(POS("a"))", 1},               {R"(ISSTARTSWITH("a"))", 1},        {R"(PADL("a"))", 1},
      {R"(DATETIMEFROMSTRING("a", "b"))", 3}, {"POWER(2)", 1},             {"DIV(2)", 1},
  };
  for (const auto& c : missing)
    EXPECT_EQ(host.Error(c.expr), "EListError: List index out of bounds (" + std::to_string(c.missing) + ")")
        << c.expr;
  // The first failing argument in evaluation order is the one reported.
  EXPECT_EQ(host.Error(R"(SUBSTR("abc", "x", NULL))"), "EVariantTypeCastError: Invalid variant type conversion");
  host.Error(R"(SUBSTR(MARK("abc"), MARK("x"), MARK(1)))");
  EXPECT_EQ(host.Log(), (std::vector<std::string>{"1", "x"}));
}

}  // namespace
}  // namespace qx
