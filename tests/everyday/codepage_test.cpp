// The "/CODEPAGE=" switch: the source's 8-bit texts are read in the code
// page it names and arrive in the target as the right Unicode text; an
// unknown code page stops the run before any file is opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/CmdLineHelper.h"
#include "driver/RunOptions.h"
#include "everyday/EverydayUtil.h"
#include "platform/CodePage.h"
#include "support/AdtFixture.h"
#include "support/RecordingEngine.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "transfer/Cell2ADT.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using test::QueryRows;
using test::RunQuillexProgram;
using test::TempDir;

// TEXT (String), NOTE (Memo) and WIDE (NChar, UTF-16) holding the same text:
// the first two as the code page's bytes, the third as UTF-16.
void WriteTextTable(const std::string& path, const std::string& bytes, const std::u16string& wide) {
  AdtTableWriter w;
  int text = w.AddField("TEXT", adt::atString, 80);
  int note = w.AddField("NOTE", adt::atMemo, 9);
  int nchar = w.AddField("WIDE", adt::atNChar, 160);
  w.AddRecord().Set(text, AdtBytes::Text(bytes, 80)).Memo(note, bytes).Set(nchar, AdtBytes::Wide(wide, 160));
  w.WriteFiles(path);
}

// The pangram of each code page as its 8-bit bytes, its UTF-16 and its UTF-8.
struct Pangram {
  const char* bytes;
  std::u16string wide;
  std::string utf8;
};

const Pangram kCyrillic1251{
    "\xD1\xFA\xE5\xF8\xFC\x20\xE6\xE5\x20\xE5\xF9\xB8\x20\xFD\xF2\xE8\xF5\x20\xEC\xFF\xE3\xEA\xE8\xF5\x20\xF4\xF0"
    "\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5\x20\xE1\xF3\xEB\xEE\xEA",
    u"Съешь же ещё этих мягких французских булок", "Съешь же ещё этих мягких французских булок"};
const Pangram kCentral1250{
    "\x50\xF8\xED\x6C\x69\x9A\x20\x9E\x6C\x75\x9D\x6F\x75\xE8\x6B\xFD\x20\x6B\xF9\xF2\x20\xFA\x70\xEC\x6C\x20\xEF"
    "\xE1\x62\x65\x6C\x73\x6B\xE9\x20\xF3\x64\x79\x3B\x20\x5A\x61\xBF\xF3\xB3\xE6\x20\x67\xEA\x9C\x6C\xB9\x20\x6A"
    "\x61\x9F\xF1",
    u"Příliš žluťoučký kůň úpěl ďábelské ódy; Zażółć gęślą jaźń",
    "Příliš žluťoučký kůň úpěl ďábelské ódy; Zażółć gęślą jaźń"};
const Pangram kCyrillicDos866{"\xF0\xAB\xAA\xA0\x2C\x20\x8F\x90\x88\x82\x85\x92\x2C\x20\xE9\xE3\xAA\xA0",
                              u"Ёлка, ПРИВЕТ, щука", "Ёлка, ПРИВЕТ, щука"};

TEST(CodePageSwitch, EightBitAndWideTextsArriveAsUnicode) {
  struct Case {
    const char* name;
    const Pangram& text;
    std::vector<std::string> extraArgs;  // after source and target
  };
  const Case cases[] = {
      {"Cyrillic 1251", kCyrillic1251, {"/CODEPAGE=1251"}},
      {"Central European 1250, lower case, after the table name", kCentral1250, {"people", "/codepage=1250"}},
      {"Cyrillic DOS 866, later switch wins", kCyrillicDos866, {"/CodePage=1252", "/fields=text;note;wide", "/CODEPAGE=866"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteTextTable(dir.File("people.adt"), c.text.bytes, c.text.wide);
    std::vector<std::string> args{dir.File("people.adt"), dir.File("out.db")};
    args.insert(args.end(), c.extraArgs.begin(), c.extraArgs.end());
    auto r = RunQuillexProgram(args);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    auto rows = QueryRows(dir.File("out.db"), "SELECT TEXT, NOTE, WIDE FROM people");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{c.text.utf8, c.text.utf8, c.text.utf8}));
  }
}

TEST(CodePageSwitch, WithoutItTextsAreWindows1252) {
  // The same Cyrillic table without the switch: its bytes read as Western
  // European letters, and the UTF-16 text has no Western bytes but "?".
  TempDir dir;
  WriteTextTable(dir.File("people.adt"), kCyrillic1251.bytes, kCyrillic1251.wide);
  auto r = RunQuillexProgram({dir.File("people.adt"), dir.File("out.db")});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  auto rows = QueryRows(dir.File("out.db"), "SELECT TEXT, NOTE, WIDE FROM people");
  ASSERT_EQ(rows.size(), 1u);
  const std::string western = "Ñúåøü æå åù¸ ýòèõ ìÿãêèõ ôðàíöóçñêèõ áóëîê";
  EXPECT_EQ(rows[0], (std::vector<std::string>{western, western, "????? ?? ??? ???? ?????? ??????????? ?????"}));
}

