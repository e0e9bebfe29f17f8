#pragma once
// The top-level error report: "Exception <class> in module <module> at
// <address>.\n<message>[.]" followed by a line break.
#include <exception>
#include <string>

namespace qx {

// The report text of an error. module is the program file's name part.
std::string FormatErrorReport(const std::exception& error, const std::string& module);

}  // namespace qx
