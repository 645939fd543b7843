#pragma once
#include <cstdint>
#include "bitmap/Bitmap.h"
#include "bitmap/Font.h"

// The colours and weight the platform's own string drawing uses.
struct BM_NativeTextStyle {
  BM_Color32 fore = 0;
  BM_Color32 back = 0xFFFFFFFF;
  int32_t backMode = 1;  // 1 transparent, 2 opaque
  float weight = 1.0f;   // used only where the text is composed through a scratch bitmap
};

// Where a cached font's glyphs come from: the platform's font engine, one
// character at a time, drawn white on black into the process-wide glyph
// scratch bitmap, from which the font takes its coverage masks. One
// implementation per platform folder (GDI on Windows, FreeType elsewhere).
//
// The scratch is at least 2 x line height + 8 pixels square when a character
// is measured or drawn. Glyph sources have no locks: [ui] thread only.
class BM_GlyphSource {
public:
  virtual ~BM_GlyphSource() {}

  // The scratch was just created or resized; sets up what drawing into it needs.
  virtual void PrepareScratch(BM_IBitmap& scratch) { (void)scratch; }

  // The font's line height in pixels: its cell height, internal leading
  // included (the height of one line of text drawn with the platform).
  virtual int32_t LineHeight(BM_IBitmap& scratch) = 0;

  // Measures the character drawn alone on one line: its pen advance and its
  // line's height, in pixels.
  virtual void MeasureChar(BM_IBitmap& scratch, uint16_t character, int32_t* advance, int32_t* height) = 0;

  // Draws the character with the top-left of its line cell at (0, 0) of the
  // scratch, whose area of advance x height the caller has cleared to black.
  // Coverage goes into the red byte, 255 for full ink; ink may spill right of
  // the advance.
  virtual void DrawChar(BM_IBitmap& scratch, uint16_t character, int32_t advance, int32_t height) = 0;

  // The native path: whether the platform can draw whole strings itself, and
  // whether it draws them reliably enough to be preferred to the glyph cache.
  virtual bool HasNativeText() { return false; }
  virtual bool PrefersNativeText() { return false; }

  // Draws (or with BM_DT_CALCRECT measures into rect) UTF-8 text with the
  // platform; textScratch is the process-wide scratch for bitmaps without a
  // device context, created on demand and deleted by the font code. Returns
  // the platform's result (the text height).
  virtual int32_t DrawNativeText(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect,
                                 uint32_t textFlags, const BM_NativeTextStyle& style, BM_SysBitmap*& textScratch) {
    (void)bitmap, (void)text, (void)byteCount, (void)rect, (void)textFlags, (void)style, (void)textScratch;
    return 0;
  }
};

// The platform's font handles, implemented per platform folder.
namespace bm {

// A font handle for the request (CreateFontA on Windows; a fontconfig match
// opened with FreeType elsewhere); null when none can be made.
BM_FontHandle CreateFontHandle(const BM_FontSpec& request);
void DeleteFontHandle(BM_FontHandle font);

// The glyph source drawing with a handle, which must outlive it; null for a
// null handle. The caller owns the result.
BM_GlyphSource* MakeGlyphSource(BM_FontHandle font);

}  // namespace bm
