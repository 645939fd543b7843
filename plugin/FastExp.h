#pragma once
// The exponential for the gain stages: exp(x) to within about one unit in the
// last place, over whole arrays, in vector registers. Overflow gives +inf, NaN
// stays NaN, results below the smallest normal double are 0 or subnormal.
// exp(0) is exactly 1.

namespace dsp {

// out[i] = exp(in[i]) for 0 <= i < n; in and out may be the same array.
void ExpArray(const double* in, double* out, int n);

// The same function for one value.
double Exp(double x);

}  // namespace dsp
