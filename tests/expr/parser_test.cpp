#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "expr/ExpNode.h"
#include "expr/ExpTokenizer.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

// Tree notation: a leaf is its token text, an empty node "_", an operator or
// function node TOKEN(child, child, ...).
std::string Dump(const TExpNode& node) {
  if (node.Token() == nullptr) return node.TokenCount() == 0 ? "_" : "?";
  std::string s = node.Token()->Text;
  if (node.ChildCount() == 0) return s;
  s += "(";
  for (int i = 0; i < node.ChildCount(); ++i) {
    if (i) s += ", ";
    s += Dump(node.Children(i));
  }
  return s + ")";
}

struct Parsed {
  TExpParser tokens;
  std::unique_ptr<TExpNode> root;
};

std::unique_ptr<Parsed> ParseText(const std::string& text) {
  auto p = std::make_unique<Parsed>();
  p->tokens.Tokenize(text);
  std::vector<const TExpToken*> refs;
  for (const TExpToken& t : p->tokens.Tokens()) refs.push_back(&t);
  p->root = std::make_unique<TExpNode>(nullptr, refs, nullptr);
  p->root->Parse();
  return p;
}

std::string Tree(const std::string& text) { return Dump(*ParseText(text)->root); }

std::string ParseError(const std::string& text) {
  try {
    ParseText(text);
  } catch (const EKelParseException& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(Parser, WorkedExamples) {
  struct Case {
    const char* text;
    const char* tree;
  } cases[] = {
      {"1+2*3", "+(1, *(2, 3))"},
      {"2*3+1", "+(*(2, 3), 1)"},
      {"10-4-3", "-(10, -(4, 3))"},
      {"8/4/2", "/(8, /(4, 2))"},
      {"a=b+1", "+(=(a, b), 1)"},
      {"a=1 AND(b=2)", "=(a, AND(1, =(b, 2)))"},
      {"(a=1)AND(b=2)", "AND(=(a, 1), =(b, 2))"},
      {"((x))", "x"},
      {"SUBSTR(s,1,3)", "SUBSTR(s, 1, 3)"},
      {"f(a,(b+c))", "f(a, +(b, c))"},
      {"(a+b)*c", "*(+(a, b), c)"},
      {"a-b-c", "-(a, -(b, c))"},
      {"(5)", "5"},
      {"((5))", "5"},
      {"()", "_"},
      {"", "_"},
      {"-5", "-(_, 5)"},
      {"5-", "-(5, _)"},
      {"+5", "+(_, 5)"},
      {"x=-1", "=-(x, 1)"},
      {"f(a,,b)", "f(a, b)"},
      {"f(a, ,b)", "f(a, _, b)"},
      {"f(,a)", "f(_, a)"},
      {"f(a,)", "f(a)"},
      {"f(a(", "f(a)"},
      // One-operand operators keep only their operand.
      {"NOT(x)", "NOT(x)"},
      {"not x", "notx"},
      {"5!", "!(5)"},
      {"NOT(a)AND(b)", "AND(NOT(a), b)"},
      {"(a)OR(b)=c", "=(OR(a, b), c)"},
      {"a NOT(b)", "aNOT(b)"},
      {"(a)NOT(b)", "NOT(a, b)"},
      {"2^3!", "^(2, !(3))"},
      {"(((1)))+((2))", "+(1, 2)"},
      {"f((a),(b))", "f(a, b)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Tree(c.text), c.tree) << "text: " << c.text;
}

TEST(Parser, SyntaxErrors) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"5 6", "Compile error: syntax fault."},
      {"F()", "Compile error: syntax fault."},
      {"(1+2", "Compile error: syntax fault."},
      {"(a)(b)", "Compile error: syntax fault."},
      {"f(a,(b,c))", "Compile error: syntax fault."},
      {"a)+(b", "Compile error: parenthesis mismatch."},
      {")", "(no error)"},  // a single token is a leaf
      {"f(a)(b)", "Function parse error."},
      // The right-hand side is parsed first: its error wins.
      {"5 6+f(a)(b)", "Function parse error."},
      {"f(a)(b)+5 6", "Compile error: syntax fault."},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseError(c.text), c.message) << "text: " << c.text;
}

TEST(Parser, NodeShapes) {
  auto p = ParseText("f(a, b+1)");
  const TExpNode& root = *p->root;
  EXPECT_EQ(root.TokenCount(), 1);
  EXPECT_EQ(root.Token()->Kind, TExpTokenKind::etkName);
  ASSERT_EQ(root.ChildCount(), 2);
  EXPECT_EQ(root.Children(1).Token()->Kind, TExpTokenKind::etkOperator);
  EXPECT_EQ(root.Children(1).TokenCount(), 1);
  EXPECT_EQ(root.Children(1).Parent(), &root);
  EXPECT_EQ(root.Parent(), nullptr);
  EXPECT_EQ(root.Tokens(0)->Text, "f");
  EXPECT_THROW(root.Tokens(1), EListError);
  try {
    root.Children(2);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (2)");
  }
}

TEST(Parser, DeepNestingEndsInAnErrorNotAStackOverflow) {
  // Redundant parentheses are stripped without recursion.
  EXPECT_EQ(Tree(std::string(2000, '(') + "7" + std::string(2000, ')')), "7");
  // Nested operands and calls beyond the supported depth are refused.
  std::string chain;
  for (int i = 0; i < 2000; ++i) chain += "1+(";
  chain += "1" + std::string(2000, ')');
  EXPECT_EQ(ParseError(chain), kNestingTooDeepMessage);
  std::string minus;
  for (int i = 0; i < 2000; ++i) minus += "- ";
  EXPECT_EQ(ParseError(minus + "1"), kNestingTooDeepMessage);
  std::string calls;
  for (int i = 0; i < 2000; ++i) calls += "f(";
  EXPECT_EQ(ParseError(calls + "1" + std::string(2000, ')')), kNestingTooDeepMessage);
  std::string right;
  for (int i = 0; i < 2000; ++i) right += "a-";
  EXPECT_EQ(ParseError(right + "b"), kNestingTooDeepMessage);
  // A long flat chain of a loosest operator nests on its right side too,
  // but moderate expressions parse.
  std::string moderate;
  for (int i = 0; i < 300; ++i) moderate += "1+";
  EXPECT_EQ(ParseError(moderate + "1"), "(no error)");
}

}  // namespace
}  // namespace qx
