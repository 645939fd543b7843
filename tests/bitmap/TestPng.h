#pragma once
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

namespace bmtest {

// A PNG to write: the IHDR fields, optional palette and tRNS, and the rows
// already packed in the file's own layout (bit depth, channels, big-endian
// 16-bit samples).
struct PngImage {
  int width = 0, height = 0, bitDepth = 8, colourType = PNG_COLOR_TYPE_RGB;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS for palette images
  bool keyColour = false;              // tRNS for grey or RGB images
  png_color_16 key = {};
  std::vector<std::vector<png_byte>> rows;
};

namespace detail {
inline void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<png_byte>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
inline void Flush(png_structp) {}

// Holds no object with a destructor: libpng may longjmp out of it.
inline bool Write(const PngImage& image, png_bytep* rows, std::vector<png_byte>* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, Append, Flush);
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty())
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  if (!image.paletteAlpha.empty())
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
  if (image.keyColour) png_set_tRNS(png, info, nullptr, 0, &image.key);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}
}  // namespace detail

inline std::vector<png_byte> WritePng(PngImage image) {
  std::vector<png_bytep> rows;
  for (auto& row : image.rows) rows.push_back(row.data());
  std::vector<png_byte> out;
  if (!detail::Write(image, rows.data(), &out)) out.clear();
  return out;
}

}  // namespace bmtest
