// Round trip of every field type through a new .mdb file, read back by
// mdbtools and by mdb-reader: each case is one row holding one value, all
// other fields Null (so Null is checked in every field as well).
#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

#include "MdbReaders.h"
#include "dbengine/mdb/MdbWriter.h"
#include "platform/CodePage.h"
#include "platform/DateUtils.h"

namespace qx::mdbtest {
namespace {

using mdb::FieldSpec;

const std::vector<FieldSpec> kFields = {
    {u"L", mdb::kColLong, 0},      {u"B", mdb::kColBoolean, 0}, {u"D", mdb::kColDouble, 0},
    {u"T", mdb::kColDateTime, 0},  {u"X", mdb::kColText, 255},  {u"M", mdb::kColMemo, 0},
    {u"O", mdb::kColOle, 0},       {u"Y", mdb::kColBinary, 255},
};
enum Col { L, B, D, T, X, M, O, Y };

struct Case {
  std::string label;
  int column;
  Variant value;
};

std::string Hex(const ByteArray& b) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (uint8_t c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

std::string JsonString(const std::string& utf8) {
  std::string s = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += char(c);
    } else if (c == '\t') {
      s += "\\t";
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      s += buf;
    } else {
      s += char(c);
    }
  }
  return s + "\"";
}

std::string ShortestDouble(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string ExpectedReader(const Case& c) {
  const Variant& v = c.value;
  if (c.column == B) return v.IsNull() ? "false" : (v.AsBoolean() ? "true" : "false");
  if (v.IsNull()) return "null";
  switch (c.column) {
    case L: return std::to_string(v.AsInteger());
    case D: return ShortestDouble(v.AsReal());
    case T: return MdbReaderDate(v.AsDate());
    case X: case M: return JsonString(v.IsWideText() ? WideToUtf8(v.AsWideText()) : AnsiToUtf8(v.AsText()));
    default: return "{\"hex\":\"" + Hex(v.AsBytes()) + "\"}";
  }
}

// What mdb-export prints; nullopt where mdbtools cannot show the value:
// dates before 1900 and in year 9999 (it prints "1900-01-00"), characters
// beyond U+FFFF (it prints "?" for each half of the pair) and Binary
// fields, which it prints as text up to the first zero byte. It prints
// an empty text like Null, and date-times rounded to the second.
std::optional<std::string> ExpectedTools(const Case& c) {
  const Variant& v = c.value;
  if (c.column == B) return v.IsNull() ? "0" : (v.AsBoolean() ? "1" : "0");
  if (v.IsNull()) return kNullText;
  switch (c.column) {
    case L: return std::to_string(v.AsInteger());
    case D: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.16g", v.AsReal());
      return std::string(buf);
    }
    case T: {
      DateParts p;
      if (v.AsDate() < 1 || !DecodeDateTime(v.AsDate(), p) || p.year == 9999) return std::nullopt;
      DecodeDateTime(std::round(v.AsDate() * 86400.0) / 86400.0, p);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                    p.second);
      return std::string(buf);
    }
    case X: case M: {
      std::string s = v.IsWideText() ? WideToUtf8(v.AsWideText()) : AnsiToUtf8(v.AsText());
      if (s.empty()) return kNullText;
      for (unsigned char ch : s)
        if (ch >= 0xF0) return std::nullopt;  // beyond U+FFFF
      std::string e;
      for (char ch : s) {
        if (ch == '\t') e += "\\t";
        else if (ch == '\\') e += "\\\\";
        else e += ch;
      }
      return e;
    }
    case O: {
      std::string h = Hex(v.AsBytes());
      for (auto& ch : h) ch = char(std::toupper(static_cast<unsigned char>(ch)));
      return h;
    }
    default: return std::nullopt;
  }
}

ByteArray Bytes(size_t n, int start = 0) {
  ByteArray b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t((start + i) % 256);
  return b;
}

