#pragma once
// Tokenizer of the expression language. A character's class decides where a
// token ends and a token keeps the class of its first character. Blanks
// outside quotes are dropped (so "Last Name" is the one word "LastName"),
// runs of operator characters form one token, and a quoted token ('..',
// "..", [..]) keeps its quote characters.
//
// Tokens belong to the TExpParser; syntax trees refer to them by pointer, so
// the TExpParser must outlive every tree built from its tokens. Tokens are
// kept in a deque: appending never moves an existing token.
#include <array>
#include <deque>
#include <string>
#include <string_view>

namespace qx {

enum class TExpTokenKind : unsigned char {
  etkName,         // word, quoted text, anything of no other class
  etkNumber,       // digits and points
  etkParenthesis,  // "(" or ")", one character
  etkOperator,     // a run of operator characters, or AND, OR, NOT
  etkDelimiter,    // a run of commas
  etkIllegal,      // the NUL character; never stored in a token
};

struct TExpToken {
  std::string Text;
  TExpTokenKind Kind = TExpTokenKind::etkName;
};

// The 16 operator texts; the 1-based position is the split priority.
inline constexpr int kExpOperatorCount = 16;
inline constexpr std::array<std::string_view, kExpOperatorCount> ExpOperators{
    "+", "-", "*", "/", "^", "!", "=", "<", ">", "<=", ">=", "<>", "!=", "AND", "OR", "NOT"};

// Positions of the operators in ExpOperators.
enum ExpOperatorPos : int {
  eopNone = 0, eopAdd, eopSubtract, eopMultiply, eopDivide, eopPower, eopFactorial,
  eopEqual, eopLess, eopGreater, eopLessEqual, eopGreaterEqual, eopNotEqual, eopNotEqual2,
  eopAnd, eopOr, eopNot,
};

// 1-based position of text in ExpOperators compared after upper-casing the
// ASCII letters of text; 0 when the table does not hold it. No allocation.
int LookupExpOperator(std::string_view text);
// Operand count of an ExpOperators position: 1 for "!" and NOT, 2 for the
// others, 0 for a text the table does not hold (position 0).
int ExpOperatorArity(int position);

// Class of a single character.
TExpTokenKind ClassifyToken(char c);

// The value of a number token: digits with one optional point (the locale
// decimal separator counts as the point); a lone point reads as 0. A token
// with more points reads up to its second point ("1.2.3" is 1.2). A value
// beyond the double range raises EOverflow "Floating point overflow".
double ReadNumberToken(std::string_view text);

class TExpParser {
 public:
  TExpParser() = default;
  TExpParser(const TExpParser&) = delete;
  TExpParser& operator=(const TExpParser&) = delete;

  // Text becomes s without leading and trailing characters of code 0..32.
  // Tokens and Position are not touched.
  void SetText(std::string_view s);
  const std::string& Text() const { return text_; }

  // Clear, Position := 1, then Next.
  const TExpToken* First();
  // Reads the next token and appends it to Tokens; nullptr at the end of
  // the text. Raises EKelParseException on a NUL character.
  const TExpToken* Next();
  // Frees all tokens.
  void Clear() { tokens_.clear(); }
  // SetText, then reads every token. Returns the token list.
  const std::deque<TExpToken>& Tokenize(std::string_view s);

  const std::deque<TExpToken>& Tokens() const { return tokens_; }
  int Position() const { return static_cast<int>(pos_) + 1; }  // 1-based

 private:
  std::string text_;
  std::deque<TExpToken> tokens_;
  size_t pos_ = 0;  // 0-based index of the next character
};

}  // namespace qx
