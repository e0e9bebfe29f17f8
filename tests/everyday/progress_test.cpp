// The progress line: drawn on standard error when it is a terminal, erased
// at the end, absent everywhere else.
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/Progress.h"
#include "support/AdtFixture.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace qx {
namespace {

using fixture::AdtBytes;
using fixture::AdtTableWriter;
using test::TempDir;

struct PtyResult {
  int exitCode = -1;
  std::string screen;  // everything written to the terminal
};

// Runs quillex with its standard input, output and error on a new
// pseudo-terminal `columns` wide. With stderrFile, standard error goes to
// that file instead.
PtyResult RunOnTerminal(const std::vector<std::string>& args, unsigned short columns = 80,
                        const std::string& stderrFile = "") {
  PtyResult result;
  std::string program = test::QuillexBinary();
  std::vector<char*> argv;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  winsize ws{};
  ws.ws_row = 24;
  ws.ws_col = columns;
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
  if (pid < 0) {
    ADD_FAILURE() << "forkpty failed: " << errno;
    return result;
  }
  if (pid == 0) {
    if (!stderrFile.empty()) {
      int fd = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd < 0 || ::dup2(fd, STDERR_FILENO) < 0) _exit(126);
      ::close(fd);
    }
    ::execv(program.c_str(), argv.data());
    _exit(127);
  }
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n > 0) {
      result.screen.append(buf, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the child has closed its side
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(master);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

// A table of `records` records with an ID and a NAME.
std::string WriteTable(const TempDir& dir, int records) {
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  int name = w.AddField("NAME", adt::atString, 12);
  for (int i = 1; i <= records; ++i)
    w.AddRecord().Set(id, AdtBytes::Int32(i)).Set(name, AdtBytes::Text("name " + std::to_string(i), 12));
  std::string path = dir.File("orders.adt");
  w.WriteFiles(path);
  return path;
}

// The pieces of a terminal line redrawn with "\r", the first (before any
// "\r") included.
std::vector<std::string> SplitAtCarriageReturns(const std::string& s) {
  std::vector<std::string> parts(1);
  for (char c : s) {
    if (c == '\r')
      parts.emplace_back();
    else
      parts.back().push_back(c);
  }
  return parts;
}

TEST(ProgressLine, ShownOnATerminalAndErasedAtTheEnd) {
  TempDir dir;
  std::string source = WriteTable(dir, 2000);
  PtyResult r = RunOnTerminal({source, dir.File("out.db")}, 40);
  ASSERT_EQ(r.exitCode, 0) << r.screen;
  EXPECT_NE(r.screen.find("quillex: 1 of 2000 records read (0%)"), std::string::npos) << r.screen;
  EXPECT_EQ(r.screen.find('\n'), std::string::npos) << "one line only: " << r.screen;
  auto parts = SplitAtCarriageReturns(r.screen);
  ASSERT_GE(parts.size(), 3u);
  size_t longest = 0;
  for (const auto& p : parts) longest = std::max(longest, p.size());
  EXPECT_LE(longest, 39u) << "wider than the terminal";
  // The end: blanks over the whole line, then the cursor back at its start.
  EXPECT_EQ(parts.back(), "");
  const std::string& blanks = parts[parts.size() - 2];
  EXPECT_EQ(blanks, std::string(blanks.size(), ' '));
  EXPECT_GE(blanks.size(), parts[parts.size() - 3].size());
}

TEST(ProgressLine, ErasedBeforeAnErrorReport) {
  TempDir dir;
  std::string source = WriteTable(dir, 3);
  PtyResult r = RunOnTerminal({source, dir.File("out.db"), "/filter=[NOSUCHFIELD] = 1"});
  EXPECT_EQ(r.exitCode, 1) << r.screen;
  size_t report = r.screen.find("Exception ");
  ASSERT_NE(report, std::string::npos) << r.screen;
  ASSERT_GT(report, 0u);
  EXPECT_EQ(r.screen[report - 1], '\r') << "the report starts at the beginning of the line: " << r.screen;
  EXPECT_NE(r.screen.find("quillex: 1 of 3 records read"), std::string::npos) << r.screen;
}

TEST(ProgressLine, AbsentWhenStandardErrorIsNoTerminal) {
  TempDir dir;
  std::string source = WriteTable(dir, 2000);
  // Standard error a pipe, as in scripts and CI.
  auto piped = test::RunQuillexProgram({source, dir.File("piped.db")});
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.out, "");
  EXPECT_EQ(piped.err, "");
  // Standard output on a terminal, standard error a file.
  PtyResult r = RunOnTerminal({source, dir.File("file.db")}, 80, dir.File("stderr.txt"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.screen, "");
  EXPECT_EQ(test::ReadFileBytes(dir.File("stderr.txt")), "");
}

TEST(ProgressLine, Text) {
  struct Case {
    int64_t read, declared;
    double seconds;
    size_t width;
    const char* text;
  };
  const Case cases[] = {
      {1, 2000, 0, 79, "quillex: 1 of 2000 records read (0%)"},
      {500, 2000, 0.5, 79, "quillex: 500 of 2000 records read (25%), 1000 records/s, 0:02 left"},
      {100, 1000000, 1, 79, "quillex: 100 of 1000000 records read (0%), 100 records/s, 2:46:39 left"},
      {2001, 2000, 2, 79, "quillex: 2001 of 2000 records read (100%), 1000 records/s"},  // deleted records
      {5, 0, 1, 79, "quillex: 5 of 0 records read, 5 records/s"},
      {500, 2000, 0.5, 20, "quillex: 500 of 2000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatProgress(c.read, c.declared, c.seconds, c.width), c.text);
}

}  // namespace
}  // namespace qx