std::vector<Case> Cases() {
  auto date = [](int y, int mo, int d, int h, int mi, int s, int ms) {
    return Variant::FromDate(EncodeDateTime({y, mo, d, h, mi, s, ms}));
  };
  std::string text255;
  for (int i = 0; i < 255; ++i) text255 += char('a' + i % 26);
  return {
      {"null row", L, Variant::Null()},
      {"long 0", L, Variant(0)},
      {"long max", L, Variant(INT32_MAX)},
      {"long min", L, Variant(INT32_MIN)},
      {"long -1", L, Variant(-1)},
      {"bool true", B, Variant(true)},
      {"bool false", B, Variant(false)},
      {"double 0.1+0.2", D, Variant(0.1 + 0.2)},
      {"double 5e-324", D, Variant(5e-324)},
      {"double max", D, Variant(1.7976931348623157e308)},
      {"double -2.5", D, Variant(-2.5)},
      {"date year 1", T, date(1, 1, 1, 0, 0, 0, 1)},
      {"date year 100", T, date(100, 3, 1, 12, 0, 0, 0)},
      {"date 1899-12-29 06:00", T, date(1899, 12, 29, 6, 0, 0, 0)},
      {"date 1899-12-30", T, date(1899, 12, 30, 0, 0, 0, 0)},
      {"date 1900-01-01 ms", T, date(1900, 1, 1, 12, 34, 56, 789)},
      {"date 2024-02-29", T, date(2024, 2, 29, 13, 14, 15, 500)},
      {"date 9999-12-31", T, date(9999, 12, 31, 23, 59, 59, 999)},
      {"text empty", X, Variant("")},
      {"text 2 chars", X, Variant("ab")},
      {"text latin-1", X, Variant(std::u16string(u"Gr\u00fc\u00dfe, \u00e9t\u00e9"))},
      {"text cyrillic", X, Variant(std::u16string(u"\u041c\u0438\u0440"))},
      {"text mixed beyond BMP", X, Variant(std::u16string(u"abc \u65e5\u672c \U0001F600"))},
      {"text quote tab backslash", X, Variant("a\"b\tc\\d")},
      {"text 255", X, Variant(text255)},
      {"memo 0", M, Variant("")},
      {"memo 1", M, Variant("x")},
      {"memo 1024 compressed", M, Variant(std::string(1024, 'c'))},
      {"memo 1025", M, Variant(std::string(1025, 'd'))},
      {"memo 2000", M, Variant(std::string(2000, 'e'))},
      {"memo 4072", M, Variant(std::string(4072, 'f'))},
      {"memo 4073", M, Variant(std::string(4073, 'g'))},
      {"memo 100000", M, Variant(std::string(99999, 'h') + "!")},
      {"memo greek", M, Variant(std::u16string(u"\u03b1\u03b2\u03b3 \u03b4"))},
      {"ole empty", O, Variant(ByteArray{})},
      {"ole 0..255", O, Variant(Bytes(256))},
      {"ole 64 inline", O, Variant(Bytes(64, 7))},
      {"ole 65", O, Variant(Bytes(65, 9))},
      {"ole 4072", O, Variant(Bytes(4072, 1))},
      {"ole 4076 single", O, Variant(Bytes(4076, 2))},
      {"ole 4077 chain", O, Variant(Bytes(4077, 3))},
      {"ole 100000", O, Variant(Bytes(100000, 5))},
      {"binary empty", Y, Variant(ByteArray{})},
      {"binary 0..127", Y, Variant(Bytes(128, 0))},
      {"binary 128..255", Y, Variant(Bytes(128, 128))},
  };
}

class MdbRoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = TempDir() + "/roundtrip.mdb";
    auto db = mdb::MdbDatabase::Create(path_);
    auto& t = db->CreateTable(u"RoundTrip", kFields);
    for (const auto& c : Cases()) {
      std::vector<Variant> row(kFields.size(), Variant::Null());
      row[c.column] = c.value;
      t.AppendRow(row);
    }
    db->Close();
  }
  static std::string path_;
};
std::string MdbRoundTrip::path_;

TEST_F(MdbRoundTrip, MdbReaderReadsEveryValue) {
  if (auto why = MdbReaderMissing(); !why.empty()) GTEST_SKIP() << why;
  ReaderTable t = ReadWithMdbReader(path_, "RoundTrip");
  const std::vector<std::pair<std::string, std::string>> columns = {
      {"L", "long"}, {"B", "boolean"}, {"D", "double"}, {"T", "datetime"},
      {"X", "text"}, {"M", "memo"},    {"O", "ole"},    {"Y", "binary"}};
  ASSERT_EQ(t.columns.size(), columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(t.columns[i].name, columns[i].first);
    EXPECT_EQ(t.columns[i].type, columns[i].second);
  }
  EXPECT_EQ(t.columns[X].size, 510);
  EXPECT_EQ(t.columns[Y].size, 255);
  auto cases = Cases();
  ASSERT_EQ(t.rows, int(cases.size()));
  for (size_t r = 0; r < cases.size(); ++r) {
    for (int c = 0; c < int(kFields.size()); ++c) {
      Case probe{cases[r].label, c, c == cases[r].column ? cases[r].value : Variant::Null()};
      EXPECT_EQ((t.cells[{int(r), c}]), ExpectedReader(probe)) << cases[r].label << ", column " << c;
    }
  }
}

TEST_F(MdbRoundTrip, MdbToolsReadsEveryValue) {
  if (auto why = MdbToolsMissing(); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(TablesWithMdbTools(path_), std::vector<std::string>{"RoundTrip"});
  std::string schema = SchemaWithMdbTools(path_, "RoundTrip");
  for (const char* column : {"[L]\t\t\tLong Integer,", "[B]\t\t\tBoolean NOT NULL,", "[D]\t\t\tDouble,",
                             "[T]\t\t\tDateTime,", "[X]\t\t\tText (255),", "[M]\t\t\tMemo/Hyperlink (255),",
                             "[O]\t\t\tOLE (255),", "[Y]\t\t\tBinary\n"})
    EXPECT_NE(schema.find(column), std::string::npos) << column << " in\n" << schema;
  auto cases = Cases();
  EXPECT_EQ(CountWithMdbTools(path_, "RoundTrip"), (long long)cases.size());
  ReaderTable t = ReadWithMdbTools(path_, "RoundTrip");
  ASSERT_EQ(t.rows, int(cases.size()));
  for (size_t r = 0; r < cases.size(); ++r) {
    for (int c = 0; c < int(kFields.size()); ++c) {
      Case probe{cases[r].label, c, c == cases[r].column ? cases[r].value : Variant::Null()};
      auto want = ExpectedTools(probe);
      if (!want) continue;
      EXPECT_EQ((t.cells[{int(r), c}]), *want) << cases[r].label << ", column " << c;
    }
  }
}

}  // namespace
}  // namespace qx::mdbtest
