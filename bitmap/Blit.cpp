#include "bitmap/Blit.h"

#include <cstddef>
#include <cstring>

#include "common/CpuFeatures.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

BM_PixelPath gPath = BM_PixelPath::kFastest;

// A clipped block: the first pixel of the first row of each side and the
// distance in pixels from one visited row to the next (negative for flipped
// bitmaps). Rows are addressed as first + i x step so that no pointer is ever
// formed outside the bitmap.
struct Block {
  BM_Color32* dst;
  ptrdiff_t dstStep;
  const BM_Color32* src;
  ptrdiff_t srcStep;
  int w;
  int h;
  uint8_t* DstRow(int i) const { return reinterpret_cast<uint8_t*>(dst + i * dstStep); }
  const uint8_t* SrcRow(int i) const { return reinterpret_cast<const uint8_t*>(src + i * srcStep); }
};

// Copy with source alpha at W = 256: A = 0 leaves the pixel; otherwise
// alpha = clamp(D + A) and colour = s + ((D - s) x (255 - A)) / 256, which for
// A = 255 is the source colour with alpha 255. At any other W:
// A' = ((A + 1) x W) / 256, alpha = clamp(D + A') and
// colour = s + ((D - s) x (256 - A')) / 256.
inline void SourceAlphaCopyPixel(uint8_t* d, const uint8_t* s, int W) {
  const int A = s[3];
  if (A == 0) return;
  int add, keep;
  if (W == 256) {
    add = A;
    keep = 255 - A;
  } else {
    add = bm::Div256((A + 1) * W);
    keep = 256 - add;
  }
  d[3] = static_cast<uint8_t>(bm::Clamp255(d[3] + add));
  for (int c = 0; c < 3; ++c) d[c] = bm::Low8(s[c] + bm::Div256((d[c] - s[c]) * keep));
}

// One pixel of the blend modes (mode already reduced to the bits 0x100FF,
// W != 0). The operators take the source's red, green, blue and alpha.
inline void BlitPixel(int mode, int W, uint8_t* d, const uint8_t* s) {
  const int b = s[0], g = s[1], r = s[2], A = s[3];
  const int wA = bm::Div256((A + 1) * W);  // the source-alpha weight
  switch (mode) {
    case BM_BLEND_COPY:
      if (W < 0) return;
      if (W == 256)
        std::memcpy(d, s, 4);
      else
        CombineCopy(d, r, g, b, A, W);
      return;
    case BM_BLEND_ADD:
    case BM_BLEND_DODGE:
    case BM_BLEND_MULTIPLY:
    case BM_BLEND_OVERLAY:
    case BM_BLEND_HSVADJUST:
      CombineByMode(mode, d, r, g, b, A, W);
      return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY: SourceAlphaCopyPixel(d, s, W); return;
    // Add and multiply skip fully transparent source pixels; dodge, overlay
    // and HSV adjust apply them with their (small) weight.
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD:
      if (A != 0) CombineAdd(d, r, g, b, A, wA);
      return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_DODGE: CombineDodge(d, r, g, b, A, wA); return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_MULTIPLY:
      if (A != 0) CombineMultiply(d, r, g, b, A, wA);
      return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_OVERLAY: CombineOverlay(d, r, g, b, A, wA); return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_HSVADJUST: CombineHSVAdjust(d, r, g, b, A, wA); return;
    default: return;
  }
}

enum class BlitKind { kChannelCopy, kRowCopy, kHalfCopy, kBlend };

// The reference: every case one pixel at a time, byte by byte.
void BlitReference(const Block& k, BlitKind kind, int mode, int W) {
  const int from = mode & 3, to = (mode >> 2) & 3;
  for (int y = 0; y < k.h; ++y) {
    uint8_t* d = k.DstRow(y);
    const uint8_t* s = k.SrcRow(y);
    // Weight exactly 1.0 copies each row as one block, also when source and
    // destination overlap.
    if (kind == BlitKind::kRowCopy) std::memmove(d, s, static_cast<size_t>(k.w) * 4);
    for (int x = 0; x < k.w; ++x, d += 4, s += 4) {
      switch (kind) {
        case BlitKind::kChannelCopy: d[to] = s[from]; break;
        case BlitKind::kRowCopy: break;  // copied as a block above
        case BlitKind::kHalfCopy:
          for (int c = 0; c < 4; ++c) d[c] = static_cast<uint8_t>((s[c] >> 1) + (d[c] >> 1));
          break;
        case BlitKind::kBlend: BlitPixel(mode, W, d, s); break;
      }
    }
  }
}

