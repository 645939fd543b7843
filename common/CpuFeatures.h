#pragma once
// Which wider vector instruction sets the processor offers, for code that is
// compiled more than once and chooses one version at run time (the signal
// path's kernels, the blitter's loops). Every version computes the same
// results; the wider ones are only faster. False on processors other than x86.
// [any thread]

bool CpuHasAvx2();
bool CpuHasAvx512();  // AVX-512 F and VL

// The widest code the run-time choices may take, for tests and benchmarks:
// with kAvx2 a processor with AVX-512 runs the AVX2 code, with kGeneric every
// processor runs the code of the build's baseline instruction set. A level
// the processor lacks still answers false. The default is kAvx512.
enum class CpuLevel { kGeneric, kAvx2, kAvx512 };
void LimitCpuLevel(CpuLevel widest);
