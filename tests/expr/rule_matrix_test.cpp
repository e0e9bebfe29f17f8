// The value rules for every pair of kinds, per operator family. Rows are the
// left operand, columns the right one, in the order
//   N Null, E Empty, I integer 6, R real 2.5, C currency 1.5, D date-time 3,
//   T text "4", W text "x", B Boolean True.
// Cells: the kind of the result (n Null, i integer, r real, c currency,
// d date-time, t text, b Boolean, o compared without error) or the error
// (V "Invalid variant operation", X "Invalid variant type conversion").
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "expr/ValueRules.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

std::array<Variant, 9> Operands() {
  return {Variant::Null(), Variant(), Variant(int32_t{6}), Variant(2.5), Variant::FromCurrencyRaw(15000),
          Variant::FromDate(3), Variant(std::string("4")), Variant(std::string("x")), Variant(true)};
}
constexpr const char* kNames = "NEIRCDTWB";

char KindLetter(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Null: return 'n';
    case VarKind::Integer: return 'i';
    case VarKind::Real: return 'r';
    case VarKind::Currency: return 'c';
    case VarKind::Date: return 'd';
    case VarKind::Text: return 't';
    case VarKind::Boolean: return 'b';
    default: return '?';
  }
}

void CheckMatrix(const char* family, const std::function<char(const Variant&, const Variant&)>& op,
                 const std::array<const char*, 9>& rows) {
  const auto values = Operands();
  for (size_t a = 0; a < 9; ++a) {
    std::string got;
    for (size_t b = 0; b < 9; ++b) {
      try {
        got += op(values[a], values[b]);
      } catch (const EVariantInvalidOpError&) {
        got += 'V';
      } catch (const EVariantTypeCastError&) {
        got += 'X';
      } catch (const Exception&) {
        got += '!';
      }
    }
    EXPECT_EQ(got, rows[a]) << family << ", left operand " << kNames[a] << " (columns " << kNames << ")";
  }
}

TEST(RuleMatrix, Add) {
  CheckMatrix("add", [](const Variant& a, const Variant& b) { return KindLetter(AddValues(a, b)); },
              {
                  // NEIRCDTWB
                  "nVnnnnnnn",  // N
                  "VVVVVVVVV",  // E
                  "nVircdrXi",  // I
                  "nVrrcdrXr",  // R
                  "nVcccdcXc",  // C
                  "nVdddddXd",  // D
                  "nVrrcdttr",  // T
                  "nVXXXXttX",  // W
                  "nVircdrXr",  // B
              });
}

TEST(RuleMatrix, Compare) {
  CheckMatrix("compare",
              [](const Variant& a, const Variant& b) {
                CompareValues(a, b);
                return 'o';
              },
              {
                  // NEIRCDTWB
                  "oVooooooo",  // N
                  "VVVVVVVVV",  // E
                  "oVoooooXo",  // I
                  "oVoooooXo",  // R
                  "oVoooooXo",  // C
                  "oVoooooXo",  // D
                  "oVooooooo",  // T
                  "oVXXXXooX",  // W
                  "oVoooooXo",  // B
              });
}

TEST(RuleMatrix, And) {
  CheckMatrix("and", [](const Variant& a, const Variant& b) { return KindLetter(AndValues(a, b)); },
              {
                  // NEIRCDTWB
                  "nVnnnnnnn",  // N
                  "VVVVVVVVV",  // E
                  "nViiiiiXi",  // I
                  "nViiiiiXi",  // R
                  "nViiiiiXi",  // C
                  "nViiiiiXi",  // D
                  "nViiiiiXb",  // T
                  "nVXXXXXXX",  // W
                  "nViiiibXb",  // B
              });
}

}  // namespace
}  // namespace qx
