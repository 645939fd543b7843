// Fuzz entry for the PNG decoder: any byte block must give a bitmap of the
// size its header states, or null, and never read or write outside memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bitmap/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT32_MAX) return 0;
  BM_MemBitmap* bitmap = LoadPngMemory(data, static_cast<int32_t>(size));
  if (bitmap) {
    if (bitmap->GetWidth() < 1 || bitmap->GetHeight() < 1 || !bitmap->GetBits()) std::abort();
    // Read every pixel so that a short allocation shows up.
    volatile BM_Color32 sink = 0;
    for (int32_t y = 0; y < bitmap->GetHeight(); ++y)
      for (int32_t x = 0; x < bitmap->GetWidth(); ++x) sink = sink + bitmap->GetBits()[y * bitmap->GetRowSpan() + x];
    delete bitmap;
  }
  return 0;
}
