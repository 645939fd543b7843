#pragma once
// Synthetic editor images and an off-screen editor that serves them, so that
// what the editor draws can be read back pixel by pixel: frame f (1-based) of
// a synthetic strip is opaque, with red = f and green = the strip's tag.
#include <map>

#include "bitmap/Bitmap.h"
#include "bitmap/Png.h"
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "tests/bitmap/TestBitmaps.h"

namespace editor_test {

struct StripSpec {
  int width;
  int height;
  int frames;
  int tag;                        // the green channel of every frame
  bool firstTransparent = false;  // frame 1 fully transparent
};

inline BM_MemBitmap* MakeStrip(const StripSpec& s) {
  BM_MemBitmap* b = new BM_MemBitmap(s.width, s.height);
  const int frameHeight = s.height / s.frames;
  for (int y = 0; y < s.height; ++y) {
    const int frame = y / frameHeight + 1;
    const BM_Color32 c = (s.firstTransparent && frame == 1) ? 0u : BM_PackColor32(255, frame, s.tag, 0);
    for (int x = 0; x < s.width; ++x) bmtest::At(*b, x, y) = c;
  }
  return b;
}

// A bitmap font of cells side by side: the cell of character c has red = c.
inline BM_MemBitmap* MakeFontStrip(int cellWidth, int height, int chars, int tag) {
  BM_MemBitmap* b = new BM_MemBitmap(cellWidth * chars, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < cellWidth * chars; ++x) bmtest::At(*b, x, y) = BM_PackColor32(255, 32 + x / cellWidth, tag, 0);
  return b;
}

// An off-screen editor whose images are made from specs by resource id and
// counts every image it is asked to load.
class SyntheticGraphics : public IGraphicsOffscreen {
public:
  using IGraphicsOffscreen::IGraphicsOffscreen;

  static std::map<int, StripSpec>& Strips() {
    static std::map<int, StripSpec> strips;
    return strips;
  }
  static int& FontId() {
    static int id = -1;
    return id;
  }
  static int& Loads() {
    static int loads = 0;
    return loads;
  }

  BM_IBitmap* LoadPlatformBitmap(int resourceId, const char* /*name*/) override {
    ++Loads();
    if (resourceId == FontId()) return MakeFontStrip(6, 11, 95, 108);
    auto it = Strips().find(resourceId);
    return it == Strips().end() ? nullptr : MakeStrip(it->second);
  }
  // Only the synthetic images, never the plug-in library's own.
  BM_ProgressiveImage* OpenPlatformImage(int resourceId, const char* name) override {
    BM_IBitmap* whole = LoadPlatformBitmap(resourceId, name);
    return whole ? new BM_ProgressiveImage(whole) : nullptr;
  }
  bool PlatformImageSize(int resourceId, const char*, int32_t* width, int32_t* height) override {
    if (resourceId == FontId()) {
      *width = 6 * 95;
      *height = 11;
      return true;
    }
    auto it = Strips().find(resourceId);
    if (it == Strips().end()) return false;
    *width = it->second.width;
    *height = it->second.height;
    return true;
  }

  static IGraphics* Make(IEffectBase* plugin, int width, int height, int frameRate) {
    return new SyntheticGraphics(plugin, width, height, frameRate);
  }
};

inline BM_Color32 Pixel(IGraphicsOffscreen& g, int x, int y) { return bmtest::At(g.Screen(), x, y); }
inline int Red(BM_Color32 c) { return (c >> 16) & 0xFF; }
inline int Green(BM_Color32 c) { return (c >> 8) & 0xFF; }

}  // namespace editor_test
