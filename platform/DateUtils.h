#pragma once
// Date-time values: a double counting days since 30 December 1899 (day 0),
// the fraction being the time of day. For days before day 0 the fraction
// still counts forward from midnight: -1.25 is 29 December 1899, 06:00.
#include <cstdint>

namespace qx {

inline constexpr double kMSecsPerDay = 86400000.0;

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, msec = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Days since 1899-12-30 of a calendar date. Raises EConvertError
// "Invalid argument to date encode" outside years 1..9999 or for a day the
// month does not have.
double EncodeDate(int year, int month, int day);
// Fraction of a day. Raises EConvertError "Invalid argument to time encode"
// unless hour < 24, minute < 60, second < 60 and msec < 1000.
double EncodeTime(int hour, int minute, int second, int msec);
// Date and time of day combined, honouring the rule for days before day 0.
double ComposeDateTime(double date, double time);
double EncodeDateTime(const DateParts& p);
// Non-throwing variant: false when the parts form no valid date-time.
bool TryEncodeDateTime(const DateParts& p, double& out);

// Splits a date-time into its parts, rounding to the nearest millisecond.
// Returns false (parts untouched) when the value lies outside years 1..9999
// or is not finite.
bool DecodeDateTime(double value, DateParts& out);

// Days from 0001-01-01 to 1899-12-30 and to 9999-12-31 (the value range).
inline constexpr double kMinDateTime = -693593.0;      // 0001-01-01
inline constexpr double kMaxDateTime = 2958465.99999999;  // 9999-12-31 23:59:59.999

// The current local date and time.
double Now();

// The Julian day number J is the date-time J - 2415019.
inline constexpr int32_t kJulianOffset = 2415019;

}  // namespace qx
