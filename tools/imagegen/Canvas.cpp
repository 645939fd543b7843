#include "tools/imagegen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace imagegen {

namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// The angle of (dx, dy) in degrees clockwise from 12 o'clock, in -180..180.
float ClockAngle(float dx, float dy) { return std::atan2(dx, -dy) * (180.0f / kPi); }

float WrapDegrees(float a) {
  while (a > 180.0f) a -= 360.0f;
  while (a <= -180.0f) a += 360.0f;
  return a;
}

Colour Stops(const std::vector<std::pair<float, Colour>>& stops, float t) {
  if (t <= stops.front().first) return stops.front().second;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].first) {
      const float span = stops[i].first - stops[i - 1].first;
      const float u = span > 0 ? (t - stops[i - 1].first) / span : 1.0f;
      // Smoothstep between stops hides the kinks that read as bands on large gradients.
      return Mix(stops[i - 1].second, stops[i].second, u * u * (3 - 2 * u));
    }
  }
  return stops.back().second;
}

uint8_t To8(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

}  // namespace

Colour Hex(uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, alpha};
}

Colour Mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour WithAlpha(Colour c, float alpha) {
  c.a = alpha;
  return c;
}

Shape Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape Ring(float cx, float cy, float inner, float outer) {
  const float mid = (inner + outer) * 0.5f, half = (outer - inner) * 0.5f;
  return [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - mid) - half; };
}

Shape RoundRect(float left, float top, float right, float bottom, float radius) {
  const float cx = (left + right) * 0.5f, cy = (top + bottom) * 0.5f;
  const float hx = (right - left) * 0.5f - radius, hy = (bottom - top) * 0.5f - radius;
  return [=](float x, float y) {
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Shape Hexagon(float cx, float cy, float inner, float roundness) {
  const float r = inner - roundness;
  return [=](float x, float y) {
    // Folded into one sixth of the plane, the nearest side is the vertical one at x = r.
    float px = std::fabs(y - cy), py = std::fabs(x - cx);
    const float kx = -0.866025404f, ky = 0.5f, kz = 0.577350269f;
    const float d = 2 * std::min(kx * px + ky * py, 0.0f);
    px -= d * kx;
    py -= d * ky;
    px -= std::clamp(px, -kz * r, kz * r);
    py -= r;
    return std::hypot(px, py) * (py < 0 ? -1.0f : 1.0f) - roundness;
  };
}

Shape Capsule(float x0, float y0, float x1, float y1, float width) {
  return [=](float x, float y) {
    const float vx = x1 - x0, vy = y1 - y0, px = x - x0, py = y - y0;
    const float len2 = vx * vx + vy * vy;
    const float t = len2 > 0 ? Clamp01((px * vx + py * vy) / len2) : 0.0f;
    return std::hypot(px - vx * t, py - vy * t) - width * 0.5f;
  };
}

Shape Arc(float cx, float cy, float r, float width, float from, float to, bool roundEnds) {
  const float mid = (from + to) * 0.5f, half = (to - from) * 0.5f, w2 = width * 0.5f;
  return [=](float x, float y) {
    const float dx = x - cx, dy = y - cy;
    const float len = std::hypot(dx, dy);
    const float phi = WrapDegrees(ClockAngle(dx, dy) - mid);
    if (std::fabs(phi) <= half) return std::fabs(len - r) - w2;
    const float end = (phi > 0 ? mid + half : mid - half) * (kPi / 180.0f);
    const float ex = std::sin(end), ey = -std::cos(end);  // unit vector to the end
    if (roundEnds) return std::hypot(dx - ex * r, dy - ey * r) - w2;
    // Square end: distance past the radial line through the end, along the tangent.
    const float along = std::fabs(dx * ey - dy * ex);
    return std::max(std::fabs(len - r) - w2, along);
  };
}

Shape Subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Shape Offset(Shape s, float dx, float dy) {
  return [=](float x, float y) { return s(x - dx, y - dy); };
}

Paint Solid(Colour c) {
  return [=](float, float) { return c; };
}

Paint Linear(float x0, float y0, float x1, float y1, std::vector<std::pair<float, Colour>> stops) {
  const float vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
  return [=](float x, float y) { return Stops(stops, ((x - x0) * vx + (y - y0) * vy) / len2); };
}

Paint Radial(float cx, float cy, float r, std::vector<std::pair<float, Colour>> stops) {
  return [=](float x, float y) { return Stops(stops, std::hypot(x - cx, y - cy) / r); };
}

float Noise(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0x7FFFFF) - 1.0f;
}

Canvas::Canvas(int width, int height)
    : mWidth(width), mHeight(height), mPixels(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Canvas::Fill(const Shape& shape, const Paint& paint, float opacity) {
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      const float cx = x + 0.5f, cy = y + 0.5f;
      const float cover = Coverage(shape(cx, cy)) * opacity;
      if (cover <= 0) continue;
      const Colour c = paint(cx, cy);
      const float a = Clamp01(c.a) * cover;
      float* p = At(x, y);
      p[0] = c.r * a + p[0] * (1 - a);
      p[1] = c.g * a + p[1] * (1 - a);
      p[2] = c.b * a + p[2] * (1 - a);
      p[3] = a + p[3] * (1 - a);
    }
  }
}

