#include "driver/ErrorReport.h"

#include <cstdio>
#include <new>

#include "platform/Exceptions.h"

namespace qx {

std::string FormatErrorReport(const std::exception& error, const std::string& module) {
  std::string className = "Exception";
  std::string message = error.what();
  uintptr_t address = 0;
  if (const auto* e = dynamic_cast<const Exception*>(&error)) {
    className = e->ClassName();
    address = e->Address();
  } else if (dynamic_cast<const std::bad_alloc*>(&error)) {
    className = "EOutOfMemory";
    message = "Out of memory";
  }
  char head[64];
  std::snprintf(head, sizeof head, "%08X", static_cast<unsigned>(address & 0xFFFFFFFFu));
  std::string report = "Exception " + className + " in module " + module + " at " + head + ".\n" + message;
  if (!message.empty() && message.back() != '.') report += ".";
  report += "\n";
  return report;
}

}  // namespace qx
