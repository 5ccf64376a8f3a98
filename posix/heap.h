// The heap a command is about to work in, made resident at once.
//
// The first touch of each fresh heap page costs the process a page fault, and in a virtual
// machine a page fault costs microseconds: a 200 KB send touches some five hundred fresh pages as
// the message is parsed, dressed and written, each copy landing in memory the process has not
// used yet. ReserveHeap asks the kernel for that memory in one call (MADV_POPULATE_WRITE, Linux
// 5.14 and later) and keeps the allocator from handing pages back or mapping a fresh region for
// each large block, so the work that follows reuses pages that are already there.
#pragma once

#include <cstddef>

namespace vellumo {

// Makes about `bytes` of heap resident for the allocations that follow. Best effort: returns
// false, with the heap left to grow page by page as before, when the kernel cannot populate
// memory ahead or the allocator is not glibc's (a sanitizer build). Call it early, from a
// command that knows its size of work.
bool ReserveHeap(size_t bytes);

}  // namespace vellumo
