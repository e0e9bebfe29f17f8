#include "platform/Console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Exceptions.h"

namespace qx {

namespace {
[[noreturn]] void Fail(int err) {
  std::clearerr(stdout);
  throw EInOutError("Cannot write to standard output: " + std::string(std::strerror(err ? err : EIO)));
}
}  // namespace

void ConsoleWrite(std::string_view text) {
  if (text.empty()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) Fail(errno);
}

void ConsoleWriteLine(std::string_view text) {
  ConsoleWrite(text);
  ConsoleWrite("\n");
}

void ConsoleFlush() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) Fail(errno);
}

}  // namespace qx
