#include "posix/posix_system_info.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

TEST(PosixSystemInfo, KernelReleaseNumbers) {
  struct Case {
    const char* release;
    int major, minor, build;
  };
  for (const Case& c :
       {Case{"6.1.0-18-amd64", 6, 1, 0}, Case{"5.15.133.1-microsoft-standard", 5, 15, 133},
        Case{"4.19", 4, 19, 0}, Case{"3", 3, 0, 0}, Case{"6.8-rc1", 6, 8, 0},
        Case{"garbage", 0, 0, 0}, Case{"", 0, 0, 0}}) {
    OsVersion version;
    version.major = version.minor = version.build = 99;
    ParseKernelRelease(c.release, version);
    EXPECT_EQ(version.major, c.major) << c.release;
    EXPECT_EQ(version.minor, c.minor) << c.release;
    EXPECT_EQ(version.build, c.build) << c.release;
  }
}

TEST(PosixSystemInfo, MeminfoInBytesWithSwapAsVirtual) {
  MemoryStatus status = ParseMeminfo(
      "MemTotal:       16318468 kB\n"
      "MemFree:         1000000 kB\n"
      "MemAvailable:    8000000 kB\n"
      "SwapTotal:       2097148 kB\n"
      "SwapFree:        2000000 kB\n"
      "HugePages_Total:       0\n");
  EXPECT_EQ(status.total_physical, 16318468ull * 1024);
  EXPECT_EQ(status.available_physical, 8000000ull * 1024);
  EXPECT_EQ(status.total_virtual, (16318468ull + 2097148ull) * 1024);
  EXPECT_EQ(status.available_virtual, (8000000ull + 2000000ull) * 1024);

  // Kernels without MemAvailable, more than 4 GiB so 32-bit arithmetic would show.
  MemoryStatus old = ParseMeminfo(
      "MemTotal: 8388608 kB\nMemFree: 4194304 kB\nBuffers: 1024 kB\nCached: 2048 kB\n");
  EXPECT_EQ(old.available_physical, (4194304ull + 1024 + 2048) * 1024);
  EXPECT_EQ(old.total_virtual, 8388608ull * 1024);
  EXPECT_EQ(ParseMeminfo("").total_physical, 0u);
}

TEST(PosixSystemInfo, ProcessorNamesAndTypes) {
  EXPECT_EQ(ParseCpuModel("processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) "
                          "Core(TM) i7 CPU @ 2.80GHz\nprocessor\t: 1\nmodel name\t: other\n"),
            "Intel(R) Core(TM) i7 CPU @ 2.80GHz");
  EXPECT_EQ(ParseCpuModel("processor\t: 0\nBogoMIPS\t: 50.00\nHardware\t: BCM2835\n"), "BCM2835");
  EXPECT_EQ(ParseCpuModel("processor\t: 0\n"), "");
  EXPECT_EQ(ProcessorTypeFor("x86_64"), 586);
  EXPECT_EQ(ProcessorTypeFor("i686"), 586);
  EXPECT_EQ(ProcessorTypeFor("i386"), 586);
  EXPECT_EQ(ProcessorTypeFor("aarch64"), 0);
  EXPECT_EQ(ProcessorTypeFor("i7"), 0);
}

TEST(PosixSystemInfo, ReadsTheGivenProcFolder) {
  const test_support::ScopedTempDir temp("vellumo-proc");
  const std::string folder = temp.str();
  std::ofstream(std::string(folder) + "/cpuinfo") << "model name : Test CPU\n";
  std::ofstream(std::string(folder) + "/meminfo") << "MemTotal: 2048 kB\nMemAvailable: 1024 kB\n";
  PosixSystemInfo info(folder);
  EXPECT_EQ(info.ProcessorName(), "Test CPU");
  EXPECT_EQ(info.Memory().total_physical, 2048u * 1024);
  EXPECT_EQ(info.Memory().available_virtual, 1024u * 1024);
}

TEST(PosixSystemInfo, DescribesThisMachine) {
  PosixSystemInfo info;
  OsVersion version = info.Version();
  EXPECT_EQ(version.platform_id, 100);
  EXPECT_EQ(version.name, "Linux");
  EXPECT_GE(version.major, 3);
  EXPECT_EQ(version.release.rfind(std::to_string(version.major) + ".", 0), 0u);
  MemoryStatus memory = info.Memory();
  EXPECT_GT(memory.total_physical, 0u);
  EXPECT_LE(memory.available_physical, memory.total_physical);
  EXPECT_GE(memory.total_virtual, memory.total_physical);
  EXPECT_FALSE(info.ProcessorName().empty());
  EXPECT_FALSE(info.UserName().empty());
  EXPECT_FALSE(info.ComputerName().empty());
}

}  // namespace
}  // namespace vellumo
