#pragma once
// Helpers shared by the expression tests: a parser component whose handler
// gives test values to names, and error capture.
#include <ostream>
#include <string>

#include "expr/KelParser.h"
#include "platform/Exceptions.h"
#include "platform/Variant.h"

namespace qx {

// Readable Variants in test failures.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << VarKindName(v.Kind());
  if (v.Kind() == VarKind::Text) *os << " '" << v.AsText() << "'";
  if (v.Kind() == VarKind::Integer) *os << " " << v.AsInteger();
  if (v.Kind() == VarKind::Real) *os << " " << v.AsReal();
  if (v.Kind() == VarKind::Date) *os << " " << v.AsDate();
  if (v.Kind() == VarKind::Currency) *os << " raw " << v.AsCurrency().raw;
  if (v.Kind() == VarKind::Boolean) *os << (v.AsBoolean() ? " True" : " False");
}

}  // namespace qx

namespace qx::exprtest {

// Names the handler resolves (Done set), everything else is left alone:
//   'text'  the text between the quotes     null, empty   Null, Empty
//   true, false                             iN / imN      integer N / -N
//   cN / cmN  currency N / -N               dN            date-time N
//   wS        wide text S
inline bool TestValue(const std::string& eval, Variant& value) {
  if (eval.size() >= 2 && eval.front() == '\'' && eval.back() == '\'') {
    value = Variant(eval.substr(1, eval.size() - 2));
    return true;
  }
  if (eval == "null") { value = Variant::Null(); return true; }
  if (eval == "empty") { value = Variant(); return true; }
  if (eval == "true") { value = Variant(true); return true; }
  if (eval == "false") { value = Variant(false); return true; }
  if (eval.size() >= 2 && (eval[0] == 'i' || eval[0] == 'c' || eval[0] == 'd') &&
      ((eval[1] >= '0' && eval[1] <= '9') || eval[1] == 'm')) {
    const bool neg = eval[1] == 'm';
    const double n = std::stod(eval.substr(neg ? 2 : 1)) * (neg ? -1 : 1);
    if (eval[0] == 'i') value = Variant(static_cast<int32_t>(n));
    if (eval[0] == 'c') value = Variant::FromCurrencyRaw(static_cast<int64_t>(n * 10000));
    if (eval[0] == 'd') value = Variant::FromDate(n);
    return true;
  }
  if (eval.size() >= 1 && eval[0] == 'w') {
    std::u16string w;
    for (char c : eval.substr(1)) w.push_back(static_cast<char16_t>(c));
    value = Variant(w);
    return true;
  }
  return false;
}

inline Variant Calc(const std::string& text) {
  TKelParser p;
  p.Text = text;
  p.OnEvaluate = [](TKelParser&, const std::string& eval, const TEvalArgs&, int, bool, Variant& value, bool& done) {
    done = TestValue(eval, value);
  };
  return p.Calculate();
}

// The message of the error Calc raises, prefixed by its class name, or
// "(no error)".
inline std::string CalcError(const std::string& text) {
  try {
    Calc(text);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

}  // namespace qx::exprtest
