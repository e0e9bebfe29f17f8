#pragma once
// Standard output, the only place the program prints to. A failed write
// raises EInOutError, so that a full disk or a closed pipe is reported
// rather than ignored.
#include <string_view>

namespace qx {

void ConsoleWrite(std::string_view text);
void ConsoleWriteLine(std::string_view text);
// Flushes standard output; raises EInOutError when that fails.
void ConsoleFlush();

}  // namespace qx
