#pragma once
// Counts the allocations made by one thread: the C library's allocator
// interposed in the test program, which the calls of a library it loads
// reach as well. Include it in exactly one source file of a test program.
// The address and thread sanitizers bring their own allocators, so their
// builds count nothing (MORVANE_COUNT_ALLOCATIONS is 0 there).
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MORVANE_COUNT_ALLOCATIONS 0
#else
#define MORVANE_COUNT_ALLOCATIONS 1
#endif

namespace allocation_count {
// While tCounting is set on a thread, each allocation on it adds one to tAllocations.
inline thread_local bool tCounting = false;
inline thread_local int tAllocations = 0;
}  // namespace allocation_count

#if MORVANE_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* ptr, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) {
  if (allocation_count::tCounting) ++allocation_count::tAllocations;
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  if (allocation_count::tCounting) ++allocation_count::tAllocations;
  return __libc_calloc(count, size);
}
void* realloc(void* ptr, size_t size) {
  if (allocation_count::tCounting) ++allocation_count::tAllocations;
  return __libc_realloc(ptr, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  if (allocation_count::tCounting) ++allocation_count::tAllocations;
  return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size) {
  if (allocation_count::tCounting) ++allocation_count::tAllocations;
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  if (allocation_count::tCounting) ++allocation_count::tAllocations;
  void* p = __libc_memalign(alignment, size);
  if (!p) return 12;  // ENOMEM
  *out = p;
  return 0;
}
}  // extern "C"
#endif
