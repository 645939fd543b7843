#pragma once
// The image through which the editor's back buffer reaches its window: an
// XImage of the window's size in shared memory (MIT-SHM) when the server
// offers it for this connection, a plain one sent with XPutImage otherwise.
// Pixels are converted from the bitmap library's AARRGGBB words to the
// visual's format; the common 24- and 32-bit visuals with 8-bit red, green
// and blue take the words as they are. [ui]
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "editor/IGraphicsTypes.h"

class BM_IBitmap;

namespace x11 {

class XImageSurface {
public:
  XImageSurface() = default;
  ~XImageSurface();
  XImageSurface(const XImageSurface&) = delete;
  XImageSurface& operator=(const XImageSurface&) = delete;

  // Makes the image for a TrueColor visual; shared memory is tried only when
  // allowShm. False (and nothing made) when no image could be made.
  bool Create(Display* display, Visual* visual, int depth, int width, int height, bool allowShm);
  // Frees the image; the connection must still be open.
  void Destroy();
  bool Exists() const { return mImage != nullptr; }
  bool UsesSharedMemory() const { return mShmAttached; }

  // Copies area of the bitmap (clipped to both) into the image and puts it at
  // the same position of the drawable. Returns after the server has taken
  // the pixels, so the image may be written again at once.
  void Put(Drawable drawable, GC gc, BM_IBitmap* bitmap, const IBounds& area);

private:
  void Convert(BM_IBitmap* bitmap, const IBounds& area);

  Display* mDisplay = nullptr;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShm = {};
  size_t mShmBytes = 0;
  bool mShmAttached = false;
  bool mWordsAsTheyAre = false;  // 32 bits per pixel, 0xFF0000 red, 0xFF00 green, 0xFF blue, our byte order
  bool mOpaqueTopByte = false;   // a 32-bit visual: the top byte is alpha, always opaque here
};

}  // namespace x11
