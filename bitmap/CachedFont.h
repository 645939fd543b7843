#pragma once
#include <cstdint>
#include <vector>

#include "bitmap/Font.h"
#include "bitmap/GlyphSource.h"

// A font that draws UTF-8 text either with the platform's own string drawing
// (the native path, where the platform has one and renders reliably) or by
// composing cached coverage masks with the blend operators of BM_BlitRect
// (the cached path: weights, blend modes, vertical text and glyph effects).
// Each character is rendered once through the glyph source; later drawing
// only blends bytes from the cache.
//
// All fonts share two scratch bitmaps that live from the first need until the
// last font is destroyed. Fonts, their caches and the scratch bitmaps have no
// locks: [ui] thread only.
class BM_CachedFont : public BM_IFont {
public:
  // One cached character. The mask is mWidth x mHeight bytes, row after row,
  // coverage 0 (background) to 255 (ink); with FONT_MONO, FONT_SHADOW or
  // FONT_OUTLINE only 0, 128 (effect) and 255.
  struct GlyphEntry {
    int32_t mDataOffset = 0;  // 0 not rendered yet, -1 rendered but empty, else 1 + mask offset in mGlyphData
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mAdvance = 0;     // pen advance in pixels
    uint16_t mChar = 0;
  };

  BM_CachedFont();
  ~BM_CachedFont() override;
  BM_CachedFont(const BM_CachedFont&) = delete;
  BM_CachedFont& operator=(const BM_CachedFont&) = delete;

  // Takes the handle (deleting the previous one when the old flags say the
  // font owns it and the handle changes), reads the line height and empties
  // the glyph cache; with FONT_ASCII_ONLY renders codes 0 to 127 at once.
  void SetSystemFont(BM_FontHandle font, uint32_t flags) override;
  // The same with a glyph source of the caller's instead of a platform handle
  // (the font then has no handle and no native path). Takes ownership.
  void SetGlyphSource(BM_GlyphSource* source, uint32_t flags);

  BM_Color32 SetForeColor(BM_Color32 colour) override;
  BM_Color32 SetBackColor(BM_Color32 colour) override;
  BM_Color32 SetEffectColor(BM_Color32 colour) override;
  int32_t SetBackMode(int32_t mode) override;
  void SetCombineMode(int32_t mode, float weight) override;

  // Text flags: BM_DT_* plus TEXT_USE_FORE_ALPHA and TEXT_NO_NATIVE.
  // Drawing returns the height covered by drawn glyphs from the first line's
  // top (the width for vertical fonts); measuring (BM_DT_CALCRECT, bitmap may
  // be null) sets rect's right and bottom and returns the measured height (the
  // width for vertical fonts). The native path returns the platform's result.
  int32_t DrawString(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect,
                     uint32_t textFlags) override;

  BM_Color32 GetForeColor() const override { return mForeColor; }
  BM_FontHandle GetSystemFont() const override { return mFont; }
  int32_t GetLineHeight() const override { return mLineHeight; }

  // Draws the cached glyph of one character (rendering nothing new) with its
  // top-left at (x, y), clipped to clipRect (left, top, right, bottom) and to
  // the bitmap. True if any part of it lay inside the clip.
  virtual bool DrawGlyph(BM_IBitmap* bitmap, uint16_t character, int32_t x, int32_t y, const int32_t* clipRect);

private:
  void Attach(BM_FontHandle font, BM_GlyphSource* source, uint32_t flags);
  int32_t DrawCached(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect, uint32_t textFlags,
                     bool noNative);
  int32_t MeasureCached(const char* text, int32_t byteCount, int32_t* rect, uint32_t textFlags);
  GlyphEntry* FindGlyph(uint16_t character, bool render);
  GlyphEntry* FindHighGlyph(uint16_t character);
  void RenderGlyph(uint16_t character);
  const uint8_t* MaskOf(const GlyphEntry& glyph) const;
  struct Target;
  bool PrepareTarget(BM_IBitmap* bitmap, const int32_t* clipRect, Target* target) const;
  bool DrawMask(const Target& target, const GlyphEntry& glyph, int64_t x, int64_t y);

  BM_Color32 mForeColor = 0;
  BM_Color32 mBackColor = 0xFFFFFFFF;
  BM_Color32 mEffectColor = 0xFFFFFFFF;
  int32_t mBackMode = 1;
  int32_t mCombineMode = 0;
  float mAlpha = 1.0f;
  uint32_t mFlags = 0;
  int32_t mLineHeight = 0;
  int32_t mLineSpacing = 0;  // extra pixels between lines
  GlyphEntry mLowGlyphs[128];
  std::vector<GlyphEntry> mGlyphIndex;  // codes 128 and above, sorted by mChar
  std::vector<uint8_t> mGlyphData;      // all masks, one after another
  BM_FontHandle mFont = nullptr;
  BM_GlyphSource* mSource = nullptr;    // owned; draws with mFont
};
