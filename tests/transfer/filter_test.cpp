// The row filter: what names, quoted texts and SUBSTITUTE stand for, the
// record's columns among them, and the list helpers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/VarConvert.h"
#include "transfer/Cell2MDB.h"
#include "transfer/RowFilter.h"

namespace qx {
namespace {

// An engine without a reader whose columns and current record the test sets.
class FilterEngine : public TCell2MDB {
 public:
  std::vector<std::string> names;
  void CreateReader() override {}
  Stream* GetStream() override { return nullptr; }
  void GetColumnDef(int32_t, std::string&, int32_t&, int32_t&) override {}
  int32_t GetColumnCount() override { return static_cast<int32_t>(names.size()); }
  std::string GetColumnName(int32_t i) override {
    return i >= 0 && i < GetColumnCount() ? names[static_cast<size_t>(i)] : std::string();
  }
  // One cell per value; Empty leaves the slot without a cell.
  void SetRecord(const std::vector<Variant>& values) {
    RowBuffer = std::make_unique<TSpreadSheetRow>();
    for (const auto& v : values) {
      if (v.IsEmpty()) {
        RowBuffer->Cols.emplace_back();
        continue;
      }
      auto cell = std::make_unique<TKelCell>();
      cell->Value = v;
      RowBuffer->Cols.push_back(std::move(cell));
    }
  }
  Variant Eval(const std::string& text) {
    Variant v;
    EvaluateFilter(text, v);
    return v;
  }
};

std::string Show(const Variant& v) {
  if (v.IsNull()) return "Null";
  if (v.IsEmpty()) return "Empty";
  return std::string(VarKindName(v.Kind())) + ":" + VarToText(v);
}

class RowFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    e.names = {"State", "Qty", "Price", "Ordered", "Paid", "Order No", "Note", "PI", "Wide", "Gone"};
    e.SetRecord({Variant("AL"), Variant(int32_t{5}), Variant(2.5), Variant::FromDate(45000.5), Variant(true),
                 Variant("A-17"), Variant::Null(), Variant("pie"), Variant(std::u16string(u"Zo\u00eb"))});
  }
  FilterEngine e;
};

TEST_F(RowFilter, NamesAndQuotedTexts) {
  const std::pair<const char*, Variant> cases[] = {
      // Column names, bare or in brackets, ASCII case ignored: the record's value, own kind.
      {"[State]", Variant("AL")},
      {"state", Variant("AL")},
      {"[[STATE]]", Variant("AL")},
      {"Qty", Variant(int32_t{5})},
      {"[Price]", Variant(2.5)},
      {"[Ordered]", Variant::FromDate(45000.5)},
      {"[Paid]", Variant(true)},
      {"[Order No]", Variant("A-17")},
      {"[Wide]", Variant("Zo\xeb")},
      // Null in the record, or no cell at all: Null.
      {"[Note]", Variant::Null()},
      {"[Gone]", Variant::Null()},
      // A column wins over a user-defined function of the same name.
      {"PI", Variant("pie")},
      // Everything else keeps its own text.
      {"\"State\"", Variant("State")},
      {"'State'", Variant("'State'")},
      {"[\"State\"]", Variant("State")},
      {"Unknown", Variant("Unknown")},
      {"[Order]", Variant("Order")},
      {"\"\"", Variant("")},
      {"[]", Variant::Null()},
      {"1=1", Variant(true)},
      {"1=0", Variant(false)},
      {"[State]=\"AL\"", Variant(true)},
      {"[State]=\"GA\"", Variant(false)},
      {"([Qty]>4) AND ([Price]<3)", Variant(true)},
      {"[Note]=\"\"", Variant(false)},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Show(e.Eval(text)), Show(expected)) << text;
}

TEST_F(RowFilter, UserFunctionWhenNoColumnHasItsName) {
  e.names = {"State"};
  EXPECT_EQ(Show(e.Eval("PI")), Show(Variant(3.14)));
}

