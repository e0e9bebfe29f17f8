// Field decoding: type code + bytes -> value, cell type and alignment.
#include <gtest/gtest.h>

#include <cmath>

#include "AdtTestUtil.h"
#include "adt/FieldDecoder.h"
#include "platform/Exceptions.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using fixture::Bytes;
using namespace testing_adt;
using namespace adt;

struct DecodeCase {
  const char* name;
  uint8_t code;
  Bytes bytes;
  Variant expected;  // Empty: nothing delivered
  TKelCellType cellType;
  TAlignment alignment;
  uint32_t decimals = 0;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

Variant Null() { return Variant::Null(); }
Variant Date(double d) { return Variant::FromDate(d); }
Bytes Zeros(size_t n) { return Bytes(n, 0); }

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, DecodesTheFieldThroughTheReader) {
  const DecodeCase& c = GetParam();
  AdtTableWriter w;
  int f = w.AddField("F", c.code, static_cast<uint16_t>(c.bytes.size()), c.decimals);
  w.AddRecord().Set(f, c.bytes);
  auto t = LoadOnDemand(w.TableBytes());
  EXPECT_TRUE(t->reader->ReadRecord(0, 0));
  if (c.expected.IsEmpty()) {
    EXPECT_TRUE(t->rec.cells.empty());
    return;
  }
  ASSERT_EQ(t->rec.cells.size(), 1u);
  const Delivered& d = t->rec.cells[0];
  EXPECT_EQ(d.value, c.expected) << VarKindName(d.value.Kind()) << " vs " << VarKindName(c.expected.Kind());
  EXPECT_EQ(d.cellType, c.cellType);
  EXPECT_EQ(d.alignment, c.alignment);
  EXPECT_EQ(t->rec.statuses.size(), 1u);
}

const double kNoon = 0.5;

