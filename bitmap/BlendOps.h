#pragma once
#include <cstdint>
#include "bitmap/IntMath.h"

// Blend modes of BM_BlitRect and BM_FillArea (the mode's low byte) and the
// source-alpha flag.
constexpr int32_t BM_BLEND_COPY = 0;       // source over destination in proportion to the weight
constexpr int32_t BM_BLEND_ADD = 1;        // saturating add
constexpr int32_t BM_BLEND_DODGE = 2;      // colour dodge: destination / inverted source
constexpr int32_t BM_BLEND_MULTIPLY = 3;   // destination x source
constexpr int32_t BM_BLEND_OVERLAY = 4;    // darken below mid-grey source, lighten above
constexpr int32_t BM_BLEND_HSVADJUST = 5;  // shift hue, saturation, value by source red, green, blue
// 0xF0 to 0xFF: copy one byte; bits 0-1 pick the source byte, bits 2-3 the
// destination byte (0 blue, 1 green, 2 red, 3 alpha).
constexpr int32_t BM_BLEND_CHANNEL_COPY = 0xF0;
// Weight each source pixel by its own alpha (blit) or the fill by the colour's alpha.
constexpr int32_t BM_BLEND_SOURCE_ALPHA = 0x10000;

// The six pixel operators: the one definition of each blend, shared by the
// blitter, the filler and the glyph renderer. Each blends source channel
// values r, g, b, a (0..255) into one destination pixel with integer weight w
// (256 = full strength). px points at the pixel's bytes: blue, green, red,
// alpha. Divisions truncate toward zero (see IntMath.h).

// s + ((D - s) x (256 - w)) / 256, low 8 bits.
inline void CombineCopyChannel(uint8_t& d, int s, int w) { d = bm::Low8(s + bm::Div256((d - s) * (256 - w))); }
inline void CombineCopy(uint8_t* px, int r, int g, int b, int a, int w) {
  CombineCopyChannel(px[0], b, w);
  CombineCopyChannel(px[1], g, w);
  CombineCopyChannel(px[2], r, w);
  CombineCopyChannel(px[3], a, w);
}

// clamp(D + (s x w) / 256).
inline void CombineAddChannel(uint8_t& d, int s, int w) {
  d = static_cast<uint8_t>(bm::Clamp255(d + bm::Div256(s * w)));
}
inline void CombineAdd(uint8_t* px, int r, int g, int b, int a, int w) {
  CombineAddChannel(px[0], b, w);
  CombineAddChannel(px[1], g, w);
  CombineAddChannel(px[2], r, w);
  CombineAddChannel(px[3], a, w);
}

// q = 256 - (s x w) / 256; clamp((D x 256) / q) if q > 1, else clamp(D x 256).
inline void CombineDodgeChannel(uint8_t& d, int s, int w) {
  int q = 256 - bm::Div256(s * w);
  d = static_cast<uint8_t>(bm::Clamp255(q > 1 ? (d * 256) / q : d * 256));
}
inline void CombineDodge(uint8_t* px, int r, int g, int b, int a, int w) {
  CombineDodgeChannel(px[0], b, w);
  CombineDodgeChannel(px[1], g, w);
  CombineDodgeChannel(px[2], r, w);
  CombineDodgeChannel(px[3], a, w);
}

// (((s - 256) x w + 65536) x D) >> 16, low 8 bits; at w = 256 this is s x D / 256.
inline void CombineMultiplyChannel(uint8_t& d, int s, int w) {
  d = bm::Low8(bm::Asr(((s - 256) * w + 65536) * d, 16));
}
inline void CombineMultiply(uint8_t* px, int r, int g, int b, int a, int w) {
  CombineMultiplyChannel(px[0], b, w);
  CombineMultiplyChannel(px[1], g, w);
  CombineMultiplyChannel(px[2], r, w);
  CombineMultiplyChannel(px[3], a, w);
}

// t = s x w + (256 - w) x 128; clamp(((t + ((32768 - t) x D) / 256) x D) >> 15).
// s = 128 gives t = 32768, which leaves D unchanged at any w.
inline void CombineOverlayChannel(uint8_t& d, int s, int w) {
  int t = s * w + (256 - w) * 128;
  d = static_cast<uint8_t>(bm::Clamp255(bm::Asr((t + bm::Div256((32768 - t) * d)) * d, 15)));
}
inline void CombineOverlay(uint8_t* px, int r, int g, int b, int a, int w) {
  CombineOverlayChannel(px[0], b, w);
  CombineOverlayChannel(px[1], g, w);
  CombineOverlayChannel(px[2], r, w);
  CombineOverlayChannel(px[3], a, w);
}

