#pragma once
#include <cstdint>
#include "bitmap/BlendOps.h"
#include "bitmap/Bitmap.h"

// Drawing into bitmaps. Both operations clip to the bitmaps, honour flipped
// bitmaps, and draw nothing for null bitmaps or pixels, empty or fully clipped
// rectangles, a zero weight or an unknown mode. They are reentrant and touch
// only the destination's pixels. [ui]
//
// Weight: 1.0 is full strength; the operators use W = trunc(weight x 256)
// (1.0 gives 256, 0.5 gives 128, anything below 1/256 gives 0). |W| is limited
// to 2048 (weight 8) and a NaN weight draws nothing.

// Copies srcRect (left, top, right, bottom of the source, right and bottom
// exclusive; null for the whole source) to (destX, destY) of dest through
// mode. Only the mode bits 0x100FF count:
// - low byte 0xF0 to 0xFF: channel copy (BM_BLEND_CHANNEL_COPY), weight unused;
// - BM_BLEND_COPY at weight exactly 1.0 copies rows as blocks, at exactly 0.5
//   averages source and destination bytewise ((s >> 1) + (d >> 1));
// - low byte 0 to 5: that mode's operator with the source pixel's channels;
// - with BM_BLEND_SOURCE_ALPHA each source pixel is further weighted by its
//   own alpha (w = ((A + 1) x W) / 256; see the copy rules in Blit.cpp).
// Overlapping source and destination (the same bitmap) are processed row by
// row in the order given by the flip flags, pixels left to right.
void BM_BlitRect(BM_IBitmap* dest, BM_IBitmap* src, int32_t destX, int32_t destY, const int32_t* srcRect,
                 float weight, int32_t mode);

// Covers the rectangle (x, y, width, height) of dest with colour through mode
// (low byte 0 to 5). With BM_BLEND_SOURCE_ALPHA the weight is multiplied by
// the colour's alpha / 255. Copy at W = 256, 128, 64 and 192 stores the colour,
// or the bytewise averages (c>>1)+(p>>1), (p>>1)+(p>>2)+(c>>2) and
// (c>>2)+(p>>2)+(c>>1); otherwise the operator gets the colour's red, green and
// blue, and W as both its alpha value and its weight.
void BM_FillArea(BM_IBitmap* dest, int32_t x, int32_t y, int32_t width, int32_t height, BM_Color32 colour,
                 float weight, int32_t mode);

// For tests and benchmarks: the loops both operations and the glyph
// compositing of BM_CachedFont (GlyphBlit.h) take. Every choice gives the same
// bytes. Which vector width the fast loops use is limited with LimitCpuLevel
// (common/CpuFeatures.h).
enum class BM_PixelPath {
  kFastest,    // the fast loops: specialised per mode, vectors where the processor has them (the default)
  kReference,  // plain per-pixel, byte-by-byte loops
};
void BM_SetPixelPath(BM_PixelPath path);
BM_PixelPath BM_GetPixelPath();
