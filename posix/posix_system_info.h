// PosixSystemInfo: SystemInfo from uname, /proc, the password database and the host name.
//
// Version: uname's system name ("Linux") and release, platform id 100 (the classic ids 0, 1 and 2
// are Windows ones), major/minor/build from the leading numbers of the release ("6.1.0-18" -> 6,
// 1, 0). ProcessorType: 586 for the x86 family (uname's machine), else 0. ProcessorName: the
// "model name" of /proc/cpuinfo (other architectures' equivalent lines, else the machine).
// Memory: /proc/meminfo in bytes; total virtual is MemTotal + SwapTotal, available virtual is
// MemAvailable + SwapFree. UserName: the password database entry of the effective user, else
// $USER. ComputerName: the host name. What cannot be read comes back empty or 0; nothing throws.
//
// Thread safety: all members may be called from several threads.
#pragma once

#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace vellumo {

class PosixSystemInfo final : public SystemInfo {
 public:
  // proc_root: where cpuinfo and meminfo are read ("/proc"; tests point it at a folder).
  explicit PosixSystemInfo(std::string proc_root = "/proc") : proc_root_(std::move(proc_root)) {}

  OsVersion Version() override;
  int ProcessorType() override;
  std::string ProcessorName() override;
  MemoryStatus Memory() override;
  std::string UserName() override;
  std::string ComputerName() override;

 private:
  std::string proc_root_;
};

// The pieces, pure so that every machine's variants can be tested.
// Sets major, minor and build from the leading dotted numbers of a kernel release; missing
// numbers are 0.
void ParseKernelRelease(std::string_view release, OsVersion& version);
// The memory figures of /proc/meminfo text; MemAvailable missing (old kernels): MemFree +
// Buffers + Cached.
MemoryStatus ParseMeminfo(std::string_view meminfo);
// The processor's name in /proc/cpuinfo text, or "".
std::string ParseCpuModel(std::string_view cpuinfo);
// The classic processor type for uname's machine: 586 for the x86 family, else 0.
int ProcessorTypeFor(std::string_view machine);

}  // namespace vellumo
