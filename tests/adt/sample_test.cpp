// The sample table shipped in sample/ (orders.adt + orders.adm) is made by
// this test with the fixture writer. The test fails when the committed files
// differ from what the writer makes; it writes them when they are missing, so
// regenerating is: delete sample/orders.ad?, run the test, commit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "AdtTestUtil.h"
#include "platform/FileUtils.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtRecord;
using fixture::AdtTableWriter;
using fixture::Bytes;
using namespace testing_adt;
using namespace adt;

constexpr int kSampleRecords = 36;
constexpr int kDeletedRecord = 7;

AdtTableWriter SampleOrders() {
  static const char* customers[] = {"Alder & Co", "Birchwood Ltd", "Cedar Supplies", "Dunmore Farms",
                                    "Elm Street Bakery", "Fenwick Tools"};
  static const char* cities[] = {"Aberdeen", "Bristol", "Cardiff", "Dover", "Exeter", "Falmouth"};
  static const char16_t* contacts[] = {u"Zoë Martin", u"Jürgen Weiß", u"Ana Núñez", u"Łukasz Nowak",
                                       u"Chloé Dubois", u"Sven Åberg"};
  AdtTableWriter w;
  int id = w.AddField("ORDER_ID", atAutoInc, 4);
  int customer = w.AddField("CUSTOMER", atCIString, 30);
  int city = w.AddField("CITY", atString, 20);
  int contact = w.AddField("CONTACT", atNChar, 40);
  int ordered = w.AddField("ORDERED", atDate, 4);
  int shipped = w.AddField("SHIPPED", atTimeStamp, 8);
  int pickup = w.AddField("PICKUP", atTime, 4);
  int qty = w.AddField("QTY", atInteger, 4);
  int priority = w.AddField("PRIORITY", atShortInt, 2);
  int paid = w.AddField("PAID", atLogical, 1);
  int price = w.AddField("PRICE", atNumeric, 10, 2);
  int freight = w.AddField("FREIGHT", atDouble, 8, 2);
  int discount = w.AddField("DISCOUNT", atCurDouble, 8, 4);
  int total = w.AddField("TOTAL", atMoney, 8, 4);
  int notes = w.AddField("NOTES", atMemo, 9);
  int remarks = w.AddField("REMARKS", atNMemo, 9);
  for (int i = 0; i < kSampleRecords; ++i) {
    AdtRecord& r = w.AddRecord();
    int k = i % 6;
    int q = 1 + (i * 7) % 40;
    int64_t cents = 1999 + i * 250;  // price in cents
    r.Set(id, AdtBytes::Int32(i + 1))
        .Set(customer, AdtBytes::Text(customers[k], 30))
        .Set(city, AdtBytes::Text(cities[(i / 6) % 6], 20))
        .Set(contact, AdtBytes::Wide(contacts[k], 40))
        .Set(ordered, AdtBytes::Date(2023, 1 + i % 12, 1 + (i * 5) % 28))
        .Set(qty, AdtBytes::Int32(q))
        .Set(priority, AdtBytes::Int16(static_cast<int16_t>(i % 4 - 1)))
        .Set(paid, AdtBytes::Logical(i % 3 != 0))
        .Set(price, AdtBytes::Numeric(std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") +
                                          std::to_string(cents % 100), 10))
        .Set(freight, AdtBytes::Double(i % 5 == 0 ? 0.0 : 4.5 + i))
        .Set(discount, AdtBytes::Double(i % 4 == 0 ? 0.0 : 0.05))
        .Set(total, AdtBytes::Money(cents * q * 100));
    if (i % 9 == 4) {
      r.Set(shipped, AdtBytes::TimeStamp(0, 0));  // not shipped yet: Null
      r.Set(pickup, AdtBytes::Time(0));
    } else {
      r.Set(shipped, AdtBytes::TimeStamp(AdtBytes::JulianDay(2023, 1 + i % 12, 2 + (i * 5) % 27),
                                         (8 + i % 10) * 3600000 + i * 61000));
      r.Set(pickup, AdtBytes::Time((9 + i % 8) * 3600000 + (i % 4) * 15 * 60000));
    }
    if (i % 4 == 1)
      r.Memo(notes, "Order " + std::to_string(i + 1) + ": deliver to the back door.\r\nCall ahead before noon.");
    else if (i % 4 == 2)
      r.Memo(notes, "Standing order; repeat monthly.");
    else
      r.MemoRef(notes, 0, 0);  // no note: Null
    if (i % 6 == 0) {
      std::u16string text = u"Priorité: " + std::u16string(contacts[k]);
      std::string bytes;
      for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
      }
      r.Memo(remarks, bytes);
    } else {
      r.MemoRef(remarks, 0, 0);
    }
  }
  w.DeleteRecord(kDeletedRecord);
  return w;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SampleTable, CommittedFilesAreWhatTheWriterMakes) {
  std::string dir = std::string(QUILLEX_SOURCE_DIR) + "/sample";
  std::string adtPath = dir + "/orders.adt", admPath = dir + "/orders.adm";
  AdtTableWriter w = SampleOrders();
  if (!FileExists(adtPath) || !FileExists(admPath)) {
    std::filesystem::create_directories(dir);
    w.WriteFiles(adtPath, admPath);
  }
  EXPECT_EQ(ReadAll(adtPath), w.TableBytes());
  EXPECT_EQ(ReadAll(admPath), w.MemoBytes());
}

TEST(SampleTable, ReadsBackEveryLiveRecord) {
  std::string path = std::string(QUILLEX_SOURCE_DIR) + "/sample/orders.adt";
  if (!FileExists(path)) GTEST_SKIP() << "sample not generated yet";
  FileStream stream(path);
  TADT r;
  r.FileName = path;
  Recorder rec;
  rec.Attach(r);
  r.ParseStream(stream);
  int delivered = 0;
  for (int i = 0; i < r.RecordCount(); ++i) delivered += r.ReadRecord(i, i);
  EXPECT_EQ(delivered, kSampleRecords - 1);
  ASSERT_EQ(rec.cells.size(), static_cast<size_t>(delivered) * 16);
  // Record 2 (0-based 1): spot checks of every kind.
  const Delivered* row = &rec.cells[16];
  EXPECT_EQ(row[0].value, Variant(2));
  EXPECT_EQ(row[1].value, Variant("Birchwood Ltd"));
  EXPECT_EQ(row[3].value, Variant("J\xFCrgen Wei\xDF"));
  EXPECT_EQ(row[9].value, Variant(true));
  EXPECT_EQ(row[10].value, Variant(22.49));
  EXPECT_EQ(row[13].value, Variant(22.49 * 8));
  EXPECT_EQ(row[14].value, Variant("Order 2: deliver to the back door.\r\nCall ahead before noon."));
  EXPECT_EQ(rec.cells[11].value, Variant(0.0));  // record 1 freight 0.00 is an amount
}

}  // namespace
}  // namespace qx
