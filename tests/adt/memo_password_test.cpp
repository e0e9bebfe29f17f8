// The memo file beside a table, and the password check.
#include <gtest/gtest.h>

#include "AdtTestUtil.h"
#include "platform/Exceptions.h"
#include "support/TempDir.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using fixture::Bytes;
using fixture::TempDir;
using namespace testing_adt;
using namespace adt;

// ID, NOTES (Memo), WIDE (NMemo), BLOB (Binary); one record with all three memos.
AdtTableWriter MemoTable() {
  AdtTableWriter w;
  int id = w.AddField("ID", atInteger, 4);
  int notes = w.AddField("NOTES", atMemo, 9);
  int wide = w.AddField("WIDE", atNMemo, 9);
  int blob = w.AddField("BLOB", atBinary, 10);
  std::string wideBytes = std::string("H\0i\0!", 5);  // odd length: 2 code units
  w.AddRecord()
      .Set(id, AdtBytes::Int32(1))
      .Memo(notes, "first note, longer than one block")
      .Memo(wide, wideBytes)
      .Memo(blob, std::string("\x00\x01\xFF", 3));
  return w;
}

std::unique_ptr<TADT> OpenTable(const std::string& path, Recorder& rec, FileStream& stream) {
  auto r = std::make_unique<TADT>();
  r->FileName = path;
  rec.Attach(*r);
  r->ParseStream(stream);
  return r;
}

TEST(Memo, ReadsMemoContentsFromTheFileBesideTheTable) {
  TempDir dir;
  std::string path = dir.File("orders.adt");
  MemoTable().WriteFiles(path);
  FileStream stream(path);
  Recorder rec;
  auto r = OpenTable(path, rec, stream);
  ASSERT_TRUE(r->ReadRecord(0, 0));
  ASSERT_EQ(rec.cells.size(), 4u);
  EXPECT_EQ(rec.cells[1].value, Variant("first note, longer than one block"));
  EXPECT_EQ(rec.cells[1].cellType, ictMemo);
  EXPECT_EQ(rec.cells[2].value, Variant(std::u16string(u"Hi")));
  EXPECT_EQ(rec.cells[2].cellType, ictMemo);
  EXPECT_EQ(rec.cells[3].value, Variant(std::string("\x00\x01\xFF", 3)));
  EXPECT_EQ(r->MemoBlockSize, 8u);

  // Without ipiBLOB the block numbers are delivered instead.
  TADT plain;
  plain.FileName = path;
  plain.ParseItems.Exclude(ipiBLOB);
  Recorder rec2;
  rec2.Attach(plain);
  FileStream stream2(path);
  plain.ParseStream(stream2);
  plain.ReadRecord(0, 0);
  EXPECT_EQ(rec2.cells[1].value, Variant(1));
  EXPECT_EQ(rec2.cells[1].cellType, ictInteger);
  EXPECT_EQ(plain.MemoStream, nullptr);
}

TEST(Memo, FindsAMemoFileWhoseNameDiffersOnlyInLetterCase) {
  for (const char* memoName : {"ORDERS.ADM", "orders.adm", "Orders.Adm"}) {
    TempDir dir;
    std::string path = dir.File("ORDERS.ADT");
    MemoTable().WriteFiles(path, dir.File(memoName));
    FileStream stream(path);
    Recorder rec;
    auto r = OpenTable(path, rec, stream);
    EXPECT_EQ(r->MemoFileName(), dir.File(memoName)) << memoName;
    r->ReadRecord(0, 0);
    EXPECT_EQ(rec.cells[1].value, Variant("first note, longer than one block")) << memoName;
  }
}

TEST(Memo, WithoutAMemoFileMemosReadAsEmptyText) {
  TempDir dir;
  std::string path = dir.File("t.adt");
  fixture::WriteFileBytes(path, MemoTable().TableBytes());
  FileStream stream(path);
  Recorder rec;
  auto r = OpenTable(path, rec, stream);
  r->ReadRecord(0, 0);
  EXPECT_EQ(rec.cells[1].value, Variant(""));
  EXPECT_EQ(rec.cells[1].cellType, ictMemo);
  EXPECT_EQ(rec.cells[2].value, Variant(std::u16string()));
}

