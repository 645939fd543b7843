#include "editor/x11/XImageSurface.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "bitmap/Bitmap.h"
#include "common/ByteOrder.h"
#include "editor/x11/XErrorTrap.h"

namespace x11 {
namespace {

// A channel of 8 bits scaled to a mask's width and moved to its place:
// round(c x (2^bits - 1) / 255) << shift.
unsigned long PlaceChannel(uint32_t c, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return ((c * max + 127) / 255) << shift;
}

// One shared-memory segment kept back when an image goes, for the process's
// next image: a new segment is a fresh mapping the size of the window, whose
// pages the kernel must clear and map in one by one as the first frame is
// written. It stays mapped here (marked for removal, so it goes with the
// process), and the server attaches it anew for each connection.
struct SpareSegment {
  std::mutex lock;
  int shmid = -1;
  char* address = nullptr;
  size_t bytes = 0;
};

SpareSegment& Spare() {
  static SpareSegment spare;
  return spare;
}

// A segment of at least `bytes`: the spare one when it is large enough, else
// a new one (marked for removal at once: it goes when both sides have
// detached, even if the process dies first). False when none can be had.
bool TakeSegment(size_t bytes, XShmSegmentInfo* shm, size_t* size) {
  {
    SpareSegment& spare = Spare();
    std::lock_guard<std::mutex> guard(spare.lock);
    if (spare.address && spare.bytes >= bytes) {
      shm->shmid = spare.shmid;
      shm->shmaddr = spare.address;
      *size = spare.bytes;
      spare.shmid = -1;
      spare.address = nullptr;
      spare.bytes = 0;
      return true;
    }
  }
  shm->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shm->shmid < 0) return false;
  void* address = shmat(shm->shmid, nullptr, 0);
  shmctl(shm->shmid, IPC_RMID, nullptr);
  if (address == reinterpret_cast<void*>(-1)) return false;
  shm->shmaddr = static_cast<char*>(address);
  *size = bytes;
  return true;
}

// A segment no longer in use: kept as the spare when there is none, or
// when it is larger than the spare; unmapped otherwise.
void GiveBackSegment(const XShmSegmentInfo& shm, size_t bytes) {
  char* unmap = shm.shmaddr;
  {
    SpareSegment& spare = Spare();
    std::lock_guard<std::mutex> guard(spare.lock);
    if (!spare.address || spare.bytes < bytes) {
      std::swap(unmap, spare.address);
      spare.shmid = shm.shmid;
      spare.bytes = bytes;
    }
  }
  if (unmap) shmdt(unmap);
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
      if (TakeSegment(bytes, &mShm, &mShmBytes)) {
        mImage->data = mShm.shmaddr;
        mShm.readOnly = False;
        // A server on another machine refuses the segment (BadAccess): the
        // error count tells, after the round trip.
        const uint32_t before = ErrorsOf(display).count;
        const bool sent = XShmAttach(display, &mShm);
        XSync(display, False);
        mShmAttached = sent && ErrorsOf(display).count == before;
        if (!mShmAttached) GiveBackSegment(mShm, mShmBytes);
      }
      if (!mShmAttached) {
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
                    mImage->blue_mask == 0xFF && (mImage->byte_order == LSBFirst) == LittleEndianMachine();
  mOpaqueTopByte = depth == 32;
  return true;
}

void XImageSurface::Destroy() {
  if (mImage) {
    if (mShmAttached) {
      XShmDetach(mDisplay, &mShm);
      // The server must have let go before the segment is used again.
      XSync(mDisplay, False);
      GiveBackSegment(mShm, mShmBytes);
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
