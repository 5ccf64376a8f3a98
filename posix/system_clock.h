// The system's clock: the time of day in the local zone (TZ), as the operating system keeps it.
#pragma once

#include "platform/clock.h"

namespace vellumo {

class SystemClock final : public Clock {
 public:
  LocalTime Now() override;
  int64_t UnixTime() override;
};

}  // namespace vellumo
