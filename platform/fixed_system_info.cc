#include "platform/fixed_system_info.h"

namespace vellumo {

FixedSystemInfo::FixedSystemInfo() {
  version.platform_id = 100;
  version.major = 6;
  version.minor = 1;
  version.build = 0;
  version.name = "Linux";
  version.release = "6.1.0-18-amd64";
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  memory.total_physical = 8 * kGiB;
  memory.available_physical = 5 * kGiB;
  memory.total_virtual = 10 * kGiB;
  memory.available_virtual = 7 * kGiB;
}

}  // namespace vellumo
