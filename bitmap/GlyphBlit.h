#pragma once
#include <cstddef>
#include <cstdint>

#include "bitmap/Bitmap.h"

// The loops that composite a cached glyph's coverage mask into 32-bit pixels,
// for BM_CachedFont. Like BM_BlitRect and BM_FillArea they take the reference
// or the fast loops as BM_SetPixelPath (Blit.h) says, and both give the same
// bytes. Internal to the bitmap library. [ui]
namespace bm {

// How the mask bytes are read.
enum class GlyphStyle {
  kAntialiased,  // coverage 0 to 255
  kMono,         // any non-zero byte is ink
  kEffect,       // 255 is ink, any other non-zero byte the effect
};

// A clipped glyph cell: the mask bytes and the pixels they land on.
struct GlyphBlock {
  uint8_t* dst;         // first pixel of the first row
  ptrdiff_t dstStep;    // bytes from one row to the next (negative for flipped bitmaps)
  const uint8_t* mask;  // first mask byte
  ptrdiff_t maskStep;
  int w, h;
};

// The channels a glyph is drawn with.
struct GlyphColours {
  int r, g, b;     // text colour
  int er, eg, eb;  // effect colour
};

// Blends the block's non-zero mask bytes through the operator of mode (low
// byte 0 to 5; any other draws nothing) at integer weight W, with an alpha
// source value of 255:
//   antialiased: byte c gets w = c + 1 at W = 256, else min((W x c) / 256, 256)
//   mono:        every non-zero byte gets the text colour at w = W
//   effect:      255 gets the text colour, other non-zero bytes the effect
//                colour, at w = W
void BlendGlyphRows(GlyphStyle style, int mode, const GlyphBlock& k, int W, const GlyphColours& c);

// Copy at full weight of a thresholded mask: 255 stores ink, any other
// non-zero byte stores effect, each as the whole 32-bit colour.
void StoreGlyphRows(const GlyphBlock& k, BM_Color32 ink, BM_Color32 effect);

}  // namespace bm
