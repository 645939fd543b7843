#pragma once
// Fixed-width vectors of doubles for the signal path's hot loops, in the
// compilers' vector extension: plain per-lane IEEE arithmetic, so every lane
// computes the same bits as scalar code would. Where the processor lacks
// registers of the width the compiler splits the operations; the same source
// is compiled again for wider registers and chosen at run time
// (common/CpuFeatures.h). Include only from implementation files.
#include <cstdint>

#define MORVANE_INLINE __attribute__((always_inline)) inline

namespace dsp {

typedef double V2d __attribute__((vector_size(16)));
typedef int64_t V2i __attribute__((vector_size(16)));
typedef double V4d __attribute__((vector_size(32)));
typedef int64_t V4i __attribute__((vector_size(32)));
typedef double V8d __attribute__((vector_size(64)));
typedef int64_t V8i __attribute__((vector_size(64)));

template <class V>
MORVANE_INLINE V Splat(double v) {
  return V{} + v;
}

}  // namespace dsp
