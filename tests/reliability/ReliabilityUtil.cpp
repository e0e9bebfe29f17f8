#include "reliability/ReliabilityUtil.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/RunProgram.h"

namespace qx::reliability {

using fixture::AdtBytes;
using fixture::AdtTableWriter;

AdtTableWriter ThreeRecords() {
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atInteger, 4);
  int name = w.AddField("NAME", adt::atString, 10);
  int notes = w.AddField("NOTES", adt::atMemo, 9);
  w.AddRecord().Set(id, AdtBytes::Int32(1)).Set(name, AdtBytes::Text("Ann", 10)).Memo(notes, "first note");
  w.AddRecord().Set(id, AdtBytes::Int32(2)).Set(name, AdtBytes::Text("Bob", 10)).Memo(notes, "second note");
  w.AddRecord().Set(id, AdtBytes::Int32(3)).Set(name, AdtBytes::Text("Cy", 10));
  return w;
}

int64_t WriteLargeTable(const std::string& path, uint32_t records) {
  AdtTableWriter w;
  int id = w.AddField("ID", adt::atAutoInc, 4);
  int name = w.AddField("NAME", adt::atString, 20);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  auto write = [&](const fixture::Bytes& b) {
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  };
  write(w.HeaderBytes(records));
  for (uint32_t i = 0; i < records; ++i) {
    fixture::AdtRecord r = w.DetachedRecord();
    r.Set(id, AdtBytes::Int32(static_cast<int32_t>(i + 1)))
        .Set(name, AdtBytes::Text("name " + std::to_string(i + 1), 20));
    write(w.RecordBytes(r, 0));
  }
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_size;
}

namespace {

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

std::string SlurpAndRemove(const std::string& path) {
  std::string bytes = FileBytes(path);
  ::unlink(path.c_str());
  return bytes;
}

}  // namespace

Outcome RunQuillexLimited(const std::vector<std::string>& args, int64_t fileSizeLimit) {
  const std::string program = test::QuillexBinary();
  char outName[] = "/tmp/quillex-out-XXXXXX";
  char errName[] = "/tmp/quillex-err-XXXXXX";
  int outFd = ::mkstemp(outName);
  int errFd = ::mkstemp(errName);
  if (outFd < 0 || errFd < 0) throw std::runtime_error("mkstemp failed");
  std::vector<char*> argv = Argv(program, args);
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    int devnull = ::open("/dev/null", O_RDONLY);
    ::dup2(devnull, 0);
    ::signal(SIGXFSZ, SIG_DFL);
    if (fileSizeLimit > 0) {
      rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outFd);
  ::close(errFd);
  // A run that hangs (waiting on a FIFO, say) is a finding, not a reason to
  // stall the suite: it is killed after a generous deadline.
  int status = 0;
  bool hung = true;
  for (int waited = 0; waited < 120000; waited += 5) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      hung = false;
      break;
    }
    ::usleep(5000);
  }
  if (hung) status = KillAndReap(pid);
  Outcome o;
  if (WIFEXITED(status)) o.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) o.signal = WTERMSIG(status);
  o.out = SlurpAndRemove(outName);
  o.err = SlurpAndRemove(errName);
  return o;
}

pid_t StartQuillex(const std::vector<std::string>& args) {
  const std::string program = test::QuillexBinary();
  std::vector<char*> argv = Argv(program, args);
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int devnull = ::open("/dev/null", O_RDWR);
    ::dup2(devnull, 0);
    ::dup2(devnull, 1);
    ::dup2(devnull, 2);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int Reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

int KillAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  return Reap(pid);
}

DbState ReadDb(const std::string& path, const std::string& table, bool readRows) {
  DbState state;
  state.exists = PathExists(path);
  if (!state.exists) return state;
  sqlite3* db = nullptr;
  // Read-write, so that SQLite can roll back a transaction a killed run left
  // in its journal, exactly as the next user of the file would.
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    state.integrity = db ? sqlite3_errmsg(db) : "cannot open";
    sqlite3_close(db);
    return state;
  }
  auto query = [&](const std::string& sql, std::vector<std::vector<std::string>>& out) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      std::string msg = sqlite3_errmsg(db);
      sqlite3_finalize(stmt);
      return msg;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const unsigned char* text = sqlite3_column_text(stmt, c);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
      }
      out.push_back(std::move(row));
    }
    std::string msg = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    return msg;
  };
  std::vector<std::vector<std::string>> check;
  std::string err = query("PRAGMA integrity_check", check);
  state.integrity = !err.empty() ? err : check.empty() ? "no answer" : check[0][0];
  std::vector<std::vector<std::string>> names;
  query("SELECT name FROM sqlite_master WHERE type='table' AND name='" + table + "'", names);
  state.hasTable = !names.empty();
  if (state.hasTable && readRows) query("SELECT * FROM \"" + table + "\" ORDER BY rowid", state.rows);
  sqlite3_close(db);
  return state;
}

std::string QueryOne(const std::string& path, const std::string& sql, bool readOnly) {
  sqlite3* db = nullptr;
  std::string result;
  if (sqlite3_open_v2(path.c_str(), &db, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      result = text ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

void MakeDb(const std::string& path, const std::vector<std::string>& statements) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
  for (const auto& sql : statements) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
      std::string text = msg ? msg : "?";
      sqlite3_free(msg);
      sqlite3_close(db);
      throw std::runtime_error(sql + ": " + text);
    }
  }
  sqlite3_close(db);
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace qx::reliability