TEST(Memo, ReferencesAreReadAtBlockTimesBlockSizeAndCutAtTheEndOfTheFile) {
  Bytes memo(40, 0);
  PutBE32(memo.data() + 4, 8);
  for (int i = 8; i < 40; ++i) memo[i] = static_cast<uint8_t>('a' + i - 8);
  AdtTableWriter w;
  int m = w.AddField("M", atMemo, 8);
  w.AddRecord().MemoRef(m, 3, 5);           // bytes 24..28
  w.AddRecord().MemoRef(m, 4, 100);         // from 32: 8 bytes are there
  w.AddRecord().MemoRef(m, 0x7FFFFFFF, 5);  // far beyond: nothing
  w.AddRecord().MemoRef(m, 0xFFFFFFFF, 2147483647);
  auto t = LoadOnDemand(w.TableBytes(), &memo);
  for (int i = 0; i < 4; ++i) t->reader->ReadRecord(i, i);
  ASSERT_EQ(t->rec.cells.size(), 4u);
  EXPECT_EQ(t->rec.cells[0].value, Variant("qrstu"));
  EXPECT_EQ(t->rec.cells[1].value, Variant("yz{|}~\x7f\x80"));
  EXPECT_EQ(t->rec.cells[2].value, Variant(""));
  EXPECT_EQ(t->rec.cells[3].value, Variant(""));
}

TEST(Memo, BlockSizeZeroIsRefusedAtLoad) {
  TempDir dir;
  std::string path = dir.File("t.adt");
  AdtTableWriter w = MemoTable();
  w.SetMemoBlockSize(0);
  w.WriteFiles(path);
  FileStream stream(path);
  TADT r;
  r.FileName = path;
  try {
    r.ParseStream(stream);
    FAIL();
  } catch (const EKelFileException& e) {
    EXPECT_EQ(e.Message(), "Table " + path + " cannot be read: its memo file has a block size of 0.");
  }
  // Not reading memos, the table loads.
  TADT noBlobs;
  noBlobs.FileName = path;
  noBlobs.ParseItems.Exclude(ipiBLOB);
  FileStream again(path);
  EXPECT_NO_THROW(noBlobs.ParseStream(again));
}

TEST(Memo, ReadWideMemoKeepsWholeCodeUnits) {
  Bytes memo(32, 0);
  PutBE32(memo.data() + 4, 8);
  std::memcpy(memo.data() + 8, "A\0B\0C", 5);
  TADT r;
  r.AttachMemoStream(std::make_unique<MemoryStream>(memo));
  std::u16string v;
  r.ReadWideMemo(1, 5, v);
  EXPECT_EQ(v, u"AB");
  std::string s;
  r.ReadMemo(1, 3, s);
  EXPECT_EQ(s, std::string("A\0B", 3));
}

// Password tests: the stored text, the offered password, the handler.
Bytes Protected(std::string_view stored) {
  AdtTableWriter w = MemoTable();
  w.SetPassword(stored);
  return w.TableBytes();
}

bool Loads(const Bytes& table, TADT& r) {
  MemoryStream s(table);
  try {
    r.ParseStream(s);
    return true;
  } catch (const EKelCryptException& e) {
    EXPECT_EQ(e.Message(), "This file is encrypted but valid password is not specified.");
    EXPECT_EQ(r.DataStream, nullptr);
    return false;
  }
}

TEST(Password, ComparesTheOfferedPasswordExactly) {
  struct Case { std::string stored, offered; bool ok; };
  for (const Case& c : {Case{"secret", "secret", true}, Case{"secret", "Secret", false}, Case{"secret", "", false},
                        Case{"secret", "secret ", false}, Case{"12345678901234567890", "12345678901234567890", true},
                        Case{"12345678901234567890", "1234567890123456789", false}}) {
    TADT r;
    r.Password = c.offered;
    EXPECT_TRUE(r.IsEncrypted() == false);
    EXPECT_EQ(Loads(Protected(c.stored), r), c.ok) << c.stored << " / " << c.offered;
    EXPECT_TRUE(r.IsEncrypted());
  }
}

TEST(Password, UnprotectedTablesNeverAsk) {
  TADT r;
  int asked = 0;
  r.OnPassword = [&](TADT&, std::string&, bool&) { ++asked; };
  EXPECT_TRUE(Loads(MemoTable().TableBytes(), r));
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(r.IsEncrypted());
}

TEST(Password, HandlerIsAskedUntilItMatchesOrGivesUp) {
  TADT r;
  std::vector<std::string> offers{"a", "b", "pw"};
  size_t asked = 0;
  r.OnPassword = [&](TADT&, std::string& pw, bool&) { pw = offers[asked++]; };
  EXPECT_TRUE(Loads(Protected("pw"), r));
  EXPECT_EQ(asked, 3u);
  EXPECT_EQ(r.Password, "pw");

  TADT giveUp;
  giveUp.Password = "pw";  // would match, but the handler replaces it first
  int calls = 0;
  giveUp.OnPassword = [&](TADT&, std::string& pw, bool& cont) {
    ++calls;
    pw = "wrong";
    cont = false;
  };
  EXPECT_FALSE(Loads(Protected("pw"), giveUp));
  EXPECT_EQ(calls, 1);

  // The shared default handler serves readers without their own.
  DefaultPasswordHandler = [](TADT&, std::string& pw, bool&) { pw = "pw"; };
  TADT byDefault;
  bool ok = Loads(Protected("pw"), byDefault);
  DefaultPasswordHandler = nullptr;
  EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace qx
