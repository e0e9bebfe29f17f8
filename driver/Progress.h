#pragma once
// The progress line of the record walk: one line on a terminal, redrawn in
// place ("\r") at most ten times a second and erased at the end. When the
// descriptor is not a terminal (a pipe, a file, a batch job) it shows
// nothing, so logs and scripts see exactly what they saw without it.
#include <cstdint>
#include <string>

namespace qx {

// The text of the line: records read of the declared count, percent, and,
// once a rate can be told (seconds > 0), records per second and the time
// left. At most `width` characters.
std::string FormatProgress(int64_t read, int64_t declared, double seconds, size_t width = 79);

class ProgressLine {
 public:
  // Shows the line on descriptor fd when it is a terminal.
  explicit ProgressLine(int fd);
  // Shows the line on fd whatever fd is (for measurements and tests).
  static ProgressLine Forced(int fd);
  ~ProgressLine() { Finish(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ProgressLine(ProgressLine&& other) noexcept;
  ProgressLine& operator=(ProgressLine&&) = delete;

  bool Active() const { return active_; }
  // One record read. Cheap: the clock is read here, the line redrawn only
  // when a tenth of a second has passed since the last drawing (the first
  // call draws at once).
  void Update(int64_t read, int64_t declared);
  // Erases the line (once; later calls do nothing).
  void Finish();

 private:
  ProgressLine(int fd, bool active);
  void Write(const std::string& text);

  int fd_ = -1;
  bool active_ = false;
  size_t width_ = 79;
  size_t shown_ = 0;   // characters on the line now
  int64_t start_ = 0;  // clock at the first update, nanoseconds
  int64_t next_ = 0;   // clock from which the next redraw may happen
  bool started_ = false;
};

}  // namespace qx
