#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
#include <string>

namespace qx::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + "/" + name
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole-file helpers for tests.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace qx::test

namespace qx::fixture {
using qx::test::TempDir;
}  // namespace qx::fixture
