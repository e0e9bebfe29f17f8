#pragma once
// Syntax tree of the expression language. A node covers a slice of the
// token list and is built top-down by splitting: a one-token node is a leaf;
// a node with an operator outside parentheses is split at its loosest
// operator (lowest position in ExpOperators, leftmost on ties) into the
// operand before and the operand after; a node shaped NAME ( args ) becomes a
// function node with one child per argument.
//
// Shapes after Parse:
//   leaf           one token (any kind), no children
//   empty node     no token, no children (evaluates to Null)
//   operator node  Token = the operator; children [before, after]. For the
//                  one-operand operators "!" and NOT an empty side gets no
//                  node, so NOT(x) and 5! have their operand as only child.
//   function node  Token = the name; one child per argument (at least one)
//
// A node owns its children; tokens belong to the TExpParser the tree was
// built from. Names are resolved through the tree's owner.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "expr/ExpTokenizer.h"
#include "platform/Variant.h"

namespace qx {

class TExpNode;

// Arguments handed over with a name: always 11 entries, unused ones Empty.
inline constexpr int kEvalArgCount = 11;
using TEvalArgs = std::array<Variant, kEvalArgCount>;

// Deepest syntax tree, and deepest nesting of evaluations (user functions
// included), that the engine accepts. Deeper input raises EKelParseException
// kNestingTooDeepMessage instead of exhausting the stack.
inline constexpr int kMaxExpNesting = 400;
inline constexpr const char* kNestingTooDeepMessage = "Compile error: expression nested too deeply.";

// The object a tree was built for (the parser component or a user-defined
// function). Names the evaluation does not handle itself go to it.
class TExpNodeOwner {
 public:
  virtual ~TExpNodeOwner() = default;
  // eval: the name's token text as written (quotes and brackets included);
  // args: the evaluated arguments; value: on entry the name without one
  // leading "[" and one trailing "]", on return the name's value.
  virtual void ResolveNodeName(TExpNode& node, const std::string& eval, const TEvalArgs& args, Variant& value) = 0;
};

class TExpNode {
 public:
  TExpNode(TExpNodeOwner* owner, std::vector<const TExpToken*> tokens, TExpNode* parent);
  TExpNode(const TExpNode&) = delete;
  TExpNode& operator=(const TExpNode&) = delete;
  ~TExpNode();

  // Builds the subtree from the node's tokens. Raises EKelParseException
  // "Compile error: syntax fault.", "Compile error: parenthesis mismatch.",
  // "Function parse error." (or kNestingTooDeepMessage).
  void Parse();
  // The steps of Parse.
  void StripParentheses();
  int FindSplitOperator() const;  // token index, or -1
  void SplitAt(int index);
  bool ParseFunction();

  // Replaces value with the value of the node (operators, literals, name
  // dispatch, built-in functions). Errors pass out unchanged.
  void Evaluate(Variant& value);
  // Hands the node's name and its evaluated children to the owner. More than
  // 11 children raise EKelParseException (the argument array has 11 entries).
  void EvaluateName(Variant& value);

  TExpNodeOwner* Owner() const { return owner_; }
  TExpNode* Parent() const { return parent_; }
  const TExpToken* Token() const { return token_; }
  int TokenCount() const { return static_cast<int>(tokens_.size()); }
  // Token by index; outside the list raises EListError like Children.
  const TExpToken* Tokens(int index) const;
  int ChildCount() const { return static_cast<int>(children_.size()); }
  // Child by index; outside the list raises EListError
  // "List index out of bounds (%d)" with the index.
  TExpNode& Children(int index) const;
  // Evaluate of child index (same range check).
  void EvaluateChild(int index, Variant& value) const { Children(index).Evaluate(value); }
  // Depth below the root (0 for the root).
  int Depth() const { return depth_; }

 private:
  enum class NameClass : unsigned char { Unknown, Now, Builtin, Other };
  void EvaluateOperator(Variant& value);
  void EvaluateNameNode(Variant& value);

  TExpNodeOwner* owner_;
  TExpNode* parent_;
  int depth_;
  const TExpToken* token_ = nullptr;
  std::vector<const TExpToken*> tokens_;
  std::vector<std::unique_ptr<TExpNode>> children_;
  // The name dispatch of a word node, found at its first evaluation (the set
  // of built-in names is fixed, so this never changes afterwards).
  NameClass nameClass_ = NameClass::Unknown;
  bool numberRead_ = false;  // number_ holds the value of a number leaf
  double number_ = 0;
  void (*builtin_)(TExpNode&, Variant&) = nullptr;
};

}  // namespace qx
