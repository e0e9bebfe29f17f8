// Table load: header, descriptors, record positions, deleted records, both
// load modes, structure checks and real tables.
#include <gtest/gtest.h>

#include <filesystem>

#include "AdtTestUtil.h"
#include "platform/Exceptions.h"
#include "platform/FileUtils.h"
#include "support/TempDir.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using fixture::Bytes;
using fixture::TempDir;
using namespace testing_adt;
using namespace adt;

// Three Integer records (1, 2, 3) and a String field.
AdtTableWriter ThreeRecords() {
  AdtTableWriter w;
  int id = w.AddField("ID", atInteger, 4);
  int name = w.AddField("Name", atString, 6);
  for (int i = 1; i <= 3; ++i)
    w.AddRecord().Set(id, AdtBytes::Int32(i)).Set(name, AdtBytes::Text("n" + std::to_string(i), 6));
  return w;
}

std::vector<int32_t> Ids(const Recorder& rec) {
  std::vector<int32_t> ids;
  for (const Delivered& d : rec.cells)
    if (d.column == 0) ids.push_back(d.value.AsInteger());
  return ids;
}

TEST(Load, DescriptorImageIsRewrittenToHostOrder) {
  AdtTableWriter w;
  w.AddField("ABC", atString, 1);
  w.PatchDescriptor(0, 128, AdtBytes::Hex("00 04 00 05 00 00 00 0A 00 00 00 02"));
  w.SetHeader32(kHdrRecordLength, 15);
  Bytes table = w.TableBytes();
  auto t = LoadOnDemand(table);
  auto img = t->reader->GetFieldDescriptor(0);
  EXPECT_EQ(img[128], 4);  // type code
  EXPECT_EQ(img[129], 0);
  EXPECT_EQ(GetLE32(img.data() + 130), 5u);
  EXPECT_EQ(GetLE16(img.data() + 134), 10);
  EXPECT_EQ(GetLE32(img.data() + 136), 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(img.data())), "ABC");
  auto header = t->reader->GetHeader();
  EXPECT_TRUE(std::equal(header.begin(), header.end(), table.begin()));
  EXPECT_EQ(t->reader->GetFieldDescriptor(1), (std::array<uint8_t, 200>{}));
  EXPECT_EQ(t->reader->GetFieldDescriptor(-1), (std::array<uint8_t, 200>{}));
}

TEST(Load, ReadsOnDemandInAnyOrderAndAnnouncesStructure) {
  AdtTableWriter w = ThreeRecords();
  TADT reader;
  std::vector<std::string> events;
  reader.OnDimensions = [&](TCustomSpreadSheetFile&, int32_t, int32_t, int32_t rows, int32_t, int32_t cols) {
    events.push_back("dim " + std::to_string(rows) + "x" + std::to_string(cols));
  };
  reader.OnColumnWidth = [&](TCustomSpreadSheetFile&, int32_t, int32_t col, int32_t width) {
    events.push_back("width " + std::to_string(col) + "=" + std::to_string(width));
  };
  Recorder rec;
  rec.Attach(reader);
  MemoryStream stream(w.TableBytes());
  reader.ParseStream(stream);
  EXPECT_EQ(events, (std::vector<std::string>{"dim 3x2", "width 0=4", "width 1=6"}));
  EXPECT_EQ(reader.DataStream, &stream);
  EXPECT_TRUE(reader.ReadRecord(2, 0));
  EXPECT_TRUE(reader.ReadRecord(0, 1));
  EXPECT_TRUE(reader.ReadRecord(2, 2));
  EXPECT_EQ(Ids(rec), (std::vector<int32_t>{3, 1, 3}));
  EXPECT_EQ(reader.CurrentRecord, 2);
  ASSERT_EQ(rec.cells.size(), 6u);
  EXPECT_EQ(rec.cells[1].value, Variant("n3"));
  EXPECT_EQ(reader.ColumnIndexByName("name"), 1);
  EXPECT_EQ(reader.ColumnIndexByName("nope"), -1);
  TColumnList list;
  reader.GetColumnNames(list, "");
  EXPECT_EQ(list, (TColumnList{{"ID", 0}, {"Name", 1}}));
}

