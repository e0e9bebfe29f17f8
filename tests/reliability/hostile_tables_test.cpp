// Malformed tables through the whole program: each ends with a clear report
// naming the file and the problem (exit code 1, the target left exactly as
// it was, and no target created where none was), or with a defined result.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "reliability/ReliabilityUtil.h"
#include "support/TempDir.h"

namespace qx::reliability {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using fixture::Bytes;
using fixture::TempDir;

// Where a case puts its files: the table t.adt (and t.adm) in dir.
struct Files {
  std::string dir, adt, adm;
};

struct Refused {
  const char* name;
  std::function<void(const Files&)> make;
  // The report's message line; "@" stands for the table's path, "{adm}"
  // for its memo file's.
  std::string message;
};

void WriteTable(const Files& f, const AdtTableWriter& w) { w.WriteFiles(f.adt, f.adm, true); }

// The table's bytes cut after n bytes (the memo file stays whole).
std::function<void(const Files&)> Cut(size_t n) {
  return [n](const Files& f) {
    AdtTableWriter w = ThreeRecords();
    WriteTable(f, w);
    Bytes bytes = w.TableBytes();
    bytes.resize(n);
    fixture::WriteFileBytes(f.adt, bytes);
  };
}

std::function<void(const Files&)> Damaged(std::function<void(AdtTableWriter&)> damage) {
  return [damage](const Files& f) {
    AdtTableWriter w = ThreeRecords();
    damage(w);
    WriteTable(f, w);
  };
}

std::string Replace(std::string text, const std::string& path) {
  size_t at = text.find('@');
  if (at != std::string::npos) text.replace(at, 1, path);
  return text;
}

class RefusedTable : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedTable, ReportsTheFileAndTheProblemAndLeavesTheTargetAlone) {
  TempDir dir;
  Files f{dir.Path(), dir.File("t.adt"), dir.File("t.adm")};
  GetParam().make(f);
  std::string expected = Replace(GetParam().message, f.adt);
  if (size_t at = expected.find("{adm}"); at != std::string::npos) expected.replace(at, 5, f.adm);

