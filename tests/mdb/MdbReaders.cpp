#include "MdbReaders.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace qx::mdbtest {

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::string ReaderScript() { return std::string(QUILLEX_SOURCE_DIR) + "/tools/mdbjson.js"; }

}  // namespace

std::string RunCommand(const std::string& command, int& exitCode) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) throw std::runtime_error("cannot run " + command);
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string MdbToolsMissing() {
  int rc = 0;
  RunCommand("mdb-export --version >/dev/null 2>&1", rc);
  return rc == 0 ? "" : "mdbtools is not installed (apt-get install mdbtools)";
}

std::string MdbReaderMissing() {
  int rc = 0;
  RunCommand("node --version >/dev/null 2>&1", rc);
  if (rc != 0) return "node is not installed";
  std::string module = std::string(QUILLEX_SOURCE_DIR) + "/tools/node_modules/mdb-reader";
  if (access(module.c_str(), F_OK) != 0) return "mdb-reader is not installed (npm install in tools/)";
  return "";
}

ReaderTable ReadWithMdbReader(const std::string& file, const std::string& table) {
  int rc = 0;
  std::string out = RunCommand("node " + Quote(ReaderScript()) + " " + Quote(file) + " " + Quote(table) + " --cells", rc);
  if (rc != 0) throw std::runtime_error("mdb-reader failed on " + file);
  ReaderTable t;
  for (const auto& line : Split(out, '\n')) {
    if (line.empty()) continue;
    auto f = Split(line, '\t');
    if (f[0] == "column") {
      t.columns.push_back({f.at(1), f.at(2), std::stoi(f.at(3))});
    } else {
      int r = std::stoi(f.at(0)), c = std::stoi(f.at(1));
      t.cells[{r, c}] = f.at(2);
      t.rows = std::max(t.rows, r + 1);
    }
  }
  return t;
}

ReaderTable ReadWithMdbTools(const std::string& file, const std::string& table) {
  int rc = 0;
  // Unit and record separators as delimiters, \x02 for Null, hex for
  // binary data; -e escapes tabs, line breaks and backslashes.
  std::string out = RunCommand("mdb-export -H -Q -d " + Quote("\x1f") + " -R " + Quote("\x1e") + " -e -b hex -0 " +
                                   Quote("\x02") + " -T '%Y-%m-%d %H:%M:%S' " + Quote(file) + " " + Quote(table),
                               rc);
  if (rc != 0) throw std::runtime_error("mdb-export failed on " + file);
  ReaderTable t;
  auto rows = Split(out, '\x1e');
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].empty() || rows[r] == "\n") continue;
    auto cells = Split(rows[r], '\x1f');
    for (size_t c = 0; c < cells.size(); ++c) t.cells[{int(r), int(c)}] = cells[c] == "\x02" ? kNullText : cells[c];
    t.rows = int(r) + 1;
  }
  return t;
}

std::vector<std::string> TablesWithMdbReader(const std::string& file) {
  int rc = 0;
  std::string out = RunCommand("node " + Quote(ReaderScript()) + " " + Quote(file), rc);
  if (rc != 0) throw std::runtime_error("mdb-reader failed on " + file);
  // {"tables":["a","b"],"system":[...]}: names between the first [ and ].
  std::vector<std::string> names;
  size_t open = out.find('['), close = out.find(']');
  std::string list = out.substr(open + 1, close - open - 1);
  for (auto& item : Split(list, ','))
    if (item.size() >= 2) names.push_back(item.substr(1, item.size() - 2));
  return names;
}

std::vector<std::string> TablesWithMdbTools(const std::string& file) {
  int rc = 0;
  std::string out = RunCommand("mdb-tables -1 " + Quote(file), rc);
  if (rc != 0) throw std::runtime_error("mdb-tables failed on " + file);
  std::vector<std::string> names;
  for (auto& n : Split(out, '\n'))
    if (!n.empty()) names.push_back(n);
  return names;
}

std::string SchemaWithMdbTools(const std::string& file, const std::string& table) {
  int rc = 0;
  std::string out = RunCommand("mdb-schema -T " + Quote(table) + " " + Quote(file), rc);
  if (rc != 0) throw std::runtime_error("mdb-schema failed on " + file);
  return out;
}

long long CountWithMdbTools(const std::string& file, const std::string& table) {
  int rc = 0;
  std::string out = RunCommand("mdb-count " + Quote(file) + " " + Quote(table), rc);
  if (rc != 0) throw std::runtime_error("mdb-count failed on " + file);
  return std::stoll(out);
}

// Days since 1970-01-01 of a civil date, and back.
static void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

// mdb-reader turns the stored double into a time by plain arithmetic
// (days * 86400000 ms from 1899-12-30), also for days before day 0.
std::string MdbReaderDate(double v) {
  long long ms = std::llround(v * 86400000.0) - 2209161600000LL;
  long long days = ms >= 0 ? ms / 86400000 : -((-ms + 86400000 - 1) / 86400000);
  long long rest = ms - days * 86400000;
  int y, m, d;
  CivilFromDays(days, y, m, d);
  char buf[64];
  std::snprintf(buf, sizeof buf, "{\"date\":\"%04d-%02d-%02dT%02lld:%02lld:%02lld.%03lldZ\"}", y, m, d, rest / 3600000,
                rest / 60000 % 60, rest / 1000 % 60, rest % 1000);
  return buf;
}

std::string TempDir() {
  // Never destroyed, so that the exit handler can still read it.
  static const std::string* dir = [] {
    char tmpl[] = "/tmp/quillex-mdb-XXXXXX";
    const char* d = mkdtemp(tmpl);
    if (!d) throw std::runtime_error("mkdtemp failed");
    auto* path = new std::string(d);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(*dir, ec);
    });
    return path;
  }();
  return *dir;
}

}  // namespace qx::mdbtest
