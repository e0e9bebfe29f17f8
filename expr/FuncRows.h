#pragma once
// The built-in functions as rows of tables, one table per family (text,
// conversion, date, math, logic, aggregate), each in its own source file.
//
// A row names the function, the order in which its arguments are evaluated
// (child indexes as digits, "210" = third, second, first), the conversion
// of each argument by index, and the implementation, which gets the
// converted arguments. Each argument is converted right after it is
// evaluated, so the first failing argument in evaluation order is the one
// reported. Reading a child the node does not have raises EListError
// "List index out of bounds (%d)" with its index. Functions that walk their
// arguments themselves (aggregates, IIF, COALESCE, COUNT, NOW) have a Raw
// implementation instead.
//
// Conversions: 'v' the value as evaluated; 't' its text (ValueToText);
// 'i' a 32-bit integer; 'r' a real; 'b' a Boolean (Null raises "Invalid
// variant type conversion" for these three); 'c' the first character of a
// non-empty text value, else a blank.
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "expr/Builtins.h"
#include "platform/Variant.h"

namespace qx {

inline constexpr int kMaxRowArgs = 5;

// The converted arguments of one call.
class FuncArgs {
 public:
  bool Has(int k) const { return present_[static_cast<size_t>(k)]; }
  const Variant& Value(int k) const { return v_[static_cast<size_t>(k)]; }
  const std::string& Text(int k) const { return v_[static_cast<size_t>(k)].AsText(); }
  int32_t Int(int k) const { return v_[static_cast<size_t>(k)].AsInteger(); }
  double Real(int k) const { return v_[static_cast<size_t>(k)].AsReal(); }
  bool Bool(int k) const { return v_[static_cast<size_t>(k)].AsBoolean(); }
  char Char(int k) const { return v_[static_cast<size_t>(k)].AsText()[0]; }
  void Set(int k, Variant v) {
    v_[static_cast<size_t>(k)] = std::move(v);
    present_[static_cast<size_t>(k)] = true;
  }

 private:
  std::array<Variant, kMaxRowArgs> v_;
  std::array<bool, kMaxRowArgs> present_{};
};

using FuncImpl = void (*)(const FuncArgs& args, Variant& result);

struct FuncRow {
  std::string_view Name;   // upper case
  std::string_view Order;  // evaluation order, child indexes as digits
  std::string_view Conv;   // conversion of argument k at position k
  FuncImpl Impl = nullptr;
  int Optional = -1;       // arguments from this index on may be missing
  BuiltinFunction Raw = nullptr;
};

// Evaluates and converts the row's arguments and calls its implementation.
void RunFuncRow(const FuncRow& row, TExpNode& node, Variant& value);

// The hook entries of a table of rows: one function per row that runs it.
template <const auto& Rows, size_t I>
void RunFuncRowAt(TExpNode& node, Variant& value) {
  RunFuncRow(Rows[I], node, value);
}

template <const auto& Rows, size_t... I>
constexpr std::array<BuiltinEntry, sizeof...(I)> FuncEntries(std::index_sequence<I...>) {
  return {BuiltinEntry{Rows[I].Name, Rows[I].Raw != nullptr ? Rows[I].Raw : &RunFuncRowAt<Rows, I>}...};
}

template <const auto& Rows>
constexpr auto FuncEntries() {
  return FuncEntries<Rows>(std::make_index_sequence<std::size(Rows)>());
}

// The families.
std::span<const BuiltinEntry> TextFunctions();
std::span<const BuiltinEntry> ConversionFunctions();
std::span<const BuiltinEntry> DateFunctions();
std::span<const BuiltinEntry> MathFunctions();
std::span<const BuiltinEntry> LogicFunctions();
std::span<const BuiltinEntry> AggregateFunctions();

}  // namespace qx