TEST(Load, SeekRecordSucceedsOnlyForWholeRecords) {
  AdtTableWriter w = ThreeRecords();
  Bytes bytes = w.TableBytes();
  auto t = LoadOnDemand(bytes);
  TADT& r = *t->reader;
  int64_t start = 400 + 2 * 200;
  EXPECT_TRUE(r.SeekRecord(2));
  EXPECT_EQ(t->stream->Position(), start + 2 * 15 + 1);
  t->stream->SetPosition(7);
  EXPECT_FALSE(r.SeekRecord(3));
  EXPECT_FALSE(r.SeekRecord(-1));
  EXPECT_EQ(t->stream->Position(), 7);
  // A negative record number reads no bytes of the file (not the header).
  EXPECT_TRUE(r.ReadRecord(-1, 0));
  ASSERT_EQ(t->rec.cells.size(), 2u);
  EXPECT_EQ(t->rec.cells[0].value, Variant(0));
  EXPECT_EQ(t->rec.cells[1].value, Variant(""));
  EXPECT_EQ(t->stream->Position(), 7);

  // A file cut inside its last record: the record is read from its own
  // position and the missing bytes read as zero.
  bytes.resize(bytes.size() - 5);
  auto cut = LoadOnDemand(bytes);
  EXPECT_FALSE(cut->reader->SeekRecord(2));
  EXPECT_TRUE(cut->reader->ReadRecord(2, 0));
  ASSERT_EQ(cut->rec.cells.size(), 2u);
  EXPECT_EQ(cut->rec.cells[0].value, Variant(3));
  EXPECT_EQ(cut->rec.cells[1].value, Variant("n"));
}

