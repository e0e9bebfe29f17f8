#include "expr/FuncRows.h"

#include "expr/ExpNode.h"
#include "expr/ValueRules.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

Variant Convert(char conv, Variant v) {
  switch (conv) {
    case 't': return v.IsText() ? std::move(v) : Variant(ValueToText(v));
    case 'i': return Variant(VarToInteger(v));
    case 'r': return Variant(VarToReal(v));
    case 'b': return Variant(VarToBoolean(v));
    case 'c': {
      const char c = v.IsText() && !v.AsText().empty() ? v.AsText()[0] : ' ';
      return Variant(std::string(1, c));
    }
    default: return v;
  }
}

}  // namespace

void RunFuncRow(const FuncRow& row, TExpNode& node, Variant& value) {
  FuncArgs args;
  for (char digit : row.Order) {
    const int k = digit - '0';
    if (row.Optional >= 0 && k >= row.Optional && k >= node.ChildCount()) continue;
    Variant v;
    node.EvaluateChild(k, v);
    args.Set(k, Convert(row.Conv[static_cast<size_t>(k)], std::move(v)));
  }
  row.Impl(args, value);
}

}  // namespace qx