// The mode as a template argument folds BlitPixel's switch out of the loop.
template <int kMode>
void BlitRows(const Block& k, int W) {
  for (int y = 0; y < k.h; ++y) {
    uint8_t* d = k.DstRow(y);
    const uint8_t* s = k.SrcRow(y);
    for (int x = 0; x < k.w; ++x) BlitPixel(kMode, W, d + 4 * x, s + 4 * x);
  }
}

#if defined(__SSE2__)
// Copy with source alpha for 0 < W <= 256, four pixels at a time.
//
// keep = 255 - A (W = 256) or 256 - A' (A' = ((A + 1) x W) >> 8), and
// add = A or A'. A transparent pixel gets keep = 256 and add = 0, which leaves
// it unchanged (at W < 256 that already follows from A' = 0). Per 16-bit
// lane |D - s| x keep <= 65280 fits unsigned 16 bits, so
// s + trunc((D - s) x keep / 256) is s + ((D -sat s) x keep >> 8) -
// ((s -sat D) x keep >> 8), which truncates toward zero on either sign.
// The alpha byte is D +sat add.
#define BM_SOURCE_ALPHA_BODY(V, load, store, set1_32, zero_, srli32, slli32, sub32, add32_, cmpeq32, madd16, \
                             or_, and_, unpacklo32, unpackhi32, unpacklo8, unpackhi8, subs_u16, mullo16, srli16, \
                             add16, sub16, packus16, adds_u8)                                                    \
  {                                                                                                            \
    const V sv = load(reinterpret_cast<const V*>(s));                                                          \
    const V dv = load(reinterpret_cast<const V*>(d));                                                          \
    const V a32 = srli32(sv, 24);                                                                              \
    V add, keep;                                                                                               \
    if (W == 256) {                                                                                            \
      add = a32;                                                                                               \
      keep = sub32(sub32(set1_32(255), a32), cmpeq32(a32, zero_()));                                           \
    } else {                                                                                                   \
      add = srli32(madd16(add32_(a32, set1_32(1)), set1_32(W)), 8);                                            \
      keep = sub32(set1_32(256), add);                                                                         \
    }                                                                                                          \
    const V keepPairs = or_(keep, slli32(keep, 16));                                                           \
    const V keepLo = unpacklo32(keepPairs, keepPairs), keepHi = unpackhi32(keepPairs, keepPairs);              \
    const V sLo = unpacklo8(sv, zero_()), sHi = unpackhi8(sv, zero_());                                        \
    const V dLo = unpacklo8(dv, zero_()), dHi = unpackhi8(dv, zero_());                                        \
    const V upLo = srli16(mullo16(subs_u16(dLo, sLo), keepLo), 8);                                             \
    const V downLo = srli16(mullo16(subs_u16(sLo, dLo), keepLo), 8);                                           \
    const V upHi = srli16(mullo16(subs_u16(dHi, sHi), keepHi), 8);                                             \
    const V downHi = srli16(mullo16(subs_u16(sHi, dHi), keepHi), 8);                                           \
    const V colour = packus16(sub16(add16(sLo, upLo), downLo), sub16(add16(sHi, upHi), downHi));               \
    const V alpha = adds_u8(dv, slli32(add, 24));                                                              \
    store(reinterpret_cast<V*>(d),                                                                             \
          or_(and_(colour, set1_32(0x00FFFFFF)), and_(alpha, set1_32(static_cast<int>(0xFF000000u)))));        \
  }

