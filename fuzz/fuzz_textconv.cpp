// Arbitrary texts through the text readers and the value conversions. No
// crash, the raising and the non-raising readers agree, and whatever a
// reader accepts is written and read again to the same value. The first
// byte picks the locale settings, the rest is the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "expr/Functions.h"
#include "expr/TextConv.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"
#include "platform/VarConvert.h"

using namespace qx;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void SetLocale(uint8_t pick) {
  LocaleSettings s;
  switch (pick % 4) {
    case 1:
      s.DecimalSeparator = ',';
      s.ThousandSeparator = '.';
      s.DateSeparator = '.';
      s.ShortDateFormat = "dd/MM/yyyy";
      s.TimeAMString = s.TimePMString = "";
      break;
    case 2:
      s.DecimalSeparator = ',';
      s.ThousandSeparator = ' ';
      s.DateSeparator = '-';
      s.TimeSeparator = '.';
      s.ShortDateFormat = "yyyy/MM/dd";
      s.CurrencyString = "kr";
      break;
    case 3:
      s.DateSeparator = ' ';
      s.ShortDateFormat = "d/MMM/yyyy";
      s.TimeAMString = "vorm.";
      s.TimePMString = "nachm.";
      break;
    default: break;
  }
  Locale() = s;
}

template <typename T, typename Try, typename Raise>
bool Agree(std::string_view text, T& value, Try try_read, Raise raise_read) {
  const bool ok = try_read(text, value);
  bool raised = false;
  try {
    const T again = raise_read(Variant(std::string(text)));
    Check(ok && again == value);
  } catch (const EVariantTypeCastError&) {
    raised = true;
  }
  Check(ok != raised);
  return ok;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const LocaleSettings saved = Locale();
  SetLocale(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  int32_t i = 0;
  if (Agree(text, i, TryTextToInteger, VarToInteger)) {
    int32_t back = 0;
    Check(TryTextToInteger(FormatInteger(i), back) && back == i);
  }
  double r = 0;
  const bool real_ok = TryTextToReal(text, r);
  try {
    const double again = VarToReal(Variant(std::string(text)));
    Check(real_ok && SameBits(again, r));
  } catch (const EVariantTypeCastError&) {
    Check(!real_ok);
  }
  if (real_ok) {
    double back = 0;
    Check(TryTextToReal(FormatReal(r), back) && SameBits(back, r));
  }
  Currency c;
  if (Agree(text, c, TryTextToCurrency, VarToCurrency)) {
    Currency back;
    Check(TryTextToCurrency(FormatCurrency(c), back) && back == c);
  }
  bool b = false;
  if (Agree(text, b, TryTextToBoolean, VarToBoolean)) {
    bool back = !b;
    Check(TryTextToBoolean(VarToText(Variant(b)), back) && back == b);
  }
  double dt = 0;
  if (Agree(text, dt, TryTextToDateTime, VarToDateTime)) {
    double back = 0;
    Check(TryTextToDateTime(FormatDateTime(dt), back) && SameBits(back, dt));
  }
  double date = 0;
  if (TryTextToDate(text, date)) {
    double back = 0;
    Check(TryTextToDate(FormatDate(date), back) && SameBits(back, date));
    Check(TryTextToDateTime(text, back) && SameBits(back, date));
  }
  for (VarKind k : {VarKind::Integer, VarKind::Real, VarKind::Currency, VarKind::Date, VarKind::Boolean,
                    VarKind::WideText, VarKind::Bytes}) {
    try {
      (void)VarChangeType(Variant(std::string(text)), k);
    } catch (const Exception&) {
    }
  }

  // The expression engine's own text steps.
  (void)IsNumberText(CleanNumberText(text));
  (void)LooksLikeDateTime(text);
  (void)IsDigitText(text);
  (void)IsLetterText(text);
  try {
    (void)StrToFloatText(text);
  } catch (const EConvertError&) {
  }
  int32_t si = 0;
  if (TryStrToIntText(text, si)) Check(StrToIntText(text) == si);
  const size_t bar = text.find('|');
  if (bar != std::string_view::npos) {
    try {
      (void)DateTimeFromText(text.substr(0, bar), text.substr(bar + 1), '/', ':', 2025);
    } catch (const EConvertError&) {
    }
  }
  Locale() = saved;
  return 0;
}
