#include <cstdlib>
#include "bitmap/Bitmap.h"

namespace {
constexpr int64_t kMaxAllocBytes = INT32_MAX;
}

BM_MemBitmap::BM_MemBitmap(int32_t width, int32_t height) {
  if (width > 0 && height > 0) Resize(width, height);
}

BM_MemBitmap::~BM_MemBitmap() { std::free(mRawBuffer); }

BM_Color32* BM_MemBitmap::GetBits() {
  if (!mRawBuffer) return nullptr;
  uintptr_t p = (reinterpret_cast<uintptr_t>(mRawBuffer) + 63) & ~static_cast<uintptr_t>(63);
  return reinterpret_cast<BM_Color32*>(p);
}

int32_t BM_MemBitmap::GetRowSpan() const {
  int64_t span = (static_cast<int64_t>(mWidth) + mRowAlignMask) & ~static_cast<int64_t>(mRowAlignMask);
  return static_cast<int32_t>(span);
}

bool BM_MemBitmap::Resize(int32_t width, int32_t height) {
  if (width == mWidth && height == mHeight) return false;
  mWidth = width;
  mHeight = height;

  // needed = span x height x 4, where span = width rounded up to the row
  // alignment; computed wide so that an oversized request is refused rather
  // than wrapped.
  int64_t needed = 0;
  if (width >= 1 && height >= 1) {
    int64_t span = (static_cast<int64_t>(width) + mRowAlignMask) & ~static_cast<int64_t>(mRowAlignMask);
    needed = span * height * 4;
    if (needed > kMaxAllocBytes) needed = 0;
  }

  if (needed > 0) {
    if (!mRawBuffer) {
      mAllocBytes = static_cast<int32_t>(needed);
      mRawBuffer = std::malloc(static_cast<size_t>(needed) + 63);
    } else if (mAllocBytes < needed) {
      // Grow by a quarter more than needed so that a run of growing sizes
      // reallocates rarely.
      int64_t grown = needed + needed / 4;
      if (grown > kMaxAllocBytes) grown = kMaxAllocBytes;
      void* block = std::realloc(mRawBuffer, static_cast<size_t>(grown) + 63);
      if (block) {
        mRawBuffer = block;
        mAllocBytes = static_cast<int32_t>(grown);
      } else {
        std::free(mRawBuffer);
        mAllocBytes = static_cast<int32_t>(needed);
        mRawBuffer = std::malloc(static_cast<size_t>(needed) + 63);
      }
    }
  } else {
    std::free(mRawBuffer);
    mRawBuffer = nullptr;
    mAllocBytes = 0;
  }

  if (!mRawBuffer) {
    mAllocBytes = 0;
    mWidth = 0;
    mHeight = 0;
  }
  return true;
}
