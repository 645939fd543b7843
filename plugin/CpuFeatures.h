#pragma once
// Which wider vector registers the processor offers, for the signal path's
// hot loops. Every code path computes the same bits; the wider ones are only
// faster. False on processors other than x86.

namespace dsp {

bool CpuHasAvx2();
bool CpuHasAvx512();  // AVX-512 F and VL

// For tests: while set, both answers are false, so the generic code runs even
// where wider registers exist.
void UseGenericCode(bool generic);

}  // namespace dsp
