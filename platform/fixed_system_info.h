// FixedSystemInfo: SystemInfo with values a test sets; the defaults describe a plausible Linux
// machine so that reports come out the same everywhere.
#pragma once

#include <string>

#include "platform/system_info.h"

namespace vellumo {

class FixedSystemInfo final : public SystemInfo {
 public:
  FixedSystemInfo();

  OsVersion Version() override { return version; }
  int ProcessorType() override { return processor_type; }
  std::string ProcessorName() override { return processor_name; }
  MemoryStatus Memory() override { return memory; }
  std::string UserName() override { return user_name; }
  std::string ComputerName() override { return computer_name; }

  // What the members answer; set them freely.
  OsVersion version;
  int processor_type = 586;
  std::string processor_name = "Test Processor 3.0 GHz";
  MemoryStatus memory;
  std::string user_name = "user";
  std::string computer_name = "testhost";
};

}  // namespace vellumo