TEST(Load, ReadRecordWithoutHandlerOrStreamDeliversNothing) {
  TADT idle;
  EXPECT_TRUE(idle.ReadRecord(0, 0));  // nothing loaded
  EXPECT_EQ(idle.CurrentRecord, 0);

  AdtTableWriter w = ThreeRecords();
  MemoryStream stream(w.TableBytes());
  TADT r;
  std::vector<int32_t> progress;
  int statuses = 0;
  r.OnLoadProgress = [&](TCustomSpreadSheetFile&, int32_t pos, int32_t total) {
    progress.push_back(pos);
    EXPECT_EQ(total, 3);
  };
  r.OnRecordStatusChanged = [&](TCustomSpreadSheetFile&, int32_t, int32_t, TKelRowStatus) { ++statuses; };
  r.ParseStream(stream);
  EXPECT_TRUE(r.ReadRecord(1, 0));
  EXPECT_TRUE(r.ReadRecord(2, 1));
  EXPECT_EQ(progress, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(statuses, 0);
}

TEST(Load, DeletedRecordsFollowTheChainAndTheStatusFilter) {
  AdtTableWriter w = ThreeRecords();
  w.DeleteRecord(1);
  auto t = LoadOnDemand(w.TableBytes());
  TADT& r = *t->reader;
  EXPECT_EQ(r.DeletedRecords, (std::vector<int32_t>{1}));
  EXPECT_EQ(r.FirstDeletedRecord(), 2);
  EXPECT_TRUE(r.ReadRecord(0, 0));
  EXPECT_FALSE(r.ReadRecord(1, 1));
  EXPECT_TRUE(r.ReadRecord(2, 2));
  EXPECT_EQ(Ids(t->rec), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(t->rec.statuses, (std::vector<std::pair<int32_t, TKelRowStatus>>{{0, rsNormal}, {2, rsNormal}}));

  r.LoadRowStatutes = {rsNormal, rsDeleted};
  t->rec = Recorder();
  t->rec.Attach(r);
  EXPECT_TRUE(r.ReadRecord(1, 1));
  EXPECT_EQ(Ids(t->rec), (std::vector<int32_t>{2}));
  EXPECT_EQ(t->rec.statuses, (std::vector<std::pair<int32_t, TKelRowStatus>>{{1, rsDeleted}}));
  EXPECT_EQ(r.DeletedLink, 0);

  // Two deletions: the header names the last, which links to the first.
  AdtTableWriter w2 = ThreeRecords();
  w2.DeleteRecord(0);
  w2.DeleteRecord(2);
  auto t2 = LoadOnDemand(w2.TableBytes());
  EXPECT_EQ(t2->reader->DeletedRecords, (std::vector<int32_t>{2, 0}));
  t2->reader->LoadRowStatutes = {rsNormal, rsDeleted};
  t2->reader->ReadRecord(2, 0);
  EXPECT_EQ(t2->reader->DeletedLink, 1);
}

TEST(Load, DeletedListRules) {
  // FirstDeleted 3 with all links zero: only record 2.
  AdtTableWriter w = ThreeRecords();
  w.SetHeader32(kHdrFirstDeleted, 3);
  EXPECT_EQ(LoadOnDemand(w.TableBytes())->reader->DeletedRecords, (std::vector<int32_t>{2}));
  // FirstDeleted 0: links are ignored.
  AdtTableWriter w0 = ThreeRecords();
  w0.DeleteRecord(0);
  w0.DeleteRecord(1);
  w0.SetHeader32(kHdrFirstDeleted, 0);
  EXPECT_TRUE(LoadOnDemand(w0.TableBytes())->reader->DeletedRecords.empty());

  // LastRow 10: links of records 0..11 are read and no further.
  AdtTableWriter big;
  big.AddField("ID", atInteger, 4);
  for (int i = 0; i < 20; ++i) big.AddRecord().Raw(1, AdtBytes::Int32(100 + i));
  big.SetHeader32(kHdrFirstDeleted, 1);
  MemoryStream stream(big.TableBytes());
  TADT r;
  r.Range.LastRow = 10;
  r.ParseStream(stream);
  ASSERT_EQ(r.DeletedRecords.size(), 13u);
  EXPECT_EQ(r.DeletedRecords.back(), 110);
  EXPECT_EQ(stream.Position(), 400 + 200 + 1);  // back where it was
}

TEST(Load, FullLoadDeliversEveryWantedRecordIntoTheSheet) {
  AdtTableWriter w = ThreeRecords();
  w.DeleteRecord(1);
  TADT r;
  r.ReadOnDemand = false;
  r.PrepareSheets();
  MemoryStream stream(w.TableBytes());
  r.ParseStream(stream);
  EXPECT_EQ(r.DataStream, nullptr);  // EndLoad ran
  TSpreadSheetCells& cells = r.Sheets.GetSheet(0)->Cells;
  EXPECT_EQ(cells.Count(), 2);
  EXPECT_EQ(cells.GetCellValue(0, 0), Variant(1));
  EXPECT_EQ(cells.GetCellValue(0, 1), Variant(3));
  EXPECT_EQ(cells.GetCellValue(1, 1), Variant("n3"));
  EXPECT_EQ(cells.RowCount, 3);
  EXPECT_EQ(r.Sheets.GetSheet(0)->ColWidths, (std::vector<int32_t>{4, 6}));
}

TEST(Load, LoadFromFileSetsCaptionAndClosesTheFile) {
  TempDir dir;
  std::string path = dir.File("CUSTOMER.ADT");
  ThreeRecords().WriteFiles(path);
  TADT r;
  r.ReadOnDemand = false;
  r.LoadFromFile(path);
  EXPECT_EQ(r.Sheets.GetSheet(0)->Caption, u"CUSTOMER.ADT");
  EXPECT_EQ(r.Sheets.GetSheet(0)->Cells.Count(), 3);
  EXPECT_EQ(r.DataStream, nullptr);

  TADT windows;
  windows.FileName = "C:\\DATA\\CUSTOMER.ADT";
  windows.BeginLoad();
  EXPECT_EQ(windows.Sheets.GetSheet(0)->Caption, u"CUSTOMER.ADT");
  EXPECT_TRUE(windows.Sheets.GetSheet(0)->Cells.TrackUsed);
  windows.LoadRowStatutes = {rsNormal, rsDeleted};
  windows.BeginLoad();
  EXPECT_FALSE(windows.Sheets.GetSheet(0)->Cells.TrackUsed);

  TADT missing;
  EXPECT_THROW(missing.LoadFromFile(dir.File("none.adt")), EKelFileException);
}

TEST(Load, ZeroFieldsAndShortStreamsLoad) {
  AdtTableWriter w;
  auto t = LoadOnDemand(w.TableBytes());
  EXPECT_EQ(t->stream->Position(), 400);  // the byte after the header: none left
  EXPECT_EQ(t->reader->FieldCount(), 0);

  // Only part of the header: the rest stays zero, nothing fails.
  Bytes head = ThreeRecords().TableBytes();
  head.resize(100);
  auto partial = LoadOnDemand(head);
  EXPECT_EQ(partial->reader->RecordCount(), 3);
  EXPECT_EQ(partial->reader->FieldCount(), 0);
}

struct Malformed {
  const char* name;
  std::function<void(AdtTableWriter&)> damage;
  const char* message;
};

class MalformedTable : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedTable, IsRefusedAtLoadWithAMessageNamingTheProblem) {
  AdtTableWriter w = ThreeRecords();
  GetParam().damage(w);
  MemoryStream stream(w.TableBytes());
  TADT r;
  r.FileName = "/data/orders.adt";
  try {
    r.ParseStream(stream);
    FAIL() << "loaded";
  } catch (const EKelFileException& e) {
    EXPECT_EQ(e.Message(), GetParam().message);
  }
  EXPECT_EQ(r.DataStream, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Structure, MalformedTable,
    ::testing::Values(
        Malformed{"TooManyFields", [](AdtTableWriter& w) { w.SetHeader16(kHdrFieldCount, 4097); },
                  "Table /data/orders.adt cannot be read: 4097 fields, more than 4096."},
        Malformed{"RecordTooLong", [](AdtTableWriter& w) { w.SetHeader32(kHdrRecordLength, 131073); },
                  "Table /data/orders.adt cannot be read: record length 131073 exceeds 131072 bytes."},
        Malformed{"RecordLengthZero", [](AdtTableWriter& w) { w.SetHeader32(kHdrRecordLength, 0); },
                  "Table /data/orders.adt cannot be read: record length 0 with 3 records."},
        Malformed{"FieldAtOffsetZero", [](AdtTableWriter& w) { w.PatchDescriptor(1, kDescOffset, {0, 0}); },
                  "Table /data/orders.adt cannot be read: field 2 (Name) at offset 0 with length 6 lies outside "
                  "the record of 15 bytes."},
        Malformed{"FieldPastRecord", [](AdtTableWriter& w) { w.PatchDescriptor(1, kDescLength, {0, 7}); },
                  "Table /data/orders.adt cannot be read: field 2 (Name) at offset 9 with length 7 lies outside "
                  "the record of 15 bytes."}),
    [](const ::testing::TestParamInfo<Malformed>& info) { return std::string(info.param.name); });

TEST(Load, EmptyTableWithRecordLengthZeroLoads) {
  AdtTableWriter w;
  w.SetHeader32(kHdrRecordLength, 0);
  auto t = LoadOnDemand(w.TableBytes());
  EXPECT_EQ(t->reader->RecordCount(), 0);
  AdtTableWriter withRecords;
  withRecords.AddRecord();
  withRecords.SetHeader32(kHdrRecordLength, 0);
  MemoryStream s(withRecords.TableBytes());
  TADT r;
  EXPECT_THROW(r.ParseStream(s), EKelFileException);
}

TEST(Load, LargeRecordsBeyond32KDecode) {
  AdtTableWriter w;
  w.AddField("PAD", atString, 40000);
  int tail = w.AddField("TAIL", atInteger, 4);
  w.AddRecord().Set(tail, AdtBytes::Int32(77));
  auto t = LoadOnDemand(w.TableBytes());
  t->reader->ReadRecord(0, 0);
  ASSERT_EQ(t->rec.cells.size(), 2u);
  EXPECT_EQ(t->rec.cells[1].value, Variant(77));
}

// Real tables written by Advantage itself (not part of the repository).
std::string RealTable(const char* name) { return std::string(QUILLEX_SHARED_DIR) + "/realdata/" + name; }

TEST(RealData, TablesDecodeAsTheirWriterStoredThem) {
  if (!FileExists(RealTable("AbrGru.ADT"))) GTEST_SKIP() << "reference tables not present";
  {
    FileStream stream(RealTable("AbrGru.ADT"));
    TADT r;
    Recorder rec;
    rec.Attach(r);
    r.ParseStream(stream);
    EXPECT_EQ(r.RecordCount(), 9);
    EXPECT_EQ(r.FieldCount(), 20);
    for (int32_t i = 0; i < 9; ++i) EXPECT_TRUE(r.ReadRecord(i, i));
    ASSERT_EQ(rec.cells.size(), 180u);
    EXPECT_EQ(rec.cells[0].value, Variant(1));            // AbrGruId
    EXPECT_EQ(rec.cells[1].value, Variant("WGK"));        // Such
    EXPECT_EQ(rec.cells[16].value, Variant(0.0));         // MwstAusgl: eight zero bytes are 0
    EXPECT_EQ(rec.cells[16].cellType, ictDecimal);
    EXPECT_TRUE(rec.cells[19].value.IsNull());            // MwstGrup: 00 00 00 80
    EXPECT_EQ(rec.cells[8].cellType, ictBoolean);
  }
  {
    FileStream stream(RealTable("test.adt"));
    TADT r;
    Recorder rec;
    rec.Attach(r);
    r.ParseStream(stream);
    TColumnList names;
    r.GetColumnNames(names, "");
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0].Name.size(), 128u);  // a name filling all 128 bytes
    EXPECT_TRUE(r.ReadRecord(0, 0));
    EXPECT_EQ(rec.cells[1].value, Variant("9999"));
  }
  {
    FileStream stream(RealTable("A.ADT"));
    TADT r;
    Recorder rec;
    rec.Attach(r);
    r.ParseStream(stream);
    EXPECT_TRUE(r.ReadRecord(0, 0));
    ASSERT_EQ(rec.cells.size(), 32u);
    EXPECT_EQ(rec.cells[0].value, Variant("43-SAMPLE"));
    EXPECT_EQ(rec.cells[13].cellType, ictDateTime);  // PeriodBeg
    EXPECT_EQ(r.ColumnIndexByName("3a-1"), 16);
  }
}

}  // namespace
}  // namespace qx
