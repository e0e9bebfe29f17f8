#include "expr/ExpTokenizer.h"

#include <string>

#include "platform/Exceptions.h"
#include "platform/Locale.h"

namespace qx {

namespace {

bool IsQuoteChar(char c) { return c == '"' || c == '\'' || c == ']'; }

}  // namespace

int LookupExpOperator(std::string_view text) {
  auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  switch (text.size()) {
    case 1:
      switch (text[0]) {
        case '+': return eopAdd;
        case '-': return eopSubtract;
        case '*': return eopMultiply;
        case '/': return eopDivide;
        case '^': return eopPower;
        case '!': return eopFactorial;
        case '=': return eopEqual;
        case '<': return eopLess;
        case '>': return eopGreater;
        default: return eopNone;
      }
    case 2: {
      const char a = up(text[0]), b = up(text[1]);
      if (b == '=') return a == '<' ? eopLessEqual : a == '>' ? eopGreaterEqual : a == '!' ? eopNotEqual2 : eopNone;
      if (a == '<' && b == '>') return eopNotEqual;
      if (a == 'O' && b == 'R') return eopOr;
      return eopNone;
    }
    case 3: {
      const char a = up(text[0]), b = up(text[1]), c = up(text[2]);
      if (a == 'A' && b == 'N' && c == 'D') return eopAnd;
      if (a == 'N' && b == 'O' && c == 'T') return eopNot;
      return eopNone;
    }
    default:
      return eopNone;
  }
}

int ExpOperatorArity(int position) {
  if (position <= 0 || position > kExpOperatorCount) return 0;
  return (position == eopFactorial || position == eopNot) ? 1 : 2;
}

TExpTokenKind ClassifyToken(char c) {
  switch (c) {
    case '(':
    case ')':
      return TExpTokenKind::etkParenthesis;
    case ',':
      return TExpTokenKind::etkDelimiter;
    case '+': case '-': case '*': case '/': case '^': case '!': case '=': case '<': case '>':
      return TExpTokenKind::etkOperator;
    default:
      break;
  }
  if ((c >= '0' && c <= '9') || c == '.' || c == Locale().DecimalSeparator) return TExpTokenKind::etkNumber;
  if (c == '\0') return TExpTokenKind::etkIllegal;
  return TExpTokenKind::etkName;
}

void TExpParser::SetText(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  text_.assign(s.substr(b, e - b));
}

const TExpToken* TExpParser::First() {
  Clear();
  pos_ = 0;
  return Next();
}

const TExpToken* TExpParser::Next() {
  const size_t n = text_.size();
  if (pos_ >= n) return nullptr;

  // Skip blanks (only code 32); the character taken last starts the token.
  size_t first = pos_;
  char f = text_[pos_++];
  while (f == ' ' && pos_ < n) {
    first = pos_;
    f = text_[pos_++];
  }
  const TExpTokenKind k = ClassifyToken(f);
  if (k == TExpTokenKind::etkIllegal) {
    // The only illegal character is NUL, which a message text cannot carry
    // (it would cut the message short): it is shown as #0.
    throw EKelParseException("Parse error: illegal character \"#0\" at position " + std::to_string(first + 1) + ".");
  }
  TExpToken& token = tokens_.emplace_back();
  token.Text.assign(1, f);
  token.Kind = k;
  if (k == TExpTokenKind::etkParenthesis) return &token;

  const bool quotedToken = (f == '"' || f == '\'' || f == '[');
  bool quoted = quotedToken;
  while (pos_ < n) {
    const char c = text_[pos_];
    const TExpTokenKind d = quoted ? k : ClassifyToken(c);
    if (d != k && !(k == TExpTokenKind::etkName && d == TExpTokenKind::etkNumber)) {
      // The token ends before c.
      // Only a word can turn into an operator here (AND, OR, NOT); other
      // classes keep theirs, as no entry of the table mixes classes.
      if (!quotedToken && k == TExpTokenKind::etkName && LookupExpOperator(token.Text) != 0) {
        token.Kind = TExpTokenKind::etkOperator;
      }
      return &token;
    }
    if (quoted && IsQuoteChar(c)) {
      // A quote character followed by another one keeps the quoted state;
      // otherwise it closes it.
      if (!(pos_ + 1 < n && IsQuoteChar(text_[pos_ + 1]))) quoted = false;
    }
    if (!(c == ' ' && !quoted)) token.Text.push_back(c);
    ++pos_;
  }
  // The token ends with the text: it keeps the class of its first character.
  return &token;
}

const std::deque<TExpToken>& TExpParser::Tokenize(std::string_view s) {
  SetText(s);
  if (First() != nullptr) {
    while (Next() != nullptr) {
    }
  }
  return tokens_;
}

}  // namespace qx
