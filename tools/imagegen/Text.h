#pragma once
#include <memory>
#include <string>

#include "tools/imagegen/Canvas.h"

// Label text for the images, rasterised with FreeType from an outline font
// file: light hinting (vertical only) and fractional horizontal positions, so
// that spacing stays true at small sizes.
namespace imagegen {

class Typeface {
public:
  // Null when FreeType cannot open the file; the reason is printed.
  static std::unique_ptr<Typeface> Open(const std::string& path);
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  // Advance width in pixels of text at size (pixels per em), with tracking
  // pixels added between letters.
  float Measure(const std::string& text, float size, float tracking = 0) const;
  // Draws text with its pen starting at x on the baseline y (rounded to a
  // whole pixel, which keeps stems and baselines crisp).
  void Draw(Canvas& canvas, const std::string& text, float size, float x, float baseline, const Colour& colour,
            float tracking = 0) const;
  // Draws text centred on x.
  void DrawCentred(Canvas& canvas, const std::string& text, float size, float x, float baseline,
                   const Colour& colour, float tracking = 0) const;

private:
  struct Impl;
  explicit Typeface(Impl* impl) : mImpl(impl) {}
  Impl* mImpl;
};

}  // namespace imagegen
