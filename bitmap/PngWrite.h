#pragma once
#include <cstdint>
#include <vector>

#include "bitmap/Bitmap.h"

// PNG encoding: 8-bit red, green, blue and straight alpha as the bitmap holds
// them, top row first also for flipped bitmaps, not interlaced. The file holds
// nothing but the header, the image data and the end (no time stamp or text),
// so the same pixels with the same settings give the same bytes on every run.
// [any thread; the bitmap is only read]

// The row filters the encoder may choose from (it takes, row by row, the one
// whose result looks most compressible). Decoding "none", "sub" and "up" is
// cheaper than "average" and "Paeth".
enum BM_PngFilters : int32_t {
  BM_PNG_FILTER_NONE = 0x08,
  BM_PNG_FILTER_SUB = 0x10,
  BM_PNG_FILTER_UP = 0x20,
  BM_PNG_FILTER_AVERAGE = 0x40,
  BM_PNG_FILTER_PAETH = 0x80,
  BM_PNG_FILTERS_ALL = 0xF8,
};

struct BM_PngEncoding {
  int32_t level = 9;                    // zlib's compression level: 0 (stored) to 9 (smallest)
  int32_t filters = BM_PNG_FILTERS_ALL;  // a combination of BM_PngFilters
};

// The PNG of the bitmap into out (replacing its contents); false, with out
// empty, for an empty bitmap, settings out of range or a failure inside
// libpng.
bool EncodePng(BM_IBitmap* bitmap, std::vector<uint8_t>* out, const BM_PngEncoding& encoding = {});

// Writes the PNG of the bitmap to the file at a UTF-8 path, replacing it;
// false when the bitmap cannot be encoded or the file not written in full.
bool WritePngFile(BM_IBitmap* bitmap, const char* utf8Path, const BM_PngEncoding& encoding = {});