void SourceAlphaCopyRowsSse2(const Block& k, int W) {
  const int quads = k.w / 4;
  for (int y = 0; y < k.h; ++y) {
    uint8_t* d = k.DstRow(y);
    const uint8_t* s = k.SrcRow(y);
    for (int q = 0; q < quads; ++q, d += 16, s += 16)
      BM_SOURCE_ALPHA_BODY(__m128i, _mm_loadu_si128, _mm_storeu_si128, _mm_set1_epi32, _mm_setzero_si128,
                           _mm_srli_epi32, _mm_slli_epi32, _mm_sub_epi32, _mm_add_epi32, _mm_cmpeq_epi32,
                           _mm_madd_epi16, _mm_or_si128, _mm_and_si128, _mm_unpacklo_epi32, _mm_unpackhi_epi32,
                           _mm_unpacklo_epi8, _mm_unpackhi_epi8, _mm_subs_epu16, _mm_mullo_epi16, _mm_srli_epi16,
                           _mm_add_epi16, _mm_sub_epi16, _mm_packus_epi16, _mm_adds_epu8)
    for (int x = quads * 4; x < k.w; ++x, d += 4, s += 4) SourceAlphaCopyPixel(d, s, W);
  }
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define BM_HAVE_AVX2_PATH 1
// The same, eight pixels at a time, on processors that have AVX2 (checked at
// run time; the build itself targets the baseline instruction set). The
// 256-bit unpack and pack instructions work within 128-bit halves, which keeps
// every pixel's lanes together just as in the 128-bit version.
__attribute__((target("avx2"))) void SourceAlphaCopyRowsAvx2(const Block& k, int W) {
  const int octets = k.w / 8;
  for (int y = 0; y < k.h; ++y) {
    uint8_t* d = k.DstRow(y);
    const uint8_t* s = k.SrcRow(y);
    for (int q = 0; q < octets; ++q, d += 32, s += 32)
      BM_SOURCE_ALPHA_BODY(__m256i, _mm256_loadu_si256, _mm256_storeu_si256, _mm256_set1_epi32,
                           _mm256_setzero_si256, _mm256_srli_epi32, _mm256_slli_epi32, _mm256_sub_epi32,
                           _mm256_add_epi32, _mm256_cmpeq_epi32, _mm256_madd_epi16, _mm256_or_si256,
                           _mm256_and_si256, _mm256_unpacklo_epi32, _mm256_unpackhi_epi32, _mm256_unpacklo_epi8,
                           _mm256_unpackhi_epi8, _mm256_subs_epu16, _mm256_mullo_epi16, _mm256_srli_epi16,
                           _mm256_add_epi16, _mm256_sub_epi16, _mm256_packus_epi16, _mm256_adds_epu8)
    for (int x = octets * 8; x < k.w; ++x, d += 4, s += 4) SourceAlphaCopyPixel(d, s, W);
  }
}
#endif
#endif

void BlitFast(const Block& k, BlitKind kind, int mode, int W) {
  switch (kind) {
    case BlitKind::kChannelCopy: {
      const int from = mode & 3, to = (mode >> 2) & 3;
      for (int y = 0; y < k.h; ++y) {
        uint8_t* d = k.DstRow(y);
        const uint8_t* s = k.SrcRow(y);
        for (int x = 0; x < k.w; ++x) d[4 * x + to] = s[4 * x + from];
      }
      return;
    }
    case BlitKind::kRowCopy:
      // memmove: the source may be the destination bitmap itself.
      for (int y = 0; y < k.h; ++y) std::memmove(k.DstRow(y), k.SrcRow(y), static_cast<size_t>(k.w) * 4);
      return;
    case BlitKind::kHalfCopy:
      // Four bytes at once: ((s >> 1) & 0x7F7F7F7F) + ((d >> 1) & 0x7F7F7F7F);
      // each byte sum is at most 254, so no carry crosses into the next byte.
      for (int y = 0; y < k.h; ++y) {
        BM_Color32* d = k.dst + y * k.dstStep;
        const BM_Color32* s = k.src + y * k.srcStep;
        int x = 0;
#if defined(__SSE2__)
        const __m128i m1 = _mm_set1_epi32(0x7F7F7F7F);
        for (; x + 4 <= k.w; x += 4) {
          const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
          const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                           _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(sv, 1), m1),
                                         _mm_and_si128(_mm_srli_epi32(dv, 1), m1)));
        }
#endif
        for (; x < k.w; ++x) d[x] = ((s[x] >> 1) & 0x7F7F7F7Fu) + ((d[x] >> 1) & 0x7F7F7F7Fu);
      }
      return;
    case BlitKind::kBlend: break;
  }
  switch (mode) {
    case BM_BLEND_COPY:
      if (W > 0) BlitRows<BM_BLEND_COPY>(k, W);
      return;
    case BM_BLEND_ADD: BlitRows<BM_BLEND_ADD>(k, W); return;
    case BM_BLEND_DODGE: BlitRows<BM_BLEND_DODGE>(k, W); return;
    case BM_BLEND_MULTIPLY: BlitRows<BM_BLEND_MULTIPLY>(k, W); return;
    case BM_BLEND_OVERLAY: BlitRows<BM_BLEND_OVERLAY>(k, W); return;
    case BM_BLEND_HSVADJUST: BlitRows<BM_BLEND_HSVADJUST>(k, W); return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY:
#if defined(__SSE2__)
      if (W > 0 && W <= 256) {
#if defined(BM_HAVE_AVX2_PATH)
        if (CpuHasAvx2()) {
          SourceAlphaCopyRowsAvx2(k, W);
          return;
        }
#endif
        SourceAlphaCopyRowsSse2(k, W);
        return;
      }
#endif
      BlitRows<BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY>(k, W);
      return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD: BlitRows<BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD>(k, W); return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_DODGE: BlitRows<BM_BLEND_SOURCE_ALPHA | BM_BLEND_DODGE>(k, W); return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_MULTIPLY:
      BlitRows<BM_BLEND_SOURCE_ALPHA | BM_BLEND_MULTIPLY>(k, W);
      return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_OVERLAY:
      BlitRows<BM_BLEND_SOURCE_ALPHA | BM_BLEND_OVERLAY>(k, W);
      return;
    case BM_BLEND_SOURCE_ALPHA | BM_BLEND_HSVADJUST:
      BlitRows<BM_BLEND_SOURCE_ALPHA | BM_BLEND_HSVADJUST>(k, W);
      return;
    default: return;
  }
}

