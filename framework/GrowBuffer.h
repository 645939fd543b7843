#pragma once
#include <cstdint>

// A growable byte buffer with a growth granularity: 4096 bytes for chunks,
// lists and sample buffers, 128 for texts. Sizes are signed 32-bit counts;
// no size or capacity arithmetic overflows (a request that cannot be
// represented fails like an allocation failure).
class GrowBuffer {
public:
  static constexpr int kDefaultGranularity = 4096;
  static constexpr int kTextGranularity = 128;

  explicit GrowBuffer(int granularity = kDefaultGranularity);
  ~GrowBuffer();
  GrowBuffer(const GrowBuffer&) = delete;
  GrowBuffer& operator=(const GrowBuffer&) = delete;

  // Makes the buffer newSize bytes long (a negative size counts as 0), keeping
  // the first min(old size, newSize) bytes. Capacity grows by the buffer's
  // rules; it shrinks only when allowShrink is set and the new size is well
  // below the capacity. Returns the data, or null when the new size is 0 or the
  // buffer could not grow; in the latter case the size and contents are kept.
  void* Resize(int newSize, bool allowShrink = false);

  void* Data() const { return mData; }
  int Size() const { return mSize; }
  int Capacity() const { return mCapacity; }
  int Granularity() const { return mGranularity; }

private:
  void* mData = nullptr;
  int32_t mCapacity = 0;
  int32_t mSize = 0;
  int32_t mGranularity;
};