void Canvas::Flood(const Paint& paint) {
  Fill([](float, float) { return -1.0f; }, paint);
}

std::vector<float> Canvas::Mask(const Shape& shape, float sigma) const {
  std::vector<float> mask(static_cast<size_t>(mWidth) * mHeight);
  for (int y = 0; y < mHeight; ++y)
    for (int x = 0; x < mWidth; ++x) mask[static_cast<size_t>(y) * mWidth + x] = Coverage(shape(x + 0.5f, y + 0.5f));
  if (sigma > 0) BlurMask(mask, sigma);
  return mask;
}

// A separable Gaussian; outside the canvas counts as 0.
void Canvas::BlurMask(std::vector<float>& mask, float sigma) const {
  const int radius = static_cast<int>(std::ceil(sigma * 3));
  std::vector<float> kernel(2 * radius + 1);
  float sum = 0;
  for (int i = -radius; i <= radius; ++i) sum += kernel[i + radius] = std::exp(-(i * i) / (2 * sigma * sigma));
  for (float& k : kernel) k /= sum;
  std::vector<float> tmp(mask.size());
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      float acc = 0;
      for (int i = -radius; i <= radius; ++i) {
        const int sx = x + i;
        if (sx >= 0 && sx < mWidth) acc += kernel[i + radius] * mask[static_cast<size_t>(y) * mWidth + sx];
      }
      tmp[static_cast<size_t>(y) * mWidth + x] = acc;
    }
  }
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      float acc = 0;
      for (int i = -radius; i <= radius; ++i) {
        const int sy = y + i;
        if (sy >= 0 && sy < mHeight) acc += kernel[i + radius] * tmp[static_cast<size_t>(sy) * mWidth + x];
      }
      mask[static_cast<size_t>(y) * mWidth + x] = acc;
    }
  }
}

void Canvas::Shadow(const Shape& shape, const Colour& colour, float sigma) {
  const std::vector<float> mask = Mask(shape, sigma);
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      const float a = Clamp01(mask[static_cast<size_t>(y) * mWidth + x]) * colour.a;
      float* p = At(x, y);
      p[0] = colour.r * a + p[0] * (1 - a);
      p[1] = colour.g * a + p[1] * (1 - a);
      p[2] = colour.b * a + p[2] * (1 - a);
      p[3] = a + p[3] * (1 - a);
    }
  }
}

void Canvas::InnerShadow(const Shape& shape, const Colour& colour, float sigma, float dx, float dy) {
  const Shape moved = Offset(shape, dx, dy);
  std::vector<float> outside = Mask([&](float x, float y) { return -moved(x, y); }, sigma);
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      const float inside = Coverage(shape(x + 0.5f, y + 0.5f));
      const float a = Clamp01(outside[static_cast<size_t>(y) * mWidth + x]) * inside * colour.a;
      if (a <= 0) continue;
      float* p = At(x, y);
      // Over what is already there, keeping its alpha.
      p[0] = colour.r * a * p[3] + p[0] * (1 - a);
      p[1] = colour.g * a * p[3] + p[1] * (1 - a);
      p[2] = colour.b * a * p[3] + p[2] * (1 - a);
    }
  }
}

void Canvas::Clip(const Shape& shape) {
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      const float cover = Coverage(shape(x + 0.5f, y + 0.5f));
      float* p = At(x, y);
      for (int c = 0; c < 4; ++c) p[c] *= cover;
    }
  }
}

void Canvas::Grain(float amount, uint32_t seed) {
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      float* p = At(x, y);
      const float n = Noise(x, y, seed) * amount * p[3];
      for (int c = 0; c < 3; ++c) p[c] = std::max(0.0f, p[c] + n);
    }
  }
}

void Canvas::CopyTo(BM_IBitmap& bitmap, int x0, int y0) const {
  BM_Color32* bits = bitmap.GetBits();
  const int span = bitmap.GetRowSpan();
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) {
      const float* p = At(x, y);
      const uint8_t a = To8(p[3]);
      BM_Color32 out = 0;
      if (a > 0) {
        const float inv = 1.0f / p[3];
        out = BM_PackColor32(a, To8(p[0] * inv), To8(p[1] * inv), To8(p[2] * inv));
      }
      bits[static_cast<size_t>(y + y0) * span + x + x0] = out;
    }
  }
}

}  // namespace imagegen
