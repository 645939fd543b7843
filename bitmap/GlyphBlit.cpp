#include "bitmap/GlyphBlit.h"

#include <algorithm>
#include <cstring>

#include "bitmap/Blit.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bm {
namespace {

// One mask byte cov != 0 onto its pixel (the rules of BlendGlyphRows).
inline void GlyphPixel(GlyphStyle style, int mode, int W, uint8_t* px, int cov, const GlyphColours& c) {
  if (style == GlyphStyle::kAntialiased) {
    const int w = W == 256 ? cov + 1 : std::min(Div256(W * cov), 256);
    CombineByMode(mode, px, c.r, c.g, c.b, 255, w);
  } else if (style == GlyphStyle::kMono || cov == 255) {
    CombineByMode(mode, px, c.r, c.g, c.b, 255, W);
  } else {
    CombineByMode(mode, px, c.er, c.eg, c.eb, 255, W);
  }
}

// The reference: one pixel at a time, style and mode chosen per pixel.
void GlyphReference(GlyphStyle style, int mode, const GlyphBlock& k, int W, const GlyphColours& c) {
  for (int y = 0; y < k.h; ++y) {
    uint8_t* d = k.dst + y * k.dstStep;
    const uint8_t* m = k.mask + y * k.maskStep;
    for (int x = 0; x < k.w; ++x)
      if (m[x] != 0) GlyphPixel(style, mode, W, d + 4 * x, m[x], c);
  }
}

// Style and mode as template arguments fold GlyphPixel's choices out of the
// loop.
template <int kMode, GlyphStyle kStyle>
void GlyphRows(const GlyphBlock& k, int W, const GlyphColours& c) {
  for (int y = 0; y < k.h; ++y) {
    uint8_t* d = k.dst + y * k.dstStep;
    const uint8_t* m = k.mask + y * k.maskStep;
    for (int x = 0; x < k.w; ++x)
      if (m[x] != 0) GlyphPixel(kStyle, kMode, W, d + 4 * x, m[x], c);
  }
}

#if defined(__SSE2__)
// Copy of an antialiased mask at full weight, four pixels at a time: the
// vector form of GlyphRows<BM_BLEND_COPY, kAntialiased> at W = 256, that is of
// CombineCopy with the text colour, alpha 255 and w = c + 1 for mask byte
// c > 0. Per channel, with s the colour's channel and
// keep = 256 - w = 255 - c (256 for c = 0, which leaves D as it is):
//   D' = s + trunc((D - s) x keep / 256).
// Per 16-bit lane |D - s| x keep <= 65280 fits unsigned 16 bits, so the
// truncation toward zero on either sign is
//   s + ((D -sat s) x keep >> 8) - ((s -sat D) x keep >> 8),
// which lies between s and D.
class GlyphCopySse2 {
public:
  explicit GlyphCopySse2(const GlyphColours& c) {
    const int16_t r = static_cast<int16_t>(c.r), g = static_cast<int16_t>(c.g), b = static_cast<int16_t>(c.b);
    mColour = _mm_setr_epi16(b, g, r, 255, b, g, r, 255);
  }

  // Four pixels dv with the mask bytes of cov, the first pixel's lowest.
  __m128i Blend(__m128i dv, uint32_t cov) const {
    const __m128i zero = _mm_setzero_si128(), s = mColour;
    // keep per pixel, then spread over its four channels.
    const __m128i c16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(cov)), zero);
    const __m128i keep = _mm_sub_epi16(_mm_sub_epi16(_mm_set1_epi16(255), c16), _mm_cmpeq_epi16(c16, zero));
    const __m128i keepPairs = _mm_unpacklo_epi16(keep, keep);
    const __m128i keepLo = _mm_unpacklo_epi32(keepPairs, keepPairs);
    const __m128i keepHi = _mm_unpackhi_epi32(keepPairs, keepPairs);
    const __m128i dLo = _mm_unpacklo_epi8(dv, zero), dHi = _mm_unpackhi_epi8(dv, zero);
    const __m128i upLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(dLo, s), keepLo), 8);
    const __m128i downLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s, dLo), keepLo), 8);
    const __m128i upHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(dHi, s), keepHi), 8);
    const __m128i downHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s, dHi), keepHi), 8);
    return _mm_packus_epi16(_mm_sub_epi16(_mm_add_epi16(s, upLo), downLo),
                            _mm_sub_epi16(_mm_add_epi16(s, upHi), downHi));
  }

  // The four pixels at px with the mask bytes of cov.
  void Quad(uint8_t* px, uint32_t cov) const {
    if (cov == 0) return;
    __m128i* at = reinterpret_cast<__m128i*>(px);
    _mm_storeu_si128(at, Blend(_mm_loadu_si128(at), cov));
  }

  void Rows(const GlyphBlock& k) const {
    for (int y = 0; y < k.h; ++y) {
      uint8_t* d = k.dst + y * k.dstStep;
      const uint8_t* m = k.mask + y * k.maskStep;
      if (k.w < 4) {
        NarrowRow(d, m, k.w);
        continue;
      }
      int x = 0;
      for (; x + 4 <= k.w; x += 4) Quad(d + 4 * x, Mask4(m + x));
      // The last one to three pixels: the row's last four, without the mask
      // bytes of those already done, which the blend leaves as they are.
      if (x < k.w) Quad(d + 4 * (k.w - 4), Mask4(m + k.w - 4) & (~0u << (8 * (x + 4 - k.w))));
    }
  }

