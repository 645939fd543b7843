#include "tools/imagegen/PngWrite.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace imagegen {

namespace {

// The libpng part, kept free of objects with destructors because libpng
// reports errors by a long jump back to the setjmp here.
bool WriteImage(png_structp png, png_infop info, std::FILE* file, BM_IBitmap& bitmap, png_byte* row) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  const int width = bitmap.GetWidth(), height = bitmap.GetHeight();
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const int memoryRow = bitmap.IsFlipped() ? height - 1 - y : y;
    const BM_Color32* src = bitmap.GetBits() + static_cast<size_t>(memoryRow) * bitmap.GetRowSpan();
    for (int x = 0; x < width; ++x) {
      row[x * 4 + 0] = static_cast<png_byte>(src[x] >> 16);
      row[x * 4 + 1] = static_cast<png_byte>(src[x] >> 8);
      row[x * 4 + 2] = static_cast<png_byte>(src[x]);
      row[x * 4 + 3] = static_cast<png_byte>(src[x] >> 24);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(BM_IBitmap& bitmap, const std::string& path) {
  if (!bitmap.GetBits() || bitmap.GetWidth() <= 0 || bitmap.GetHeight() <= 0) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "imagegen: cannot write %s\n", path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(bitmap.GetWidth()) * 4);
  bool ok = info && WriteImage(png, info, file, bitmap, row.data());
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "imagegen: writing %s failed\n", path.c_str());
  return ok;
}

}  // namespace imagegen
