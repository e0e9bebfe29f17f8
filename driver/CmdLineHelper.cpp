#include "driver/CmdLineHelper.h"

#include "platform/FileUtils.h"

namespace qx {

namespace {

bool IsSeparator(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

std::string& CommandLine() {
  static std::string line;
  return line;
}

void Produce(char* buffer, int32_t& count, char c) {
  if (buffer) buffer[count] = c;
  ++count;
}

// Steps the platform split over one argument; returns false at the end.
bool PlatformNext(const char*& p, std::string* out) {
  for (;;) {
    while (IsSeparator(*p)) ++p;
    if (p[0] == '"' && p[1] == '"') {
      p += 2;
      continue;
    }
    break;
  }
  if (*p == '\0') return false;
  while (*p != '\0' && !IsSeparator(*p)) {
    if (*p == '"') {
      ++p;
      while (*p != '\0' && *p != '"') {
        if (out) out->push_back(*p);
        ++p;
      }
      if (*p == '"') ++p;
    } else {
      if (out) out->push_back(*p);
      ++p;
    }
  }
  return true;
}

}  // namespace

bool NextArg(const char*& cursor, char* buffer, int32_t* length) {
  if (length) *length = 0;
  if (cursor == nullptr) return false;
  while (IsSeparator(*cursor)) ++cursor;
  if (*cursor == '\0') return false;
  bool quoted = false;
  int32_t count = 0;
  while (*cursor != '\0') {
    if (*cursor == '\\') {
      int32_t n = 0;
      while (*cursor == '\\') {
        ++n;
        ++cursor;
      }
      if (*cursor == '"') {
        for (int32_t i = 0; i < n / 2; ++i) Produce(buffer, count, '\\');
        if (n % 2 == 1) {
          Produce(buffer, count, '"');
          ++cursor;
        }
      } else {
        for (int32_t i = 0; i < n; ++i) Produce(buffer, count, '\\');
      }
      continue;
    }
    if (*cursor == '"') {
      quoted = !quoted;
      ++cursor;
      continue;
    }
    if (IsSeparator(*cursor) && !quoted) break;
    Produce(buffer, count, *cursor);
    ++cursor;
  }
  if (length) *length = count;
  return true;
}

std::string QuoteArgument(const std::string& arg) {
  bool plain = !arg.empty();
  for (char c : arg)
    if (IsSeparator(c) || c == '"') plain = false;
  if (plain) return arg;  // backslashes without a following quote stay literal
  std::string out = "\"";
  size_t i = 0;
  while (i < arg.size()) {
    size_t n = 0;
    while (i < arg.size() && arg[i] == '\\') {
      ++n;
      ++i;
    }
    if (i == arg.size()) {
      // Before the closing quote every backslash must be doubled.
      out.append(2 * n, '\\');
    } else if (arg[i] == '"') {
      out.append(2 * n + 1, '\\');
      out.push_back('"');
      ++i;
    } else {
      out.append(n, '\\');
      out.push_back(arg[i]);
      ++i;
    }
  }
  out.push_back('"');
  return out;
}

void SetCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (size_t i = 0; i < argv.size(); ++i) {
    if (i) line.push_back(' ');
    line += QuoteArgument(argv[i]);
  }
  CommandLine() = std::move(line);
}

void SetCommandLineFromArgv(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
  SetCommandLine(args);
}

void SetRawCommandLine(std::string line) { CommandLine() = std::move(line); }

const std::string& RawCommandLine() { return CommandLine(); }

int32_t ArgumentCount() {
  const char* p = CommandLine().c_str();
  NextArg(p, nullptr, nullptr);
  int32_t n = 0;
  while (NextArg(p, nullptr, nullptr)) ++n;
  return n;
}

std::string ArgumentText(int32_t n) {
  if (n <= 0) return ProgramFilePath();
  const char* p = CommandLine().c_str();
  for (int32_t i = 0; i < n; ++i)
    if (!NextArg(p, nullptr, nullptr)) return std::string();
  const char* measure = p;
  int32_t len = 0;
  if (!NextArg(measure, nullptr, &len)) return std::string();
  std::string result(static_cast<size_t>(len), '\0');
  NextArg(p, result.data(), &len);
  return result;
}

int32_t PlatformArgumentCount() {
  const char* p = CommandLine().c_str();
  PlatformNext(p, nullptr);
  int32_t n = 0;
  std::string arg;
  for (;;) {
    arg.clear();
    if (!PlatformNext(p, &arg) || arg.empty()) break;
    ++n;
  }
  return n;
}

std::string PlatformArgumentText(int32_t n) {
  if (n <= 0) return ProgramFilePath();
  const char* p = CommandLine().c_str();
  PlatformNext(p, nullptr);
  std::string arg;
  for (int32_t i = 1; i <= n; ++i) {
    arg.clear();
    if (!PlatformNext(p, &arg)) return std::string();
  }
  return arg;
}

}  // namespace qx
