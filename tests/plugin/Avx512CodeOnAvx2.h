#pragma once
// The AVX-512 code paths of the signal path, compiled for AVX2 processors, for
// the tests only (the plug-in's dispatch never takes them). The same
// templates with the same eight-lane vectors: the compiler carries out each
// 512-bit operation as two 256-bit ones, so on a processor without AVX-512
// these run every step of those paths but the AVX-512 instructions
// themselves. Call them only where the processor has AVX2.
#include "plugin/ShaperKernel.h"

namespace dsp {
namespace testing {

// ShapeBlock's AVX-512 code: exponentials in groups of four frames.
void ShapeBlockAvx512CodeOnAvx2(const ShaperBlock& block);

// ExpArray's AVX-512 code: eight values per vector.
void ExpArrayAvx512CodeOnAvx2(const double* in, double* out, int n);

}  // namespace testing
}  // namespace dsp
