#include "framework/GrowBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kPage = 4096;
constexpr int64_t kPageAllowance = 96;  // room a heap block header may take out of a page
constexpr int64_t kMaxExtra = 4194304;

// New capacity for newSize bytes, or -1 when it would not fit an int32. Page-sized
// buffers grow by at least half their size in whole pages, leaving 96 bytes of each
// last page to the allocator; small-granularity buffers grow by half or the granularity.
int64_t CapacityFor(int64_t newSize, int64_t granularity) {
  if (newSize < 1) return 0;
  int64_t cap;
  if (granularity < kPage) {
    const int64_t extra = newSize / 2 > granularity ? newSize / 2 : granularity;
    cap = newSize + extra;
  } else {
    int64_t e = newSize / 2 > granularity ? newSize / 2 : granularity;
    e = e / kPage * kPage;
    if (e < kPage) e = kPage;
    if (e > kMaxExtra) e = kMaxExtra;
    cap = (newSize + kPageAllowance + e) / kPage * kPage - kPageAllowance;
  }
  if (cap < newSize || cap > INT32_MAX) return -1;
  return cap;
}

}  // namespace

GrowBuffer::GrowBuffer(int granularity) : mGranularity(granularity > 0 ? granularity : 1) {}

GrowBuffer::~GrowBuffer() { std::free(mData); }

void* GrowBuffer::Resize(int newSize, bool allowShrink) {
  if (newSize < 0) newSize = 0;
  if (newSize == mSize) return newSize ? mData : nullptr;

  int64_t threshold = 0;
  if (allowShrink && newSize < mSize) {
    const int64_t half = mCapacity / 2;
    const int64_t keep = static_cast<int64_t>(mCapacity) - 4 * static_cast<int64_t>(mGranularity);
    threshold = half < keep ? half : keep;
    if (threshold < 1) threshold = 1;
  }
  if (newSize <= mCapacity && newSize >= threshold) {
    mSize = newSize;
    return newSize ? mData : nullptr;
  }

  const int64_t cap = CapacityFor(newSize, mGranularity);
  if (cap < 0) return nullptr;  // not representable: fails like an allocation
  if (cap == 0) {
    std::free(mData);
    mData = nullptr;
    mCapacity = 0;
    mSize = 0;
    return nullptr;
  }
  const size_t keep = static_cast<size_t>(mSize < newSize ? mSize : newSize);
  void* p = std::realloc(mData, static_cast<size_t>(cap));
  if (!p) {
    p = std::malloc(static_cast<size_t>(cap));
    if (!p) return nullptr;
    if (keep) std::memcpy(p, mData, keep);
    std::free(mData);
  }
  mData = p;
  mCapacity = static_cast<int32_t>(cap);
  mSize = newSize;
  return mData;
}