namespace bm {
// T[0] = 0, T[i] = floor(65536 / i) - 1: the reciprocals of the HSV conversion.
struct HsvReciprocals {
  uint16_t t[256];
  constexpr HsvReciprocals() : t() {
    for (int i = 1; i < 256; ++i) t[i] = static_cast<uint16_t>(65536 / i - 1);
  }
};
constexpr HsvReciprocals kHsvReciprocals;
}  // namespace bm

// Converts the destination's colour to hue (0..383, six sectors of 64: red 0,
// yellow 64, green 128, cyan 192, blue 256, magenta 320), saturation and value,
// shifts them by the source's red (hue, (r + r/2 - 192) x w / 256), green
// (saturation, (g - 128) x w / 128) and blue (value, likewise), converts back
// and writes the whole pixel with alpha a. Source 128, 128, 128 is neutral.
inline void CombineHSVAdjust(uint8_t* px, int r, int g, int b, int a, int w) {
  const int B = px[0], G = px[1], R = px[2];
  int max, min, n, base;
  if (G > R) {
    if (G > B) {
      max = G; min = B < R ? B : R; n = B - R; base = 128;
    } else {
      max = B; min = R; n = R - G; base = 256;
    }
  } else if (R > B) {
    if (G < B) {
      max = R; min = G; n = G - B; base = 383;
    } else {
      max = R; min = B; n = G - B; base = 0;
    }
  } else {
    max = B; min = G < R ? G : R; n = R - G; base = 256;
  }
  const int d = max - min;
  const uint16_t* T = bm::kHsvReciprocals.t;
  int S = bm::Div256(T[max] * d);
  int H = base + bm::Div1024((T[d] + 1) * n);
  int V = max;

  H += bm::Div256((r + r / 2 - 192) * w);
  if (H < 0)
    H += 384;
  else if (H >= 384)
    H -= 384;
  S = bm::Clamp255(S + bm::Div128((g - 128) * w));
  V = bm::Clamp255(V + bm::Div128((b - 128) * w));

  // Back to red, green, blue: p is the lowest channel; in each sector one
  // channel is V, one p and one moves linearly: ((k) x S + 16384) x V / 16384.
  const int p = bm::Div256((256 - S) * V);
  auto ramp = [S, V](int k) { return bm::Div16384((k * S + 16384) * V); };
  int outR, outG, outB;
  if (H < 64) {
    outR = V; outG = ramp(H - 64); outB = p;
  } else if (H < 128) {
    outR = ramp(64 - H); outG = V; outB = p;
  } else if (H < 192) {
    outR = p; outG = V; outB = ramp(H - 192);
  } else if (H < 256) {
    outR = p; outG = ramp(192 - H); outB = V;
  } else if (H < 320) {
    outR = ramp(H - 320); outG = p; outB = V;
  } else {
    outR = V; outG = p; outB = ramp(320 - H);
  }
  px[0] = bm::Low8(outB);
  px[1] = bm::Low8(outG);
  px[2] = bm::Low8(outR);
  px[3] = bm::Low8(a);
}

// Applies the operator of a mode's low byte (0 to 5); any other value leaves
// the pixel as it is and returns false.
inline bool CombineByMode(int mode, uint8_t* px, int r, int g, int b, int a, int w) {
  switch (mode) {
    case BM_BLEND_COPY: CombineCopy(px, r, g, b, a, w); return true;
    case BM_BLEND_ADD: CombineAdd(px, r, g, b, a, w); return true;
    case BM_BLEND_DODGE: CombineDodge(px, r, g, b, a, w); return true;
    case BM_BLEND_MULTIPLY: CombineMultiply(px, r, g, b, a, w); return true;
    case BM_BLEND_OVERLAY: CombineOverlay(px, r, g, b, a, w); return true;
    case BM_BLEND_HSVADJUST: CombineHSVAdjust(px, r, g, b, a, w); return true;
    default: return false;
  }
}
