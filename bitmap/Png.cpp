#include "bitmap/Png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bitmap/FileOpen.h"
#include "common/ByteOrder.h"

namespace {

// Limits that keep a hostile file from making the decoder commit huge
// amounts of memory: at most 16384 x 16384 pixels in all (1 GiB of bitmap),
// at most 16384 wide and 262144 tall (image strips stack their frames one
// above the other), and 8 MB for any ancillary chunk libpng keeps or
// decompresses.
constexpr png_uint_32 kMaxImageWidth = 16384;
constexpr png_uint_32 kMaxImageHeight = 262144;
constexpr uint64_t kMaxImagePixels = 16384ull * 16384;
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

// The state of a decode from memory: the next unread byte and the count left.
struct PngMemoryReader {
  const png_byte* mData;
  int32_t mRemaining;
};

// libpng's read callback for memory. The request is zero-filled first, so
// reading past the end yields zero bytes; libpng's chunk length and CRC checks
// then fail on the truncated stream.
void ReadPngMemory(png_structp png, png_bytep out, png_size_t count) {
  PngMemoryReader* reader = static_cast<PngMemoryReader*>(png_get_io_ptr(png));
  std::memset(out, 0, count);
  png_size_t n = count;
  if (reader->mRemaining < 0) reader->mRemaining = 0;
  if (n > static_cast<png_size_t>(reader->mRemaining)) n = static_cast<png_size_t>(reader->mRemaining);
  if (n) std::memcpy(out, reader->mData, n);
  reader->mData += n;
  reader->mRemaining -= static_cast<int32_t>(n);
}

// After png_read_info: every image to 8-bit blue, green, red, alpha, in this
// order, opaque where it has no alpha; returns the size. Interlaced images
// are read whole, in passes. Reports an image the limits refuse with
// png_error.
void SetUpTransforms(png_structp png, png_infop info, int32_t* w, int32_t* h) {
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0, compression = 0, filter = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, &compression, &filter);
  if (static_cast<uint64_t>(width) * height > kMaxImagePixels) png_error(png, "image too large");
  bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    hasAlpha = true;
  }
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  // Every row is decoded straight into the bitmap, so it must be exactly
  // four bytes per pixel.
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) png_error(png, "unexpected row size");
  *w = static_cast<int32_t>(width);
  *h = static_cast<int32_t>(height);
}

// Rows decoded as the bytes blue, green, red, alpha become packed pixels;
// where the machine stores words least significant byte first they already are.
void PackRows(BM_Color32* first, int32_t width, int32_t rows, int32_t span) {
  // Least significant byte first, blue, green, red, alpha are the packed
  // pixel as they are.
  if (LittleEndianMachine()) return;
  for (int32_t y = 0; y < rows; ++y) {
    BM_Color32* row = first + static_cast<ptrdiff_t>(y) * span;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(row);
    for (int32_t x = 0; x < width; ++x, p += 4) row[x] = BM_PackColor32(p[3], p[2], p[1], p[0]);
  }
}

// Decodes from reader (memory) or file into given (resized) or a new
// BM_MemBitmap. With honourFlip, a flipped bitmap receives image row 0 on its
// top row.
//
// libpng reports errors by longjmp back into this function, so nothing here
// may own a C++ object with a destructor; what must be released after a jump
// is held in volatile locals.
BM_IBitmap* DecodePng(PngMemoryReader* reader, std::FILE* file, BM_IBitmap* given, bool honourFlip) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }

  BM_IBitmap* volatile bitmap = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    if (bitmap != given) delete bitmap;
    return nullptr;
  }

  png_set_user_limits(png, kMaxImageWidth, kMaxImageHeight);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  if (reader)
    png_set_read_fn(png, reader, ReadPngMemory);
  else
    png_init_io(png, file);

  png_read_info(png, info);
  int32_t w = 0, h = 0;
  SetUpTransforms(png, info, &w, &h);

  if (given) {
    given->Resize(w, h);
    bitmap = given;
  } else {
    bitmap = new BM_MemBitmap(w, h);
  }
  BM_Color32* bits = bitmap->GetBits();
  const int32_t span = bitmap->GetRowSpan();
  if (bitmap->GetWidth() != w || bitmap->GetHeight() != h || !bits || span < w) png_error(png, "no bitmap");

  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(h)));
  if (!rows) png_error(png, "out of memory");
  const bool bottomUp = honourFlip && bitmap->IsFlipped();
  for (int32_t y = 0; y < h; ++y) {
    const int32_t memoryRow = bottomUp ? h - 1 - y : y;
    rows[y] = reinterpret_cast<png_bytep>(bits + static_cast<ptrdiff_t>(memoryRow) * span);
  }
  png_read_image(png, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  PackRows(bits, w, h, span);
  std::free(rows);
  return bitmap;
}

