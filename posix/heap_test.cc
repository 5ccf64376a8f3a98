#include "posix/heap.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>

namespace vellumo {
namespace {

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// What the reservation is for: blocks allocated and written after it, large ones included, find
// their pages resident. Without it each 4 KB page of them is a fault of its own.
TEST(ReserveHeap, LaterBlocksFindTheirPagesResident) {
  constexpr size_t kBlock = 1 << 20;  // above the allocator's usual threshold for a mapping
  if (!ReserveHeap(4 * kBlock))
    GTEST_SKIP() << "no glibc heap to populate ahead here (an old kernel or a sanitizer build)";
  const long before = MinorFaults();
  for (int round = 0; round < 3; ++round) {
    char* block = static_cast<char*>(std::malloc(kBlock));
    ASSERT_NE(block, nullptr);
    std::memset(block, round, kBlock);
    char* second = static_cast<char*>(std::malloc(kBlock));
    ASSERT_NE(second, nullptr);
    std::memcpy(second, block, kBlock);
    EXPECT_EQ(second[kBlock - 1], static_cast<char>(round));
    std::free(second);
    std::free(block);
  }
  // Six fresh megabytes would be over 1,500 faults; a few come from the test's own bookkeeping.
  EXPECT_LT(MinorFaults() - before, 64);
}

}  // namespace
}  // namespace vellumo
