#pragma once
// The file of pages a new database is written to. Pages are numbered in the
// order they are allocated; a written page is kept in a write-behind buffer
// and written with its neighbours in one call once enough have gathered, so
// a table of a million rows costs a few thousand writes, not one per row.
//
// The file is created under a temporary name in the target's folder and
// only gets the target's name at Commit: a run that is killed leaves a
// temporary file behind, never a half-written database under the user's
// name. A PageFile destroyed without Commit removes its temporary file.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "dbengine/mdb/MdbBytes.h"

namespace qx::mdb {
inline constexpr uint32_t kMaxPages = 0x80000000u / kPageSize;  // 2 GB
}

namespace qx::mdb {

class PageFile {
 public:
  // Creates the temporary file beside targetPath. Raises EEngineError when
  // a file already exists at targetPath or the folder is not writable.
  explicit PageFile(std::string targetPath);
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // A new page number at the end of the file. Raises EEngineError when the
  // file would outgrow the 2 GB a Jet 4 database may have; the last 256
  // pages are kept for the maps and the catalog written at Close.
  uint32_t Allocate();
  uint32_t AllocateForClose();
  uint32_t PageCount() const { return pageCount_; }

  // Queues the page's bytes for writing (a later Write of the same page
  // replaces them).
  void Write(uint32_t page, const Page& bytes);
  // Writes every queued page.
  void Flush();
  // Flushes, sets the file length to whole pages, syncs, and moves the file
  // to the target name (refusing to replace a file that appeared there).
  void Commit();
  // Discards the temporary file (no effect after Commit).
  void Discard();

  const std::string& TargetPath() const { return target_; }
  const std::string& TempPath() const { return temp_; }

 private:
  void WriteRun(uint32_t first, const uint8_t* data, size_t pages);
  [[noreturn]] void Fail(const std::string& what) const;

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  uint32_t pageCount_ = 0;
  std::map<uint32_t, std::unique_ptr<Page>> pending_;
  bool committed_ = false;
};

}  // namespace qx::mdb
