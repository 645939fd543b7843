#pragma once
#include <cstdint>

#include "bitmap/Bitmap.h"
#include "editor/IGraphicsWindowless.h"

// An editor whose "window" is an image in memory: opening it marks every
// control dirty, PresentArea copies the presented area of the back buffer
// into the screen image, which keeps its pixels like a window does, and Tick
// stands in for the window's redraw timer. For tests, benchmarks and tools.
class IGraphicsOffscreen : public IGraphicsWindowless {
public:
  IGraphicsOffscreen(IEffectBase* plugin, int width, int height, int frameRate);
  ~IGraphicsOffscreen() override;

  // An EditorGraphicsMaker.
  static IGraphics* Make(IEffectBase* plugin, int width, int height, int frameRate);

  bool PresentArea(const IBounds& area) override;
  // Returns this object as the window and marks every control dirty, so the
  // next tick draws the whole editor. Reopening closes first.
  void* OpenWindow(void* parentWindow) override;
  void CloseWindow() override;
  void* NativeWindow() override;
  // Counts the calls and opens as the windowless editor does.
  BM_ProgressiveImage* OpenPlatformImage(int resourceId, const char* name) override;
  // Also sizes the screen image to the editor anew (cleared to 0).
  void PrepareDrawing() override;
  // The screen image takes the new size (cleared to 0).
  void ResizeWindowToScale() override;

  // One redraw timer tick: what the host's threads handed over is applied,
  // then the dirty controls' area is drawn and presented.
  // False when nothing was dirty; *drawn receives the area (all 0 then).
  bool Tick(IBounds* drawn = nullptr);

  // What the window shows: the editor's size, all 0 until something is presented.
  BM_MemBitmap& Screen() { return mScreen; }
  int PresentCount() const { return mPresentCount; }
  const IBounds& LastPresented() const { return mLastPresented; }
  int PlatformLoadCount() const { return mPlatformLoads; }

private:
  // The screen image at the editor's size, every pixel 0.
  void ClearScreen();

  BM_MemBitmap mScreen;
  bool mOpen = false;
  int mPresentCount = 0;
  IBounds mLastPresented;
  int mPlatformLoads = 0;
};

// FNV-1a over the pixels' bytes (blue, green, red, alpha), row by row from
// the top: a fingerprint of what a bitmap shows.
uint64_t PixelChecksum(BM_IBitmap* bitmap);