// ---- Fill ----

enum class FillKind { kStore, kHalf, kQuarter, kThreeQuarter, kBlend };

// One fill pixel through the mode's operator: colour red, green and blue,
// with W as both the alpha value and the weight.
inline void FillPixel(int mode, int W, uint8_t* p, int r, int g, int b) { CombineByMode(mode, p, r, g, b, W, W); }

void FillReference(const Block& k, FillKind kind, int mode, int W, BM_Color32 colour) {
  const uint8_t c[4] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                        static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 24)};
  for (int y = 0; y < k.h; ++y) {
    uint8_t* p = k.DstRow(y);
    for (int x = 0; x < k.w; ++x, p += 4) {
      if (kind == FillKind::kBlend) {
        FillPixel(mode, W, p, c[2], c[1], c[0]);
        continue;
      }
      for (int i = 0; i < 4; ++i) {
        switch (kind) {
          case FillKind::kStore: p[i] = c[i]; break;
          case FillKind::kHalf: p[i] = static_cast<uint8_t>((c[i] >> 1) + (p[i] >> 1)); break;
          case FillKind::kQuarter: p[i] = static_cast<uint8_t>((p[i] >> 1) + (p[i] >> 2) + (c[i] >> 2)); break;
          case FillKind::kThreeQuarter: p[i] = static_cast<uint8_t>((c[i] >> 2) + (p[i] >> 2) + (c[i] >> 1)); break;
          case FillKind::kBlend: break;
        }
      }
    }
  }
}

template <int kMode>
void FillRows(const Block& k, int W, int r, int g, int b) {
  for (int y = 0; y < k.h; ++y) {
    uint8_t* p = k.DstRow(y);
    for (int x = 0; x < k.w; ++x) FillPixel(kMode, W, p + 4 * x, r, g, b);
  }
}

// The word-wide fills of one row: p = colour, c1 + p/2, p/2 + p/4 + c2 or
// c2 + p/4 + c1 (c1 = colour/2, c2 = colour/4 per byte). Each byte sum stays
// at most 253 or 254, so no carry crosses into the next byte. Returns the
// first pixel not yet done.
int FillRowVector(BM_Color32* p, int w, FillKind kind, BM_Color32 colour, BM_Color32 c1, BM_Color32 c2) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i cv = _mm_set1_epi32(static_cast<int>(colour)), c1v = _mm_set1_epi32(static_cast<int>(c1)),
                c2v = _mm_set1_epi32(static_cast<int>(c2));
  const __m128i m1 = _mm_set1_epi32(0x7F7F7F7F), m2 = _mm_set1_epi32(0x3F3F3F3F);
  for (; x + 4 <= w; x += 4) {
    __m128i* at = reinterpret_cast<__m128i*>(p + x);
    const __m128i pv = _mm_loadu_si128(at);
    const __m128i p1 = _mm_and_si128(_mm_srli_epi32(pv, 1), m1), p2 = _mm_and_si128(_mm_srli_epi32(pv, 2), m2);
    __m128i out = cv;
    switch (kind) {
      case FillKind::kStore: break;
      case FillKind::kHalf: out = _mm_add_epi32(c1v, p1); break;
      case FillKind::kQuarter: out = _mm_add_epi32(_mm_add_epi32(p1, p2), c2v); break;
      case FillKind::kThreeQuarter: out = _mm_add_epi32(_mm_add_epi32(c2v, p2), c1v); break;
      case FillKind::kBlend: return x;
    }
    _mm_storeu_si128(at, out);
  }
