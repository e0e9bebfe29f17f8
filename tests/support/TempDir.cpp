#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace qx::fixture {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillex-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace qx::fixture
