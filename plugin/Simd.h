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
typedef uint64_t V2u __attribute__((vector_size(16)));
typedef double V4d __attribute__((vector_size(32)));
typedef int64_t V4i __attribute__((vector_size(32)));
typedef uint64_t V4u __attribute__((vector_size(32)));

template <class V>
MORVANE_INLINE V Splat(double v) {
  return V{} + v;
}

// a > b ? a : b and a < b ? a : b, lane by lane, b where either is NaN: the
// forms of the processors' max and min instructions. Compilers choose those
// only when neither operand is a constant they can fold into the comparison;
// pass constants through Opaque.
template <class V>
MORVANE_INLINE V Max(const V& a, const V& b) {
  return a > b ? a : b;
}
template <class V>
MORVANE_INLINE V Min(const V& a, const V& b) {
  return a < b ? a : b;
}

// v itself, in a vector register, as a value the compiler cannot see into.
// Costs nothing; a constant passed through it is still computed once outside
// the loops.
template <class V>
MORVANE_INLINE V Opaque(V v) {
  asm("" : "+x"(v));
  return v;
}

}  // namespace dsp
