// quillex with /FILTER= on fixture tables: fields of every kind, SUBSTITUTE,
// results that are no Boolean, syntax errors, windows and deleted records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adt/AdtFormat.h"
#include "e2e/E2eUtil.h"
#include "support/AdtFixture.h"

namespace qx::e2e {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using test::TempDir;
using Strings = std::vector<std::string>;

// ID, STATE, QTY (Integer), AMOUNT (Double), ORDERED (Date), PAID (Logical),
// NOTE (String, blank in 2 and 3), RATE (Numeric).
void WriteOrders(const std::string& path, bool deleteThird = false, bool nullPaidInThird = false) {
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  int state = w.AddField("STATE", adt::atString, 2);
  int qty = w.AddField("QTY", adt::atInteger, 4);
  int amount = w.AddField("Amount", adt::atDouble, 8, 2);
  int ordered = w.AddField("ORDERED", adt::atDate, 4);
  int paid = w.AddField("PAID", adt::atLogical, 1);
  int note = w.AddField("NOTE", adt::atString, 4);
  int rate = w.AddField("Unit Rate", adt::atNumeric, 6, 2);
  struct Row {
    const char* state;
    int32_t qty;
    double amount;
    int y, m, d;
    bool paid;
    const char* note;
    const char* rate;
  } rows[] = {
      {"AL", 5, 10.5, 2023, 1, 10, true, "x", "1.5"},    {"GA", 15, 200.25, 2023, 6, 1, false, "", "2"},
      {"AL", 25, 150, 2023, 7, 15, true, "", "2.5"},     {"AL", 1, 99.99, 2022, 12, 31, false, "y", "0.25"},
      {"TX", 8, 300, 2024, 2, 29, true, "z", "10"},
  };
  int n = 0;
  for (const auto& r : rows) {
    ++n;
    auto& rec = w.AddRecord()
                    .Set(id, AdtBytes::Int32(n))
                    .Set(state, AdtBytes::Text(r.state, 2))
                    .Set(qty, AdtBytes::Int32(r.qty))
                    .Set(amount, AdtBytes::Double(r.amount))
                    .Set(ordered, AdtBytes::Date(r.y, r.m, r.d))
                    .Set(note, AdtBytes::Text(r.note, 4))
                    .Set(rate, AdtBytes::Numeric(r.rate, 6));
    if (!(nullPaidInThird && n == 3)) rec.Set(paid, AdtBytes::Logical(r.paid));
  }
  if (deleteThird) w.DeleteRecord(2);
  w.WriteFiles(path);
}

TEST(Filter, FieldsOfEveryKind) {
  TempDir dir;
  WriteOrders(dir.File("orders.adt"));
  const struct {
    const char* filter;
    Strings ids;
  } cases[] = {
      {"[STATE]=\"AL\"", {"1", "3", "4"}},
      {"state=\"AL\"", {"1", "3", "4"}},
      {"QTY>=15", {"2", "3"}},
      {"[amount]>100", {"2", "3", "5"}},
      {"([STATE]=\"AL\") AND ([Amount]>100)", {"3"}},
      {"([STATE]=\"GA\") OR ([QTY]<5)", {"2", "4"}},
      {"[ORDERED]>=\"2023-06-01\"", {"2", "3", "5"}},
      {"[ORDERED]<\"1/1/2023\"", {"4"}},
      {"PAID", {"1", "3", "5"}},
      {"[PAID]=[PAID]", {"1", "2", "3", "4", "5"}},
      {"[NOTE]=\"x\"", {"1"}},
      {"[NOTE]<>\"x\"", {"2", "3", "4", "5"}},  // a blank note is an empty text
      {"[Unit Rate]>2", {"3", "5"}},
      {"([QTY]*[Amount])>2000", {"2", "3", "5"}},
      {"1=1", {"1", "2", "3", "4", "5"}},
      {"1=0", {}},
      {"\"STATE\"=\"AL\"", {}},  // a quoted text is a text, not the field
      {"SUBSTITUTE([STATE],\"AL;GA\",\"Alabama;Georgia\")=\"Georgia\"", {"2"}},
      {"SUBSTITUTE(\"M\",\"M;F\",\"Male;Female\")=\"Male\"", {"1", "2", "3", "4", "5"}},
      {"SUBSTITUTE(\"X\",\"M;F\",\"Male;Female\")=\"Male\"", {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string target = dir.File(Numbered("f", n++) + ".db");
    auto res = Quillex({dir.File("orders.adt"), target, std::string("/FILTER=") + c.filter});
    ASSERT_EQ(res.exitCode, 0) << c.filter << "\n" << res.out;
    EXPECT_EQ(Column(target, "SELECT ID FROM orders ORDER BY rowid"), c.ids) << c.filter;
  }
}

TEST(Filter, BlanksOnlyEndTheRunAndKeepEarlierRows) {
  TempDir dir;
  WriteOrders(dir.File("orders.adt"));
  const std::string db = dir.File("t.db");
  ASSERT_EQ(Quillex({dir.File("orders.adt"), db, "/filter=ID<3"}).exitCode, 0);
  auto res = Quillex({dir.File("orders.adt"), db, "/filter=   "});
  EXPECT_EQ(res.exitCode, 1);
  EXPECT_EQ(ReportOf(res), "Exception EVariantTypeCastError in module quillex\nInvalid variant type conversion.\n");
  EXPECT_EQ(Column(db, "SELECT ID FROM orders ORDER BY rowid"), (Strings{"1", "2"}));
}

// A record whose filter result is Null ends the run; the rows accepted
// before it stay in the target.
TEST(Filter, ErrorMidwayKeepsRowsSavedBefore) {
  TempDir dir;
  WriteOrders(dir.File("orders.adt"), false, true);
  auto res = Quillex({dir.File("orders.adt"), dir.File("t.db"), "/filter=PAID"});
  EXPECT_EQ(res.exitCode, 1);
  EXPECT_EQ(ReportOf(res), "Exception EVariantTypeCastError in module quillex\nInvalid variant type conversion.\n");
  EXPECT_EQ(Column(dir.File("t.db"), "SELECT ID FROM orders"), Strings{"1"});
}

// A field without value is Null in the filter: Null equals only Null and is
// less than every other value.
TEST(Filter, NullFields) {
  TempDir dir;
  WriteOrders(dir.File("orders.adt"), false, true);  // PAID of record 3 is Null
  const struct {
    const char* filter;
    Strings ids;
  } cases[] = {
      {"[PAID]=[PAID]", {"1", "2", "3", "4", "5"}},
      {"[PAID]<>[PAID]", {}},
      {"SUBSTITUTE([PAID],\"\",\"\")=[PAID]", {"3"}},  // Null = Null
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string target = dir.File(Numbered("n", n++) + ".db");
    auto res = Quillex({dir.File("orders.adt"), target, std::string("/filter=") + c.filter});
    ASSERT_EQ(res.exitCode, 0) << c.filter << "\n" << res.out;
    EXPECT_EQ(Column(target, "SELECT ID FROM orders ORDER BY rowid"), c.ids) << c.filter;
  }
}

TEST(Filter, SyntaxErrorWritesNoRow) {
  TempDir dir;
  WriteOrders(dir.File("orders.adt"));
  for (const char* filter : {"([STATE]=\"AL\"", "(1"}) {
    TempDir out;
    auto res = Quillex({dir.File("orders.adt"), out.File("t.db"), std::string("/filter=") + filter});
    EXPECT_EQ(res.exitCode, 1) << filter;
    EXPECT_EQ(res.out.rfind("Exception EKelParseException in module quillex at ", 0), 0u) << res.out;
    EXPECT_EQ(Column(out.File("t.db"), "SELECT count(*) FROM orders"), Strings{"0"}) << filter;
  }
  // Also when no record reaches the filter.
  auto res = Quillex({dir.File("orders.adt"), dir.File("w.db"), "/filter=(1", "/first=9"});
  EXPECT_EQ(res.exitCode, 1);
}

TEST(Filter, WithWindowAndDeletedRecords) {
  TempDir dir;
  WriteOrders(dir.File("orders.adt"), true, true);  // record 3 deleted (its PAID is Null too)
  const struct {
    Strings args;
    Strings ids;
  } cases[] = {
      {{"/filter=[STATE]=\"AL\""}, {"1", "4"}},
      {{"/filter=[STATE]=\"AL\"", "/first=2", "/last=5"}, {"4"}},
      {{"/filter=[STATE]=\"AL\"", "/first=3", "/last=3"}, {}},
      // Neither the deleted record nor those outside the window are tested:
      // PAID would not convert for them.
      {{"/filter=PAID", "/first=2"}, {"5"}},
      {{"/filter=NOT_A_FIELD=1", "/last=0"}, {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string target = dir.File(Numbered("d", n++) + ".db");
    Strings args{dir.File("orders.adt"), target};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto res = Quillex(args);
    ASSERT_EQ(res.exitCode, 0) << testing::PrintToString(c.args) << res.out;
    EXPECT_EQ(Column(target, "SELECT ID FROM orders ORDER BY rowid"), c.ids) << testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace qx::e2e
