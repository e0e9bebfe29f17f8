// Date and time functions: GETDATE, NOW, DATEPART, TIMEPART, YEAR ... SECOND.
#include <cmath>

#include "expr/ExpNode.h"
#include "expr/FuncRows.h"
#include "expr/Functions.h"
#include "platform/DateUtils.h"
#include "platform/Exceptions.h"
#include "platform/VarConvert.h"

namespace qx {

namespace {

// Children are ignored and not evaluated.
void GetDate(TExpNode&, Variant& r) { r = Variant::FromDate(Now()); }

void DatePart(const FuncArgs& a, Variant& r) { r = Variant(std::trunc(a.Real(0))); }
void TimePart(const FuncArgs& a, Variant& r) { r = Variant(a.Real(0) - std::trunc(a.Real(0))); }

template <char Letter>
void PartOf(const FuncArgs& a, Variant& r) {
  r = Variant(DatePartOf(Letter, a.Value(0)));
}

constexpr FuncRow kRows[] = {
    {"GETDATE", "", "", nullptr, -1, GetDate},
    {"NOW", "", "", nullptr, -1, GetDate},
    {"DATEPART", "0", "r", DatePart},
    {"TIMEPART", "0", "r", TimePart},
    {"YEAR", "0", "v", PartOf<'y'>},
    {"MONTH", "0", "v", PartOf<'m'>},
    {"DAY", "0", "v", PartOf<'d'>},
    {"HOUR", "0", "v", PartOf<'h'>},
    {"MINUTE", "0", "v", PartOf<'n'>},
    {"SECOND", "0", "v", PartOf<'s'>},
};
constexpr auto kEntries = FuncEntries<kRows>();

}  // namespace

int32_t DatePartOf(char letter, const Variant& x) {
  const double d = x.IsAnyText() ? StrToDateText(VarToText(x)) : VarToReal(x);
  DateParts p;
  if (!DecodeDateTime(d, p)) throw EVariantTypeCastError(kInvalidVariantTypeConversion);
  switch (letter) {
    case 'y': return p.year;
    case 'm': return p.month;
    case 'd': return p.day;
    case 'h': return p.hour;
    case 'n': return p.minute;
    default: return p.second;
  }
}

std::span<const BuiltinEntry> DateFunctions() { return kEntries; }

}  // namespace qx
