#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "bitmap/Bitmap.h"

// The drawing surface of the image generator: floating-point, premultiplied
// RGBA in 0..1 (sRGB-encoded, blended as design tools do), so that gradients,
// soft shadows and many layered shapes lose nothing before the final 8 bits.
//
// Shapes are signed distance functions in pixels (negative inside); a pixel's
// coverage is the distance at its centre mapped through a one-pixel ramp,
// which anti-aliases every edge analytically. Coordinates are continuous:
// pixel (i, j) covers [i, i + 1) x [j, j + 1).
namespace imagegen {

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;  // straight (not premultiplied)
};

// 0xRRGGBB with an alpha of 0..1.
Colour Hex(uint32_t rgb, float alpha = 1.0f);
Colour Mix(const Colour& a, const Colour& b, float t);
Colour WithAlpha(Colour c, float alpha);

// Signed distance in pixels from (x, y); negative inside the shape.
using Shape = std::function<float(float x, float y)>;
// The colour of a paint at (x, y).
using Paint = std::function<Colour(float x, float y)>;

Shape Circle(float cx, float cy, float r);
Shape RoundRect(float left, float top, float right, float bottom, float radius);
// A regular hexagon standing on a corner, of the given inner radius (centre
// to the middle of a side), its corners rounded by roundness.
Shape Hexagon(float cx, float cy, float inner, float roundness);
// A line segment of the given width with round ends.
Shape Capsule(float x0, float y0, float x1, float y1, float width);
// A circular band of centre radius r and the given width between two angles
// (degrees clockwise from 12 o'clock, from <= to), with round or square ends.
Shape Arc(float cx, float cy, float r, float width, float from, float to, bool roundEnds);
// Ring between two radii.
Shape Ring(float cx, float cy, float inner, float outer);
Shape Subtract(Shape a, Shape b);
Shape Offset(Shape s, float dx, float dy);

Paint Solid(Colour c);
// Colour stops along the line from (x0, y0) to (x1, y1); t outside 0..1 holds the end colours.
Paint Linear(float x0, float y0, float x1, float y1, std::vector<std::pair<float, Colour>> stops);
Paint Radial(float cx, float cy, float r, std::vector<std::pair<float, Colour>> stops);

// A value in -1..1 that depends only on (x, y, seed): a deterministic noise.
float Noise(int x, int y, uint32_t seed);

// Coverage 0..1 of a pixel whose centre is at signed distance d.
inline float Coverage(float d) { return d <= -0.5f ? 1.0f : (d >= 0.5f ? 0.0f : 0.5f - d); }

class Canvas {
public:
  Canvas(int width, int height);
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

  // Paints over the canvas where the shape covers it (source over).
  void Fill(const Shape& shape, const Paint& paint, float opacity = 1.0f);
  void Fill(const Shape& shape, const Colour& colour, float opacity = 1.0f) { Fill(shape, Solid(colour), opacity); }
  // Paints everywhere.
  void Flood(const Paint& paint);
  // A blurred silhouette of the shape in the colour: a soft drop shadow or glow.
  void Shadow(const Shape& shape, const Colour& colour, float sigma);
  // Darkens the inside of the shape near its edges as if lit from above: a
  // blurred copy of everything outside the shape, moved by (dx, dy), clipped to the shape.
  void InnerShadow(const Shape& shape, const Colour& colour, float sigma, float dx, float dy);
  // Multiplies the alpha of every pixel by the coverage of the shape.
  void Clip(const Shape& shape);
  // Adds tiny deterministic variations to the colour: a matt, slightly grained finish.
  void Grain(float amount, uint32_t seed);

  // One pixel, premultiplied.
  const float* At(int x, int y) const { return &mPixels[(static_cast<size_t>(y) * mWidth + x) * 4]; }
  float* At(int x, int y) { return &mPixels[(static_cast<size_t>(y) * mWidth + x) * 4]; }

  // The canvas as 8-bit straight-alpha pixels into (x, y) of bitmap, which
  // must be large enough.
  void CopyTo(BM_IBitmap& bitmap, int x, int y) const;

private:
  // The coverage of a shape as a one-channel mask, blurred with a Gaussian of
  // the given sigma (0: unblurred).
  std::vector<float> Mask(const Shape& shape, float sigma) const;
  void BlurMask(std::vector<float>& mask, float sigma) const;

  int mWidth, mHeight;
  std::vector<float> mPixels;
};

}  // namespace imagegen
