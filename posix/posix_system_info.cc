#include "posix/posix_system_info.h"

#include <limits.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace vellumo {
namespace {

constexpr int kOtherPlatform = 100;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// "key : value" lines, first occurrence of each key.
std::map<std::string, std::string, std::less<>> KeyValues(std::string_view text) {
  std::map<std::string, std::string, std::less<>> values;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    values.emplace(std::string(TrimBlanks(line.substr(0, colon))),
                   std::string(TrimBlanks(line.substr(colon + 1))));
  }
  return values;
}

utsname Uname() {
  utsname name{};
  if (::uname(&name) != 0) name = utsname{};
  return name;
}

}  // namespace

void ParseKernelRelease(std::string_view release, OsVersion& version) {
  std::array<int*, 3> fields = {&version.major, &version.minor, &version.build};
  for (int* field : fields) *field = 0;
  const char* at = release.data();
  const char* end = release.data() + release.size();
  for (int* field : fields) {
    int value = 0;
    auto [next, error] = std::from_chars(at, end, value);
    if (error != std::errc()) break;
    *field = value;
    if (next == end || *next != '.') break;
    at = next + 1;
  }
}

MemoryStatus ParseMeminfo(std::string_view meminfo) {
  auto values = KeyValues(meminfo);
  auto bytes = [&values](std::string_view key) -> std::optional<uint64_t> {
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    uint64_t number = 0;
    const std::string& text = it->second;
    auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc()) return std::nullopt;
    std::string_view unit = TrimBlanks(std::string_view(next, text.data() + text.size() - next));
    return unit == "kB" ? number * 1024 : number;
  };
  MemoryStatus status;
  status.total_physical = bytes("MemTotal").value_or(0);
  if (auto available = bytes("MemAvailable")) {
    status.available_physical = *available;
  } else {
    status.available_physical =
        bytes("MemFree").value_or(0) + bytes("Buffers").value_or(0) + bytes("Cached").value_or(0);
  }
  status.total_virtual = status.total_physical + bytes("SwapTotal").value_or(0);
  status.available_virtual = status.available_physical + bytes("SwapFree").value_or(0);
  return status;
}

std::string ParseCpuModel(std::string_view cpuinfo) {
  auto values = KeyValues(cpuinfo);
  // x86, then the names other architectures use for the same line.
  for (std::string_view key :
       {"model name", "Model", "cpu model", "Hardware", "cpu", "Processor"}) {
    auto it = values.find(key);
    if (it != values.end() && !it->second.empty()) return it->second;
  }
  return "";
}

int ProcessorTypeFor(std::string_view machine) {
  bool x86 = machine == "x86_64" || machine == "amd64" ||
             (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86" &&
              machine[1] >= '3' && machine[1] <= '6');
  return x86 ? 586 : 0;
}

OsVersion PosixSystemInfo::Version() {
  utsname name = Uname();
  OsVersion version;
  version.platform_id = kOtherPlatform;
  version.name = name.sysname;
  version.release = name.release;
  ParseKernelRelease(version.release, version);
  return version;
}

int PosixSystemInfo::ProcessorType() { return ProcessorTypeFor(Uname().machine); }

std::string PosixSystemInfo::ProcessorName() {
  std::string model = ParseCpuModel(ReadText(proc_root_ + "/cpuinfo"));
  return model.empty() ? std::string(Uname().machine) : model;
}

MemoryStatus PosixSystemInfo::Memory() { return ParseMeminfo(ReadText(proc_root_ + "/meminfo")); }

std::string PosixSystemInfo::UserName() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name) {
    return found->pw_name;
  }
  const char* user = std::getenv("USER");
  return user ? user : "";
}

std::string PosixSystemInfo::ComputerName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace vellumo
