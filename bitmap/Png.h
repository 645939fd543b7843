#pragma once
#include <cstdint>
#include "bitmap/Bitmap.h"
#include "bitmap/ImageLoader.h"
#include "bitmap/ResourceLookup.h"

// PNG decoding. Whatever the file's colour type and bit depth, the result has
// 8-bit straight (not premultiplied) alpha; images without alpha get 255.
// Images of more than 16384 x 16384 pixels, wider than 16384 or taller than
// 262144 pixels, corrupt or truncated data all give null. Bitmaps returned new belong to the caller. [ui]

// The resource of type "PNG" with the id's low 16 bits in module.
BM_MemBitmap* LoadPngResource(BM_ModuleHandle module, int32_t resourceId);

// The width and height the header of a PNG held in memory declares, without
// decoding the image (a few bytes are read): false for data that does not
// start with the PNG signature and its header chunk, and for sizes the
// decoder refuses.
bool ReadPngSize(const void* data, size_t length, int32_t* width, int32_t* height);
// The same for the resource of type "PNG" with this id in module.
bool PngResourceSize(BM_ModuleHandle module, int32_t resourceId, int32_t* width, int32_t* height);

// An image decoded only as far down as it is needed: a PNG held in memory is
// decoded a band of rows at a time, from the top, so a tall strip of frames
// decodes down to the frames drawn so far and no further. Interlaced PNGs
// (which come in passes over the whole image) are decoded whole at once. The
// bitmap has the image's full size from the start, with the rows not yet
// decoded all 0 (transparent). One thread at a time. [ui]
class BM_ProgressiveImage {
public:
  // Takes a bitmap decoded whole (owned from then on); null gives none.
  explicit BM_ProgressiveImage(BM_IBitmap* complete);
  // Reads the PNG's header; Bitmap() is null when the data is not a PNG the
  // decoder takes. The data must stay valid while rows are still to come.
  BM_ProgressiveImage(const void* data, int32_t length);
  ~BM_ProgressiveImage();
  BM_ProgressiveImage(const BM_ProgressiveImage&) = delete;
  BM_ProgressiveImage& operator=(const BM_ProgressiveImage&) = delete;

  BM_IBitmap* Bitmap() const { return mBitmap; }
  int32_t RowsDone() const { return mRowsDone; }
  // Decodes down to row `rows` (exclusive) from the top, or to the end; false
  // when the data turned out to be corrupt: the rows decoded so far stay, the
  // rest stay 0.
  bool DecodeRows(int32_t rows);

private:
  struct Decoder;
  bool ReadRows(int32_t target);
  void Finish();

  BM_IBitmap* mBitmap = nullptr;  // owned
  Decoder* mDecoder = nullptr;    // while rows are still to come
  int32_t mRowsDone = 0;
};

// A PNG held in memory, signature included; null for fewer than 8 bytes or a
// block that does not start with the PNG signature.
BM_MemBitmap* LoadPngMemory(const void* data, int32_t length);

// The file at a UTF-8 path. With bitmap given, it is resized to the image and
// filled (image row 0 on its top row, also when it is flipped) and returned;
// on failure it stays with the caller, resized or not, with undefined pixels.
// Without, a new BM_MemBitmap is returned.
BM_IBitmap* LoadPngFile(const char* utf8Path, BM_IBitmap* bitmap = nullptr);

// The PNG entry of gImageLoaders: LoadPngFile, refusing (when the low byte of
// checkExtension is set) any name whose text from its last '\', '/' or '.' on
// is not ".png" in any letter case.
BM_IBitmap* LoadPngByName(const char* path, int32_t checkExtension, BM_IBitmap* bitmap);

// Whether the path's text from its last '\', '/' or '.' on is ".png" in any
// letter case.
bool HasPngExtension(const char* path);

// "PNG files (*.PNG)", NUL, "*.PNG", NUL, NUL.
const char* PngFileFilter();
