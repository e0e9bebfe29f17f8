// Values stored as Null because their field refused them, and rows the
// target refused to save, are told on standard error at the end of the run:
// one line per kind, with how many, which fields and the first source record
// affected. Standard output and the exit code stay as they are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reliability/ReliabilityUtil.h"
#include "support/TempDir.h"

namespace qx::reliability {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using fixture::TempDir;

// ID, NAME (String 10), AMOUNT (Double); record 3 is deleted, so record
// numbers count it as /first= does.
AdtTableWriter Orders(const std::vector<std::pair<std::string, double>>& rows, std::vector<int32_t> ids = {}) {
  AdtTableWriter w;
  w.AddField("ID", adt::atInteger, 4);
  w.AddField("NAME", adt::atString, 10);
  w.AddField("AMOUNT", adt::atDouble, 8);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int32_t id = ids.empty() ? static_cast<int32_t>(i + 1) : ids[i];
    w.AddRecord()
        .Set(0, AdtBytes::Int32(id))
        .Set(1, AdtBytes::Text(rows[i].first, 10))
        .Set(2, AdtBytes::Double(rows[i].second));
  }
  w.DeleteRecord(2);
  return w;
}

TEST(SilentLoss, ACleanRunPrintsNothing) {
  TempDir dir;
  Orders({{"Ann", 2}, {"Bob", 2.5}, {"gone", 1}, {"Cy", 3}}).WriteFiles(dir.File("t.adt"));
  Outcome o = RunQuillexLimited({dir.File("t.adt"), dir.File("o.db")}, 0);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(ReadDb(dir.File("o.db"), "t").rows.size(), 3u);
}

TEST(SilentLoss, RefusedValuesAreStoredAsNullAndCountedPerField) {
  TempDir dir;
  Orders({{"Ann", 2}, {"Bobby", 3e9}, {"gone", 1}, {"Cy", 3}, {"Dorothy", 1e10}}).WriteFiles(dir.File("t.adt"));
  const std::string target = dir.File("o.db");
  // AMOUNT goes into a Long field, NAME into a text of 3 characters.
  MakeDb(target, {"CREATE TABLE t (ID INTEGER, NAME VARCHAR(3), AMOUNT INTEGER)"});
  Outcome o = RunQuillexLimited({dir.File("t.adt"), target}, 0);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err,
            "quillex: 4 values refused by the target were stored as Null, in fields NAME (2), "
            "AMOUNT (2); the first in source record 2\n");
  EXPECT_EQ(ReadDb(target, "t").rows, (std::vector<std::vector<std::string>>{
                                          {"1", "Ann", "2"},
                                          {"2", "<null>", "<null>"},
                                          {"4", "Cy", "3"},
                                          {"5", "<null>", "<null>"}}));
}

TEST(SilentLoss, RefusedRowsAreSkippedAndCountedWithTheFirstRecord) {
  TempDir dir;
  // IDs 1, 2, (deleted), 1, 3, 2: records 4 and 6 repeat a unique ID.
  Orders({{"a", 1}, {"b", 2}, {"gone", 0}, {"c", 3}, {"d", 4}, {"e", 5}}, {1, 2, 9, 1, 3, 2})
      .WriteFiles(dir.File("t.adt"));
  const std::string target = dir.File("o.db");
  MakeDb(target, {"CREATE TABLE t (ID INTEGER UNIQUE, NAME VARCHAR(1), AMOUNT DOUBLE)"});
  Outcome o = RunQuillexLimited({dir.File("t.adt"), target}, 0);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err,
            "quillex: 2 rows refused by the target were skipped; the first is source record 4\n");
  EXPECT_EQ(ReadDb(target, "t").rows,
            (std::vector<std::vector<std::string>>{{"1", "a", "1.0"}, {"2", "b", "2.0"}, {"3", "d", "4.0"}}));
}

TEST(SilentLoss, BothKindsGetOneLineEachInOneRun) {
  TempDir dir;
  Orders({{"a", 1}, {"bb", 2}, {"gone", 0}, {"c", 3}}, {1, 2, 9, 1}).WriteFiles(dir.File("t.adt"));
  const std::string target = dir.File("o.db");
  MakeDb(target, {"CREATE TABLE t (ID INTEGER UNIQUE, NAME VARCHAR(1), AMOUNT DOUBLE)"});
  Outcome o = RunQuillexLimited({dir.File("t.adt"), target}, 0);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.err,
            "quillex: 1 value refused by the target was stored as Null, in field NAME (1); the first in "
            "source record 2\n"
            "quillex: 1 row refused by the target was skipped; the first is source record 4\n");
}

TEST(SilentLoss, LossesBeforeAnErrorAreStillTold) {
  TempDir dir;
  AdtTableWriter w;
  w.AddField("NAME", adt::atString, 10);
  w.AddField("STAMP", adt::atTimeStamp, 8);
  w.AddRecord().Set(0, AdtBytes::Text("Bobby", 10)).Set(1, AdtBytes::TimeStamp(2451545, 0));
  // A day number of no calendar date ends the run.
  w.AddRecord().Set(0, AdtBytes::Text("Al", 10)).Set(1, AdtBytes::TimeStamp(99999999, 0));
  w.WriteFiles(dir.File("t.adt"));
  const std::string target = dir.File("o.db");
  MakeDb(target, {"CREATE TABLE t (NAME VARCHAR(3), STAMP DATETIME)"});
  Outcome o = RunQuillexLimited({dir.File("t.adt"), target}, 0);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.out.find("Invalid argument to date encode"), std::string::npos) << o.out;
  EXPECT_EQ(o.err,
            "quillex: 1 value refused by the target was stored as Null, in field NAME (1); the first in "
            "source record 1\n");
  EXPECT_EQ(ReadDb(target, "t").rows.size(), 1u);
}

}  // namespace
}  // namespace qx::reliability
