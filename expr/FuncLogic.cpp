// Tests and conditions: IIF, ISNULL, ISNUMERIC, ISALPHA, ISCONTAIN,
// ISSTARTSWITH, ISENDSWITH.
#include "expr/ExpNode.h"
#include "expr/FuncRows.h"
#include "expr/TextConv.h"
#include "expr/ValueRules.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

// Only the chosen argument is evaluated.
void Iif(TExpNode& node, Variant& r) {
  Variant condition;
  node.EvaluateChild(0, condition);
  node.EvaluateChild(VarToBoolean(condition) ? 1 : 2, r);
}

void IsNull(const FuncArgs& a, Variant& r) {
  const Variant& v = a.Value(0);
  r = Variant(v.IsEmptyOrNull() || ValueToText(v).empty());
}
void IsNumeric(const FuncArgs& a, Variant& r) { r = Variant(IsDigitText(a.Text(0))); }
void IsAlpha(const FuncArgs& a, Variant& r) { r = Variant(IsLetterText(a.Text(0))); }
void IsContain(const FuncArgs& a, Variant& r) {
  const std::string& sub = a.Text(0);
  r = Variant(!sub.empty() && a.Text(1).find(sub) != std::string::npos);
}
void IsStartsWith(const FuncArgs& a, Variant& r) { r = Variant(a.Text(1).starts_with(a.Text(0))); }
void IsEndsWith(const FuncArgs& a, Variant& r) { r = Variant(a.Text(1).ends_with(a.Text(0))); }

constexpr FuncRow kRows[] = {
    {"IIF", "", "", nullptr, -1, Iif},
    {"ISNULL", "0", "v", IsNull},
    {"ISNUMERIC", "0", "t", IsNumeric},
    {"ISALPHA", "0", "t", IsAlpha},
    {"ISCONTAIN", "10", "tt", IsContain},
    {"ISSTARTSWITH", "01", "tt", IsStartsWith},
    {"ISENDSWITH", "01", "tt", IsEndsWith},
};
constexpr auto kEntries = FuncEntries<kRows>();

}  // namespace

std::span<const BuiltinEntry> LogicFunctions() { return kEntries; }

}  // namespace qx