private:
  static uint32_t Mask4(const uint8_t* m) {
    uint32_t cov;
    std::memcpy(&cov, m, 4);
    return cov;
  }

  // A row of one to three pixels, read and written as such.
  void NarrowRow(uint8_t* d, const uint8_t* m, int n) const {
    uint32_t cov = 0;
    for (int i = 0; i < n; ++i) cov |= static_cast<uint32_t>(m[i]) << (8 * i);
    if (cov == 0) return;
    uint8_t pixels[16] = {};
    std::memcpy(pixels, d, 4 * static_cast<size_t>(n));
    __m128i* at = reinterpret_cast<__m128i*>(pixels);
    _mm_storeu_si128(at, Blend(_mm_loadu_si128(at), cov));
    std::memcpy(d, pixels, 4 * static_cast<size_t>(n));
  }

  __m128i mColour;
};
#endif

template <GlyphStyle kStyle>
void GlyphRowsByMode(int mode, const GlyphBlock& k, int W, const GlyphColours& c) {
  switch (mode) {
    case BM_BLEND_COPY: GlyphRows<BM_BLEND_COPY, kStyle>(k, W, c); return;
    case BM_BLEND_ADD: GlyphRows<BM_BLEND_ADD, kStyle>(k, W, c); return;
    case BM_BLEND_DODGE: GlyphRows<BM_BLEND_DODGE, kStyle>(k, W, c); return;
    case BM_BLEND_MULTIPLY: GlyphRows<BM_BLEND_MULTIPLY, kStyle>(k, W, c); return;
    case BM_BLEND_OVERLAY: GlyphRows<BM_BLEND_OVERLAY, kStyle>(k, W, c); return;
    case BM_BLEND_HSVADJUST: GlyphRows<BM_BLEND_HSVADJUST, kStyle>(k, W, c); return;
    default: return;
  }
}

// The fast loops, chosen up front: copy of an antialiased mask at full weight
// (the editor's text) has a vector loop, every other case its operator's loop.
void GlyphFast(GlyphStyle style, int mode, const GlyphBlock& k, int W, const GlyphColours& c) {
  switch (style) {
    case GlyphStyle::kAntialiased:
#if defined(__SSE2__)
      if (mode == BM_BLEND_COPY && W == 256) {
        GlyphCopySse2(c).Rows(k);
        return;
      }
#endif
      GlyphRowsByMode<GlyphStyle::kAntialiased>(mode, k, W, c);
      return;
    case GlyphStyle::kMono: GlyphRowsByMode<GlyphStyle::kMono>(mode, k, W, c); return;
    case GlyphStyle::kEffect: GlyphRowsByMode<GlyphStyle::kEffect>(mode, k, W, c); return;
  }
}

}  // namespace

void BlendGlyphRows(GlyphStyle style, int mode, const GlyphBlock& k, int W, const GlyphColours& c) {
  // The loops work on copies of their own, which no pixel store can alias, so
  // that they stay in registers.
  const GlyphBlock block = k;
  const GlyphColours colours = c;
  if (BM_GetPixelPath() == BM_PixelPath::kReference)
    GlyphReference(style, mode, block, W, colours);
  else
    GlyphFast(style, mode, block, W, colours);
}

void StoreGlyphRows(const GlyphBlock& cell, BM_Color32 ink, BM_Color32 effect) {
  const GlyphBlock k = cell;  // as in BlendGlyphRows
  for (int y = 0; y < k.h; ++y) {
    BM_Color32* d = reinterpret_cast<BM_Color32*>(k.dst + y * k.dstStep);
    const uint8_t* m = k.mask + y * k.maskStep;
    for (int x = 0; x < k.w; ++x)
      if (m[x]) d[x] = m[x] == 255 ? ink : effect;
  }
}

}  // namespace bm
