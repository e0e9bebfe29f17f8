#include <gtest/gtest.h>

#include "platform/Variant.h"

namespace qx {
namespace {

TEST(Variant, KindsAndCopies) {
  Variant empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_NE(empty, Variant::Null());
  Variant text(std::string("abc"));
  Variant copy = text;
  copy.MutableText() += "d";
  EXPECT_EQ(text.AsText(), "abc");
  EXPECT_EQ(Variant(int32_t{5}).Kind(), VarKind::Integer);
  EXPECT_EQ(Variant(2.5).Kind(), VarKind::Real);
  EXPECT_EQ(Variant::FromDate(1.5).Kind(), VarKind::Date);
  EXPECT_EQ(Variant::FromCurrencyRaw(12345).AsCurrency().raw, 12345);
  EXPECT_EQ(Variant(true).Kind(), VarKind::Boolean);
  EXPECT_EQ(Variant(std::u16string(u"x")).Kind(), VarKind::WideText);
  EXPECT_EQ(Variant(ByteArray{1, 2}).Kind(), VarKind::Bytes);
  EXPECT_NE(Variant(1.0), Variant::FromDate(1.0));
}

}  // namespace
}  // namespace qx
