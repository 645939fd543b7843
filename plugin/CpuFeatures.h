#pragma once
// Which wider vector registers the processor offers, for the signal path's
// hot loops. Every code path computes the same bits; the wider ones are only
// faster. False on processors other than x86.

namespace dsp {

bool CpuHasAvx2();
bool CpuHasAvx512();  // AVX-512 F and VL

// The widest code the dispatchers may choose, for tests and benchmarks: with
// kAvx2 a processor with AVX-512 runs the AVX2 code, with kGeneric every
// processor runs the generic code. A level the processor lacks still answers
// false. The default is kAvx512.
enum class CpuLevel { kGeneric, kAvx2, kAvx512 };
void LimitCpuLevel(CpuLevel widest);

}  // namespace dsp
