#include "platform/Stream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exceptions.h"

namespace qx {

namespace {
constexpr size_t kReadAhead = 64 * 1024;

int64_t Clamp(int64_t pos) { return pos < 0 ? 0 : pos; }
}  // namespace

void Stream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(kStreamReadError);
}

FileStream::FileStream(const std::string& path) {
  // O_NONBLOCK: opening a FIFO for reading must not wait for a writer; only
  // regular files are read (a FIFO or a device has no size and may never
  // end), so the flag never affects a read.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  std::string reason;
  if (fd_ >= 0) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode))
      reason = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "Not a regular file";
  } else {
    reason = std::strerror(errno);
  }
  if (!reason.empty()) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0) size_ = static_cast<int64_t>(st.st_size);
}

FileStream::~FileStream() {
  if (fd_ >= 0) ::close(fd_);
}

size_t FileStream::Read(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    if (pos_ >= buf_start_ && pos_ < buf_start_ + static_cast<int64_t>(buf_len_)) {
      size_t off = static_cast<size_t>(pos_ - buf_start_);
      size_t n = std::min(count - done, buf_len_ - off);
      std::memcpy(out + done, buf_.data() + off, n);
      done += n;
      pos_ += static_cast<int64_t>(n);
      continue;
    }
    size_t want = count - done;
    if (want >= kReadAhead) {
      // Large reads go straight to the caller's buffer.
      ssize_t got = ::pread(fd_, out + done, want, pos_);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
      pos_ += got;
      continue;
    }
    if (buf_.size() < kReadAhead) buf_.resize(kReadAhead);
    ssize_t got = ::pread(fd_, buf_.data(), kReadAhead, pos_);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      buf_len_ = 0;
      break;
    }
    buf_start_ = pos_;
    buf_len_ = static_cast<size_t>(got);
  }
  return done;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin: pos_ = Clamp(offset); break;
    case SeekOrigin::Current: pos_ = Clamp(pos_ + offset); break;
    case SeekOrigin::End: pos_ = Clamp(Size() + offset); break;
  }
  return pos_;
}

int64_t FileStream::Size() const { return size_; }

size_t MemoryStream::Read(void* buffer, size_t count) {
  int64_t size = Size();
  if (pos_ >= size) return 0;
  size_t n = std::min(count, static_cast<size_t>(size - pos_));
  std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += static_cast<int64_t>(n);
  return n;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin: pos_ = Clamp(offset); break;
    case SeekOrigin::Current: pos_ = Clamp(pos_ + offset); break;
    case SeekOrigin::End: pos_ = Clamp(Size() + offset); break;
  }
  return pos_;
}

}  // namespace qx