TEST_F(RowFilter, Substitute) {
  e.names.push_back("Sex");
  e.SetRecord({Variant("AL"), {}, {}, {}, {}, {}, {}, {}, {}, {}, Variant("F")});
  const std::pair<const char*, Variant> cases[] = {
      {"SUBSTITUTE(\"M\",\"M;F\",\"Male;Female\")", Variant("Male")},
      {"substitute(\"F\",\"M;F\",\"Male;Female\")", Variant("Female")},
      {"SUBSTITUTE([Sex],\"M;F\",\"Male;Female\")", Variant("Female")},
      {"SUBSTITUTE(\"X\",\"M;F\",\"Male;Female\")", Variant::Null()},
      {"SUBSTITUTE(\"f\",\"M;F\",\"Male;Female\")", Variant::Null()},  // letter case counts
      {"SUBSTITUTE(\"F\",\"M; F\",\"Male;Female\")", Variant::Null()},  // leading blank stays
      {"SUBSTITUTE(\"M\",\"M ;F\",\"Male  ;Female\")", Variant("Male")},  // trailing blanks go
      {"SUBSTITUTE(\"F\",\"M;F\",\"Male\")", Variant::Null()},           // Results too short
      {"SUBSTITUTE(\"F\",\"M;F\",\"Male;\")", Variant::Null()},          // empty item
      {"SUBSTITUTE(\"M\",\"\",\"Male\")", Variant::Null()},              // no Sources
      {"SUBSTITUTE", Variant::Null()},
      {"SUBSTITUTE(\"M\",\"M;F\",\"Male;Female\")=\"Male\"", Variant(true)},
      {"SUBSTITUTE(\"X\",\"M;F\",\"Male;Female\")=\"Male\"", Variant(false)},
      {"SUBSTITUTE(2,\"1;2\",\"one;two\")", Variant("two")},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Show(e.Eval(text)), Show(expected)) << text;
}

TEST_F(RowFilter, ResultsThatAreNoBoolean) {
  // A bare word that is no column, and blanks only: the conversion fails.
  for (const char* text : {"STATE2", "   "}) {
    Variant v = e.Eval(text);
    try {
      VarToBoolean(v);
      ADD_FAILURE() << text << " gave " << Show(v);
    } catch (const Exception& ex) {
      EXPECT_EQ(ex.Message(), "Invalid variant type conversion") << text;
    }
  }
  EXPECT_THROW(e.Eval("(1"), EKelParseException);
}

// The kept tree sees each new record, and a new text is parsed anew.
TEST_F(RowFilter, EachRecordIsSeen) {
  EXPECT_EQ(Show(e.Eval("[Qty]>4")), Show(Variant(true)));
  e.SetRecord({Variant("GA"), Variant(int32_t{3})});
  EXPECT_EQ(Show(e.Eval("[Qty]>4")), Show(Variant(false)));
  EXPECT_EQ(Show(e.Eval("[State]")), Show(Variant("GA")));
}

TEST(FilterHelpers, StripEnclosing) {
  struct Case {
    const char* in;
    char open, close;
    bool result;
    const char* out;
  } cases[] = {
      {"[a]", '[', ']', true, "a"},   {"[a", '[', ']', false, "[a"}, {"a]", '[', ']', false, "a]"},
      {"[]", '[', ']', true, ""},     {"\"", '"', '"', true, ""},    {"[", '[', ']', false, "["},
      {"\"x\"", '"', '"', true, "x"}, {"[[a]]", '[', ']', true, "[a]"}, {"", '[', ']', false, ""},
  };
  for (const auto& c : cases) {
    std::string s = c.in;
    EXPECT_EQ(StripEnclosing(c.open, c.close, s), c.result) << c.in;
    EXPECT_EQ(s, c.out) << c.in;
  }
}

TEST(FilterHelpers, TakeListItem) {
  struct Case {
    const char* list;
    const char* item;
    const char* rest;
  } cases[] = {
      {"a;b;c", "a", "b;c"},   {"a", "a", ""},         {"", "", ""},          {";b", "", "b"},
      {"a;", "a", ""},         {" a \t;b", " a", "b"}, {"\"a;b\"", "\"a", "b\""}, {"a b  ", "a b", ""},
  };
  for (const auto& c : cases) {
    std::string list = c.list, item = "junk";
    TakeListItem(';', list, item);
    EXPECT_EQ(item, c.item) << c.list;
    EXPECT_EQ(list, c.rest) << c.list;
  }
}

}  // namespace
}  // namespace qx
