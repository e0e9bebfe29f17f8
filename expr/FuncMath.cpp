// Numeric functions: ABS, INT, FRAC, ROUND, DIV, MOD, POWER, EXP, LN, LOG,
// SQR, SQRT, PERCENT, RANDOM.
#include <cmath>

#include "expr/FuncRows.h"
#include "expr/Functions.h"
#include "expr/PowerMath.h"
#include "expr/ValueRules.h"
#include "platform/Exceptions.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

uint32_t g_randomSeed = 0;

uint32_t NextSeed() {
  g_randomSeed = g_randomSeed * 134775813u + 1u;
  return g_randomSeed;
}

[[noreturn]] void InvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

double NaturalLog(double x) {
  if (x == 0) throw EZeroDivide("Floating point division by zero");
  if (x < 0) InvalidOp();
  return std::log(x);
}

void Abs(const FuncArgs& a, Variant& r) { r = Variant(std::fabs(a.Real(0))); }
void Int(const FuncArgs& a, Variant& r) { r = Variant(std::trunc(a.Real(0))); }
void Frac(const FuncArgs& a, Variant& r) { r = Variant(a.Real(0) - std::trunc(a.Real(0))); }
void Round(const FuncArgs& a, Variant& r) {
  const double v = RoundHalfEven(a.Real(0));
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) InvalidOp();
  r = Variant(static_cast<int32_t>(v));
}
void Div(const FuncArgs& a, Variant& r) { r = IntDivideValues(a.Value(0), a.Value(1)); }
void Mod(const FuncArgs& a, Variant& r) { r = ModuloValues(a.Value(0), a.Value(1)); }
void Power(const FuncArgs& a, Variant& r) { r = Variant(RaiseToPower(a.Real(0), a.Real(1))); }
void Exp(const FuncArgs& a, Variant& r) { r = Variant(CheckReal(std::exp(a.Real(0)))); }
void Ln(const FuncArgs& a, Variant& r) { r = Variant(NaturalLog(a.Real(0))); }
void Log(const FuncArgs& a, Variant& r) { r = Variant(NaturalLog(a.Real(0)) / std::log(10.0)); }
void Sqr(const FuncArgs& a, Variant& r) { r = Variant(CheckReal(a.Real(0) * a.Real(0))); }
void Sqrt(const FuncArgs& a, Variant& r) {
  if (a.Real(0) < 0) InvalidOp();
  r = Variant(std::sqrt(a.Real(0)));
}
void Percent(const FuncArgs& a, Variant& r) {
  r = DivideValues(MultiplyValues(a.Value(0), a.Value(1)), Variant(int32_t{100}));
}
void Random(const FuncArgs& a, Variant& r) { r = Variant(NextRandom(a.Int(0))); }

constexpr FuncRow kRows[] = {
    {"ABS", "0", "r", Abs},
    {"INT", "0", "r", Int},
    {"FRAC", "0", "r", Frac},
    {"ROUND", "0", "r", Round},
    {"DIV", "01", "vv", Div},
    {"MOD", "01", "vv", Mod},
    {"POWER", "01", "rr", Power},
    {"EXP", "0", "r", Exp},
    {"LN", "0", "r", Ln},
    {"LOG", "0", "r", Log},
    {"SQR", "0", "r", Sqr},
    {"SQRT", "0", "r", Sqrt},
    {"PERCENT", "01", "vv", Percent},
    {"RANDOM", "0", "i", Random},
};
constexpr auto kEntries = FuncEntries<kRows>();

}  // namespace

int32_t NextRandom(int32_t n) {
  const uint64_t product = static_cast<uint64_t>(NextSeed()) * static_cast<uint32_t>(n);
  return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}

double NextRandomReal() { return NextSeed() / 4294967296.0; }

void SetRandomSeed(uint32_t seed) { g_randomSeed = seed; }

std::span<const BuiltinEntry> MathFunctions() { return kEntries; }

}  // namespace qx
