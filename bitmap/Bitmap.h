#pragma once
#include <cstdint>

// One pixel: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7 (AARRGGBB).
// In memory a pixel's bytes are blue, green, red, alpha. Colour channels are
// straight, never premultiplied by alpha; 255 is opaque.
typedef uint32_t BM_Color32;

// Packs four channels, each taken as its low 8 bits.
inline BM_Color32 BM_PackColor32(int a, int r, int g, int b) {
  return (static_cast<BM_Color32>(a & 0xFF) << 24) | (static_cast<BM_Color32>(r & 0xFF) << 16) |
         (static_cast<BM_Color32>(g & 0xFF) << 8) | static_cast<BM_Color32>(b & 0xFF);
}

// A platform device-context handle (an HDC on Windows), or null.
typedef void* BM_DeviceContext;

// The interface every drawing operation works through.
//
// Geometry: width and height are pixel counts; an empty bitmap reports 0 by 0
// and null pixels. The row span (in pixels) is at least the width. Rows are
// top-down from GetBits() unless IsFlipped(), in which case row 0 is the last
// row in memory. The pixel pointer is valid only until the next Resize or the
// destruction: callers fetch it again for every drawing operation.
//
// Bitmaps have no locks: [ui] thread only. A bitmap belongs to whoever created
// it and is deleted through this interface.
class BM_IBitmap {
public:
  virtual ~BM_IBitmap() {}
  virtual BM_Color32* GetBits() = 0;
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual int32_t GetRowSpan() const = 0;
  virtual bool IsFlipped() const { return false; }
  // False when the size is unchanged and nothing was done; see each class for
  // the other cases. New or kept memory is not cleared.
  virtual bool Resize(int32_t width, int32_t height) = 0;
  virtual BM_DeviceContext GetDeviceContext() { return nullptr; }
  // Optional capabilities asked for by code; 0 means "not supported".
  virtual intptr_t QueryExtension(int32_t code, void* data) {
    (void)code;
    (void)data;
    return 0;
  }
};

// A heap bitmap, used for every decoded image. Pixels start 64-byte aligned,
// rows are padded to a multiple of 4 pixels, the block grows by a quarter more
// than needed and never shrinks.
class BM_MemBitmap : public BM_IBitmap {
public:
  explicit BM_MemBitmap(int32_t width = 0, int32_t height = 0);
  ~BM_MemBitmap() override;
  BM_MemBitmap(const BM_MemBitmap&) = delete;
  BM_MemBitmap& operator=(const BM_MemBitmap&) = delete;

  BM_Color32* GetBits() override;
  int32_t GetWidth() const override { return mWidth; }
  int32_t GetHeight() const override { return mHeight; }
  int32_t GetRowSpan() const override;
  // True whenever the size changed. A zero, negative or unrepresentable size
  // (more than 2^31 - 1 pixel bytes) or a failed allocation leaves the bitmap
  // empty.
  bool Resize(int32_t width, int32_t height) override;

private:
  void* mRawBuffer = nullptr;  // malloc'd block, mAllocBytes + 63 bytes long
  int32_t mWidth = 0;
  int32_t mHeight = 0;
  int32_t mAllocBytes = 0;
  int32_t mRowAlignMask = 3;
};

// A drawing surface with the platform's device context (a DIB section on
// Windows; plain memory without a device context elsewhere). The allocated
// width is the requested width rounded up to 4 and is the row span; a smaller
// non-empty size is served from the current allocation.
class BM_SysBitmap : public BM_IBitmap {
public:
  explicit BM_SysBitmap(int32_t width = 0, int32_t height = 0);
  ~BM_SysBitmap() override;
  BM_SysBitmap(const BM_SysBitmap&) = delete;
  BM_SysBitmap& operator=(const BM_SysBitmap&) = delete;

  BM_Color32* GetBits() override { return mBits; }
  int32_t GetWidth() const override { return mWidth; }
  int32_t GetHeight() const override { return mHeight; }
  int32_t GetRowSpan() const override { return mAllocWidth; }
  // False when the size is unchanged, when the surface has no device context
  // (on platforms that have them) and when the new size is empty (the pixels
  // are then released). A failed pixel allocation empties the bitmap but
  // still returns true. Negative sizes count as 0.
  bool Resize(int32_t width, int32_t height) override;
  BM_DeviceContext GetDeviceContext() override;

  struct Surface;  // the platform part: device context and pixel storage

private:
  int32_t mWidth = 0;
  int32_t mHeight = 0;
  Surface* mSurface = nullptr;
  BM_Color32* mBits = nullptr;
  int32_t mAllocWidth = 0;
  int32_t mAllocHeight = 0;
};
