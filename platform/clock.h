// Clock: the current local time. The real clock (posix/system_clock.h) reads the system time in
// the local zone; the fake (MemClock) holds a settable time, so dated log lines and date lines are
// deterministic.
#pragma once

#include <cstdint>
#include <string>

namespace vellumo {

struct LocalTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
  int weekday = 7;             // classic Weekday: Sunday 1 .. Saturday 7
  int utc_offset_minutes = 0;  // local time minus UTC
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Seconds since 1970-01-01 UTC, for file names and message dates.
  virtual int64_t UnixTime() = 0;
};

class MemClock final : public Clock {
 public:
  explicit MemClock(LocalTime now = {2026, 12, 8, 19, 55, 55, 3, 0}) : now_(now) {}
  void Set(const LocalTime& now) { now_ = now; }
  void Advance(int seconds);  // keeps the fields consistent (rolls minutes, days, months)
  LocalTime Now() override { return now_; }
  int64_t UnixTime() override;

 private:
  LocalTime now_;
};

// Classic formats of a time.
std::string FormatTimestamp(const LocalTime& t);    // "mm-dd-yyyy hh:mm:ss"
std::string FormatShortStamp(const LocalTime& t);   // "mmm-dd-yy hh:mm ampm", "Dec-08-26 07:55 PM"
std::string FormatGeneralDate(const LocalTime& t);  // Now as text: "12/08/2026 19:55:55"
std::string FormatTimeText(const LocalTime& t);     // Time as text: "19:55:55"
std::string EnglishWeekdayName(int weekday);        // 1 Sunday .. 7 Saturday
std::string EnglishMonthName(int month);            // 1 January .. 12 December

}  // namespace vellumo
