#include "bitmap/SysSurface.h"

BM_SysBitmap::BM_SysBitmap(int32_t width, int32_t height) : mSurface(bm::CreateSurface()) {
  Resize(width, height);
}

BM_SysBitmap::~BM_SysBitmap() {
  if (mSurface) bm::DestroySurface(mSurface);
}

BM_DeviceContext BM_SysBitmap::GetDeviceContext() {
  return mSurface ? bm::SurfaceDeviceContext(mSurface) : nullptr;
}

bool BM_SysBitmap::Resize(int32_t width, int32_t height) {
  if (!mSurface) {
    mWidth = 0;
    mHeight = 0;
    mBits = nullptr;
    return false;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight) return false;
  mWidth = width;
  mHeight = height;

  // A smaller non-empty size is served from the current pixels: only the
  // reported size changes and the row span stays the allocated width.
  if (width != 0 && height != 0 && width <= mAllocWidth && height <= mAllocHeight && mBits) return true;

  int64_t allocWidth = (static_cast<int64_t>(width) + 3) & ~static_cast<int64_t>(3);
  bm::ReleaseSurfacePixels(mSurface);
  mBits = nullptr;
  if (allocWidth > INT32_MAX) {
    // Not representable as a row span: treated like a failed allocation.
    mAllocWidth = 0;
    mAllocHeight = 0;
    mWidth = 0;
    mHeight = 0;
    return true;
  }
  mAllocWidth = static_cast<int32_t>(allocWidth);
  mAllocHeight = height;
  if (mAllocWidth < 1 || mAllocHeight < 1) return false;

  mBits = bm::AllocateSurfacePixels(mSurface, mAllocWidth, mAllocHeight, IsFlipped());
  if (!mBits) {
    mWidth = 0;
    mHeight = 0;
  }
  return true;
}
