// Aggregate functions: SUM, AVG, MAX, MIN, COUNT, COALESCE. They walk their
// arguments from the first to the last.
#include "expr/ExpNode.h"
#include "expr/FuncRows.h"
#include "expr/ValueRules.h"

namespace qx {

namespace {

Variant SumOf(TExpNode& node) {
  Variant sum(int32_t{0});
  for (int k = 0; k < node.ChildCount(); ++k) {
    Variant v;
    node.EvaluateChild(k, v);
    sum = AddValues(sum, v);
  }
  return sum;
}

void Sum(TExpNode& node, Variant& r) { r = SumOf(node); }

void Avg(TExpNode& node, Variant& r) {
  const Variant sum = SumOf(node);
  r = DivideValues(sum, Variant(static_cast<int32_t>(node.ChildCount())));
}

// Starts from the integer 0, so MAX of values all below 0 is 0.
void Max(TExpNode& node, Variant& r) {
  Variant best(int32_t{0});
  for (int k = 0; k < node.ChildCount(); ++k) {
    Variant v;
    node.EvaluateChild(k, v);
    if (CompareValues(best, v) == crLess) best = std::move(v);
  }
  r = std::move(best);
}

// Starts from Null, and a Null running value is replaced by the next
// argument unconditionally: MIN(3, Null, 5) is 5, MIN(3, Null) is Null.
void Min(TExpNode& node, Variant& r) {
  Variant best = Variant::Null();
  for (int k = 0; k < node.ChildCount(); ++k) {
    Variant v;
    node.EvaluateChild(k, v);
    if (best.IsNull() || CompareValues(best, v) == crGreater) best = std::move(v);
  }
  r = std::move(best);
}

// One less than the number of arguments, which are not evaluated.
void Count(TExpNode& node, Variant& r) { r = Variant(static_cast<int32_t>(node.ChildCount() - 1)); }

void Coalesce(TExpNode& node, Variant& r) {
  for (int k = 0; k < node.ChildCount(); ++k) {
    Variant v;
    node.EvaluateChild(k, v);
    if (!v.IsEmptyOrNull() && !ValueToText(v).empty()) {
      r = std::move(v);
      return;
    }
  }
  r = Variant::Null();
}

constexpr FuncRow kRows[] = {
    {"SUM", "", "", nullptr, -1, Sum},
    {"AVG", "", "", nullptr, -1, Avg},
    {"MAX", "", "", nullptr, -1, Max},
    {"MIN", "", "", nullptr, -1, Min},
    {"COUNT", "", "", nullptr, -1, Count},
    {"COALESCE", "", "", nullptr, -1, Coalesce},
};
constexpr auto kEntries = FuncEntries<kRows>();

}  // namespace

std::span<const BuiltinEntry> AggregateFunctions() { return kEntries; }

}  // namespace qx
