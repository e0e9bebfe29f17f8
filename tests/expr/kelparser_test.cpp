#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExprTestUtil.h"
#include "expr/KelParser.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

// Removes the user functions a test added, whatever happens.
class UserFunctions : public ::testing::Test {
 protected:
  void SetUp() override { base_ = ParserFunctions().Count(); }
  void TearDown() override {
    while (ParserFunctions().Count() > base_) ParserFunctions().Delete(ParserFunctions().Count() - 1);
  }
  int base_ = 0;
};

Variant Calc(const std::string& text) {
  TKelParser p;
  p.Text = text;
  return p.Calculate();
}

std::string HeaderError(const std::string& header) {
  TKelParserFunction f;
  try {
    f.SetHeader(header);
  } catch (const EKelParseException& e) {
    return e.Message();
  }
  return "(no error)";
}

struct Call {
  std::string eval;
  std::vector<Variant> args;
  int argCount;
  bool isChild;
  Variant preset;
};

TEST_F(UserFunctions, PiAndEmptyText) {
  EXPECT_EQ(Calc(""), Variant::Null());
  EXPECT_EQ(Calc("   "), Variant::Null());
  EXPECT_EQ(Calc("PI"), Variant(3.14));
  EXPECT_EQ(Calc("pi"), Variant(3.14));
  EXPECT_EQ(Calc("PI*2"), Variant(6.28));
  TKelParserFunction* pi = ParserFunctions().FindByName("PI");
  ASSERT_NE(pi, nullptr);
  EXPECT_EQ(pi->Description, "PI value");
  EXPECT_EQ(pi->Group, "Constants");
  EXPECT_EQ(pi->Category, "<All>");
  EXPECT_EQ(pi->Header, "PI=3.14");
}

TEST_F(UserFunctions, CallsParametersAndScopes) {
  ParserFunctions().Add("SQ(x)=x*x");
  ParserFunctions().Add("F(a,b)=a");
  ParserFunctions().Add("G(x)=[x]+1");
  ParserFunctions().Add("Q(x)=SQ(x)+1");
  ParserFunctions().Add("TWOPI=2*PI");
  ParserFunctions().Add("SQ(x)=0");  // a later namesake is never found
  EXPECT_EQ(Calc("SQ(3)"), Variant(9.0));
  EXPECT_EQ(Calc("sq(SQ(2))"), Variant(16.0));
  EXPECT_EQ(Calc("F(5)"), Variant(5.0));
  EXPECT_EQ(Calc("F(5,6)+F(7)"), Variant(12.0));
  // Names in a body are matched as written: [x] is not the parameter x but
  // the unresolved name x.
  EXPECT_EQ(Calc("G(1)"), Variant(std::string("x1")));
  // Neither other user functions nor the caller's handler reach a body.
  EXPECT_EQ(Calc("Q(2)"), Variant(std::string("SQ1")));
  EXPECT_EQ(Calc("TWOPI"), Variant(0.0));
  // Unresolved names are their text; the engine removes no quotes.
  EXPECT_EQ(Calc("[Last Name]"), Variant(std::string("[Last Name]")));
  EXPECT_EQ(Calc("'abc'"), Variant(std::string("'abc'")));
  EXPECT_EQ(Calc("unknown(1)"), Variant(std::string("unknown")));
  TKelParserFunction* f = ParserFunctions().FindByName("F");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->ArgValues[0], Variant(7.0));  // the last call's arguments stay
  EXPECT_TRUE(f->ArgValues[1].IsEmpty());
}

