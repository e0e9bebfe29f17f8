// The target under faults: a file that is no database is never modified; a
// run killed at any moment leaves a sound database holding a prefix of the
// accepted rows; a file-size limit reached during the walk ends the run with
// the report, and the rows saved before stay readable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "reliability/ReliabilityUtil.h"
#include "support/TempDir.h"

namespace qx::reliability {
namespace {

using fixture::TempDir;

struct NonDatabase {
  const char* name;
  std::string bytes;
};

class NonDatabaseTarget : public ::testing::TestWithParam<NonDatabase> {};

TEST_P(NonDatabaseTarget, IsReportedAndLeftByteForByte) {
  TempDir dir;
  ThreeRecords().WriteFiles(dir.File("t.adt"));
  for (const char* name : {"target.db", "target.mdb"}) {
    const std::string target = dir.File(name);
    test::WriteFileBytes(target, GetParam().bytes);
    for (const char* mode : {"/mode=append", "/mode=copy"}) {
      Outcome o = RunQuillexLimited({dir.File("t.adt"), target, mode}, 0);
      EXPECT_EQ(o.exitCode, 1) << name << " " << mode;
      EXPECT_NE(o.out.find("Exception "), std::string::npos) << o.out;
      EXPECT_NE(o.out.find(target), std::string::npos) << o.out;
      EXPECT_EQ(FileBytes(target), GetParam().bytes) << name << " " << mode;
      EXPECT_FALSE(PathExists(target + "-journal"));
    }
  }
}

std::string Garbage(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (char& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, NonDatabaseTarget,
    ::testing::Values(NonDatabase{"Text", "Dear diary,\nnothing to see here.\n"},
                      NonDatabase{"Binary", Garbage(5000)},
                      NonDatabase{"SqliteHeaderThenGarbage", std::string("SQLite format 3\0", 16) + Garbage(4080)},
                      NonDatabase{"OneByte", "x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TargetSafety, TheSourceGivenAsTargetIsNotTouched) {
  TempDir dir;
  ThreeRecords().WriteFiles(dir.File("t.adt"));
  const std::string before = FileBytes(dir.File("t.adt"));
  Outcome o = RunQuillexLimited({dir.File("t.adt"), dir.File("t.adt")}, 0);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(FileBytes(dir.File("t.adt")), before);
}

TEST(TargetSafety, AFolderAsTargetIsReportedAndLeftEmpty) {
  TempDir dir;
  ThreeRecords().WriteFiles(dir.File("t.adt"));
  ::mkdir(dir.File("folder.db").c_str(), 0755);
  Outcome o = RunQuillexLimited({dir.File("t.adt"), dir.File("folder.db")}, 0);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.out.find("Exception "), std::string::npos);
  EXPECT_EQ(::rmdir(dir.File("folder.db").c_str()), 0);  // still there, still empty
}

// The rows of the large table are "ID, name ID" for ID 1, 2, ... in the
// order written: a prefix holds exactly the first of them. Returns the
// number of rows (0 without a database or table).
size_t ExpectPrefix(const std::string& path, uint32_t total, const std::string& when) {
  DbState db = ReadDb(path, "big", false);
  if (!db.exists) return 0;
  EXPECT_EQ(db.integrity, "ok") << when;
  if (!db.hasTable) return 0;
  const size_t rows = std::stoul(QueryOne(path, "SELECT count(*) FROM big"));
  EXPECT_LE(rows, total) << when;
  EXPECT_EQ(QueryOne(path, "SELECT count(*) FROM big WHERE ID <> rowid OR NAME <> 'name ' || rowid OR rowid > " +
                               std::to_string(rows)),
            "0")
      << when << ": the rows are not the first " << rows << " of the table";
  return rows;
}

int64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// One table for the fault tests: big enough that a run commits a batch of
// rows (by count or by time) well before it ends.
constexpr uint32_t kRecords = 250000;

class BigTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    WriteLargeTable(Adt(), kRecords);
    // A whole run: the size of a complete target, and that it is complete.
    const auto start = std::chrono::steady_clock::now();
    Outcome full = RunQuillexLimited({Adt(), Whole()}, 0);
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(full.exitCode, 0) << full.out;
    ASSERT_EQ(ExpectPrefix(Whole(), kRecords, "whole run"), kRecords);
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string Adt() { return dir_->File("big.adt"); }
  static std::string Whole() { return dir_->File("whole.db"); }
  static TempDir* dir_;
  static double seconds_;
};
TempDir* BigTable::dir_ = nullptr;
double BigTable::seconds_ = 0;

TEST_F(BigTable, ARunKilledAtAnyMomentLeavesASoundPrefix) {
  // Kills spread over a run's time, from its first moments to its end.
  constexpr int kKills = 4;
  for (int k = 0; k < kKills; ++k) {
    const double delay = seconds_ * (0.02 + 0.96 * k / (kKills - 1));
    const std::string target = dir_->File("killed" + std::to_string(k) + ".db");
    pid_t pid = StartQuillex({Adt(), target});
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    KillAndReap(pid);
    ExpectPrefix(target, kRecords, "killed after " + std::to_string(delay) + " s");
  }
  // And one kill as soon as committed rows can be read: the run is then
  // mid-walk, with a batch committed and the next one under way.
  const std::string target = dir_->File("killed-mid-walk.db");
  pid_t pid = StartQuillex({Adt(), target});
  int status = 0;
  bool ended = false;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;  // reaped: not to be killed
      break;
    }
    const std::string count = QueryOne(target, "SELECT count(*) FROM big", true);
    if (!count.empty() && count != "0") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!ended) status = KillAndReap(pid);
  const size_t rows = ExpectPrefix(target, kRecords, "killed mid-walk");
  EXPECT_FALSE(ended) << "the run ended before its first commit was seen";
  if (WIFSIGNALED(status)) {
    EXPECT_GT(rows, 0u);
    EXPECT_LT(rows, kRecords);
  }
}

TEST_F(BigTable, AFileSizeLimitEndsTheRunWithTheReportAndKeepsTheSavedRows) {
  // A limit at 60% of the whole target: room for the first committed batch
  // of rows, not for all of them.
  const int64_t limit = FileSize(Whole()) * 6 / 10;
  const std::string target = dir_->File("limited.db");
  Outcome o = RunQuillexLimited({Adt(), target}, limit);
  EXPECT_EQ(o.signal, 0) << "ended by signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out.rfind("Exception ", 0), 0u) << o.out;
  EXPECT_NE(o.out.find(target), std::string::npos) << o.out;
  EXPECT_LE(FileSize(target), limit);
  const size_t rows = ExpectPrefix(target, kRecords, "file-size limit");
  EXPECT_GT(rows, 0u);
  EXPECT_LT(rows, kRecords);
}

}  // namespace
}  // namespace qx::reliability
