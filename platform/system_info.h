// SystemInfo: what the machine is. Real: uname and /proc; fake: fixed values that tests set.
#pragma once

#include <cstdint>
#include <string>

namespace vellumo {

struct OsVersion {
  int platform_id = 0;  // classic platform id; 0 "Win32s", 1 "95", 2 "NT"; other systems 100
  int major = 0;
  int minor = 0;
  int build = 0;
  std::string name;     // "Linux"
  std::string release;  // kernel release, "6.1.0-18-amd64"
};

struct MemoryStatus {  // bytes
  uint64_t total_physical = 0;
  uint64_t available_physical = 0;
  uint64_t total_virtual = 0;
  uint64_t available_virtual = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual OsVersion Version() = 0;
  virtual int ProcessorType() = 0;          // classic processor type (586 ...); 0 when unknown
  virtual std::string ProcessorName() = 0;  // the machine's own name for it
  virtual MemoryStatus Memory() = 0;
  virtual std::string UserName() = 0;
  virtual std::string ComputerName() = 0;
};

}  // namespace vellumo