INSTANTIATE_TEST_SUITE_P(
    AllTypeCodes, DecodeTable,
    ::testing::Values(
        DecodeCase{"LogicalT", atLogical, {'T'}, Variant(true), ictBoolean, taLeftJustify},
        DecodeCase{"LogicalF", atLogical, {'F'}, Variant(false), ictBoolean, taLeftJustify},
        DecodeCase{"LogicalLowerT", atLogical, {'t'}, Variant(false), ictBoolean, taLeftJustify},
        DecodeCase{"LogicalY", atLogical, {'Y'}, Variant(false), ictBoolean, taLeftJustify},
        DecodeCase{"LogicalBlank", atLogical, {' '}, Null(), ictEmpty, taLeftJustify},
        DecodeCase{"LogicalZero", atLogical, {0}, Null(), ictEmpty, taLeftJustify},
        DecodeCase{"LogicalTwoBytesT", atLogical, {'T', ' '}, Variant(false), ictBoolean, taLeftJustify},
        DecodeCase{"NumericInteger", atNumeric, AdtBytes::Numeric("-42", 6), Variant(-42), ictDecimal, taRightJustify},
        DecodeCase{"NumericDecimals", atNumeric, AdtBytes::Numeric("12.50", 8), Variant(12.5), ictDecimal, taRightJustify, 2},
        DecodeCase{"NumericExponent", atNumeric, AdtBytes::Text(" 1.5e3", 8), Variant(1500.0), ictDecimal, taRightJustify, 1},
        DecodeCase{"NumericNoDigits", atNumeric, AdtBytes::Text("abc", 5), Variant(0), ictDecimal, taRightJustify},
        DecodeCase{"NumericPartly", atNumeric, AdtBytes::Text("12ab", 5), Variant(12), ictDecimal, taRightJustify},
        DecodeCase{"NumericStopsAtZeroByte", atNumeric, {'1', 0, '9'}, Variant(1), ictDecimal, taRightJustify},
        DecodeCase{"NumericBeyond32Bits", atNumeric, AdtBytes::Numeric("12345678901", 12), Variant(12345678901.0), ictDecimal, taRightJustify},
        DecodeCase{"NumericNanText", atNumeric, AdtBytes::Text("nan", 5), Variant(0.0), ictDecimal, taRightJustify, 2},
        DecodeCase{"NumericOverflow", atNumeric, AdtBytes::Text("1e999", 6), Null(), ictDecimal, taRightJustify, 2},
        DecodeCase{"DateY2K", atDate, AdtBytes::Int32(2451545), Date(36526), ictDateTime, taLeftJustify},
        DecodeCase{"DateNull", atDate, Zeros(4), Null(), ictDateTime, taLeftJustify},
        DecodeCase{"DateEightBytesChecked", atDate, AdtBytes::Hex("59 68 25 00 00 00 00 00"), Date(36526), ictDateTime, taLeftJustify},
        DecodeCase{"StringTrimmed", atString, AdtBytes::Text("  abc  ", 7), Variant("abc"), ictString, taLeftJustify},
        DecodeCase{"StringZeros", atString, Zeros(5), Variant(""), ictString, taLeftJustify},
        DecodeCase{"CompactDateLeap", atCompactDate, AdtBytes::Text("20240229", 8), Date(45351), ictDateTime, taLeftJustify},
        DecodeCase{"CompactDateInvalid", atCompactDate, AdtBytes::Text("20230229", 8), Null(), ictDateTime, taLeftJustify},
        DecodeCase{"CompactDateBlank", atCompactDate, AdtBytes::Text("", 8), Null(), ictDateTime, taLeftJustify},
        DecodeCase{"CompactDateLetters", atCompactDate, AdtBytes::Text("2024AB01", 8), Null(), ictDateTime, taLeftJustify},
        DecodeCase{"Double", atDouble, AdtBytes::Double(1.5), Variant(1.5), ictDecimal, taRightJustify},
        DecodeCase{"DoubleZeroIsZero", atDouble, Zeros(8), Variant(0.0), ictDecimal, taRightJustify},
        DecodeCase{"DoubleNullPattern", atDouble, AdtBytes::NullPattern8(), Null(), ictDecimal, taRightJustify},
        DecodeCase{"DoubleBlanksNull", atDouble, AdtBytes::Text("", 8), Null(), ictDecimal, taRightJustify},
        DecodeCase{"DoubleNaNIsNull", atDouble, AdtBytes::Double(std::nan("")), Null(), ictDecimal, taRightJustify},
        DecodeCase{"CurDoubleZero", atCurDouble, Zeros(8), Variant(0.0), ictDecimal, taRightJustify},
        DecodeCase{"CurDouble", atCurDouble, AdtBytes::Double(-2.25), Variant(-2.25), ictDecimal, taRightJustify},
        DecodeCase{"IntegerMinusOne", atInteger, AdtBytes::Hex("FF FF FF FF"), Variant(-1), ictInteger, taRightJustify},
        DecodeCase{"IntegerNull", atInteger, AdtBytes::Hex("00 00 00 80"), Null(), ictInteger, taRightJustify},
        DecodeCase{"IntegerZero", atInteger, Zeros(4), Variant(0), ictInteger, taRightJustify},
        DecodeCase{"AutoInc", atAutoInc, AdtBytes::Int32(99), Variant(99), ictInteger, taRightJustify},
        DecodeCase{"AutoIncNullPattern8", atAutoInc, AdtBytes::NullPattern8(), Null(), ictInteger, taRightJustify},
        DecodeCase{"ShortIntMinusOne", atShortInt, AdtBytes::Hex("FF FF"), Variant(-1), ictInteger, taRightJustify},
        DecodeCase{"ShortIntNull", atShortInt, AdtBytes::Hex("00 80"), Null(), ictInteger, taRightJustify},
        DecodeCase{"ShortInt12345", atShortInt, AdtBytes::Hex("39 30"), Variant(12345), ictInteger, taRightJustify},
        DecodeCase{"TimeNoon", atTime, AdtBytes::Int32(43200000), Date(kNoon), ictDateTime, taLeftJustify},
        DecodeCase{"TimeZeroNull", atTime, Zeros(4), Null(), ictDateTime, taLeftJustify},
        DecodeCase{"Time32ms", atTime, AdtBytes::Hex("20 00 00 00"), Date(32 / 86400000.0), ictDateTime, taLeftJustify},
        DecodeCase{"Time33ms", atTime, AdtBytes::Hex("21 00 00 00"), Date(33 / 86400000.0), ictDateTime, taLeftJustify},
        DecodeCase{"Time8192ms", atTime, AdtBytes::Hex("00 20 00 00"), Date(8192 / 86400000.0), ictDateTime, taLeftJustify},
        DecodeCase{"Time65536ms", atTime, AdtBytes::Hex("00 00 01 00"), Date(65536 / 86400000.0), ictDateTime, taLeftJustify},
        DecodeCase{"TimeStamp", atTimeStamp, AdtBytes::TimeStamp(2451545, 43200000), Date(36526.5), ictDateTime, taLeftJustify},
        DecodeCase{"TimeStampZeroDay", atTimeStamp, AdtBytes::TimeStamp(0, 43200000), Null(), ictDateTime, taLeftJustify},
        DecodeCase{"TimeStampBefore1900", atTimeStamp, AdtBytes::TimeStamp(2415018, 21600000), Date(-1.25), ictDateTime, taLeftJustify},
        DecodeCase{"ModTime", atModTime, AdtBytes::TimeStamp(2451545, 0), Date(36526), ictDateTime, taLeftJustify},
        DecodeCase{"MoneyOne", atMoney, AdtBytes::Hex("10 27 00 00 00 00 00 00"), Variant(1.0), ictDecimal, taRightJustify},
        DecodeCase{"MoneyAllEightBytes", atMoney, AdtBytes::Money(12000000000LL), Variant(1200000.0), ictDecimal, taRightJustify},
        DecodeCase{"MoneyNegative", atMoney, AdtBytes::Money(-123456), Variant(-12.3456), ictDecimal, taRightJustify},
        DecodeCase{"MoneyZeroIsZero", atMoney, Zeros(8), Variant(0.0), ictDecimal, taRightJustify},
        DecodeCase{"MoneyNullPattern", atMoney, AdtBytes::NullPattern8(), Null(), ictDecimal, taRightJustify},
        DecodeCase{"MoneyBlanksNull", atMoney, AdtBytes::Text("", 8), Null(), ictDecimal, taRightJustify},
        DecodeCase{"MoneyEightCents", atMoney, AdtBytes::Money(800), Variant(0.08), ictDecimal, taRightJustify},
        DecodeCase{"MoneySixtyFourCents", atMoney, AdtBytes::Money(6400), Variant(0.64), ictDecimal, taRightJustify},
        DecodeCase{"MoneyBlanksAndZerosNull", atMoney, AdtBytes::Hex("20 00 20 00 00 00 00 00"), Null(), ictDecimal, taRightJustify},
        DecodeCase{"LongLongAlwaysNull", atLongLong, AdtBytes::Int64(5), Null(), ictInteger, taRightJustify},
        DecodeCase{"RowVersionAlwaysNull", atRowVersion, AdtBytes::Int64(5), Null(), ictInteger, taRightJustify},
        DecodeCase{"NChar", atNChar, AdtBytes::Wide(u"AB", 8), Variant("AB"), ictString, taLeftJustify},
        DecodeCase{"NVarCharOddByteDropped", atNVarChar, AdtBytes::Hex("41 00 E9 00 43"), Variant("A\xE9"), ictString, taLeftJustify},
        DecodeCase{"Raw", atRaw, AdtBytes::Text(" x ", 4), Variant("x"), ictString, taLeftJustify},
        DecodeCase{"CIString", atCIString, AdtBytes::Text("Ab", 6), Variant("Ab"), ictString, taLeftJustify},
        DecodeCase{"Code0", atUnknown, AdtBytes::Text("u", 2), Variant("u"), ictString, taLeftJustify},
        DecodeCase{"Code23", 23, AdtBytes::Text("t", 2), Variant("t"), ictString, taLeftJustify},
        DecodeCase{"Code99", 99, AdtBytes::Text("n", 2), Variant("n"), ictString, taLeftJustify},
        DecodeCase{"MemoLengthZero", atMemo, AdtBytes::Hex("05 00 00 00 00 00 00 00 00"), Null(), ictEmpty, taLeftJustify},
        DecodeCase{"MemoFieldLengthZero", atMemo, Bytes{}, Variant(), ictEmpty, taLeftJustify}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

TEST(Decode, FieldWidthsOtherThanTheTypesAreReadWithZeroPadding) {
  // A 2-byte Integer holds only the low bytes; a 6-byte ShortInt reads its
  // first two; a 3-byte Double is padded with zero bytes.
  AdtField f{atInteger, 5, 2, 0};
  Variant v;
  std::u16string scratch;
  uint8_t two[2] = {0x34, 0x12};
  DecodeField(f, two, v, scratch);
  EXPECT_EQ(v, Variant(0x1234));
  f = {atShortInt, 5, 6, 0};
  uint8_t six[6] = {0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
  DecodeField(f, six, v, scratch);
  EXPECT_EQ(v, Variant(1));
  f = {atMoney, 5, 4, 0};
  uint8_t four[4] = {0x10, 0x27, 0, 0};
  DecodeField(f, four, v, scratch);
  EXPECT_EQ(v, Variant(1.0));
}

TEST(Decode, TimeStampWithImpossibleDayFailsTheRecordAndStopsDelivery) {
  AdtTableWriter w;
  int a = w.AddField("A", atInteger, 4);
  int ts = w.AddField("TS", atTimeStamp, 8);
  int b = w.AddField("B", atInteger, 4);
  w.AddRecord().Set(a, AdtBytes::Int32(1)).Set(ts, AdtBytes::TimeStamp(2147483647, 0)).Set(b, AdtBytes::Int32(2));
  auto t = LoadOnDemand(w.TableBytes());
  try {
    t->reader->ReadRecord(0, 0);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid argument to date encode");
  }
  ASSERT_EQ(t->rec.cells.size(), 1u);  // only field A
  EXPECT_TRUE(t->rec.statuses.empty());
}

TEST(Decode, NumberReading) {
  struct Case { const char* text; bool dec; Variant expected; };
  for (const Case& c : {Case{"  +7", false, Variant(7)}, Case{"-", false, Variant(0)}, Case{"00000000000000000000042", false, Variant(42)},
                        Case{"2147483648", false, Variant(2147483648.0)}, Case{"-2147483648", false, Variant(-2147483647 - 1)},
                        Case{".5", true, Variant(0.5)}, Case{"-0.25x", true, Variant(-0.25)}, Case{"1e", true, Variant(1.0)},
                        Case{"3.7", false, Variant(3)}, Case{"--1", true, Variant(0.0)}, Case{"1e-999", true, Variant(0.0)},
                        Case{"inf", true, Variant(0.0)}})
    EXPECT_EQ(ReadAdtNumber(c.text, c.dec), c.expected) << c.text;
}

}  // namespace
}  // namespace qx
