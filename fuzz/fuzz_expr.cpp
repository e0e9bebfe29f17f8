// Fuzz target of the expression engine: arbitrary expression texts, and
// arbitrary user-function headers, through the parser component.
//
// Input: an optional header line ("header\n") that is added to the user
// functions for this run, then the expression. Names are resolved by a
// handler that gives them values of every kind, so that the value rules
// meet every pair of kinds. Errors of the engine (qx::Exception) are
// expected; anything else, a crash or a sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/KelParser.h"
#include "platform/Exceptions.h"

namespace {

void ResolveForFuzz(qx::TKelParser&, const std::string& eval, const qx::TEvalArgs& args, int, bool isChild,
                    qx::Variant& value, bool& done) {
  if (eval.empty()) return;
  const int n = static_cast<int>(eval.size() % 100000) * (isChild ? 7 : -3);
  const int m = n < 0 ? -n : n;
  done = true;
  switch (eval[0]) {
    case 'i': value = qx::Variant(static_cast<int32_t>(n)); break;
    // Near the largest values: n may be negative, so step down by its size.
    case 'I': value = qx::Variant(static_cast<int32_t>(INT32_MAX - m)); break;
    case 'r': value = qx::Variant(n / 4.0); break;
    case 'c': value = qx::Variant::FromCurrencyRaw(static_cast<int64_t>(n) * 12345); break;
    case 'C': value = qx::Variant::FromCurrencyRaw(INT64_MAX - m); break;
    case 'd': value = qx::Variant::FromDate(45000.25 + n); break;
    case 'b': value = qx::Variant(n % 2 == 0); break;
    case 'n': value = qx::Variant::Null(); break;
    case 'e': value = qx::Variant(); break;
    case 'w': value = qx::Variant(std::u16string(u"w\u00e9")); break;
    case 'y': value = qx::Variant(qx::ByteArray{1, 2}); break;
    case 'a': value = args[0]; break;
    case '"':
      if (eval.size() >= 2 && eval.back() == '"') value = qx::Variant(eval.substr(1, eval.size() - 2));
      break;
    default: done = false; break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string expression = input;
  const int before = qx::ParserFunctions().Count();
  const size_t newline = input.find('\n');
  if (newline != std::string::npos) {
    expression = input.substr(newline + 1);
    try {
      qx::ParserFunctions().Add(input.substr(0, newline));
    } catch (const qx::Exception&) {
    }
  }
  for (int round = 0; round < 2; ++round) {
    qx::TKelParser parser;
    parser.Text = expression;
    parser.ProcessBeforeEvent = (size % 2) == 1;
    parser.KeepParsedTree = true;
    if (round == 0) parser.OnEvaluate = ResolveForFuzz;
    try {
      parser.Calculate();
      parser.Calculate();  // the kept tree, evaluated again
    } catch (const qx::Exception&) {
    }
  }
  while (qx::ParserFunctions().Count() > before) qx::ParserFunctions().Delete(qx::ParserFunctions().Count() - 1);
  return 0;
}
