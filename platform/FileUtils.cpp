#include "platform/FileUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace qx {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }
}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string ExtractFileName(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return std::string(path.substr(i));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1]) && path[i - 1] != '.') --i;
  if (i > 0 && path[i - 1] == '.') return std::string(path.substr(0, i - 1)) + std::string(ext);
  return std::string(path) + std::string(ext);
}

std::string ProgramFilePath() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return std::string();
  return std::string(buf.data(), static_cast<size_t>(n));
}

}  // namespace qx
