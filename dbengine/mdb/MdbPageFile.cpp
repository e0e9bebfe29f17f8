#include "dbengine/mdb/MdbPageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/FileUtils.h"

namespace qx::mdb {

namespace {
// Pages gathered before the write-behind buffer is written out (1 MB).
constexpr size_t kBatchPages = 256;
}  // namespace

PageFile::PageFile(std::string targetPath) : target_(std::move(targetPath)) {
  if (access(target_.c_str(), F_OK) == 0)
    throw EEngineError("Database '" + target_ + "' already exists.");
  std::string pattern = target_ + ".qxtmp-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  fd_ = mkstemp(buf.data());
  if (fd_ < 0)
    throw EEngineError("Cannot create database '" + target_ + "': " + std::strerror(errno) + ".");
  temp_ = buf.data();
  // mkstemp makes the file private; give it the mode a new file gets.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
}

PageFile::~PageFile() { Discard(); }

uint32_t PageFile::Allocate() {
  if (pageCount_ >= kMaxPages - 256)
    throw EEngineError("Database '" + target_ + "' has reached the largest size the file format allows (2 GB).");
  return pageCount_++;
}

uint32_t PageFile::AllocateForClose() {
  if (pageCount_ >= kMaxPages)
    throw EEngineError("Database '" + target_ + "' has reached the largest size the file format allows (2 GB).");
  return pageCount_++;
}

void PageFile::Fail(const std::string& what) const {
  throw EEngineError("Cannot write database '" + target_ + "': " + what + ": " + std::strerror(errno) + ".");
}

void PageFile::Write(uint32_t page, const Page& bytes) {
  auto& slot = pending_[page];
  if (!slot) slot = std::make_unique<Page>();
  *slot = bytes;
  if (pending_.size() >= kBatchPages) Flush();
}

void PageFile::WriteRun(uint32_t first, const uint8_t* data, size_t pages) {
  size_t len = pages * kPageSize;
  off_t off = off_t(first) * off_t(kPageSize);
  while (len > 0) {
    ssize_t n = pwrite(fd_, data, len, off);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("write failed");
    }
    data += n;
    len -= size_t(n);
    off += n;
  }
}

void PageFile::Flush() {
  if (fd_ < 0) return;
  std::vector<uint8_t> run;
  uint32_t runFirst = 0, next = 0;
  for (auto& [page, bytes] : pending_) {
    if (!run.empty() && page != next) {
      WriteRun(runFirst, run.data(), run.size() / kPageSize);
      run.clear();
    }
    if (run.empty()) runFirst = page;
    run.insert(run.end(), bytes->begin(), bytes->end());
    next = page + 1;
  }
  if (!run.empty()) WriteRun(runFirst, run.data(), run.size() / kPageSize);
  pending_.clear();
}

void PageFile::Commit() {
  if (committed_) return;
  Flush();
  if (ftruncate(fd_, off_t(pageCount_) * off_t(kPageSize)) != 0) Fail("cannot set the file length");
  if (fsync(fd_) != 0) Fail("cannot sync");
  if (close(fd_) != 0) {
    fd_ = -1;
    Fail("cannot close");
  }
  fd_ = -1;
  // A hard link never replaces an existing file; where the file system has
  // no hard links, fall back to a rename after checking the name is free.
  if (link(temp_.c_str(), target_.c_str()) == 0) {
    unlink(temp_.c_str());
  } else if (errno == EEXIST) {
    committed_ = true;  // keep the temporary file: it holds the user's data
    throw EEngineError("Database '" + target_ + "' already exists; the new database was left in '" + temp_ + "'.");
  } else {
    if (access(target_.c_str(), F_OK) == 0) {
      committed_ = true;
      throw EEngineError("Database '" + target_ + "' already exists; the new database was left in '" + temp_ + "'.");
    }
    if (rename(temp_.c_str(), target_.c_str()) != 0) Fail("cannot rename '" + temp_ + "'");
  }
  committed_ = true;
}

void PageFile::Discard() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temp_.empty()) {
    unlink(temp_.c_str());
    temp_.clear();
  }
  pending_.clear();
}

}  // namespace qx::mdb
