#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <memory>
#include <vector>

#include "bitmap/CachedFont.h"
#include "tests/bitmap/TestBitmaps.h"

namespace bmtest {

// A glyph source with hand-made glyphs: each character draws known coverage
// bytes at the cell's top-left. Characters without a glyph have advance 0
// (empty). Counts how often each character was drawn.
class FakeGlyphSource : public BM_GlyphSource {
public:
  struct Glyph {
    int advance = 0;
    int width = 0;               // columns of bytes (may exceed the advance)
    std::vector<uint8_t> bytes;  // row after row
  };

  explicit FakeGlyphSource(int lineHeight) : mLineHeight(lineHeight) {}

  // Rows of text: '.' 0, '#' 255, '+' 131 (just ink), '-' 130 (just not).
  void Art(uint16_t c, int advance, std::vector<const char*> rows) {
    Glyph g;
    g.advance = advance;
    g.width = rows.empty() ? 0 : static_cast<int>(std::char_traits<char>::length(rows[0]));
    for (const char* r : rows)
      for (int x = 0; x < g.width; ++x)
        g.bytes.push_back(r[x] == '#' ? 255 : r[x] == '+' ? 131 : r[x] == '-' ? 130 : 0);
    mGlyphs[c] = g;
  }
  void Bytes(uint16_t c, int advance, int width, std::vector<uint8_t> bytes) {
    mGlyphs[c] = Glyph{advance, width, std::move(bytes)};
  }
  // The metrics the source reports, whatever they are.
  void Metrics(uint16_t c, int advance, int height) { mOdd[c] = {advance, height}; }

  // The characters measured for rendering, in order.
  const std::vector<uint16_t>& Measured() const { return mMeasured; }
  int Draws(uint16_t c) const {
    auto it = mDraws.find(c);
    return it == mDraws.end() ? 0 : it->second;
  }

  int32_t LineHeight(BM_IBitmap&) override { return mLineHeight; }
  void MeasureChar(BM_IBitmap&, uint16_t c, int32_t* advance, int32_t* height) override {
    mMeasured.push_back(c);
    auto odd = mOdd.find(c);
    if (odd != mOdd.end()) {
      *advance = odd->second.first;
      *height = odd->second.second;
      return;
    }
    auto it = mGlyphs.find(c);
    *advance = it == mGlyphs.end() ? 0 : it->second.advance;
    *height = mLineHeight;
  }
  void DrawChar(BM_IBitmap& scratch, uint16_t c, int32_t, int32_t height) override {
    ++mDraws[c];
    auto it = mGlyphs.find(c);
    if (it == mGlyphs.end() || it->second.width == 0) return;
    const Glyph& g = it->second;
    const int rows = static_cast<int>(g.bytes.size()) / g.width;
    for (int y = 0; y < rows && y < height && y < scratch.GetHeight(); ++y)
      for (int x = 0; x < g.width && x < scratch.GetWidth(); ++x) {
        const BM_Color32 v = g.bytes[static_cast<size_t>(y) * g.width + x];
        At(scratch, x, y) = v | v << 8 | v << 16;
      }
  }

private:
  int mLineHeight;
  std::map<uint16_t, Glyph> mGlyphs;
  std::map<uint16_t, std::pair<int, int>> mOdd;
  std::map<uint16_t, int> mDraws;
  std::vector<uint16_t> mMeasured;
};

// Forwards to another source and counts the characters drawn.
class CountingGlyphSource : public BM_GlyphSource {
public:
  explicit CountingGlyphSource(BM_GlyphSource* inner) : mInner(inner) {}
  int Draws(uint16_t c) const {
    auto it = mDraws.find(c);
    return it == mDraws.end() ? 0 : it->second;
  }
  void PrepareScratch(BM_IBitmap& s) override { mInner->PrepareScratch(s); }
  int32_t LineHeight(BM_IBitmap& s) override { return mInner->LineHeight(s); }
  void MeasureChar(BM_IBitmap& s, uint16_t c, int32_t* a, int32_t* h) override { mInner->MeasureChar(s, c, a, h); }
  void DrawChar(BM_IBitmap& s, uint16_t c, int32_t a, int32_t h) override {
    ++mDraws[c];
    mInner->DrawChar(s, c, a, h);
  }

private:
  std::unique_ptr<BM_GlyphSource> mInner;
  std::map<uint16_t, int> mDraws;
};

// The bounding box (left, top, right, bottom) of the pixels that differ from
// background; all 0 when there are none.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left; }
};
inline Box InkBox(BM_IBitmap& b, BM_Color32 background) {
  Box box;
  bool any = false;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x)
      if (At(b, x, y) != background) {
        if (!any) box = {x, y, x + 1, y + 1};
        any = true;
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

inline bool SamePixels(BM_IBitmap& a, BM_IBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (At(a, x, y) != At(b, x, y)) return false;
  return true;
}

}  // namespace bmtest
