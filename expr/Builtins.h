#pragma once
// The hook between the name dispatch of the evaluation and the library of
// built-in functions.
//
// Contract:
// - A node NAME(args) (a word with at least one child) whose NAME is not
//   GETDATE or NOW is looked up with FindBuiltinFunction. When found, the
//   function is called with the node and the result variable and must set
//   the result; otherwise the name goes to TExpNode::EvaluateName (user
//   functions, the host's OnEvaluate).
// - A built-in function reads argument k as node.Children(k) (or
//   node.EvaluateChild(k, v)), which raises EListError
//   "List index out of bounds (%d)" for a missing argument. It evaluates its
//   arguments itself, in its own order, and may leave some unevaluated.
// - The value rules it shares with the operators are in expr/ValueRules.h
//   (NumericOperand, CompareValues, the arithmetic operations, ValueToText)
//   and expr/PowerMath.h (RaiseToPower).
// - Errors are thrown as the platform's exceptions; nothing is caught.
// - The lookup is made once per node (at its first evaluation) and cached
//   there, so the table must not change while the program runs.
//
// The table: BuiltinTable() returns every entry. Names are upper case ASCII
// and unique. The library defines BuiltinTable() (the file
// expr/BuiltinTable.cpp, which may gather one table per family of functions
// from their own source files); the version in place until then is empty.
#include <span>
#include <string_view>

#include "platform/Variant.h"

namespace qx {

class TExpNode;

using BuiltinFunction = void (*)(TExpNode& node, Variant& value);

struct BuiltinEntry {
  std::string_view Name;  // upper case
  BuiltinFunction Function;
};

std::span<const BuiltinEntry> BuiltinTable();

// The function of a name, compared without regard to ASCII letter case;
// nullptr when the name is not built in. Builds no strings.
BuiltinFunction FindBuiltinFunction(std::string_view name);

}  // namespace qx
