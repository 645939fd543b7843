#include "editor/offscreen/IGraphicsOffscreen.h"

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
  SetPlatformScale(0.0, true);
  mOpen = true;
  ShowEverything();
  return this;
}

void IGraphicsOffscreen::CloseWindow() {
  if (mOpen) EndMouseGesture();
  mOpen = false;
}

void* IGraphicsOffscreen::NativeWindow() { return mOpen ? this : nullptr; }

BM_ProgressiveImage* IGraphicsOffscreen::OpenPlatformImage(int resourceId, const char* name) {
  ++mPlatformLoads;
  return IGraphicsWindowless::OpenPlatformImage(resourceId, name);
}

void IGraphicsOffscreen::PrepareDrawing() {
  IGraphicsWindowless::PrepareDrawing();
  ClearScreen();
}

void IGraphicsOffscreen::ResizeWindowToScale() { ClearScreen(); }

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
