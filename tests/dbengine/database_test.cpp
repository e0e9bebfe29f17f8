// Opening and creating database files: the backend is chosen by the file's
// first bytes; no existing file is ever overwritten.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "EngineTestUtil.h"
#include "dbengine/Engine.h"

namespace qx::dao {
namespace {

using test::SqliteReader;
using test::TempDir;

const std::string kSqliteHeader("SQLite format 3\0", 16);
const std::string kJetHeader = std::string("\x00\x01\x00\x00", 4) + std::string("Standard Jet DB\0", 16);
const std::string kAceHeader = std::string("\x00\x01\x00\x00", 4) + std::string("Standard ACE DB\0", 16);

TEST(Database, CreateMakesAValidSqliteFileEvenWithoutTables) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(dir.File("new.db"), ";LANGID=0x0409;CP=1252;COUNTRY=0", 0);
  db->Close();
  EXPECT_EQ(qx::test::ReadFileBytes(dir.File("new.db")).substr(0, 16), kSqliteHeader);
  EXPECT_EQ(SqliteReader(dir.File("new.db")).One("PRAGMA integrity_check"), "ok");
  // And it opens again, empty.
  EXPECT_EQ(engine->OpenDatabase(dir.File("new.db"))->GetTableDefs().Count(), 0);
}

TEST(Database, CreateRefusesEveryExistingPathAndLeavesItUntouched) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"notes.txt", "just some text\n"},
      {"empty.db", ""},
      {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"report.mdb", kJetHeader + std::string(100, 'x')},
      {"target.db", kSqliteHeader + std::string(84, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qx::test::WriteFileBytes(dir.File(c.name), c.bytes);
    EXPECT_ENGINE_ERROR(engine->CreateDatabase(dir.File(c.name), "", 0), "Cannot create database",
                        "a file already exists at that path");
    EXPECT_EQ(qx::test::ReadFileBytes(dir.File(c.name)), c.bytes);
  }
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_ENGINE_ERROR(engine->CreateDatabase(dir.File("folder"), "", 0), "already exists");
  // A dangling symbolic link: creating would write where it points.
  ASSERT_EQ(::symlink(dir.File("nowhere.db").c_str(), dir.File("link.db").c_str()), 0);
  EXPECT_ENGINE_ERROR(engine->CreateDatabase(dir.File("link.db"), "", 0), "already exists");
  EXPECT_FALSE(std::filesystem::exists(dir.File("nowhere.db")));
}

TEST(Database, OpenRefusesFilesThatAreNoDatabase) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"notes.txt", "just some text\n", "the file is not a database"},
      {"empty.db", "", "the file is empty"},
      {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "the file is not a database"},
      {"old.mdb", kJetHeader + std::string(200, '\0'), "Access database (.mdb)"},
      {"new.accdb", kAceHeader + std::string(200, '\0'), ".accdb"},
      // SQLite's magic followed by garbage: SQLite itself must refuse it.
      {"broken.db", kSqliteHeader + std::string(200, '\x7f'), "Cannot open database"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qx::test::WriteFileBytes(dir.File(c.name), c.bytes);
    const std::string prefix = "Cannot open database '" + dir.File(c.name) + "': ";
    EXPECT_ENGINE_ERROR(engine->OpenDatabase(dir.File(c.name)), prefix.c_str(), c.reason);
    EXPECT_EQ(qx::test::ReadFileBytes(dir.File(c.name)), c.bytes);
  }
  EXPECT_ENGINE_ERROR(engine->OpenDatabase(dir.File("missing.db")), "the file does not exist");
  // A named pipe with no writer would block the read of the header forever.
  ASSERT_EQ(::mkfifo(dir.File("pipe.db").c_str(), 0600), 0);
  EXPECT_ENGINE_ERROR(engine->OpenDatabase(dir.File("pipe.db")), "not a regular file");
  EXPECT_ENGINE_ERROR(engine->OpenDatabase(""), "no file name");
}

TEST(Database, CreateAfterFailedOpenSaysWhyTheFileWasNotTaken) {
  // The transfer opens, and creates when opening fails: the user must learn
  // both that the file was kept and why it was no database.
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  qx::test::WriteFileBytes(dir.File("orders.db"), "");
  EXPECT_ANY_THROW(engine->OpenDatabase(dir.File("orders.db")));
  EXPECT_ENGINE_ERROR(engine->CreateDatabase(dir.File("orders.db"), "", 0), "a file already exists at that path",
                      "the file is empty");
}

TEST(Database, AccessNamesAreRefusedWithClearMessages) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  // A new .mdb is an Access (Jet 4) database; .accdb is refused.
  engine->CreateDatabase(dir.File("out.MDB"), "", 0)->Close();
  EXPECT_EQ(qx::test::ReadFileBytes(dir.File("out.MDB")).substr(4, 15), "Standard Jet DB");
  EXPECT_ENGINE_ERROR(engine->CreateDatabase(dir.File("out.accdb"), "", 0), ".accdb format", "not supported");
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.accdb")));
  // Any other name is SQLite, with or without an extension.
  engine->CreateDatabase(dir.File("plain"), "", 0)->Close();
  EXPECT_EQ(qx::test::ReadFileBytes(dir.File("plain")).substr(0, 16), kSqliteHeader);
}

TEST(Database, SpecialSqliteNamesAreOrdinaryFiles) {
  // ":memory:" and "file:..." mean something to SQLite; to us they are
  // file names in the current folder.
  TempDir dir;
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  auto engine = CreateBuiltinEngine();
  for (const char* name : {":memory:", "file:x.db?mode=memory"}) {
    SCOPED_TRACE(name);
    auto db = engine->CreateDatabase(name, "", 0);
    test::CreateTable(*db, "t", {{"a", dbLong, 0}});
    db->Close();
    EXPECT_EQ(SqliteReader(std::string("./") + name).One("SELECT count(*) FROM t"), "0");
  }
  std::filesystem::current_path(cwd);
}

TEST(Database, ClosedDatabaseRefusesWork) {
  TempDir dir;
  auto engine = CreateBuiltinEngine();
  auto db = engine->CreateDatabase(dir.File("a.db"), "", 0);
  db->Close();
  db->Close();  // closing twice is harmless
  EXPECT_ENGINE_ERROR(db->GetTableDefs().Count(), "is closed");
  EXPECT_ENGINE_ERROR(db->CreateTableDef("t", 0, "", ""), "is closed");
  EXPECT_ENGINE_ERROR(db->OpenRecordset("t", dbOpenTable, 0, dbPessimistic), "is closed");
}

}  // namespace
}  // namespace qx::dao