  // No target yet: none is created.
  const std::string fresh = dir.File("fresh.db");
  Outcome o = RunQuillexLimited({f.adt, fresh}, 0);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out.rfind("Exception ", 0), 0u) << o.out;
  EXPECT_NE(o.out.find("\n" + expected + "\n"), std::string::npos) << o.out;
  EXPECT_EQ(o.err, "");
  EXPECT_FALSE(PathExists(fresh));

  // An existing database, with a table of the same name: byte for byte unchanged.
  const std::string kept = dir.File("kept.db");
  MakeDb(kept, {"CREATE TABLE t (ID INTEGER, NAME VARCHAR(10))", "INSERT INTO t VALUES (7, 'kept')"});
  const std::string before = FileBytes(kept);
  o = RunQuillexLimited({f.adt, kept, "/mode=copy"}, 0);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.out.find(expected), std::string::npos) << o.out;
  EXPECT_EQ(FileBytes(kept), before);
  EXPECT_FALSE(PathExists(kept + "-journal"));
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, RefusedTable,
    ::testing::Values(
        Refused{"EmptyFile", Cut(0), "Table @ cannot be read: the file ends inside its header (0 of 400 bytes)."},
        Refused{"TruncatedHeader", Cut(100),
                "Table @ cannot be read: the file ends inside its header (100 of 400 bytes)."},
        Refused{"TruncatedDescriptors", Cut(400 + 200 + 50),
                "Table @ cannot be read: the file ends inside its field descriptors (650 of 1000 bytes)."},
        Refused{"FieldCountZero", Damaged([](AdtTableWriter& w) { w.SetHeader16(adt::kHdrFieldCount, 0); }),
                "Table @ cannot be read: its header declares no fields."},
        Refused{"FieldCount65535", Damaged([](AdtTableWriter& w) { w.SetHeader16(adt::kHdrFieldCount, 65535); }),
                "Table @ cannot be read: 65535 fields, more than 4096."},
        Refused{"RecordLengthZero", Damaged([](AdtTableWriter& w) { w.SetHeader32(adt::kHdrRecordLength, 0); }),
                "Table @ cannot be read: record length 0 with 3 records."},
        Refused{"RecordLengthHuge",
                Damaged([](AdtTableWriter& w) { w.SetHeader32(adt::kHdrRecordLength, 0x80000000u); }),
                "Table @ cannot be read: record length 2147483648 exceeds 131072 bytes."},
        Refused{"DataOffsetBeyondTheEnd",
                Damaged([](AdtTableWriter& w) { w.SetHeader32(adt::kHdrDataOffset, 1000000); }),
                "Table @ cannot be read: its records start at byte 1000000, beyond the end of the file (1084 "
                "bytes)."},
        Refused{"NegativeRecordCount", Damaged([](AdtTableWriter& w) { w.SetHeader32(adt::kHdrRecordCount, -5); }),
                "Table @ cannot be read: its header declares a negative record count (-5)."},
        Refused{"FieldOutsideTheRecord",
                // NAME moved to offset 20: its 10 bytes would end past the 28-byte record.
                Damaged([](AdtTableWriter& w) { w.PatchDescriptor(1, adt::kDescOffset, {20, 0}); }),
                "Table @ cannot be read: field 2 (NAME) at offset 20 with length 10 lies outside the record of 28 "
                "bytes."},
        Refused{"FieldOverRecordByteZero",
                Damaged([](AdtTableWriter& w) { w.PatchDescriptor(0, adt::kDescOffset, {0, 0}); }),
                "Table @ cannot be read: field 1 (ID) at offset 0 with length 4 lies outside the record of 28 bytes."},
        Refused{"MemoFileIsADirectory",
                [](const Files& f) {
                  ThreeRecords().WriteFiles(f.adt, f.dir + "/elsewhere.adm");
                  ::mkdir(f.adm.c_str(), 0755);
                },
                "Cannot open file \"{adm}\". Is a directory."},
        // A FIFO would block the opening read until some writer came: refused
        // at once instead of hanging.
        Refused{"MemoFileIsAFifo",
                [](const Files& f) {
                  ThreeRecords().WriteFiles(f.adt, f.dir + "/elsewhere.adm");
                  ::mkfifo(f.adm.c_str(), 0644);
                },
                "Cannot open file \"{adm}\". Not a regular file."},
        Refused{"TableIsAFifo", [](const Files& f) { ::mkfifo(f.adt.c_str(), 0644); },
                "Cannot open file \"@\". Not a regular file."},
        Refused{"PasswordWithBytesAfterAZero",
                // The stored password is "ab": the bytes after its zero are not part of it.
                Damaged([](AdtTableWriter& w) { w.SetPassword(std::string("ab\0cd", 5)); }),
                "This file is encrypted but valid password is not specified."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileTable, UnreadableMemoFileIsReportedAndTheTargetNotCreated) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempDir dir;
  ThreeRecords().WriteFiles(dir.File("t.adt"));
  ::chmod(dir.File("t.adm").c_str(), 0);
  Outcome o = RunQuillexLimited({dir.File("t.adt"), dir.File("o.db")}, 0);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.out.find("Cannot open file \"" + dir.File("t.adm") + "\". Permission denied"), std::string::npos)
      << o.out;
  EXPECT_FALSE(PathExists(dir.File("o.db")));
}

// Damage the program decodes to a defined result rather than refusing.
struct Decoded {
  const char* name;
  std::function<AdtTableWriter()> make;
  std::vector<std::string> args;  // after source and target
  std::vector<std::vector<std::string>> rows;
  std::string err;  // standard error, "@" for the table's path
};

class DecodedTable : public ::testing::TestWithParam<Decoded> {};

TEST_P(DecodedTable, GivesItsDefinedRowsAndReportsWhatIsMissing) {
  TempDir dir;
  const std::string adt = dir.File("t.adt"), target = dir.File("o.db");
  GetParam().make().WriteFiles(adt);
  std::vector<std::string> args{adt, target};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  Outcome o = RunQuillexLimited(args, 0);
  EXPECT_EQ(o.exitCode, 0) << o.out;
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, Replace(GetParam().err, adt));
  DbState db = ReadDb(target, "t");
  EXPECT_EQ(db.integrity, "ok");
  EXPECT_EQ(db.rows, GetParam().rows);
}

