#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "bitmap/Bitmap.h"

namespace bmtest {

// A bitmap stored bottom-up (image row 0 is the last row in memory), with a
// row span wider than the width; At() addresses image coordinates.
class FlippedBitmap : public BM_IBitmap {
public:
  FlippedBitmap(int width, int height, int span) : mWidth(width), mHeight(height), mSpan(span) {
    mPixels.assign(static_cast<size_t>(span) * height, 0u);
  }
  BM_Color32* GetBits() override { return mPixels.empty() ? nullptr : mPixels.data(); }
  int32_t GetWidth() const override { return mWidth; }
  int32_t GetHeight() const override { return mHeight; }
  int32_t GetRowSpan() const override { return mSpan; }
  bool IsFlipped() const override { return true; }
  bool Resize(int32_t width, int32_t height) override {
    if (width == mWidth && height == mHeight) return false;
    mWidth = width;
    mHeight = height;
    mSpan = width;
    mPixels.assign(static_cast<size_t>(width) * height, 0u);
    return true;
  }
  BM_Color32& At(int x, int y) { return mPixels[static_cast<size_t>(mHeight - 1 - y) * mSpan + x]; }

private:
  int mWidth, mHeight, mSpan;
  std::vector<BM_Color32> mPixels;
};

inline BM_Color32& At(BM_IBitmap& b, int x, int y) {
  if (auto* f = dynamic_cast<FlippedBitmap*>(&b)) return f->At(x, y);
  return b.GetBits()[static_cast<size_t>(y) * b.GetRowSpan() + x];
}

inline void Fill(BM_IBitmap& b, BM_Color32 c) {
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) At(b, x, y) = c;
}

// Random pixels whose alpha is 0 or 255 a quarter of the time each, as in
// real artwork, and anything else otherwise.
inline void FillRandom(BM_IBitmap& b, std::mt19937& rng) {
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) {
      BM_Color32 c = rng();
      switch (rng() % 4) {
        case 0: c &= 0x00FFFFFFu; break;
        case 1: c |= 0xFF000000u; break;
        default: break;
      }
      At(b, x, y) = c;
    }
}

}  // namespace bmtest
