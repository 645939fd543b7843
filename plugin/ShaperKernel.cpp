#include "plugin/ShaperKernel.h"

#include "common/CpuFeatures.h"
#include "plugin/ShaperKernelBody.h"

namespace dsp {
namespace {

void ShapeBlockGeneric(const ShaperBlock& c) { ShapeBlockBody<Pair, V2d, V2u>(c); }

#if defined(__x86_64__) || defined(__i386__)
// The same code in 256-bit registers, for AVX2 and again for AVX-512 VL,
// which gives it 32 registers instead of 16. It leaves the 512-bit registers
// alone: while 512-bit instructions run the processor shuts one of its vector
// ports, which costs eight-lane exponentials more than the width saves.
__attribute__((target("avx2"))) void ShapeBlockAvx2(const ShaperBlock& c) { ShapeBlockBody<V4d, V4d, V4u>(c); }
__attribute__((target("avx512f,avx512vl"))) void ShapeBlockAvx512(const ShaperBlock& c) {
  ShapeBlockBody<V4d, V4d, V4u>(c);
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