ImageLoaderEntry sPngLoader = {LoadPngByName, PngFileFilter, nullptr};

struct LinkPngLoader {
  LinkPngLoader() {
    sPngLoader.mNext = gImageLoaders;
    gImageLoaders = &sPngLoader;
  }
} sLinkPngLoader;

}  // namespace

bool HasPngExtension(const char* path) {
  if (!path) return false;
  const char* from = path + std::strlen(path);
  while (from > path && from[-1] != '\\' && from[-1] != '/' && from[-1] != '.') --from;
  if (from > path) --from;  // on the separator or dot itself
  const char* ext = ".png";
  for (; *from && *ext; ++from, ++ext) {
    char c = *from;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *ext) return false;
  }
  return *from == 0 && *ext == 0;
}

// ---- BM_ProgressiveImage ---------------------------------------------------------------

struct BM_ProgressiveImage::Decoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngMemoryReader reader = {nullptr, 0};
  // An interlaced image's row pointers: kept here, so that an error's
  // longjmp out of the read leaves nothing unfreed.
  std::vector<png_bytep> rows;
};

BM_ProgressiveImage::BM_ProgressiveImage(BM_IBitmap* complete) : mBitmap(complete) {
  mRowsDone = complete ? complete->GetHeight() : 0;
}

BM_ProgressiveImage::BM_ProgressiveImage(const void* data, int32_t length) {
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return;
  Decoder* d = new Decoder;
  d->reader = {static_cast<const png_byte*>(data), length};
  d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (d->png) d->info = png_create_info_struct(d->png);
  mDecoder = d;
  if (!d->info) {
    Finish();
    return;
  }
  if (setjmp(png_jmpbuf(d->png))) {
    Finish();
    delete mBitmap;
    mBitmap = nullptr;
    return;
  }
  png_set_user_limits(d->png, kMaxImageWidth, kMaxImageHeight);
  png_set_chunk_malloc_max(d->png, kMaxChunkBytes);
  png_set_read_fn(d->png, &d->reader, ReadPngMemory);
  png_read_info(d->png, d->info);
  int32_t w = 0, h = 0;
  SetUpTransforms(d->png, d->info, &w, &h);
  BM_MemBitmap* bitmap = new BM_MemBitmap(w, h);
  mBitmap = bitmap;
  if (bitmap->GetWidth() != w || bitmap->GetHeight() != h || !bitmap->GetBits()) png_error(d->png, "no bitmap");
  // The rows are written as they are decoded, and blanked where decoding
  // fails: an image drawn only in part never touches the rest of its memory.
  // Interlaced images come in passes over the whole image: read at once.
  if (png_get_interlace_type(d->png, d->info) != PNG_INTERLACE_NONE) DecodeRows(h);
}

BM_ProgressiveImage::~BM_ProgressiveImage() {
  Finish();
  delete mBitmap;
}

void BM_ProgressiveImage::Finish() {
  if (!mDecoder) return;
  if (mDecoder->png) png_destroy_read_struct(&mDecoder->png, mDecoder->info ? &mDecoder->info : nullptr, nullptr);
  delete mDecoder;
  mDecoder = nullptr;
}

bool BM_ProgressiveImage::DecodeRows(int32_t rows) {
  if (!mBitmap) return false;
  const int32_t height = mBitmap->GetHeight();
  const int32_t target = rows > height ? height : rows;
  if (mRowsDone >= target) return true;
  if (!mDecoder) return false;  // stopped at an error: what was decoded stays
  const bool ok = ReadRows(target);
  if (!ok) {
    // What the decoder never reached stays blank.
    std::memset(mBitmap->GetBits() + static_cast<ptrdiff_t>(mRowsDone) * mBitmap->GetRowSpan(), 0,
                static_cast<size_t>(mBitmap->GetRowSpan()) * static_cast<size_t>(height - mRowsDone) * sizeof(BM_Color32));
  }
  if (!ok || mRowsDone >= height) Finish();
  return ok;
}

