// Building the syntax tree: Parse and its steps.
#include "expr/ExpNode.h"

#include <utility>

#include "platform/Exceptions.h"

namespace qx {

namespace {

bool IsOpenParen(const TExpToken* t) { return t->Kind == TExpTokenKind::etkParenthesis && t->Text[0] == '('; }
bool IsCloseParen(const TExpToken* t) { return t->Kind == TExpTokenKind::etkParenthesis && t->Text[0] == ')'; }

}  // namespace

TExpNode::TExpNode(TExpNodeOwner* owner, std::vector<const TExpToken*> tokens, TExpNode* parent)
    : owner_(owner), parent_(parent), depth_(parent ? parent->depth_ + 1 : 0), tokens_(std::move(tokens)) {
  if (tokens_.size() == 1) token_ = tokens_[0];
}

TExpNode::~TExpNode() {
  // Children are freed from the last to the first.
  while (!children_.empty()) children_.pop_back();
}

const TExpToken* TExpNode::Tokens(int index) const {
  if (index < 0 || index >= static_cast<int>(tokens_.size())) throw EListError(ListIndexMessage(index));
  return tokens_[static_cast<size_t>(index)];
}

TExpNode& TExpNode::Children(int index) const {
  if (index < 0 || index >= static_cast<int>(children_.size())) throw EListError(ListIndexMessage(index));
  return *children_[static_cast<size_t>(index)];
}

void TExpNode::Parse() {
  if (tokens_.size() < 2) return;
  // Every node of two or more tokens creates children; bounding the depth
  // here bounds the recursion of parsing, evaluating and freeing the tree.
  if (depth_ >= kMaxExpNesting) throw EKelParseException(kNestingTooDeepMessage);
  StripParentheses();
  if (tokens_.size() < 2) {
    if (tokens_.size() == 1) token_ = tokens_[0];
    return;
  }
  const int split = FindSplitOperator();
  if (split != -1) {
    SplitAt(split);
    return;
  }
  if (ParseFunction()) return;
  throw EKelParseException("Compile error: syntax fault.");
}

void TExpNode::StripParentheses() {
  // An opening parenthesis encloses the rest when the count that starts at
  // it does not come back to zero before the last token. That point is the
  // parenthesis that closes it, found for all of them in one pass, so that
  // thousands of redundant pairs cost linear time.
  const size_t n = tokens_.size();
  if (n < 2 || !IsOpenParen(tokens_[0]) || !IsCloseParen(tokens_[n - 1])) return;
  std::vector<size_t> closer(n, n);  // n: never closed
  std::vector<size_t> open;
  for (size_t i = 0; i < n; ++i) {
    if (IsOpenParen(tokens_[i])) {
      open.push_back(i);
    } else if (IsCloseParen(tokens_[i]) && !open.empty()) {
      closer[open.back()] = i;
      open.pop_back();
    }
  }
  size_t begin = 0, end = n;
  while (end - begin >= 2 && IsOpenParen(tokens_[begin]) && IsCloseParen(tokens_[end - 1])) {
    if (closer[begin] < end - 1) break;
    ++begin;
    --end;
  }
  if (begin > 0) {
    tokens_.erase(tokens_.begin() + static_cast<std::ptrdiff_t>(end), tokens_.end());
    tokens_.erase(tokens_.begin(), tokens_.begin() + static_cast<std::ptrdiff_t>(begin));
  }
}

int TExpNode::FindSplitOperator() const {
  int depth = 0;
  int best = -1;
  int bestRank = kExpOperatorCount + 1;
  for (size_t i = 0; i < tokens_.size(); ++i) {
    const TExpToken* t = tokens_[i];
    if (IsOpenParen(t)) {
      ++depth;
    } else if (IsCloseParen(t)) {
      if (--depth < 0) throw EKelParseException("Compile error: parenthesis mismatch.");
    } else if (depth == 0 && t->Kind == TExpTokenKind::etkOperator) {
      const int rank = LookupExpOperator(t->Text);
      if (rank < bestRank) {
        bestRank = rank;
        best = static_cast<int>(i);
      }
    }
  }
  return best;
}

void TExpNode::SplitAt(int index) {
  const TExpToken* op = tokens_[static_cast<size_t>(index)];
  // One-operand operators ("!" and NOT) get no node for an empty side.
  const bool oneOperand = ExpOperatorArity(LookupExpOperator(op->Text)) == 1;

  std::vector<const TExpToken*> after(tokens_.begin() + index + 1, tokens_.end());
  std::vector<const TExpToken*> before(tokens_.begin(), tokens_.begin() + index);
  tokens_.assign(1, op);
  token_ = op;

  // The side after the operator is made and parsed first, so its error wins
  // when both sides are faulty.
  if (!(oneOperand && after.empty())) {
    children_.insert(children_.begin(), std::make_unique<TExpNode>(owner_, std::move(after), this));
    children_.front()->Parse();
  }
  if (!(oneOperand && before.empty())) {
    children_.insert(children_.begin(), std::make_unique<TExpNode>(owner_, std::move(before), this));
    children_.front()->Parse();
  }
}

bool TExpNode::ParseFunction() {
  const size_t n = tokens_.size();
  if (n < 4 || tokens_[0]->Kind != TExpTokenKind::etkName || tokens_[1]->Kind != TExpTokenKind::etkParenthesis ||
      tokens_[n - 1]->Kind != TExpTokenKind::etkParenthesis) {
    return false;
  }
  token_ = tokens_[0];
  tokens_.pop_back();
  tokens_.erase(tokens_.begin() + 1);

  size_t pos = 1;
  const size_t count = tokens_.size();
  while (pos < count) {
    int depth = 0;
    size_t j = pos;
    bool delimiter = false;
    for (; j < count; ++j) {
      const TExpToken* t = tokens_[j];
      if (IsOpenParen(t)) {
        ++depth;
      } else if (IsCloseParen(t)) {
        if (--depth < 0) throw EKelParseException("Function parse error.");
      } else if (depth == 0 && t->Kind == TExpTokenKind::etkDelimiter) {
        delimiter = true;
        break;
      }
    }
    std::vector<const TExpToken*> arg(tokens_.begin() + static_cast<std::ptrdiff_t>(pos),
                                      tokens_.begin() + static_cast<std::ptrdiff_t>(j));
    children_.push_back(std::make_unique<TExpNode>(owner_, std::move(arg), this));
    children_.back()->Parse();
    pos = delimiter ? j + 1 : count;
  }
  tokens_.resize(1);
  return true;
}

}  // namespace qx
