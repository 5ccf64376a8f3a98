#include "platform/clock.h"

#include <cstdio>

#include "base/error.h"

namespace vellumo {
namespace {

constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};
constexpr const char* kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm), and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, LocalTime& t) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Seconds since 1970-01-01 00:00:00 of the fields read as a UTC time.
int64_t FieldSeconds(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string Printf(const char* format, auto... args) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

void MemClock::Advance(int seconds) {
  const int64_t total = FieldSeconds(now_) + seconds;
  const int64_t days = FloorDiv(total, 86400);
  const int64_t in_day = total - days * 86400;
  CivilFromDays(days, now_);
  now_.hour = static_cast<int>(in_day / 3600);
  now_.minute = static_cast<int>(in_day / 60 % 60);
  now_.second = static_cast<int>(in_day % 60);
  // 1970-01-01 was a Thursday (weekday 5).
  now_.weekday = static_cast<int>((days % 7 + 7 + 4) % 7) + 1;
}

int64_t MemClock::UnixTime() {
  return FieldSeconds(now_) - static_cast<int64_t>(now_.utc_offset_minutes) * 60;
}

std::string FormatTimestamp(const LocalTime& t) {
  return Printf("%02d-%02d-%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour, t.minute,
                t.second);
}

std::string FormatShortStamp(const LocalTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  const std::string month = EnglishMonthName(t.month).substr(0, 3);
  return Printf("%s-%02d-%02d %02d:%02d %s", month.c_str(), t.day, ((t.year % 100) + 100) % 100,
                hour12, t.minute, t.hour < 12 ? "AM" : "PM");
}

std::string FormatGeneralDate(const LocalTime& t) {
  return Printf("%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour, t.minute,
                t.second);
}

std::string FormatTimeText(const LocalTime& t) {
  return Printf("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

std::string EnglishWeekdayName(int weekday) {
  if (weekday < 1 || weekday > 7) {
    throw Error(ErrorCode::kInvalidCall, "weekday " + std::to_string(weekday));
  }
  return kWeekdayNames[weekday - 1];
}

std::string EnglishMonthName(int month) {
  if (month < 1 || month > 12) {
    throw Error(ErrorCode::kInvalidCall, "month " + std::to_string(month));
  }
  return kMonthNames[month - 1];
}

}  // namespace vellumo
