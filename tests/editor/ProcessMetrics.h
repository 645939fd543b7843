#pragma once
// What a host process holds, for the tests that open, close and unload the
// plug-in many times: open files (sockets, X connections among them),
// threads, and the heap in use.
#include <dirent.h>
#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' count of the bytes in use (their allocator replaces malloc's).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace process_metrics {

inline int CountEntries(const char* folder) {
  int count = 0;
  if (DIR* dir = opendir(folder)) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

inline int OpenFiles() { return CountEntries("/proc/self/fd"); }
inline int Threads() { return CountEntries("/proc/self/task"); }

inline size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

}  // namespace process_metrics