TEST_F(UserFunctions, HandlerOrderAndArguments) {
  std::vector<Call> calls;
  bool claimPi = false;
  TKelParser p;
  p.OnEvaluate = [&](TKelParser& sender, const std::string& eval, const TEvalArgs& args, int argCount, bool isChild,
                     Variant& value, bool& done) {
    EXPECT_EQ(&sender, &p);
    EXPECT_FALSE(done);
    calls.push_back({eval, std::vector<Variant>(args.begin(), args.end()), argCount, isChild, value});
    if (claimPi && eval == "PI") {
      value = Variant(3.0);
      done = true;
    }
  };

  // Asked first, leaving Value and Done alone: the name without brackets.
  p.Text = "[Last Name]";
  EXPECT_EQ(p.Calculate(), Variant(std::string("Last Name")));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].eval, "[Last Name]");
  EXPECT_EQ(calls[0].preset, Variant(std::string("Last Name")));
  EXPECT_FALSE(calls[0].isChild);
  EXPECT_EQ(calls[0].argCount, 11);

  // A call: evaluated arguments in order, the rest Empty; a child node.
  calls.clear();
  p.Text = "1+F(1,2)";
  p.Calculate();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args.size(), 11u);
  EXPECT_EQ(calls[0].args[0], Variant(1.0));
  EXPECT_EQ(calls[0].args[1], Variant(2.0));
  for (size_t i = 2; i < 11; ++i) EXPECT_TRUE(calls[0].args[i].IsEmpty());
  EXPECT_TRUE(calls[0].isChild);

  // A handler that leaves Done false still lets PI's function win.
  calls.clear();
  p.Text = "PI";
  EXPECT_EQ(p.Calculate(), Variant(3.14));
  EXPECT_EQ(calls.size(), 1u);
  // A handler that sets Done overrides the user function.
  claimPi = true;
  EXPECT_EQ(p.Calculate(), Variant(3.0));
  // Asked after the functions: PI is the function's and the handler is not
  // asked; other names reach it preset to the name as written.
  calls.clear();
  p.ProcessBeforeEvent = true;
  EXPECT_EQ(p.Calculate(), Variant(3.14));
  EXPECT_TRUE(calls.empty());
  p.Text = "[x]";
  EXPECT_EQ(p.Calculate(), Variant(std::string("[x]")));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].preset, Variant(std::string("[x]")));
}

TEST_F(UserFunctions, ElevenArgumentsAtMost) {
  ParserFunctions().Add("LAST(a,b,c,d,e,f,g,h,i,j,k)=k");
  EXPECT_EQ(Calc("LAST(1,2,3,4,5,6,7,8,9,10,11)"), Variant(11.0));
  try {
    Calc("LAST(1,2,3,4,5,6,7,8,9,10,11,12)");
    FAIL() << "no error";
  } catch (const EKelParseException& e) {
    EXPECT_EQ(e.Message(), "Function \"LAST\" is called with 12 arguments; at most 11 are allowed.");
  }
  const int count = ParserFunctions().Count();
  EXPECT_THROW(ParserFunctions().Add("M(a,b,c,d,e,f,g,h,i,j,k,l)=l"), EKelParseException);
  EXPECT_EQ(ParserFunctions().Count(), count);  // the list stays unchanged
  EXPECT_EQ(HeaderError("M(a,b,c,d,e,f,g,h,i,j,k,l)=l"),
            "Function header \"M(a,b,c,d,e,f,g,h,i,j,k,l)\" declares more than 11 parameters.");
}

TEST_F(UserFunctions, DeepBodyCalledFromADeepExpression) {
  // The body of a function is evaluated on top of the expression that calls
  // it; both at their deepest must still end in a value.
  const int n = kMaxExpNesting - 1;
  std::string body;
  for (int i = 0; i < n; ++i) body += "1-(";
  ParserFunctions().Add("DEEP(x)=" + body + "x" + std::string(n, ')'));
  const Variant v = Calc(body + "DEEP(1)" + std::string(n, ')'));
  EXPECT_EQ(v.Kind(), VarKind::Real);
}

