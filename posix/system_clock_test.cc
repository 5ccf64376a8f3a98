#include "posix/system_clock.h"

#include <gtest/gtest.h>

namespace vellumo {
namespace {

// The real clock against the same expectations: fields in range and consistent with UnixTime.
TEST(SystemClock, FieldsMatchUnixTimeAndWeekday) {
  SystemClock system;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int64_t before = system.UnixTime();
    const LocalTime now = system.Now();
    const int64_t after = system.UnixTime();
    ASSERT_GE(now.month, 1);
    ASSERT_LE(now.month, 12);
    ASSERT_GE(now.day, 1);
    ASSERT_LE(now.day, 31);
    ASSERT_LE(now.hour, 23);
    ASSERT_LE(now.second, 59);
    MemClock same(now);
    const int64_t seen = same.UnixTime();
    if (seen < before || seen > after) continue;  // the second turned over in between
    same.Advance(0);
    EXPECT_EQ(same.Now().weekday, now.weekday);
    return;
  }
  ADD_FAILURE() << "SystemClock fields never matched UnixTime";
}

}  // namespace
}  // namespace vellumo
