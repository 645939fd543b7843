#include "plugin/FastExp.h"

#include <cstdint>
#include <cstring>

#include "common/CpuFeatures.h"
#include "plugin/Simd.h"

namespace dsp {
namespace {

constexpr double kLog2e = 1.4426950408889634;
// ln 2 in two parts; the high part has 21 trailing zero bits, so n * kLn2Hi is
// exact for |n| < 2^21.
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;
// Adding 1.5 * 2^52 rounds to an integer (round to nearest) and leaves that
// integer in the low bits of the sum.
constexpr double kRoundShift = 6755399441055744.0;
// Beyond these the result is +inf or 0 anyway; inside them the power of two
// splits into two normal factors.
constexpr double kMaxArg = 710.0;
constexpr double kMinArg = -746.0;

template <class V, class VI>
MORVANE_INLINE V Select(const VI& mask, const V& a, const V& b) {
  return (V)((mask & (VI)a) | (~mask & (VI)b));
}

// 2^k for integer-valued k in [-1022, 1023]: (k + 1023) << 52, with k taken
// from the low bits of k + kRoundShift.
template <class V, class VI>
MORVANE_INLINE V Pow2(const V& k) {
  const VI bits = (VI)(k + kRoundShift);
  return (V)((bits + 1023) << 52);
}

// exp(x) = 2^n * exp(r), n = round(x / ln 2), |r| <= ln 2 / 2; exp(r) by its
// Taylor series to r^12 (truncation below 2e-16 relative). 2^n is applied as
// two factors 2^n1 * 2^n2 so that neither leaves the normal range.
template <class V, class VI>
MORVANE_INLINE V ExpV(const V& in) {
  V x = in;
  x = Select<V, VI>(x < kMinArg, Splat<V>(kMinArg), x);
  x = Select<V, VI>(x > kMaxArg, Splat<V>(kMaxArg), x);
  const V n = (x * kLog2e + kRoundShift) - kRoundShift;
  const V r = (x - n * kLn2Hi) - n * kLn2Lo;
  // Estrin's scheme: the polynomial with a short dependency chain.
  const V r2 = r * r;
  const V r4 = r2 * r2;
  const V r8 = r4 * r4;
  const V q0 = 1.0 + r;
  const V q1 = (1.0 / 2.0) + (1.0 / 6.0) * r;
  const V q2 = (1.0 / 24.0) + (1.0 / 120.0) * r;
  const V q3 = (1.0 / 720.0) + (1.0 / 5040.0) * r;
  const V q4 = (1.0 / 40320.0) + (1.0 / 362880.0) * r;
  const V q5 = (1.0 / 3628800.0) + (1.0 / 39916800.0) * r;
  const V s0 = q0 + q1 * r2;
  const V s1 = q2 + q3 * r2;
  const V s2 = q4 + q5 * r2;
  const V t0 = s0 + s1 * r4;
  const V t1 = s2 + (1.0 / 479001600.0) * r4;
  const V p = t0 + t1 * r8;
  const V n1 = (n * 0.5 + kRoundShift) - kRoundShift;
  const V n2 = n - n1;
  return (p * Pow2<V, VI>(n1)) * Pow2<V, VI>(n2);
}

template <class V, class VI>
MORVANE_INLINE void ExpArrayBody(const double* in, double* out, int n) {
  constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(double));
  int i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    V x;
    std::memcpy(&x, in + i, sizeof x);
    const V y = ExpV<V, VI>(x);
    std::memcpy(out + i, &y, sizeof y);
  }
  if (i < n) {
    double tmp[kLanes] = {};
    const size_t rest = sizeof(double) * static_cast<size_t>(n - i);
    std::memcpy(tmp, in + i, rest);
    V x;
    std::memcpy(&x, tmp, sizeof x);
    const V y = ExpV<V, VI>(x);
    std::memcpy(tmp, &y, sizeof y);
    std::memcpy(out + i, tmp, rest);
  }
}

void ExpArrayGeneric(const double* in, double* out, int n) { ExpArrayBody<V4d, V4i>(in, out, n); }

#if defined(__x86_64__) || defined(__i386__)
// The same code in 256-bit or 512-bit registers on processors that have them.
__attribute__((target("avx2"))) void ExpArrayAvx2(const double* in, double* out, int n) {
  ExpArrayBody<V4d, V4i>(in, out, n);
}

__attribute__((target("avx512f"))) void ExpArrayAvx512(const double* in, double* out, int n) {
  ExpArrayBody<V8d, V8i>(in, out, n);
}
#endif

}  // namespace

void ExpArray(const double* in, double* out, int n) {
#if defined(__x86_64__) || defined(__i386__)
  if (CpuHasAvx512()) return ExpArrayAvx512(in, out, n);
  if (CpuHasAvx2()) return ExpArrayAvx2(in, out, n);
#endif
  ExpArrayGeneric(in, out, n);
}

double Exp(double x) {
  double y;
  ExpArrayGeneric(&x, &y, 1);
  return y;
}

}  // namespace dsp