AdtTableWriter WithMemoRefs(uint32_t block, int32_t length) {
  AdtTableWriter w = ThreeRecords();
  w.AddRecord().Set(0, AdtBytes::Int32(4)).MemoRef(2, block, length);
  return w;
}

const std::vector<std::vector<std::string>> kThreeRows = {
    {"1", "Ann", "first note"}, {"2", "Bob", "second note"}, {"3", "Cy", "<null>"}};

std::vector<std::vector<std::string>> ThreeRowsAnd(std::vector<std::string> fourth) {
  auto rows = kThreeRows;
  rows.push_back(std::move(fourth));
  return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, DecodedTable,
    ::testing::Values(
        Decoded{"RecordCountFarBeyondTheFile",
                [] {
                  AdtTableWriter w = ThreeRecords();
                  w.SetHeader32(adt::kHdrRecordCount, 2000000000);
                  return w;
                },
                {},
                kThreeRows,
                "quillex: 1999999997 records are missing: the header of @ declares 2000000000 records, but the file "
                "ends before record 4\n"},
        Decoded{"MissingRecordsOutsideTheWindowAreNoLoss",
                [] {
                  AdtTableWriter w = ThreeRecords();
                  w.SetHeader32(adt::kHdrRecordCount, 10);
                  return w;
                },
                {"/last=3"},
                kThreeRows,
                ""},
        Decoded{"MissingRecordsInsideTheWindow",
                [] {
                  AdtTableWriter w = ThreeRecords();
                  w.SetHeader32(adt::kHdrRecordCount, 10);
                  return w;
                },
                {"/first=2", "/last=5"},
                {{"2", "Bob", "second note"}, {"3", "Cy", "<null>"}},
                "quillex: 2 records are missing: the header of @ declares 10 records, but the file ends before "
                "record 4\n"},
        Decoded{"RecordLengthAbove32768",
                [] {
                  AdtTableWriter w;
                  w.AddField("ID", adt::atInteger, 4);
                  w.AddFieldAt("FAR", adt::atString, 10, 40000);
                  w.AddRecord().Set(0, AdtBytes::Int32(1)).Set(1, AdtBytes::Text("far away", 10));
                  w.AddRecord().Set(0, AdtBytes::Int32(2)).Set(1, AdtBytes::Text("further", 10));
                  return w;
                },
                {},
                {{"1", "far away"}, {"2", "further"}},
                ""},
        Decoded{"OverlappingFields",
                [] {
                  AdtTableWriter w;
                  w.AddField("WHOLE", adt::atString, 8);
                  w.AddFieldAt("PART", adt::atString, 3, 7);
                  w.AddRecord().Set(0, AdtBytes::Text("abcdefgh", 8));
                  return w;
                },
                {},
                {{"abcdefgh", "cde"}},
                ""},
        Decoded{"NegativeMemoLength", [] { return WithMemoRefs(1, -5); }, {}, ThreeRowsAnd({"4", "<null>", "<null>"}),
                ""},
        Decoded{"MemoLengthHuge",
                // The read stops at the memo file's end: the second note's
                // blocks (from block 3) and nothing else.
                [] { return WithMemoRefs(3, 0x7FFFFFFF); }, {}, ThreeRowsAnd({"4", "<null>", "second note"}), ""},
        Decoded{"MemoBlockBeyondTheMemoFile", [] { return WithMemoRefs(0xFFFFFFFFu, 10); }, {},
                ThreeRowsAnd({"4", "<null>", "<null>"}), ""},
        Decoded{"PasswordAreaUpToItsZero",
                [] {
                  AdtTableWriter w = ThreeRecords();
                  w.SetPassword(std::string("ab\0cd", 5));
                  return w;
                },
                {"/pass=ab"},
                kThreeRows,
                ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx::reliability
