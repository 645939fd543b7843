#include "plugin/ShaperKernel.h"

#include "common/CpuFeatures.h"
#include "plugin/ShaperKernelBody.h"

namespace dsp {
namespace {

void ShapeBlockGeneric(const ShaperBlock& c) { ShapeBlockBody<Pair, V2d, V2u>(c); }

#if defined(__x86_64__) || defined(__i386__)
// The same code for processors with wider registers. AVX-512 VL also gives
// the 128- and 256-bit code 32 registers instead of 16.
__attribute__((target("avx2"))) void ShapeBlockAvx2(const ShaperBlock& c) { ShapeBlockBody<V4d, V4d, V4u>(c); }
__attribute__((target("avx512f,avx512vl"))) void ShapeBlockAvx512(const ShaperBlock& c) {
  ShapeBlockBody<V4d, V8d, V8u>(c);
}
#endif

}  // namespace

void ShapeBlock(const ShaperBlock& block) {
#if defined(__x86_64__) || defined(__i386__)
  if (CpuHasAvx512()) return ShapeBlockAvx512(block);
  if (CpuHasAvx2()) return ShapeBlockAvx2(block);
#endif
  ShapeBlockGeneric(block);
}

}  // namespace dsp
