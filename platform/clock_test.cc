#include "platform/clock.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "tests/support/thrown_code.h"

namespace vellumo {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second, int offset = 0) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.weekday = 0;  // deliberately wrong: Advance must work it out
  t.utc_offset_minutes = offset;
  return t;
}

using test_support::ThrownCode;

TEST(ClockFormat, DefaultFakeTimeInEveryFormat) {
  MemClock clock;
  const LocalTime t = clock.Now();
  EXPECT_EQ(FormatTimestamp(t), "12-08-2026 19:55:55");
  EXPECT_EQ(FormatShortStamp(t), "Dec-08-26 07:55 PM");
  EXPECT_EQ(FormatGeneralDate(t), "12/08/2026 19:55:55");
  EXPECT_EQ(FormatTimeText(t), "19:55:55");
  EXPECT_EQ(EnglishWeekdayName(t.weekday), "Tuesday");
}

TEST(ClockFormat, TwelveHourClockAndPaddedFields) {
  EXPECT_EQ(FormatShortStamp(At(2026, 1, 2, 0, 5, 9)), "Jan-02-26 12:05 AM");
  EXPECT_EQ(FormatShortStamp(At(2026, 1, 2, 11, 59, 0)), "Jan-02-26 11:59 AM");
  EXPECT_EQ(FormatShortStamp(At(2026, 1, 2, 12, 0, 0)), "Jan-02-26 12:00 PM");
  EXPECT_EQ(FormatShortStamp(At(2026, 1, 2, 13, 1, 0)), "Jan-02-26 01:01 PM");
  EXPECT_EQ(FormatShortStamp(At(2005, 9, 30, 23, 59, 59)), "Sep-30-05 11:59 PM");
  EXPECT_EQ(FormatShortStamp(At(2100, 5, 1, 6, 7, 8)), "May-01-00 06:07 AM");
  const LocalTime early = At(2026, 1, 2, 3, 4, 5);
  EXPECT_EQ(FormatTimestamp(early), "01-02-2026 03:04:05");
  EXPECT_EQ(FormatGeneralDate(early), "01/02/2026 03:04:05");
  EXPECT_EQ(FormatTimeText(early), "03:04:05");
  EXPECT_EQ(FormatTimeText(At(2026, 1, 2, 0, 0, 0)), "00:00:00");
  EXPECT_EQ(FormatTimestamp(At(999, 12, 31, 12, 0, 0)), "12-31-0999 12:00:00");
}

TEST(ClockFormat, EnglishNamesAndTheirRange) {
  EXPECT_EQ(EnglishWeekdayName(1), "Sunday");
  EXPECT_EQ(EnglishWeekdayName(4), "Wednesday");
  EXPECT_EQ(EnglishWeekdayName(7), "Saturday");
  EXPECT_EQ(EnglishMonthName(1), "January");
  EXPECT_EQ(EnglishMonthName(9), "September");
  EXPECT_EQ(EnglishMonthName(12), "December");
  for (int bad : {0, 8, -1}) {
    EXPECT_EQ(ThrownCode([&] { (void)EnglishWeekdayName(bad); }), ErrorCode::kInvalidCall);
  }
  for (int bad : {0, 13}) {
    EXPECT_EQ(ThrownCode([&] { (void)EnglishMonthName(bad); }), ErrorCode::kInvalidCall);
  }
  EXPECT_EQ(ThrownCode([] { (void)FormatShortStamp(At(2026, 13, 1, 0, 0, 0)); }),
            ErrorCode::kInvalidCall);
}

TEST(MemClock, AdvanceRollsEveryFieldAndTheWeekday) {
  struct Case {
    LocalTime from;
    int seconds;
    const char* expected;
    int weekday;
  };
  const Case cases[] = {
      {At(2026, 12, 8, 19, 55, 55), 5, "12-08-2026 19:56:00", 3},
      {At(2026, 12, 8, 23, 59, 59), 1, "12-09-2026 00:00:00", 4},
      {At(2026, 1, 31, 12, 0, 0), 86400, "02-01-2026 12:00:00", 1},
      {At(2024, 2, 28, 23, 59, 59), 1, "02-29-2024 00:00:00", 5},  // leap year
      {At(2100, 2, 28, 23, 59, 59), 1, "03-01-2100 00:00:00", 2},  // century: no leap day
      {At(2000, 2, 28, 23, 59, 59), 1, "02-29-2000 00:00:00", 3},  // 400 years: leap day
      {At(2026, 12, 31, 23, 59, 59), 1, "01-01-2027 00:00:00", 6},
      {At(2027, 1, 1, 0, 0, 0), -1, "12-31-2026 23:59:59", 5},
      {At(2026, 3, 1, 0, 0, 30), -3600, "02-28-2026 23:00:30", 7},
      {At(2000, 1, 1, 0, 0, 0), 0, "01-01-2000 00:00:00", 7},
      {At(2026, 12, 8, 19, 55, 55), 365 * 86400, "12-08-2027 19:55:55", 4},
      {At(1969, 12, 31, 23, 0, 0), 7200, "01-01-1970 01:00:00", 5},
  };
  for (const Case& c : cases) {
    MemClock clock(c.from);
    clock.Advance(c.seconds);
    EXPECT_EQ(FormatTimestamp(clock.Now()), c.expected);
    EXPECT_EQ(clock.Now().weekday, c.weekday) << c.expected;
  }
}

TEST(MemClock, UnixTimeSubtractsTheOffsetAndFollowsAdvance) {
  MemClock clock(At(1970, 1, 1, 0, 0, 0));
  EXPECT_EQ(clock.UnixTime(), 0);
  clock.Set(At(2000, 1, 1, 0, 0, 0));
  EXPECT_EQ(clock.UnixTime(), 946684800);
  clock.Set(At(2000, 1, 1, 1, 0, 0, 60));  // 01:00 one hour east of UTC
  EXPECT_EQ(clock.UnixTime(), 946684800);
  clock.Set(At(1999, 12, 31, 19, 0, 0, -300));
  EXPECT_EQ(clock.UnixTime(), 946684800);
  for (int step : {1, 59, 3600, 86399, 86400 * 40, -86400 * 400}) {
    const int64_t before = clock.UnixTime();
    clock.Advance(step);
    EXPECT_EQ(clock.UnixTime() - before, step);
    EXPECT_EQ(clock.Now().utc_offset_minutes, -300);
  }
}

}  // namespace
}  // namespace vellumo
