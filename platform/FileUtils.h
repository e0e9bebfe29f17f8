#pragma once
// File-name helpers. Both "\\" and "/" separate folders: users may type either.
#include <string>
#include <string_view>

namespace qx {

// True when a regular file (not a folder) exists at path.
bool FileExists(const std::string& path);
// The name part of a path: the text after the last "\\", "/" or ":".
std::string ExtractFileName(std::string_view path);
// Replaces the extension (from the last "." of the name part on) by ext,
// which includes its dot; adds ext when the name has no extension.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// The full path of the running program (from /proc/self/exe).
std::string ProgramFilePath();

}  // namespace qx
