#pragma once
#include <cstdint>

// Integer helpers of the pixel arithmetic. Every blend result is defined in
// these terms, so that drawing gives the same bytes on every build.
namespace bm {

// x / 2^n rounded toward zero (C++ integer division already truncates toward
// zero; the names make the intent of each division visible): -300 / 256 = -1.
inline int Div256(int x) { return x / 256; }
inline int Div128(int x) { return x / 128; }
inline int Div1024(int x) { return x / 1024; }
inline int Div16384(int x) { return x / 16384; }

// Arithmetic right shift of a signed value, floor(x / 2^n), spelled so that it
// does not depend on how the compiler shifts negative numbers.
inline int Asr(int x, int n) { return x >= 0 ? (x >> n) : ~((~x) >> n); }

// max(0, min(255, x)).
inline int Clamp255(int x) { return x < 0 ? 0 : (x > 255 ? 255 : x); }

// The low 8 bits of x, for results stored without clamping.
inline uint8_t Low8(int x) { return static_cast<uint8_t>(x & 0xFF); }

// The integer weight W = trunc(weight x 256.0), computed in double precision.
// A NaN weight gives 0 (draws nothing) and W is limited to +-kMaxWeight
// (weight 8), within which every operator's intermediates stay inside 32-bit
// arithmetic, also in fills, where W is the alpha value as well as the weight
// (multiply: ((2048 - 256) x 2048 + 65536) x 255 < 2^31).
constexpr int kMaxWeight = 2048;
inline int IntegerWeight(float weight) {
  double w = static_cast<double>(weight) * 256.0;
  if (!(w == w)) return 0;
  if (w >= kMaxWeight) return kMaxWeight;
  if (w <= -kMaxWeight) return -kMaxWeight;
  return static_cast<int>(w);
}

}  // namespace bm
