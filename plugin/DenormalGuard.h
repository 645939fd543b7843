#pragma once
// Flush-to-zero and denormals-are-zero for the lifetime of a scope, restoring
// the caller's floating-point mode on exit. Followers that decay after the
// signal stops reach the subnormal range, where x86 arithmetic is about a
// hundred times slower; with both flags set such values count as 0. Results
// change only below the smallest normal double. On other processors, or on
// x86 without SSE2 arithmetic, the guard does nothing.

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <pmmintrin.h>
#include <xmmintrin.h>
#define MORVANE_HAS_MXCSR 1
#else
#define MORVANE_HAS_MXCSR 0
#endif

class ScopedDenormalFlush {
public:
#if MORVANE_HAS_MXCSR
  ScopedDenormalFlush() : mSaved(_mm_getcsr()) {
    _mm_setcsr(mSaved | _MM_FLUSH_ZERO_ON | _MM_DENORMALS_ZERO_ON);
  }
  ~ScopedDenormalFlush() { _mm_setcsr(mSaved); }

private:
  unsigned int mSaved;
#else
  ScopedDenormalFlush() = default;
  ~ScopedDenormalFlush() = default;
#endif

public:
  ScopedDenormalFlush(const ScopedDenormalFlush&) = delete;
  ScopedDenormalFlush& operator=(const ScopedDenormalFlush&) = delete;
};
