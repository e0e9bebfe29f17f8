#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/CmdLineHelper.h"
#include "driver/ErrorReport.h"
#include "driver/RunOptions.h"
#include "driver/Usage.h"
#include "platform/Exceptions.h"
#include "support/RunProgram.h"

namespace qx {
namespace {

RunOptions Read(std::vector<std::string> args) {
  args.insert(args.begin(), "quillex");
  SetCommandLine(args);
  return ReadRunOptions();
}

TEST(SwitchInteger, Forms) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"5", 5},           {"  42", 42},       {"+7", 7},           {"-1", -1},
      {"$10", 16},        {"$ff", 255},       {"$FFFFFFFF", -1},   {"-$10", -16},
      {"2147483647", 2147483647},             {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},           {"$100000000", std::nullopt},
      {"", std::nullopt}, {"abc", std::nullopt}, {"12x", std::nullopt}, {"1 ", std::nullopt},
      {"$", std::nullopt}, {"-", std::nullopt}, {"$1g", std::nullopt}, {"1.5", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSwitchInteger(c.text), c.value) << c.text;
}

TEST(RunOptions, DefaultsAndPaths) {
  RunOptions o = Read({"C:\\data\\orders.adt", "out.db"});
  EXPECT_EQ(o.SourcePath, "C:\\data\\orders.adt");
  EXPECT_EQ(o.TargetPath, "out.db");
  EXPECT_EQ(o.TableName, "orders");
  EXPECT_EQ(o.FirstRow, 0);
  EXPECT_EQ(o.LastRow, 2147483647);
  EXPECT_EQ(o.Password, "");
  EXPECT_EQ(o.Mode, "");
  EXPECT_EQ(o.FieldList, "");
  EXPECT_EQ(o.Filter, "");
}

TEST(RunOptions, Switches) {
  RunOptions o = Read({"a.adt", "b.db", "/pass=SeCreT", "/FIRST=$10", "/Last=-1", "/mode=Copy",
                       "/fields=Name;CITY", "/filter=[State]=\"AL\""});
  EXPECT_EQ(o.Password, "SeCreT");
  EXPECT_EQ(o.FirstRow, 16);
  EXPECT_EQ(o.LastRow, -1);
  EXPECT_EQ(o.Mode, "Copy");
  EXPECT_EQ(o.FieldList, "name;city;");
  EXPECT_EQ(o.Filter, "[State]=\"AL\"");
  EXPECT_EQ(o.TableName, "a");
}

TEST(RunOptions, LaterSwitchWinsAndBadIntegersKeepPrevious) {
  RunOptions o = Read({"a.adt", "b.db", "/first=5", "/first=abc", "/first=", "/last=3", "/last=9",
                       "/fields=x", "/fields=", "/pass=a", "/PASS=b"});
  EXPECT_EQ(o.FirstRow, 5);
  EXPECT_EQ(o.LastRow, 9);
  EXPECT_EQ(o.FieldList, "");  // an empty list clears an earlier one
  EXPECT_EQ(o.Password, "b");
}

TEST(RunOptions, TableNameCases) {
  struct Case {
    std::vector<std::string> args;
    const char* table;
  };
  const Case cases[] = {
      {{"C:\\data\\orders.adt", "t.db"}, "orders"},
      {{"/home/u/data/orders.adt", "t.db"}, "orders"},
      {{"orders", "t.db"}, "orders"},
      {{"a.b.adt", "t.db"}, "a.b"},
      {{".adt", "t.db"}, ""},
      {{"dir.x/orders", "t.db"}, "orders"},
      {{"orders.adt", "t.db", "Target Table"}, "Target Table"},
      {{"orders.adt", "t.db", "/first=2"}, "orders"},      // a switch is no table name
      {{"orders.adt", "t.db", "where=x>1"}, "where=x>1"},  // where=... is no switch
      {{"orders.adt", "t.db", "T", "where=x>1"}, "T"},
      // The platform split skips the empty pair and sees three arguments; the
      // name is still the tokenizer's third argument, the empty one.
      {{"orders.adt", "t.db", "", "T"}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.args).TableName, c.table) << c.args[0];
}

TEST(RunOptions, SwitchInSourcePosition) {
  RunOptions o = Read({"/first=5", "data.adt", "out.mdb"});
  EXPECT_EQ(o.SourcePath, "/first=5");
  EXPECT_EQ(o.FirstRow, 5);
  EXPECT_EQ(o.TargetPath, "data.adt");
  EXPECT_EQ(o.TableName, "out.mdb");  // argument 3 does not begin with "/"
}

TEST(ErrorReport, Format) {
  EKelCryptException crypt("Wrong password");
  std::string r = FormatErrorReport(crypt, "quillex");
  ASSERT_EQ(r.rfind("Exception EKelCryptException in module quillex at ", 0), 0u) << r;
  EXPECT_EQ(r.substr(r.size() - 18), ".\nWrong password.\n");
  EXPECT_EQ(r.find(" at ") + 4 + 8, r.find(".\n"));  // eight hex digits
  EXPECT_NE(FormatErrorReport(EKelParseException("ends."), "q").find("\nends.\n"), std::string::npos);
  EXPECT_NE(FormatErrorReport(EKelParseException(""), "q").find(".\n\n"), std::string::npos);
  std::string plain = FormatErrorReport(std::runtime_error("boom"), "q");
  EXPECT_EQ(plain.rfind("Exception Exception in module q at 00000000.\nboom.\n", 0), 0u) << plain;
}

TEST(Program, UsageTextWithTooFewArguments) {
  const std::string expected =
      "QUILLEX v2.6 (c) 2026 the Quillex developers; free software, no warranty\n"
      "convert Advantage tables into MS Access database\n"
      "\n"
      "\n"
      "QUILLEX.EXE <source.adt> <target.mdb> [tablename] [/pass=<password>] [/first=<recno>] "
      "[/last=<recno>] [/mode=append|copy] [/fields=<field1;field2;...>] [where=<filter>]\n";
  EXPECT_EQ(UsageText(), expected);
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"only.adt"}}) {
    auto r = test::RunQuillexProgram(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
  }
}

TEST(Program, FailedWriteToStandardOutputIsAnError) {
  // /dev/full accepts the open and fails every write.
  auto r = test::RunProgram("/bin/sh", {"-c", "\"$0\" > /dev/full", test::QuillexBinary()});
  EXPECT_EQ(r.exitCode, 1);
}

}  // namespace
}  // namespace qx
