#include "platform/DateUtils.h"

#include <cmath>
#include <ctime>
#include <sys/time.h>

#include "platform/Exceptions.h"

namespace qx {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffset = -25569;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

double EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) throw EConvertError(kInvalidDateEncode);
  return static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
}

double EncodeTime(int hour, int minute, int second, int msec) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0 ||
      msec >= 1000)
    throw EConvertError(kInvalidTimeEncode);
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMSecsPerDay;
}

double ComposeDateTime(double date, double time) {
  return date < 0 ? date - time : date + time;
}

double EncodeDateTime(const DateParts& p) {
  return ComposeDateTime(EncodeDate(p.year, p.month, p.day), EncodeTime(p.hour, p.minute, p.second, p.msec));
}

bool TryEncodeDateTime(const DateParts& p, double& out) {
  if (!IsValidDate(p.year, p.month, p.day) || p.hour < 0 || p.hour >= 24 || p.minute < 0 || p.minute >= 60 ||
      p.second < 0 || p.second >= 60 || p.msec < 0 || p.msec >= 1000)
    return false;
  out = EncodeDateTime(p);
  return true;
}

bool DecodeDateTime(double value, DateParts& out) {
  if (!std::isfinite(value) || value < kMinDateTime - 1 || value > kMaxDateTime + 1) return false;
  double days = std::trunc(value);
  double frac = std::fabs(value - days);
  int64_t ms = static_cast<int64_t>(std::llround(frac * kMSecsPerDay));
  int64_t day = static_cast<int64_t>(days);
  if (ms >= static_cast<int64_t>(kMSecsPerDay)) {
    // Rounding reached the next midnight: the next calendar day, whichever
    // side of day 0 the value lies on.
    ms -= static_cast<int64_t>(kMSecsPerDay);
    day += 1;
  }
  DateParts p;
  CivilFromDays(day + kEpochOffset, p.year, p.month, p.day);
  if (p.year < 1 || p.year > 9999) return false;
  p.msec = static_cast<int>(ms % 1000);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.hour = static_cast<int>(ms / 3600000);
  out = p;
  return true;
}

double Now() {
  struct timeval tv {};
  ::gettimeofday(&tv, nullptr);
  std::time_t secs = tv.tv_sec;
  std::tm local {};
  ::localtime_r(&secs, &local);
  double date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  double time = EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                           static_cast<int>(tv.tv_usec / 1000));
  return ComposeDateTime(date, time);
}

}  // namespace qx
