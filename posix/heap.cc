#include "posix/heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older headers lack it
#endif

namespace vellumo {

bool ReserveHeap(size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator maps and quarantines blocks itself: no heap of glibc's to reserve.
  (void)bytes;
  return false;
#else
  // glibc's largest threshold: every block below it comes from the heap, whose freed pages the
  // next block reuses, instead of a mapping made and unmade (and faulted in again) per block.
  constexpr size_t kLargestHeapBlock = size_t{32} << 20;
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargestHeapBlock));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kLargestHeapBlock));
  bytes = std::min(bytes, kLargestHeapBlock / 2);
  void* block = std::malloc(bytes);
  if (block == nullptr) return false;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(block);
  const uintptr_t from = (start + page - 1) & ~(page - 1);
  const uintptr_t to = (start + bytes) & ~(page - 1);
  const bool populated =
      to > from && madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) == 0;
  // Freed at the heap's top, which the trim threshold keeps: the pages stay for what follows.
  std::free(block);
  return populated;
#endif
}

}  // namespace vellumo
