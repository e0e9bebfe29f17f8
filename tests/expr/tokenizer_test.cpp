#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "expr/ExpTokenizer.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

// Tokens written as kind letter + text: N name, 9 number, ( parenthesis,
// O operator, D delimiter.
std::vector<std::string> Tokens(const std::string& text) {
  TExpParser p;
  std::vector<std::string> out;
  for (const TExpToken& t : p.Tokenize(text)) {
    char k = '?';
    switch (t.Kind) {
      case TExpTokenKind::etkName: k = 'N'; break;
      case TExpTokenKind::etkNumber: k = '9'; break;
      case TExpTokenKind::etkParenthesis: k = '('; break;
      case TExpTokenKind::etkOperator: k = 'O'; break;
      case TExpTokenKind::etkDelimiter: k = 'D'; break;
      default: break;
    }
    out.push_back(std::string(1, k) + t.Text);
  }
  return out;
}

using V = std::vector<std::string>;

TEST(Tokenizer, TableOfCases) {
  struct Case {
    std::string text;
    V tokens;
  } cases[] = {
      {"", {}},
      {" \t\r\n ", {}},
      {"a <= 10", {"Na", "O<=", "910"}},
      {"x AND y", {"NxANDy"}},
      {"(x) and (y)", {"((", "Nx", "()", "Oand", "((", "Ny", "()"}},
      {"(a)OR", {"((", "Na", "()", "NOR"}},
      {"NOT (x)", {"ONOT", "((", "Nx", "()"}},
      {"(a)AND(b)", {"((", "Na", "()", "OAND", "((", "Nb", "()"}},
      {"[First Name] = 'abc'", {"N[First Name]", "O=", "N'abc'"}},
      {"[a] AND [b]", {"N[a]AND[b]"}},
      {"'it''s here'", {"N'it''shere'"}},
      {"x=-1", {"Nx", "O=-", "91"}},
      {"x= -1", {"Nx", "O=", "O-", "91"}},
      {"a =< b ** c +- d", {"Na", "O=<", "Nb", "O**", "Nc", "O+-", "Nd"}},
      {"f(a,,b)", {"Nf", "((", "Na", "D,,", "Nb", "()"}},
      {"f(a, ,b)", {"Nf", "((", "Na", "D,", "D,", "Nb", "()"}},
      {"3.14*r", {"93.14", "O*", "Nr"}},
      {".5", {"9.5"}},
      {"1.2.3", {"91.2.3"}},
      {"1e5", {"91", "Ne5"}},
      {"a1.5b", {"Na1.5b"}},
      {"Last Name", {"NLastName"}},
      {"a\tb", {"Na\tb"}},
      {"'a(b,c)+d' x", {"N'a(b,c)+d'x"}},
      {"'unterminated (", {"N'unterminated ("}},
      {"\"q\"", {"N\"q\""}},
      {"5!", {"95", "O!"}},
      {"$x#y@z;w:v", {"N$x#y@z;w:v"}},
      {"\xe9t\xe9", {"N\xe9t\xe9"}},
      {"((", {"((", "(("}},
      {"a-", {"Na", "O-"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << "text: " << c.text;
}

TEST(Tokenizer, NulInsideQuotesIsText) {
  const std::string text("'a\0b'", 5);
  EXPECT_EQ(Tokens(text), V{"N" + text});
}

TEST(Tokenizer, IllegalCharacterReportsItsPositionInTheTrimmedText) {
  TExpParser p;
  const std::string text("  ab\0c", 6);  // trimmed: "ab\0c", NUL at 3
  try {
    p.Tokenize(std::string("abc\0d", 5));
    FAIL() << "no error";
  } catch (const EKelParseException& e) {
    // NUL cannot stand in a message text; it is shown as #0.
    EXPECT_EQ(e.Message(), "Parse error: illegal character \"#0\" at position 4.");
  }
  // Tokens read before the error stay until the next restart.
  EXPECT_EQ(p.Tokens().size(), 1u);
  try {
    p.Tokenize(text);
    FAIL() << "no error";
  } catch (const EKelParseException& e) {
    EXPECT_NE(e.Message().find("at position 3."), std::string::npos);
  }
  // Leading and trailing NULs are trimmed away.
  EXPECT_EQ(Tokens(std::string("\0x\0", 3)), V{"Nx"});
}

TEST(Tokenizer, FirstAndNextFollowTheCallingPattern) {
  TExpParser p;
  p.SetText("  a+b  ");
  EXPECT_EQ(p.Text(), "a+b");
  const TExpToken* t = p.First();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Text, "a");
  EXPECT_EQ(p.Next()->Text, "+");
  EXPECT_EQ(p.Next()->Text, "b");
  EXPECT_EQ(p.Next(), nullptr);
  EXPECT_EQ(p.Tokens().size(), 3u);
  // First restarts: the old tokens go.
  EXPECT_EQ(p.First()->Text, "a");
  EXPECT_EQ(p.Tokens().size(), 1u);
}

TEST(Tokenizer, OperatorTableLookup) {
  EXPECT_EQ(ExpOperators.size(), 16u);
  for (int i = 0; i < kExpOperatorCount; ++i) {
    std::string text(ExpOperators[i]);
    EXPECT_EQ(LookupExpOperator(text), i + 1) << text;
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(LookupExpOperator(text), i + 1) << text;
  }
  EXPECT_EQ(LookupExpOperator("+"), 1);
  EXPECT_EQ(LookupExpOperator("!"), 6);
  EXPECT_EQ(LookupExpOperator("!="), 13);
  EXPECT_EQ(LookupExpOperator("and"), 14);
  EXPECT_EQ(LookupExpOperator("Or"), 15);
  EXPECT_EQ(LookupExpOperator("nOt"), 16);
  EXPECT_EQ(LookupExpOperator("=<"), 0);
  EXPECT_EQ(LookupExpOperator("ANDX"), 0);
  EXPECT_EQ(ExpOperatorArity(6), 1);
  EXPECT_EQ(ExpOperatorArity(16), 1);
  EXPECT_EQ(ExpOperatorArity(2), 2);
  EXPECT_EQ(ExpOperatorArity(0), 0);
  EXPECT_EQ(ClassifyToken(','), TExpTokenKind::etkDelimiter);
  EXPECT_EQ(ClassifyToken('.'), TExpTokenKind::etkNumber);
  EXPECT_EQ(ClassifyToken(' '), TExpTokenKind::etkName);
  EXPECT_EQ(ClassifyToken('\0'), TExpTokenKind::etkIllegal);
}

TEST(Tokenizer, NumberTokenValues) {
  EXPECT_EQ(ReadNumberToken("10"), 10.0);
  EXPECT_EQ(ReadNumberToken("3.14"), 3.14);
  EXPECT_EQ(ReadNumberToken(".5"), 0.5);
  EXPECT_EQ(ReadNumberToken("5."), 5.0);
  EXPECT_EQ(ReadNumberToken("."), 0.0);
  // More than one point: read up to the second point.
  EXPECT_EQ(ReadNumberToken("1.2.3"), 1.2);
  EXPECT_EQ(ReadNumberToken(".."), 0.0);
  EXPECT_EQ(ReadNumberToken("0.1"), 0.1);  // correctly rounded
  EXPECT_EQ(ReadNumberToken("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_THROW(ReadNumberToken("1" + std::string(400, '0')), EOverflow);
}

}  // namespace
}  // namespace qx
