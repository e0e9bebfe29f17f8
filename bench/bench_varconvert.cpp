// Throughput of the value <-> text conversions that every transferred value
// goes through (value to text in the transfer, text back to the field type
// in the database engine). Prints conversions per second for each kind.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/DateUtils.h"
#include "platform/VarConvert.h"

using namespace qx;

namespace {

template <typename F>
void Measure(const char* name, size_t n, F&& f) {
  const auto start = std::chrono::steady_clock::now();
  size_t sink = 0;
  for (size_t i = 0; i < n; ++i) sink += f(i);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-28s %12.0f per second  (check %zu)\n", name, n / secs, sink);
}

}  // namespace

int main() {
  constexpr size_t kN = 1000000;
  std::mt19937_64 rng(1);
  std::vector<Variant> ints, reals, dates;
  std::uniform_real_distribution<double> money(-1e6, 1e6);
  for (size_t i = 0; i < kN; ++i) {
    ints.emplace_back(static_cast<int32_t>(rng()));
    reals.emplace_back(money(rng));
    DateParts p{static_cast<int>(1900 + rng() % 200), static_cast<int>(1 + rng() % 12), static_cast<int>(1 + rng() % 28),
                static_cast<int>(rng() % 24), static_cast<int>(rng() % 60), static_cast<int>(rng() % 60),
                static_cast<int>(rng() % 1000)};
    dates.push_back(Variant::FromDate(EncodeDateTime(p)));
  }
  std::vector<std::string> int_texts(kN), real_texts(kN), date_texts(kN);
  std::string out;
  Measure("VarToText integer", kN, [&](size_t i) { return (int_texts[i] = VarToText(ints[i])).size(); });
  Measure("VarToText real", kN, [&](size_t i) { return (real_texts[i] = VarToText(reals[i])).size(); });
  Measure("VarToText date-time", kN, [&](size_t i) { return (date_texts[i] = VarToText(dates[i])).size(); });
  Measure("AppendVarText real (reused)", kN, [&](size_t i) {
    out.clear();
    AppendVarText(reals[i], out);
    return out.size();
  });
  Measure("TryTextToInteger", kN, [&](size_t i) {
    int32_t v = 0;
    return static_cast<size_t>(TryTextToInteger(int_texts[i], v));
  });
  Measure("TryTextToReal", kN, [&](size_t i) {
    double v = 0;
    return static_cast<size_t>(TryTextToReal(real_texts[i], v));
  });
  Measure("TryTextToDateTime", kN, [&](size_t i) {
    double v = 0;
    return static_cast<size_t>(TryTextToDateTime(date_texts[i], v));
  });
  return 0;
}
