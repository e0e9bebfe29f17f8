#include "driver/Progress.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace qx {

namespace {

constexpr int64_t kRedrawNanoseconds = 100'000'000;  // ten times a second at most

// A coarse monotonic clock: a few milliseconds of resolution are plenty for
// redraws ten times a second, and it costs a fraction of the precise one.
int64_t Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

std::string Duration(double seconds) {
  int64_t s = static_cast<int64_t>(std::ceil(seconds));
  char buf[32];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  else
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s / 60), static_cast<long long>(s % 60));
  return buf;
}

}  // namespace

std::string FormatProgress(int64_t read, int64_t declared, double seconds, size_t width) {
  std::string line = "quillex: " + std::to_string(read) + " of " + std::to_string(declared) + " records read";
  if (declared > 0) {
    // Deleted records are read but not counted by the header's total, so
    // the count read may pass it near the end.
    int64_t percent = read >= declared ? 100 : read * 100 / declared;
    line += " (" + std::to_string(percent) + "%)";
  }
  if (seconds > 0 && read > 0) {
    double rate = static_cast<double>(read) / seconds;
    line += ", " + std::to_string(static_cast<int64_t>(rate)) + " records/s";
    if (declared > read) line += ", " + Duration(static_cast<double>(declared - read) / rate) + " left";
  }
  if (line.size() > width) line.resize(width);
  return line;
}

ProgressLine::ProgressLine(int fd) : ProgressLine(fd, isatty(fd) == 1) {}

ProgressLine ProgressLine::Forced(int fd) { return ProgressLine(fd, true); }

ProgressLine::ProgressLine(int fd, bool active) : fd_(fd), active_(active) {
  if (!active_) return;
  winsize ws{};
  // A line as wide as the terminal would wrap and break the redraw in place.
  if (ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1) width_ = ws.ws_col - 1u;
}

ProgressLine::ProgressLine(ProgressLine&& other) noexcept
    : fd_(other.fd_),
      active_(other.active_),
      width_(other.width_),
      shown_(other.shown_),
      start_(other.start_),
      next_(other.next_),
      started_(other.started_) {
  other.active_ = false;
  other.shown_ = 0;
}

void ProgressLine::Update(int64_t read, int64_t declared) {
  if (!active_) return;
  const int64_t now = Now();
  if (!started_) {
    started_ = true;
    start_ = now;
  } else if (now < next_) {
    return;
  }
  next_ = now + kRedrawNanoseconds;
  std::string line = FormatProgress(read, declared, static_cast<double>(now - start_) / 1e9, width_);
  std::string text = "\r" + line;
  // Blank out what is left of a longer previous line.
  if (line.size() < shown_) text += std::string(shown_ - line.size(), ' ') + "\r" + line;
  shown_ = line.size();
  Write(text);
}

void ProgressLine::Finish() {
  if (!active_) return;
  active_ = false;
  if (shown_ == 0) return;
  Write("\r" + std::string(shown_, ' ') + "\r");
  shown_ = 0;
}

void ProgressLine::Write(const std::string& text) {
  // The line is a courtesy: a terminal that cannot take it must not end
  // the run, so write errors are dropped.
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace qx
