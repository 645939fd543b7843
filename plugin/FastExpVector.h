#pragma once
// The exponential of FastExp.h on one vector, for implementation files that
// compile it into their own code for wider registers. Every lane performs the
// same operations in the same order whatever the vector's width, so every
// width gives the same bits. Include only from implementation files.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugin/Simd.h"

namespace dsp {

// 2^(j / 64) for j = 0..63, each the double nearest the exact value.
extern const double kExp2Sixtyfourths[64];

namespace fastexp {

constexpr double kSixtyfourOverLn2 = 92.332482616893656877;  // 64 / ln 2
// ln 2 / 64 in two parts; the high part has 21 trailing zero bits, so n x kHi
// is exact for |n| < 2^21.
constexpr double kLn2Over64Hi = 6.93147180369123816490e-01 / 64.0;
constexpr double kLn2Over64Lo = 1.90821492927058770002e-10 / 64.0;
// Adding 1.5 x 2^52 rounds to an integer (round to nearest) and leaves that
// integer n in the low bits of the sum: the sum's bits are kRoundBits + n.
constexpr double kRoundShift = 6755399441055744.0;
constexpr int64_t kRoundBits = 0x4338000000000000;
// Beyond these the result is +inf or 0 anyway; inside them the power of two
// splits into two normal factors.
constexpr double kMaxArg = 710.0;
constexpr double kMinArg = -746.0;

template <class V, class VU>
MORVANE_INLINE V Lookup(const VU& index) {
  constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(double));
  V out{};
  for (int i = 0; i < kLanes; ++i) out[i] = kExp2Sixtyfourths[index[i]];
  return out;
}

#if defined(__x86_64__) || defined(__i386__)
// Four lanes in one gather. Only code for processors with AVX2 handles
// 256-bit vectors in registers, so only such code (the AVX2 and AVX-512 VL
// paths) reaches this.
template <>
MORVANE_INLINE V4d Lookup<V4d, V4u>(const V4u& index) {
  V4d out, mask;
  asm("vxorpd %[out], %[out], %[out]\n\t"
      "vpcmpeqd %[mask], %[mask], %[mask]\n\t"
      "vgatherqpd %[mask], (%[table], %[index], 8), %[out]"
      : [out] "=&x"(out), [mask] "=&x"(mask)
      : [table] "r"(kExp2Sixtyfourths), [index] "x"(index), "m"(kExp2Sixtyfourths));
  return out;
}
#endif

}  // namespace fastexp

// exp(x) = 2^k x 2^(j/64) x exp(r) with n = round(x x 64 / ln 2) = 64k + j,
// 0 <= j < 64, and |r| = |x - n ln 2 / 64| <= ln 2 / 128. exp(r) - 1 is the
// Taylor series to r^5 (the next term is below 4e-17) and 2^(j/64) comes from
// the table; this part gives m = 2^(j/64) x exp(r), between 0.99 and 2, and
// leaves the bits of x x 64 / ln 2 + kRoundShift, which hold n. The largest
// error of the result is below 1.5 units in the last place.
template <class V, class VU>
MORVANE_INLINE V ExpMantissa(const V& x, VU& bits) {
  using namespace fastexp;
  const V shifted = x * kSixtyfourOverLn2 + kRoundShift;
  const V n = shifted - kRoundShift;
  const V r = (x - n * kLn2Over64Hi) - n * kLn2Over64Lo;
  const V r2 = r * r;
  const V high = (1.0 / 24.0) + r * (1.0 / 120.0);
  const V low = 0.5 + r * (1.0 / 6.0);
  const V expm1 = r + r2 * (low + r2 * high);
  bits = (VU)shifted;
  const V table = Lookup<V, VU>(bits & 63);
  return table + table * expm1;
}

// exp(x) for any x. 2^k is applied as two factors 2^k1 x 2^k2
// (k1 = floor(n / 128), k2 = k - k1) so that neither leaves the normal range.
// NaN stays NaN (its bits still give a table index within range). V is a
// vector of doubles, VU the vector of uint64_t of the same width.
template <class V, class VU>
MORVANE_INLINE V ExpV(const V& in) {
  using namespace fastexp;
  const V x = Min(Opaque(Splat<V>(kMaxArg)), Max(Opaque(Splat<V>(kMinArg)), in));  // NaN stays NaN
  VU bits;
  const V mantissa = ExpMantissa<V, VU>(x, bits);
  // kRoundBits is a multiple of 128, so the shifts give floor(n / 64) and
  // floor(n / 128) offset by kRoundBits >> 6 and kRoundBits >> 7; the biased
  // exponents of 2^k1 and 2^k2 are k1 + 1023 and k - k1 + 1023.
  constexpr uint64_t kBias = static_cast<uint64_t>(1023 - (kRoundBits >> 7));
  const VU per64 = bits >> 6;
  const VU per128 = bits >> 7;
  const V factor1 = (V)((per128 + kBias) << 52);
  const V factor2 = (V)((per64 - per128 + kBias) << 52);
  return (mantissa * factor1) * factor2;
}

// Arguments within +-kNearLimit: there 2^k x m stays a normal number, and
// adding k to the exponent bits of m gives the same bits as ExpV's two
// factors.
constexpr double kNearLimit = 700.0;

// exp(x) for |x| <= kNearLimit only.
template <class V, class VU>
MORVANE_INLINE V ExpNearV(const V& x) {
  using namespace fastexp;
  VU bits;
  const V mantissa = ExpMantissa<V, VU>(x, bits);
  // (bits >> 6) << 52 is (k + (kRoundBits >> 6)) << 52.
  constexpr uint64_t kOffset = static_cast<uint64_t>(kRoundBits >> 6) << 52;
  return (V)((VU)mantissa + ((bits >> 6) << 52) - kOffset);
}

// data[i] = exp(data[i]) for 0 <= i < n, in vectors of V.
template <class V, class VU>
MORVANE_INLINE void ExpInPlace(double* data, int n) {
  constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(double));
  int i = 0;
  // Two vectors at a time: their long chains of dependent operations overlap.
  for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
    V x, y;
    std::memcpy(&x, data + i, sizeof x);
    std::memcpy(&y, data + i + kLanes, sizeof y);
    x = ExpV<V, VU>(x);
    y = ExpV<V, VU>(y);
    std::memcpy(data + i, &x, sizeof x);
    std::memcpy(data + i + kLanes, &y, sizeof y);
  }
  for (; i + kLanes <= n; i += kLanes) {
    V x;
    std::memcpy(&x, data + i, sizeof x);
    x = ExpV<V, VU>(x);
    std::memcpy(data + i, &x, sizeof x);
  }
  if (i < n) {
    double tmp[kLanes] = {};
    const size_t rest = sizeof(double) * static_cast<size_t>(n - i);
    std::memcpy(tmp, data + i, rest);
    V x;
    std::memcpy(&x, tmp, sizeof x);
    x = ExpV<V, VU>(x);
    std::memcpy(data + i, &x, rest);
  }
}

// out[i] = exp(in[i]) for 0 <= i < n: copied first, then in place, so in and
// out may be the same array.
template <class V, class VU>
MORVANE_INLINE void ExpArrayV(const double* in, double* out, int n) {
  if (out != in && n > 0) std::memmove(out, in, sizeof(double) * static_cast<size_t>(n));
  ExpInPlace<V, VU>(out, n);
}

}  // namespace dsp
