#pragma once
#include <cstdint>
#include "bitmap/Bitmap.h"

// The platform seam of BM_SysBitmap: one implementation per platform folder.
// BM_SysBitmap keeps the size rules; a surface only owns the device context
// (where the platform has one) and the current pixel block.
namespace bm {

// Null when the platform could not create the surface's device context; the
// bitmap then stays empty for its whole life.
BM_SysBitmap::Surface* CreateSurface();
void DestroySurface(BM_SysBitmap::Surface* surface);

// Releases the current pixel block, if any, and allocates a new one of
// allocWidth x allocHeight pixels (both at least 1), stored bottom-up when
// flipped. Returns the first pixel in memory, or null when it failed.
BM_Color32* AllocateSurfacePixels(BM_SysBitmap::Surface* surface, int32_t allocWidth,
                                  int32_t allocHeight, bool flipped);
void ReleaseSurfacePixels(BM_SysBitmap::Surface* surface);

BM_DeviceContext SurfaceDeviceContext(BM_SysBitmap::Surface* surface);

}  // namespace bm
