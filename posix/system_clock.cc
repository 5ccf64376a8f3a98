#include "posix/system_clock.h"

#include <ctime>

#include "base/error.h"

namespace vellumo {

LocalTime SystemClock::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  if (localtime_r(&now, &tm) == nullptr) throw Error("Cannot read the local time");
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  // A leap second shows as :59 so formatted times stay in range.
  t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  t.weekday = tm.tm_wday + 1;
  t.utc_offset_minutes = static_cast<int>(tm.tm_gmtoff / 60);
  return t;
}

int64_t SystemClock::UnixTime() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace vellumo
