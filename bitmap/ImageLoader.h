#pragma once
#include <cstdint>
#include "bitmap/Bitmap.h"

// The process-wide list of image loaders. Each image format links a static
// entry at the head of the list during start-up, before any other code runs;
// after that the list does not change.
struct ImageLoaderEntry {
  // Loads the file at a UTF-8 path into bitmap (resized to the image) or, if
  // bitmap is null, into a new BM_MemBitmap; returns it, or null. With the low
  // byte of checkExtension set, names without the loader's extension are
  // refused.
  BM_IBitmap* (*mLoad)(const char* path, int32_t checkExtension, BM_IBitmap* bitmap);
  // The file-dialog filter: description, NUL, pattern, NUL, NUL.
  const char* (*mFilter)();
  ImageLoaderEntry* mNext;
};

extern ImageLoaderEntry* gImageLoaders;
