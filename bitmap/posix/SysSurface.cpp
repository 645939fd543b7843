#include <cstdlib>
#include "bitmap/SysSurface.h"

// Without a windowing system's device context the surface is plain memory,
// zero-filled like a fresh DIB section. Rows are a multiple of 4 pixels and
// calloc returns 16-byte aligned blocks, so every row starts 16-byte aligned.
struct BM_SysBitmap::Surface {
  BM_Color32* mPixels = nullptr;
};

namespace bm {

BM_SysBitmap::Surface* CreateSurface() { return new BM_SysBitmap::Surface; }

void DestroySurface(BM_SysBitmap::Surface* surface) {
  ReleaseSurfacePixels(surface);
  delete surface;
}

BM_Color32* AllocateSurfacePixels(BM_SysBitmap::Surface* surface, int32_t allocWidth,
                                  int32_t allocHeight, bool flipped) {
  (void)flipped;  // memory order is the caller's business; a block is a block
  ReleaseSurfacePixels(surface);
  int64_t bytes = static_cast<int64_t>(allocWidth) * allocHeight * 4;
  if (allocWidth < 1 || allocHeight < 1 || bytes > INT32_MAX) return nullptr;
  surface->mPixels = static_cast<BM_Color32*>(std::calloc(static_cast<size_t>(bytes), 1));
  return surface->mPixels;
}

void ReleaseSurfacePixels(BM_SysBitmap::Surface* surface) {
  std::free(surface->mPixels);
  surface->mPixels = nullptr;
}

BM_DeviceContext SurfaceDeviceContext(BM_SysBitmap::Surface*) { return nullptr; }

}  // namespace bm
