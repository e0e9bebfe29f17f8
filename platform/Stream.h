#pragma once
// Byte streams: a file opened for shared reading, and a memory buffer for
// tests and fuzzers. Positions and sizes are in bytes from the start.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qx {

enum class SeekOrigin { Begin, Current, End };

class Stream {
 public:
  virtual ~Stream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Moves the position; returns the new position. A position before the
  // start is clamped to 0; one after the end is allowed (reads then give 0).
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;
  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t pos) { Seek(pos, SeekOrigin::Begin); }
  // Reads exactly count bytes or raises EReadError "Stream read error".
  void ReadBuffer(void* buffer, size_t count);
};

// A file opened read-only; other processes may read and write it meanwhile.
// Raises EFOpenError "Cannot open file \"<name>\". <reason>" when it cannot be opened.
class FileStream : public Stream {
 public:
  explicit FileStream(const std::string& path);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() const override;

 private:
  int fd_ = -1;
  int64_t pos_ = 0;        // logical position of the caller
  int64_t size_ = 0;       // size when opened; the reader relies on a stable size
  // Read-ahead buffer: sequential reads of small pieces cost no system call.
  std::vector<uint8_t> buf_;
  int64_t buf_start_ = 0;  // file offset of buf_[0]
  size_t buf_len_ = 0;
};

// A stream over bytes held in memory (copied in, owned by the stream).
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  MemoryStream(const void* data, size_t size)
      : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int64_t pos_ = 0;
};

}  // namespace qx