#else
  (void)p, (void)w, (void)kind, (void)colour, (void)c1, (void)c2;
#endif
  return x;
}

void FillFast(const Block& k, FillKind kind, int mode, int W, BM_Color32 colour) {
  const BM_Color32 c1 = (colour >> 1) & 0x7F7F7F7Fu, c2 = (colour >> 2) & 0x3F3F3F3Fu;
  for (int y = 0; y < k.h && kind != FillKind::kBlend; ++y) {
    BM_Color32* p = k.dst + y * k.dstStep;
    const int done = FillRowVector(p, k.w, kind, colour, c1, c2);
    p += done;
    const int w = k.w - done;
    switch (kind) {
      case FillKind::kStore:
        for (int x = 0; x < w; ++x) p[x] = colour;
        break;
      case FillKind::kHalf:
        for (int x = 0; x < w; ++x) p[x] = c1 + ((p[x] >> 1) & 0x7F7F7F7Fu);
        break;
      case FillKind::kQuarter:
        for (int x = 0; x < w; ++x) p[x] = ((p[x] >> 1) & 0x7F7F7F7Fu) + ((p[x] >> 2) & 0x3F3F3F3Fu) + c2;
        break;
      case FillKind::kThreeQuarter:
        for (int x = 0; x < w; ++x) p[x] = c2 + ((p[x] >> 2) & 0x3F3F3F3Fu) + c1;
        break;
      case FillKind::kBlend: break;
    }
  }
  if (kind != FillKind::kBlend) return;
  const int r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
  switch (mode) {
    case BM_BLEND_COPY: FillRows<BM_BLEND_COPY>(k, W, r, g, b); return;
    case BM_BLEND_ADD: FillRows<BM_BLEND_ADD>(k, W, r, g, b); return;
    case BM_BLEND_DODGE: FillRows<BM_BLEND_DODGE>(k, W, r, g, b); return;
    case BM_BLEND_MULTIPLY: FillRows<BM_BLEND_MULTIPLY>(k, W, r, g, b); return;
    case BM_BLEND_OVERLAY: FillRows<BM_BLEND_OVERLAY>(k, W, r, g, b); return;
    case BM_BLEND_HSVADJUST: FillRows<BM_BLEND_HSVADJUST>(k, W, r, g, b); return;
    default: return;
  }
}

}  // namespace

void BM_SetPixelPath(BM_PixelPath path) { gPath = path; }
BM_PixelPath BM_GetPixelPath() { return gPath; }