TEST(FunctionHeader, Cases) {
  struct Case {
    const char* header;
    const char* error;
    const char* name;
    std::vector<std::string> params;
    const char* expression;
  } cases[] = {
      {"PI=3.14", "(no error)", "PI", {}, "3.14"},
      {"SQ(x)=x*x", "(no error)", "SQ", {"x"}, "x*x"},
      {"F(a, b)=a=b", "(no error)", "F", {"a", "b"}, "a=b"},
      {"F(x y)=1", "(no error)", "F", {"xy"}, "1"},
      {"F(,x)=1", "(no error)", "F", {"x"}, "1"},
      {"F(x,1)=1", "(no error)", "F", {"x"}, "1"},
      {"F(x)(y)=1", "(no error)", "F", {"x"}, "1"},
      {"F+x=1", "(no error)", "F", {"x"}, "1"},
      {"F", "(no error)", "", {}, ""},
      {"=1", "Function \"=1\" is not valid.", "", {}, "1"},
      {"1X=2", "Function \"1X=2\" is not valid.", "", {}, "2"},
      {"F(x=1", "Function header \"F(x\" is not valid.", "F", {"x"}, "1"},
      {"F)=1", "Function header \"F)\" is not valid.", "F", {}, "1"},
      {"F(x(=1", "Function header \"F(x(\" is not valid.", "F", {"x"}, "1"},
      {"F(x+y)=1", "Function parse error: delimitor \",\" expected between arguments.", "F", {"x"}, "1"},
  };
  for (const Case& c : cases) {
    TKelParserFunction f;
    std::string error = "(no error)";
    try {
      f.SetHeader(c.header);
    } catch (const EKelParseException& e) {
      error = e.Message();
    }
    EXPECT_EQ(error, c.error) << c.header;
    EXPECT_EQ(f.Name, c.name) << c.header;
    EXPECT_EQ(f.ParamNames, c.params) << c.header;
    EXPECT_EQ(f.Expression, c.expression) << c.header;
    EXPECT_EQ(f.Header, c.header);
  }
}

TEST_F(UserFunctions, FunctionsListAndParserLink) {
  TKelParserFunctions list;
  list.Add("A=1");
  list.Add("B=2");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(1)->Name, "B");
  EXPECT_EQ(list.Items(2), nullptr);
  EXPECT_EQ(list.Items(-1), nullptr);
  EXPECT_EQ(list.FindByName("b"), list.Items(1));
  list.Delete(5);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FindByName("A"), nullptr);

  // A function with a parser hands the names of its body to it.
  TKelParser host;
  host.OnEvaluate = [](TKelParser&, const std::string& eval, const TEvalArgs&, int, bool isChild, Variant& value,
                       bool& done) {
    EXPECT_FALSE(isChild);
    if (eval == "rate") {
      value = Variant(2.0);
      done = true;
    }
  };
  TKelParserFunction f(&host);
  f.SetHeader("SCALE(x)=x*rate");
  TEvalArgs args;
  args[0] = Variant(21.0);
  f.SetArgs(args);
  Variant v;
  f.Evaluate(v);
  EXPECT_EQ(v, Variant(42.0));
}

TEST(KelParserComponent, ErrorsPassOutAndKeepTheLastValue) {
  TKelParser p;
  p.Text = "1+1";
  EXPECT_EQ(p.Calculate(), Variant(2.0));
  p.Text = "1/0";
  EXPECT_THROW(p.Calculate(), EZeroDivide);
  EXPECT_EQ(p.LastValue(), Variant(2.0));
  p.Text = "(1";
  EXPECT_THROW(p.Execute(false), EKelParseException);
  // A handler's exception passes out unchanged.
  p.Text = "boom";
  p.OnEvaluate = [](TKelParser&, const std::string&, const TEvalArgs&, int, bool, Variant&, bool&) {
    throw EConvertError("handler failed");
  };
  EXPECT_THROW(p.Calculate(), EConvertError);
  // Execute(false) checks the syntax only: no name is resolved.
  EXPECT_NO_THROW(p.Execute(false));
  EXPECT_EQ(p.LastValue(), Variant(2.0));
}

TEST(KelParserComponent, KeptTreeGivesTheSameResultsAndErrors) {
  int asked = 0;
  TKelParser p;
  p.KeepParsedTree = true;
  p.OnEvaluate = [&](TKelParser&, const std::string&, const TEvalArgs&, int, bool, Variant& value, bool& done) {
    value = Variant(static_cast<double>(++asked));
    done = true;
  };
  p.Text = "n*10";
  EXPECT_EQ(p.Calculate(), Variant(10.0));
  EXPECT_EQ(p.Calculate(), Variant(20.0));  // evaluated again, names asked again
  p.Text = "n+0.5";                         // a new text is parsed anew
  EXPECT_EQ(p.Calculate(), Variant(3.5));
  p.Text = "n)";
  EXPECT_THROW(p.Calculate(), EKelParseException);
  EXPECT_THROW(p.Calculate(), EKelParseException);
  p.Text = "1/(n*0)";
  EXPECT_THROW(p.Calculate(), EZeroDivide);
  EXPECT_THROW(p.Calculate(), EZeroDivide);
}

}  // namespace
}  // namespace qx
