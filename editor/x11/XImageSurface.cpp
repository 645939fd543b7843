#include "editor/x11/XImageSurface.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "bitmap/Bitmap.h"
#include "editor/x11/XErrorTrap.h"

namespace x11 {
namespace {

bool LittleEndian() {
  const uint32_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

// A channel of 8 bits scaled to a mask's width and moved to its place:
// round(c x (2^bits - 1) / 255) << shift.
unsigned long PlaceChannel(uint32_t c, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return ((c * max + 127) / 255) << shift;
}

}  // namespace

XImageSurface::~XImageSurface() { Destroy(); }

bool XImageSurface::Create(Display* display, Visual* visual, int depth, int width, int height, bool allowShm) {
  Destroy();
  if (!display || !visual || width < 1 || height < 1) return false;
  mDisplay = display;

  int major, minor;
  Bool pixmaps;
  if (allowShm && XShmQueryVersion(display, &major, &minor, &pixmaps)) {
    mImage = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &mShm,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (mImage) {
      const size_t bytes = static_cast<size_t>(mImage->bytes_per_line) * static_cast<size_t>(mImage->height);
      mShm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      void* address = mShm.shmid >= 0 ? shmat(mShm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
      if (address != reinterpret_cast<void*>(-1)) {
        mShm.shmaddr = mImage->data = static_cast<char*>(address);
        mShm.readOnly = False;
        // A server on another machine refuses the segment (BadAccess): the
        // error count tells, after the round trip.
        const uint32_t before = ErrorsOf(display).count;
        const bool sent = XShmAttach(display, &mShm);
        XSync(display, False);
        mShmAttached = sent && ErrorsOf(display).count == before;
      }
      // Marked for removal at once: the segment goes when both sides have
      // detached, even if the process dies first.
      if (mShm.shmid >= 0) shmctl(mShm.shmid, IPC_RMID, nullptr);
      if (!mShmAttached) {
        if (mShm.shmaddr) shmdt(mShm.shmaddr);
        mImage->data = nullptr;
        XDestroyImage(mImage);
        mImage = nullptr;
        mShm = XShmSegmentInfo();
      }
    }
  }

  if (!mImage) {
    mImage = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                          static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!mImage) {
      mDisplay = nullptr;
      return false;
    }
    const size_t bytes = static_cast<size_t>(mImage->bytes_per_line) * static_cast<size_t>(mImage->height);
    // XDestroyImage frees the pixels with free().
    mImage->data = static_cast<char*>(std::calloc(bytes, 1));
    if (!mImage->data) {
      XDestroyImage(mImage);
      mImage = nullptr;
      mDisplay = nullptr;
      return false;
    }
  }

  mWordsAsTheyAre = mImage->bits_per_pixel == 32 && mImage->red_mask == 0xFF0000 && mImage->green_mask == 0xFF00 &&
                    mImage->blue_mask == 0xFF && (mImage->byte_order == LSBFirst) == LittleEndian();
  mOpaqueTopByte = depth == 32;
  return true;
}

void XImageSurface::Destroy() {
  if (mImage) {
    if (mShmAttached) {
      XShmDetach(mDisplay, &mShm);
      // The server must have let go before the segment is unmapped here.
      XSync(mDisplay, False);
      shmdt(mShm.shmaddr);
      mImage->data = nullptr;
    }
    XDestroyImage(mImage);
  }
  mImage = nullptr;
  mShm = XShmSegmentInfo();
  mShmAttached = false;
  mDisplay = nullptr;
}

void XImageSurface::Convert(BM_IBitmap* bitmap, const IBounds& area) {
  const int32_t height = bitmap->GetHeight();
  const int32_t span = bitmap->GetRowSpan();
  const BM_Color32* bits = bitmap->GetBits();
  const uint32_t topByte = mOpaqueTopByte ? 0xFF000000u : 0u;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const int32_t memRow = bitmap->IsFlipped() ? height - 1 - y : y;
    const BM_Color32* from = bits + static_cast<size_t>(memRow) * static_cast<size_t>(span);
    if (mWordsAsTheyAre) {
      uint32_t* to = reinterpret_cast<uint32_t*>(mImage->data + static_cast<size_t>(y) * mImage->bytes_per_line);
      for (int32_t x = area.left; x < area.right; ++x) to[x] = from[x] | topByte;
      continue;
    }
    for (int32_t x = area.left; x < area.right; ++x) {
      const BM_Color32 c = from[x];
      const unsigned long pixel = PlaceChannel((c >> 16) & 0xFF, mImage->red_mask) |
                                  PlaceChannel((c >> 8) & 0xFF, mImage->green_mask) |
                                  PlaceChannel(c & 0xFF, mImage->blue_mask) | topByte;
      XPutPixel(mImage, x, y, pixel);
    }
  }
}

void XImageSurface::Put(Drawable drawable, GC gc, BM_IBitmap* bitmap, const IBounds& area) {
  if (!mImage || !bitmap || !bitmap->GetBits()) return;
  const IBounds whole(0, 0, std::min(mImage->width, bitmap->GetWidth()), std::min(mImage->height, bitmap->GetHeight()));
  const IBounds clip = Intersection(area, whole);
  if (clip.right <= clip.left || clip.bottom <= clip.top) return;
  Convert(bitmap, clip);
  const unsigned w = static_cast<unsigned>(clip.W());
  const unsigned h = static_cast<unsigned>(clip.H());
  if (mShmAttached) {
    XShmPutImage(mDisplay, drawable, gc, mImage, clip.left, clip.top, clip.left, clip.top, w, h, False);
  } else {
    XPutImage(mDisplay, drawable, gc, mImage, clip.left, clip.top, clip.left, clip.top, w, h);
  }
  XSync(mDisplay, False);
}

}  // namespace x11
