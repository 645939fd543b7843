#include "bitmap/PngWrite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>

#include "bitmap/FileOpen.h"

static_assert(BM_PNG_FILTER_NONE == PNG_FILTER_NONE && BM_PNG_FILTER_SUB == PNG_FILTER_SUB &&
                  BM_PNG_FILTER_UP == PNG_FILTER_UP && BM_PNG_FILTER_AVERAGE == PNG_FILTER_AVG &&
                  BM_PNG_FILTER_PAETH == PNG_FILTER_PAETH && BM_PNG_FILTERS_ALL == PNG_ALL_FILTERS,
              "the filter bits are libpng's");

namespace {

// Where libpng's output goes. No exception may leave the callback through
// libpng's C frames, so a failed allocation is noted and the rest dropped.
struct PngSink {
  std::vector<uint8_t>* mOut;
  bool mFailed;
};

void AppendPng(png_structp png, png_bytep data, png_size_t count) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  if (sink->mFailed) return;
  try {
    sink->mOut->insert(sink->mOut->end(), data, data + count);
  } catch (const std::bad_alloc&) {
    sink->mFailed = true;
  }
}

void FlushPng(png_structp) {}

// libpng reports errors by a long jump back to the setjmp here, so this
// function owns nothing with a destructor; row is the caller's buffer of
// width x 4 bytes.
bool Encode(png_structp png, png_infop info, BM_IBitmap* bitmap, const BM_PngEncoding& encoding, PngSink* sink,
            png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  const int32_t width = bitmap->GetWidth(), height = bitmap->GetHeight();
  png_set_write_fn(png, sink, AppendPng, FlushPng);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, encoding.level);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, encoding.filters);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t memoryRow = bitmap->IsFlipped() ? height - 1 - y : y;
    const BM_Color32* src = bitmap->GetBits() + static_cast<size_t>(memoryRow) * bitmap->GetRowSpan();
    // Byte by byte from the packed value, whatever the machine's byte order.
    for (int32_t x = 0; x < width; ++x) {
      row[x * 4 + 0] = static_cast<png_byte>(src[x] >> 16);
      row[x * 4 + 1] = static_cast<png_byte>(src[x] >> 8);
      row[x * 4 + 2] = static_cast<png_byte>(src[x]);
      row[x * 4 + 3] = static_cast<png_byte>(src[x] >> 24);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return !sink->mFailed;
}

}  // namespace

bool EncodePng(BM_IBitmap* bitmap, std::vector<uint8_t>* out, const BM_PngEncoding& encoding) {
  if (!out) return false;
  out->clear();
  if (!bitmap || !bitmap->GetBits() || bitmap->GetWidth() < 1 || bitmap->GetHeight() < 1) return false;
  if (encoding.level < 0 || encoding.level > 9 || (encoding.filters & BM_PNG_FILTERS_ALL) == 0 ||
      (encoding.filters & ~BM_PNG_FILTERS_ALL) != 0)
    return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(bitmap->GetWidth()) * 4);
  PngSink sink = {out, false};
  const bool ok = info && Encode(png, info, bitmap, encoding, &sink, row.data());
  png_destroy_write_struct(&png, &info);
  if (!ok) out->clear();
  return ok;
}

bool WritePngFile(BM_IBitmap* bitmap, const char* utf8Path, const BM_PngEncoding& encoding) {
  std::vector<uint8_t> bytes;
  if (!utf8Path || !EncodePng(bitmap, &bytes, encoding)) return false;
  std::FILE* file = bm::OpenFileForWriting(utf8Path);
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
