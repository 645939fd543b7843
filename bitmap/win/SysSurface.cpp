#include <windows.h>
#include "bitmap/SysSurface.h"

// A memory device context with a 32-bit DIB section selected into it, so that
// GDI can draw into the pixels and blit from them.
struct BM_SysBitmap::Surface {
  HDC mDC = nullptr;
  HBITMAP mDIB = nullptr;
  HGDIOBJ mPrevBitmap = nullptr;  // selected back before mDIB is deleted
};

namespace bm {

BM_SysBitmap::Surface* CreateSurface() {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  BM_SysBitmap::Surface* surface = new BM_SysBitmap::Surface;
  surface->mDC = dc;
  return surface;
}

void DestroySurface(BM_SysBitmap::Surface* surface) {
  ReleaseSurfacePixels(surface);
  if (surface->mDC) DeleteDC(surface->mDC);
  delete surface;
}

BM_Color32* AllocateSurfacePixels(BM_SysBitmap::Surface* surface, int32_t allocWidth,
                                  int32_t allocHeight, bool flipped) {
  ReleaseSurfacePixels(surface);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = allocWidth;
  // A negative height asks for a top-down section.
  info.bmiHeader.biHeight = flipped ? allocHeight : -allocHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    return nullptr;
  }
  surface->mDIB = dib;
  surface->mPrevBitmap = SelectObject(surface->mDC, dib);
  return static_cast<BM_Color32*>(bits);
}

void ReleaseSurfacePixels(BM_SysBitmap::Surface* surface) {
  if (surface->mPrevBitmap) {
    SelectObject(surface->mDC, surface->mPrevBitmap);
    surface->mPrevBitmap = nullptr;
  }
  if (surface->mDIB) {
    DeleteObject(surface->mDIB);
    surface->mDIB = nullptr;
  }
}

BM_DeviceContext SurfaceDeviceContext(BM_SysBitmap::Surface* surface) { return surface->mDC; }

}  // namespace bm
