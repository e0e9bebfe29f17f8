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

// The rows of the large table are "ID, name ID" for ID 1, 2, ...: a prefix
// holds exactly the first rows.count() of them, in order.
void ExpectPrefix(const DbState& db, uint32_t total, const std::string& when) {
  ASSERT_LE(db.rows.size(), total) << when;
  for (size_t i = 0; i < db.rows.size(); ++i) {
    const std::string id = std::to_string(i + 1);
    ASSERT_EQ(db.rows[i], (std::vector<std::string>{id, "name " + id})) << when << ", row " << i;
  }
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

TEST(TargetSafety, ARunKilledAtAnyMomentLeavesASoundPrefix) {
  TempDir dir;
  constexpr uint32_t kRecords = 250000;
  const std::string adt = dir.File("big.adt");
  WriteLargeTable(adt, kRecords);

  // A whole run first: how long one takes, and that it is complete.
  const std::string whole = dir.File("whole.db");
  auto start = std::chrono::steady_clock::now();
  Outcome full = RunQuillexLimited({adt, whole}, 0);
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  ASSERT_EQ(full.exitCode, 0) << full.out;
  DbState complete = ReadDb(whole, "big");
  ASSERT_EQ(complete.rows.size(), kRecords);
  ExpectPrefix(complete, kRecords, "whole run");

  // Kills spread over the run, from its first moments to its end.
  constexpr int kKills = 8;
  size_t killedMidWalk = 0;
  for (int k = 0; k < kKills; ++k) {
    const double delay = seconds * (0.02 + 0.96 * k / (kKills - 1));
    const std::string target = dir.File("killed" + std::to_string(k) + ".db");
    pid_t pid = StartQuillex({adt, target});
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    int status = KillAndReap(pid);
    const std::string when = "killed after " + std::to_string(delay) + " s";
    DbState db = ReadDb(target, "big");
    if (db.exists) EXPECT_EQ(db.integrity, "ok") << when;
    ExpectPrefix(db, kRecords, when);
    if (WIFSIGNALED(status) && db.rows.size() > 0 && db.rows.size() < kRecords) ++killedMidWalk;
  }
  // Some kills must land after a commit and before the end, or the loop
  // proved little.
  EXPECT_GT(killedMidWalk, 0u) << "whole run took " << seconds << " s";
}

TEST(TargetSafety, AFileSizeLimitEndsTheRunWithTheReportAndKeepsTheSavedRows) {
  TempDir dir;
  constexpr uint32_t kRecords = 250000;
  const std::string adt = dir.File("big.adt");
  WriteLargeTable(adt, kRecords);
  const std::string target = dir.File("limited.db");
  // Enough for the first committed batch of rows, not for all of them.
  constexpr int64_t kLimit = 6 << 20;
  Outcome o = RunQuillexLimited({adt, target}, kLimit);
  EXPECT_EQ(o.signal, 0) << "ended by signal " << o.signal;
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out.rfind("Exception ", 0), 0u) << o.out;
  EXPECT_NE(o.out.find(target), std::string::npos) << o.out;
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_LE(st.st_size, kLimit);
  DbState db = ReadDb(target, "big");
  EXPECT_EQ(db.integrity, "ok");
  ExpectPrefix(db, kRecords, "file-size limit");
  EXPECT_GT(db.rows.size(), 0u);
  EXPECT_LT(db.rows.size(), kRecords);
}

}  // namespace
}  // namespace qx::reliability
