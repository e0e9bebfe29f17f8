// Evaluation of syntax-tree nodes: literals, the name dispatch and the
// operators.
#include <charconv>
#include <cmath>
#include <string>

#include "expr/Builtins.h"
#include "expr/ExpNode.h"
#include "expr/PowerMath.h"
#include "expr/ValueRules.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

// Nesting of evaluations in progress (trees, user functions and built-ins
// calling back into the engine). Bounded so that no input can exhaust the
// stack; the engine runs on one thread at a time.
thread_local int g_evaluationDepth = 0;
constexpr int kMaxEvaluationDepth = 2 * kMaxExpNesting + 100;

class EvaluationDepthGuard {
 public:
  EvaluationDepthGuard() {
    if (++g_evaluationDepth > kMaxEvaluationDepth) {
      --g_evaluationDepth;
      throw EKelParseException(kNestingTooDeepMessage);
    }
  }
  ~EvaluationDepthGuard() { --g_evaluationDepth; }
  EvaluationDepthGuard(const EvaluationDepthGuard&) = delete;
  EvaluationDepthGuard& operator=(const EvaluationDepthGuard&) = delete;
};

bool SameAscii(std::string_view a, std::string_view upper) {
  if (a.size() != upper.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

// A number token: digits with one optional point (a lone point reads as 0).
// A token with further points (1.2.3) reads up to its second point: 1.2.
double ReadNumberToken(std::string_view text) {
  char buf[64];
  std::string big;
  char* out = buf;
  size_t used = 0;
  bool point = false;
  bool significant = false;  // a non-zero digit before the point
  const char decimal = Locale().DecimalSeparator;
  auto put = [&](char c) {
    if (used < sizeof(buf)) {
      out[used++] = c;
    } else {
      if (big.empty()) big.assign(buf, used);
      big.push_back(c);
      ++used;
    }
  };
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (!point && c != '0') significant = true;
      put(c);
    } else if (c == '.' || c == decimal) {
      if (point) break;
      point = true;
      put('.');
    } else {
      break;
    }
  }
  std::string_view digits = big.empty() ? std::string_view(buf, used) : std::string_view(big);
  if (digits.empty() || digits == ".") return 0.0;
  double value = 0;
  const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
  if (res.ec == std::errc::result_out_of_range) {
    if (significant) throw EOverflow("Floating point overflow");
    return 0.0;  // too small for a double
  }
  if (res.ec != std::errc()) return 0.0;
  return value;
}

void TExpNode::Evaluate(Variant& value) {
  if (token_ == nullptr || tokens_.empty()) {
    value.SetNull();
    return;
  }
  switch (token_->Kind) {
    case TExpTokenKind::etkNumber:
      if (!numberRead_) {
        number_ = ReadNumberToken(token_->Text);
        numberRead_ = true;
      }
      value = Variant(number_);
      return;
    case TExpTokenKind::etkName: {
      EvaluationDepthGuard guard;
      EvaluateNameNode(value);
      return;
    }
    case TExpTokenKind::etkOperator: {
      EvaluationDepthGuard guard;
      EvaluateOperator(value);
      return;
    }
    default:
      value = Variant(token_->Text);
      return;
  }
}

void TExpNode::EvaluateNameNode(Variant& value) {
  if (nameClass_ == NameClass::Unknown) {
    const std::string_view name = token_->Text;
    if (SameAscii(name, "GETDATE") || SameAscii(name, "NOW")) {
      nameClass_ = NameClass::Now;
    } else if (children_.empty()) {
      nameClass_ = NameClass::Other;  // a bare word is always a name
    } else if ((builtin_ = FindBuiltinFunction(name)) != nullptr) {
      nameClass_ = NameClass::Builtin;
    } else {
      nameClass_ = NameClass::Other;
    }
  }
  switch (nameClass_) {
    case NameClass::Now:
      value = Variant::FromDate(Now());
      return;
    case NameClass::Builtin:
      value = Variant(token_->Text);
      builtin_(*this, value);
      return;
    default:
      EvaluateName(value);
      return;
  }
}

void TExpNode::EvaluateName(Variant& value) {
  const std::string& text = token_->Text;
  if (children_.size() > static_cast<size_t>(kEvalArgCount)) {
    throw EKelParseException("Function \"" + text + "\" is called with " + std::to_string(children_.size()) +
                             " arguments; at most " + std::to_string(kEvalArgCount) + " are allowed.");
  }
  std::string_view name = text;
  if (!name.empty() && name.front() == '[') name.remove_prefix(1);
  if (!name.empty() && name.back() == ']') name.remove_suffix(1);
  value = Variant(name);

  TEvalArgs args;
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Evaluate(args[i]);
  if (owner_ != nullptr) owner_->ResolveNodeName(*this, text, args, value);
}

void TExpNode::EvaluateOperator(Variant& value) {
  const int op = LookupExpOperator(token_->Text);
  if (ExpOperatorArity(op) != static_cast<int>(children_.size())) {
    throw EKelParseException("Calculate error: syntax tree fault.");
  }
  if (op == eopNone) {
    // An operator run the table does not hold, standing alone: nothing to
    // compute, the value is its text.
    value = Variant(token_->Text);
    return;
  }
  TExpNode& left = *children_[0];
  switch (op) {
    case eopAdd: {
      Variant l, r;
      left.Evaluate(l);
      children_[1]->Evaluate(r);
      if (l.IsAnyText() != r.IsAnyText()) {
        std::string s = ValueToText(l);
        s += ValueToText(r);
        value = Variant(std::move(s));
      } else {
        value = AddValues(l, r);
      }
      return;
    }
    case eopSubtract:
    case eopMultiply:
    case eopDivide:
    case eopPower: {
      const Variant l = NumericOperand(left);
      const Variant r = NumericOperand(*children_[1]);
      switch (op) {
        case eopSubtract: value = SubtractValues(l, r); return;
        case eopMultiply: value = MultiplyValues(l, r); return;
        case eopDivide: value = DivideValues(l, r); return;
        default: value = Variant(RaiseToPower(VarToReal(l), VarToReal(r))); return;
      }
    }
    case eopFactorial: {
      const double n = VarToReal(NumericOperand(left));
      value = Factorial(VarToInteger(Variant(n)));
      return;
    }
    case eopNot: {
      Variant l;
      left.Evaluate(l);
      value = NotValue(l);
      return;
    }
    default:
      break;
  }
  Variant l, r;
  left.Evaluate(l);
  children_[1]->Evaluate(r);
  switch (op) {
    case eopAnd: value = AndValues(l, r); return;
    case eopOr: value = OrValues(l, r); return;
    default: break;
  }
  const TCompareResult c = CompareValues(l, r);
  bool result = false;
  switch (op) {
    case eopEqual: result = (c == crEqual); break;
    case eopLess: result = (c == crLess); break;
    case eopGreater: result = (c == crGreater); break;
    case eopLessEqual: result = (c != crGreater); break;
    case eopGreaterEqual: result = (c != crLess); break;
    default: result = (c != crEqual); break;  // "<>", "!="
  }
  value = Variant(result);
}

}  // namespace qx