// libpng reports errors by longjmp back here: nothing here owns a C++ object
// with a destructor, and the rows done are kept in the member as they go.
bool BM_ProgressiveImage::ReadRows(int32_t target) {
  Decoder* const d = mDecoder;
  if (setjmp(png_jmpbuf(d->png))) return false;
  BM_Color32* const bits = mBitmap->GetBits();
  const int32_t span = mBitmap->GetRowSpan();
  const int32_t width = mBitmap->GetWidth();
  const int32_t height = mBitmap->GetHeight();
  if (png_get_interlace_type(d->png, d->info) != PNG_INTERLACE_NONE) {
    d->rows.resize(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) d->rows[static_cast<size_t>(y)] = reinterpret_cast<png_bytep>(bits + static_cast<ptrdiff_t>(y) * span);
    png_read_image(d->png, d->rows.data());
    PackRows(bits, width, height, span);
    mRowsDone = height;
    return true;
  }
  while (mRowsDone < target) {
    BM_Color32* row = bits + static_cast<ptrdiff_t>(mRowsDone) * span;
    png_read_row(d->png, reinterpret_cast<png_bytep>(row), nullptr);
    PackRows(row, width, 1, span);
    ++mRowsDone;
  }
  return true;
}

BM_MemBitmap* LoadPngMemory(const void* data, int32_t length) {
  if (!data || length < 8) return nullptr;
  if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;
  PngMemoryReader reader = {static_cast<const png_byte*>(data), length};
  return static_cast<BM_MemBitmap*>(DecodePng(&reader, nullptr, nullptr, false));
}

bool ReadPngSize(const void* data, size_t length, int32_t* width, int32_t* height) {
  // The signature (8 bytes), then the header chunk: its length (13), "IHDR",
  // the width and the height, each 4 bytes, most significant first.
  if (!data || length < 24 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  auto word = [bytes](int at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
           static_cast<uint32_t>(bytes[at + 2]) << 8 | static_cast<uint32_t>(bytes[at + 3]);
  };
  if (word(8) != 13 || std::memcmp(bytes + 12, "IHDR", 4) != 0) return false;
  const uint32_t w = word(16), h = word(20);
  if (w == 0 || h == 0 || w > kMaxImageWidth || h > kMaxImageHeight ||
      static_cast<uint64_t>(w) * h > kMaxImagePixels) {
    return false;
  }
  if (width) *width = static_cast<int32_t>(w);
  if (height) *height = static_cast<int32_t>(h);
  return true;
}

bool PngResourceSize(BM_ModuleHandle module, int32_t resourceId, int32_t* width, int32_t* height) {
  const void* data = nullptr;
  size_t size = 0;
  if (!bm::FindModuleResource(module, resourceId, "PNG", &data, &size)) return false;
  return ReadPngSize(data, size, width, height);
}

BM_MemBitmap* LoadPngResource(BM_ModuleHandle module, int32_t resourceId) {
  const void* data = nullptr;
  size_t size = 0;
  if (!bm::FindModuleResource(module, resourceId, "PNG", &data, &size)) return nullptr;
  if (size <= 7 || size > INT32_MAX) return nullptr;
  return LoadPngMemory(data, static_cast<int32_t>(size));
}

BM_IBitmap* LoadPngFile(const char* utf8Path, BM_IBitmap* bitmap) {
  if (!utf8Path) return nullptr;
  std::FILE* file = bm::OpenFileForReading(utf8Path);
  if (!file) return nullptr;
  BM_IBitmap* result = DecodePng(nullptr, file, bitmap, true);
  std::fclose(file);
  return result;
}

BM_IBitmap* LoadPngByName(const char* path, int32_t checkExtension, BM_IBitmap* bitmap) {
  if (!path) return nullptr;
  if ((checkExtension & 0xFF) && !HasPngExtension(path)) return nullptr;
  return LoadPngFile(path, bitmap);
}

const char* PngFileFilter() { return "PNG files (*.PNG)\0*.PNG\0"; }