TEST(CodePageSwitch, UnknownCodePageIsRefusedBeforeAnythingIsOpened) {
  struct Case {
    const char* value;
    const char* message;
  };
  const Case cases[] = {
      {"9999", "Code page 9999 is not supported."},
      {"65001", "Code page 65001 is not supported."},  // UTF-8: not a single-byte code page
      {"0", "Code page 0 is not supported."},
      {"cyrillic", "\"/CODEPAGE=cyrillic\" is not a code page number."},
      {"", "\"/CODEPAGE=\" is not a code page number."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    TempDir dir;
    WriteTextTable(dir.File("people.adt"), kCyrillic1251.bytes, kCyrillic1251.wide);
    // A fresh target is not created.
    auto fresh = RunQuillexProgram({dir.File("people.adt"), dir.File("new.db"), std::string("/CODEPAGE=") + c.value});
    EXPECT_EQ(fresh.exitCode, 1);
    EXPECT_EQ(fresh.out.rfind("Exception ECodePageError in module quillex at ", 0), 0u) << fresh.out;
    EXPECT_NE(fresh.out.find(std::string("\n") + c.message + " Give the number of a single-byte Windows code page"),
              std::string::npos)
        << fresh.out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.db")));
    EXPECT_EQ(fresh.err, "");

    // An existing target stays byte for byte as it was, even in copy mode.
    ASSERT_EQ(RunQuillexProgram({dir.File("people.adt"), dir.File("old.db")}).exitCode, 0);
    const std::string before = test::ReadFileBytes(dir.File("old.db"));
    auto copy = RunQuillexProgram(
        {dir.File("people.adt"), dir.File("old.db"), "/mode=copy", std::string("/codepage=") + c.value});
    EXPECT_EQ(copy.exitCode, 1);
    EXPECT_EQ(test::ReadFileBytes(dir.File("old.db")), before);

    // Nor is the source looked at: a missing one is not reported.
    auto missing = RunQuillexProgram({dir.File("absent.adt"), dir.File("new.db"), std::string("/CODEPAGE=") + c.value});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out.find("Source file not found."), std::string::npos);
  }
}

RunOptions Read(std::vector<std::string> args) {
  args.insert(args.begin(), "quillex");
  SetCommandLine(args);
  return ReadRunOptions();
}

TEST(CodePageSwitch, ReadLikeEveryOtherSwitch) {
  EXPECT_EQ(Read({"a.adt", "b.db"}).CodePage, "1252");
  RunOptions o = Read({"a.adt", "b.db", "/codepage=1251"});
  EXPECT_EQ(o.CodePage, "1251");
  EXPECT_EQ(o.TableName, "a");  // a third argument beginning with "/" is no table name
  EXPECT_EQ(Read({"a.adt", "b.db", "t", "/CODEPAGE=866", "/CodePage= $4E2"}).CodePage, " $4E2");

  EXPECT_EQ(CodePageNumber("1251"), 1251);
  EXPECT_EQ(CodePageNumber(" $4E2"), 1250);  // integers as /FIRST= takes them
  EXPECT_EQ(CodePageNumber("437"), 437);
  for (const char* bad : {"", "12x", "-1251", "932", "99999999"}) EXPECT_THROW(CodePageNumber(bad), ECodePageError) << bad;
}

// Restores the Western code page when a test that changed it ends.
struct CodePageScope {
  explicit CodePageScope(int cp) { EXPECT_TRUE(SetAnsiCodePage(cp)); }
  ~CodePageScope() { SetAnsiCodePage(1252); }
};

TEST(CodePageSwitch, NewDatabaseIsCreatedWithTheCodePage) {
  for (int cp : {1251, 1250, 1252}) {
    SCOPED_TRACE(cp);
    CodePageScope scope(cp);
    TempDir dir;
    WriteTextTable(dir.File("people.adt"), kCyrillic1251.bytes, kCyrillic1251.wide);
    test::RecordingEngine rec;
    TCell2ADT engine;
    engine.Reader->FileName = dir.File("people.adt");
    engine.Reader->ReadOnDemand = true;
    engine.MDBFileName = dir.File("new.mdb");
    engine.TableName = "people";
    engine.Transfer();
    const std::string expected =
        "DBEngine.CreateDatabase(" + dir.File("new.mdb") + ", ;LANGID=0x0409;CP=" + std::to_string(cp) + ";COUNTRY=0, 0)";
    const auto& calls = rec.state().calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end());
  }
}

}  // namespace
}  // namespace qx
