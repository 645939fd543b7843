#include "tests/plugin/Avx512CodeOnAvx2.h"

#include "plugin/FastExpVector.h"
#include "plugin/ShaperKernelBody.h"

#if defined(__x86_64__) || defined(__i386__)
#define MORVANE_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define MORVANE_TARGET_AVX2
#endif

namespace dsp {
namespace testing {

// The template arguments of ShapeBlockAvx512 and ExpArrayAvx512.
MORVANE_TARGET_AVX2 void ShapeBlockAvx512CodeOnAvx2(const ShaperBlock& block) {
  ShapeBlockBody<V4d, V8d, V8u>(block);
}

MORVANE_TARGET_AVX2 void ExpArrayAvx512CodeOnAvx2(const double* in, double* out, int n) {
  ExpArrayV<V8d, V8u>(in, out, n);
}

}  // namespace testing
}  // namespace dsp