void BM_BlitRect(BM_IBitmap* dest, BM_IBitmap* src, int32_t destX, int32_t destY, const int32_t* srcRect,
                 float weight, int32_t mode) {
  if (!dest || !src || weight == 0.0f) return;
  // Clipping runs in 64 bits: no combination of positions can wrap.
  const int64_t srcW = src->GetWidth(), srcH = src->GetHeight();
  const int64_t dstW = dest->GetWidth(), dstH = dest->GetHeight();
  int64_t left = 0, top = 0, right = srcW, bottom = srcH;
  int64_t dx = destX, dy = destY;
  if (srcRect) {
    left = srcRect[0];
    top = srcRect[1];
    right = srcRect[2];
    bottom = srcRect[3];
    // Source area before the source's top-left corner shifts the destination.
    if (left < 0) {
      dx -= left;
      left = 0;
    }
    if (top < 0) {
      dy -= top;
      top = 0;
    }
    if (right > srcW) right = srcW;
    if (bottom > srcH) bottom = srcH;
  }
  if (dx < 0) {
    left -= dx;
    dx = 0;
  }
  if (dy < 0) {
    top -= dy;
    dy = 0;
  }
  if (right <= left || bottom <= top || dx >= dstW || dy >= dstH) return;
  if (right > left + (dstW - dx)) right = left + (dstW - dx);
  if (bottom > top + (dstH - dy)) bottom = top + (dstH - dy);
  if (right <= left || bottom <= top) return;

  BM_Color32* dstBits = dest->GetBits();
  const BM_Color32* srcBits = src->GetBits();
  const int64_t dstSpan = dest->GetRowSpan(), srcSpan = src->GetRowSpan();
  // A bitmap whose rows would overlap cannot be addressed safely.
  if (!dstBits || !srcBits || dstSpan < dstW || srcSpan < srcW) return;

  Block k;
  const int64_t srcFirst = src->IsFlipped() ? srcH - top - 1 : top;
  const int64_t dstFirst = dest->IsFlipped() ? dstH - dy - 1 : dy;
  k.srcStep = static_cast<ptrdiff_t>(src->IsFlipped() ? -srcSpan : srcSpan);
  k.dstStep = static_cast<ptrdiff_t>(dest->IsFlipped() ? -dstSpan : dstSpan);
  k.src = srcBits + static_cast<ptrdiff_t>(srcFirst * srcSpan + left);
  k.dst = dstBits + static_cast<ptrdiff_t>(dstFirst * dstSpan + dx);
  k.w = static_cast<int>(right - left);
  k.h = static_cast<int>(bottom - top);

  BlitKind kind = BlitKind::kBlend;
  int W = 0;
  if ((mode & 0xFF) >= BM_BLEND_CHANNEL_COPY) {
    kind = BlitKind::kChannelCopy;
  } else {
    mode &= BM_BLEND_SOURCE_ALPHA | 0xFF;
    if (mode == BM_BLEND_COPY && weight == 1.0f) {
      kind = BlitKind::kRowCopy;
    } else if (mode == BM_BLEND_COPY && weight == 0.5f) {
      kind = BlitKind::kHalfCopy;
    } else {
      W = bm::IntegerWeight(weight);
      if (W == 0) return;
    }
  }
  // A blit within one bitmap takes the reference loops: they read and write
  // strictly pixel by pixel, which the vector paths do not.
  if (gPath == BM_PixelPath::kReference || dstBits == srcBits)
    BlitReference(k, kind, mode, W);
  else
    BlitFast(k, kind, mode, W);
}

void BM_FillArea(BM_IBitmap* dest, int32_t x, int32_t y, int32_t width, int32_t height, BM_Color32 colour,
                 float weight, int32_t mode) {
  if (!dest) return;
  if (mode & BM_BLEND_SOURCE_ALPHA) weight *= static_cast<float>(colour >> 24) / 255.0f;
  int64_t fx = x, fy = y, fw = width, fh = height;
  if (fx < 0) {
    fw += fx;
    fx = 0;
  }
  if (fy < 0) {
    fh += fy;
    fy = 0;
  }
  BM_Color32* bits = dest->GetBits();
  const int64_t bw = dest->GetWidth(), bh = dest->GetHeight(), span = dest->GetRowSpan();
  if (weight == 0.0f || !bits || span == 0 || span < bw || fw < 1 || fh < 1 || fx >= bw || fy >= bh) return;
  if (fw > bw - fx) fw = bw - fx;
  if (fh > bh - fy) fh = bh - fy;

  Block k;
  const int64_t first = dest->IsFlipped() ? bh - fy - fh : fy;
  k.dst = bits + static_cast<ptrdiff_t>(first * span + fx);
  k.dstStep = static_cast<ptrdiff_t>(span);
  k.src = nullptr;
  k.srcStep = 0;
  k.w = static_cast<int>(fw);
  k.h = static_cast<int>(fh);

  const int W = bm::IntegerWeight(weight);
  const int op = mode & 0xFF;
  FillKind kind = FillKind::kBlend;
  if (op == BM_BLEND_COPY && W == 256)
    kind = FillKind::kStore;
  else if (op == BM_BLEND_COPY && W == 128)
    kind = FillKind::kHalf;
  else if (op == BM_BLEND_COPY && W == 64)
    kind = FillKind::kQuarter;
  else if (op == BM_BLEND_COPY && W == 192)
    kind = FillKind::kThreeQuarter;
  else if (W == 0 || op > BM_BLEND_HSVADJUST || (op == BM_BLEND_COPY && W < 0))
    return;

  if (gPath == BM_PixelPath::kReference)
    FillReference(k, kind, op, W, colour);
  else
    FillFast(k, kind, op, W, colour);
}
