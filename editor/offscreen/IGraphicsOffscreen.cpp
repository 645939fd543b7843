#include "editor/offscreen/IGraphicsOffscreen.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "bitmap/Blit.h"
#include "editor/IControl.h"

IGraphicsOffscreen::IGraphicsOffscreen(IEffectBase* plugin, int width, int height, int frameRate)
    : IGraphicsWindowless(plugin, width, height, frameRate) {
  ClearScreen();
}

IGraphicsOffscreen::~IGraphicsOffscreen() {
  DetachPlugin();
  CloseWindow();
}

IGraphics* IGraphicsOffscreen::Make(IEffectBase* plugin, int width, int height, int frameRate) {
  return new IGraphicsOffscreen(plugin, width, height, frameRate);
}

bool IGraphicsOffscreen::PresentArea(const IBounds& area) {
  ++mPresentCount;
  mLastPresented = area;
  const IBounds clip = Intersection(area, IBounds(0, 0, mScreen.GetWidth(), mScreen.GetHeight()));
  BM_IBitmap* back = BackBuffer();
  if (clip.Empty() || !back) return true;
  const int32_t src[4] = {clip.left, clip.top, clip.right, clip.bottom};
  BM_BlitRect(&mScreen, back, clip.left, clip.top, src, 1.0f, BM_BLEND_COPY);
  return true;
}

void* IGraphicsOffscreen::OpenWindow(void* /*parentWindow*/) {
  CloseWindow();
  ApplyPendingValues();
  mOpen = true;
  for (int i = 0; i < ControlCount(); ++i) GetControl(i)->MarkDirty(false);
  return this;
}

void IGraphicsOffscreen::CloseWindow() {
  if (mOpen) EndMouseGesture();
  mOpen = false;
}

void* IGraphicsOffscreen::NativeWindow() { return mOpen ? this : nullptr; }

BM_IBitmap* IGraphicsOffscreen::LoadPlatformBitmap(int resourceId, const char* name) {
  ++mPlatformLoads;
  return IGraphicsWindowless::LoadPlatformBitmap(resourceId, name);
}

void IGraphicsOffscreen::PrepareDrawing() {
  IGraphicsWindowless::PrepareDrawing();
  ClearScreen();
}

void IGraphicsOffscreen::ClearScreen() {
  mScreen.Resize(Width(), Height());
  if (mScreen.GetBits()) BM_FillArea(&mScreen, 0, 0, Width(), Height(), 0, 1.0f, BM_BLEND_COPY);
}

bool IGraphicsOffscreen::Tick(IBounds* drawn) {
  ApplyPendingValues();
  IBounds area;
  const bool dirty = CollectDirtyArea(&area);
  if (dirty) Draw(area);
  if (drawn) *drawn = area;
  return dirty;
}

bool WritePngFile(BM_IBitmap* bitmap, const char* path) {
  if (!bitmap || !path || !bitmap->GetBits() || bitmap->GetWidth() < 1 || bitmap->GetHeight() < 1) return false;
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    return false;
  }
  // Row pointers are prepared before libpng may jump back here, so nothing
  // with a destructor is created after the setjmp.
  const int32_t width = bitmap->GetWidth();
  const int32_t height = bitmap->GetHeight();
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  BM_Color32* bits = bitmap->GetBits();
  for (int32_t y = 0; y < height; ++y) {
    const int32_t memRow = bitmap->IsFlipped() ? height - 1 - y : y;
    rows[static_cast<size_t>(y)] =
        reinterpret_cast<png_bytep>(bits + static_cast<size_t>(memRow) * static_cast<size_t>(bitmap->GetRowSpan()));
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);  // pixels are blue, green, red, alpha in memory
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

uint64_t PixelChecksum(BM_IBitmap* bitmap) {
  uint64_t hash = 14695981039346656037ull;
  if (!bitmap || !bitmap->GetBits()) return hash;
  const int32_t width = bitmap->GetWidth();
  const int32_t height = bitmap->GetHeight();
  for (int32_t y = 0; y < height; ++y) {
    const int32_t memRow = bitmap->IsFlipped() ? height - 1 - y : y;
    const BM_Color32* row = bitmap->GetBits() + static_cast<size_t>(memRow) * static_cast<size_t>(bitmap->GetRowSpan());
    for (int32_t x = 0; x < width; ++x) {
      for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (row[x] >> shift) & 0xFF;
        hash *= 1099511628211ull;
      }
    }
  }
  return hash;
}
