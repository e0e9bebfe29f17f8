// The manual page: renders without warnings, names every switch and every
// built-in function of the filter language, and is installed where man
// finds it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "expr/Builtins.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace qx {
namespace {

const std::string kManual = std::string(QUILLEX_SOURCE_DIR) + "/doc/quillex.1";

// Runs a shell command line; standard output and error as RunProgram gives them.
test::ProgramResult Shell(const std::string& command) { return test::RunProgram("/bin/sh", {"-c", command}); }

bool Have(const std::string& tool) { return Shell("command -v " + tool + " >/dev/null").exitCode == 0; }

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

TEST(Manual, RendersWithoutWarnings) {
  if (!Have("man")) GTEST_SKIP() << "man is not installed";
  // Warnings go to standard error; the page itself is thrown away.
  auto r = Shell("MANWIDTH=80 man --warnings -l " + Quoted(kManual) + " 2>&1 >/dev/null");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  auto page = Shell("MANWIDTH=80 man -l " + Quoted(kManual) + " 2>/dev/null");
  EXPECT_NE(page.out.find("QUILLEX(1)"), std::string::npos);
}

TEST(Manual, NamesEverySwitchAndFunction) {
  const std::string text = test::ReadFileBytes(kManual);
  ASSERT_FALSE(text.empty());
  for (const char* sw : {"/pass=", "/first=", "/last=", "/mode=", "/fields=", "/filter=", "/codepage="})
    EXPECT_NE(text.find(sw), std::string::npos) << sw;
  for (const auto& entry : BuiltinTable())
    EXPECT_NE(text.find(std::string(entry.Name)), std::string::npos) << entry.Name << " is not in the manual";
  EXPECT_NE(text.find("SUBSTITUTE"), std::string::npos);
}

TEST(Manual, InstalledWithTheProgram) {
  if (!Have("cmake")) GTEST_SKIP() << "cmake is not installed";
  const std::string buildDir = std::filesystem::path(test::QuillexBinary()).parent_path().string();
  test::TempDir prefix;
  auto install = Shell("cmake --install " + Quoted(buildDir) + " --prefix " + Quoted(prefix.Path()));
  ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  const std::string program = prefix.File("bin/quillex");
  const std::string manual = prefix.File("share/man/man1/quillex.1");
  EXPECT_EQ(test::ReadFileBytes(manual), test::ReadFileBytes(kManual));
  auto usage = test::RunProgram(program, {});
  EXPECT_EQ(usage.exitCode, 0);
  EXPECT_EQ(usage.out.rfind("QUILLEX v2.6", 0), 0u) << usage.out;
  // PATH and MANPATH pointing at the prefix find both.
  auto found = Shell("PATH=" + Quoted(prefix.File("bin")) + ":/usr/bin:/bin command -v quillex");
  EXPECT_EQ(found.out, program + "\n");
  if (Have("man")) {
    auto where = Shell("MANPATH=" + Quoted(prefix.File("share/man")) + " man -w quillex");
    EXPECT_EQ(where.out, manual + "\n") << where.err;
  }
}

}  // namespace
}  // namespace qx
